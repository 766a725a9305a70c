#include "web/page_data.h"

#include <vector>

#include "cli/json_lines.h"
#include "engine/code_page_names.h"
#include "snpln/version.h"

namespace snpln::web {

// lupdate's marker: the text itself here.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif

namespace {

constexpr const char *kContext = "snpln-web";

struct Text {
  const char *id;
  const char *source;
};

// The page's own words; %1, %2 are filled in by the page.
const Text kTexts[] = {
    {"heading", QT_TRANSLATE_NOOP("snpln-web", "Snipline in the browser")},
    {"intro",
     QT_TRANSLATE_NOOP(
         "snpln-web",
         "Rewrites Russian plain-text files: recoding between CP866, "
         "Windows-1251, KOI8-R, ISO 8859-5, UTF-8 and UTF-16 with detection, "
         "case, removal and replacement of a text, blanks to TABs, empty "
         "lines, line ends. The files stay on this computer: the page sends "
         "nothing anywhere.")},
    {"language", QT_TRANSLATE_NOOP("snpln-web", "Language")},
    {"choose", QT_TRANSLATE_NOOP("snpln-web", "Files to work on")},
    {"files", QT_TRANSLATE_NOOP("snpln-web", "Choose files")},
    {"folder", QT_TRANSLATE_NOOP("snpln-web", "Choose a folder")},
    {"drop", QT_TRANSLATE_NOOP("snpln-web", "Or drop files and folders here")},
    {"chosen", QT_TRANSLATE_NOOP("snpln-web", "Files chosen: %1 (%2 bytes)")},
    {"none", QT_TRANSLATE_NOOP("snpln-web", "No file chosen yet.")},
    {"clear", QT_TRANSLATE_NOOP("snpln-web", "Clear")},
    {"auto", QT_TRANSLATE_NOOP("snpln-web", "Detected (auto)")},
    {"operations", QT_TRANSLATE_NOOP("snpln-web", "Operations")},
    {"command", QT_TRANSLATE_NOOP("snpln-web", "The same with snpln-cli:")},
    {"run", QT_TRANSLATE_NOOP("snpln-web", "Run")},
    {"cancel", QT_TRANSLATE_NOOP("snpln-web", "Cancel")},
    {"progress", QT_TRANSLATE_NOOP("snpln-web", "Progress")},
    {"working", QT_TRANSLATE_NOOP("snpln-web", "Working: %1")},
    {"results", QT_TRANSLATE_NOOP("snpln-web", "Results")},
    {"status0", QT_TRANSLATE_NOOP("snpln-web", "Done: no file failed.")},
    {"status1", QT_TRANSLATE_NOOP("snpln-web", "Done: some files failed.")},
    {"status2",
     QT_TRANSLATE_NOOP("snpln-web", "Nothing done: the options are wrong.")},
    {"status130",
     QT_TRANSLATE_NOOP("snpln-web", "Canceled: the file in hand is as it "
                                    "was, the files before it are done.")},
    {"noFiles",
     QT_TRANSLATE_NOOP("snpln-web", "Choose files or a folder first.")},
    {"page", QT_TRANSLATE_NOOP("snpln-web", "Code page")},
    {"preview", QT_TRANSLATE_NOOP("snpln-web", "Preview")},
    {"previewOf", QT_TRANSLATE_NOOP("snpln-web", "Preview of %1")},
    {"before", QT_TRANSLATE_NOOP("snpln-web", "Before")},
    {"after", QT_TRANSLATE_NOOP("snpln-web", "After")},
    {"previewCut",
     QT_TRANSLATE_NOOP("snpln-web", "Only the first %1 bytes are shown.")},
    {"download", QT_TRANSLATE_NOOP("snpln-web", "Download")},
    {"zip", QT_TRANSLATE_NOOP("snpln-web", "Download all as ZIP")},
    {"zipping", QT_TRANSLATE_NOOP("snpln-web", "Making the ZIP archive...")},
    {"broken", QT_TRANSLATE_NOOP("snpln-web", "The page stopped working: %1")},
};

std::string said(i18n::Language language, const char *source) {
  return cli::jsonString(i18n::translate(language, kContext, source));
}

void add(std::string &out, const char *key, const std::string &value) {
  if (out.back() != '{' && out.back() != '[')
    out += ',';
  out += cli::jsonString(key) + ":" + value;
}

void item(std::string &out, const std::string &value) {
  if (out.back() != '[')
    out += ',';
  out += value;
}

struct Choice {
  const char *option;
  const char *label;
};

// The controls, group by group.
std::string groupsOf(i18n::Language l) {
  const auto check = [&](const char *option, const char *label) {
    std::string c = "{";
    add(c, "kind", cli::jsonString("check"));
    add(c, "option", cli::jsonString(option));
    add(c, "label", said(l, label));
    return c + "}";
  };
  const auto text = [&](const char *option, const char *label) {
    std::string c = "{";
    add(c, "kind", cli::jsonString("text"));
    add(c, "option", cli::jsonString(option));
    add(c, "label", said(l, label));
    return c + "}";
  };
  const auto radio = [&](const char *name, std::vector<Choice> choices) {
    std::string c = "{";
    add(c, "kind", cli::jsonString("radio"));
    add(c, "name", cli::jsonString(name));
    std::string list = "[";
    for (const Choice &choice : choices) {
      std::string one = "{";
      add(one, "option", cli::jsonString(choice.option));
      add(one, "label", said(l, choice.label));
      item(list, one + "}");
    }
    add(c, "choices", list + "]");
    return c + "}";
  };
  const auto select = [&](const char *option, const char *label,
                          const char *none, const std::string &choices) {
    std::string c = "{";
    add(c, "kind", cli::jsonString("select"));
    add(c, "option", cli::jsonString(option));
    add(c, "label", said(l, label));
    add(c, "none", none ? said(l, none) : cli::jsonString(""));
    add(c, "choices", choices);
    return c + "}";
  };
  const auto group = [&](const char *legend,
                         const std::vector<std::string> &controls) {
    std::string g = "{";
    add(g, "legend", said(l, legend));
    std::string list = "[";
    for (const std::string &control : controls)
      item(list, control);
    add(g, "controls", list + "]");
    return g + "}";
  };

  std::string number = "{";
  add(number, "kind", cli::jsonString("number"));
  add(number, "option", cli::jsonString("--tab-size"));
  add(number, "label", said(l, QT_TRANSLATE_NOOP("snpln-web", "Tab size")));
  add(number, "value", cli::jsonString("8"));
  add(number, "min", "1");
  number += "}";

  std::string out = "[";
  item(out,
       group(QT_TRANSLATE_NOOP("snpln-web", "Code page"),
             {check("--repair",
                    QT_TRANSLATE_NOOP("snpln-web",
                                      "Repair garbled text first (UTF-8 "
                                      "read in a wrong page)")),
              select("--from", QT_TRANSLATE_NOOP("snpln-web", "From"), nullptr,
                     cli::jsonString("sources")),
              select("--to", QT_TRANSLATE_NOOP("snpln-web", "To"),
                     QT_TRANSLATE_NOOP("snpln-web", "(no recoding)"),
                     cli::jsonString("targets")),
              check("--substitute",
                    QT_TRANSLATE_NOOP("snpln-web",
                                      "Characters the target page cannot "
                                      "hold become their closest "
                                      "equivalent")),
              check("--strict",
                    QT_TRANSLATE_NOOP("snpln-web",
                                      "Refuse a file with characters the "
                                      "target page cannot hold")),
              check("--detect",
                    QT_TRANSLATE_NOOP("snpln-web",
                                      "Only detect each file's code page"))}));
  item(out,
       group(QT_TRANSLATE_NOOP("snpln-web", "Case"),
             {radio("case",
                    {{"", QT_TRANSLATE_NOOP("snpln-web", "As it is")},
                     {"--upper", QT_TRANSLATE_NOOP("snpln-web", "UPPER CASE")},
                     {"--lower", QT_TRANSLATE_NOOP("snpln-web", "lower case")},
                     {"--smart",
                      QT_TRANSLATE_NOOP("snpln-web", "Sentence case")}}),
              check("--save-upper",
                    QT_TRANSLATE_NOOP("snpln-web", "Sentence case keeps "
                                                   "the capitals"))}));
  item(
      out,
      group(
          QT_TRANSLATE_NOOP("snpln-web", "Remove or replace a text"),
          {text("--exclude",
                QT_TRANSLATE_NOOP("snpln-web", "Remove every occurrence of")),
           text("--replace",
                QT_TRANSLATE_NOOP("snpln-web", "Replace every occurrence of")),
           text("--with", QT_TRANSLATE_NOOP("snpln-web", "by")),
           check("--left-part",
                 QT_TRANSLATE_NOOP("snpln-web", "Only where it begins a word")),
           check("--right-part",
                 QT_TRANSLATE_NOOP("snpln-web", "Only where it ends a word")),
           check("--ignore-case",
                 QT_TRANSLATE_NOOP("snpln-web", "Ignore the letters' case"))}));
  item(out,
       group(QT_TRANSLATE_NOOP("snpln-web", "Lines"),
             {check("--optimize",
                    QT_TRANSLATE_NOOP("snpln-web",
                                      "Blanks that end at tab stops become "
                                      "TABs")),
              number,
              check("--delete-empty",
                    QT_TRANSLATE_NOOP("snpln-web",
                                      "Delete excessive empty lines")),
              select("--line-ends", QT_TRANSLATE_NOOP("snpln-web", "Line ends"),
                     QT_TRANSLATE_NOOP("snpln-web", "(as they are)"),
                     "[\"lf\",\"crlf\",\"cr\"]"),
              select("--bom",
                     QT_TRANSLATE_NOOP("snpln-web", "Byte order mark (UTF-8)"),
                     QT_TRANSLATE_NOOP("snpln-web", "(as it is)"),
                     "[\"add\",\"remove\"]")}));
  item(out, group(QT_TRANSLATE_NOOP("snpln-web", "Which files"),
                  {text("--filter",
                        QT_TRANSLATE_NOOP("snpln-web",
                                          "Masks for the files in folders "
                                          "(*.txt *.htm*; all when empty)")),
                   check("--hidden",
                         QT_TRANSLATE_NOOP("snpln-web",
                                           "Also take names that begin with "
                                           "a dot")),
                   check("--dry-run",
                         QT_TRANSLATE_NOOP("snpln-web",
                                           "Dry run: say what would happen, "
                                           "change nothing"))}));
  return out + "]";
}

} // namespace

std::string pageData(i18n::Language language) {
  std::string out = "{";
  add(out, "language",
      cli::jsonString(language == i18n::Language::Russian ? "ru" : "en"));
  add(out, "version", cli::jsonString(kVersion));
  std::string texts = "{";
  for (const Text &t : kTexts)
    add(texts, t.id, said(language, t.source));
  add(out, "texts", texts + "}");
  std::string pages = "[";
  for (const engine::CodePageNaming &naming : engine::codePageNamings()) {
    std::string page = "{";
    add(page, "name", cli::jsonString(std::string(naming.name)));
    add(page, "standard", cli::jsonString(std::string(naming.standardName)));
    add(page, "iana", cli::jsonString(std::string(naming.ianaName)));
    item(pages, page + "}");
  }
  add(out, "pages", pages + "]");
  add(out, "groups", groupsOf(language));
  return out + "}";
}

} // namespace snpln::web
