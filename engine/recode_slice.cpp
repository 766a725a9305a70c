#include "engine/recode_slice.h"

#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <mutex>

#include "engine/substitutes.h"
#include "engine/utf8_codec.h"

namespace snpln::engine {

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// Maps `count` bytes in place, eight at a time through the pair table, and
// returns how many of them had no equivalent in the target.
std::uint64_t mapBytes(std::uint8_t *bytes, std::size_t count,
                       const RecodeMap &map, const ByteFlags &noEquivalent,
                       const std::uint32_t *pairs) {
  std::uint64_t filled = 0;
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    std::uint64_t v;
    std::memcpy(&v, bytes + i, 8);
    std::uint64_t r = 0;
    for (int shift = 0; shift < 64; shift += 16) {
      // Either byte order works: the pair table maps each half alike.
      const std::uint32_t entry = pairs[static_cast<std::uint16_t>(v >> shift)];
      r |= static_cast<std::uint64_t>(entry & 0xFFFFu) << shift;
      filled += entry >> 16;
    }
    std::memcpy(bytes + i, &r, 8);
  }
  for (; i < count; ++i) {
    filled += noEquivalent[bytes[i]] ? 1u : 0u;
    bytes[i] = map[bytes[i]];
  }
  return filled;
}

// The length of an entry of RecodeState::utf8Bytes: its last byte in
// memory.
inline unsigned encodedLength(std::uint32_t entry) {
  if constexpr (std::endian::native == std::endian::big)
    return entry & 0xFFu;
  return entry >> 24;
}

// Writes the UTF-8 of `count` single-byte characters to `out` (room for
// 3 * count + 8 bytes) and returns its length. Eight bytes at a time: a run
// of ASCII is copied, any other group goes byte by byte, each byte storing
// four bytes of its entry whatever its length (the next character
// overwrites what lies past it), with no branch per byte.
std::size_t encodeSlice(const std::uint8_t *in, std::size_t count,
                        std::uint8_t *out, const RecodeState &state) {
  const std::uint32_t *encoded = state.utf8Bytes.data();
  std::uint8_t *o = out;
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    std::uint64_t v;
    std::memcpy(&v, in + i, 8);
    if ((v & kHighBits) == 0) {
      std::memcpy(o, &v, 8);
      o += 8;
      continue;
    }
    for (std::size_t j = 0; j < 8; ++j) {
      const std::uint32_t e = encoded[in[i + j]];
      std::memcpy(o, &e, 4);
      o += encodedLength(e);
    }
  }
  for (; i < count; ++i) {
    const std::uint32_t e = encoded[in[i]];
    std::memcpy(o, &e, 4);
    o += encodedLength(e);
  }
  return static_cast<std::size_t>(o - out);
}

// The bytes the fast path of decodeSlice takes at a time.
constexpr std::size_t kGroup = 8;
constexpr std::uint64_t kLowBits = 0x0101010101010101ull;

// Eight bytes as loaded from memory, first byte lowest.
std::uint64_t loadLittleEndian(const std::uint8_t *p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  if constexpr (std::endian::native == std::endian::big)
    return __builtin_bswap64(v);
  return v;
}

// A table of the process of 64 Ki entries, one per slot, filled by
// `make` when a job first needs it and kept: a small file's job then costs
// no table it does not use. Each caller (each `Make`) has tables of its own.
template <typename Entry, std::size_t Slots, typename Make>
const Entry *processTable(std::size_t slot, Make &&make) {
  static std::mutex guard;
  static std::array<std::unique_ptr<Entry[]>, Slots> tables;
  const std::lock_guard<std::mutex> lock(guard);
  std::unique_ptr<Entry[]> &table = tables[slot % Slots];
  if (!table) {
    table = std::make_unique<Entry[]>(65536);
    make(table.get());
  }
  return table.get();
}

// A slot per value of CodePage.
constexpr std::size_t kPages = 12;
static_assert(static_cast<std::size_t>(CodePage::Cp1125) < kPages,
              "every page has a slot of its own");

// The fast path of decodeSlice: the target byte of the character that
// begins with byte b followed by byte n, at entry b | n << 8: b's own for
// ASCII, the character's for a two-byte sequence; 0 for anything else (a
// lead of three or four bytes, an overlong or cut sequence, NUL, a
// character the target lacks), which the character-by-character path then
// takes. One table per target page (64 KiB).
const std::uint8_t *pairDecodeTableOf(CodePage target) {
  return processTable<std::uint8_t, kPages>(
      static_cast<std::size_t>(target), [target](std::uint8_t *table) {
        const ByteTable &bytes = bytesOf(target);
        for (unsigned n = 0; n < 256; ++n) {
          for (unsigned b = 0; b < 256; ++b) {
            std::uint8_t v = 0;
            if (b < 0x80)
              v = bytes[b];
            else if (b >= 0xC2 && b <= 0xDF && (n & 0xC0u) == 0x80)
              v = bytes[((b & 0x1Fu) << 6) | (n & 0x3Fu)];
            table[b | n << 8] = v;
          }
        }
      });
}

