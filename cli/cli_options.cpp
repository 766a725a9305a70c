#include "cli/cli_options.h"

#include <map>

#include <CLI/CLI.hpp>

#include "cli/locale_text.h"
#include "cli/option_suggestion.h"
#include "cli/page_names.h"
#include "i18n/texts.h"
#include "snpln/version.h"

namespace snpln::cli {

// lupdate's marker: the text itself here; lupdate takes each marked text
// into the catalogue, and the help shows it in the user's language.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif

namespace {

const char *kDescription = QT_TRANSLATE_NOOP(
    "snpln-cli",
    "Rewrites Russian plain-text files in place: recoding between CP866 "
    "(dos), Windows-1251 (win), KOI8-R (koi), ISO 8859-5 (iso), Mac "
    "Cyrillic (mac), KOI8-U (koi8u), CP1125 (cp1125), UTF-8 "
    "(utf8) and UTF-16 (utf16, utf16le, utf16be) with "
    "automatic detection, upper/lower/sentence case, removal and replacement "
    "of a string, blanks to TABs, and removal of excessive empty lines.\n"
    "Every NAME is a file, or a directory whose whole tree is taken, filtered "
    "by --filter. Several operations go over each file in one pass, and "
    "rewrite it once or, when one of them fails, not at all.");

const char *kFooter = QT_TRANSLATE_NOOP(
    "snpln-cli",
    "\nA NAME of - alone is standard input; the result goes to standard "
    "output\n(all messages then go to standard error), and nothing when "
    "the text fails.\n"
    "\nExamples:\n"
    "  snpln-cli -d notes.txt                  report the code page\n"
    "  snpln-cli -t win notes.txt              recode in place, source "
    "detected\n"
    "  snpln-cli -f koi -t dos --filter '*.txt' docs\n"
    "  snpln-cli -n -v -t utf8 docs            what a recoding would do, "
    "file by file\n"
    "  snpln-cli -k -t utf8 --line-ends lf docs\n"
    "                                          UTF-8 with LF line ends, "
    "dates kept\n"
    "  cat old.txt | snpln-cli -t win - > new.txt\n"
    "  snpln-cli --replace colour --with color --ignore-case a.txt\n"
    "\nExit status:\n"
    "  0    no file failed (converted, already in the target code page, "
    "no\n"
    "       Cyrillic letter in it, or not text)\n"
    "  1    a file failed, a name was not found, or a directory could not be "
    "read\n"
    "  2    the command line is wrong\n"
    "  130  stopped by Ctrl-C (143 by SIGTERM, 129 by SIGHUP)\n");

// The filter text is cut at blanks and TABs into masks; each names files
// within the directories walked, so it holds no path separator.
std::string checkFilter(const std::string &text, i18n::Language language) {
  const auto said = [&](const char *source) {
    return std::string(i18n::translate(language, "snpln-cli", source));
  };
  if (!text.empty() && text.find_first_not_of(" \t") == std::string::npos)
    return said(QT_TRANSLATE_NOOP("snpln-cli",
                                  "the filter holds no mask, only blanks"));
  if (text.find('/') != std::string::npos)
    return said(
        QT_TRANSLATE_NOOP("snpln-cli", "a mask names files, without a '/'"));
  return {};
}

// A whole number from 1 that an int holds, in plain digits.
std::string checkTabSize(const std::string &text, i18n::Language language) {
  const std::string bad = i18n::fill(
      i18n::translate(language, "snpln-cli",
                      QT_TRANSLATE_NOOP("snpln-cli",
                                        "\"%1\" is not a whole number from 1")),
      {text});
  if (text.empty() || text.size() > 9 ||
      text.find_first_not_of("0123456789") != std::string::npos)
    return bad;
  return std::stoi(text) >= 1 ? std::string() : bad;
}

// Thrown by -l once it is seen: the list is printed whatever else the
// command line holds (NAME is not required then).
struct ListRequested {};

// Every long option of the app ("--to", ...).
std::vector<std::string> longOptionsOf(const CLI::App &app) {
  std::vector<std::string> names;
  for (const CLI::Option *option : app.get_options())
    for (const std::string &name : option->get_lnames())
      names.push_back("--" + name);
  return names;
}

// The first argument that looks like a long option the app does not have
// (its name without a value given with '='); empty when there is none.
std::string unknownLongOption(const CLI::App &app, int argc, char **argv) {
  const auto known = longOptionsOf(app);
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--")
      break;
    if (arg.rfind("--", 0) != 0)
      continue;
    const std::string name = arg.substr(0, arg.find('='));
    if (std::find(known.begin(), known.end(), name) == known.end())
      return name;
  }
  return {};
}

} // namespace

