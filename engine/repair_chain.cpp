#include "engine/repair_chain.h"

#include <algorithm>
#include <initializer_list>
#include <memory>

#include "engine/repair_model.h"
#include "engine/utf8_codec.h"

namespace snpln::engine {

namespace {

// Windows-1252's 0x80..0x9F; 0 where it leaves the byte undefined.
// clang-format off
constexpr char16_t kWin1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};
// clang-format on

CharTable makeWin1252() {
  CharTable t{};
  for (std::size_t b = 0; b < 256; ++b)
    t[b] = static_cast<char16_t>(b);
  for (std::size_t b = 0x80; b < 0xA0; ++b)
    if (kWin1252High[b - 0x80] != 0)
      t[b] = kWin1252High[b - 0x80];
  return t;
}

CharTable makeLatin1() {
  CharTable t{};
  for (std::size_t b = 0; b < 256; ++b)
    t[b] = static_cast<char16_t>(b);
  return t;
}

std::unique_ptr<ByteTable> makeBytes(const CharTable &chars) {
  auto t = std::make_unique<ByteTable>();
  t->fill(0);
  for (std::size_t b = 0; b < 256; ++b)
    (*t)[chars[b]] = static_cast<std::uint8_t>(b);
  return t;
}

} // namespace

std::string_view repairPageName(RepairPage page) {
  switch (page) {
  case RepairPage::Utf8:
    return "utf-8";
  case RepairPage::Win:
    return "windows-1251";
  case RepairPage::Koi:
    return "koi8-r";
  case RepairPage::Dos:
    return "ibm866";
  case RepairPage::Iso:
    return "iso-8859-5";
  case RepairPage::Win1252:
    return "windows-1252";
  case RepairPage::Latin1:
    return "iso-8859-1";
  case RepairPage::Mac:
    return "x-mac-cyrillic";
  }
  return "utf-8";
}

CodePage codePageOf(RepairPage page) {
  switch (page) {
  case RepairPage::Win:
    return CodePage::Win;
  case RepairPage::Koi:
    return CodePage::Koi;
  case RepairPage::Dos:
    return CodePage::Dos;
  case RepairPage::Iso:
    return CodePage::Iso;
  case RepairPage::Mac:
    return CodePage::Mac;
  case RepairPage::Utf8:
  case RepairPage::Win1252:
  case RepairPage::Latin1:
    break;
  }
  return CodePage::Auto;
}

const CharTable &readingChars(RepairPage page) {
  static const CharTable win1252 = makeWin1252();
  static const CharTable latin1 = makeLatin1();
  if (page == RepairPage::Win1252)
    return win1252;
  if (page == RepairPage::Latin1 || page == RepairPage::Utf8)
    return latin1;
  return charsOf(codePageOf(page));
}

const ByteTable &readingBytes(RepairPage page) {
  static const std::unique_ptr<ByteTable> win1252 =
      makeBytes(readingChars(RepairPage::Win1252));
  static const std::unique_ptr<ByteTable> latin1 =
      makeBytes(readingChars(RepairPage::Latin1));
  if (page == RepairPage::Win1252)
    return *win1252;
  if (page == RepairPage::Latin1 || page == RepairPage::Utf8)
    return *latin1;
  return bytesOf(codePageOf(page));
}

bool isUndefinedIn(std::uint8_t b, RepairPage page) {
  if (page == RepairPage::Win)
    return b == 0x98;
  if (page == RepairPage::Win1252)
    return b >= 0x80 && b < 0xA0 && kWin1252High[b - 0x80] == 0;
  return false;
}

namespace {

constexpr std::uint8_t kQuestionMark = '?';

void appendUtf8(char32_t c, std::string &out) {
  std::uint8_t bytes[4];
  const std::size_t n = encodeUtf8(c, bytes);
  out.append(reinterpret_cast<const char *>(bytes), n);
}

bool isWordChar(char32_t c) {
  return russianLetterOf(c) != 0 || (c >= 'a' && c <= 'z') ||
         (c >= 'A' && c <= 'Z');
}

bool opensLetters(const UndoSlot &slot) {
  for (std::uint8_t i = 0; i < slot.open; ++i)
    if (russianLetterOf(slot.choices[i]) != 0)
      return true;
  return false;
}

// The open reading of a slot outside a word: the commonest kind of sign.
char32_t likeliestSign(const UndoSlot &slot) {
  char32_t best = slot.choices[0];
  for (std::uint8_t i = 1; i < slot.open; ++i)
    if (signWeightOf(slot.choices[i]) > signWeightOf(best))
      best = slot.choices[i];
  return best;
}

} // namespace

