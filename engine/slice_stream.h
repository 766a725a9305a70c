// What an engine step sees of its job: the two open files, the current
// slice and the counters. The job owns all of it; a step takes the next
// slice, transforms it and hands the result to the stream's output.
//
// The file is read in blocks of `readBlock` bytes (the last one shorter)
// and the output written in blocks of at least `writeBlock` bytes (the last
// one shorter, when the job finishes); both are kIoBlockSize for a file and
// smaller between two stages of a file's run, whose streams stay in
// memory. The engines still work one slice of sliceSize new bytes per step.
// A slice is a window over the block, never a copy: an engine transforms it
// in place or reads it into output of its own.
//
// A stream's size is known from the start (a file), or only once its input
// has ended (the output of the stage before it: openEnded()). Until then
// `fileSize` is kSizeUnknown; every read that finds the input ended sets it
// to the bytes read, and atEnd() reads ahead when it must to tell. So an
// engine's `processed + bytesRead >= fileSize` still tells the last slice:
// readSlice() holds kLookAhead bytes past the slice, or has met the end.
//
// `processed` counts the bytes of the file an engine has consumed, and the
// next slice begins at the first byte not consumed. An engine that must see
// what follows before it can handle the last bytes of a slice (a UTF-8
// sequence cut by the slice's end, a character whose next character
// decides its case) consumes the slice without them: they come again at
// the front of the next slice, followed by sliceSize new bytes (fewer at
// the end of the file). So `processed + bytesRead >= fileSize` tells the
// last slice.
//
// Carried from one step to the next: the block, the position of the first
// byte not consumed, `processed`, and for the line engines the unread rest
// of the slice (`slicePos` up to `bytesRead`).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/file_system.h"

namespace snpln::engine {

// The product's engines take 8192 new bytes per slice; tests may set a
// smaller size.
inline constexpr std::size_t kSliceSize = 8192;
// Bytes read from the file in one call, and the least written in one.
inline constexpr std::size_t kIoBlockSize = 256 * 1024;
// Bytes after the current slice the stream holds where the file has them,
// for a look past its end (peekNextByte).
inline constexpr std::size_t kLookAhead = 8;
// The size of a stream whose input has not ended yet.
inline constexpr platform::FileSize kSizeUnknown = ~platform::FileSize{0};

// What one engine step did. The job turns a failure into its message and
// result, and `Finished` into its success end.
enum class StepResult {
  Continue,    // a slice was handled; call again on the next tick
  Finished,    // the whole file has been consumed and written
  ReadFailed,  // "Error reading file"
  WriteFailed, // "Error writing file"
  LineTooLong, // a line over the 30000-byte line limit
  BadText,     // the text cannot be recoded; the engine's state says why
};

// A byte buffer that is not cleared when it is made or grows: a stream
// writes every byte before anything reads it, so clearing would only cost
// a pass over memory for every file, whatever its size.
class StreamBytes {
public:
  std::uint8_t *data() { return bytes_.get(); }
  const std::uint8_t *data() const { return bytes_.get(); }
  std::size_t size() const { return size_; }
  // Room for at least `size` bytes; the first `keep` bytes stay. It grows
  // to at least twice its size, so a buffer that keeps growing is copied
  // a few times only.
  void grow(std::size_t size, std::size_t keep);

private:
  std::unique_ptr<std::uint8_t[]> bytes_;
  std::size_t size_ = 0;
};

struct SliceStream {
  platform::InputFile *input = nullptr;
  platform::OutputFile *temp = nullptr;
  std::size_t sliceSize = kSliceSize;
  // Bytes asked of the input in one read, and the output gathered before
  // one write.
  std::size_t readBlock = kIoBlockSize;
  std::size_t writeBlock = kIoBlockSize;
  // The current slice: bytesRead bytes, which the engine may change in
  // place. Valid until the next readSlice.
  std::uint8_t *slice = nullptr;
  std::size_t bytesRead = 0; // bytes in the current slice
  std::size_t slicePos = 0;  // next unhandled byte of the slice
  platform::FileSize fileSize = 0;
  platform::FileSize processed = 0;
  // Set by readSlice when a slice held a zero byte: the file is no text.
  bool zeroByteSeen = false;
  // Whether readSlice looks for zero bytes at all: a stream that reads
  // another stage's output need not, only the file's own bytes tell.
  bool watchZeros = true;

  SliceStream() = default;
  // Reads `in` from its position, which is the file's start; `out` may be
  // set later, before the first slice is written.
  SliceStream(platform::InputFile *in, platform::OutputFile *out,
              platform::FileSize size, std::size_t sliceBytes = kSliceSize);
  // A stream whose size is known once `in` ends (see above), reading and
  // writing blocks of `block` bytes.
  static SliceStream openEnded(platform::InputFile *in,
                               platform::OutputFile *out,
                               std::size_t sliceBytes, std::size_t block);

