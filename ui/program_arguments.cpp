#include "ui/program_arguments.h"

#include <cstring>

#include "platform/command_line.h"

namespace snpln::ui {

ProgramArguments::ProgramArguments(int argc, char **argv) {
  program_ = argc > 0 ? argv[0] : nullptr;
  bool dashes = false;
  for (int i = 0; i < argc; ++i) {
    if (!argv[i])
      continue;
    if (i > 0 && !dashes && std::strcmp(argv[i], "--") == 0) {
      dashes = true;
      continue;
    }
    (dashes ? afterDashes_ : qtArgv_).push_back(argv[i]);
  }
  qtArgc_ = static_cast<int>(qtArgv_.size());
  qtArgv_.push_back(nullptr);
}

std::vector<std::string> ProgramArguments::names() const {
  std::vector<std::string> all;
  for (int i = 1; i < qtArgc_; ++i)
    if (qtArgv_[static_cast<std::size_t>(i)])
      all.emplace_back(qtArgv_[static_cast<std::size_t>(i)]);
  for (const char *arg : afterDashes_)
    all.emplace_back(arg);
  return all;
}

std::string ProgramArguments::commandLine() const {
  const std::vector<std::string> all = names();
  std::vector<char *> argv;
  argv.push_back(program_);
  for (const std::string &name : all)
    argv.push_back(const_cast<char *>(name.c_str()));
  return platform::rawCommandLine(static_cast<int>(argv.size()), argv.data());
}

std::vector<std::string> ProgramArguments::namesLeftOut() const {
  std::vector<std::string> out;
  for (const std::string &name : names())
    if (!platform::roundTripsOnCommandLine(name))
      out.push_back(name);
  return out;
}

} // namespace snpln::ui
