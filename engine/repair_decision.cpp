#include "engine/repair_decision.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <vector>

#include "engine/detect_code_page.h"
#include "engine/detect_neighbours.h"
#include "engine/detect_utf8.h"
#include "engine/repair_model.h"
#include "engine/utf8_codec.h"

namespace snpln::engine {

namespace {

constexpr RepairPage kWrittenPages[] = {RepairPage::Utf8, RepairPage::Win,
                                        RepairPage::Koi,  RepairPage::Dos,
                                        RepairPage::Iso,  RepairPage::Mac};
constexpr RepairPage kReadPages[] = {
    RepairPage::Win,     RepairPage::Koi,    RepairPage::Dos, RepairPage::Iso,
    RepairPage::Win1252, RepairPage::Latin1, RepairPage::Mac};

bool hasHighByte(const std::uint8_t *bytes, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i)
    if (bytes[i] >= 0x80)
      return true;
  return false;
}

// The text as it stands: UTF-8, each byte that starts no character a
// U+FFFD of its own.
TextFit fitAsItStands(const std::uint8_t *bytes, std::size_t size,
                      std::vector<char32_t> &chars) {
  chars.clear();
  std::size_t i = 0;
  while (i < size) {
    const Utf8Char c = decodeUtf8AtEnd(bytes + i, size - i);
    chars.push_back(c.ok() ? c.code : char32_t{0xFFFD});
    i += c.ok() ? c.length : 1;
  }
  return fitOfText(chars.data(), chars.size());
}

// Whether a sign glued to the front of a word of small letters makes it
// read wrong: any but `«` (`—тарики`, `‘тарики`, `“частники`, `„ети` are
// `Старики`, `Участники`, `Дети` in the wrong one of Windows-1251 and Mac
// Cyrillic).
bool gluesWrongly(char32_t sign) {
  return sign >= 0x80 && russianLetterOf(sign) == 0 && sign != U'«' &&
         sign != 0xA0;
}

bool isSmallRussian(char32_t c) {
  return russianLetterOf(c) != 0 && toLowerCodePoint(c) == c;
}

// How many words of a text read as Russian or Ukrainian words, less those
// that do not (engine/detect_neighbours.h): the characters as Mac
// Cyrillic's bytes, which hold every letter of both; a character it lacks
// as a sign. A word of small letters with a sign glued to its front that
// gluesWrongly reads wrong.
long wordsOf(const std::uint8_t *utf8, std::size_t size) {
  thread_local std::vector<std::uint8_t> bytes;
  bytes.clear();
  long glued = 0;
  char32_t before = ' ', sign = 0;
  const ByteTable &mac = readingBytes(RepairPage::Mac);
  constexpr std::uint8_t kSign = 0xA0; // †
  std::size_t i = 0;
  while (i < size) {
    const Utf8Char c = decodeUtf8AtEnd(utf8 + i, size - i);
    if (!c.ok()) {
      bytes.push_back(kSign);
      ++i;
      continue;
    }
    i += c.length;
    if (sign != 0 && isSmallRussian(c.code))
      ++glued;
    sign = 0;
    const bool afterLetter =
        russianLetterOf(before) != 0 ||
        (before < 0x80 && std::isalnum(static_cast<unsigned char>(before)));
    if (gluesWrongly(c.code) && !afterLetter)
      sign = c.code;
    before = c.code;
    if (c.code < 0x80)
      bytes.push_back(static_cast<std::uint8_t>(c.code));
    else if (c.code <= 0xFFFF && mac[c.code] != 0)
      bytes.push_back(mac[c.code]);
    else
      bytes.push_back(kSign);
  }
  return wordsReadRight(bytes.data(), bytes.size(), CodePage::Mac) - 2 * glued;
}

// A chain found on a line: what it adds to the line's fit, and how its
// words read.
struct Found {
  RepairChain chain;
  long gain = 0;
  std::uint32_t letters = 0;
  long words = 0;
  bool clears = false; // reads clearly better than the line as it stands
  // What ranks it among the chains that clear: its gain, or, for one that
  // clears over its twin, at least just above the twin's.
  long rank = 0;
};

// Mac Cyrillic holds the small letters of Windows-1251 but я at the same
// bytes, so a text written in one and read as the other differs from it
// in a few capitals, я and signs, and a chain whose innermost layer was
// written in Mac Cyrillic undoes to nearly what its twin written in
// Windows-1251 does. Such a chain is taken only where its words read
// clearly better than its twin's: its twin is the chain written in
// Windows-1251 instead, or, for Windows-1251 and Mac Cyrillic read as each
// other, the chain without that layer (the text as it stands when there is
// no other). The letter statistics alone cannot tell a capital from the
// sign at its byte well enough (`—тарики` for `Старики`).
bool hasTwin(const RepairChain &chain) {
  const RepairLayer &inner = chain.layers[0];
  return chain.count > 0 &&
         (inner.written == RepairPage::Mac ||
          (inner.written == RepairPage::Win && inner.read == RepairPage::Mac));
}

bool readAsEachOther(const RepairLayer &layer) {
  return (layer.written == RepairPage::Mac && layer.read == RepairPage::Win) ||
         (layer.written == RepairPage::Win && layer.read == RepairPage::Mac);
}

RepairChain twinOf(const RepairChain &chain) {
  RepairChain twin = chain;
  if (readAsEachOther(chain.layers[0])) {
    for (std::size_t i = 1; i < chain.count; ++i)
      twin.layers[i - 1] = chain.layers[i];
    twin.layers[chain.count - 1] = RepairLayer{};
    --twin.count;
  } else {
    twin.layers[0].written = RepairPage::Win;
  }
  return twin;
}

// Undo order (outermost first) to the chain's order (innermost first).
RepairChain chainOf(const std::vector<RepairLayer> &undoOrder,
                    bool storedAsRead) {
  RepairChain chain;
  chain.count = static_cast<std::uint8_t>(undoOrder.size());
  for (std::size_t i = 0; i < undoOrder.size(); ++i)
    chain.layers[undoOrder.size() - 1 - i] = undoOrder[i];
  chain.storedAsRead = storedAsRead;
  return chain;
}

class ChainSearch {
public:
  ChainSearch(long baseScore, std::vector<Found> &found)
      : base_(baseScore), found_(found) {}