ChainUndo::ChainUndo(const RepairChain &chain)
    : count_(chain.count), storedAsRead_(chain.storedAsRead) {
  // Stage 0 undoes the last reading.
  for (std::size_t s = 0; s < count_; ++s) {
    const RepairLayer &layer = chain.layers[count_ - 1 - s];
    stages_[s].written = layer.written;
    stages_[s].read = layer.read;
    stages_[s].bytes = &readingBytes(layer.read);
  }
  word_.reserve(kMaxHeldWord + 1);
}

bool ChainUndo::idle() const {
  if (cutCount_ > 0 || !word_.empty() || held_)
    return false;
  for (std::size_t s = 0; s < count_; ++s)
    if (stages_[s].pendingCount > 0)
      return false;
  return true;
}

bool ChainUndo::fail(UndoFault fault, std::uint64_t at) {
  if (fault_ == UndoFault::None) {
    fault_ = fault;
    faultOffset_ = at;
  }
  return false;
}

bool ChainUndo::feed(const std::uint8_t *bytes, std::size_t size,
                     std::uint64_t at, std::string &out) {
  if (fault_ != UndoFault::None)
    return false;
  std::size_t i = 0;
  if (storedAsRead_) {
    // Bytes saved in the reading's page: none that it leaves undefined.
    for (; i < size; ++i) {
      if (isUndefinedIn(bytes[i], stages_[0].read))
        return fail(UndoFault::NotInReading, at + i);
      if (!byteInto(0, bytes[i], at + i, out))
        return false;
    }
    return true;
  }
  while (cutCount_ > 0 && i < size) {
    cut_[cutCount_++] = bytes[i++];
    const Utf8Char c = decodeUtf8(cut_.data(), cutCount_);
    if (c.status == Utf8Status::Incomplete)
      continue;
    if (c.status == Utf8Status::Invalid)
      return fail(UndoFault::NotUtf8, cutAt_);
    cutCount_ = 0;
    if (!top(c.code, cutAt_, out))
      return false;
  }
  while (i < size) {
    const Utf8Char c = decodeUtf8(bytes + i, size - i);
    if (c.status == Utf8Status::Incomplete) {
      cutCount_ = size - i;
      std::copy(bytes + i, bytes + size, cut_.begin());
      cutAt_ = at + i;
      return true;
    }
    if (c.status == Utf8Status::Invalid)
      return fail(UndoFault::NotUtf8, at + i);
    if (!top(c.code, at + i, out))
      return false;
    i += c.length;
  }
  return true;
}

bool ChainUndo::top(char32_t c, std::uint64_t at, std::string &out) {
  if (c == 0xFEFF && at == 0) {
    // The byte order mark opening the file stays as it is.
    flushWord(out);
    appendUtf8(c, out);
    return true;
  }
  UndoSlot slot;
  slot.c = c;
  return charInto(0, slot, at, out);
}

bool ChainUndo::charInto(std::size_t stage, const UndoSlot &slot,
                         std::uint64_t at, std::string &out) {
  if (stage == count_) {
    writeSlot(slot, out);
    return true;
  }
  Stage &st = stages_[stage];
  // Within the chain an open reading goes on as its first (a Russian
  // letter where there is one).
  char32_t c = slot.c;
  if (slot.open > 0) {
    c = slot.choices[0];
    for (std::uint8_t i = 0; i < slot.open; ++i)
      if (russianLetterOf(slot.choices[i]) != 0) {
        c = slot.choices[i];
        break;
      }
  }
  std::uint8_t b = 0;
  if (c < 0x80)
    b = static_cast<std::uint8_t>(c);
  else if (c <= 0xFFFF)
    b = (*st.bytes)[c];
  if (b == 0 && c != 0)
    return fail(UndoFault::NotInReading, at);
  if (st.written == RepairPage::Utf8)
    return byteInto(stage, b, at, out);
  UndoSlot next;
  next.c = charsOf(codePageOf(st.written))[b];
  return charInto(stage + 1, next, at, out);
}

