// snpln-cli's start on Windows: the command line as Windows keeps it
// (UTF-16) made UTF-8, the console set to UTF-8 for the run and put back
// after it, the standard streams binary, and Ctrl-C and Ctrl-Break heard
// through the console's control handler.
#pragma once

#ifdef _WIN32

#include <string>
#include <vector>

#include <windows.h>

namespace snpln::cli {

// The program's arguments, argv[0] included, from GetCommandLineW, each as
// UTF-8 (an unpaired surrogate becomes U+FFFD).
class WindowsArguments {
public:
  WindowsArguments();
  int argc() const { return static_cast<int>(pointers_.size()) - 1; }
  char **argv() { return pointers_.data(); }

private:
  std::vector<std::string> texts_;
  std::vector<char *> pointers_; // ends with a null pointer, like argv
};

// For the life of a run: the console's input and output code pages are
// UTF-8 (what the program writes and reads is UTF-8), and standard input
// and output are binary (no CR added before LF, no Ctrl-Z taken as the
// end). The console's own code pages come back when it goes.
class ConsoleSetup {
public:
  ConsoleSetup();
  ~ConsoleSetup();
  ConsoleSetup(const ConsoleSetup &) = delete;
  ConsoleSetup &operator=(const ConsoleSetup &) = delete;

private:
  UINT input_ = 0;
  UINT output_ = 0;
};

// Whether standard error is a console (a character device such as NUL is
// not one).
bool standardErrorIsConsole();

// The console's control handler: Ctrl-C and Ctrl-Break set `interrupted`
// (as SIGINT does, so the run ends with 130); closing the console window
// counts as a hang-up (129). True when the event is handled.
BOOL WINAPI onConsoleControl(DWORD event);

} // namespace snpln::cli

#endif // _WIN32