std::optional<int> parseOptions(int argc, char **argv, CliOptions &o,
                                std::ostream &out, std::ostream &err) {
  o.language = i18n::languageOfEnvironment();
  const auto said = [&](const char *source) {
    return std::string(i18n::translate(o.language, "snpln-cli", source));
  };
  CLI::App app{said(kDescription), "snpln-cli"};
  app.footer(said(kFooter));
  app.set_version_flag("-V,--version", std::string("snpln-cli ") + kVersion);
  app.add_flag_callback(
      "-l,--list", [] { throw ListRequested{}; },
      said(QT_TRANSLATE_NOOP(
          "snpln-cli",
          "List the code pages with every name they take, and exit")));
  auto *detect = app.add_flag(
      "-d,--detect", o.detect,
      said(QT_TRANSLATE_NOOP("snpln-cli", "Report each file's code page")));
  app.add_flag("--repair", o.repair,
               said(QT_TRANSLATE_NOOP(
                   "snpln-cli",
                   "Repair garbled text (UTF-8 read as Windows-1251 and the "
                   "like, up to three times) into UTF-8, before every other "
                   "operation; a file not garbled is left as it is")));
  // The names are looked up once the line is parsed (-l lists them all).
  std::optional<std::string> toName, fromName;
  auto *to = app.add_option("-t,--to", toName,
                            said(QT_TRANSLATE_NOOP(
                                "snpln-cli",
                                "Recode to this code page: dos (cp866), win "
                                "(cp1251), koi (koi8-r), iso (iso-8859-5), "
                                "mac (x-mac-cyrillic), koi8u (koi8-u), "
                                "cp1125, utf8 (utf-8), utf16 (a byte order "
                                "mark, little-endian), utf16le or utf16be")))
                 ->type_name("PAGE");
  auto *from =
      app.add_option("-f,--from", fromName,
                     said(QT_TRANSLATE_NOOP(
                         "snpln-cli",
                         "The files' code page, or auto to detect it for each "
                         "file (default): the source of --to, and the page of "
                         "the other operations' letters and texts")))
          ->type_name("PAGE");
  auto *upper = app.add_flag(
      "--upper", o.upper,
      said(QT_TRANSLATE_NOOP("snpln-cli", "Convert to upper case")));
  auto *lower = app.add_flag(
      "--lower", o.lower,
      said(QT_TRANSLATE_NOOP("snpln-cli", "Convert to lower case")));
  auto *smart = app.add_flag(
      "--smart", o.smart,
      said(QT_TRANSLATE_NOOP(
          "snpln-cli", "Sentence case: a capital at each sentence start")));
  auto *saveUpper = app.add_flag(
      "--save-upper", o.saveUpper,
      said(QT_TRANSLATE_NOOP(
          "snpln-cli",
          "With --smart: keep letters that already are capitals")));
  app.add_option(
      "--exclude", o.exclude,
      said(QT_TRANSLATE_NOOP("snpln-cli", "Remove every occurrence of TEXT")));
  auto *replace = app.add_option(
      "--replace", o.replace,
      said(QT_TRANSLATE_NOOP("snpln-cli", "Replace every occurrence of TEXT")));
  auto *with = app.add_option(
      "--with", o.with,
      said(QT_TRANSLATE_NOOP("snpln-cli", "The replacement (empty: remove)")));
  app.add_flag("--left-part", o.leftPart,
               said(QT_TRANSLATE_NOOP(
                   "snpln-cli",
                   "An occurrence must begin a word (not follow a letter)")));
  app.add_flag(
      "--right-part", o.rightPart,
      said(QT_TRANSLATE_NOOP(
          "snpln-cli",
          "An occurrence must end a word (not be followed by a letter)")));
  app.add_flag("--ignore-case", o.ignoreCase,
               said(QT_TRANSLATE_NOOP("snpln-cli",
                                      "Compare letters regardless of case")));
  app.add_flag(
      "--optimize", o.optimize,
      said(QT_TRANSLATE_NOOP("snpln-cli",
                             "Turn blanks that end at tab stops into TABs")));
  app.add_option("--tab-size", o.tabSize,
                 said(QT_TRANSLATE_NOOP(
                     "snpln-cli",
                     "TAB width for --optimize, a whole number from 1 (8)")))
      ->type_name("N")
      ->check(CLI::Validator(
          [&o](std::string &t) { return checkTabSize(t, o.language); }, ""));
  app.add_flag(
      "--delete-empty", o.deleteEmpty,
      said(QT_TRANSLATE_NOOP("snpln-cli", "Delete excessive empty lines")));
  app.add_flag("--bytes", o.bytes,
               said(QT_TRANSLATE_NOOP(
                   "snpln-cli",
                   "Take --exclude, --replace and --with byte for byte, not as "
                   "text in the terminal's character set")));
  app.add_option(
         "--filter", o.filter,
         said(QT_TRANSLATE_NOOP(
             "snpln-cli", "Masks for files in directories, blank-separated "
                          "(default *.*)")))
      ->type_name("MASKS")
      ->check(CLI::Validator(
          [&o](std::string &t) { return checkFilter(t, o.language); }, ""));
  auto *dryRun = app.add_flag(
      "-n,--dry-run", o.dryRun,
      said(QT_TRANSLATE_NOOP(
          "snpln-cli",
          "Run every job to its end but write nothing; each file's "
          "line says what would happen")));
  auto *verbose = app.add_flag(
      "-v,--verbose", o.verbose,
      said(QT_TRANSLATE_NOOP("snpln-cli",
                             "One line per file: its name and outcome "
                             "(and one per entry of a tree passed over)")));
  auto *quiet =
      app.add_flag("-q,--quiet", o.quiet,
                   said(QT_TRANSLATE_NOOP("snpln-cli", "Print failures only")));
  auto *json = app.add_flag(
      "--json", o.json,
      said(QT_TRANSLATE_NOOP(
          "snpln-cli", "Print JSON Lines instead of sentences: one object "
                       "per file and operation (the schema is in the "
                       "README)")));
  app.add_flag(
      "--hidden", o.hidden,
      said(QT_TRANSLATE_NOOP(
          "snpln-cli",
          "In directories, also take files and directories whose names "
          "begin with a dot (.git and the like are passed over "
          "otherwise)")));
  app.add_flag("--allow-chown", o.allowChown,
               said(QT_TRANSLATE_NOOP(
                   "snpln-cli",
                   "Rewrite a file even when its owner or group cannot be kept "
                   "(another user's file): it then becomes yours, without "
                   "set-id bits")));
  auto *lineEnds =
      app.add_option(
             "--line-ends", o.lineEnds,
             said(QT_TRANSLATE_NOOP(
                 "snpln-cli",
                 "Make every line end LF, CRLF or CR (CR LF, LF CR, a lone "
                 "CR or a lone LF each count as one line end)")))
          ->type_name("lf|crlf|cr")
          ->transform(CLI::CheckedTransformer(
                          std::map<std::string, engine::LineEnd>{
                              {"lf", engine::LineEnd::Lf},
                              {"crlf", engine::LineEnd::CrLf},
                              {"cr", engine::LineEnd::Cr}},
                          CLI::ignore_case)
                          .description(""));
  auto *bom =
      app.add_option(
             "--bom", o.bom,
             said(QT_TRANSLATE_NOOP(
                 "snpln-cli",
                 "Add a byte order mark to each UTF-8 file (and each of "
                 "ASCII alone), or remove the one it begins with")))
          ->type_name("add|remove")
          ->transform(CLI::CheckedTransformer(
                          std::map<std::string, engine::BomChange>{
                              {"add", engine::BomChange::Add},
                              {"remove", engine::BomChange::Remove}},
                          CLI::ignore_case)
                          .description(""));
  app.add_flag(
      "--substitute", o.substitute,
      said(QT_TRANSLATE_NOOP(
          "snpln-cli",
          "A character the target page cannot hold (in --to, in --with) "
          "becomes its closest equivalent: quotes \", dashes -, ... for the "
          "ellipsis, No for the numero sign, else ?")));
  app.add_flag(
      "--strict", o.strict,
      said(QT_TRANSLATE_NOOP(
          "snpln-cli", "Refuse a file with a character the target page cannot "
                       "hold instead of writing a fill byte: it fails at that "
                       "character and stays as it was")));
  auto *backup = app.add_flag(
      "-b,--backup", o.backup,
      said(QT_TRANSLATE_NOOP(
          "snpln-cli",
          "Keep each rewritten file's original beside it, under its name "
          "followed by the suffix (as it was before the run; an existing "
          "backup of that name is replaced)")));
  auto *suffix =
      app.add_option("--suffix", o.backupSuffix,
                     said(QT_TRANSLATE_NOOP(
                         "snpln-cli", "The suffix of --backup (default ~)")))
          ->type_name("SUFFIX");
  auto *output =
      app.add_option(
             "-o,--output", o.output,
             said(QT_TRANSLATE_NOOP(
                 "snpln-cli", "Write the result to FILE, made once the run is "
                              "over (never half written), and leave the one "
                              "input file as it is")))
          ->type_name("FILE");
  app.add_flag(
      "-k,--keep-date", o.keepDate,
      said(QT_TRANSLATE_NOOP(
          "snpln-cli", "Keep each rewritten file's access and modification "
                       "times")));
  app.add_option(
         "-j,--jobs", o.jobs,
         said(QT_TRANSLATE_NOOP(
             "snpln-cli", "Work on up to N files at once (default: one per "
                          "core); the lines keep the order of the names")))
      ->type_name("N")
      ->check(CLI::Range(1, 1024));
  verbose->excludes(quiet);
  json->excludes(verbose)->excludes(quiet);
  app.add_option("NAME", o.names,
                 said(QT_TRANSLATE_NOOP(
                     "snpln-cli", "Files or directories; - is standard input")))
      ->required();
  with->needs(replace);
  saveUpper->needs(smart);
  detect->excludes(to)->excludes(from)->excludes(lineEnds)->excludes(bom);
  suffix->needs(backup);
  output->excludes(detect)->excludes(backup);
  output->excludes(dryRun);
  upper->excludes(lower)->excludes(smart);
  lower->excludes(smart);
  try {
    app.parse(argc, argv);
  } catch (const ListRequested &) {
    printPageList(out);
    return kExitSuccess;
  } catch (const CLI::CallForHelp &e) {
    return app.exit(e, out, err);
  } catch (const CLI::CallForVersion &e) {
    return app.exit(e, out, err);
  } catch (const CLI::ParseError &e) {
    // A mistyped long option explains any other complaint (a NAME taken
    // for its value, a NAME missing): the nearest one is suggested.
    const std::string unknown = unknownLongOption(app, argc, argv);
    if (const auto near = nearestOption(unknown, longOptionsOf(app))) {
      err << "snpln-cli: "
          << i18n::fill(
                 said(QT_TRANSLATE_NOOP("snpln-cli",
                                        "unknown option %1; did you mean %2?")),
                 {unknown, *near})
          << "\n";
      return kExitUsage;
    }
    app.exit(e, out, err);
    return kExitUsage;
  }
  auto usage = [&](const std::string &text) {
    err << "snpln-cli: " << text << "\n"
        << said(QT_TRANSLATE_NOOP("snpln-cli",
                                  "Run with --help for more information."))
        << "\n";
    return kExitUsage;
  };
  // An unknown page is one line that names the valid ones.
  const auto unknownPage = [&](const std::string &name, const char *option,
                               bool source) {
    err << "snpln-cli: "
        << i18n::fill(
               said(QT_TRANSLATE_NOOP(
                   "snpln-cli", "unknown code page \"%1\" for %2: give %3 "
                                "(snpln-cli -l lists every name)")),
               {name, option, validPageNames(source)})
        << "\n";
    return kExitUsage;
  };
  if (toName) {
    o.to = targetPageByName(*toName);
    if (!o.to)
      return unknownPage(*toName, "--to", false);
  }
  if (fromName) {
    const auto page = sourcePageByName(*fromName);
    if (!page)
      return unknownPage(*fromName, "--from", true);
    o.from = *page;
  }
  if ((o.backup || o.output) && !platform::kNewFilesAndBackups)
    return usage(said(QT_TRANSLATE_NOOP(
        "snpln-cli", "--backup and --output are not available on this "
                     "system")));
  if (o.backup && (o.backupSuffix.empty() ||
                   o.backupSuffix.find_first_of("/\\") != std::string::npos))
    return usage(said(QT_TRANSLATE_NOOP(
        "snpln-cli", "--suffix must be a text that is not empty and holds "
                     "no '/' or '\\'")));
  if (o.output) {
    if (o.output->empty() || *o.output == "-")
      return usage(said(
          QT_TRANSLATE_NOOP("snpln-cli", "--output needs the name of a file")));
    if (o.names.size() != 1)
      return usage(said(QT_TRANSLATE_NOOP(
          "snpln-cli", "--output goes with exactly one input file")));
    if (o.names.front() == "-")
      return usage(said(QT_TRANSLATE_NOOP(
          "snpln-cli", "--output does not go with standard input (-): the "
                       "result of - goes to standard output")));
  }
  if (o.detect && o.repair)
    return usage(said(QT_TRANSLATE_NOOP(
        "snpln-cli", "--detect only reports and does not go with --repair")));
  if (o.exclude && o.replace && *o.exclude != *o.replace)
    return usage(said(QT_TRANSLATE_NOOP(
        "snpln-cli", "--exclude and --replace name different texts")));
  if ((o.exclude && o.exclude->empty()) || (o.replace && o.replace->empty())) {
    const i18n::Lines lines =
        i18n::messageLines("", job::Message{job::MessageId::EmptyExclude});
    err << i18n::render(lines.line1, o.language) << ": "
        << i18n::render(lines.line2, o.language) << "\n";
    return kExitUsage;
  }
  if ((o.leftPart || o.rightPart || o.ignoreCase) && !o.exclude && !o.replace)
    return usage(said(QT_TRANSLATE_NOOP(
        "snpln-cli", "--left-part, --right-part and --ignore-case go with "
                     "--exclude or --replace")));
  if (!o.bytes) {
    // Typed text is characters: made UTF-8 from the terminal's character
    // set here, and written into each file in the file's own code page.
    for (auto *text : {o.exclude ? &*o.exclude : nullptr,
                       o.replace ? &*o.replace : nullptr, &o.with}) {
      if (!text)
        continue;
      const auto decoded = localeTextToUtf8(*text);
      if (!decoded)
        return usage(i18n::fill(
            said(QT_TRANSLATE_NOOP("snpln-cli",
                                   "\"%1\" is not text in the terminal's "
                                   "character set (--bytes takes it byte for "
                                   "byte)")),
            {*text}));
      *text = *decoded;
    }
  }
  const bool any = o.detect || o.repair || o.to || o.upper || o.lower ||
                   o.smart || o.exclude || o.replace || o.optimize ||
                   o.deleteEmpty || o.lineEnds || o.bom;
  if (!any)
    return usage(said(QT_TRANSLATE_NOOP(
        "snpln-cli", "no operation chosen: give --detect, --repair, --to, "
                     "--line-ends, --bom, --upper, --lower, --smart, "
                     "--exclude, --replace, --optimize or --delete-empty")));
  return std::nullopt;
}

