#include "tests/support/garbled_samples.h"

#include <array>

#include "engine/utf8_codec.h"
#include "tests/support/russian_samples.h"

namespace snpln::test {

using engine::RepairPage;

namespace {

const char *libraryName(RepairPage page) {
  switch (page) {
  case RepairPage::Utf8:
    return "UTF-8";
  case RepairPage::Win:
    return "CP1251";
  case RepairPage::Koi:
    return "KOI8-R";
  case RepairPage::Dos:
    return "CP866";
  case RepairPage::Iso:
    return "ISO-8859-5";
  case RepairPage::Mac:
    return "MAC-CYRILLIC";
  case RepairPage::Win1252:
  case RepairPage::Latin1:
    break;
  }
  return "ISO-8859-1";
}

// The character of each byte of a reading, 0 where it leaves the byte
// undefined.
using Reading = std::array<char32_t, 256>;

Reading makeReading(RepairPage page) {
  Reading r{};
  for (unsigned b = 0; b < 256; ++b)
    r[b] = b;
  if (page == RepairPage::Latin1)
    return r;
  if (page == RepairPage::Win1252) {
    // As the page's vendor publishes it.
    constexpr char32_t high[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
        0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    for (unsigned b = 0x80; b < 0xA0; ++b)
      r[b] = high[b - 0x80];
    return r;
  }
  for (unsigned b = 0x80; b < 256; ++b) {
    const auto utf8 = convertText(std::string(1, static_cast<char>(b)),
                                  libraryName(page), "UTF-8");
    r[b] = 0;
    if (utf8 && !utf8->empty()) {
      const auto *p = reinterpret_cast<const std::uint8_t *>(utf8->data());
      const engine::Utf8Char c = engine::decodeUtf8(p, utf8->size());
      if (c.ok() && c.length == utf8->size())
        r[b] = c.code;
    }
  }
  // Windows-1251 leaves 98 undefined; Windows' own converter reads it as
  // the control U+0098 all the same.
  if (page == RepairPage::Win)
    r[0x98] = 0;
  // Mac Cyrillic as browsers read it: the C library has ¤ at FF.
  if (page == RepairPage::Mac)
    r[0xFF] = 0x20AC;
  return r;
}

const Reading &readingOf(RepairPage page) {
  static const std::array<Reading, 8> readings = [] {
    std::array<Reading, 8> all{};
    for (unsigned p = 0; p < 8; ++p)
      all[p] = makeReading(static_cast<RepairPage>(p));
    return all;
  }();
  return readings[static_cast<std::size_t>(page)];
}

void appendUtf8(char32_t c, std::string &out) {
  std::uint8_t bytes[4];
  out.append(reinterpret_cast<const char *>(bytes),
             engine::encodeUtf8(c, bytes));
}

} // namespace

std::optional<std::string> garble(const std::string &utf8,
                                  const engine::RepairChain &chain,
                                  LostByte lost) {
  std::string text = utf8;
  for (std::size_t i = 0; i < chain.count; ++i) {
    const engine::RepairLayer &layer = chain.layers[i];
    std::string bytes = text;
    if (layer.written != RepairPage::Utf8) {
      const auto written =
          convertText(text, "UTF-8", libraryName(layer.written));
      if (!written)
        return std::nullopt;
      bytes = *written;
    }
    const bool stored = chain.storedAsRead && i + 1 == chain.count;
    const Reading &reading = readingOf(layer.read);
    std::string next;
    for (const char ch : bytes) {
      const auto b = static_cast<std::uint8_t>(ch);
      const char32_t c = reading[b];
      if (c == 0 && b != 0) {
        if (lost == LostByte::AsQuestionMark)
          next += '?';
        else if (lost == LostByte::AsControl && stored)
          next += ch;
        else if (lost == LostByte::AsControl)
          appendUtf8(b, next); // U+0080 + (b - 0x80)
        continue;
      }
      if (stored)
        next += ch;
      else
        appendUtf8(c, next);
    }
    text = std::move(next);
  }
  return text;
}

bool canGarbleWith(RepairPage page) {
  if (page == RepairPage::Win1252 || page == RepairPage::Latin1)
    return true;
  return convertText("\xD1\x8F", "UTF-8", libraryName(page)).has_value();
}

engine::RepairChain chainOf(std::initializer_list<engine::RepairLayer> layers,
                            bool storedAsRead) {
  engine::RepairChain chain;
  for (const engine::RepairLayer &layer : layers)
    chain.layers[chain.count++] = layer;
  chain.storedAsRead = storedAsRead;
  return chain;
}

std::string describe(const engine::RepairChain &chain) {
  std::string s;
  for (std::size_t i = 0; i < chain.count; ++i) {
    if (i > 0)
      s += ", then ";
    s += std::string(engine::repairPageName(chain.layers[i].written)) + " as " +
         std::string(engine::repairPageName(chain.layers[i].read));
  }
  if (chain.count == 0)
    s = "no chain";
  if (chain.storedAsRead)
    s += ", stored as read";
  return s;
}

ExcerptPicker::ExcerptPicker(const std::string &utf8) : text_(utf8) {
  for (std::size_t i = 0; i < utf8.size(); ++i)
    if ((static_cast<std::uint8_t>(utf8[i]) & 0xC0) != 0x80)
      starts_.push_back(i);
}

std::uint64_t nextRandom(std::uint64_t &state) {
  state = state * 6364136223846793005ull + 1442695040888963407ull;
  return state >> 33;
}

std::string ExcerptPicker::pick(std::size_t minChars, std::size_t maxChars,
                                std::uint64_t &rng) const {
  for (;;) {
    const std::size_t chars =
        minChars + nextRandom(rng) % (maxChars - minChars + 1);
    const std::size_t first = nextRandom(rng) % (starts_.size() - chars);
    const std::size_t end =
        first + chars < starts_.size() ? starts_[first + chars] : text_.size();
    std::string excerpt = text_.substr(starts_[first], end - starts_[first]);
    std::size_t cyrillic = 0;
    for (std::size_t i = 0; i + 1 < excerpt.size(); ++i)
      cyrillic += excerpt[i] == '\xD0' || excerpt[i] == '\xD1';
    if (cyrillic * 4 >= chars)
      return excerpt;
  }
}

} // namespace snpln::test
