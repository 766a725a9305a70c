// The recoding engine step (operations 1 to 4 and recoding to UTF-8): one
// slice read, recoded, written.
//
// Between two single-byte pages every byte is mapped on its own through the
// precomputed map, in place; nothing but `processed`, the file positions and
// the count of bytes that went to a fill byte carries across steps. The map
// is applied two bytes at a time through a 65536-entry table of byte pairs
// built from it once per pair of pages (256 KiB).
//
// From a single-byte page to UTF-8 each byte becomes the one to three bytes
// of its character in the page's published standard; no byte order mark is
// added. From UTF-8 to a single-byte page each character becomes its byte
// there; a sequence cut by the end of a slice waits for the next slice, a
// byte order mark at the start of the file is dropped, and invalid UTF-8 or
// a character the target cannot hold stops the job (the state names the
// fault and the file offset of its first byte).
//
// With UTF-16 on either side each character goes through its code
// (engine/utf16_recode.h).
//
// From UTF-8 to UTF-8 the bytes are checked, not changed: the output is
// the input, and invalid UTF-8 stops the job at its first byte, as it
// would going to any other page.
//
// Strict: between single-byte pages a character the target lacks stops
// the job (Unrepresentable at its byte) instead of going to a fill byte.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/code_page.h"
#include "engine/code_page_chars.h"
#include "engine/recode_tables.h"
#include "engine/slice_stream.h"
#include "engine/utf16_recode.h"

namespace snpln::engine {

enum class RecodeFault : std::uint8_t {
  None,
  InvalidUtf8,     // the bytes at `faultOffset` are not UTF-8
  Unrepresentable, // the character at `faultOffset` has no byte in the target
  InvalidUtf16,    // the surrogate at `faultOffset` lacks its other half
  OddLength,       // the UTF-16 text ends with one byte, at `faultOffset`
};

struct RecodeState {
  // With `substitute`, a character the target cannot hold becomes its
  // substitute (engine/substitutes.h) instead of a fill byte or a fault.
  RecodeState(CodePage source, CodePage target, bool substitute = false,
              bool strict = false);
  CodePage source;
  CodePage target;
  bool substitute = false;
  // Without `substitute`: a character the target lacks is a fault, not a
  // fill.
  bool strict = false;
  // How many characters became their substitute so far.
  std::uint64_t substituted = 0;
  // Between single-byte pages with `substitute`: the substitute of each
  // byte in noEquivalent.
  std::array<std::string, 256> substitutes;

  // Between single-byte pages: the map, the bytes whose character the
  // target lacks, and how many of those the file held so far (each went to
  // its fill byte, so the file comes back whole, but it now shows another
  // character there).
  RecodeMap map;
  ByteFlags noEquivalent;
  std::uint64_t filled = 0;
  // pairMap[a | b << 8] & 0xFFFF == map[a] | map[b] << 8, and the bits
  // above count a and b in noEquivalent: a table of the process, built once
  // for each pair of pages and kept (256 KiB each).
  const std::uint32_t *pairMap = nullptr;

  // To UTF-8: the encoding of each source byte (at most three bytes, in
  // memory order), its length in the fourth byte.
  std::array<std::uint32_t, 256> utf8Bytes{};

  // From UTF-8: the target's byte of each character. A sequence cut by the
  // end of a slice is left to the next one (slice_stream.h).
  const ByteTable *targetBytes = nullptr;
  // From UTF-8 to a single-byte page: the target byte of the character
  // that begins with byte a followed by byte b, at a | b << 8, or 0 where
  // the character-by-character path decides (a table of the process, 64
  // KiB per target page).
  const std::uint8_t *pairDecode = nullptr;

  // With UTF-16 on a side (the source resolved to Utf16Le or Utf16Be):
  // the converter, the characters of a single-byte source (targetBytes
  // holds a single-byte target's), and whether the target's byte order
  // mark is out.
  Utf16Convert utf16 = nullptr;
  const CharTable *sourceChars = nullptr;
  bool bomWritten = false;

  RecodeFault fault = RecodeFault::None;
  platform::FileSize faultOffset = 0;
};

// Ends with StepResult::BadText when `state.fault` is set.
StepResult recodeSlice(SliceStream &job, RecodeState &state);

} // namespace snpln::engine
