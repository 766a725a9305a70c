#include "engine/detect_code_page.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include "engine/code_page_chars.h"
#include "engine/detect_frames.h"
#include "engine/detect_utf16.h"
#include "engine/detect_utf8.h"
#include "engine/letter_frequencies.h"
#include "engine/utf16.h"
#include "engine/utf8_codec.h"

namespace snpln::engine {

namespace {

// The pages the letters are counted for; their neighbours follow
// (engine/detect_neighbours.h).
constexpr CodePage kCountedPages[] = {CodePage::Dos, CodePage::Win,
                                      CodePage::Koi, CodePage::Iso};

// The weight of a letter in the counts, in eighths: 8 for the Russian
// letters А..я, 1 for Ё and ё and the Ukrainian and Belarusian letters
// Є є І і Ї ї Ў ў Ґ ґ (rare in Russian text, and on bytes that are common
// letters of other pages), 0 for anything else.
std::uint8_t letterWeight(char16_t c) {
  if (c >= 0x0410 && c <= 0x044F)
    return 8;
  switch (c) {
  case 0x0401:
  case 0x0451:
  case 0x0404:
  case 0x0454:
  case 0x0406:
  case 0x0456:
  case 0x0407:
  case 0x0457:
  case 0x040E:
  case 0x045E:
  case 0x0490:
  case 0x0491:
    return 1;
  default:
    return 0;
  }
}

// Small letters that move the balance: в..я, and ё; Ё too, as ever.
bool movesBalance(char16_t c) {
  return (c >= 0x0432 && c <= 0x044F) || c == 0x0451 || c == 0x0401;
}

// What one byte adds to the counters.
struct ByteWeight {
  std::uint8_t dos = 0;
  std::uint8_t win = 0;
  std::uint8_t koi = 0;
  std::uint8_t iso = 0;
  std::int8_t balance = 0;
};

std::array<ByteWeight, 256> makeWeights() {
  std::array<ByteWeight, 256> weights{};
  const CharTable &dos = charsOf(CodePage::Dos);
  const CharTable &win = charsOf(CodePage::Win);
  const CharTable &koi = charsOf(CodePage::Koi);
  const CharTable &iso = charsOf(CodePage::Iso);
  for (std::size_t b = 0x80; b < 256; ++b) {
    ByteWeight &w = weights[b];
    w.dos = letterWeight(dos[b]);
    w.win = letterWeight(win[b]);
    w.koi = letterWeight(koi[b]);
    w.iso = letterWeight(iso[b]);
    w.balance =
        static_cast<std::int8_t>(movesBalance(win[b]) - movesBalance(koi[b]));
  }
  return weights;
}

const std::array<ByteWeight, 256> &weights() {
  static const std::array<ByteWeight, 256> table = makeWeights();
  return table;
}

} // namespace

bool isPageLetter(std::uint8_t b, CodePage page) {
  return b >= 0x80 && isSingleBytePage(page) &&
         letterWeight(charsOf(page)[b]) != 0;
}

LetterCounts countLetters(const std::uint8_t *sample, std::size_t size) {
  const std::array<ByteWeight, 256> &table = weights();
  LetterCounts counts;
  for (std::size_t i = 0; i < size; ++i) {
    const ByteWeight &w = table[sample[i]];
    counts.dosCount += w.dos;
    counts.winCount += w.win;
    counts.koiCount += w.koi;
    counts.isoCount += w.iso;
    counts.lowerBalance += w.balance;
    counts.dosMinor += w.dos == 1;
    counts.winMinor += w.win == 1;
    counts.koiMinor += w.koi == 1;
    counts.isoMinor += w.iso == 1;
  }
  return counts;
}

CodePage chooseCodePage(const LetterCounts &counts) {
  // A later code page takes over only with a strictly greater count.
  CodePage choice = CodePage::Dos;
  unsigned best = counts.dosCount;
  const std::pair<CodePage, unsigned> later[] = {
      {CodePage::Win, counts.winCount},
      {CodePage::Koi, counts.koiCount},
      {CodePage::Iso, counts.isoCount},
  };
  for (const auto &[page, count] : later) {
    if (count > best) {
      choice = page;
      best = count;
    }
  }
  if ((choice == CodePage::Win || choice == CodePage::Koi) &&
      counts.winCount == counts.koiCount)
    choice = counts.lowerBalance > 0 ? CodePage::Win : CodePage::Koi;
  if (best == 0)
    return CodePage::Auto;
  return choice;
}

namespace {

unsigned countOf(const LetterCounts &counts, CodePage page) {
  switch (page) {
  case CodePage::Dos:
    return counts.dosCount;
  case CodePage::Win:
    return counts.winCount;
  case CodePage::Koi:
    return counts.koiCount;
  case CodePage::Iso:
    return counts.isoCount;
  case CodePage::Auto:
  case CodePage::Utf8:
  case CodePage::Utf16:
  case CodePage::Utf16Le:
  case CodePage::Utf16Be:
  case CodePage::Mac:
  case CodePage::KoiU:
  case CodePage::Cp1125:
    break;
  }
  return 0;
}

unsigned minorOf(const LetterCounts &counts, CodePage page) {
  switch (page) {
  case CodePage::Dos:
    return counts.dosMinor;
  case CodePage::Win:
    return counts.winMinor;
  case CodePage::Koi:
    return counts.koiMinor;
  case CodePage::Iso:
    return counts.isoMinor;
  case CodePage::Auto:
  case CodePage::Utf8:
  case CodePage::Utf16:
  case CodePage::Utf16Le:
  case CodePage::Utf16Be:
  case CodePage::Mac:
  case CodePage::KoiU:
  case CodePage::Cp1125:
    break;
  }
  return 0;
}

bool isWinKoiPair(CodePage a, CodePage b) {
  return (a == CodePage::Win && b == CodePage::Koi) ||
         (a == CodePage::Koi && b == CodePage::Win);
}

// The letter rule on bytes whose frames have been set aside. `framing`,
// the page whose frames they were (or Auto), wins whenever its count is
// close enough to the top to contend.
CodePage chooseByLetters(const std::uint8_t *sample, std::size_t size,
                         CodePage framing) {
  const LetterCounts counts = countLetters(sample, size);
  const CodePage chosen = chooseCodePage(counts);
  if (chosen == CodePage::Auto)
    return chosen;
  unsigned top = 0;
  for (const CodePage page : kCountedPages)
    top = std::max(top, countOf(counts, page));

  // The contenders: every page whose count, its minor letters taken as
  // whole ones, is within an eighth of the top. Mostly there are none, and
  // the sample is not read again.
  const auto contends = [&](CodePage page) {
    const unsigned whole = countOf(counts, page) + 7 * minorOf(counts, page);
    return page != chosen && whole * 8 >= top * 7;
  };
  if (framing == chosen || (framing != CodePage::Auto && contends(framing)))
    return framing;
  if (std::none_of(std::begin(kCountedPages), std::end(kCountedPages),
                   contends))
    return chosen;
  // Each page is read as it or the neighbour that would take its place
  // (engine/detect_neighbours.h). A contender whose words read right where
  // the chosen page's read wrong (a capital after small letters, a sign
  // inside a word) wins outright: short texts, whose letter frequencies
  // say little, are told so.
  const auto readingOf = [&](CodePage page) {
    return chooseNeighbour(sample, size, page).page;
  };
  std::array<CodePage, std::size(kCountedPages)> reading{};
  std::array<long, std::size(kCountedPages)> words{};
  const CodePage chosenReading = readingOf(chosen);
  const long ownWords = wordsReadRight(sample, size, chosenReading);
  long mostWords = ownWords;
  for (std::size_t p = 0; p < std::size(kCountedPages); ++p) {
    const CodePage page = kCountedPages[p];
    if (!contends(page))
      continue;
    reading[p] = readingOf(page);
    words[p] = wordsReadRight(sample, size, reading[p]);
    mostWords = std::max(mostWords, words[p]);
  }
  if (mostWords >= ownWords + kWordsMargin) {
    // Among the contenders that read best, the one that fits best.
    CodePage byWords = CodePage::Auto;
    long bestScore = 0;
    for (std::size_t p = 0; p < std::size(kCountedPages); ++p) {
      if (!contends(kCountedPages[p]) || words[p] != mostWords)
        continue;
      const long score = fitOfReading(sample, size, reading[p]).score;
      if (byWords == CodePage::Auto || score > bestScore) {
        byWords = kCountedPages[p];
        bestScore = score;
      }
    }
    return byWords;
  }
  const ReadingFit chosenFit = fitOfReading(sample, size, chosenReading);
  CodePage best = chosen;
  ReadingFit bestFit = chosenFit;
  for (std::size_t p = 0; p < std::size(kCountedPages); ++p) {
    const CodePage page = kCountedPages[p];
    // Nor does a reading whose words read clearly worse.
    if (!contends(page) || words[p] + kWordsMargin <= ownWords)
      continue;
    const ReadingFit fit = fitOfReading(sample, size, reading[p]);
    if (fit.score > bestFit.score) {
      best = page;
      bestFit = fit;
    }
  }
  if (best == chosen)
    return chosen;

  // The counts' choice stands unless the other reading fits clearly
  // better: by a quarter (Win against Koi, where the balance of small
  // letters decided) or a tenth (otherwise) of a natural logarithm per
  // letter. Win against Koi is reopened only for a reading that is mostly
  // capitals; in mixed case the balance of small letters is reliable.
  const long letters = std::max<long>(1, static_cast<long>(chosenFit.letters));
  const long gain = bestFit.score - chosenFit.score; // in eighths
  if (isWinKoiPair(chosen, best)) {
    if (bestFit.capitals * 2 < bestFit.letters)
      return chosen;
    return gain > 2 * letters ? best : chosen;
  }
  return gain * 10 > 8 * letters ? best : chosen;
}

} // namespace

NeighbourChoice chooseSingleByte(const std::uint8_t *sample, std::size_t size) {
  // Frames in the CP866 or the KOI8-R reading (in both: the one with more
  // framed characters) are set aside as blanks; the letters decide, then
  // the neighbours' own evidence.
  std::vector<bool> framed;
  CodePage framing = CodePage::Auto;
  std::size_t most = 0;
  for (const CodePage page : {CodePage::Dos, CodePage::Koi}) {
    const FrameEvidence e = findFrames(sample, size, page);
    if (drawsFrames(e) && e.framed > most) {
      framing = page;
      most = e.framed;
    }
  }
  if (framing == CodePage::Auto)
    return chooseNeighbour(sample, size,
                           chooseByLetters(sample, size, framing));
  findFrames(sample, size, framing, &framed);
  std::vector<std::uint8_t> letters(sample, sample + size);
  for (std::size_t i = 0; i < size; ++i)
    if (framed[i])
      letters[i] = ' ';
  return chooseNeighbour(
      letters.data(), letters.size(),
      chooseByLetters(letters.data(), letters.size(), framing));
}

namespace {

// The longest byte order mark.
constexpr std::uint64_t kMarkBytes = 4;

// A UTF-32 byte order mark makes the file binary (as its zero bytes
// would), whatever follows.
bool opensUtf32(const std::uint8_t *bytes, std::size_t size) {
  return bomKindOf(bytes, size) == BomKind::Utf32;
}

// The UTF-16 page of a mark the text after it bears out, else Auto.
CodePage byUtf16Mark(BomKind mark, const std::uint8_t *bytes,
                     std::size_t size) {
  if (mark != BomKind::Utf16Le && mark != BomKind::Utf16Be)
    return CodePage::Auto;
  const ByteOrder order =
      mark == BomKind::Utf16Le ? ByteOrder::Little : ByteOrder::Big;
  if (!utf16MarkHolds(bytes + 2, size - 2, order))
    return CodePage::Auto;
  return mark == BomKind::Utf16Le ? CodePage::Utf16Le : CodePage::Utf16Be;
}

} // namespace

Detection detectSample(const std::uint8_t *sample, std::size_t size,
                       bool cutShort, DetectDepth depth) {
  Detection d;
  const BomKind mark = bomKindOf(sample, size);
  if (mark == BomKind::Utf32) {
    d.kind = TextKind::Binary;
    return d;
  }
  if (const CodePage utf16 = byUtf16Mark(mark, sample, size);
      utf16 != CodePage::Auto) {
    d.page = utf16;
    return d;
  }
  if (mark == BomKind::Utf16Le || mark == BomKind::Utf16Be)
    d.ignoredMark = mark;
  if (size > 0 && std::memchr(sample, 0, size) != nullptr) {
    d.kind = TextKind::Binary;
    if (mark == BomKind::None)
      d.unmarkedUtf16 = unmarkedUtf16(sample, size, cutShort);
    return d;
  }
  if (depth == DetectDepth::Kind)
    return d;
  if (mark == BomKind::Utf8) {
    // The mark holds when what follows has no more stray bytes than UTF-8
    // characters (ASCII alone among it).
    const Utf8Evidence e = readAsUtf8(sample + 3, size - 3, cutShort);
    if (e.strayBytes <= e.sequences) {
      d.page = CodePage::Utf8;
      return d;
    }
    d.ignoredMark = mark;
  }
  // A mark that does not hold is text of the page the rest is in.
  std::size_t skip = 0;
  if (d.ignoredMark == BomKind::Utf8)
    skip = 3;
  else if (d.ignoredMark != BomKind::None)
    skip = 2;
  sample += skip;
  size -= skip;
  if (readsAsUtf8(sample, size, cutShort)) {
    d.page = CodePage::Utf8;
    return d;
  }
  if (depth == DetectDepth::Page) {
    NeighbourChoice choice = chooseSingleByte(sample, size);
    if (choice.page == CodePage::Auto && skip > 0) // letters in the mark alone
      choice = chooseSingleByte(sample - skip, size + skip);
    d.page = choice.page;
    d.neighbour = choice.neighbour;
    d.note = choice.note;
  }
  return d;
}

namespace {

// The index of the first byte above 0x7F or of value 0 in bytes[0, size),
// or size.
std::size_t firstNotPlain(const std::uint8_t *bytes, std::size_t size) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHigh = 0x8080808080808080ull;
  std::size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    std::uint64_t v;
    std::memcpy(&v, bytes + i, 8);
    // A byte above 0x7F, or a zero byte (the usual test for one).
    if ((v & kHigh) != 0 || ((v - kOnes) & ~v & kHigh) != 0)
      break;
  }
  while (i < size && bytes[i] != 0 && bytes[i] < 0x80)
    ++i;
  return i;
}

} // namespace

