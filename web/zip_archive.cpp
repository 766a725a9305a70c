#include "web/zip_archive.h"

#include <algorithm>
#include <array>

namespace snpln::web {

namespace {

constexpr std::uint32_t kLocalHeader = 0x04034b50;
constexpr std::uint32_t kCentralHeader = 0x02014b50;
constexpr std::uint32_t kEnd = 0x06054b50;
constexpr std::uint32_t kZip64End = 0x06064b50;
constexpr std::uint32_t kZip64Locator = 0x07064b50;
constexpr std::uint16_t kZip64Extra = 0x0001;
constexpr std::uint16_t kUnicodePathExtra = 0x7075;
// Bit 11: the name is UTF-8.
constexpr std::uint16_t kUtf8Flag = 0x0800;
constexpr std::uint16_t kVersion = 20;
constexpr std::uint16_t kVersionZip64 = 45;
// Made on Unix (the high byte 3), so that the mode in the external
// attributes counts: a plain file, rw-r--r--.
constexpr std::uint16_t kMadeBy = (3 << 8) | kVersionZip64;
constexpr std::uint32_t kFileMode = 0100644u << 16;
constexpr std::uint64_t kMax32 = 0xFFFFFFFFu;
constexpr std::uint64_t kMax16 = 0xFFFFu;

const std::array<std::uint32_t, 256> &crcTable() {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k)
        c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  return table;
}

void put16(std::string &out, std::uint64_t value) {
  for (int i = 0; i < 2; ++i)
    out += static_cast<char>((value >> (8 * i)) & 0xFF);
}
void put32(std::string &out, std::uint64_t value) {
  for (int i = 0; i < 4; ++i)
    out += static_cast<char>((value >> (8 * i)) & 0xFF);
}
void put64(std::string &out, std::uint64_t value) {
  for (int i = 0; i < 8; ++i)
    out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The Unicode Path field: version 1, the CRC-32 of the header's name, the
// name in UTF-8.
std::string unicodePathField(const std::string &name) {
  std::string field;
  put16(field, kUnicodePathExtra);
  put16(field, 5 + name.size());
  field += '\1';
  put32(field, crc32(name.data(), name.size()));
  field += name;
  return field;
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civilOf(std::int64_t days, std::int64_t &year, unsigned &month,
             unsigned &day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
  const unsigned yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear =
      dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned mp = (5 * dayOfYear + 2) / 153;
  day = dayOfYear - (153 * mp + 2) / 5 + 1;
  month = mp < 10 ? mp + 3 : mp - 9;
  year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2);
}

} // namespace

std::uint32_t crc32(const void *data, std::size_t size, std::uint32_t crc) {
  const auto &table = crcTable();
  const auto *bytes = static_cast<const std::uint8_t *>(data);
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i)
    crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

DosTime dosTimeOf(std::int64_t localSeconds) {
  // 1980-01-01 and 2107-12-31 23:59:58.
  constexpr std::int64_t kFirst = 315532800;
  constexpr std::int64_t kLast = 4354819198;
  localSeconds = std::max(kFirst, std::min(kLast, localSeconds));
  const std::int64_t days = localSeconds / 86400;
  const std::int64_t second = localSeconds % 86400;
  std::int64_t year = 0;
  unsigned month = 0, day = 0;
  civilOf(days, year, month, day);
  DosTime t;
  t.date =
      static_cast<std::uint16_t>(((year - 1980) << 9) | (month << 5) | day);
  t.time = static_cast<std::uint16_t>(
      ((second / 3600) << 11) | ((second / 60 % 60) << 5) | (second % 60 / 2));
  return t;
}

std::string ZipWriter::entryHeader(const std::string &name, std::uint64_t size,
                                   std::uint32_t crc,
                                   std::int64_t localSeconds) {
  Entry entry{name, size, crc, dosTimeOf(localSeconds), offset_};
  const bool zip64 = size >= kMax32;
  std::string extra;
  if (zip64) {
    put16(extra, kZip64Extra);
    put16(extra, 16);
    put64(extra, size);
    put64(extra, size);
  }
  extra += unicodePathField(name);
  std::string out;
  put32(out, kLocalHeader);
  put16(out, zip64 ? kVersionZip64 : kVersion);
  put16(out, kUtf8Flag);
  put16(out, 0); // stored
  put16(out, entry.time.time);
  put16(out, entry.time.date);
  put32(out, crc);
  put32(out, zip64 ? kMax32 : size);
  put32(out, zip64 ? kMax32 : size);
  put16(out, name.size());
  put16(out, extra.size());
  out += name;
  out += extra;
  offset_ += out.size() + size;
  entries_.push_back(std::move(entry));
  return out;
}

std::string ZipWriter::finish() {
  const std::uint64_t directoryStart = offset_;
  std::string out;
  for (const Entry &e : entries_) {
    const bool bigSize = e.size >= kMax32;
    const bool farOffset = e.offset >= kMax32;
    std::string extra;
    if (bigSize || farOffset) {
      std::string values;
      if (bigSize) {
        put64(values, e.size);
        put64(values, e.size);
      }
      if (farOffset)
        put64(values, e.offset);
      put16(extra, kZip64Extra);
      put16(extra, values.size());
      extra += values;
    }
    extra += unicodePathField(e.name);
    put32(out, kCentralHeader);
    put16(out, kMadeBy);
    put16(out, bigSize || farOffset ? kVersionZip64 : kVersion);
    put16(out, kUtf8Flag);
    put16(out, 0);
    put16(out, e.time.time);
    put16(out, e.time.date);
    put32(out, e.crc);
    put32(out, bigSize ? kMax32 : e.size);
    put32(out, bigSize ? kMax32 : e.size);
    put16(out, e.name.size());
    put16(out, extra.size());
    put16(out, 0); // comment
    put16(out, 0); // disk
    put16(out, 0); // internal attributes
    put32(out, kFileMode);
    put32(out, farOffset ? kMax32 : e.offset);
    out += e.name;
    out += extra;
  }
  const std::uint64_t directorySize = out.size();
  const std::uint64_t count = entries_.size();
  const bool zip64 =
      count >= kMax16 || directorySize >= kMax32 || directoryStart >= kMax32;
  if (zip64) {
    const std::uint64_t recordStart = directoryStart + directorySize;
    put32(out, kZip64End);
    put64(out, 44); // the size of the rest of the record
    put16(out, kMadeBy);
    put16(out, kVersionZip64);
    put32(out, 0);
    put32(out, 0);
    put64(out, count);
    put64(out, count);
    put64(out, directorySize);
    put64(out, directoryStart);
    put32(out, kZip64Locator);
    put32(out, 0);
    put64(out, recordStart);
    put32(out, 1);
  }
  put32(out, kEnd);
  put16(out, 0);
  put16(out, 0);
  // A field too small for its value says so (all ones); the ZIP64 record
  // holds the value.
  put16(out, std::min(count, kMax16));
  put16(out, std::min(count, kMax16));
  put32(out, std::min(directorySize, kMax32));
  put32(out, std::min(directoryStart, kMax32));
  put16(out, 0);
  offset_ += out.size();
  entries_.clear();
  return out;
}

} // namespace snpln::web
