#include "engine/utf16_recode.h"

#include <bit>
#include <cstring>
#include <initializer_list>
#include <string>
#include <type_traits>

#include "engine/code_page_chars.h"
#include "engine/recode_slice.h"
#include "engine/substitutes.h"
#include "engine/utf16.h"
#include "engine/utf8_codec.h"

namespace snpln::engine {

namespace {

enum class Got : std::uint8_t { Ok, Incomplete, Invalid };

struct Decoded {
  Got got = Got::Invalid;
  char32_t code = 0;
  std::size_t length = 0;
};

// The sources: one character from in[0, size), size > 0.
struct SingleByteSource {
  static constexpr RecodeFault kInvalid = RecodeFault::None;
  static Decoded decode(const std::uint8_t *in, std::size_t,
                        const RecodeState &state) {
    return {Got::Ok, (*state.sourceChars)[in[0]], 1};
  }
};

struct Utf8Source {
  static constexpr RecodeFault kInvalid = RecodeFault::InvalidUtf8;
  static Decoded decode(const std::uint8_t *in, std::size_t size,
                        const RecodeState &) {
    if (in[0] < 0x80)
      return {Got::Ok, in[0], 1};
    const Utf8Char c = decodeUtf8(in, size);
    switch (c.status) {
    case Utf8Status::Ok:
      return {Got::Ok, c.code, c.length};
    case Utf8Status::Incomplete:
      return {Got::Incomplete, 0, 0};
    case Utf8Status::Invalid:
      break;
    }
    return {};
  }
};

template <ByteOrder order> struct Utf16Source {
  static constexpr RecodeFault kInvalid = RecodeFault::InvalidUtf16;
  static Decoded decode(const std::uint8_t *in, std::size_t size,
                        const RecodeState &) {
    if (size < 2)
      return {Got::Incomplete, 0, 0};
    const std::uint32_t unit = readUnit(in, order);
    if (!isHighSurrogate(unit) && !isLowSurrogate(unit))
      return {Got::Ok, unit, 2};
    if (isLowSurrogate(unit))
      return {};
    if (size < 4)
      return {Got::Incomplete, 0, 0};
    const std::uint32_t low = readUnit(in + 2, order);
    if (!isLowSurrogate(low))
      return {};
    return {Got::Ok, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), 4};
  }
};

// The targets: writes `code`, returns the length, or -1 when the target
// cannot hold it.
struct SingleByteTarget {
  static int encode(char32_t code, std::uint8_t *out, RecodeState &state) {
    const std::uint8_t b =
        code <= 0xFFFF ? (*state.targetBytes)[code] : std::uint8_t{0};
    if (b != 0 || code == 0) {
      *out = b;
      return 1;
    }
    if (!state.substitute)
      return -1;
    const std::string s = substituteFor(code, state.target);
    std::memcpy(out, s.data(), s.size());
    ++state.substituted;
    return static_cast<int>(s.size());
  }
};

struct Utf8Target {
  static int encode(char32_t code, std::uint8_t *out, RecodeState &) {
    // One and two bytes (ASCII, Cyrillic) here, without a call.
    if (code < 0x80) {
      *out = static_cast<std::uint8_t>(code);
      return 1;
    }
    if (code < 0x800) {
      out[0] = static_cast<std::uint8_t>(0xC0 | code >> 6);
      out[1] = static_cast<std::uint8_t>(0x80 | (code & 0x3F));
      return 2;
    }
    return static_cast<int>(encodeUtf8(code, out));
  }
};

template <ByteOrder order> struct Utf16Target {
  static int encode(char32_t code, std::uint8_t *out, RecodeState &) {
    return static_cast<int>(writeUtf16(code, out, order));
  }
};

template <class Source> constexpr bool kUtf16Source = false;
template <ByteOrder o> constexpr bool kUtf16Source<Utf16Source<o>> = true;
template <class Target> constexpr bool kUtf16Target = false;
template <ByteOrder o> constexpr bool kUtf16Target<Utf16Target<o>> = true;

constexpr std::uint64_t kAsciiUnitsLe = 0xFF80FF80FF80FF80ull;
constexpr std::uint64_t kAsciiUnitsBe = 0x80FF80FF80FF80FFull;

template <class Source, class Target>
std::size_t convert(const std::uint8_t *in, std::size_t count,
                    platform::FileSize at, bool last, std::uint8_t *out,
                    std::size_t &used, RecodeState &state) {
  std::uint8_t *o = out;
  std::size_t i = 0;
  if (at == 0 && state.target == CodePage::Utf16 && !state.bomWritten) {
    std::memcpy(o, kUtf16LeBom, 2);
    o += 2;
    state.bomWritten = true;
  }
  const auto fail = [&](RecodeFault fault) {
    state.fault = fault;
    state.faultOffset = at + i;
    used = i;
    return static_cast<std::size_t>(o - out);
  };
  while (i < count) {
    if constexpr (kUtf16Source<Source> && std::is_same_v<Target, Utf8Target>) {
      // Units outside the surrogates, after the start of the file, in a
      // tight loop; the rest (a pair, the mark, a cut unit) below.
      constexpr ByteOrder order =
          std::is_same_v<Source, Utf16Source<ByteOrder::Little>>
              ? ByteOrder::Little
              : ByteOrder::Big;
      if (at + i != 0) {
        while (i + 2 <= count) {
          const std::uint32_t unit = readUnit(in + i, order);
          if (unit < 0x800) {
            // ASCII and two-byte characters alike, without a branch
            // between them (Russian text changes at every word): two
            // bytes are stored, and the output moves past one or both.
            const std::uint32_t two = unit >= 0x80;
            const std::uint32_t mask = 0u - two;
            o[0] = static_cast<std::uint8_t>((unit & ~mask) |
                                             ((0xC0 | unit >> 6) & mask));
            o[1] = static_cast<std::uint8_t>(0x80 | (unit & 0x3F));
            o += 1 + two;
          } else if (unit < 0xD800 || unit > 0xDFFF) {
            o[0] = static_cast<std::uint8_t>(0xE0 | unit >> 12);
            o[1] = static_cast<std::uint8_t>(0x80 | (unit >> 6 & 0x3F));
            o[2] = static_cast<std::uint8_t>(0x80 | (unit & 0x3F));
            o += 3;
          } else {
            break;
          }
          i += 2;
        }
        if (i >= count)
          break;
      }
    }
    if constexpr (kUtf16Source<Source> && !kUtf16Target<Target> &&
                  std::endian::native == std::endian::little) {
      // Four units of ASCII at once: their low bytes are the output.
      if (i + 8 <= count) {
        std::uint64_t v;
        std::memcpy(&v, in + i, 8);
        constexpr bool little =
            std::is_same_v<Source, Utf16Source<ByteOrder::Little>>;
        if ((v & (little ? kAsciiUnitsLe : kAsciiUnitsBe)) == 0) {
          if constexpr (!little)
            v >>= 8;
          o[0] = static_cast<std::uint8_t>(v);
          o[1] = static_cast<std::uint8_t>(v >> 16);
          o[2] = static_cast<std::uint8_t>(v >> 32);
          o[3] = static_cast<std::uint8_t>(v >> 48);
          o += 4;
          i += 8;
          continue;
        }
      }
    }
    const Decoded d = Source::decode(in + i, count - i, state);
    if (d.got == Got::Incomplete) {
      if (!last)
        break;
      // The end of the file inside a unit, a pair or a sequence.
      if constexpr (kUtf16Source<Source>)
        return fail(count - i == 1 ? RecodeFault::OddLength
                                   : RecodeFault::InvalidUtf16);
      return fail(Source::kInvalid);
    }
    if (d.got == Got::Invalid)
      return fail(Source::kInvalid);
    if (d.code == 0xFEFF && at + i == 0 &&
        (kUtf16Source<Source> || std::is_same_v<Source, Utf8Source>)) {
      i += d.length; // the byte order mark opening the file
      continue;
    }
    const int n = Target::encode(d.code, o, state);
    if (n < 0)
      return fail(RecodeFault::Unrepresentable);
    o += n;
    i += d.length;
  }
  used = i;
  return static_cast<std::size_t>(o - out);
}

template <class Source> Utf16Convert toTarget(CodePage target) {
  switch (target) {
  case CodePage::Utf8:
    return convert<Source, Utf8Target>;
  case CodePage::Utf16:
  case CodePage::Utf16Le:
    return convert<Source, Utf16Target<ByteOrder::Little>>;
  case CodePage::Utf16Be:
    return convert<Source, Utf16Target<ByteOrder::Big>>;
  default:
    return convert<Source, SingleByteTarget>;
  }
}

} // namespace

