// --output FILE: a run over one input file whose result goes to FILE, the
// input staying as it is.
//
// OutputFileSystem serves the input's name (as the command line gave it)
// from the file system beneath it, read only, and every other name as that
// file system does. begin(), before the run, takes FILE's state and begins
// a NewFile for it (platform/file_system.h); the save of the input's run
// writes there, and its commit only marks it made. Nothing is under FILE's
// name until commitOutput() gives it the content, once, when the run is
// over and no file failed: a FILE that another program created or changed
// since begin() is left as it is (TargetChanged). A run that left the
// input as it was gives FILE the input's bytes. A new FILE gets the
// input's mode limited by the umask; with keepDate, the input's times.
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

  // Takes FILE's state and begins its new content, before the run. False,
  // with the system's reason, when no new file can be begun there.
  bool begin(platform::SystemError &why);
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
  friend class OutputInput;
  friend class OutputSave;

  bool isInput(const platform::FileLocation &at) const;

  platform::FileSystem &inner_;
  std::string input_;
  std::string output_;
  bool keepDate_;
  bool allowChown_;
  // FILE's new content, begun before the run.
  std::unique_ptr<platform::NewFile> file_;
  // The run's save has written it whole and committed.
  bool made_ = false;
  // The run's save has written into it.
  bool written_ = false;
};

} // namespace snpln::cli
