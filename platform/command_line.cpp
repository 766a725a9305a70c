#include "platform/command_line.h"

namespace snpln::platform {

namespace {

bool holdsSeparator(const std::string &arg) {
  for (const char c : arg)
    if (static_cast<unsigned char>(c) <= 0x20)
      return true;
  return false;
}

} // namespace

bool roundTripsOnCommandLine(const std::string &arg) {
  if (arg.empty())
    return true;
  if (arg.find('"') == std::string::npos)
    return true;
  return arg[0] != '"' && !holdsSeparator(arg);
}

std::string rawCommandLine(int argc, char **argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (argv[i] == nullptr)
      continue;
    const std::string arg = argv[i];
    if (!roundTripsOnCommandLine(arg))
      continue;
    if (!text.empty())
      text += ' ';
    if (arg.empty() || holdsSeparator(arg))
      text += '"' + arg + '"';
    else
      text += arg;
  }
  return text;
}

} // namespace snpln::platform
