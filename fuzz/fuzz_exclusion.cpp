// Runs the exclusion engine over the input and traps when its output or hit
// count differs from the whole-buffer reference.
//
// Byte 0: the three options (bits 0..2), the file's encoding (bit 3:
// UTF-8) and a single-byte file's page (bits 4..6: Auto, Dos, Win, Koi,
// Iso); byte 1: slice size; byte 2: search text length (1..8); byte 3:
// replacement length (0..8); then the search text, the replacement and the
// file. A UTF-8 run also traps when valid UTF-8 texts give invalid output.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/exclusion_slice.h"
#include "tests/support/memory_file.h"
#include "tests/support/reference_text_engines.h"
#include "tests/support/reference_utf8_engines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  using namespace snpln;
  if (size < 4)
    return 0;
  const engine::ExclusionOptions options{(data[0] & 1) != 0, (data[0] & 2) != 0,
                                         (data[0] & 4) != 0};
  const std::size_t slice =
      data[1] == 0xFF ? engine::kSliceSize : 1 + data[1] % 64;
  const std::size_t searchSize = 1 + data[2] % 8;
  const std::size_t replaceSize = data[3] % 9;
  if (size < 4 + searchSize + replaceSize)
    return 0;
  const char *p = reinterpret_cast<const char *>(data + 4);
  const std::string search(p, searchSize);
  const std::string replace(p + searchSize, replaceSize);
  const std::string text(p + searchSize + replaceSize,
                         size - 4 - searchSize - replaceSize);

  const bool utf8 = (data[0] & 8) != 0;
  const auto page = static_cast<engine::CodePage>((data[0] >> 4) % 5);

  test::MemoryStream m(text, slice);
  engine::ExclusionState state(search, replace, options,
                               utf8 ? engine::TextEncoding::Utf8
                                    : engine::TextEncoding::SingleByte,
                               page);
  const engine::StepResult r =
      test::runSteps([&] { return engine::exclusionSlice(m.stream, state); });
  std::uint64_t hits = 0;
  const std::string expected =
      utf8 ? test::referenceExclusionUtf8(text, search, replace, options, &hits)
           : test::referenceExclusion(text, search, replace, options, &hits,
                                      page);
  if (r != engine::StepResult::Finished || m.out.data != expected ||
      state.hitCount != hits)
    __builtin_trap();
  if (utf8 && test::referenceIsValidUtf8(text) &&
      test::referenceIsValidUtf8(search) &&
      test::referenceIsValidUtf8(replace) &&
      !test::referenceIsValidUtf8(m.out.data))
    __builtin_trap();
  return 0;
}