  // Every chain that undoes `text`; `almost`: the text is not valid UTF-8,
  // so only a last reading stored as read can have made it.
  void run(const std::uint8_t *text, std::size_t size, bool almost) {
    std::vector<RepairLayer> layers;
    if (almost) {
      for (const RepairPage read : {RepairPage::Win, RepairPage::Win1252}) {
        layers.assign(1, RepairLayer{RepairPage::Utf8, read});
        tryLayers(layers, true, text, size);
      }
      return;
    }
    descend(layers, text, size);
  }

private:
  void descend(std::vector<RepairLayer> &layers, const std::uint8_t *text,
               std::size_t size) {
    for (const RepairPage read : kReadPages) {
      for (const RepairPage written : kWrittenPages) {
        if (written == read)
          continue;
        layers.push_back(RepairLayer{written, read});
        tryLayer(layers, text, size);
        layers.pop_back();
      }
    }
  }

  // Undoes the innermost layer of `layers` on `text`, the rest undone.
  void tryLayer(std::vector<RepairLayer> &layers, const std::uint8_t *text,
                std::size_t size) {
    RepairChain one;
    one.count = 1;
    one.layers[0] = layers.back();
    const UndoResult r = undoChain(one, text, size);
    if (r.fault != UndoFault::None ||
        (r.text.size() == size && std::memcmp(r.text.data(), text, size) == 0))
      return;
    note(layers, false, r.text);
    if (layers.back().written == RepairPage::Utf8 &&
        layers.size() < kMaxRepairLayers)
      descend(layers, reinterpret_cast<const std::uint8_t *>(r.text.data()),
              r.text.size());
  }

  void tryLayers(std::vector<RepairLayer> &layers, bool storedAsRead,
                 const std::uint8_t *text, std::size_t size) {
    const UndoResult r = undoChain(chainOf(layers, storedAsRead), text, size);
    if (r.fault != UndoFault::None)
      return;
    note(layers, storedAsRead, r.text);
    if (layers.size() < kMaxRepairLayers)
      descend(layers, reinterpret_cast<const std::uint8_t *>(r.text.data()),
              r.text.size());
  }