void DetectionEvidence::feed(const std::uint8_t *bytes, std::size_t size) {
  while (size > 0 && !done_) {
    if (fed_ < kDetectSampleSize) {
      // The first kMarkBytes alone first: a UTF-32 mark decides there,
      // however the bytes come.
      const std::uint64_t upTo =
          fed_ < kMarkBytes ? kMarkBytes : kDetectSampleSize;
      const std::size_t n =
          static_cast<std::size_t>(std::min<std::uint64_t>(size, upTo - fed_));
      feedHead(bytes, n);
      bytes += n;
      size -= n;
      if (fed_ == kMarkBytes &&
          opensUtf32(reinterpret_cast<const std::uint8_t *>(evidence_.data()),
                     evidence_.size())) {
        done_ = true;
        return;
      }
      if (fed_ == kDetectSampleSize)
        headDone();
      continue;
    }
    feedLater(bytes, size);
    return;
  }
}

void DetectionEvidence::feedHead(const std::uint8_t *bytes, std::size_t size) {
  evidence_.append(reinterpret_cast<const char *>(bytes), size);
  if (size > 0 && std::memchr(bytes, 0, size) != nullptr)
    binary_ = true;
  // The bytes above 0x7F, eight at a time, and the first of them.
  constexpr std::uint64_t kHigh = 0x8080808080808080ull;
  std::uint64_t high = 0;
  std::size_t first = size;
  std::size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    std::uint64_t v;
    std::memcpy(&v, bytes + i, 8);
    v &= kHigh;
    if (v == 0)
      continue;
    if (first == size) {
      // Found in its word byte by byte, whatever the byte order.
      std::size_t at = i;
      while (bytes[at] < 0x80)
        ++at;
      first = at;
    }
    high += static_cast<std::uint64_t>(std::popcount(v));
  }
  for (; i < size; ++i) {
    if (bytes[i] >= 0x80) {
      if (first == size)
        first = i;
      ++high;
    }
  }
  if (high > 0 && budgetEnd_ == 0)
    budgetEnd_ = fed_ + first + kDetectReadOnBudget;
  nonAscii_ += high;
  fed_ += size;
}