// The fast path of decodeSlice on the kGroup bytes at in[0..kGroup), when
// they hold ASCII and two-byte characters alone, each of which the target
// holds (a character cut by the group's end takes its second byte from
// in[kGroup]): writes their target bytes at `o` (room for kGroup) and
// returns how many it wrote, `took` being the bytes consumed; -1 for any
// other bytes, which the character-by-character path then takes. Without a
// branch per byte, as Russian text changes between ASCII and Cyrillic at
// every word: each byte's output is looked up as if a character began
// there, and the output pointer moves past those that begin one.
inline int decodeGroup(const std::uint8_t *in, const std::uint8_t *pairs,
                       std::uint8_t *o, std::size_t &took) {
  const std::uint64_t v = loadLittleEndian(in);
  const std::uint64_t high = v & kHighBits;
  const std::uint64_t cont = high & ~(v << 1); // 10xxxxxx
  const std::uint64_t lead = high & ~cont;
  // Each continuation byte right after a lead, and only there; a lead last
  // takes in[kGroup], whose kind its table entry checks.
  if (cont != lead << 8)
    return -1;
  const std::uint64_t starts = (~cont >> 7) & kLowBits;
  // The output is gathered in a register and stored once: eight byte
  // stores read back as one word would stall the store forwarding.
  std::uint64_t out = 0;
  unsigned shift = 0;
  for (std::size_t j = 0; j < kGroup; ++j) {
    const std::uint64_t start = (starts >> (8 * j)) & 1u;
    out |= (pairs[in[j] | in[j + 1] << 8] * start) << shift;
    shift += 8 * static_cast<unsigned>(start);
  }
  const int wrote = static_cast<int>(shift / 8);
  // The bytes past those written made 0xFF: a 0 among the rest is a
  // character the table sent to the slow path.
  const std::uint64_t checked = wrote < 8 ? out | ~0ull << shift : out;
  if (((checked - kLowBits) & ~checked & kHighBits) != 0)
    return -1;
  if constexpr (std::endian::native == std::endian::big)
    out = __builtin_bswap64(out);
  std::memcpy(o, &out, 8);
  took = kGroup + static_cast<std::size_t>(lead >> 63);
  return wrote;
}

// Recodes the UTF-8 in `in` to the target page in `out` (room for `count`
// bytes). `at` is the file offset of in[0]; `last` says that nothing
// follows. Returns the bytes written; sets `used` to the bytes consumed (a
// cut sequence at the end stays unconsumed unless `last`). On a fault sets
// it in the state and returns what was written before it.
std::size_t decodeSlice(const std::uint8_t *in, std::size_t count,
                        platform::FileSize at, bool last, std::uint8_t *out,
                        std::size_t &used, RecodeState &state) {
  const ByteTable &bytes = *state.targetBytes;
  std::uint8_t *o = out;
  std::size_t i = 0;
  // Below slowEnd the characters go one by one, after a group the fast
  // path refused.
  std::size_t slowEnd = 0;
  while (i < count) {
    if (i >= slowEnd && i + kGroup < count) {
      std::size_t took = 0;
      const int wrote = decodeGroup(in + i, state.pairDecode, o, took);
      if (wrote >= 0) {
        o += wrote;
        i += took;
        continue;
      }
      slowEnd = i + kGroup;
    }
    if (i + 8 <= count) {
      std::uint64_t v;
      std::memcpy(&v, in + i, 8);
      if ((v & kHighBits) == 0) {
        std::memcpy(o, &v, 8);
        o += 8;
        i += 8;
        continue;
      }
    }
    const std::uint8_t lead = in[i];
    if (lead < 0x80) {
      *o++ = lead;
      ++i;
      continue;
    }
    // Two-byte characters (all of Cyrillic) decoded here, without a call.
    if (lead >= 0xC2 && lead <= 0xDF && i + 1 < count &&
        (in[i + 1] & 0xC0) == 0x80) {
      const unsigned code = (lead & 0x1Fu) << 6 | (in[i + 1] & 0x3Fu);
      const std::uint8_t b = bytes[code];
      if (b != 0) {
        *o++ = b;
        i += 2;
        continue;
      }
    }
    const Utf8Char c = decodeUtf8(in + i, count - i);
    if (c.status == Utf8Status::Incomplete && !last)
      break;
    if (c.status != Utf8Status::Ok) {
      state.fault = RecodeFault::InvalidUtf8;
      state.faultOffset = at + i;
      used = i;
      return static_cast<std::size_t>(o - out);
    }
    if (c.code == 0xFEFF && at + i == 0) {
      i += c.length; // the byte order mark opening the file
      continue;
    }
    const std::uint8_t b = c.code <= 0xFFFF ? bytes[c.code] : 0;
    if (b == 0 && state.substitute) {
      // At most kMaxSubstitute bytes for a character of two or more.
      const std::string s = substituteFor(c.code, state.target);
      std::memcpy(o, s.data(), s.size());
      o += s.size();
      ++state.substituted;
      i += c.length;
      continue;
    }
    if (b == 0) {
      state.fault = RecodeFault::Unrepresentable;
      state.faultOffset = at + i;
      used = i;
      return static_cast<std::size_t>(o - out);
    }
    *o++ = b;
    i += c.length;
  }
  used = i;
  return static_cast<std::size_t>(o - out);
}

