// Whether bytes read as UTF-16 text: after a byte order mark, and without
// one.
//
// A mark is evidence, not proof: FF FE (or FE FF) makes a file UTF-16 only
// when the text after it bears it out. A zero byte after it does (no text
// in a single-byte page holds one); without any, at least half of the units
// must be Cyrillic (U+04xx) or punctuation (U+20xx), as in Russian text
// without a blank, a digit or a line end. Windows-1251 text that starts
// with `яю` (FF FE) reads as units of private use and Hangul instead.
//
// Without a mark, text is UTF-16 of an order when one byte of each unit
// comes from a small set (00 for ASCII, 04 for Cyrillic, 20 and 21 for
// punctuation and signs such as №, 25 for box drawing) and every unit is a
// character text holds: no control characters but TAB and the line ends,
// no U+0000. Where both orders read so (04 20 is Р one way, a space the
// other), the one with more letters wins.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/code_page.h"
#include "engine/utf16.h"

namespace snpln::engine {

// The bytes after a UTF-16 mark of `order` bear it out.
bool utf16MarkHolds(const std::uint8_t *rest, std::size_t size,
                    ByteOrder order);

// Utf16Le or Utf16Be when `bytes` (no mark) read as UTF-16 text of that
// order, else Auto. `cutShort`: the bytes are the head of a longer text, so
// a last byte left over is no fault.
CodePage unmarkedUtf16(const std::uint8_t *bytes, std::size_t size,
                       bool cutShort);

} // namespace snpln::engine