  void note(const std::vector<RepairLayer> &layers, bool storedAsRead,
            const std::string &result) {
    chars_.clear();
    const auto *p = reinterpret_cast<const std::uint8_t *>(result.data());
    std::size_t i = 0;
    while (i < result.size()) {
      const Utf8Char c = decodeUtf8AtEnd(p + i, result.size() - i);
      chars_.push_back(c.ok() ? c.code : char32_t{0xFFFD});
      i += c.ok() ? c.length : 1;
    }
    const TextFit fit = fitOfText(chars_.data(), chars_.size());
    Found f;
    f.chain = chainOf(layers, storedAsRead);
    f.gain = fit.score - base_;
    f.letters = fit.russian;
    f.words = wordsOf(p, result.size());
    found_.push_back(f);
  }

  long base_;
  std::vector<Found> &found_;
  std::vector<char32_t> chars_;
};

// The lines of a sample, each with its line end.
std::vector<std::pair<std::size_t, std::size_t>>
linesOf(const std::uint8_t *bytes, std::size_t size) {
  std::vector<std::pair<std::size_t, std::size_t>> lines;
  std::size_t start = 0;
  while (start < size) {
    const auto *nl = static_cast<const std::uint8_t *>(
        std::memchr(bytes + start, '\n', size - start));
    const std::size_t end =
        nl ? static_cast<std::size_t>(nl - bytes) + 1 : size;
    lines.emplace_back(start, end);
    start = end;
  }
  return lines;
}

// Whether the text is UTF-8 for the repair: valid, with characters of two
// bytes or more; or almost, as detection tells it.
enum class Utf8Kind { No, Valid, Almost };

Utf8Kind utf8KindOf(const std::uint8_t *bytes, std::size_t size) {
  const Utf8Check check = checkUtf8(bytes, size);
  if (check.stop == Utf8Status::Ok)
    return check.sequences > 0 ? Utf8Kind::Valid : Utf8Kind::No;
  const Detection d = detectSample(bytes, size, false, DetectDepth::Utf8);
  if (d.kind == TextKind::Text && d.page == CodePage::Utf8)
    return Utf8Kind::Almost;
  return Utf8Kind::No;
}

} // namespace

namespace {

bool gainClears(long gain, std::uint32_t russianLetters,
                const RepairChain &chain, std::uint32_t least) {
  // Mending the lost bytes of what is no UTF-8 as it stands needs only to
  // read better.
  if (chain.storedAsRead)
    return gain > 0;
  return russianLetters >= least &&
         gain >= kRepairMinGain +
                     kRepairGainPerLetter * static_cast<long>(russianLetters);
}

} // namespace

bool clearlyBetter(long gain, std::uint32_t russianLetters,
                   const RepairChain &chain) {
  // What no Russian letter comes of is no repair of Russian text; a
  // reading between single-byte pages maps letters onto letters, which a
  // few of them cannot tell.
  const std::uint32_t least =
      chain.layers[0].written == RepairPage::Utf8 ? 1 : kRepairLeastLetters;
  return gainClears(gain, russianLetters, chain, least);
}

namespace {

// What the twin of a chain (see hasTwin) made of a line.
struct Twin {
  bool found = true;  // it undid the line (else the chain stands alone)
  long words = 0;     // wordsOf its result
  long gain = 0;      // what it adds to the line's fit
  bool clears = true; // its result reads clearly better (or is the line)
};

Twin twinIn(const std::vector<Found> &found, const RepairChain &chain,
            long lineWords) {
  Twin twin;
  const RepairChain of = twinOf(chain);
  if (of.count == 0) {
    twin.words = lineWords;
    return twin;
  }
  const auto it = std::find_if(found.begin(), found.end(),
                               [&](const Found &f) { return f.chain == of; });
  if (it == found.end()) {
    twin.found = false;
    return twin;
  }
  twin.words = it->words;
  twin.gain = it->gain;
  twin.clears = clearlyBetter(it->gain, it->letters, it->chain);
  return twin;
}

// Whether a chain that has a twin reads clearly better than the line as it
// stands: its words clearly better than its twin's (whatever the letter
// statistics say: they take a sign for a capital too readily); and, unless
// it only undoes Windows-1251 and Mac Cyrillic read as each other over
// what its twin undoes (which clears), clearly better by the fit as any
// chain.
bool clearsItsTwin(const Found &f, const Twin &twin) {
  if (!twin.found)
    return clearlyBetter(f.gain, f.letters, f.chain);
  if (f.words < twin.words + kWordsMargin)
    return false;
  if (readAsEachOther(f.chain.layers[0]))
    return twin.clears;
  return clearlyBetter(f.gain, f.letters, f.chain);
}

} // namespace

