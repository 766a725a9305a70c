// The ZIP archive the page offers for download (web/zip_archive.h):
// checked by Info-ZIP's unzip and by Python's zipfile on real files (the
// names in UTF-8 with bit 11 and the Unicode Path field, the folders, the
// bytes, the times, the ZIP64 end records of 65536 entries), and the
// ZIP64 fields of entries past 4 GiB byte by byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "web/zip_archive.h"

namespace snpln::web {
namespace {

struct Entry {
  std::string name;
  std::string bytes;
};

std::string archiveOf(const std::vector<Entry> &entries,
                      std::int64_t localSeconds) {
  ZipWriter zip;
  std::string out;
  for (const Entry &e : entries) {
    out += zip.entryHeader(e.name, e.bytes.size(),
                           crc32(e.bytes.data(), e.bytes.size()), localSeconds);
    out += e.bytes;
  }
  EXPECT_EQ(zip.size(), out.size());
  out += zip.finish();
  EXPECT_EQ(zip.size(), out.size());
  return out;
}

// Runs a command; its standard output, and its status in `status`.
std::string run(const std::string &command, int &status) {
  std::string out;
  FILE *pipe = ::popen(command.c_str(), "r");
  if (!pipe) {
    status = -1;
    return out;
  }
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    out.append(buffer, n);
  status = ::pclose(pipe);
  return out;
}

std::uint64_t le(const std::string &bytes, std::size_t at, int size) {
  std::uint64_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = (value << 8) | static_cast<std::uint8_t>(
                               bytes.at(at + static_cast<std::size_t>(i)));
  return value;
}

TEST(ZipArchive, Crc32OfKnownTexts) {
  const std::pair<std::string, std::uint32_t> rows[] = {
      {"", 0},
      {"a", 0xE8B7BE43u},
      {"123456789", 0xCBF43926u},
      {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
  };
  for (const auto &[text, crc] : rows) {
    EXPECT_EQ(crc32(text.data(), text.size()), crc) << text;
    // In two parts, as the page reads a file in slices.
    const std::size_t half = text.size() / 2;
    EXPECT_EQ(
        crc32(text.data() + half, text.size() - half, crc32(text.data(), half)),
        crc)
        << text;
  }
}

TEST(ZipArchive, DosTimesOfMoments) {
  struct Row {
    std::int64_t seconds;
    int year, month, day, hour, minute, second;
  };
  const Row rows[] = {
      {0, 1980, 1, 1, 0, 0, 0},               // before 1980
      {315532800 + 59, 1980, 1, 1, 0, 0, 58}, // two-second steps
      {951827696, 2000, 2, 29, 12, 34, 56},   // a leap day
      {1735689599, 2024, 12, 31, 23, 59, 58}, // the end of a leap year
      {9000000000, 2107, 12, 31, 23, 59, 58}, // past 2107
  };
  for (const Row &row : rows) {
    const DosTime t = dosTimeOf(row.seconds);
    EXPECT_EQ((t.date >> 9) + 1980, row.year) << row.seconds;
    EXPECT_EQ((t.date >> 5) & 15, row.month) << row.seconds;
    EXPECT_EQ(t.date & 31, row.day) << row.seconds;
    EXPECT_EQ(t.time >> 11, row.hour) << row.seconds;
    EXPECT_EQ((t.time >> 5) & 63, row.minute) << row.seconds;
    EXPECT_EQ((t.time & 31) * 2, row.second) << row.seconds;
  }
}

TEST(ZipArchive, UnzipAndPythonReadNamesFoldersBytesAndTimes) {
  std::string binary;
  for (int i = 0; i < 256; ++i)
    binary += static_cast<char>(i);
  const std::vector<Entry> entries = {
      {"a.txt", "hello\r\n"},
      {"Папка/файл.txt", "\xCF\xF0\xE8\xE2\xE5\xF2"},
      {"dir/sub/empty.txt", ""},
      {"dir/bin.dat", binary},
  };
  test::TempDir dir;
  dir.write("out.zip", archiveOf(entries, 951827696));
  const std::string zip = dir.file("out.zip");
  int status = 0;
  const std::string tested = run("unzip -t '" + zip + "'", status);
  EXPECT_EQ(status, 0) << tested;
  EXPECT_NE(tested.find("No errors detected"), std::string::npos) << tested;
  const std::string listed = run("unzip -l '" + zip + "'", status);
  EXPECT_EQ(status, 0) << listed;
  for (const Entry &e : entries)
    EXPECT_NE(listed.find(e.name), std::string::npos) << listed;

  // Python: each entry's name, flag bit 11, Unicode Path field (the CRC of
  // the name and the name), bytes (as hex) and time.
  std::ofstream(dir.file("check.py")) << R"(import sys, zipfile, struct, zlib
with zipfile.ZipFile(sys.argv[1]) as z:
    for info in z.infolist():
        extra = info.extra
        unicode = ''
        while extra:
            tag, size = struct.unpack('<HH', extra[:4])
            if tag == 0x7075:
                version, crc = struct.unpack('<BI', extra[4:9])
                name = extra[9:4 + size].decode()
                ok = version == 1 and crc == zlib.crc32(info.filename.encode())
                unicode = name if ok else '?'
            extra = extra[4 + size:]
        print(info.filename, info.flag_bits & 0x800, unicode,
              z.read(info).hex()[:16], info.compress_type,
              '%04d-%02d-%02d %02d:%02d:%02d' % info.date_time)
)";
  const std::string checked =
      run("python3 '" + dir.file("check.py") + "' '" + zip + "'", status);
  EXPECT_EQ(status, 0) << checked;
  const std::string t = "2000-02-29 12:34:56";
  EXPECT_EQ(checked,
            "a.txt 2048 a.txt 68656c6c6f0d0a 0 " + t + "\n" +
                "Папка/файл.txt 2048 Папка/файл.txt cff0e8e2e5f2 0 " + t +
                "\n" + "dir/sub/empty.txt 2048 dir/sub/empty.txt  0 " + t +
                "\n" + "dir/bin.dat 2048 dir/bin.dat 0001020304050607 0 " + t +
                "\n");
}

TEST(ZipArchive, SixtyFiveThousandEntriesGetTheZip64EndRecords) {
  std::vector<Entry> entries;
  for (int i = 0; i < 65536; ++i)
    entries.push_back({"f/" + std::to_string(i), std::to_string(i % 7)});
  const std::string bytes = archiveOf(entries, 0);
  test::TempDir dir;
  dir.write("many.zip", bytes);
  int status = 0;
  const std::string counted =
      run("python3 -c \"import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
          "print(len(z.infolist()), z.read('f/65535').decode(), z.testzip())\" "
          "'" +
              dir.file("many.zip") + "'",
          status);
  EXPECT_EQ(status, 0) << counted;
  EXPECT_EQ(counted, "65536 1 None\n");
  // The classic end record says "see the ZIP64 one" for the count.
  const std::size_t end = bytes.size() - 22;
  EXPECT_EQ(le(bytes, end, 4), 0x06054b50u);
  EXPECT_EQ(le(bytes, end + 10, 2), 0xFFFFu);
  EXPECT_EQ(le(bytes, end - 20, 4), 0x07064b50u) << "the ZIP64 locator";
}

TEST(ZipArchive, EntriesPastFourGibibytesGetZip64Fields) {
  constexpr std::uint64_t kBig = std::uint64_t{5} << 30;
  ZipWriter zip;
  const std::string first = zip.entryHeader("big.txt", kBig, 0x12345678, 0);
  // Local header: version 45, sizes in the ZIP64 field.
  EXPECT_EQ(le(first, 0, 4), 0x04034b50u);
  EXPECT_EQ(le(first, 4, 2), 45u);
  EXPECT_EQ(le(first, 18, 4), 0xFFFFFFFFu);
  EXPECT_EQ(le(first, 22, 4), 0xFFFFFFFFu);
  const std::size_t extra = 30 + 7;
  EXPECT_EQ(le(first, extra, 2), 1u);
  EXPECT_EQ(le(first, extra + 2, 2), 16u);
  EXPECT_EQ(le(first, extra + 4, 8), kBig);
  EXPECT_EQ(le(first, extra + 12, 8), kBig);
  const std::uint64_t secondAt = zip.size();
  const std::string second = zip.entryHeader("small.txt", 3, 1, 0);
  EXPECT_EQ(le(second, 4, 2), 20u) << "a small entry needs no ZIP64 field";
  const std::string tail = zip.finish();
  // The first central record: sizes in its ZIP64 field.
  EXPECT_EQ(le(tail, 0, 4), 0x02014b50u);
  EXPECT_EQ(le(tail, 20, 4), 0xFFFFFFFFu);
  EXPECT_EQ(le(tail, 46 + 7, 2), 1u);
  EXPECT_EQ(le(tail, 46 + 7 + 2, 2), 16u);
  // The second: its offset past 4 GiB in its ZIP64 field.
  const std::size_t next = 46 + 7 + 20 + 9 + 7;
  EXPECT_EQ(le(tail, next, 4), 0x02014b50u);
  EXPECT_EQ(le(tail, next + 42, 4), 0xFFFFFFFFu);
  EXPECT_EQ(le(tail, next + 46 + 9, 2), 1u);
  EXPECT_EQ(le(tail, next + 46 + 9 + 2, 2), 8u);
  EXPECT_EQ(le(tail, next + 46 + 9 + 4, 8), secondAt);
  // The ZIP64 end record holds where the directory starts.
  const std::size_t record = next + 46 + 9 + 12 + 18;
  EXPECT_EQ(le(tail, record, 4), 0x06064b50u);
  EXPECT_EQ(le(tail, record + 48, 8), secondAt + second.size() + 3);
}

} // namespace
} // namespace snpln::web