StepResult utf16Step(SliceStream &job, RecodeState &state) {
  // A unit, pair or sequence cut by the end of the slice is left
  // unconsumed: it comes again at the front of the next slice.
  const std::size_t count = job.bytesRead;
  const bool last = job.processed + count >= job.fileSize;
  std::uint8_t *out = job.outputSpace(2 * count + 16);
  std::size_t used = 0;
  const std::size_t length =
      state.utf16(job.slice, count, job.processed, last, out, used, state);
  if (state.fault != RecodeFault::None)
    return StepResult::BadText;
  job.slicePos = used;
  job.processed += used;
  if (!job.commitOutput(length))
    return StepResult::WriteFailed;
  return StepResult::Continue;
}

// UTF-8 to UTF-8: the bytes of whole characters pass as they are, the
// first invalid one is a fault at its offset; a sequence cut by the end of
// the slice comes again at the front of the next one.
StepResult checkStep(SliceStream &job, RecodeState &state) {
  const std::uint8_t *in = job.slice;
  const std::size_t count = job.bytesRead;
  const bool last = job.processed + count >= job.fileSize;
  std::size_t i = 0;
  while (i < count) {
    if (i + 8 <= count) {
      std::uint64_t v;
      std::memcpy(&v, in + i, 8);
      if ((v & kHighBits) == 0) {
        i += 8;
        continue;
      }
    }
    if (in[i] < 0x80) {
      ++i;
      continue;
    }
    const Utf8Char c = decodeUtf8(in + i, count - i);
    if (c.status == Utf8Status::Incomplete && !last)
      break;
    if (c.status != Utf8Status::Ok) {
      state.fault = RecodeFault::InvalidUtf8;
      state.faultOffset = job.processed + i;
      return StepResult::BadText;
    }
    i += c.length;
  }
  job.slicePos = i;
  job.processed += i;
  return job.writeAll(in, i) ? StepResult::Continue : StepResult::WriteFailed;
}

// The offset in `bytes` of the first byte whose character the target
// lacks, or `count`.
std::size_t firstFilled(const std::uint8_t *bytes, std::size_t count,
                        const ByteFlags &noEquivalent) {
  std::size_t i = 0;
  while (i < count && !noEquivalent[bytes[i]])
    ++i;
  return i;
}

StepResult encodeStep(SliceStream &job, RecodeState &state) {
  const std::size_t count = job.bytesRead;
  std::uint8_t *out = job.outputSpace(3 * count + 8);
  const std::size_t length = encodeSlice(job.slice, count, out, state);
  job.slicePos = count;
  job.processed += count;
  if (!job.commitOutput(length))
    return StepResult::WriteFailed;
  return StepResult::Continue;
}

StepResult decodeStep(SliceStream &job, RecodeState &state) {
  // A sequence cut by the end of the slice is left unconsumed: it comes
  // again at the front of the next slice.
  const std::size_t count = job.bytesRead;
  const bool last = job.processed + count >= job.fileSize;
  // A substitute takes up to twice the bytes of its character.
  std::uint8_t *out =
      job.outputSpace((state.substitute ? 2 * count : count) + 8);
  std::size_t used = 0;
  const std::size_t length =
      decodeSlice(job.slice, count, job.processed, last, out, used, state);
  if (state.fault != RecodeFault::None)
    return StepResult::BadText;
  job.slicePos = used;
  job.processed += used;
  if (!job.commitOutput(length))
    return StepResult::WriteFailed;
  return StepResult::Continue;
}

