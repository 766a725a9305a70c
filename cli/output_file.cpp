#include "cli/output_file.h"

#include <cerrno>
#include <vector>

namespace snpln::cli {

// The input as a pass reads it: the file itself at first, then the content
// the latest pass made. Its status is the input's, with the size of what
// is read.
class ChainInput : public platform::InputFile {
public:
  ChainInput(std::unique_ptr<platform::InputFile> inner,
             OutputFileSystem &owner)
      : inner_(std::move(inner)), owner_(owner) {}

  bool read(void *buffer, std::size_t size, std::size_t &got) override {
    return inner_->read(buffer, size, got);
  }
  bool seek(platform::FileSize position) override {
    return inner_->seek(position);
  }
  platform::FileSize position() const override { return inner_->position(); }
  bool size(platform::FileSize &result) override {
    return inner_->size(result);
  }
  bool status(platform::FileStatus &result) override {
    platform::FileSize size = 0;
    if (!owner_.inputStatus_ || !inner_->size(size))
      return false;
    result = *owner_.inputStatus_;
    result.size = size;
    return true;
  }
  // Nothing here is ever written in place: the input is only read, and
  // the content of a pass is this run's alone.
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

// A pass's new content: a NewFile for FILE whose commit only makes it the
// content the next pass reads (and the one commitOutput() gives FILE).
class StageSave : public platform::SaveFile {
public:
  StageSave(std::unique_ptr<platform::NewFile> file, OutputFileSystem &owner)
      : file_(std::move(file)), owner_(owner) {}

  bool write(const void *buffer, std::size_t size,
             std::size_t &written) override {
    written = 0;
    return file_ && file_->write(buffer, size, written);
  }
  bool flush() override { return file_ && file_->flush(); }
  platform::SaveOutcome commit() override {
    if (!file_)
      return platform::SaveOutcome::WriteFailed;
    owner_.stage_ = std::move(file_);
    return platform::SaveOutcome::Replaced;
  }
  bool setTimes(const platform::FileTime &accessed,
                const platform::FileTime &modified) override {
    return file_ && file_->setTimes(accessed, modified);
  }
  void abandon() override { file_.reset(); }

private:
  std::unique_ptr<platform::NewFile> file_;
  OutputFileSystem &owner_;
};

std::unique_ptr<platform::SaveFile>
ChainInput::beginSave(const platform::FileStatus &,
                      const platform::SaveRules &rules,
                      platform::SystemError &why) {
  if (!owner_.inputStatus_) {
    why = platform::SystemError{};
    return nullptr;
  }
  platform::SaveRules forOutput = rules;
  forOutput.backupSuffix.clear();
  auto file =
      owner_.inner_.beginNewFile(platform::FileLocation(owner_.output_),
                                 owner_.inputStatus_->mode, forOutput, why);
  if (!file)
    return nullptr;
  return std::make_unique<StageSave>(std::move(file), owner_);
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

std::unique_ptr<platform::InputFile>
OutputFileSystem::openRead(const platform::FileLocation &at) {
  if (!isInput(at))
    return inner_.openRead(at);
  if (stage_) {
    auto staged = stage_->readBack();
    if (!staged)
      return nullptr;
    return std::make_unique<ChainInput>(std::move(staged), *this);
  }
  auto in = inner_.openRead(at);
  if (!in)
    return nullptr;
  if (!inputStatus_) {
    platform::FileStatus status;
    if (!in->status(status))
      return nullptr;
    inputStatus_ = status;
  }
  return std::make_unique<ChainInput>(std::move(in), *this);
}

platform::SaveOutcome OutputFileSystem::commitOutput() {
  errno = 0;
  if (!stage_) {
    // No pass changed the input: FILE gets its bytes as they are.
    auto in = inner_.openRead(platform::FileLocation(input_));
    platform::FileStatus status;
    if (!in || !in->status(status))
      return platform::SaveOutcome::WriteFailed;
    platform::SystemError why;
    stage_ = inner_.beginNewFile(platform::FileLocation(output_), status.mode,
                                 platform::SaveRules{allowChown_, {}}, why);
    if (!stage_) {
      errno = why.code;
      return platform::SaveOutcome::WriteFailed;
    }
    std::vector<char> buffer(1 << 16);
    for (;;) {
      std::size_t got = 0;
      if (!in->read(buffer.data(), buffer.size(), got))
        return platform::SaveOutcome::WriteFailed;
      if (got == 0)
        break;
      std::size_t written = 0;
      if (!stage_->write(buffer.data(), got, written) || written != got)
        return platform::SaveOutcome::WriteFailed;
    }
    if (keepDate_ && !stage_->setTimes(status.accessed(), status.modified()))
      return platform::SaveOutcome::WriteFailed;
  }
  const platform::SaveOutcome outcome = stage_->commit();
  const int reason = errno;
  stage_.reset();
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