bool ChainUndo::byteInto(std::size_t stage, std::uint8_t b, std::uint64_t at,
                         std::string &out) {
  Stage &st = stages_[stage];
  if (st.pendingCount == 0) {
    if (b < 0x80) {
      UndoSlot slot;
      slot.c = b;
      return charInto(stage + 1, slot, at, out);
    }
    if (b < 0xC2 || b > 0xF4)
      return fail(UndoFault::NotUtf8, at);
    st.pending[0] = b;
    st.pendingCount = 1;
    st.pendingAt = at;
    return true;
  }
  st.pending[st.pendingCount] = b;
  const Utf8Char c = decodeUtf8(st.pending.data(),
                                static_cast<std::size_t>(st.pendingCount) + 1);
  if (c.status == Utf8Status::Incomplete) {
    ++st.pendingCount;
    return true;
  }
  if (c.status == Utf8Status::Ok) {
    st.pendingCount = 0;
    UndoSlot slot;
    slot.c = c.code;
    return charInto(stage + 1, slot, st.pendingAt, out);
  }
  // Cut short: `?` stood for the lost byte; any other byte followed where
  // it vanished, and begins anew.
  if (b == kQuestionMark)
    return mendInto(stage, true, at, out);
  if (!mendInto(stage, false, at, out))
    return false;
  return byteInto(stage, b, at, out);
}

bool ChainUndo::mendInto(std::size_t stage, bool, std::uint64_t,
                         std::string &out) {
  Stage &st = stages_[stage];
  UndoSlot slot;
  for (unsigned u = 0x80; u < 0x100 && slot.open < slot.choices.size(); ++u) {
    const auto byte = static_cast<std::uint8_t>(u);
    if (!isUndefinedIn(byte, st.read))
      continue;
    st.pending[st.pendingCount] = byte;
    const Utf8Char c = decodeUtf8(
        st.pending.data(), static_cast<std::size_t>(st.pendingCount) + 1);
    // Only into a character text holds where bytes are lost: a Cyrillic
    // letter or general punctuation (” of E2 80 9D).
    if (c.status == Utf8Status::Ok && ((c.code >= 0x400 && c.code <= 0x4FF) ||
                                       (c.code >= 0x2000 && c.code <= 0x206F)))
      slot.choices[slot.open++] = c.code;
  }
  const std::uint64_t at = st.pendingAt;
  st.pendingCount = 0;
  if (slot.open == 0)
    return fail(UndoFault::NotUtf8, at);
  ++mended_;
  slot.c = slot.choices[0];
  if (slot.open == 1)
    slot.open = 0;
  return charInto(stage + 1, slot, at, out);
}

void ChainUndo::writeSlot(const UndoSlot &slot, std::string &out) {
  if (slot.open > 0 ? opensLetters(slot) : isWordChar(slot.c)) {
    word_.push_back(slot);
    if (slot.open > 0)
      wordOpen_ = true;
    if (word_.size() >= kMaxHeldWord)
      flushWord(out);
    return;
  }
  flushWord(out);
  const char32_t c = slot.open > 0 ? likeliestSign(slot) : slot.c;
  if (held_) {
    if (c == ' ' || c == '\t' || c == 0xA0) {
      appendUtf8(c, tail_);
      return;
    }
    releaseHeld(nullptr, c, out);
  }
  appendUtf8(c, out);
}

namespace {

using Reading = std::vector<char32_t>;

// A word's letters folded to small ones, as UTF-8.
std::string foldedOf(const Reading &word) {
  std::string s;
  for (char32_t c : word)
    appendUtf8(toLowerCodePoint(c), s);
  return s;
}

bool oneOf(const std::string &word, std::initializer_list<const char *> list) {
  for (const char *w : list)
    if (word == w)
      return true;
  return false;
}

bool endsWith(const std::string &word, const char *end) {
  const std::size_t n = std::char_traits<char>::length(end);
  return word.size() > n && word.compare(word.size() - n, n, end) == 0;
}

// Whether the word after я-or-с speaks for я: a verb's form, a particle or
// adverb that follows a subject, or a sign that ends the clause.
bool followsPronoun(const std::string &next, char32_t sign) {
  if (next.empty())
    return sign != 0 && !(sign >= '0' && sign <= '9');
  if (oneOf(next,
            {"не",    "ни",    "же",     "бы",      "ведь",   "тоже",  "уже",
             "ещё",   "еще",   "всегда", "никогда", "сам",    "сама",  "дальше",
             "тогда", "потом", "здесь",  "там",     "тут",    "и",     "а",
             "но",    "вот",   "так",    "только",  "просто", "очень", "даже",
             "лишь",  "давно", "сейчас", "теперь",  "уж",     "было"}))
    return true;
  for (const char *end :
       {"ю", "у", "л", "ла", "ло", "лся", "лась", "юсь", "усь", "ал", "ил"})
    if (endsWith(next, end))
      return true;
  return false;
}

// Whether the word after сто-or-это is what a numeral counts.
bool followsNumeral(const std::string &next) {
  return oneOf(next, {"лет", "раз", "человек", "рублей", "тысяч", "метров",
                      "процентов", "штук", "дней", "часов", "минут", "страниц",
                      "шагов", "книг"}) ||
         endsWith(next, "ов") || endsWith(next, "ев");
}

} // namespace

