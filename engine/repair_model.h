// How much a text reads as Russian, for the repair of garbled text: the
// score of a reading, to compare the text as it stands with what undoing a
// chain of wrong readings gives, and the choice between the letters a lost
// byte leaves open within a word.
//
// A reading is scored character by character, in quarters of a natural
// logarithm (higher fits better):
// - each Russian letter (case folded, ё apart from е) by how likely it
//   follows the two letters before it in a word (or the word's start), and
//   each word's end by how likely it ends there, from the letter trigrams
//   of the Russian dictionary's word forms (engine/repair_model_data.cpp,
//   made by tools/make_repair_model.py);
// - a word in mixed case (other than a capital followed by small letters),
//   or mixing Cyrillic and Latin letters, at a fixed cost;
// - a Cyrillic letter of no Russian word (ђ, Ў), or an accented Latin
//   letter that stands beside no plain Latin one (Ï in Ïðèâåò, not ü in
//   Grüße), as a rare sign;
// - any other character above U+007F as a sign, at a cost by its kind: the
//   punctuation of Russian text (« » — … №, the no-break space) costs
//   least, a symbol more, a control character or U+FFFD most.
// ASCII costs nothing (its letters only where they mix with Cyrillic).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace snpln::engine {

namespace repair_model {

// Letters: 0 is a word's edge, 1..33 а..я with ё at 7 (the alphabet's
// order).
inline constexpr std::size_t kSymbols = 34;
extern const std::int8_t kTrigrams[kSymbols * kSymbols * kSymbols];
extern const std::uint32_t kCommonWords[];
extern const std::size_t kCommonWordCount;
// The known words' hashes, sorted, as their gaps Golomb-Rice coded: each
// gap's quotient by 2^kKnownWordRiceBits in unary (ones ended by a zero),
// then its remainder in kKnownWordRiceBits bits, most significant bit
// first.
extern const std::uint8_t kKnownWordCode[];
extern const std::size_t kKnownWordCodeSize;
extern const std::size_t kKnownWordCount;
extern const unsigned kKnownWordRiceBits;

} // namespace repair_model

// The folded letter 1..33 of a Russian letter (А..я, Ё, ё), 0 for any
// other character.
int russianLetterOf(char32_t c);

// The cost of a character that is no Russian letter and not ASCII, in
// quarters (0 or negative).
int signWeightOf(char32_t c);

struct TextFit {
  long score = 0;
  std::uint32_t russian = 0; // Russian letters
  std::uint32_t signs = 0;   // characters above U+007F that are none
};

// The fit of a text given as characters.
TextFit fitOfText(const char32_t *chars, std::size_t count);

// A word's fit as letters 1..33 alone (no edges' characters): the trigram
// score from its start to its end, plus kCommonWordBonus for a common word
// or kKnownWordBonus for a word the dictionary knows that the trigrams
// undervalue, which outweigh any trigrams. Used to choose among the
// readings a lost byte leaves open.
inline constexpr long kCommonWordBonus = 4000;
inline constexpr long kKnownWordBonus = 2000;
// A word whose fit reaches this is a common word.
inline constexpr long kCommonWordFit = kCommonWordBonus - 1000;
long fitOfWord(const std::uint8_t *letters, std::size_t count);

// The sorted values of a Golomb-Rice coded set (see kKnownWordCode), or
// nothing when the code ends before `count` values or holds more than
// padding after them.
std::optional<std::vector<std::uint32_t>>
decodeRiceSet(const std::uint8_t *code, std::size_t size, std::size_t count,
              unsigned riceBits);

// The 32-bit FNV-1a hash of letters 1..33, as the generator computes it.
std::uint32_t wordHash(const std::uint8_t *letters, std::size_t count);
bool isCommonWord(std::uint32_t hash);
bool isKnownWord(std::uint32_t hash);

} // namespace snpln::engine