std::optional<int> checkOutputFiles(const CliOptions &o,
                                    platform::FileSystem &fs,
                                    std::ostream &err) {
  if (!o.output || o.names.size() != 1)
    return std::nullopt;
  const auto said = [&](const char *source) {
    return std::string(i18n::translate(o.language, "snpln-cli", source));
  };
  const auto usage = [&](const char *text, const std::string &name) {
    err << "snpln-cli: " << i18n::fill(said(text), {name}) << "\n"
        << said(QT_TRANSLATE_NOOP("snpln-cli",
                                  "Run with --help for more information."))
        << "\n";
    return kExitUsage;
  };
  const std::string &input = o.names.front();
  if (const auto word = fs.lookup(input);
      word && platform::isDirectoryWord(*word))
    return usage(QT_TRANSLATE_NOOP("snpln-cli",
                                   "%1 is a directory: --output takes one "
                                   "input file"),
                 input);
  if (const auto word = fs.lookup(*o.output);
      word && platform::isDirectoryWord(*word))
    return usage(QT_TRANSLATE_NOOP("snpln-cli",
                                   "--output %1 is a directory: give the name "
                                   "of a file"),
                 *o.output);
  // Through any name: a link, a hard link, another path.
  const auto in = fs.status(platform::FileLocation(input));
  const auto out = fs.status(platform::FileLocation(*o.output));
  if (in && out && in->id.device == out->id.device &&
      in->id.inode == out->id.inode)
    return usage(QT_TRANSLATE_NOOP("snpln-cli",
                                   "--output %1 is the input file itself: "
                                   "leave out --output to rewrite it in place"),
                 *o.output);
  return std::nullopt;
}

} // namespace snpln::cli
