#include "cli/cli_options.h"

#include <CLI/CLI.hpp>

#include "batch/batch_texts.h"
#include "cli/locale_text.h"
#include "snpln/version.h"

namespace snpln::cli {

namespace {

const char *kDescription =
    "Rewrites Russian plain-text files in place: recoding between CP866 "
    "(dos), Windows-1251 (win), KOI8-R (koi), ISO 8859-5 (iso) and UTF-8 "
    "(utf8) with "
    "automatic detection, upper/lower/sentence case, removal and replacement "
    "of a string, blanks to TABs, and removal of excessive empty lines.\n"
    "Every NAME is a file, or a directory whose whole tree is taken, filtered "
    "by --filter. Several operations run as passes, one after another, over "
    "all names.";

// Every name of a code page, in lower case, and the short name the run
// goes by (dos, win, koi, iso, utf8).
const std::vector<std::pair<std::string, std::string>> &pageNames() {
  static const std::vector<std::pair<std::string, std::string>> names = {
      {"dos", "dos"},          {"cp866", "dos"},     {"ibm866", "dos"},
      {"866", "dos"},          {"win", "win"},       {"cp1251", "win"},
      {"windows-1251", "win"}, {"1251", "win"},      {"koi", "koi"},
      {"koi8-r", "koi"},       {"koi8r", "koi"},     {"iso", "iso"},
      {"iso-8859-5", "iso"},   {"iso8859-5", "iso"}, {"utf8", "utf8"},
      {"utf-8", "utf8"},
  };
  return names;
}

std::optional<std::string> shortPageName(std::string name) {
  for (auto &c : name)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (name == "auto")
    return name;
  for (const auto &[alias, page] : pageNames())
    if (alias == name)
      return page;
  return std::nullopt;
}

} // namespace

std::optional<int> parseOptions(int argc, char **argv, CliOptions &o,
                                std::ostream &out, std::ostream &err) {
  CLI::App app{kDescription, "snpln-cli"};
  app.set_version_flag("--version", std::string("snpln-cli ") + kVersion);
  std::vector<std::string> pages;
  for (const auto &[alias, page] : pageNames())
    pages.push_back(alias);
  std::vector<std::string> sources{"auto"};
  sources.insert(sources.end(), pages.begin(), pages.end());

  app.add_flag("--detect", o.detect, "Report each file's code page");
  auto *to = app.add_option("--to", o.to, "Recode to this code page")
                 ->check(CLI::IsMember(pages, CLI::ignore_case));
  auto *from =
      app.add_option("--from", o.from, "Source code page (default: auto)")
          ->check(CLI::IsMember(sources, CLI::ignore_case));
  app.add_flag("--upper", o.upper, "Convert to upper case");
  app.add_flag("--lower", o.lower, "Convert to lower case");
  app.add_flag("--smart", o.smart,
               "Sentence case: a capital at each sentence start");
  app.add_flag("--save-upper", o.saveUpper,
               "With --smart: keep letters that already are capitals");
  app.add_option("--exclude", o.exclude, "Remove every occurrence of TEXT");
  auto *replace = app.add_option("--replace", o.replace,
                                 "Replace every occurrence of TEXT");
  auto *with =
      app.add_option("--with", o.with, "The replacement (empty: remove)");
  app.add_flag("--left-part", o.leftPart,
               "An occurrence must begin a word (not follow a letter)");
  app.add_flag("--right-part", o.rightPart,
               "An occurrence must end a word (not be followed by a letter)");
  app.add_flag("--ignore-case", o.ignoreCase,
               "Compare letters regardless of case");
  app.add_flag("--optimize", o.optimize,
               "Turn blanks that end at tab stops into TABs");
  app.add_option("--tab-size", o.tabSize, "TAB width for --optimize (8)");
  app.add_flag("--delete-empty", o.deleteEmpty, "Delete excessive empty lines");
  app.add_flag("--bytes", o.bytes,
               "Take --exclude, --replace and --with byte for byte, not as "
               "text in the terminal's character set");
  app.add_option("--filter", o.filter,
                 "Masks for files in directories, blank-separated "
                 "(default *.*)");
  app.add_option("NAME", o.names, "Files or directories")->required();
  with->needs(replace);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp &e) {
    return app.exit(e, out, err);
  } catch (const CLI::CallForVersion &e) {
    return app.exit(e, out, err);
  } catch (const CLI::ParseError &e) {
    app.exit(e, out, err);
    return kExitUsage;
  }
  for (auto *s : {&o.to, &o.from})
    if (!s->empty())
      *s = shortPageName(*s).value_or(*s);

  auto usage = [&](const std::string &text) {
    err << "snpln-cli: " << text << "\nRun with --help for more information.\n";
    return kExitUsage;
  };
  if (o.upper + o.lower + o.smart > 1)
    return usage("choose at most one of --upper, --lower and --smart");
  if (o.saveUpper && !o.smart)
    return usage("--save-upper goes with --smart");
  if (o.detect && (to->count() > 0 || from->count() > 0))
    return usage("--detect does not go with --to or --from");
  if (from->count() > 0 && o.to.empty())
    return usage("--from goes with --to");
  if (o.exclude && o.replace && *o.exclude != *o.replace)
    return usage("--exclude and --replace name different texts");
  if ((o.exclude && o.exclude->empty()) || (o.replace && o.replace->empty())) {
    err << batch::texts::kEmptyExcludeLine1 << ": "
        << batch::texts::kEmptyExcludeLine2 << "\n";
    return kExitUsage;
  }
  if ((o.leftPart || o.rightPart || o.ignoreCase) && !o.exclude && !o.replace)
    return usage(
        "--left-part, --right-part and --ignore-case go with --exclude or "
        "--replace");
  if (!o.bytes) {
    // Typed text is characters: made UTF-8 from the terminal's character
    // set here, and written into each file in the file's own code page.
    for (auto *text : {o.exclude ? &*o.exclude : nullptr,
                       o.replace ? &*o.replace : nullptr, &o.with}) {
      if (!text)
        continue;
      const auto decoded = localeTextToUtf8(*text);
      if (!decoded)
        return usage("\"" + *text +
                     "\" is not text in the terminal's character set "
                     "(--bytes takes it byte for byte)");
      *text = *decoded;
    }
  }
  const bool any = o.detect || !o.to.empty() || o.upper || o.lower || o.smart ||
                   o.exclude || o.replace || o.optimize || o.deleteEmpty;
  if (!any)
    return usage("no operation chosen: give --detect, --to, --upper, "
                 "--lower, --smart, --exclude, --replace, --optimize or "
                 "--delete-empty");
  return std::nullopt;
}

} // namespace snpln::cli
