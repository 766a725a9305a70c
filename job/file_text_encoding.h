// Whether a file's text is UTF-8, for the operations that work on characters
// (case, exclusion and replacement, tab optimization).
//
// UTF-8 when the file starts with a UTF-8 byte order mark, or when the bytes
// from its first byte above 0x7F on (up to kUtf8Window of them) are
// well-formed UTF-8; a sequence cut by the window's end counts as
// well-formed. Otherwise, and for a file of ASCII only (which every engine
// treats alike either way), one byte per character. A failed read decides
// for one byte per character. The input is put back at the start; nothing
// (an empty optional) when that fails.
#pragma once

#include <cstddef>
#include <optional>

#include "engine/text_encoding.h"
#include "platform/file_system.h"

namespace snpln::job {

inline constexpr std::size_t kUtf8Window = 65536;

std::optional<engine::TextEncoding>
fileTextEncoding(platform::InputFile &input, platform::FileSize fileSize);

} // namespace snpln::job
