// "-" as a name on the command line: standard input stands in for a file.
//
// StandardInputFileSystem serves the name "-" (never "./-", which names the
// file) from the text read from standard input, and every other name from
// the file system beneath it. A run reads "-" like a file, and its save
// replaces the text; nothing reaches the disk. The caller writes
// content() to standard output once the run is over.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace snpln::cli {

// The name that stands for standard input and output.
inline constexpr const char *kStandardStreamName = "-";

class StandardInputFileSystem : public platform::FileSystem {
public:
  StandardInputFileSystem(platform::FileSystem &inner, std::string content);

  // The text as the last committed save left it (or as it was read).
  const std::string &content() const { return *content_; }

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
  platform::FileStatus currentStatus() const;

  platform::FileSystem &inner_;
  std::shared_ptr<const std::string> content_;
  // Bumped by every commit: the status a save began from must still hold.
  std::int64_t version_ = 0;
};

// Whether `at` is the name standing for standard input.
bool isStandardStream(const platform::FileLocation &at);

} // namespace snpln::cli
