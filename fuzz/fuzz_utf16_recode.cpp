// Runs recoding with UTF-16 on a side over the input at a slice size taken
// from the input and traps when it differs from the whole-buffer
// reference.
//
// Byte 0: the source (its low two bits: UTF-16LE, UTF-16BE, UTF-8, or the
// single-byte page of bits 4-5) and the target (bits 2-3: UTF-16, UTF-16LE,
// UTF-16BE, or the single-byte page of bits 4-5, or UTF-8 when the source
// is UTF-16 and bit 6 is set); bit 7: --substitute. Byte 1: the slice size
// (1 to 255). The rest is the file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/support/reference_utf16.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  using snpln::engine::CodePage;
  if (size < 2)
    return 0;
  constexpr CodePage kSingle[] = {CodePage::Dos, CodePage::Win, CodePage::Koi,
                                  CodePage::Iso};
  const CodePage single = kSingle[data[0] >> 4 & 3];
  constexpr CodePage kSources[] = {CodePage::Utf16Le, CodePage::Utf16Be,
                                   CodePage::Utf8, CodePage::Auto};
  CodePage source = kSources[data[0] & 3];
  if (source == CodePage::Auto)
    source = single;
  constexpr CodePage kTargets[] = {CodePage::Utf16, CodePage::Utf16Le,
                                   CodePage::Utf16Be, CodePage::Auto};
  CodePage target = kTargets[data[0] >> 2 & 3];
  if (target == CodePage::Auto)
    target = snpln::engine::isUtf16Page(source)
                 ? ((data[0] & 0x40) ? CodePage::Utf8 : single)
                 : CodePage::Utf16;
  const bool substitute = (data[0] & 0x80) != 0;
  const std::size_t slice = 1 + data[1] % 255;
  const std::string text(reinterpret_cast<const char *>(data + 2), size - 2);
  if (snpln::test::streamedRecode(text, source, target, slice, substitute) !=
      snpln::test::referenceUtf16Recode(text, source, target, substitute))
    __builtin_trap();
  return 0;
}
