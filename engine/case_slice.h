// The case engine step for upper, lower and smart (sentence) case.
//
// Each call handles one slice in place and writes it to the temporary file,
// or returns Finished once the whole file has been consumed (an empty file
// finishes on its first call). Upper and lower case map every letter on its
// own. Smart case writes letters small except the first letter of a sentence;
// with `saveUpper` it keeps existing capitals, and it keeps a capitalised word
// (a capital after a blank followed by a small letter).
//
// Carried across steps: `caseHistory`, the last 254 output bytes, which the
// smart case looks back over. The capitalised-word rule may look one byte
// past the slice (the file position is put back; a failed look-ahead is
// ReadFailed).
//
// The letters are those of the file's page (letters.h): `page` for a
// single-byte file (Auto: the ASCII letters alone). Ё and ё are letters
// wherever the page holds them.
//
// In a UTF-8 file the same rules apply to characters (utf8_codec.h): the ASCII
// and Cyrillic letters change case, every other character stays as it is and
// counts as a blank for the look-back, and the history holds the last 254
// characters. A character cut by a slice end, and for smart case the last
// character of a slice (whose next character the capitalised-word rule may
// need), are left unconsumed and handled at the front of the next slice
// (slice_stream.h).
#pragma once

#include <cstdint>
#include <vector>

#include "engine/code_page.h"
#include "engine/slice_stream.h"
#include "engine/text_encoding.h"

namespace snpln::engine {

inline constexpr unsigned kCaseHistorySize = 254;

enum class CaseOperation : std::uint8_t { Upper, Lower, Smart };

struct CaseState {
  CaseState(CaseOperation operation, bool saveUpper,
            TextEncoding encoding = TextEncoding::SingleByte,
            CodePage page = CodePage::Win);
  CaseOperation operation;
  bool saveUpper;
  TextEncoding encoding;
  // The single-byte file's page, whose letters change case.
  CodePage page;
  // caseHistory: the most recent output bytes of the job, oldest first,
  // at most kCaseHistorySize.
  std::uint8_t history[kCaseHistorySize] = {};
  unsigned historySize = 0;
  // UTF-8 smart case: one byte per character of the slice standing for its
  // class in the look-back.
  std::vector<std::uint8_t> letters;
  // Single-byte smart case: what the bytes handled so far end with. Whether
  // the last letter or terminator among them was a terminator (or there
  // was none), whether the last byte was a letter, and where the last
  // letter or terminator was, if any.
  std::uint64_t afterTerminator = 1;
  std::uint64_t lastLetter = 0;
  std::uint64_t lastSignificant = 0;
  bool seenSignificant = false;
  // UTF-8 only: the original byte before the first one not yet handled.
  std::uint8_t previousOriginal = 0;
};

StepResult caseSlice(SliceStream &job, CaseState &state);

} // namespace snpln::engine