RepairPlan decideRepair(const std::uint8_t *sample, std::size_t size) {
  RepairPlan plan;
  if (!hasHighByte(sample, size)) {
    plan.reason = RepairReason::NoText;
    return plan;
  }
  if (std::memchr(sample, 0, size) != nullptr) {
    plan.reason = RepairReason::NotUtf8;
    return plan;
  }
  const Utf8Kind kind = utf8KindOf(sample, size);
  if (kind == Utf8Kind::No) {
    plan.reason = RepairReason::NotUtf8;
    return plan;
  }

  struct LineFinding {
    std::size_t start, end;
    long base;
    std::uint32_t letters; // Russian letters as it stands
    long words;            // wordsOf as it stands
    std::vector<Found> found;
    const Found *best = nullptr; // the best that clears, if any
  };
  std::vector<LineFinding> lines;
  std::vector<char32_t> chars;
  for (const auto &[start, end] : linesOf(sample, size)) {
    if (!hasHighByte(sample + start, end - start))
      continue;
    LineFinding line{start, end, 0, 0, 0, {}, nullptr};
    line.words = wordsOf(sample + start, end - start);
    const TextFit base = fitAsItStands(sample + start, end - start, chars);
    line.base = base.score;
    line.letters = base.russian;
    const bool almost =
        kind == Utf8Kind::Almost &&
        checkUtf8(sample + start, end - start).stop != Utf8Status::Ok;
    ChainSearch(line.base, line.found).run(sample + start, end - start, almost);
    lines.push_back(std::move(line));
  }
  for (LineFinding &line : lines) {
    for (Found &f : line.found) {
      f.rank = f.gain;
      if (!hasTwin(f.chain)) {
        f.clears = clearlyBetter(f.gain, f.letters, f.chain);
        continue;
      }
      const Twin twin = twinIn(line.found, f.chain, line.words);
      f.clears = clearsItsTwin(f, twin);
      if (f.clears && twin.found)
        f.rank = std::max(f.gain, twin.gain + 1);
    }
    for (const Found &f : line.found)
      if (f.clears && (line.best == nullptr || f.rank > line.best->rank))
        line.best = &f;
  }

  // The chains best on garbled lines, by how many lines.
  std::vector<std::pair<RepairChain, std::size_t>> tally;
  for (const LineFinding &line : lines) {
    if (line.best == nullptr)
      continue;
    auto it = std::find_if(tally.begin(), tally.end(), [&](const auto &t) {
      return t.first == line.best->chain;
    });
    if (it == tally.end())
      tally.emplace_back(line.best->chain, 1);
    else
      ++it->second;
  }
  if (tally.empty())
    return plan;
  std::stable_sort(
      tally.begin(), tally.end(),
      [](const auto &a, const auto &b) { return a.second > b.second; });

  plan.reason = RepairReason::Garbled;
  // Whole by the chain, among those that make some line read clearly
  // better, that undoes every line and makes none read clearly worse, and
  // adds most to the sample's fit, when that makes the sample read clearly
  // better.
  std::vector<RepairChain> candidates;
  for (const LineFinding &line : lines)
    for (const Found &f : line.found)
      if (f.clears && std::find(candidates.begin(), candidates.end(),
                                f.chain) == candidates.end())
        candidates.push_back(f.chain);
  bool anyWhole = false;
  RepairChain wholeChain;
  long wholeGain = 0;
  for (const RepairChain &candidate : candidates) {
    bool whole = true;
    long gain = 0;
    std::uint32_t letters = 0;
    Twin twins; // summed over the lines, for a chain that has a twin
    Found sum;
    sum.chain = candidate;
    long rank = 0;
    for (const LineFinding &line : lines) {
      const auto it =
          std::find_if(line.found.begin(), line.found.end(),
                       [&](const Found &f) { return f.chain == candidate; });
      if (it == line.found.end()) {
        // Undone by it to the same text, or not at all.
        const UndoResult r =
            undoChain(candidate, sample + line.start, line.end - line.start);
        if (r.fault != UndoFault::None) {
          whole = false;
          break;
        }
        // Where Windows-1251 and Mac Cyrillic read as each other leave a
        // line as the outer layers undid it, it is what the twin made.
        if (candidate.count > 1 && readAsEachOther(candidate.layers[0])) {
          const RepairChain of = twinOf(candidate);
          const auto tw =
              std::find_if(line.found.begin(), line.found.end(),
                           [&](const Found &f) { return f.chain == of; });
          if (tw != line.found.end()) {
            gain += tw->gain;
            rank += tw->gain;
            letters += tw->letters;
            twins.gain += tw->gain;
            twins.words += tw->words;
            sum.words += tw->words;
          }
        }
        continue;
      }
      // A line it makes clearly worse is not garbled by it.
      if (-it->gain >= kRepairMinGain + kRepairGainPerLetter *
                                            static_cast<long>(std::max(
                                                line.letters, it->letters))) {
        whole = false;
        break;
      }
      gain += it->gain;
      rank += it->rank;
      letters += it->letters;
      if (hasTwin(candidate)) {
        const Twin twin = twinIn(line.found, candidate, line.words);
        // Nor is a line whose words it makes read worse than its twin's.
        if (twin.found && it->words < twin.words) {
          whole = false;
          break;
        }
        twins.found = twins.found && twin.found;
        twins.words += twin.words;
        twins.gain += twin.gain;
        twins.clears = twins.clears && twin.clears;
        sum.words += it->words;
      }
    }
    sum.gain = gain;
    sum.letters = letters;
    const bool clears = hasTwin(candidate)
                            ? clearsItsTwin(sum, twins)
                            : clearlyBetter(gain, letters, candidate);
    if (hasTwin(candidate) && clears && twins.found)
      rank = std::max(rank, twins.gain + 1);
    if (whole && clears && (!anyWhole || rank > wholeGain)) {
      anyWhole = true;
      wholeChain = candidate;
      wholeGain = rank;
    }
  }
  if (anyWhole) {
    plan.mode = RepairMode::Whole;
    plan.chains[0] = wholeChain;
    plan.chainCount = 1;
    return plan;
  }
  // Lines: the chains best on most lines first, then the others that make
  // some line read clearly better (Windows-1252 and Latin-1 read most bytes
  // alike, so the one a line did not need may be the one another needs).
  // Those others by what they add to the lines they clear, most first.
  plan.mode = RepairMode::Lines;
  for (const auto &t : tally)
    candidates.erase(std::find(candidates.begin(), candidates.end(), t.first));
  std::vector<std::pair<long, RepairChain>> others;
  for (const RepairChain &c : candidates) {
    long total = 0;
    for (const LineFinding &line : lines)
      for (const Found &f : line.found)
        if (f.chain == c && f.clears)
          total += f.gain;
    others.emplace_back(total, c);
  }
  std::stable_sort(
      others.begin(), others.end(),
      [](const auto &a, const auto &b) { return a.first > b.first; });
  constexpr std::size_t kFound = kMaxLineChains - kMaxLineTwins;
  for (const auto &t : tally)
    if (plan.chainCount < kFound)
      plan.chains[plan.chainCount++] = t.first;
  for (const auto &o : others)
    if (plan.chainCount < kFound)
      plan.chains[plan.chainCount++] = o.second;
  // The twins of those written in Mac Cyrillic, where some line reads
  // clearly better by its words in them (however few its letters).
  const std::size_t found = plan.chainCount;
  for (const LineFinding &line : lines)
    for (const Found &f : line.found) {
      if (plan.chainCount == kMaxLineChains || !hasTwin(f.chain) ||
          readAsEachOther(f.chain.layers[0]))
        continue;
      const auto end = plan.chains.begin() + plan.chainCount;
      if (std::find(plan.chains.begin(), plan.chains.begin() + found,
                    twinOf(f.chain)) == plan.chains.begin() + found ||
          std::find(plan.chains.begin(), end, f.chain) != end)
        continue;
      const Twin twin = twinIn(line.found, f.chain, line.words);
      if (twin.found && f.words >= twin.words + kWordsMargin)
        plan.chains[plan.chainCount++] = f.chain;
    }
  return plan;
}

