// How often the repair gets garbled text exactly back, and that it never
// changes clean text, on a corpus made here from the project's own Russian
// prose: tests/data/russian_prose.txt and russian_prose_2.txt (12 388
// bytes, about 6 800 characters; the model's dictionary is hunspell-ru's,
// apart from it). Each sample is an excerpt of 20 to 2000 characters
// starting at a character drawn by a seeded generator (so excerpts
// overlap: the prose is too short for thousands of distinct ones), a
// quarter of them from 20 to 99 characters; two seeds, kSeeds.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "engine/detect_code_page.h"
#include "engine/repair_slice.h"
#include "tests/support/garbled_samples.h"
#include "tests/support/russian_samples.h"

namespace snpln::engine {
namespace {

using test::chainOf;
using test::describe;
using test::garble;
using test::LostByte;
using P = RepairPage;

constexpr std::uint64_t kSeeds[] = {20240601, 31};

// The prose without its two lines of the bare alphabet, which are no
// text.
const std::string &prose() {
  static const std::string text = [] {
    const std::string all = test::allRussianProse();
    std::string kept;
    std::size_t start = 0;
    while (start < all.size()) {
      std::size_t end = all.find('\n', start);
      end = end == std::string::npos ? all.size() : end + 1;
      const std::string line = all.substr(start, end - start);
      if (line.find("абвгдеёжз") == std::string::npos &&
          line.find("АБВГДЕЁЖЗ") == std::string::npos)
        kept += line;
      start = end;
    }
    return kept;
  }();
  return text;
}

const test::ExcerptPicker &picker() {
  static const test::ExcerptPicker p(prose());
  return p;
}

// The i-th sample of a run: every fourth from the short bucket.
std::string sampleOf(std::size_t i, std::uint64_t &rng) {
  return i % 4 == 0 ? picker().pick(20, 99, rng)
                    : picker().pick(100, 2000, rng);
}

struct Tally {
  std::size_t total = 0;
  std::size_t right = 0;
  std::string firstWrong;
  double share() const { return total ? double(right) / double(total) : 0; }
};

// Garbles `perSeed` samples for each seed with `make` (which gives nothing
// for a sample a page cannot hold) and repairs them; with `capitals`, the
// samples in capitals.
Tally recoveryOf(
    const std::function<std::optional<std::string>(const std::string &)> &make,
    std::size_t perSeed, bool capitals = false) {
  Tally t;
  for (const std::uint64_t seed : kSeeds) {
    std::uint64_t rng = seed;
    for (std::size_t i = 0; i < perSeed;) {
      const std::string sample = sampleOf(i, rng);
      const std::string clean = capitals ? test::capitalsOf(sample) : sample;
      const auto garbled = make(clean);
      if (!garbled)
        continue; // a character the page cannot hold
      ++i;
      ++t.total;
      const auto *bytes =
          reinterpret_cast<const std::uint8_t *>(garbled->data());
      const RepairOutcome out = repairText(bytes, garbled->size());
      if (out.fault == UndoFault::None && out.text == clean)
        ++t.right;
      else if (t.firstWrong.empty())
        t.firstWrong = "clean:    " + clean + "\ngarbled:  " + *garbled +
                       "\nrepaired: " + out.text +
                       "\nchain:    " + describe(out.plan.chain()) +
                       "\nmode: " + std::to_string(int(out.plan.mode));
    }
  }
  return t;
}

constexpr std::size_t kPerSeed = 100;

struct ChainRow {
  RepairChain chain;
  LostByte lost;
  double least; // the share that must come back exactly
};

bool canGarble(const RepairChain &chain) {
  for (std::size_t i = 0; i < chain.count; ++i)
    if (!test::canGarbleWith(chain.layers[i].written) ||
        !test::canGarbleWith(chain.layers[i].read))
      return false;
  return true;
}

void expectRecovery(const std::vector<ChainRow> &rows, bool capitals = false) {
  for (const ChainRow &row : rows) {
    if (!canGarble(row.chain)) {
      std::printf("  %-60s not made here\n", describe(row.chain).c_str());
      continue;
    }
    const Tally t = recoveryOf(
        [&](const std::string &s) { return garble(s, row.chain, row.lost); },
        kPerSeed, capitals);
    std::printf("  %-60s %zu/%zu\n", describe(row.chain).c_str(), t.right,
                t.total);
    EXPECT_GE(t.share(), row.least)
        << describe(row.chain) << ": " << t.right << " of " << t.total
        << " exact, at least " << row.least << " wanted; first wrong:\n"
        << t.firstWrong;
  }
}

constexpr P kWritten[] = {P::Utf8, P::Win, P::Koi, P::Dos, P::Iso, P::Mac};
constexpr P kRead[] = {P::Win, P::Win1252, P::Latin1, P::Koi,
                       P::Dos, P::Iso,     P::Mac};

TEST(RepairAccuracy, EverySingleLayerChain) {
  std::vector<ChainRow> rows;
  for (const P written : kWritten)
    for (const P read : kRead)
      if (written != read)
        rows.push_back({chainOf({{written, read}}), LostByte::AsControl, 0.99});
  expectRecovery(rows);
}

TEST(RepairAccuracy, LayeredChainsOverUtf8) {
  expectRecovery({
      {chainOf({{P::Utf8, P::Win}, {P::Utf8, P::Win}}), LostByte::AsControl,
       0.99},
      {chainOf({{P::Utf8, P::Win}, {P::Utf8, P::Win1252}}), LostByte::AsControl,
       0.99},
      {chainOf({{P::Utf8, P::Win1252}, {P::Utf8, P::Win}}), LostByte::AsControl,
       0.99},
      {chainOf({{P::Utf8, P::Dos}, {P::Utf8, P::Win}}), LostByte::AsControl,
       0.99},
      {chainOf({{P::Utf8, P::Koi}, {P::Utf8, P::Latin1}}), LostByte::AsControl,
       0.99},
      {chainOf({{P::Win, P::Win1252}, {P::Utf8, P::Win}}), LostByte::AsControl,
       0.99},
      {chainOf({{P::Koi, P::Win}, {P::Utf8, P::Win1252}}), LostByte::AsControl,
       0.99},
      {chainOf({{P::Utf8, P::Win}, {P::Utf8, P::Win}, {P::Utf8, P::Win}}),
       LostByte::AsControl, 0.99},
      {chainOf({{P::Utf8, P::Dos}, {P::Utf8, P::Win}, {P::Utf8, P::Win1252}}),
       LostByte::AsControl, 0.99},
      {chainOf({{P::Utf8, P::Mac}, {P::Utf8, P::Win}}), LostByte::AsControl,
       0.99},
      {chainOf({{P::Mac, P::Win}, {P::Utf8, P::Win1252}}), LostByte::AsControl,
       0.99},
  });
}

TEST(RepairAccuracy, LostBytes) {
  expectRecovery({
      {chainOf({{P::Utf8, P::Win}}), LostByte::AsQuestionMark, 0.99},
      {chainOf({{P::Utf8, P::Win}}), LostByte::Dropped, 0.99},
      {chainOf({{P::Utf8, P::Win}}, true), LostByte::AsQuestionMark, 0.99},
      {chainOf({{P::Utf8, P::Win}}, true), LostByte::Dropped, 0.99},
      {chainOf({{P::Utf8, P::Win1252}}), LostByte::AsQuestionMark, 0.90},
  });
}

// Text in capitals throughout. Where Windows-1252 lost bytes, every А and
// Н (and Ё) is open, and beyond the short words the model knows, the
// trigrams and the commonest words choose alone: a sample of hundreds of
// words then seldom comes back whole.
TEST(RepairAccuracy, CapitalsWithLostBytes) {
  expectRecovery(
      {
          {chainOf({{P::Utf8, P::Win1252}}), LostByte::AsControl, 0.99},
          {chainOf({{P::Utf8, P::Win1252}}), LostByte::AsQuestionMark, 0.30},
          {chainOf({{P::Utf8, P::Win1252}}), LostByte::Dropped, 0.30},
          {chainOf({{P::Utf8, P::Win}}), LostByte::AsQuestionMark, 0.99},
      },
      true);
}

// Every other line garbled, each sample by one of the single-layer chains
// in turn: the garbled lines repaired, the others kept. Two runs: the
// chains without Mac Cyrillic, and those through it.
void expectEveryOtherLine(bool throughMac) {
  std::vector<RepairChain> chains;
  for (const P written : kWritten)
    for (const P read : kRead)
      if (written != read &&
          (written == P::Mac || read == P::Mac) == throughMac &&
          canGarble(chainOf({{written, read}})))
        chains.push_back(chainOf({{written, read}}));
  if (chains.empty())
    return;
  std::size_t n = 0;
  const Tally t = recoveryOf(
      [&](const std::string &s) -> std::optional<std::string> {
        const RepairChain &chain = chains[n++ % chains.size()];
        std::string out;
        std::size_t start = 0, lines = 0;
        while (start < s.size()) {
          std::size_t end = s.find('\n', start);
          end = end == std::string::npos ? s.size() : end + 1;
          const std::string line = s.substr(start, end - start);
          const auto garbled = garble(line, chain);
          if (!garbled)
            return std::nullopt;
          out += lines++ % 2 ? *garbled : line;
          start = end;
        }
        if (lines < 3)
          return std::nullopt; // not lines enough
        return out;
      },
      kPerSeed);
  std::printf("  every other line%s: %zu/%zu\n",
              throughMac ? ", through Mac Cyrillic" : "", t.right, t.total);
  EXPECT_GE(t.share(), 0.97)
      << t.right << " of " << t.total << " exact; first wrong:\n"
      << t.firstWrong;
}

TEST(RepairAccuracy, EveryOtherLineGarbled) {
  expectEveryOtherLine(false);
  expectEveryOtherLine(true);
}

constexpr CodePage kCleanPages[] = {
    CodePage::Utf8, CodePage::Win, CodePage::Koi,  CodePage::Dos,
    CodePage::Iso,  CodePage::Mac, CodePage::KoiU, CodePage::Cp1125};

// Whether the C library here writes text in `page`.
bool canWrite(CodePage page) {
  return page == CodePage::Utf8 || test::iconvInPage("я", page).has_value();
}

// Clean samples in a page, as written and in capitals: not one changed.
TEST(RepairAccuracy, CleanTextStaysInEveryPage) {
  constexpr std::size_t kClean = 2500;
  for (const CodePage page : kCleanPages) {
    if (!canWrite(page))
      continue;
    for (const bool capitals : {false, true}) {
      std::size_t total = 0, changed = 0;
      std::string firstChanged;
      std::uint64_t rng =
          kSeeds[capitals ? 1 : 0] + static_cast<unsigned>(page);
      while (total < kClean) {
        std::string clean = sampleOf(total, rng);
        if (capitals)
          clean = test::capitalsOf(clean);
        const auto bytes = page == CodePage::Utf8
                               ? std::optional<std::string>(clean)
                               : test::iconvInPage(clean, page);
        if (!bytes)
          continue;
        ++total;
        const RepairOutcome out =
            repairText(reinterpret_cast<const std::uint8_t *>(bytes->data()),
                       bytes->size());
        if (out.text != *bytes && ++changed == 1)
          firstChanged = clean + "\nbecame (as UTF-8 if it was):\n" + out.text +
                         "\nchain: " + describe(out.plan.chain());
      }
      EXPECT_EQ(changed, 0u)
          << test::pageName(page) << (capitals ? ", capitals" : "") << ": "
          << changed << " of " << total << " changed; first:\n"
          << firstChanged;
    }
  }
}

// Clean capitals ending in Р or С followed by `?` (where Р? and С? would
// be what is left of UTF-8 И and ј read as Windows-1251): left alone.
TEST(RepairAccuracy, CleanCapitalsBeforeAQuestionMarkStay) {
  std::vector<std::string> words;
  for (const std::string &w : test::wordsOf(prose()))
    if (w.size() >= 4 && (w.compare(w.size() - 2, 2, "р") == 0 ||
                          w.compare(w.size() - 2, 2, "с") == 0))
      words.push_back(test::capitalsOf(w));
  ASSERT_GE(words.size(), 10u);
  std::size_t total = 0;
  for (const CodePage page : kCleanPages) {
    if (!canWrite(page))
      continue;
    for (std::size_t i = 0; i < words.size(); ++i) {
      for (const std::string &text :
           {words[i] + "?", "КТО ТАКОЙ " + words[i] + "?\n",
            words[i] + "? " + words[(i + 1) % words.size()] + "?"}) {
        const auto bytes = page == CodePage::Utf8
                               ? std::optional<std::string>(text)
                               : test::iconvInPage(text, page);
        ASSERT_TRUE(bytes.has_value());
        ++total;
        const RepairOutcome out =
            repairText(reinterpret_cast<const std::uint8_t *>(bytes->data()),
                       bytes->size());
        EXPECT_EQ(out.text, *bytes)
            << test::pageName(page) << ": " << text << " became " << out.text;
      }
    }
  }
  std::printf("  %zu capitals before a question mark\n", total);
}

} // namespace
} // namespace snpln::engine
