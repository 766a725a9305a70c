// Runs the case engine over the input at a slice size taken from the input
// and traps when its output differs from the whole-buffer reference.
//
// Byte 0: operation (upper, lower, smart), saveUpper, the file's encoding
// (bit 3: UTF-8) and a single-byte file's page (bits 4..6: Auto, Dos, Win,
// Koi, Iso); byte 1: slice size; the rest is the file. A
// UTF-8 run also traps when valid UTF-8 comes out invalid.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/case_slice.h"
#include "tests/support/memory_file.h"
#include "tests/support/reference_text_engines.h"
#include "tests/support/reference_utf8_engines.h"

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
  const bool utf8 = (data[0] & 8) != 0;
  const auto page = static_cast<engine::CodePage>((data[0] >> 4) % 5);
  const std::size_t slice =
      data[1] == 0xFF ? engine::kSliceSize : 1 + data[1] % 64;
  const std::string text(reinterpret_cast<const char *>(data + 2), size - 2);

  test::MemoryStream m(text, slice);
  engine::CaseState state(operation, saveUpper,
                          utf8 ? engine::TextEncoding::Utf8
                               : engine::TextEncoding::SingleByte,
                          page);
  const engine::StepResult r =
      test::runSteps([&] { return engine::caseSlice(m.stream, state); });
  const std::string expected =
      utf8 ? test::referenceCaseUtf8(text, operation, saveUpper)
           : test::referenceCase(text, operation, saveUpper, page);
  if (r != engine::StepResult::Finished || m.out.data != expected)
    __builtin_trap();
  if (utf8 && test::referenceIsValidUtf8(text) &&
      !test::referenceIsValidUtf8(m.out.data))
    __builtin_trap();
  return 0;
}