namespace {

// A line undone by a chain of a plan when that makes it read clearly better
// (see repairLine), or nothing.
// `twinAfter`: the chain's twin is a later chain of the plan, so the
// chain, found on more lines, is taken where their words read alike.
// `base` is the line's fit as it stands, reckoned once, when some chain
// undoes it (most do not undo a clean line at all).
std::optional<std::string>
lineUndoneBy(const RepairChain &chain, const std::uint8_t *line,
             std::size_t size, std::optional<long> &base, bool twinAfter) {
  thread_local std::vector<char32_t> chars;
  UndoResult r = undoChain(chain, line, size);
  if (r.fault != UndoFault::None)
    return std::nullopt;
  if (!base)
    base = fitAsItStands(line, size, chars).score;
  const auto *p = reinterpret_cast<const std::uint8_t *>(r.text.data());
  const TextFit fit = fitAsItStands(p, r.text.size(), chars);
  // The plan's chains were found on other lines: a line needs only read
  // clearly better, however few its letters.
  bool clears = gainClears(fit.score - *base, fit.russian, chain, 1);
  if (hasTwin(chain)) {
    const RepairChain of = twinOf(chain);
    const UndoResult t =
        of.count == 0 ? UndoResult{} : undoChain(of, line, size);
    if (t.fault == UndoFault::None) {
      const auto *q =
          of.count == 0 ? line
                        : reinterpret_cast<const std::uint8_t *>(t.text.data());
      const std::size_t n = of.count == 0 ? size : t.text.size();
      const TextFit twinFit = fitAsItStands(q, n, chars);
      const bool twinClears =
          of.count == 0 ||
          gainClears(twinFit.score - *base, twinFit.russian, of, 1);
      const long margin = twinAfter ? 0 : kWordsMargin;
      clears = wordsOf(p, r.text.size()) >= wordsOf(q, n) + margin &&
               (readAsEachOther(chain.layers[0]) ? twinClears : clears);
    }
  }
  if (!clears)
    return std::nullopt;
  return std::move(r.text);
}

} // namespace

