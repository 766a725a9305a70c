#include "engine/slice_stream.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace snpln::engine {

void StreamBytes::grow(std::size_t size, std::size_t keep) {
  if (size <= size_)
    return;
  const std::size_t newSize = std::max(size, 2 * size_);
  // Not value-initialised: the new bytes are written before they are read.
  std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[newSize]);
  if (keep > 0)
    std::memcpy(bytes.get(), bytes_.get(), std::min(keep, size_));
  bytes_ = std::move(bytes);
  size_ = newSize;
}

SliceStream::SliceStream(platform::InputFile *in, platform::OutputFile *out,
                         platform::FileSize size, std::size_t sliceBytes)
    : input(in), temp(out), sliceSize(sliceBytes), fileSize(size) {}

SliceStream SliceStream::openEnded(platform::InputFile *in,
                                   platform::OutputFile *out,
                                   std::size_t sliceBytes, std::size_t block) {
  SliceStream stream(in, out, kSizeUnknown, sliceBytes);
  stream.readBlock = block;
  stream.writeBlock = block;
  stream.sizeOpen_ = true;
  return stream;
}

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
            std::max<platform::FileSize>(need, readBlock),
            fileSize - heldEnd()));
    block_.grow(blockFill_ + want, blockFill_);
    std::size_t got = 0;
    if (!input->read(block_.data() + blockFill_, want, got)) {
      // Part of the block may have arrived: the input stands past it.
      failed_ = true;
      return false;
    }
    if (got == 0) {
      // Nothing where the size said there is more: the file shrank.
      if (!sizeOpen_)
        return false;
      // The input of an open-ended stream has ended: its size is known.
      sizeOpen_ = false;
      fileSize = heldEnd();
      return true;
    }
    blockFill_ += got;
  }
  return true;
}

bool SliceStream::readSlice() {
  bytesRead = 0;
  slicePos = 0;
  handedOut_ = std::max(handedOut_, processed);
  platform::FileSize newEnd =
      handedOut_ +
      std::min<platform::FileSize>(sliceSize, fileSize - handedOut_);
  if (newEnd == processed)
    return true;
  if (!hold(newEnd + kLookAhead) && heldEnd() < newEnd)
    return false;
  // An open-ended input may have ended before the slice's end.
  newEnd = std::min(newEnd, fileSize);
  if (newEnd <= processed)
    return true;
  const std::size_t start = static_cast<std::size_t>(processed - blockOffset_);
  slice = block_.data() + start;
  bytesRead = static_cast<std::size_t>(newEnd - processed);
  const std::size_t fresh = static_cast<std::size_t>(handedOut_ - processed);
  if (watchZeros && std::memchr(slice + fresh, 0, bytesRead - fresh) != nullptr)
    zeroByteSeen = true;
  handedOut_ = newEnd;
  return true;
}

bool SliceStream::bytesAhead(const std::uint8_t *&data, std::size_t &size,
                             std::size_t want) {
  data = nullptr;
  size = 0;
  if (processed >= fileSize)
    return true;
  if (!hold(processed + std::max<std::size_t>(want, 1)))
    return false;
  if (processed >= fileSize)
    return true;
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

bool SliceStream::writeAll(const std::uint8_t *data, std::size_t size) {
  if (size == 0)
    return true;
  // A piece of a good part of a block goes on at once, after what the
  // output holds, without a copy of its own.
  if (size >= writeBlock / 8)
    return flushOutput() && writeOut(data, size);
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
  byte = block_.data()[static_cast<std::size_t>(handedOut_ - blockOffset_)];
  return true;
}

} // namespace snpln::engine
