// The exclusion engine step for operation 7 (exclude) and 8 (replace): a
// single-pass matcher without backtracking that streams the file into the
// temporary file, putting `replaceText` in the place of every occurrence of
// `searchText` (removing it when `replaceText` is empty).
//
// Bytes are compared as they are, or after toUpperChar with
// `caseInsensitive`. With `leftPartOfWord` an occurrence must not follow a
// letter; with `rightPartOfWord` it must not be followed by one (the end of
// the file counts as a space). The letters and their cases are those of the
// single-byte file's `page` (letters.h). After a mismatch the held-back bytes
// go out unchanged and matching starts afresh after the mismatching byte.
//
// Each call reads one slice and returns Continue, or Finished on the call
// that finds the file consumed (the unfinished match goes out unchanged and
// the output buffer is written). Carried across steps: the match position,
// `MatchBuffer`, the previous byte, the output buffer and `hitCount`. Texts
// of any length work; the output buffer grows as needed.
//
// In a UTF-8 file the same rules apply to characters (utf8_codec.h): the search
// text is matched character by character, case folding and the word tests
// know the ASCII and Cyrillic letters (Ё and ё among them), and an
// occurrence always begins and ends at character boundaries. A character cut
// by a slice end, and the slice's last character (whose next character may
// decide a word end), are left unconsumed and handled at the front of the
// next slice (slice_stream.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/code_page.h"
#include "engine/slice_stream.h"
#include "engine/text_encoding.h"

namespace snpln::engine {

struct ExclusionOptions {
  bool leftPartOfWord = false;
  bool rightPartOfWord = false;
  bool caseInsensitive = false;
};

struct ExclusionState {
  ExclusionState(std::string searchText, std::string replaceText,
                 ExclusionOptions options,
                 TextEncoding encoding = TextEncoding::SingleByte,
                 CodePage page = CodePage::Win);
  std::string searchText; // at least one byte
  std::string replaceText;
  ExclusionOptions options;
  TextEncoding encoding;
  CodePage page; // a single-byte file's page, whose letters count
  std::uint64_t hitCount = 0;
  // The matcher's own state.
  std::size_t matchPos = 1; // bytes of searchText matched so far, plus 1
  std::string matchBuffer;  // the held-back bytes of a partial match
  std::uint8_t previousByte = 0x20; // the last byte taken from the file
  std::vector<std::uint8_t> output; // waiting to be written
  std::size_t writeThreshold = 0;   // output is written at this fill
  // UTF-8 only: the search text's characters as compared (folded with
  // caseInsensitive), and whether the last character taken was a letter.
  std::vector<std::uint32_t> searchKeys;
  bool previousIsLetter = false;
};

StepResult exclusionSlice(SliceStream &job, ExclusionState &state);

} // namespace snpln::engine
