// Excessive empty line removal: the streaming engine against the
// whole-buffer reference, output and hit count. Input: one byte choosing the
// slice size, then the file.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

#include "engine/slice_stream.h"
#include "tests/support/line_engine_run.h"
#include "tests/support/reference_line_engines.h"

namespace {

const std::size_t kSliceSizes[] = {1, 2, 3, 4, 7, 13, 64, 8192};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  using snpln::engine::StepResult;
  if (size < 1)
    return 0;
  const std::size_t slice = kSliceSizes[data[0] % std::size(kSliceSizes)];
  const std::string text(reinterpret_cast<const char *>(data + 1), size - 1);

  std::uint64_t hits = 0;
  const snpln::test::ReferenceOutput expected =
      snpln::test::referenceDeleteEmpty(text, &hits);
  const snpln::test::LineEngineRun run =
      snpln::test::runDeleteEmpty(text, slice);
  if (expected.lineTooLong) {
    if (run.result != StepResult::LineTooLong)
      __builtin_trap();
    return 0;
  }
  if (run.result != StepResult::Finished || run.output != expected.bytes ||
      run.hits != hits)
    __builtin_trap();
  return 0;
}
