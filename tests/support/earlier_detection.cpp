#include "tests/support/earlier_detection.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <utility>

#include "engine/letter_frequencies.h"
#include "engine/utf8_codec.h"

namespace snpln::test {

using engine::CodePage;
using engine::fitOfReading;
using engine::kUtf8Bom;
using engine::LetterCounts;
using engine::ReadingFit;

namespace {

// Entries 0..31 the capitals А..Я, 32..63 the small letters а..я (both
// without Ё), 64 and 65 two further bytes as the tables have always held
// them: only Win's are Ё and ё.
using LetterTable = std::array<std::uint8_t, 66>;
constexpr std::size_t kLetterTableLength = 66;
// Entries above this index (в..я and the two further bytes) move the
// balance between small Win letters and small Koi letters.
constexpr std::size_t kBalanceThreshold = 33;

// clang-format off
constexpr LetterTable kDosLetters = {
    0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F,
    0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F,
    0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF,
    0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,
    0xD0, 0xF8,
};

constexpr LetterTable kWinLetters = {
    0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,
    0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
    0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF,
    0xA8, 0xB8,
};

constexpr LetterTable kKoiLetters = {
    0xE1, 0xE2, 0xF7, 0xE7, 0xE4, 0xE5, 0xF6, 0xFA, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF, 0xF0,
    0xF2, 0xF3, 0xF4, 0xF5, 0xE6, 0xE8, 0xE3, 0xFE, 0xFB, 0xFD, 0xFF, 0xF9, 0xF8, 0xFC, 0xE0, 0xF1,
    0xC1, 0xC2, 0xD7, 0xC7, 0xC4, 0xC5, 0xD6, 0xDA, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD0,
    0xD2, 0xD3, 0xD4, 0xD5, 0xC6, 0xC8, 0xC3, 0xDE, 0xDB, 0xDD, 0xDF, 0xD9, 0xD8, 0xDC, 0xC0, 0xD1,
    0xA8, 0xB8,
};

constexpr LetterTable kIsoLetters = {
    0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF,
    0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,
    0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
    0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,
    0xA8, 0xF8,
};
// clang-format on

// What one byte adds to the counters: how many entries of each table equal
// it, and its net move of the balance. Summing these over the sample gives
// the same counts as comparing every byte with every entry.
struct ByteWeight {
  std::uint8_t dos = 0;
  std::uint8_t win = 0;
  std::uint8_t koi = 0;
  std::uint8_t iso = 0;
  std::int8_t balance = 0;
};

constexpr std::array<ByteWeight, 256> makeWeights() {
  std::array<ByteWeight, 256> weights{};
  for (std::size_t j = 0; j < kLetterTableLength; ++j) {
    const bool moves = j > kBalanceThreshold;
    ++weights[kDosLetters[j]].dos;
    ++weights[kWinLetters[j]].win;
    ++weights[kKoiLetters[j]].koi;
    ++weights[kIsoLetters[j]].iso;
    if (moves) {
      ++weights[kWinLetters[j]].balance;
      --weights[kKoiLetters[j]].balance;
    }
  }
  return weights;
}

constexpr std::array<ByteWeight, 256> kWeights = makeWeights();

} // namespace

LetterCounts earlierLetterCounts(const std::uint8_t *sample, std::size_t size) {
  LetterCounts counts;
  for (std::size_t i = 0; i < size; ++i) {
    const ByteWeight &w = kWeights[sample[i]];
    counts.dosCount += w.dos;
    counts.winCount += w.win;
    counts.koiCount += w.koi;
    counts.isoCount += w.iso;
    counts.lowerBalance += w.balance;
  }
  return counts;
}

namespace {

CodePage chooseByCounts(const LetterCounts &counts) {
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

constexpr CodePage kSingleBytePages[] = {CodePage::Dos, CodePage::Win,
                                         CodePage::Koi, CodePage::Iso};

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

bool isWinKoiPair(CodePage a, CodePage b) {
  return (a == CodePage::Win && b == CodePage::Koi) ||
         (a == CodePage::Koi && b == CodePage::Win);
}

CodePage chooseSingleByte(const std::uint8_t *sample, std::size_t size) {
  const LetterCounts counts = earlierLetterCounts(sample, size);
  const CodePage chosen = chooseByCounts(counts);
  if (chosen == CodePage::Auto)
    return chosen;
  unsigned top = 0;
  for (const CodePage page : kSingleBytePages)
    top = std::max(top, countOf(counts, page));

  // The contenders: every page whose count is within an eighth of the top.
  // Mostly there are none, and the sample is not read again.
  const auto contends = [&](CodePage page) {
    return page != chosen && countOf(counts, page) * 8 >= top * 7;
  };
  if (std::none_of(std::begin(kSingleBytePages), std::end(kSingleBytePages),
                   contends))
    return chosen;
  const ReadingFit chosenFit = fitOfReading(sample, size, chosen);
  CodePage best = chosen;
  ReadingFit bestFit = chosenFit;
  for (const CodePage page : kSingleBytePages) {
    if (!contends(page))
      continue;
    const ReadingFit fit = fitOfReading(sample, size, page);
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
  const long letters = std::max<long>(1, chosenFit.letters);
  const long gain = bestFit.score - chosenFit.score; // in eighths
  if (isWinKoiPair(chosen, best)) {
    if (bestFit.capitals * 2 < bestFit.letters)
      return chosen;
    return gain > 2 * letters ? best : chosen;
  }
  return gain * 10 > 8 * letters ? best : chosen;
}

// The earlier rule for UTF-8: valid, with a character of two bytes or more;
// a sequence cut by the end of a sample (`cutShort`) counts as valid.
bool looksLikeUtf8(const std::uint8_t *sample, std::size_t size,
                   bool cutShort) {
  const engine::Utf8Check check = engine::checkUtf8(sample, size);
  const bool valid = check.stop == engine::Utf8Status::Ok ||
                     (check.stop == engine::Utf8Status::Incomplete && cutShort);
  return valid && check.sequences > 0;
}

engine::Detection detectSample(const std::uint8_t *sample, std::size_t size,
                               bool cutShort) {
  engine::Detection d;
  if (size > 0 && std::memchr(sample, 0, size) != nullptr) {
    d.kind = engine::TextKind::Binary;
    return d;
  }
  const bool bom =
      size >= 3 && std::memcmp(sample, kUtf8Bom, sizeof kUtf8Bom) == 0;
  if (bom || looksLikeUtf8(sample, size, cutShort)) {
    d.page = CodePage::Utf8;
    return d;
  }
  d.page = chooseSingleByte(sample, size);
  return d;
}

} // namespace

CodePage earlierCounts(const std::uint8_t *sample, std::size_t size) {
  return chooseByCounts(earlierLetterCounts(sample, size));
}

CodePage earlierDetection(const std::uint8_t *sample, std::size_t size,
                          bool cutShort) {
  return detectSample(sample, size, cutShort).page;
}

CodePage earlierDetection(const std::string &bytes) {
  const std::size_t size = std::min(bytes.size(), std::size_t{8192});
  return earlierDetection(reinterpret_cast<const std::uint8_t *>(bytes.data()),
                          size, size < bytes.size());
}

} // namespace snpln::test
