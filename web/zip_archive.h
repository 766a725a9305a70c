// A ZIP archive of stored (uncompressed) entries, as the page offers the
// files of a run for download: the folder paths kept, the names in UTF-8
// (flag bit 11, and the Info-ZIP Unicode Path extra field for unzippers
// that read only that), ZIP64 records where a size, an offset or the
// number of entries outgrows the classic fields.
//
// The writer makes the bytes around the entries' contents, which the
// caller puts in between as they are (the page joins them as parts of one
// download without copying them): entryHeader(), then that entry's bytes,
// for each entry in turn, then finish().
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace snpln::web {

// The CRC-32 of ZIP (polynomial 0xEDB88320) of `size` bytes, continuing
// from `crc` (0 to begin).
std::uint32_t crc32(const void *data, std::size_t size, std::uint32_t crc = 0);

// A moment as MS-DOS keeps it (two-second steps, 1980 to 2107).
struct DosTime {
  std::uint16_t time = 0;
  std::uint16_t date = 0;
};
// `localSeconds`: seconds since 1970-01-01 00:00 in the local time of the
// archive's user. Earlier than 1980 gives 1980-01-01 00:00, later than
// 2107 the last moment of 2107.
DosTime dosTimeOf(std::int64_t localSeconds);

class ZipWriter {
public:
  // The bytes before an entry of `size` bytes whose CRC-32 is `crc`,
  // named by `name` (its folders separated by '/', UTF-8).
  std::string entryHeader(const std::string &name, std::uint64_t size,
                          std::uint32_t crc, std::int64_t localSeconds);
  // The bytes after the last entry: the central directory and the end
  // records. The writer is done then.
  std::string finish();
  // How many bytes the archive has so far, entries' contents included.
  std::uint64_t size() const { return offset_; }

private:
  struct Entry {
    std::string name;
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    DosTime time;
    std::uint64_t offset = 0;
  };
  std::vector<Entry> entries_;
  std::uint64_t offset_ = 0;
};

} // namespace snpln::web
