// The arguments of the window's program: Qt's own options and the names.
//
// Qt's standard options (-style, -stylesheet, -platform, -reverse,
// -qwindowgeometry and the others every Qt program takes) are taken by
// QApplication, which removes them from the argument list it is given;
// what it leaves are the names. A lone "--" ends Qt's options: QApplication
// never sees it or anything after it, so every argument after it is a
// name, also one that looks like an option. "./-style" names a file too.
#pragma once

#include <string>
#include <vector>

namespace snpln::ui {

class ProgramArguments {
public:
  // `argv` must outlive this object (the process's own does).
  ProgramArguments(int argc, char **argv);
  ProgramArguments(const ProgramArguments &) = delete;
  ProgramArguments &operator=(const ProgramArguments &) = delete;

  // What QApplication is constructed with: the program's name and the
  // arguments before a lone "--". QApplication keeps both references and
  // takes its options out of them.
  int &qtArgc() { return qtArgc_; }
  char **qtArgv() { return qtArgv_.data(); }

  // The names, in order: what QApplication left of the arguments before
  // "--", then every argument after it. Call once QApplication exists.
  std::vector<std::string> names() const;

  // The command-line text of the names (platform/command_line.h), and the
  // names that text cannot carry.
  std::string commandLine() const;
  std::vector<std::string> namesLeftOut() const;

private:
  int qtArgc_ = 0;
  std::vector<char *> qtArgv_; // null-terminated
  std::vector<char *> afterDashes_;
  char *program_ = nullptr;
};

} // namespace snpln::ui
