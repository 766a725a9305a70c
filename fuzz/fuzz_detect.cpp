// Runs detection over the input read as a file in pieces of a size taken
// from the input and traps when its answer differs from the evidence of
// the whole text fed at once, or when the file is not put back at its
// start.
//
// Byte 0: the largest read (1 to 64, or 0xFF: any); byte 1: how many
// kibibytes of ASCII (0 to 12) come before the rest, so that the head is
// read past; the rest is the file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/detect_code_page.h"
#include "tests/support/memory_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  using namespace snpln;
  if (size < 2)
    return 0;
  const std::size_t piece = data[0] == 0xFF ? 0 : 1 + data[0] % 64;
  const std::string text =
      std::string(static_cast<std::size_t>(data[1] % 13) << 10, 'a') +
      std::string(reinterpret_cast<const char *>(data + 2), size - 2);
  const auto *bytes = reinterpret_cast<const std::uint8_t *>(text.data());

  engine::DetectionEvidence whole;
  whole.feed(bytes, text.size());
  const engine::Detection expected = whole.result(whole.fed() >= text.size());

  test::MemoryInputFile file(text);
  file.maxRead = piece;
  const engine::Detection found = engine::detectFile(file, text.size());
  if (found.page != expected.page || found.kind != expected.kind ||
      file.position() != 0)
    __builtin_trap();
  if (expected.kind == engine::TextKind::Binary &&
      expected.page != engine::CodePage::Auto)
    __builtin_trap();
  return 0;
}
