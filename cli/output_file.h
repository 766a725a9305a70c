// --output FILE: a run over one input file whose result goes to FILE, the
// input staying as it is.
//
// OutputFileSystem serves the input's name (as the command line gave it)
// from the content the latest pass made, and every other name from the file
// system beneath it. A job's save of the input begins a NewFile for FILE
// (platform/file_system.h) and its commit makes that the content the next
// pass reads: the passes chain through temporary files beside FILE, and
// nothing is under FILE's name until commitOutput() gives it the last one,
// once, when the run is over and no file failed. A run whose passes all
// left the input as it was gives FILE the input's bytes. The input is
// opened only to be read; its status (its times, which -k gives FILE, and
// its mode, which a new FILE gets limited by the umask) is the one every
// pass sees.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace snpln::cli {

class OutputFileSystem : public platform::FileSystem {
public:
  OutputFileSystem(platform::FileSystem &inner, std::string input,
                   std::string output, bool keepDate, bool allowChown);
  ~OutputFileSystem() override;

  // Gives FILE the run's result (see above); the outcome of its commit
  // (TargetChanged: FILE appeared or changed meanwhile and stays as it
  // is), with errno set for a failure the system gave a reason for.
  platform::SaveOutcome commitOutput();

  std::unique_ptr<platform::InputFile>
  openRead(const platform::FileLocation &at) override;
  std::optional<platform::FileStatus>
  status(const platform::FileLocation &at) override;
  std::shared_ptr<const platform::Directory>
  openDirectory(const platform::FileLocation &at) override;
  std::optional<std::vector<platform::DirEntry>>
  listDirectory(const platform::Directory &directory,
                const std::string &mask) override;
  std::unique_ptr<platform::DirListing>
  list(const std::string &pattern) override;
  std::optional<std::uint32_t> lookup(const std::string &name) override;

private:
  friend class ChainInput;
  friend class StageSave;

  bool isInput(const platform::FileLocation &at) const;

  platform::FileSystem &inner_;
  std::string input_;
  std::string output_;
  bool keepDate_;
  bool allowChown_;
  // The input as the first pass read it.
  std::optional<platform::FileStatus> inputStatus_;
  // The latest pass's content, not yet under FILE's name.
  std::unique_ptr<platform::NewFile> stage_;
};

} // namespace snpln::cli
