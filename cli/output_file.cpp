#include "cli/output_file.h"

#include <cerrno>
#include <vector>

namespace snpln::cli {

// The input as the run reads it: the file itself, only read (no lock, as
// nothing is written in its place), its save going to FILE's new content.
class OutputInput : public platform::InputFile {
public:
  OutputInput(std::unique_ptr<platform::InputFile> inner,
              OutputFileSystem &owner)
      : inner_(std::move(inner)), owner_(owner) {}

  bool read(void *buffer, std::size_t size, std::size_t &got) override {
    return inner_->read(buffer, size, got);
  }
  bool seek(platform::FileSize position) override {
    return inner_->seek(position);
  }
  platform::FileSize position() const override { return inner_->position(); }
  bool readAt(platform::FileSize offset, void *buffer, std::size_t size,
              std::size_t &got) override {
    return inner_->readAt(offset, buffer, size, got);
  }
  bool size(platform::FileSize &result) override {
    return inner_->size(result);
  }
  bool status(platform::FileStatus &result) override {
    return inner_->status(result);
  }
  platform::LockOutcome lock() override {
    return platform::LockOutcome::Unsupported;
  }
  bool stillNamed() override { return true; }
  std::unique_ptr<platform::SaveFile>
  beginSave(const platform::FileStatus &original,
            const platform::SaveRules &rules,
            platform::SystemError &why) override;

private:
  std::unique_ptr<platform::InputFile> inner_;
  OutputFileSystem &owner_;
};

// The run's save: writes into FILE's new content; its commit only marks it
// made (commitOutput() gives FILE its name).
class OutputSave : public platform::SaveFile {
public:
  explicit OutputSave(OutputFileSystem &owner) : owner_(owner) {}

  bool write(const void *buffer, std::size_t size,
             std::size_t &written) override {
    written = 0;
    owner_.written_ = true;
    return owner_.file_ && owner_.file_->write(buffer, size, written);
  }
  bool flush() override { return owner_.file_ && owner_.file_->flush(); }
  platform::SaveOutcome commit() override {
    if (!owner_.file_)
      return platform::SaveOutcome::WriteFailed;
    owner_.made_ = true;
    return platform::SaveOutcome::Replaced;
  }
  bool setTimes(const platform::FileTime &accessed,
                const platform::FileTime &modified) override {
    return owner_.file_ && owner_.file_->setTimes(accessed, modified);
  }
  // What was written stays in FILE's new content, which no commit will
  // name: the run has failed.
  void abandon() override {}

private:
  OutputFileSystem &owner_;
};

std::unique_ptr<platform::SaveFile>
OutputInput::beginSave(const platform::FileStatus &,
                       const platform::SaveRules &,
                       platform::SystemError &why) {
  // One save per run: the file's one rewrite.
  if (!owner_.file_ || owner_.written_ || owner_.made_) {
    why = platform::SystemError{};
    return nullptr;
  }
  return std::make_unique<OutputSave>(owner_);
}

OutputFileSystem::OutputFileSystem(platform::FileSystem &inner,
                                   std::string input, std::string output,
                                   bool keepDate, bool allowChown)
    : inner_(inner), input_(std::move(input)), output_(std::move(output)),
      keepDate_(keepDate), allowChown_(allowChown) {}

OutputFileSystem::~OutputFileSystem() = default;

bool OutputFileSystem::isInput(const platform::FileLocation &at) const {
  return !at.directory && at.name == input_;
}

bool OutputFileSystem::begin(platform::SystemError &why) {
  // A new FILE gets the input's mode (limited by the umask); an input that
  // cannot be looked at is the run's to report.
  const auto input = inner_.status(platform::FileLocation(input_));
  const std::uint32_t mode = input ? input->mode : 0644;
  file_ = inner_.beginNewFile(platform::FileLocation(output_), mode,
                              platform::SaveRules{allowChown_, {}}, why);
  return file_ != nullptr;
}

std::unique_ptr<platform::InputFile>
OutputFileSystem::openRead(const platform::FileLocation &at) {
  auto in = inner_.openRead(at);
  if (!in || !isInput(at))
    return in;
  return std::make_unique<OutputInput>(std::move(in), *this);
}

platform::SaveOutcome OutputFileSystem::commitOutput() {
  errno = 0;
  if (!file_)
    return platform::SaveOutcome::WriteFailed;
  if (!made_) {
    // The run left the input as it was: FILE gets its bytes as they are.
    auto in = inner_.openRead(platform::FileLocation(input_));
    platform::FileStatus status;
    if (written_ || !in || !in->status(status))
      return platform::SaveOutcome::WriteFailed;
    std::vector<char> buffer(1 << 16);
    for (;;) {
      std::size_t got = 0;
      if (!in->read(buffer.data(), buffer.size(), got))
        return platform::SaveOutcome::WriteFailed;
      if (got == 0)
        break;
      std::size_t written = 0;
      if (!file_->write(buffer.data(), got, written) || written != got)
        return platform::SaveOutcome::WriteFailed;
    }
    if (keepDate_ && !file_->setTimes(status.accessed(), status.modified()))
      return platform::SaveOutcome::WriteFailed;
  }
  const platform::SaveOutcome outcome = file_->commit();
  const int reason = errno;
  file_.reset();
  errno = reason;
  return outcome;
}

std::optional<platform::FileStatus>
OutputFileSystem::status(const platform::FileLocation &at) {
  return inner_.status(at);
}

std::shared_ptr<const platform::Directory>
OutputFileSystem::openDirectory(const platform::FileLocation &at) {
  return inner_.openDirectory(at);
}

std::optional<std::vector<platform::DirEntry>>
OutputFileSystem::listDirectory(const platform::Directory &directory,
                                const std::string &mask) {
  return inner_.listDirectory(directory, mask);
}

std::unique_ptr<platform::DirListing>
OutputFileSystem::list(const std::string &pattern) {
  return inner_.list(pattern);
}

std::optional<std::uint32_t> OutputFileSystem::lookup(const std::string &name) {
  return inner_.lookup(name);
}

} // namespace snpln::cli
