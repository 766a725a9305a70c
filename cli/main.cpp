#include <clocale>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <iostream>
#include <unistd.h>

#include "cli/console_host.h"
#include "cli/standard_streams.h"
#ifdef _WIN32
#include "cli/windows_console.h"
#endif

int main(int argc, char **argv) {
  using namespace snpln::cli;
#if defined(__GLIBC__)
  // A run allocates and frees the same few hundred KiB of buffers for each
  // file: freed memory is kept for the next file instead of being handed
  // back to the system and faulted in again every time.
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  mallopt(M_MMAP_THRESHOLD, 4 << 20);
#endif
#ifdef _WIN32
  // The arguments as Windows keeps them (UTF-16), made UTF-8; a UTF-8
  // console for the run, binary streams.
  WindowsArguments arguments;
  argc = arguments.argc();
  argv = arguments.argv();
  const ConsoleSetup console;
  const bool errorOnTerminal = standardErrorIsConsole();
#else
  const bool errorOnTerminal = isatty(STDERR_FILENO) != 0;
#endif
  // Before anything is opened, so that no file takes their numbers.
  const ClosedDescriptors closed = openClosedStandardDescriptors();
  // The terminal's character set, for the texts given as arguments.
  std::setlocale(LC_CTYPE, "");
#ifdef LC_MESSAGES
  // The system's reasons (strerror) in the user's language.
  std::setlocale(LC_MESSAGES, "");
#endif
  installInterruptHandler();
  DescriptorInput input(STDIN_FILENO, closed.input);
  DescriptorOutput output(STDOUT_FILENO, closed.output);
  std::istream in(&input);
  std::ostream out(&output);
  int status = runCli(argc, argv, in, out, std::cerr, errorOnTerminal);
  out.flush();
  // A report or a text that did not reach standard output in full fails
  // the run, whatever became of the files (with --json, standard input's
  // lost text has its object already).
  if (output.error() != 0) {
    if (!textLossReported)
      std::cerr << writeErrorLine(output.error()) << '\n';
    if (status == kExitSuccess)
      status = kExitFailure;
  }
  return status;
}
