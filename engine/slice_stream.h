// What an engine step sees of its job: the two open files, the slice buffer
// and the counters. The job owns all of it; a step reads the next slice from
// `input`, transforms it and writes the result to `temp`.
//
// Carried from one step to the next: the file positions, `processed`, and for
// the line engines the unread rest of `sliceBuffer` (`slicePos` up to
// `bytesRead`).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/file_system.h"

namespace snpln::engine {

// The product reads 8192 bytes per slice; tests may set a smaller size.
inline constexpr std::size_t kSliceSize = 8192;

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

struct SliceStream {
  platform::InputFile *input = nullptr;
  platform::OutputFile *temp = nullptr;
  std::size_t sliceSize = kSliceSize;
  std::vector<std::uint8_t> sliceBuffer; // sliceSize bytes
  std::size_t bytesRead = 0;             // bytes in the current slice
  std::size_t slicePos = 0;              // next unhandled byte of the slice
  platform::FileSize fileSize = 0;
  platform::FileSize processed = 0;
  // Set by readSlice when a slice held a zero byte: the file is no text.
  bool zeroByteSeen = false;

  SliceStream() = default;
  SliceStream(platform::InputFile *in, platform::OutputFile *out,
              platform::FileSize size, std::size_t slice = kSliceSize);

  bool atEnd() const { return processed >= fileSize; }

  // Reads the next slice into `sliceBuffer`: up to sliceSize bytes, never
  // past `fileSize`. Sets `bytesRead`, resets `slicePos`, and notes a zero
  // byte in `zeroByteSeen`. Fails when the
  // read fails or when the file holds fewer bytes than its size said (it
  // shrank while the job ran).
  bool readSlice();

  // Writes `size` bytes to `temp`; a short write is a failure.
  bool writeAll(const std::uint8_t *data, std::size_t size);

  // The byte after the current slice, read without consuming it (the file
  // position is put back). Only call when !atEnd() after the slice.
  bool peekNextByte(std::uint8_t &byte);
};

} // namespace snpln::engine
