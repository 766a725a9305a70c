#include "engine/text_position.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/support/russian_samples.h"

namespace snpln::test {
namespace {

using engine::TextEncoding;
using engine::TextPosition;
constexpr TextEncoding kUtf8 = TextEncoding::Utf8;
constexpr TextEncoding kByte = TextEncoding::SingleByte;

constexpr std::size_t kSliceSizes[] = {1, 2, 3, 7, 64, 8192};

std::string show(const TextPosition &p) {
  return "line " + std::to_string(p.line) + ", column " +
         std::to_string(p.column);
}

// The counter fed the bytes before `offset` in slices of `slice` bytes.
TextPosition counted(const std::string &text, std::size_t offset,
                     TextEncoding encoding, std::size_t slice) {
  engine::TextPositionCounter counter(encoding);
  const auto *data = reinterpret_cast<const std::uint8_t *>(text.data());
  for (std::size_t at = 0; at < offset; at += slice)
    counter.feed(data + at, std::min(slice, offset - at));
  return counter.position();
}

struct PlaceCase {
  const char *name;
  std::string text;
  std::size_t offset;
  TextEncoding encoding;
  std::uint64_t line;
  std::uint64_t column;
};

TEST(TextPosition, LinesByEveryLineEndAndColumnsInCharacters) {
  const PlaceCase cases[] = {
      {"start of the text", "abc", 0, kByte, 1, 1},
      {"in the first line", "abc\ndef", 2, kByte, 1, 3},
      {"on the first line end", "abc\ndef", 3, kByte, 1, 4},
      {"after LF", "abc\ndef", 5, kByte, 2, 2},
      {"after CR LF", "ab\r\ncd", 5, kByte, 2, 2},
      {"after LF CR", "ab\n\rcd", 5, kByte, 2, 2},
      {"after a lone CR", "ab\rcd", 4, kByte, 2, 2},
      {"LF LF is an empty line", "a\n\nb", 3, kByte, 3, 1},
      {"CR LF CR: a lone CR after the pair", "a\r\n\rb", 4, kByte, 3, 1},
      {"LF CR LF: the LF after the pair", "a\n\r\nb", 4, kByte, 3, 1},
      {"CR CR: two lines", "a\r\rb", 3, kByte, 3, 1},
      {"mixed ends", "a\r\nb\nc\rd\n\re", 10, kByte, 5, 1},
      {"the partner of CR LF begins the next line", "ab\r\ncd", 3, kByte, 2, 1},
      {"end of the text", "ab\ncd", 5, kByte, 2, 3},
      {"end of a text ending in LF", "ab\n", 3, kByte, 2, 1},
      {"end of a text ending in CR LF", "ab\r\n", 4, kByte, 2, 1},
      {"end of an empty text", "", 0, kByte, 1, 1},
      {"single-byte page: a byte is a character", "\xe0\xe1\xe2x", 3, kByte, 1,
       4},
      {"UTF-8: two-byte letters are one column each",
       "\xd0\xb0\xd0\xb1\xe2\x82\xac!", 7, kUtf8, 1, 4},
      {"UTF-8: four-byte character", "\xf0\x9f\x98\x80x", 4, kUtf8, 1, 2},
      {"UTF-8 on a later line", "\xd0\xb0\n\xd0\xb1\xd0\xb2z", 7, kUtf8, 2, 3},
      {"UTF-8: a byte order mark takes no column", "\xef\xbb\xbf\xd0\xb0z", 5,
       kUtf8, 1, 2},
      {"UTF-8: right after the byte order mark", "\xef\xbb\xbfz", 3, kUtf8, 1,
       1},
      {"single-byte page: those bytes are three characters", "\xef\xbb\xbfz", 3,
       kByte, 1, 4},
      {"UTF-8: a mark later on is a character", "a\xef\xbb\xbfz", 4, kUtf8, 1,
       3},
  };
  for (const PlaceCase &c : cases) {
    const TextPosition want{c.line, c.column};
    const TextPosition whole =
        engine::textPositionAt(c.text, c.offset, c.encoding);
    EXPECT_EQ(whole, want) << c.name << ": reference gives " << show(whole)
                           << ", wanted " << show(want);
    for (std::size_t slice : kSliceSizes) {
      const TextPosition fed = counted(c.text, c.offset, c.encoding, slice);
      EXPECT_EQ(fed, want) << c.name << " in slices of " << slice
                           << ": counter gives " << show(fed) << ", wanted "
                           << show(want);
    }
  }
}

// The counter agrees with the whole-text reference at every offset of
// random texts rich in line ends and of real prose, whatever the slices.
TEST(TextPosition, CounterAgreesWithTheReferenceAtEverySliceSize) {
  std::mt19937 random(22);
  const char pieces[] = {'\r',   '\n',   'a',    '\xd0', '\xb0', '\xef',
                         '\xbb', '\xbf', '\xe2', '\x82', '\xac', ' '};
  std::vector<std::string> texts;
  for (int n = 0; n < 40; ++n) {
    std::string text;
    const std::size_t length = random() % 60;
    for (std::size_t i = 0; i < length; ++i)
      text += pieces[random() % sizeof pieces];
    if (n % 4 == 0)
      text = "\xef\xbb\xbf" + text;
    texts.push_back(text);
  }
  const std::string prose = readTestData("russian_prose.txt").substr(0, 3000);
  texts.push_back(prose);
  for (const std::string &text : texts)
    for (const TextEncoding encoding : {kUtf8, kByte})
      for (std::size_t slice : kSliceSizes)
        for (std::size_t offset = 0; offset <= text.size();
             offset += text.size() > 200 ? 37 : 1) {
          const TextPosition want =
              engine::textPositionAt(text, offset, encoding);
          const TextPosition fed = counted(text, offset, encoding, slice);
          ASSERT_EQ(fed, want) << "offset " << offset << " of " << text.size()
                               << ", slices of " << slice << ": counter "
                               << show(fed) << ", reference " << show(want);
        }
}

TEST(TextPosition, CharacterNamesShowOnlyVisibleCharacters) {
  const struct {
    char32_t code;
    const char *name;
  } cases[] = {
      {U'\u20AC', "U+20AC \xe2\x82\xac"},
      {U'\u0416', "U+0416 \xd0\x96"},
      {U'a', "U+0061 a"},
      {U'\U0001F600', "U+1F600 \xf0\x9f\x98\x80"},
      {0x09, "U+0009"},
      {0x85, "U+0085"},
      {0x200B, "U+200B"},
      {0xFEFF, "U+FEFF"},
      {0xFFFE, "U+FFFE"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(engine::characterName(c.code), c.name)
        << "U+" << std::hex << static_cast<unsigned>(c.code);
}

} // namespace
} // namespace snpln::test
