// An input file that hands every call to the one it wraps: a test's own
// file overrides only the calls it watches or breaks.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "platform/file_system.h"

namespace snpln::test {

class ForwardingInputFile : public platform::InputFile {
public:
  explicit ForwardingInputFile(std::unique_ptr<platform::InputFile> inner)
      : inner_(std::move(inner)) {}

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
    return inner_->status(result);
  }
  platform::LockOutcome lock() override { return inner_->lock(); }
  bool stillNamed() override { return inner_->stillNamed(); }
  std::string reachedPath() const override { return inner_->reachedPath(); }
  std::unique_ptr<platform::SaveFile>
  beginSave(const platform::FileStatus &original,
            const platform::SaveRules &rules,
            platform::SystemError &why) override {
    return inner_->beginSave(original, rules, why);
  }

protected:
  std::unique_ptr<platform::InputFile> inner_;
};

} // namespace snpln::test
