// In-memory files for driving engine steps without a disk, with optional
// failures: a read or write that fails once a given number of bytes has
// passed, a short write, a failing seek.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "engine/slice_stream.h"
#include "platform/file_system.h"

namespace snpln::test {

inline constexpr std::uint64_t kNever =
    std::numeric_limits<std::uint64_t>::max();

class MemoryInputFile : public platform::InputFile {
public:
  explicit MemoryInputFile(std::string data) : data_(std::move(data)) {}
  bool read(void *buffer, std::size_t size, std::size_t &got) override;
  bool seek(platform::FileSize position) override;
  platform::FileSize position() const override { return pos_; }
  bool size(platform::FileSize &result) override;
  // The size, and otherwise a fixed status.
  bool status(platform::FileStatus &result) override {
    result = platform::FileStatus{};
    result.size = data_.size();
    return true;
  }

  std::uint64_t failReadAt = kNever; // a read reaching past this byte fails
  std::size_t maxRead = 0;           // a read gives at most this (0: all)
  bool failSeek = false;
  std::string data_;

private:
  platform::FileSize pos_ = 0;
};

class MemoryOutputFile : public platform::OutputFile {
public:
  bool write(const void *buffer, std::size_t size,
             std::size_t &written) override;
  bool flush() override { return !failFlush; }

  std::uint64_t failWriteAt = kNever;  // a write reaching past this fails
  std::uint64_t shortWriteAt = kNever; // a write reaching past this is cut
  bool failFlush = false;
  std::string data;
};

// A stream over an input text, ready for engine steps.
struct MemoryStream {
  explicit MemoryStream(std::string input, std::size_t sliceSize = 8192)
      : in(std::move(input)), stream(&in, &out, in.data_.size(), sliceSize) {}
  MemoryInputFile in;
  MemoryOutputFile out;
  engine::SliceStream stream;
};

// Calls `step` until it stops returning Continue (at most `limit` calls) and
// returns the last result.
template <typename Step>
engine::StepResult runSteps(Step &&step, std::size_t limit = 100000000) {
  engine::StepResult r = engine::StepResult::Continue;
  for (std::size_t i = 0; i < limit && r == engine::StepResult::Continue; ++i)
    r = step();
  return r;
}

} // namespace snpln::test
