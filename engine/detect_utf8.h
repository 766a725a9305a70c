// Whether a text is UTF-8, from its reading as UTF-8.
//
// Valid UTF-8 holding characters of two bytes or more is UTF-8; so is text
// with stray bytes in it (a UTF-8 file edited once in a single-byte
// editor) while its characters of two bytes or more are at least as many
// as the bytes that start no valid sequence (and kSequencesWithStrays of
// them at least). Text in a single-byte page comes nowhere near: Russian
// prose in CP866, the page whose letters most often form valid sequences,
// has at most about half a sequence per stray byte in 40 characters, and
// 0.2 in longer text, in every page and case (tests/engine pins the
// margin).
//
// A short text (fewer than kSureSequences such characters) whose bytes are
// all valid is UTF-8 only when its UTF-8 reading is plausible text: each of
// those characters Cyrillic, a Latin letter within a Latin word, common
// punctuation or a symbol in its usual place (a degree sign after a digit,
// a closing guillemet after a word). Short CP866 and ISO 8859-5 words whose
// bytes happen to be valid UTF-8 read as a character of a rare script or a
// stray sign (CP866 `ума` is U+3B20, ISO `ТО` is ¾) and stay single-byte.
#pragma once

#include <cstddef>
#include <cstdint>

namespace snpln::engine {

inline constexpr std::uint64_t kSureSequences = 8;
inline constexpr std::uint64_t kStrayRatio = 1;
inline constexpr std::uint64_t kSequencesWithStrays = 8;

struct Utf8Evidence {
  std::uint64_t sequences = 0;   // valid characters of two bytes or more
  std::uint64_t strayBytes = 0;  // bytes above 0x7F that start none
  std::uint64_t implausible = 0; // sequences unlikely in their place
};

// `cutShort`: the bytes are the head of something longer, so a sequence
// cut by their end is no stray byte.
Utf8Evidence readAsUtf8(const std::uint8_t *bytes, std::size_t size,
                        bool cutShort);
bool isUtf8Text(const Utf8Evidence &evidence);
// isUtf8Text(readAsUtf8(...)), read only as far as it takes to tell: text
// in a single-byte page is given up on once its stray bytes outnumber what
// the rest could balance.
bool readsAsUtf8(const std::uint8_t *bytes, std::size_t size, bool cutShort);

// Whether `code` (two bytes or more in UTF-8) is plausible between the
// characters `before` and `after` (0 at the start or end of the text) in a
// short text.
bool plausibleInShortText(char32_t code, char32_t before, char32_t after);

} // namespace snpln::engine
