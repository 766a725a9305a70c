// Runs the case engine over the input at a slice size taken from the input
// and traps when its output differs from the whole-buffer reference.
//
// Byte 0: operation (upper, lower, smart) and saveUpper;
// byte 1: slice size; the rest is the file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/case_slice.h"
#include "tests/support/memory_file.h"
#include "tests/support/reference_text_engines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  using namespace snpln;
  if (size < 2)
    return 0;
  static const engine::CaseOperation kOperations[] = {
      engine::CaseOperation::Upper, engine::CaseOperation::Lower,
      engine::CaseOperation::Smart, engine::CaseOperation::Smart};
  const engine::CaseOperation operation = kOperations[data[0] & 3];
  const bool saveUpper = (data[0] & 4) != 0;
  const std::size_t slice =
      data[1] == 0xFF ? engine::kSliceSize : 1 + data[1] % 64;
  const std::string text(reinterpret_cast<const char *>(data + 2), size - 2);

  test::MemoryStream m(text, slice);
  engine::CaseState state(operation, saveUpper);
  const engine::StepResult r =
      test::runSteps([&] { return engine::caseSlice(m.stream, state); });
  if (r != engine::StepResult::Finished ||
      m.out.data != test::referenceCase(text, operation, saveUpper))
    __builtin_trap();
  return 0;
}
