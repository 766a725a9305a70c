#include "cli/option_table.h"

#include <stdexcept>

#include "batch/run_plan.h"
#include "cli/page_names.h"

namespace snpln::cli {

namespace {

using job::OperationCode;
using Taken = std::optional<Complaint>;
using Operation = std::optional<OperationCode>;

// The unknown page: the valid names follow.
Complaint unknownPage(const std::string &name, const char *option, bool source,
                      i18n::Language language) {
  return Complaint{
      QT_TRANSLATE_NOOP("snpln-cli", "unknown code page \"%1\" for %2: give %3 "
                                     "(snpln-cli -l lists every name)"),
      {name, option, alternatives(validPageNames(source), language)},
      false};
}

// A text to look for: never empty.
Taken searchText(std::optional<std::string> &field, const std::string &value,
                 const char *option) {
  if (value.empty())
    return Complaint{
        QT_TRANSLATE_NOOP("snpln-cli",
                          "%1 needs a text to look for, not an empty one"),
        {option}};
  field = value;
  return std::nullopt;
}

} // namespace

const std::vector<OptionSpec> &optionTable() {
  using enum OptionId;
  static const std::vector<OptionSpec> table = {
      // Operations.
      {.id = Detect,
       .group = OptionGroup::Operations,
       .shortName = 'd',
       .longName = "detect",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP("snpln-cli", "Report each file's code page"),
       .manual = "Nothing is changed. A UTF-8 file that reads as garbled "
                 "gets a note naming the chain --repair would undo.",
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.detect = true;
         return std::nullopt;
       },
       .excludes = {To, From, LineEnds, Bom, Repair},
       .operation = [](const CliOptions &) -> Operation {
         return OperationCode::Detect;
       }},
      {.id = Repair,
       .group = OptionGroup::Operations,
       .shortName = '\0',
       .longName = "repair",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli", "Repair garbled text (UTF-8 read as Windows-1251 and "
                        "the like, up to three times) into UTF-8, before every "
                        "other operation; a file not garbled is left as it is"),
       .manual = "Garbled text is text read in a wrong code page and saved "
                 "again: UTF-8 read as Windows-1251, Windows-1252, Latin-1, "
                 "KOI8-R, CP866 or ISO 8859-5; Windows-1251, KOI8-R, CP866 "
                 "or ISO 8859-5 read as another of those pages. It is undone "
                 "for the whole file or line by line; the later operations "
                 "take the UTF-8 it gives. A file that no chain makes read "
                 "clearly better is left as it is.",
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.repair = true;
         return std::nullopt;
       },
       .excludes = {Detect},
       .operation = [](const CliOptions &) -> Operation {
         return OperationCode::Repair;
       }},
      {.id = To,
       .group = OptionGroup::Operations,
       .shortName = 't',
       .longName = "to",
       .valueName = "PAGE",
       .kind = ValueKind::TargetPage,
       .help = QT_TRANSLATE_NOOP("snpln-cli",
                                 "Recode to this code page: dos (cp866), win "
                                 "(cp1251), koi (koi8-r), iso (iso-8859-5), "
                                 "mac (x-mac-cyrillic), koi8u (koi8-u), "
                                 "cp1125, utf8 (utf-8), utf16 (a byte order "
                                 "mark, little-endian), utf16le or utf16be"),
       .manual = "utf16 writes a byte order mark and little-endian units, "
                 "utf16le and utf16be no mark.",
       .take = [](CliOptions &o, const std::string &value, int) -> Taken {
         o.to = targetPageByName(value);
         if (!o.to)
           return unknownPage(value, "--to", false, o.language);
         return std::nullopt;
       },
       .operation = [](const CliOptions &o) -> Operation {
         return o.to ? batch::recodingTo(*o.to) : std::nullopt;
       }},
      {.id = From,
       .group = OptionGroup::Operations,
       .shortName = 'f',
       .longName = "from",
       .valueName = "PAGE",
       .kind = ValueKind::SourcePage,
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli",
           "The files' code page, or auto to detect it for each file "
           "(default): the source of --to, and the page of the other "
           "operations' letters and texts"),
       .manual = "A file that opens with a UTF-16 byte order mark is "
                 "detected as UTF-16 of that byte order; -f utf16le or "
                 "utf16be reads one without a mark. Operations other than "
                 "recoding fail on a UTF-16 file: recode it first.",
       .take = [](CliOptions &o, const std::string &value, int) -> Taken {
         const auto page = sourcePageByName(value);
         if (!page)
           return unknownPage(value, "--from", true, o.language);
         o.from = *page;
         return std::nullopt;
       }},
      {.id = LineEnds,
       .group = OptionGroup::Operations,
       .shortName = '\0',
       .longName = "line-ends",
       .valueName = nullptr,
       .kind = ValueKind::Choice,
       .choices = {{"lf", static_cast<int>(engine::LineEnd::Lf)},
                   {"crlf", static_cast<int>(engine::LineEnd::CrLf)},
                   {"cr", static_cast<int>(engine::LineEnd::Cr)}},
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli", "Make every line end LF, CRLF or CR (CR LF, LF CR, "
                        "a lone CR or a lone LF each count as one line end)"),
       .manual = "A last line without a line end stays so.",
       .take = [](CliOptions &o, const std::string &, int choice) -> Taken {
         o.lineEnds = static_cast<engine::LineEnd>(choice);
         return std::nullopt;
       },
       .operation = [](const CliOptions &) -> Operation {
         return OperationCode::LineEnds;
       }},
      {.id = Bom,
       .group = OptionGroup::Operations,
       .shortName = '\0',
       .longName = "bom",
       .valueName = nullptr,
       .kind = ValueKind::Choice,
       .choices = {{"add", static_cast<int>(engine::BomChange::Add)},
                   {"remove", static_cast<int>(engine::BomChange::Remove)}},
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli", "Add a byte order mark to each UTF-8 file (and each "
                        "of ASCII alone), or remove the one it begins with"),
       .manual = "A file already as asked, or in a single-byte page, is "
                 "left as it is.",
       .take = [](CliOptions &o, const std::string &, int choice) -> Taken {
         o.bom = static_cast<engine::BomChange>(choice);
         return std::nullopt;
       },
       .operation = [](const CliOptions &) -> Operation {
         return OperationCode::Bom;
       }},
      {.id = Substitute,
       .group = OptionGroup::Operations,
       .shortName = '\0',
       .longName = "substitute",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli",
           "A character the target page cannot hold (in --to, in --with) "
           "becomes its closest equivalent: quotes \", dashes -, ... for the "
           "ellipsis, No for the numero sign, else ?"),
       .manual = "Also the euro sign EUR, box drawing +, - and |, and the "
                 "letters of the other Cyrillic languages their nearest "
                 "Russian letter. Without it a UTF-8 file with such a "
                 "character fails and a single-byte file keeps the fill "
                 "byte, which recoding back undoes.",
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.substitute = true;
         return std::nullopt;
       }},
      {.id = Strict,
       .group = OptionGroup::Operations,
       .shortName = '\0',
       .longName = "strict",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli", "Refuse a file with a character the target page cannot "
                        "hold instead of writing a fill byte: it fails at that "
                        "character and stays as it was"),
       .manual = "Status 1. With --substitute such a character becomes its "
                 "closest equivalent instead.",
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.strict = true;
         return std::nullopt;
       }},
      {.id = Upper,
       .group = OptionGroup::Operations,
       .shortName = '\0',
       .longName = "upper",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP("snpln-cli", "Convert to upper case"),
       .manual = nullptr,
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.upper = true;
         return std::nullopt;
       },
       .excludes = {Lower, Smart},
       .operation = [](const CliOptions &) -> Operation {
         return OperationCode::UpperCase;
       }},
      {.id = Lower,
       .group = OptionGroup::Operations,
       .shortName = '\0',
       .longName = "lower",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP("snpln-cli", "Convert to lower case"),
       .manual = nullptr,
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.lower = true;
         return std::nullopt;
       },
       .excludes = {Smart},
       .operation = [](const CliOptions &) -> Operation {
         return OperationCode::LowerCase;
       }},
      {.id = Smart,
       .group = OptionGroup::Operations,
       .shortName = '\0',
       .longName = "smart",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli", "Sentence case: a capital at each sentence start"),
       .manual = nullptr,
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.smart = true;
         return std::nullopt;
       },
       .operation = [](const CliOptions &) -> Operation {
         return OperationCode::SmartCase;
       }},
      {.id = SaveUpper,
       .group = OptionGroup::Operations,
       .shortName = '\0',
       .longName = "save-upper",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli", "With --smart: keep letters that already are capitals"),
       .manual = nullptr,
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.saveUpper = true;
         return std::nullopt;
       },
       .needsOneOf = {Smart}},
      {.id = Optimize,
       .group = OptionGroup::Operations,
       .shortName = '\0',
       .longName = "optimize",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP("snpln-cli",
                                 "Turn blanks that end at tab stops into TABs"),
       .manual = nullptr,
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.optimize = true;
         return std::nullopt;
       },
       .operation = [](const CliOptions &) -> Operation {
         return OperationCode::Optimize;
       }},
      {.id = TabSize,
       .group = OptionGroup::Operations,
       .shortName = '\0',
       .longName = "tab-size",
       .valueName = "N",
       .kind = ValueKind::Number,
       .least = 1,
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli", "TAB width for --optimize, a whole number from 1 (8)"),
       .manual = nullptr,
       .take = [](CliOptions &o, const std::string &, int number) -> Taken {
         o.tabSize = number;
         return std::nullopt;
       }},
      {.id = DeleteEmpty,
       .group = OptionGroup::Operations,
       .shortName = '\0',
       .longName = "delete-empty",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP("snpln-cli", "Delete excessive empty lines"),
       .manual = nullptr,
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.deleteEmpty = true;
         return std::nullopt;
       },
       .operation = [](const CliOptions &) -> Operation {
         return OperationCode::DeleteEmpty;
       }},

      // Removal and replacement.
      {.id = Exclude,
       .group = OptionGroup::Texts,
       .shortName = '\0',
       .longName = "exclude",
       .valueName = "TEXT",
       .kind = ValueKind::Text,
       .help =
           QT_TRANSLATE_NOOP("snpln-cli", "Remove every occurrence of TEXT"),
       .manual = nullptr,
       .take = [](CliOptions &o, const std::string &value, int) -> Taken {
         return searchText(o.exclude, value, "--exclude");
       },
       .operation = [](const CliOptions &) -> Operation {
         return OperationCode::Exclude;
       }},
      {.id = Replace,
       .group = OptionGroup::Texts,
       .shortName = '\0',
       .longName = "replace",
       .valueName = "TEXT",
       .kind = ValueKind::Text,
       .help =
           QT_TRANSLATE_NOOP("snpln-cli", "Replace every occurrence of TEXT"),
       .manual = "The replacement is the text of --with.",
       .take = [](CliOptions &o, const std::string &value, int) -> Taken {
         return searchText(o.replace, value, "--replace");
       },
       .operation = [](const CliOptions &) -> Operation {
         return OperationCode::Replace;
       }},
      {.id = With,
       .group = OptionGroup::Texts,
       .shortName = '\0',
       .longName = "with",
       .valueName = "TEXT",
       .kind = ValueKind::Text,
       .help =
           QT_TRANSLATE_NOOP("snpln-cli", "The replacement (empty: remove)"),
       .manual = nullptr,
       .take = [](CliOptions &o, const std::string &value, int) -> Taken {
         o.with = value;
         return std::nullopt;
       },
       .needsOneOf = {Replace}},
      {.id = LeftPart,
       .group = OptionGroup::Texts,
       .shortName = '\0',
       .longName = "left-part",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli",
           "An occurrence must begin a word (not follow a letter)"),
       .manual = nullptr,
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.leftPart = true;
         return std::nullopt;
       },
       .needsOneOf = {Exclude, Replace}},
      {.id = RightPart,
       .group = OptionGroup::Texts,
       .shortName = '\0',
       .longName = "right-part",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli",
           "An occurrence must end a word (not be followed by a letter)"),
       .manual = nullptr,
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.rightPart = true;
         return std::nullopt;
       },
       .needsOneOf = {Exclude, Replace}},
      {.id = IgnoreCase,
       .group = OptionGroup::Texts,
       .shortName = '\0',
       .longName = "ignore-case",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help =
           QT_TRANSLATE_NOOP("snpln-cli", "Compare letters regardless of case"),
       .manual = nullptr,
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.ignoreCase = true;
         return std::nullopt;
       },
       .needsOneOf = {Exclude, Replace}},
      {.id = Bytes,
       .group = OptionGroup::Texts,
       .shortName = '\0',
       .longName = "bytes",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli",
           "Take --exclude, --replace and --with byte for byte, not as "
           "text in the terminal's character set"),
       .manual = "Without it the texts are read as text in the terminal's "
                 "character set and written into each file in its own code "
                 "page.",
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.bytes = true;
         return std::nullopt;
       }},

      // Which files, and how they are kept.
      {.id = Filter,
       .group = OptionGroup::Files,
       .shortName = '\0',
       .longName = "filter",
       .valueName = "MASKS",
       .kind = ValueKind::Text,
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli", "Masks for files in directories, blank-separated "
                        "(default *.*)"),
       .manual = "* is any run of characters, ? one character (one byte of "
                 "a name that is not UTF-8); Latin and Cyrillic letters "
                 "match in any case.",
       .take = [](CliOptions &o, const std::string &value, int) -> Taken {
         // Cut at blanks and TABs into masks; each names files within the
         // directories walked, so it holds no path separator.
         if (!value.empty() &&
             value.find_first_not_of(" \t") == std::string::npos)
           return Complaint{QT_TRANSLATE_NOOP(
               "snpln-cli", "--filter holds no mask, only blanks")};
         if (value.find('/') != std::string::npos)
           return Complaint{QT_TRANSLATE_NOOP("snpln-cli",
                                              "--filter \"%1\": a mask names "
                                              "files, without a '/'"),
                            {value}};
         o.filter = value;
         return std::nullopt;
       }},
      {.id = Hidden,
       .group = OptionGroup::Files,
       .shortName = '\0',
       .longName = "hidden",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli",
           "In directories, also take files and directories whose names "
           "begin with a dot (.git and the like are passed over "
           "otherwise)"),
       .manual = nullptr,
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.hidden = true;
         return std::nullopt;
       }},
      {.id = KeepDate,
       .group = OptionGroup::Files,
       .shortName = 'k',
       .longName = "keep-date",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli", "Keep each rewritten file's access and modification "
                        "times"),
       .manual = "To the nanosecond.",
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.keepDate = true;
         return std::nullopt;
       }},
      {.id = Backup,
       .group = OptionGroup::Files,
       .shortName = 'b',
       .longName = "backup",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli",
           "Keep each rewritten file's original beside it, under its name "
           "followed by the suffix (as it was before the run; when that "
           "name is taken, under NAME.~N~, N one more than the highest "
           "number there: nothing is replaced)"),
       .manual =
           "The backup is the file as it was before the run, taken once, "
           "when the run rewrites it: nothing is copied, the "
           "original itself, with its owner, mode and attributes, takes "
           "that name. With another suffix the numbered names are "
           "NAME+SUFFIX.1, NAME+SUFFIX.2, ... Each name is claimed only "
           "while it is free, so runs at once never take or replace each "
           "other's; where the file system can claim a name in no such way "
           "the file fails and stays as it was. A file reached through a "
           "link gets its backup beside it. A walk never takes a backup "
           "beside its file, and a run never takes the backups it made, "
           "by any name or mask.",
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.backup = true;
         return std::nullopt;
       }},
      {.id = Suffix,
       .group = OptionGroup::Files,
       .shortName = '\0',
       .longName = "suffix",
       .valueName = "SUFFIX",
       .kind = ValueKind::Text,
       .help =
           QT_TRANSLATE_NOOP("snpln-cli", "The suffix of --backup (default ~)"),
       .manual = "Not empty, without / or \\.",
       .take = [](CliOptions &o, const std::string &value, int) -> Taken {
         if (value.empty() || value.find_first_of("/\\") != std::string::npos)
           return Complaint{QT_TRANSLATE_NOOP(
               "snpln-cli", "--suffix must be a text that is not empty and "
                            "holds no '/' or '\\'")};
         o.backupSuffix = value;
         return std::nullopt;
       },
       .needsOneOf = {Backup}},
      {.id = Output,
       .group = OptionGroup::Files,
       .shortName = 'o',
       .longName = "output",
       .valueName = "FILE",
       .kind = ValueKind::Path,
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli", "Write the result to FILE, made once the run is "
                        "over (never half written), and leave the one "
                        "input file as it is"),
       .manual =
           "The state of FILE is taken before the run, which writes one "
           "temporary file beside it; FILE is made only when nothing "
           "failed, and a file that appears or changes under its name "
           "meanwhile is not replaced (the run fails). A new FILE gets the "
           "input's "
           "mode, limited by the umask; an existing one keeps its own "
           "owner, mode and attributes. With -k, FILE gets the input's "
           "times. Not with -, several names, a directory, or the input "
           "itself under any name.",
       .take = [](CliOptions &o, const std::string &value, int) -> Taken {
         if (value.empty() || value == "-")
           return Complaint{QT_TRANSLATE_NOOP(
               "snpln-cli", "--output needs the name of a file")};
         o.output = value;
         return std::nullopt;
       },
       .excludes = {Detect, DryRun, Check, Backup}},
      {.id = AllowChown,
       .group = OptionGroup::Files,
       .shortName = '\0',
       .longName = "allow-chown",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli",
           "Rewrite a file even when its owner or group cannot be kept "
           "(another user's file): it then becomes yours, without "
           "set-id bits"),
       .manual = nullptr,
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.allowChown = true;
         return std::nullopt;
       }},
      {.id = DryRun,
       .group = OptionGroup::Files,
       .shortName = 'n',
       .longName = "dry-run",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli", "Run every job to its end but write nothing; each "
                        "file's line says what would happen"),
       .manual = "Each file gets a line per operation saying what it would "
                 "do.",
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.dryRun = true;
         return std::nullopt;
       }},
      {.id = Check,
       .group = OptionGroup::Files,
       .shortName = '\0',
       .longName = "check",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli", "Write nothing (as -n) and print a line for each "
                        "file that would change; status 1 when any would, "
                        "0 when none would (for commit hooks and CI)"),
       .manual = "Files that would not change print nothing (with -v, "
                 "their lines as -n prints them); --json prints the "
                 "objects of -n. A file that fails is status 1 too.",
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.check = true;
         o.dryRun = true;
         return std::nullopt;
       },
       .excludes = {Detect}},

      // What the run prints.
      {.id = Verbose,
       .group = OptionGroup::Output,
       .shortName = 'v',
       .longName = "verbose",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP("snpln-cli",
                                 "One line per file: its name and outcome "
                                 "(and one per entry of a tree passed over)"),
       .manual = nullptr,
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.verbose = true;
         return std::nullopt;
       },
       .excludes = {Quiet}},
      {.id = Quiet,
       .group = OptionGroup::Output,
       .shortName = 'q',
       .longName = "quiet",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP("snpln-cli", "Print failures only"),
       .manual = nullptr,
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.quiet = true;
         return std::nullopt;
       }},
      {.id = Json,
       .group = OptionGroup::Output,
       .shortName = '\0',
       .longName = "json",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli", "Print JSON Lines instead of sentences: one object "
                        "per file and operation (the schema is in the "
                        "README)"),
       .manual = nullptr,
       .take = [](CliOptions &o, const std::string &, int) -> Taken {
         o.json = true;
         return std::nullopt;
       },
       .excludes = {Verbose, Quiet}},
      {.id = Jobs,
       .group = OptionGroup::Output,
       .shortName = 'j',
       .longName = "jobs",
       .valueName = "N",
       .kind = ValueKind::Number,
       .least = 1,
       .most = 1024,
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli", "Work on up to N files at once (default: one per "
                        "core); the lines keep the order of the names"),
       .manual = "Each file is still rewritten at most once, and the lines "
                 "come in the order of the names and of the walk, whatever "
                 "N is.",
       .take = [](CliOptions &o, const std::string &, int number) -> Taken {
         o.jobs = number;
         return std::nullopt;
       }},

      // The program.
      {.id = List,
       .group = OptionGroup::Programme,
       .shortName = 'l',
       .longName = "list",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP(
           "snpln-cli",
           "List the code pages with every name they take, and exit"),
       .manual = nullptr,
       .take = nullptr},
      {.id = Help,
       .group = OptionGroup::Programme,
       .shortName = 'h',
       .longName = "help",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP("snpln-cli", "Print this help and exit"),
       .manual = nullptr,
       .take = nullptr},
      {.id = Version,
       .group = OptionGroup::Programme,
       .shortName = 'V',
       .longName = "version",
       .valueName = nullptr,
       .kind = ValueKind::None,
       .help = QT_TRANSLATE_NOOP("snpln-cli", "Print the version and exit"),
       .manual = nullptr,
       .take = nullptr},
  };
  return table;
}

