// The pages that share most of their bytes with one of the pages the letter
// counts choose among, each taken only on its own evidence:
//
// - KOI8-U is KOI8-R with Ukrainian letters (є і ї ґ Є І Ї Ґ) where KOI8-R
//   draws boxes;
// - CP1125 is CP866 with І і Ї ї where CP866 has Ў ў ° ∙ (and Ґ ґ Є є
//   where it has Є є Ї ї);
// - Mac Cyrillic has the small letters of Windows-1251 but я, and the
//   capitals of CP866 (Windows-1251 reads `Кащеев` as `Љащеев`, `моя` as
//   `моЯ`; CP866 reads its « » — as box drawing).
//
// The neighbour takes the place of the page chosen when more of the text's
// words read as Russian or Ukrainian words in it: in Cyrillic letters of
// those languages alone (no sign, foreign letter or box drawing among
// them, none at their ends), in small letters, capitals, or a capital and
// small letters. A single word that reads right in the neighbour and wrong
// in the page chosen is enough; a text that reads the same in both (Russian
// in KOI8-U, small letters without я in Mac) keeps the page chosen. So
// KOI8-R's box drawing or CP866's `25°` never make a neighbour. The bytes
// are those the letters were counted on: frames already set aside.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/code_page.h"

namespace snpln::engine {

// Why a page was told from the neighbour whose bytes it shares, for a
// report to say ("holds Ukrainian letters outside KOI8-R").
enum class NeighbourNote : std::uint8_t {
  None,
  // KOI8-U: Ukrainian letters at bytes where KOI8-R has box drawing.
  UkrainianOutsideKoi8R,
  // CP1125: Ukrainian letters at bytes where CP866 has Ў ў ° ∙.
  UkrainianOutsideCp866,
  // Mac Cyrillic: capitals and я at bytes where Windows-1251 has signs.
  CapitalsOutsideWindows1251,
  // Mac Cyrillic: quotes, dashes and Ё where CP866 draws boxes.
  SignsOutsideCp866,
};

struct NeighbourChoice {
  CodePage page = CodePage::Auto;
  // The page `page` was told from (Auto when `page` is the one chosen).
  CodePage neighbour = CodePage::Auto;
  NeighbourNote note = NeighbourNote::None;
};

// How many of the words of the bytes read as Russian or Ukrainian words in
// `page`, less those that do not (0 for a page that is no single-byte one).
// A word is a run of letters and bytes above 0x7F between ASCII bytes that
// are no letters, the quotes, dashes and ellipses at its ends set aside; it
// reads right as two
// Cyrillic letters or more of those languages, in small letters, capitals,
// or a capital and small letters, and wrong with a sign, a foreign or Latin
// letter among them, a capital after a small letter, or box drawing at its
// ends, or one letter three times running. No-break spaces part words as
// spaces do. Of the words of one letter only the Ukrainian і and є count
// (as right), a foreign letter or box drawing alone between words (outside
// frames, which are set aside before) as wrong; signs alone count neither
// way, but an empty pair of guillemets `«»` (a placeholder whose text was
// left out) counts as right, as the capitals at its bytes in another page
// would.
long wordsReadRight(const std::uint8_t *bytes, std::size_t size, CodePage page);
// One page reads clearly better than another by this many words: one word
// that reads right in it and wrong in the other.
inline constexpr long kWordsMargin = 2;

// The neighbours that may take the place of `page` (Dos: CP1125 and Mac;
// Win: Mac; Koi: KOI8-U; none for any other).
std::span<const CodePage> neighboursOf(CodePage page);

// `chosen` is the page the letters chose (Dos, Win, Koi or Iso).
NeighbourChoice chooseNeighbour(const std::uint8_t *bytes, std::size_t size,
                                CodePage chosen);

} // namespace snpln::engine
