// The command line of snpln-cli: which operations to run, their parameters,
// and the names to run them over.
//
// parseOptions() fills CliOptions from argv. It returns nothing when the run
// should go on, or the exit status when it is already settled (help and
// version print on stdout and give 0; usage errors print on stderr and
// give 2).
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace snpln::cli {

inline constexpr int kExitUsage = 2;

struct CliOptions {
  bool detect = false;
  std::string to;            // dos, win, koi, iso, utf8 or empty
  std::string from = "auto"; // auto, dos, win, koi, iso, utf8
  bool upper = false;
  bool lower = false;
  bool smart = false;
  bool saveUpper = false;
  std::optional<std::string> exclude;
  std::optional<std::string> replace;
  std::string with;
  bool bytes = false; // texts byte for byte, not as characters
  bool leftPart = false;
  bool rightPart = false;
  bool ignoreCase = false;
  bool optimize = false;
  std::string tabSize = "8"; // read the way the window's prompt is read
  bool deleteEmpty = false;
  std::string filter;
  std::vector<std::string> names;
};

std::optional<int> parseOptions(int argc, char **argv, CliOptions &options,
                                std::ostream &out, std::ostream &err);

} // namespace snpln::cli
