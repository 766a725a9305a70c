// The command line of snpln-cli: which operations to run, their parameters,
// and the names to run them over.
//
// Every option is defined once, in the option table (cli/option_table.h):
// its names, its value, its help line and manual text, how it is taken
// and what it does not go with. parseOptions() reads argv by that table
// and fills CliOptions. It returns nothing when the run should go on, or
// the exit status when it is already settled (help, version and the page
// list print on stdout and give 0; a wrong command line prints one
// complaint in the user's language on stderr and gives 2).
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "engine/bom_slice.h"
#include "engine/code_page.h"
#include "engine/line_end_slice.h"
#include "engine/optimize_slice.h"
#include "i18n/catalogue.h"
#include "job/job_request.h"
#include "platform/file_system.h"

namespace snpln::cli {

// Exit statuses.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Every option of the command line (one row of the option table each).
enum class OptionId : std::uint8_t {
  Detect,
  Repair,
  To,
  From,
  LineEnds,
  Bom,
  Substitute,
  Strict,
  Upper,
  Lower,
  Smart,
  SaveUpper,
  Exclude,
  Replace,
  With,
  LeftPart,
  RightPart,
  IgnoreCase,
  Bytes,
  Optimize,
  TabSize,
  DeleteEmpty,
  Filter,
  Hidden,
  KeepDate,
  Backup,
  Suffix,
  Output,
  AllowChown,
  DryRun,
  Check,
  Verbose,
  Quiet,
  Json,
  Jobs,
  List,
  Help,
  Version,
};

struct CliOptions {
  bool detect = false;
  // Garbled text undone first, before every other operation.
  bool repair = false;
  std::optional<engine::CodePage> to;
  engine::CodePage from = engine::CodePage::Auto;
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
  int tabSize = engine::kDefaultTabSize; // a whole number from 1
  bool deleteEmpty = false;
  std::string filter;
  // Every job runs to its end and writes nothing; each file gets its line.
  bool dryRun = false;
  // --check: a dry run whose status says whether any file would change.
  bool check = false;
  // One line per file with its outcome.
  bool verbose = false;
  // Failures only.
  bool quiet = false;
  // JSON Lines instead of sentences: one object per file and operation.
  bool json = false;
  // A file whose owner or group cannot be kept is rewritten and becomes
  // the user's.
  bool allowChown = false;
  // Walks take the names that begin with a dot too.
  bool hidden = false;
  // Every rewritten file keeps its access and modification times.
  bool keepDate = false;
  // A character the target page cannot hold becomes its closest equivalent.
  bool substitute = false;
  // A single-byte file with a character the target page cannot hold fails
  // at it instead of taking the fill byte.
  bool strict = false;
  // Every line end made this one, right after the recoding.
  std::optional<engine::LineEnd> lineEnds;
  // A UTF-8 file's byte order mark added or removed, right after the
  // recoding.
  std::optional<engine::BomChange> bom;
  // Each rewritten file's original is kept under its name followed by
  // backupSuffix (taken once per run, as the run rewrites the file; the
  // next numbered name after the highest there when that one is taken).
  bool backup = false;
  std::string backupSuffix = "~";
  // The result of the run over its one input file goes to this file; the
  // input stays as it is.
  std::optional<std::string> output;
  std::vector<std::string> names;
  // How many files are worked on at once; 0: one per core.
  int jobs = 0;
  // The options the command line gave.
  std::set<OptionId> given;
  // The language of the help and the messages: the environment's locale's.
  i18n::Language language = i18n::Language::English;
};

std::optional<int> parseOptions(int argc, char **argv, CliOptions &options,
                                std::ostream &out, std::ostream &err);

// The checks of --output that look at the files: the one input is a file
// (or does not exist yet: the run reports it), FILE is not a directory and
// not the input itself through any name (the same device and number).
// Nothing when the run may go on, else the usage error's status (printed).
std::optional<int> checkOutputFiles(const CliOptions &options,
                                    platform::FileSystem &fs,
                                    std::ostream &err);

// The operations the options choose, in the order of the option table
// (batch::inPassOrder() puts them in pass order).
std::vector<job::OperationCode> operationsOf(const CliOptions &options);

} // namespace snpln::cli