void ChainUndo::releaseHeld(const Reading *next, char32_t sign,
                            std::string &out) {
  const std::string following = next ? foldedOf(*next) : std::string();
  const std::string best = foldedOf(heldBest_);
  const std::string other = foldedOf(heldOther_);
  bool takeOther = false;
  if (oneOf(best, {"я", "с"}) && oneOf(other, {"я", "с"}))
    takeOther = (other == "я") == followsPronoun(following, sign);
  else if (oneOf(best, {"это", "сто"}) && oneOf(other, {"это", "сто"}))
    takeOther = (other == "сто") == followsNumeral(following);
  for (char32_t c : takeOther ? heldOther_ : heldBest_)
    appendUtf8(c, out);
  out += tail_;
  tail_.clear();
  held_ = false;
}

void ChainUndo::flushWord(std::string &out) {
  if (word_.empty())
    return;
  Reading chosen(word_.size());
  for (std::size_t i = 0; i < word_.size(); ++i)
    chosen[i] = word_[i].c;
  // The best reading, and the runner-up when both are common words, whose
  // choice the next word then makes.
  Reading other;
  if (wordOpen_) {
    // Every reading of the open letters, up to 256 of them, the best by
    // the word's fit; past that, each open letter by itself in turn.
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < word_.size(); ++i)
      if (word_[i].open > 0)
        open.push_back(i);
    std::size_t combos = 1;
    for (std::size_t i : open) {
      combos *= word_[i].open;
      if (combos > 256)
        break;
    }
    std::vector<std::uint8_t> letters(word_.size());
    // A reading with a letter of no Russian word loses to any without.
    const auto fitOf = [&](const Reading &chars) {
      long others = 0;
      std::size_t n = 0;
      for (char32_t c : chars) {
        const int l = russianLetterOf(c);
        if (l == 0)
          ++others;
        else
          letters[n++] = static_cast<std::uint8_t>(l);
      }
      return others > 0 ? -1000000 * others : fitOfWord(letters.data(), n);
    };
    if (combos <= 256) {
      Reading best = chosen;
      long bestFit = 0, otherFit = 0;
      for (std::size_t k = 0; k < combos; ++k) {
        std::size_t rest = k;
        for (std::size_t i : open) {
          chosen[i] = word_[i].choices[rest % word_[i].open];
          rest /= word_[i].open;
        }
        const long fit = fitOf(chosen);
        if (k == 0 || fit > bestFit) {
          other = k == 0 ? Reading() : best;
          otherFit = bestFit;
          best = chosen;
          bestFit = fit;
        } else if (other.empty() || fit > otherFit) {
          other = chosen;
          otherFit = fit;
        }
      }
      chosen = best;
      if (otherFit < kCommonWordFit)
        other.clear();
    } else {
      for (std::size_t i : open) {
        char32_t best = word_[i].choices[0];
        long bestFit = 0;
        for (std::uint8_t j = 0; j < word_[i].open; ++j) {
          chosen[i] = word_[i].choices[j];
          const long fit = fitOf(chosen);
          if (j == 0 || fit > bestFit) {
            best = chosen[i];
            bestFit = fit;
          }
        }
        chosen[i] = best;
      }
    }
  }
  word_.clear();
  wordOpen_ = false;
  if (held_)
    releaseHeld(&chosen, 0, out);
  if (!other.empty()) {
    held_ = true;
    heldBest_ = std::move(chosen);
    heldOther_ = std::move(other);
    return;
  }
  for (char32_t c : chosen)
    appendUtf8(c, out);
}

bool ChainUndo::finish(std::string &out) {
  if (fault_ != UndoFault::None)
    return false;
  if (cutCount_ > 0)
    return fail(UndoFault::NotUtf8, cutAt_);
  // Each stage's cut sequence, outermost first: what it mends flows into
  // the stages within.
  for (std::size_t s = 0; s < count_; ++s)
    if (stages_[s].pendingCount > 0 && !mendInto(s, false, 0, out))
      return false;
  flushWord(out);
  if (held_)
    releaseHeld(nullptr, 0, out);
  return true;
}

UndoResult undoChain(const RepairChain &chain, const std::uint8_t *bytes,
                     std::size_t size) {
  UndoResult result;
  ChainUndo undo(chain);
  if (undo.feed(bytes, size, 0, result.text))
    undo.finish(result.text);
  result.fault = undo.fault();
  result.faultOffset = undo.faultOffset();
  result.mended = undo.mended();
  return result;
}

} // namespace snpln::engine
