#include "cli/standard_input.h"

#include <algorithm>
#include <cstring>

namespace snpln::cli {

namespace {

class TextSave;

class TextInput : public platform::InputFile {
public:
  TextInput(std::shared_ptr<const std::string> text,
            platform::FileStatus status,
            std::shared_ptr<const std::string> &target, std::int64_t &version)
      : text_(std::move(text)), status_(status), target_(target),
        version_(version) {}

  bool read(void *buffer, std::size_t size, std::size_t &got) override {
    const std::size_t left =
        position_ < text_->size() ? text_->size() - position_ : 0;
    got = std::min(size, left);
    if (got != 0)
      std::memcpy(buffer, text_->data() + position_, got);
    position_ += got;
    return true;
  }
  bool seek(platform::FileSize position) override {
    if (position > text_->size())
      return false;
    position_ = static_cast<std::size_t>(position);
    return true;
  }
  platform::FileSize position() const override { return position_; }
  bool size(platform::FileSize &result) override {
    result = text_->size();
    return true;
  }
  bool status(platform::FileStatus &result) override {
    result = status_;
    return true;
  }
  // Only this process reaches the text, and it has no name to change.
  platform::LockOutcome lock() override {
    return platform::LockOutcome::Locked;
  }
  bool stillNamed() override { return true; }
  std::unique_ptr<platform::SaveFile>
  beginSave(const platform::FileStatus &original, const platform::SaveRules &,
            platform::SystemError &) override;

private:
  std::shared_ptr<const std::string> text_;
  platform::FileStatus status_;
  std::shared_ptr<const std::string> &target_;
  std::int64_t &version_;
  std::size_t position_ = 0;
};

class TextSave : public platform::SaveFile {
public:
  TextSave(std::shared_ptr<const std::string> &target, std::int64_t &version,
           std::int64_t begunAt)
      : target_(target), version_(version), begunAt_(begunAt) {}

  bool write(const void *buffer, std::size_t size,
             std::size_t &written) override {
    text_.append(static_cast<const char *>(buffer), size);
    written = size;
    return true;
  }
  bool flush() override { return true; }
  platform::SaveOutcome commit() override {
    if (version_ != begunAt_)
      return platform::SaveOutcome::TargetChanged;
    target_ = std::make_shared<const std::string>(std::move(text_));
    text_.clear();
    ++version_;
    return platform::SaveOutcome::Replaced;
  }
  // A text on its way to standard output has no times to keep.
  bool setTimes(const platform::FileTime &,
                const platform::FileTime &) override {
    return true;
  }
  void abandon() override { text_.clear(); }

private:
  std::shared_ptr<const std::string> &target_;
  std::int64_t &version_;
  std::int64_t begunAt_;
  std::string text_;
};

std::unique_ptr<platform::SaveFile>
TextInput::beginSave(const platform::FileStatus &original,
                     const platform::SaveRules &, platform::SystemError &) {
  return std::make_unique<TextSave>(target_, version_,
                                    original.modifiedSeconds);
}

} // namespace

bool isStandardStream(const platform::FileLocation &at) {
  return !at.directory && at.name == kStandardStreamName;
}

StandardInputFileSystem::StandardInputFileSystem(platform::FileSystem &inner,
                                                 std::string content)
    : inner_(inner),
      content_(std::make_shared<const std::string>(std::move(content))) {}

platform::FileStatus StandardInputFileSystem::currentStatus() const {
  platform::FileStatus status;
  status.size = content_->size();
  status.modifiedSeconds = version_;
  status.mode = 0644;
  return status;
}

std::unique_ptr<platform::InputFile>
StandardInputFileSystem::openRead(const platform::FileLocation &at) {
  if (!isStandardStream(at))
    return inner_.openRead(at);
  // A job reads the text as it stands when it starts; a save's commit puts
  // a new text in place and leaves this one to the reader that holds it.
  return std::make_unique<TextInput>(content_, currentStatus(), content_,
                                     version_);
}

std::optional<platform::FileStatus>
StandardInputFileSystem::status(const platform::FileLocation &at) {
  if (!isStandardStream(at))
    return inner_.status(at);
  return currentStatus();
}

std::shared_ptr<const platform::Directory>
StandardInputFileSystem::openDirectory(const platform::FileLocation &at) {
  return inner_.openDirectory(at);
}

std::optional<std::vector<platform::DirEntry>>
StandardInputFileSystem::listDirectory(const platform::Directory &directory,
                                       const std::string &mask) {
  return inner_.listDirectory(directory, mask);
}

std::unique_ptr<platform::DirListing>
StandardInputFileSystem::list(const std::string &pattern) {
  return inner_.list(pattern);
}

std::optional<std::uint32_t>
StandardInputFileSystem::lookup(const std::string &name) {
  if (name == kStandardStreamName)
    return platform::kAttrArchive;
  return inner_.lookup(name);
}

} // namespace snpln::cli