  // Whether every byte has been consumed. A stream whose size is not known
  // yet reads ahead to tell, when it holds no byte past `processed`.
  bool atEnd() {
    if (sizeOpen_ && processed >= heldEnd())
      (void)hold(processed + 1);
    return processed >= fileSize;
  }
  bool sizeKnown() const { return !sizeOpen_; }

  // The next slice: the bytes from `processed` on that earlier slices
  // handed out, then up to sliceSize new bytes, never past `fileSize`.
  // Sets `slice` and `bytesRead`, resets `slicePos`, and notes a zero byte
  // among the new bytes in `zeroByteSeen`. Fails when the read fails or
  // when the file holds fewer bytes than its size said (it shrank while
  // the job ran).
  bool readSlice();

  // The bytes of the file from `processed` on that the stream holds (the
  // first block of the file for a stream that has handed out no slice),
  // reading them if needed but consuming nothing: at least `want` of them
  // where the file has them, so `size` is 0 only at its end. Detection
  // looks at the head of the file through this, and the first slices are
  // then cut from the same block. False when the read fails.
  bool bytesAhead(const std::uint8_t *&data, std::size_t &size,
                  std::size_t want = 1);
  // The file offset just past the bytes the stream holds: where the input
  // stands. Detection that reads on past them puts the input back here.
  platform::FileSize heldEnd() const {
    return blockOffset_ + static_cast<platform::FileSize>(blockFill_);
  }

  // Says that the input no longer stands at heldEnd() (a look past the
  // held bytes could not put it back): every later read fails.
  void markFailed() { failed_ = true; }

  // Hands `size` bytes to the output; they reach `temp` in blocks (a piece
  // of at least an eighth of a block at once, after what the output
  // holds). A write that fails or is short is a failure.
  bool writeAll(const std::uint8_t *data, std::size_t size);
  // Room for `size` bytes at the end of the output, to be filled and then
  // added with commitOutput (at most `size` of them). Valid until the next
  // call on the stream.
  std::uint8_t *outputSpace(std::size_t size) {
    if (output_.size() - outputFill_ < size)
      output_.grow(outputFill_ + size, outputFill_);
    return output_.data() + outputFill_;
  }
  bool commitOutput(std::size_t size) {
    outputFill_ += size;
    return outputFill_ < writeBlock || flushOutput();
  }
  // Writes what the output still holds. Every engine does so before it
  // returns Finished.
  bool flushOutput();

  // The byte after the current slice, without consuming it (from the
  // block). Only call when !atEnd() after the slice; false when the file
  // holds fewer bytes than its size said.
  bool peekNextByte(std::uint8_t &byte);

private:
  // Makes the block hold the file's bytes [processed, end) (end at most
  // fileSize), reading blocks after what it holds. False when a read fails
  // or finds the file shorter than its size; an open-ended input that ends
  // sets the size instead.
  bool hold(platform::FileSize end);
  bool writeOut(const std::uint8_t *data, std::size_t size);

  // A read failed: where the input stands is not known any more.
  bool failed_ = false;
  // The size is not known until the input ends.
  bool sizeOpen_ = false;
  StreamBytes block_;
  platform::FileSize blockOffset_ = 0; // the file offset of block_[0]
  std::size_t blockFill_ = 0;          // bytes of the file in block_
  platform::FileSize handedOut_ = 0;   // the end of the last slice
  StreamBytes output_;
  std::size_t outputFill_ = 0;
};

// The end of an engine's work on the stream: the output written, then
// Finished (or WriteFailed).
inline StepResult finishStream(SliceStream &job) {
  return job.flushOutput() ? StepResult::Finished : StepResult::WriteFailed;
}

// Feeds `evidence` (feed(bytes, size), wantsMore()) the file's bytes after
// those the stream holds, in blocks of its size, while it wants more; the
// input is then put back where the stream left it (else the stream is
// marked failed). A failed read ends the feeding.
template <class Evidence>
void feedPastHeld(SliceStream &stream, Evidence &evidence) {
  platform::FileSize position = stream.heldEnd();
  if (!evidence.wantsMore() || position >= stream.fileSize)
    return;
  std::vector<std::uint8_t> buffer(kIoBlockSize);
  while (evidence.wantsMore() && position < stream.fileSize) {
    const std::size_t want =
        static_cast<std::size_t>(std::min<platform::FileSize>(
            stream.fileSize - position, buffer.size()));
    std::size_t got = 0;
    if (!stream.input->read(buffer.data(), want, got) || got == 0)
      break;
    evidence.feed(buffer.data(), got);
    position += got;
  }
  if (!stream.input->seek(stream.heldEnd()))
    stream.markFailed();
}

} // namespace snpln::engine
