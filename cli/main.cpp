#include <clocale>
#include <iostream>
#include <unistd.h>

#include "cli/console_host.h"

int main(int argc, char **argv) {
  // The terminal's character set, for the texts given as arguments.
  std::setlocale(LC_CTYPE, "");
  snpln::cli::installInterruptHandler();
  return snpln::cli::runCli(argc, argv, std::cin, std::cout, std::cerr,
                            isatty(STDERR_FILENO) != 0);
}