void DetectionEvidence::headDone() {
  // A zero byte makes it binary, and enough bytes above 0x7F decide.
  if (binary_ || nonAscii_ >= kDetectEnoughBytes)
    done_ = true;
}

void DetectionEvidence::feedLater(const std::uint8_t *bytes, std::size_t size) {
  std::size_t i = 0;
  while (i < size && !done_) {
    // Plain bytes up to the next byte above 0x7F (or zero byte): those
    // after a taken run are taken too, up to kDetectContext of them; the
    // last kDetectContext of the others are kept as the next run's
    // context.
    const std::size_t special = i + firstNotPlain(bytes + i, size - i);
    std::size_t plain = special - i;
    if (plain > 0) {
      const std::size_t taken = std::min(plain, tail_);
      evidence_.append(reinterpret_cast<const char *>(bytes + i), taken);
      tail_ -= taken;
      const std::size_t rest = plain - taken;
      const std::size_t keep = std::min(rest, kDetectContext);
      context_.append(reinterpret_cast<const char *>(bytes + special - keep),
                      keep);
      if (context_.size() > kDetectContext)
        context_.erase(0, context_.size() - kDetectContext);
      skipped_ += rest;
      fed_ += plain;
    }
    if (budgetEnd_ != 0 && fed_ >= budgetEnd_) {
      done_ = true;
      return;
    }
    if (special == size)
      return;
    const std::uint8_t b = bytes[special];
    ++fed_;
    if (b == 0) {
      binary_ = true;
      done_ = true;
      return;
    }
    // A byte above 0x7F: taken with the context before it, after a line
    // end that parts it from the last excerpt when bytes were skipped
    // between them.
    if (skipped_ > context_.size() && !evidence_.empty())
      evidence_ += '\n';
    evidence_ += context_;
    context_.clear();
    skipped_ = 0;
    evidence_ += static_cast<char>(b);
    tail_ = kDetectContext;
    if (budgetEnd_ == 0)
      budgetEnd_ = fed_ - 1 + kDetectReadOnBudget;
    if (++nonAscii_ >= kDetectEnoughBytes) {
      done_ = true;
      return;
    }
    i = special + 1;
  }
}

