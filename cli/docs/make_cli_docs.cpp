// Writes what the build makes of snpln-cli's option table:
//
//   snpln-cli-docs man-options FILE      the manual page's OPTIONS section
//   snpln-cli-docs bash-completion FILE  the bash completion script
#include <fstream>
#include <iostream>
#include <string>

#include "cli/option_table.h"

int main(int argc, char **argv) {
  if (argc != 3) {
    std::cerr << "usage: snpln-cli-docs man-options|bash-completion FILE\n";
    return 2;
  }
  const std::string what = argv[1];
  std::ofstream out(argv[2], std::ios::binary);
  if (what == "man-options")
    snpln::cli::printManualOptions(out);
  else if (what == "bash-completion")
    snpln::cli::printBashCompletion(out);
  else {
    std::cerr << "snpln-cli-docs: unknown document " << what << '\n';
    return 2;
  }
  out.close();
  if (!out) {
    std::cerr << "snpln-cli-docs: cannot write " << argv[2] << '\n';
    return 1;
  }
  return 0;
}
