#include "tests/support/memory_file.h"

#include <algorithm>
#include <cstring>

namespace snpln::test {

bool MemoryInputFile::read(void *buffer, std::size_t size, std::size_t &got) {
  got = 0;
  if (maxRead != 0)
    size = std::min(size, maxRead);
  const std::uint64_t end = std::min<std::uint64_t>(pos_ + size, data_.size());
  if (failReadAt != kNever && end > failReadAt)
    return false;
  if (pos_ < data_.size()) {
    got = static_cast<std::size_t>(end - pos_);
    std::memcpy(buffer, data_.data() + pos_, got);
    pos_ = end;
  }
  return true;
}

bool MemoryInputFile::seek(platform::FileSize position) {
  if (failSeek)
    return false;
  pos_ = position;
  return true;
}

bool MemoryInputFile::size(platform::FileSize &result) {
  result = data_.size();
  return true;
}

bool MemoryOutputFile::write(const void *buffer, std::size_t size,
                             std::size_t &written) {
  written = 0;
  const std::uint64_t end = data.size() + size;
  if (failWriteAt != kNever && end > failWriteAt)
    return false;
  std::size_t take = size;
  if (shortWriteAt != kNever && end > shortWriteAt)
    take = shortWriteAt > data.size()
               ? static_cast<std::size_t>(shortWriteAt - data.size())
               : 0;
  data.append(static_cast<const char *>(buffer), take);
  written = take;
  return true;
}

} // namespace snpln::test