bool repairLine(const RepairPlan &plan, const std::uint8_t *line,
                std::size_t size, std::string &out) {
  if (!hasHighByte(line, size))
    return false;
  const bool valid = checkUtf8(line, size).stop == Utf8Status::Ok;
  std::optional<long> base;
  for (std::uint8_t i = 0; i < plan.chainCount; ++i) {
    const RepairChain &chain = plan.chains[i];
    if (chain.storedAsRead == valid)
      continue; // a chain stored as read undoes only what is not UTF-8
    const auto later = plan.chains.begin() + i + 1;
    const auto end = plan.chains.begin() + plan.chainCount;
    const bool twinAfter = hasTwin(chain) &&
                           !readAsEachOther(chain.layers[0]) &&
                           std::find(later, end, twinOf(chain)) != end;
    auto undone = lineUndoneBy(chain, line, size, base, twinAfter);
    if (!undone)
      continue;
    // The first chain that makes the line read clearly better (the one
    // best on most lines first) undoes it; but a later one whose twin it
    // is, where that reads clearly better than it.
    for (std::uint8_t j = i + 1; j < plan.chainCount; ++j) {
      const RepairChain &other = plan.chains[j];
      if (!hasTwin(other) || !(twinOf(other) == chain))
        continue;
      if (auto better = lineUndoneBy(other, line, size, base, false)) {
        undone = std::move(better);
        break;
      }
    }
    out = std::move(*undone);
    return true;
  }
  return false;
}

