// Tab optimization: the streaming engine against the whole-buffer reference.
// Input: one byte choosing the tab size and the file's encoding (bit 7:
// UTF-8), one choosing the slice size, then the file.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

#include "engine/slice_stream.h"
#include "tests/support/line_engine_run.h"
#include "tests/support/reference_line_engines.h"
#include "tests/support/reference_utf8_engines.h"

namespace {

const int kTabSizes[] = {1, 2, 3, 4, 5, 7, 8, 13, 1000, INT_MAX};
const std::size_t kSliceSizes[] = {1, 2, 3, 4, 7, 13, 64, 8192};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  using snpln::engine::StepResult;
  if (size < 2)
    return 0;
  const int tabSize = kTabSizes[(data[0] & 0x7F) % std::size(kTabSizes)];
  const bool utf8 = (data[0] & 0x80) != 0;
  const std::size_t slice = kSliceSizes[data[1] % std::size(kSliceSizes)];
  const std::string text(reinterpret_cast<const char *>(data + 2), size - 2);

  const snpln::test::ReferenceOutput expected =
      snpln::test::referenceOptimize(text, tabSize, utf8);
  const snpln::test::LineEngineRun run =
      snpln::test::runOptimize(text, tabSize, slice,
                               utf8 ? snpln::engine::TextEncoding::Utf8
                                    : snpln::engine::TextEncoding::SingleByte);
  if (expected.lineTooLong) {
    if (run.result != StepResult::LineTooLong)
      __builtin_trap();
    return 0;
  }
  if (run.result != StepResult::Finished || run.output != expected.bytes)
    __builtin_trap();
  if (utf8 && snpln::test::referenceIsValidUtf8(text) &&
      !snpln::test::referenceIsValidUtf8(run.output))
    __builtin_trap();
  return 0;
}