Detection DetectionEvidence::result(bool atEnd, DetectDepth depth) const {
  const auto *bytes = reinterpret_cast<const std::uint8_t *>(evidence_.data());
  Detection d = detectSample(bytes, evidence_.size(), !atEnd, depth);
  if (binary_ && d.kind == TextKind::Text && !isUtf16Page(d.page)) {
    // A zero byte read on past the head, which the evidence leaves out.
    d = Detection{};
    d.kind = TextKind::Binary;
  }
  return d;
}

Detection detectBytes(const std::uint8_t *bytes, std::size_t size) {
  DetectionEvidence evidence;
  evidence.feed(bytes, size);
  return evidence.result(evidence.fed() >= size);
}

CodePage detectCodePage(platform::InputFile &input,
                        platform::FileSize fileSize) {
  return detectFile(input, fileSize).page;
}

Detection detectStream(SliceStream &stream, DetectDepth depth) {
  DetectionEvidence evidence;
  const std::uint8_t *head = nullptr;
  std::size_t held = 0;
  // A failed head counts as nothing.
  if (!stream.bytesAhead(head, held))
    return evidence.result(stream.fileSize == 0, depth);
  evidence.feed(head, held);
  feedPastHeld(stream, evidence);
  return evidence.result(evidence.fed() >= stream.fileSize, depth);
}

Detection detectFile(platform::InputFile &input, platform::FileSize fileSize) {
  SliceStream stream(&input, nullptr, fileSize);
  const Detection result = detectStream(stream);
  // A failed rewind cannot be reported from here; the slices that follow
  // would then meet the end of the file early and end with a read error.
  input.seek(0);
  return result;
}

} // namespace snpln::engine
