// A file system for the windows' tests: the POSIX one, with a hook before
// every read of a file it opened and before every commit of its new
// content.
#pragma once

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/posix_file_system.h"
#include "tests/support/forwarding_input_file.h"

namespace snpln::test {

// The POSIX file system, counting the reads of the files it opens, the
// tries of our runs' lock that found it held by another run, and the
// flushes of directories the run asks for itself.
// `beforeRead` runs before each, and `beforeReadOf` with the name the file
// was opened by (on the thread of the job that reads). With `maxRead` set to
// the job's slice size, a read gives at most that many bytes, so that the job's
// stream, which keeps a few bytes after each slice, reads once per engine step
// of the case engines (but for a last step or two whose bytes it holds
// already). `beforeCommitOf` runs with the file's name on the job's thread
// as the save of a file it opened begins its commit (its wait for the
// disk). `beforeOpenDirectory` runs before each directory is opened (on
// the run's thread: a walk's).
class CountingFileSystem : public platform::PosixFileSystem {
public:
  std::atomic<int> reads{0};
  std::atomic<int> directoryFlushes{0};
  std::atomic<int> busyLocks{0};
  std::size_t maxRead = 0;
  std::function<void()> beforeRead;
  std::function<void(const std::string &)> beforeReadOf;
  std::function<void(const std::string &)> beforeCommitOf;
  std::function<void()> beforeOpenDirectory;

  std::unique_ptr<platform::InputFile>
  openRead(const platform::FileLocation &at) override {
    auto file = PosixFileSystem::openRead(at);
    if (!file)
      return nullptr;
    return std::make_unique<Counting>(std::move(file), *this, at.name);
  }

  std::shared_ptr<const platform::Directory>
  openDirectory(const platform::FileLocation &at) override {
    if (beforeOpenDirectory)
      beforeOpenDirectory();
    return PosixFileSystem::openDirectory(at);
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
    platform::LockOutcome lock() override {
      const platform::LockOutcome outcome = inner_->lock();
      if (outcome == platform::LockOutcome::Busy)
        ++fs_.busyLocks;
      return outcome;
    }
    std::unique_ptr<platform::SaveFile>
    beginSave(const platform::FileStatus &original,
              const platform::SaveRules &rules,
              platform::SystemError &why) override {
      auto save = inner_->beginSave(original, rules, why);
      if (!save)
        return nullptr;
      return std::make_unique<Save>(std::move(save), fs_, name_);
    }

  private:
    CountingFileSystem &fs_;
    std::string name_;
  };

  // The save of a Counting file: every call handed on, the hook first.
  class Save : public platform::SaveFile {
  public:
    Save(std::unique_ptr<platform::SaveFile> inner, CountingFileSystem &fs,
         std::string name)
        : inner_(std::move(inner)), fs_(fs), name_(std::move(name)) {}
    bool write(const void *buffer, std::size_t size,
               std::size_t &written) override {
      return inner_->write(buffer, size, written);
    }
    bool flush() override { return inner_->flush(); }
    platform::SaveOutcome commit() override {
      if (fs_.beforeCommitOf)
        fs_.beforeCommitOf(name_);
      return inner_->commit();
    }
    bool setTimes(const platform::FileTime &accessed,
                  const platform::FileTime &modified) override {
      return inner_->setTimes(accessed, modified);
    }
    void abandon() override { inner_->abandon(); }
    std::string backupName() const override { return inner_->backupName(); }
    std::shared_ptr<const platform::Directory>
    unflushedDirectory() const override {
      return inner_->unflushedDirectory();
    }
    std::optional<platform::FileStatus> replacement() const override {
      return inner_->replacement();
    }

  private:
    std::unique_ptr<platform::SaveFile> inner_;
    CountingFileSystem &fs_;
    std::string name_;
  };
};

} // namespace snpln::test