// The pair table of a pair of pages (256 KiB): entry a | b << 8 holds
// map[a] | map[b] << 8 in its low half and, above it, how many of a and b
// have no equivalent in the target.
const std::uint32_t *pairTableOf(CodePage from, CodePage to,
                                 const RecodeMap &map,
                                 const ByteFlags &noEquivalent) {
  const auto slot = static_cast<std::size_t>(from) % kPages * kPages +
                    static_cast<std::size_t>(to) % kPages;
  return processTable<std::uint32_t, kPages * kPages>(
      slot, [&](std::uint32_t *table) {
        for (unsigned a = 0; a < 256; ++a)
          for (unsigned b = 0; b < 256; ++b)
            table[a | b << 8] =
                static_cast<std::uint32_t>(map[a] | map[b] << 8) |
                static_cast<std::uint32_t>(noEquivalent[a] + noEquivalent[b])
                    << 16;
      });
}

} // namespace

RecodeState::RecodeState(CodePage from, CodePage to, bool substituting,
                         bool strictly)
    : source(from), target(to), substitute(substituting), strict(strictly),
      map(makeRecodeMap(from, to)), noEquivalent(noEquivalentBytes(from, to)) {
  if (isUtf16Recoding(from, to)) {
    utf16 = utf16ConverterFor(from, to);
    if (isSingleBytePage(from))
      sourceChars = &charsOf(from);
    if (isSingleBytePage(to))
      targetBytes = &bytesOf(to);
    return;
  }
  if (isSingleBytePage(from) && to == CodePage::Utf8) {
    const CharTable &chars = charsOf(from);
    for (std::size_t b = 0; b < 256; ++b) {
      // A character of a single-byte page takes at most three bytes.
      std::uint8_t encoded[4] = {};
      encoded[3] = static_cast<std::uint8_t>(encodeUtf8(chars[b], encoded));
      std::memcpy(&utf8Bytes[b], encoded, 4);
    }
    return;
  }
  if (from == CodePage::Utf8 && to == CodePage::Utf8)
    return;
  if (from == CodePage::Utf8 && isSingleBytePage(to)) {
    targetBytes = &bytesOf(to);
    pairDecode = pairDecodeTableOf(to);
    return;
  }
  pairMap = pairTableOf(from, to, map, noEquivalent);
  if (substitute && isSingleBytePage(from) && isSingleBytePage(to)) {
    const CharTable &chars = charsOf(from);
    for (std::size_t b = 0; b < 256; ++b)
      if (noEquivalent[b])
        substitutes[b] = substituteFor(chars[b], to);
  }
}

StepResult recodeSlice(SliceStream &job, RecodeState &state) {
  if (job.atEnd())
    return finishStream(job);
  if (!job.readSlice())
    return StepResult::ReadFailed;
  if (state.utf16)
    return utf16Step(job, state);
  if (state.targetBytes)
    return decodeStep(job, state);
  if (state.target == CodePage::Utf8)
    return state.source == CodePage::Utf8 ? checkStep(job, state)
                                          : encodeStep(job, state);

  std::uint8_t *bytes = job.slice;
  const std::size_t count = job.bytesRead;
  if (state.strict && !state.substitute && state.pairMap) {
    const std::size_t at = firstFilled(bytes, count, state.noEquivalent);
    if (at < count) {
      state.fault = RecodeFault::Unrepresentable;
      state.faultOffset = job.processed + at;
      return StepResult::BadText;
    }
  }
  if (state.substitute && state.pairMap) {
    // Byte by byte: a substitute may be longer than its byte.
    std::uint8_t *out = job.outputSpace(kMaxSubstitute * count);
    std::size_t o = 0;
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint8_t b = bytes[i];
      if (!state.noEquivalent[b]) {
        out[o++] = state.map[b];
        continue;
      }
      const std::string &s = state.substitutes[b];
      std::memcpy(out + o, s.data(), s.size());
      o += s.size();
      ++state.substituted;
    }
    job.slicePos = count;
    job.processed += count;
    return job.commitOutput(o) ? StepResult::Continue : StepResult::WriteFailed;
  }
  if (state.pairMap)
    state.filled +=
        mapBytes(bytes, count, state.map, state.noEquivalent, state.pairMap);
  job.slicePos = count;
  job.processed += count;

  if (!job.writeAll(bytes, count))
    return StepResult::WriteFailed;
  return StepResult::Continue;
}

} // namespace snpln::engine