std::size_t linePieceEnd(const std::uint8_t *bytes, std::size_t size) {
  const std::size_t limit = std::min(size, kRepairLineLimit);
  for (std::size_t i = limit; i > 0; --i) {
    const std::uint8_t b = bytes[i - 1];
    if (b < 0x80 && !((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z')))
      return i;
  }
  return limit;
}

// The sample.

namespace {

// Where a line cut short by the sample ends: after its last ASCII byte
// that is no letter, so that no garbled word is cut (its pieces would not
// undo); without one, after its last whole UTF-8 character.
std::size_t cutLineEnd(const std::string &bytes, std::size_t from) {
  const auto *p = reinterpret_cast<const std::uint8_t *>(bytes.data());
  if (bytes.size() <= from)
    return from;
  const std::size_t piece = linePieceEnd(p + from, bytes.size() - from);
  const std::uint8_t last = p[from + piece - 1];
  if (last < 0x80 &&
      !((last >= 'a' && last <= 'z') || (last >= 'A' && last <= 'Z')))
    return from + piece;
  std::size_t end = bytes.size();
  std::size_t back = 0;
  while (back < 3 && end > from + back && (p[end - 1 - back] & 0xC0) == 0x80)
    ++back;
  if (end > from + back) {
    const std::uint8_t lead = p[end - 1 - back];
    const std::size_t need = lead >= 0xF0   ? 4
                             : lead >= 0xE0 ? 3
                             : lead >= 0xC0 ? 2
                                            : 1;
    if (lead >= 0xC0 && need > back + 1)
      return end - 1 - back;
  }
  return end;
}

} // namespace

void RepairEvidence::feed(const std::uint8_t *bytes, std::size_t size) {
  for (std::size_t i = 0; i < size && !done_; ++i) {
    const std::uint8_t b = bytes[i];
    ++fed_;
    if (b >= 0x80 && budgetEnd_ == 0)
      budgetEnd_ = fed_ - 1 + kDetectReadOnBudget;
    if (!headDone_) {
      sample_ += static_cast<char>(b);
      high_ += b >= 0x80;
      if (sample_.size() >= kRepairHeadSize &&
          (b == '\n' || sample_.size() >= kRepairHeadSize + kRepairLineCut)) {
        if (b != '\n') {
          const std::size_t lineStart = sample_.rfind('\n');
          sample_.resize(cutLineEnd(
              sample_, lineStart == std::string::npos ? 0 : lineStart + 1));
          line_.clear();
          lineWanted_ = false;
          // The rest of this line is not read into the sample.
          skipping_ = true;
        }
        headDone_ = true;
        if (high_ >= kRepairEnoughBytes)
          done_ = true;
      }
      continue;
    }
    if (budgetEnd_ != 0 && fed_ > budgetEnd_) {
      done_ = true;
      break;
    }
    if (skipping_) {
      if (b == '\n')
        skipping_ = false;
      continue;
    }
    if (line_.size() < kRepairLineCut)
      line_ += static_cast<char>(b);
    lineWanted_ = lineWanted_ || b >= 0x80;
    if (b == '\n')
      takeLine();
  }
}

void RepairEvidence::takeLine() {
  if (lineWanted_) {
    if (line_.size() >= kRepairLineCut && line_.back() != '\n') {
      line_.resize(cutLineEnd(line_, 0));
      line_ += '\n';
    }
    for (char c : line_)
      high_ += static_cast<std::uint8_t>(c) >= 0x80;
    sample_ += line_;
    if (high_ >= kRepairEnoughBytes || sample_.size() >= kRepairSampleLimit)
      done_ = true;
  }
  line_.clear();
  lineWanted_ = false;
}

const std::string &RepairEvidence::sample() {
  if (!line_.empty()) {
    if (lineWanted_) {
      if (line_.size() >= kRepairLineCut)
        line_.resize(cutLineEnd(line_, 0));
      sample_ += line_;
    }
    line_.clear();
    lineWanted_ = false;
  }
  return sample_;
}

RepairPlan decideRepairOfBytes(const std::uint8_t *bytes, std::size_t size) {
  RepairEvidence evidence;
  evidence.feed(bytes, size);
  const std::string &sample = evidence.sample();
  return decideRepair(reinterpret_cast<const std::uint8_t *>(sample.data()),
                      sample.size());
}

RepairPlan decideRepairOfStream(SliceStream &stream) {
  RepairEvidence evidence;
  const std::uint8_t *head = nullptr;
  std::size_t held = 0;
  if (stream.bytesAhead(head, held) && held > 0) {
    evidence.feed(head, held);
    feedPastHeld(stream, evidence);
  }
  const std::string &sample = evidence.sample();
  return decideRepair(reinterpret_cast<const std::uint8_t *>(sample.data()),
                      sample.size());
}

} // namespace snpln::engine
