#include "engine/utf8_codec.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tests/support/reference_utf8_engines.h"
#include "tests/support/russian_samples.h"

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
    const std::size_t n = engine::encodeUtf8(code, b);
    const engine::Utf8Char back = engine::decodeUtf8(b, n);
    EXPECT_EQ(back.status, Utf8Status::Ok) << std::hex << unsigned{code};
    EXPECT_EQ(unsigned{back.code}, unsigned{code});
    EXPECT_EQ(back.length, n);
  }
}

const std::uint8_t *bytesOf(const std::string &bytes) {
  return reinterpret_cast<const std::uint8_t *>(bytes.data());
}

std::string describe(const engine::Utf8Check &c) {
  return "valid " + std::to_string(c.valid) + " stop " +
         std::to_string(static_cast<int>(c.stop)) + " sequences " +
         std::to_string(c.sequences);
}

TEST(Utf8Check, TellsWhereAndWhyTheBytesStopBeingUtf8) {
  struct Case {
    std::string bytes;
    std::size_t valid;
    Utf8Status stop;
    std::uint64_t sequences;
  };
  const Case cases[] = {
      {"", 0, Utf8Status::Ok, 0},
      {"plain ASCII, more than eight bytes", 34, Utf8Status::Ok, 0},
      {"ok \xD0\x9C", 5, Utf8Status::Ok, 1},
      {"ok \xD0\x9C\xD0", 5, Utf8Status::Incomplete, 1},
      {"\xD0", 0, Utf8Status::Incomplete, 0},
      {"\xE2\x82\xAC\xF0\x9F\x98\x80!", 8, Utf8Status::Ok, 2},
      {"\xCF\xF0\xE8\xE2\xE5\xF2", 0, Utf8Status::Invalid, 0}, // Windows-1251
      {"\xD0\x9C \xFF", 3, Utf8Status::Invalid, 1},
      {"abcdefgh\xC0\x80", 8, Utf8Status::Invalid, 0},    // overlong
      {"abcdefg\xED\xA0\x80", 7, Utf8Status::Invalid, 0}, // a surrogate
      {"\xD0\x41", 0, Utf8Status::Invalid, 0},
  };
  for (const Case &c : cases) {
    const engine::Utf8Check want{c.valid, c.stop, c.sequences};
    const auto fast = engine::checkUtf8(bytesOf(c.bytes), c.bytes.size());
    const auto plain = checkUtf8Reference(bytesOf(c.bytes), c.bytes.size());
    EXPECT_EQ(describe(fast), describe(want)) << c.bytes;
    EXPECT_EQ(describe(plain), describe(want)) << c.bytes;
    EXPECT_EQ(engine::isUtf8(bytesOf(c.bytes), c.bytes.size()),
              c.stop == Utf8Status::Ok)
        << c.bytes;
  }
}

// The validator over a stream, as an engine runs it: each slice after the
// bytes the one before left undecided (a sequence cut by its end).
engine::Utf8Check checkStreamed(const std::string &bytes, std::size_t slice) {
  engine::Utf8Check total;
  std::string held;
  std::size_t at = 0, base = 0;
  while (true) {
    const std::size_t n = std::min(slice, bytes.size() - at);
    held.append(bytes, at, n);
    at += n;
    const bool last = at == bytes.size();
    const auto c = engine::checkUtf8(bytesOf(held), held.size());
    total.sequences += c.sequences;
    total.valid = base + c.valid;
    if (c.stop == Utf8Status::Invalid || last) {
      total.stop = c.stop;
      return total;
    }
    base += c.valid;
    held.erase(0, c.valid);
  }
}

// Random bytes mostly UTF-8 (Cyrillic, ASCII, three- and four-byte
// characters) with a stray or cut sequence now and then, and real prose.
std::vector<std::string> mixedInputs() {
  std::vector<std::string> inputs;
  std::mt19937 random(20);
  const std::string pieces[] = {
      "a",  "Z ",           "\xD0\x9C",         "\xD1\x91",
      "\n", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "0123456789abcdef"};
  for (int round = 0; round < 200; ++round) {
    std::string text;
    const int count = static_cast<int>(random() % 400);
    for (int k = 0; k < count; ++k)
      text += pieces[random() % std::size(pieces)];
    if (round % 3 == 1 && !text.empty()) // a stray byte somewhere
      text[random() % text.size()] = static_cast<char>(0x80 + random() % 128);
    if (round % 5 == 2) // cut inside a sequence
      text += "\xE2\x82";
    inputs.push_back(text);
  }
  for (int round = 0; round < 50; ++round) {
    std::string noise(random() % 300, '\0');
    for (char &b : noise)
      b = static_cast<char>(random());
    inputs.push_back(noise);
  }
  inputs.push_back(allRussianProse());
  return inputs;
}

TEST(Utf8Check, FastAndStreamedAgreeWithTheReference) {
  for (const std::string &text : mixedInputs()) {
    const auto want = checkUtf8Reference(bytesOf(text), text.size());
    ASSERT_EQ(describe(engine::checkUtf8(bytesOf(text), text.size())),
              describe(want))
        << "whole, " << text.size() << " bytes";
    for (std::size_t slice : {1u, 2u, 3u, 7u, 64u, 8192u})
      ASSERT_EQ(describe(checkStreamed(text, slice)), describe(want))
          << "slice " << slice << ", " << text.size() << " bytes";
  }
}

} // namespace
} // namespace snpln::test
