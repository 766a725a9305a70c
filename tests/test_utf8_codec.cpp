#include "engine/utf8_codec.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace snpln::test {
namespace {

using engine::Utf8Status;

// The C library's decoder as the reference: the code point of the first
// character of `bytes`, or -1 when it stops at once.
long referenceCode(const std::string &bytes, std::size_t &length) {
  iconv_t cd = iconv_open("UTF-32LE", "UTF-8");
  char *in = const_cast<char *>(bytes.data());
  std::size_t inLeft = bytes.size();
  unsigned char out[4] = {};
  char *dest = reinterpret_cast<char *>(out);
  std::size_t outLeft = 4;
  iconv(cd, &in, &inLeft, &dest, &outLeft);
  iconv_close(cd);
  if (outLeft != 0)
    return -1;
  length = bytes.size() - inLeft;
  return out[0] | out[1] << 8 | out[2] << 16 | long{out[3]} << 24;
}

std::string seq(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes)
    s += static_cast<char>(b);
  return s;
}

TEST(Utf8, EveryLeadAndSecondByteAgreesWithTheCLibrary) {
  // The second byte decides overlong forms, surrogates and the upper limit;
  // the rest are plain continuation bytes.
  for (int lead = 0x80; lead < 0x100; ++lead)
    for (int second = 0; second < 0x100; ++second) {
      const std::string bytes = seq({lead, second, 0x80, 0x80});
      const auto *p = reinterpret_cast<const std::uint8_t *>(bytes.data());
      const engine::Utf8Char got = engine::decodeUtf8(p, bytes.size());
      std::size_t length = 0;
      const long expected = referenceCode(bytes, length);
      if (expected < 0) {
        ASSERT_EQ(got.status, Utf8Status::Invalid)
            << std::hex << lead << " " << second;
      } else {
        ASSERT_EQ(got.status, Utf8Status::Ok)
            << std::hex << lead << " " << second;
        ASSERT_EQ(long{got.code}, expected)
            << std::hex << lead << " " << second;
        ASSERT_EQ(got.length, length) << std::hex << lead << " " << second;
      }
    }
}

TEST(Utf8, CutSequencesAreIncompleteUntilABadByteShows) {
  struct Case {
    std::string bytes;
    Utf8Status status;
  };
  const Case cases[] = {
      {seq({0xD0}), Utf8Status::Incomplete},
      {seq({0xE2, 0x84}), Utf8Status::Incomplete},
      {seq({0xF0, 0x9F, 0x98}), Utf8Status::Incomplete},
      {seq({0xE0}), Utf8Status::Incomplete},
      {seq({0xE0, 0x80}), Utf8Status::Invalid}, // overlong, seen at once
      {seq({0xED, 0xA0}), Utf8Status::Invalid}, // a surrogate
      {seq({0xF4, 0x90}), Utf8Status::Invalid}, // above U+10FFFF
      {seq({0xE2, 0x41}), Utf8Status::Invalid},
      {seq({0xC1}), Utf8Status::Invalid},
      {seq({0xF5}), Utf8Status::Invalid},
  };
  for (const Case &c : cases) {
    const auto *p = reinterpret_cast<const std::uint8_t *>(c.bytes.data());
    EXPECT_EQ(engine::decodeUtf8(p, c.bytes.size()).status, c.status)
        << std::hex << int(p[0]) << " of " << c.bytes.size();
  }
}

TEST(Utf8, EncodingRoundTripsAtEveryLengthBoundary) {
  for (char32_t code : {0x0u, 0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xFFFFu, 0x10000u,
                        0x10FFFFu, 0x0401u, 0x2116u}) {
    std::uint8_t b[4];
    const std::size_t n = engine::writeUtf8(code, b);
    const engine::Utf8Char back = engine::decodeUtf8(b, n);
    EXPECT_EQ(back.status, Utf8Status::Ok) << std::hex << unsigned{code};
    EXPECT_EQ(unsigned{back.code}, unsigned{code});
    EXPECT_EQ(back.length, n);
  }
}

TEST(Utf8, LooksLikeUtf8NeedsOneMultiByteCharacterAndNoFault) {
  struct Case {
    std::string bytes;
    bool cutShort;
    bool expected;
  };
  const Case cases[] = {
      {"", false, false},
      {"plain ASCII", false, false},
      {"ok \xD0\x9C", false, true},
      {"ok \xD0\x9C\xD0", true, true},   // cut by the end of the sample
      {"ok \xD0\x9C\xD0", false, false}, // cut by the end of the file
      {"\xD0", true, false},             // nothing whole
      {"\xCF\xF0\xE8\xE2\xE5\xF2", false, false}, // Windows-1251
      {"\xD0\x9C \xFF", true, false},
  };
  for (const Case &c : cases)
    EXPECT_EQ(engine::looksLikeUtf8(
                  reinterpret_cast<const std::uint8_t *>(c.bytes.data()),
                  c.bytes.size(), c.cutShort),
              c.expected)
        << c.bytes << " cut " << c.cutShort;
}

} // namespace
} // namespace snpln::test