const OptionSpec &optionSpec(OptionId id) {
  for (const OptionSpec &spec : optionTable())
    if (spec.id == id)
      return spec;
  throw std::logic_error("an option outside the option table");
}

std::string longNameOf(const OptionSpec &spec) {
  return std::string("--") + spec.longName;
}

std::string valueNameOf(const OptionSpec &spec) {
  if (spec.kind == ValueKind::Choice) {
    std::string names;
    for (const OptionChoice &choice : spec.choices)
      names += (names.empty() ? "" : "|") + std::string(choice.name);
    return names;
  }
  return spec.valueName ? spec.valueName : "";
}

std::string namesOf(const OptionSpec &spec, bool withValue) {
  std::string names;
  if (spec.shortName != '\0')
    names = std::string("-") + spec.shortName + ", ";
  names += longNameOf(spec);
  if (withValue && spec.takesValue())
    names += " " + valueNameOf(spec);
  return names;
}

const char *groupHeading(OptionGroup group) {
  switch (group) {
  case OptionGroup::Operations:
    return QT_TRANSLATE_NOOP("snpln-cli", "Operations");
  case OptionGroup::Texts:
    return QT_TRANSLATE_NOOP("snpln-cli", "Removal and replacement");
  case OptionGroup::Files:
    return QT_TRANSLATE_NOOP("snpln-cli", "How files are taken and kept");
  case OptionGroup::Output:
    return QT_TRANSLATE_NOOP("snpln-cli", "Output");
  case OptionGroup::Programme:
    return QT_TRANSLATE_NOOP("snpln-cli", "Information");
  }
  return "";
}

std::string alternatives(const std::vector<std::string> &items,
                         i18n::Language language) {
  if (items.empty())
    return {};
  std::string head = items.front();
  for (std::size_t i = 1; i + 1 < items.size(); ++i)
    head += ", " + items[i];
  if (items.size() == 1)
    return head;
  return i18n::fill(i18n::translate(language, "snpln-cli",
                                    QT_TRANSLATE_NOOP("snpln-cli", "%1 or %2")),
                    {head, items.back()});
}

std::string complaintLines(const Complaint &complaint,
                           i18n::Language language) {
  std::string lines =
      "snpln-cli: " +
      i18n::fill(i18n::translate(language, "snpln-cli", complaint.text),
                 complaint.fill) +
      "\n";
  if (complaint.hint)
    lines += std::string(i18n::translate(
                 language, "snpln-cli",
                 QT_TRANSLATE_NOOP("snpln-cli",
                                   "Run with --help for more information."))) +
             "\n";
  return lines;
}

} // namespace snpln::cli
