// A file system for the windows' tests: the POSIX one, with a hook before
// every read of a file it opened.
#pragma once

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "platform/posix_file_system.h"
#include "tests/support/forwarding_input_file.h"

namespace snpln::test {

// The POSIX file system, counting the reads of the files it opens and the
// flushes of directories the run asks for itself.
// `beforeRead` runs before each, and `beforeReadOf` with the name the file
// was opened by (on the thread of the job that reads). With `maxRead` set to
// the job's slice size, a read gives at most that many bytes, so that the job's
// stream, which keeps a few bytes after each slice, reads once per engine step
// of the case engines (but for a last step or two whose bytes it holds
// already).
class CountingFileSystem : public platform::PosixFileSystem {
public:
  std::atomic<int> reads{0};
  std::atomic<int> directoryFlushes{0};
  std::size_t maxRead = 0;
  std::function<void()> beforeRead;
  std::function<void(const std::string &)> beforeReadOf;

  std::unique_ptr<platform::InputFile>
  openRead(const platform::FileLocation &at) override {
    auto file = PosixFileSystem::openRead(at);
    if (!file)
      return nullptr;
    return std::make_unique<Counting>(std::move(file), *this, at.name);
  }

  bool flushDirectory(const platform::Directory &directory,
                      platform::SystemError &why) override {
    ++directoryFlushes;
    return PosixFileSystem::flushDirectory(directory, why);
  }

private:
  class Counting : public ForwardingInputFile {
  public:
    Counting(std::unique_ptr<platform::InputFile> file, CountingFileSystem &fs,
             std::string name)
        : ForwardingInputFile(std::move(file)), fs_(fs),
          name_(std::move(name)) {}
    bool read(void *buffer, std::size_t size, std::size_t &got) override {
      if (fs_.beforeRead)
        fs_.beforeRead();
      if (fs_.beforeReadOf)
        fs_.beforeReadOf(name_);
      ++fs_.reads;
      if (fs_.maxRead > 0)
        size = std::min(size, fs_.maxRead);
      return inner_->read(buffer, size, got);
    }

  private:
    CountingFileSystem &fs_;
    std::string name_;
  };
};

} // namespace snpln::test
