// A run of snpln-cli's argument list over the files a browser's page was
// given: the very run plan the command line runs (masks, walks, passes,
// typed reports), over a MemoryFileSystem, with one worker.
//
// The options that mean nothing over such files (-o, -b, --suffix, -k, -j
// other than 1, - for standard input, --allow-chown) are refused with
// status 2 and one line naming the option. Every other list gives the
// status snpln-cli would give and, one by one as they come, the objects
// `snpln-cli --json` would print for it (whether or not the list asks for
// --json; -v and -q change nothing then). What the command line would
// print besides (a usage error, --help, -l, --version) is kept as text.
// The words follow the environment's locale, as the command line's do.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/memory_file_system.h"

namespace snpln::web {

// What the page hears while a run goes, each on the run's thread.
struct RunEvents {
  // A file begins: the object its end would be were it canceled now (the
  // file as the run names it, the run's first operation), and its place
  // among the files of the run (from 1).
  std::function<void(const std::string &canceledObject, std::size_t number)>
      jobStarted;
  // The running job's progress, 0 to 100.
  std::function<void(int percent)> progress;
  // One object of the reports, as a line of `snpln-cli --json` without its
  // line end, with what it says in words in English and in Russian (the
  // line `snpln-cli -v` prints after the name).
  std::function<void(const std::string &object, const std::string &english,
                     const std::string &russian)>
      report;
};

struct BrowserRunResult {
  int status = 0;
  // The command line's other output: standard output's and then standard
  // error's text.
  std::string messages;
};

BrowserRunResult runInBrowser(const std::vector<std::string> &args,
                              platform::MemoryFileSystem &fs,
                              const RunEvents &events);

} // namespace snpln::web
