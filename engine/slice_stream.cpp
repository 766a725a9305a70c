#include "engine/slice_stream.h"

#include <algorithm>
#include <cstring>

namespace snpln::engine {

SliceStream::SliceStream(platform::InputFile *in, platform::OutputFile *out,
                         platform::FileSize size, std::size_t slice)
    : input(in), temp(out), sliceSize(slice), sliceBuffer(slice),
      fileSize(size) {}

bool SliceStream::readSlice() {
  bytesRead = 0;
  slicePos = 0;
  const platform::FileSize remaining = fileSize - processed;
  const std::size_t want = static_cast<std::size_t>(
      std::min<platform::FileSize>(remaining, sliceSize));
  if (want == 0)
    return true;
  std::size_t got = 0;
  if (!input->read(sliceBuffer.data(), want, got))
    return false;
  bytesRead = got;
  if (got > 0 && std::memchr(sliceBuffer.data(), 0, got) != nullptr)
    zeroByteSeen = true;
  // A read that finds nothing before the size said the file ends means the
  // file shrank; going on would never reach the end.
  return got > 0;
}

bool SliceStream::writeAll(const std::uint8_t *data, std::size_t size) {
  if (size == 0)
    return true;
  std::size_t written = 0;
  return temp->write(data, size, written) && written == size;
}

bool SliceStream::peekNextByte(std::uint8_t &byte) {
  const platform::FileSize at = input->position();
  std::size_t got = 0;
  if (!input->read(&byte, 1, got) || got != 1)
    return false;
  return input->seek(at);
}

} // namespace snpln::engine