Utf16Convert utf16ConverterFor(CodePage source, CodePage target) {
  switch (source) {
  case CodePage::Utf16:
  case CodePage::Utf16Le:
    return toTarget<Utf16Source<ByteOrder::Little>>(target);
  case CodePage::Utf16Be:
    return toTarget<Utf16Source<ByteOrder::Big>>(target);
  case CodePage::Utf8:
    return toTarget<Utf8Source>(target);
  default:
    return toTarget<SingleByteSource>(target);
  }
}

CodePage utf16SourceOrder(CodePage page, const std::uint8_t *head,
                          std::size_t size) {
  if (page != CodePage::Utf16)
    return page;
  return bomKindOf(head, size) == BomKind::Utf16Be ? CodePage::Utf16Be
                                                   : CodePage::Utf16Le;
}

BomKind bomKindOf(const std::uint8_t *bytes, std::size_t size) {
  const auto opens = [&](std::initializer_list<std::uint8_t> mark) {
    return size >= mark.size() &&
           std::memcmp(bytes, mark.begin(), mark.size()) == 0;
  };
  if (opens({0xFF, 0xFE, 0x00, 0x00}) || opens({0x00, 0x00, 0xFE, 0xFF}))
    return BomKind::Utf32;
  if (opens({0xEF, 0xBB, 0xBF}))
    return BomKind::Utf8;
  if (opens({0xFF, 0xFE}))
    return BomKind::Utf16Le;
  if (opens({0xFE, 0xFF}))
    return BomKind::Utf16Be;
  return BomKind::None;
}

} // namespace snpln::engine
