#include "engine/slice_stream.h"

#include <algorithm>
#include <cstring>

namespace snpln::engine {

SliceStream::SliceStream(platform::InputFile *in, platform::OutputFile *out,
                         platform::FileSize size, std::size_t sliceBytes)
    : input(in), temp(out), sliceSize(sliceBytes), fileSize(size) {}

bool SliceStream::hold(platform::FileSize end) {
  end = std::min(end, fileSize);
  if (end <= heldEnd())
    return true;
  if (failed_)
    return false;
  // The bytes not yet consumed move to the front (a few bytes held back and
  // the look-ahead at most); the file's next block follows them.
  const std::size_t keepFrom =
      processed > blockOffset_
          ? static_cast<std::size_t>(std::min<platform::FileSize>(
                processed - blockOffset_, blockFill_))
          : 0;
  if (keepFrom > 0) {
    std::memmove(block_.data(), block_.data() + keepFrom,
                 blockFill_ - keepFrom);
    blockFill_ -= keepFrom;
    blockOffset_ += keepFrom;
  }
  while (heldEnd() < end) {
    const platform::FileSize need = end - heldEnd();
    const std::size_t want =
        static_cast<std::size_t>(std::min<platform::FileSize>(
            std::max<platform::FileSize>(need, kIoBlockSize),
            fileSize - heldEnd()));
    if (block_.size() < blockFill_ + want)
      block_.resize(blockFill_ + want);
    std::size_t got = 0;
    if (!input->read(block_.data() + blockFill_, want, got)) {
      // Part of the block may have arrived: the input stands past it.
      failed_ = true;
      return false;
    }
    // Nothing where the size said there is more: the file shrank.
    if (got == 0)
      return false;
    blockFill_ += got;
  }
  return true;
}

bool SliceStream::readSlice() {
  bytesRead = 0;
  slicePos = 0;
  handedOut_ = std::max(handedOut_, processed);
  const platform::FileSize newEnd =
      handedOut_ +
      std::min<platform::FileSize>(sliceSize, fileSize - handedOut_);
  if (newEnd == processed)
    return true;
  if (!hold(newEnd + kLookAhead) && heldEnd() < newEnd)
    return false;
  const std::size_t start = static_cast<std::size_t>(processed - blockOffset_);
  slice = block_.data() + start;
  bytesRead = static_cast<std::size_t>(newEnd - processed);
  const std::size_t fresh = static_cast<std::size_t>(handedOut_ - processed);
  if (std::memchr(slice + fresh, 0, bytesRead - fresh) != nullptr)
    zeroByteSeen = true;
  handedOut_ = newEnd;
  return true;
}

bool SliceStream::bytesAhead(const std::uint8_t *&data, std::size_t &size) {
  data = nullptr;
  size = 0;
  if (processed >= fileSize)
    return true;
  if (!hold(processed + 1))
    return false;
  const std::size_t start = static_cast<std::size_t>(processed - blockOffset_);
  data = block_.data() + start;
  size = blockFill_ - start;
  return true;
}

bool SliceStream::writeOut(const std::uint8_t *data, std::size_t size) {
  if (size == 0)
    return true;
  std::size_t written = 0;
  return temp != nullptr && temp->write(data, size, written) && written == size;
}

std::uint8_t *SliceStream::outputSpace(std::size_t size) {
  if (output_.size() < outputFill_ + size)
    output_.resize(std::max(outputFill_ + size, kIoBlockSize + sliceSize));
  return output_.data() + outputFill_;
}

bool SliceStream::commitOutput(std::size_t size) {
  outputFill_ += size;
  return outputFill_ < kIoBlockSize || flushOutput();
}

bool SliceStream::writeAll(const std::uint8_t *data, std::size_t size) {
  if (size == 0)
    return true;
  std::memcpy(outputSpace(size), data, size);
  return commitOutput(size);
}

bool SliceStream::flushOutput() {
  const bool ok = writeOut(output_.data(), outputFill_);
  outputFill_ = 0;
  return ok;
}

bool SliceStream::peekNextByte(std::uint8_t &byte) {
  // readSlice keeps kLookAhead bytes after the slice wherever the file has
  // them: one missing means the file is shorter than its size.
  if (handedOut_ < blockOffset_ || handedOut_ >= heldEnd())
    return false;
  byte = block_[static_cast<std::size_t>(handedOut_ - blockOffset_)];
  return true;
}

} // namespace snpln::engine
