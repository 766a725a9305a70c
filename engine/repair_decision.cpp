#include "engine/repair_decision.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/detect_code_page.h"
#include "engine/detect_utf8.h"
#include "engine/repair_model.h"
#include "engine/utf8_codec.h"

namespace snpln::engine {

namespace {

constexpr RepairPage kWrittenPages[] = {RepairPage::Utf8, RepairPage::Win,
                                        RepairPage::Koi, RepairPage::Dos,
                                        RepairPage::Iso};
constexpr RepairPage kReadPages[] = {RepairPage::Win,     RepairPage::Koi,
                                     RepairPage::Dos,     RepairPage::Iso,
                                     RepairPage::Win1252, RepairPage::Latin1};

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

// A chain found on a line: what it adds to the line's fit.
struct Found {
  RepairChain chain;
  long gain = 0;
  std::uint32_t letters = 0;
};

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
    std::vector<Found> found;
    const Found *best = nullptr; // the best that clears, if any
  };
  std::vector<LineFinding> lines;
  std::vector<char32_t> chars;
  for (const auto &[start, end] : linesOf(sample, size)) {
    if (!hasHighByte(sample + start, end - start))
      continue;
    LineFinding line{start, end, 0, 0, {}, nullptr};
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
    for (const Found &f : line.found)
      if (clearlyBetter(f.gain, f.letters, f.chain) &&
          (line.best == nullptr || f.gain > line.best->gain))
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
      if (clearlyBetter(f.gain, f.letters, f.chain) &&
          std::find(candidates.begin(), candidates.end(), f.chain) ==
              candidates.end())
        candidates.push_back(f.chain);
  bool anyWhole = false;
  RepairChain wholeChain;
  long wholeGain = 0;
  for (const RepairChain &candidate : candidates) {
    bool whole = true;
    long gain = 0;
    std::uint32_t letters = 0;
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
      letters += it->letters;
    }
    if (whole && clearlyBetter(gain, letters, candidate) &&
        (!anyWhole || gain > wholeGain)) {
      anyWhole = true;
      wholeChain = candidate;
      wholeGain = gain;
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
        if (f.chain == c && clearlyBetter(f.gain, f.letters, f.chain))
          total += f.gain;
    others.emplace_back(total, c);
  }
  std::stable_sort(
      others.begin(), others.end(),
      [](const auto &a, const auto &b) { return a.first > b.first; });
  for (const auto &t : tally)
    if (plan.chainCount < kMaxLineChains)
      plan.chains[plan.chainCount++] = t.first;
  for (const auto &o : others)
    if (plan.chainCount < kMaxLineChains)
      plan.chains[plan.chainCount++] = o.second;
  return plan;
}

bool repairLine(const RepairPlan &plan, const std::uint8_t *line,
                std::size_t size, std::string &out) {
  if (!hasHighByte(line, size))
    return false;
  thread_local std::vector<char32_t> chars;
  const bool valid = checkUtf8(line, size).stop == Utf8Status::Ok;
  bool based = false;
  long base = 0;
  for (std::uint8_t i = 0; i < plan.chainCount; ++i) {
    const RepairChain &chain = plan.chains[i];
    if (chain.storedAsRead == valid)
      continue; // a chain stored as read undoes only what is not UTF-8
    UndoResult r = undoChain(chain, line, size);
    if (r.fault != UndoFault::None)
      continue;
    if (!based) {
      base = fitAsItStands(line, size, chars).score;
      based = true;
    }
    const auto *p = reinterpret_cast<const std::uint8_t *>(r.text.data());
    const TextFit fit = fitAsItStands(p, r.text.size(), chars);
    // The plan's chains were found on other lines: a line needs only read
    // clearly better, however few its letters. The first chain that makes
    // it so (the one best on most lines first) undoes it.
    if (gainClears(fit.score - base, fit.russian, chain, 1)) {
      out = std::move(r.text);
      return true;
    }
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
