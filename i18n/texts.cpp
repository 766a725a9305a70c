#include "i18n/texts.h"

#include "engine/code_page_names.h"
#include "engine/repair_chain.h"
#include "engine/text_position.h"

#include <cstring>
#include <vector>

// lupdate's marker: the text itself here; lupdate takes each marked text
// into the catalogue under its context.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif

namespace snpln::i18n {

namespace {

using engine::CodePage;
using job::MessageId;
using job::OperationCode;

const char *sourceText(MessageId id) {
  switch (id) {
  case MessageId::NotFound:
    return QT_TRANSLATE_NOOP("snpln", "This file not found");
  case MessageId::EnglishOnly:
    return QT_TRANSLATE_NOOP("snpln",
                             "This file consist of english symbols only");
  case MessageId::HasCoding:
    return QT_TRANSLATE_NOOP("snpln", "This file has coding %1");
  case MessageId::SameCoding:
    return QT_TRANSLATE_NOOP("snpln", "This file just is in same coding");
  case MessageId::NotText:
    return QT_TRANSLATE_NOOP("snpln",
                             "This file is not text: it holds a zero byte");
  case MessageId::NoTempFile:
    return QT_TRANSLATE_NOOP("snpln", "Unable to open temporary file");
  case MessageId::OwnerNotKept:
    return QT_TRANSLATE_NOOP("snpln",
                             "Unable to keep the owner and group of this file");
  case MessageId::AttributesNotKept:
    return QT_TRANSLATE_NOOP(
        "snpln", "Unable to keep the mode and attributes of this file");
  case MessageId::Canceled:
  case MessageId::RunCanceled:
    return QT_TRANSLATE_NOOP("snpln", "Operation canceled");
  case MessageId::ReadError:
    return QT_TRANSLATE_NOOP("snpln", "Error reading file");
  case MessageId::WriteError:
    return QT_TRANSLATE_NOOP("snpln", "Error writing file");
  case MessageId::LineTooLong:
    return QT_TRANSLATE_NOOP(
        "snpln", "Line in file is too long (greater than %1 bytes)");
  case MessageId::TypedTextUnfit:
    return QT_TRANSLATE_NOOP("snpln",
                             "Replacement text cannot be written in %1");
  case MessageId::InvalidUtf8:
    return QT_TRANSLATE_NOOP("snpln", "Invalid UTF-8 at byte %1");
  case MessageId::Unrepresentable:
    return QT_TRANSLATE_NOOP("snpln",
                             "Character at byte %1 cannot be written in %2");
  case MessageId::DateNotKept:
    return QT_TRANSLATE_NOOP("snpln", "Unable to keep the date of this file");
  case MessageId::NotUtf8:
    return QT_TRANSLATE_NOOP(
        "snpln",
        "This file is not UTF-8: its byte order mark is left as it is");
  case MessageId::BomPresent:
    return QT_TRANSLATE_NOOP("snpln",
                             "This file already begins with a byte order mark");
  case MessageId::BomAbsent:
    return QT_TRANSLATE_NOOP("snpln", "This file has no byte order mark");
  case MessageId::InvalidUtf16:
    return QT_TRANSLATE_NOOP("snpln", "Invalid UTF-16 at byte %1");
  case MessageId::OddUtf16Length:
    return QT_TRANSLATE_NOOP("snpln",
                             "UTF-16 text of odd length: byte %1 is left over");
  case MessageId::RecodeFirst:
    return QT_TRANSLATE_NOOP(
        "snpln", "This file is in %1: recode it to another page first");
  case MessageId::BackupNotKept:
    return QT_TRANSLATE_NOOP("snpln", "Unable to keep a backup of this file");
  case MessageId::OutputChanged:
    return QT_TRANSLATE_NOOP(
        "snpln",
        "This file appeared or changed meanwhile: it is left as it is");
  case MessageId::DirectoryNotFlushed:
    return QT_TRANSLATE_NOOP("snpln",
                             "The new content of this file is in place, but "
                             "its directory could not be flushed to the disk");
  case MessageId::Identical:
    return QT_TRANSLATE_NOOP(
        "snpln", "Nothing in this file would change: it is left as it was");
  case MessageId::Converted:
    return QT_TRANSLATE_NOOP("snpln", "File(s) successfully converted");
  case MessageId::EmptyExclude:
    return QT_TRANSLATE_NOOP(
        "snpln", "Are you want to exclude empty string from file 8-) ?");
  case MessageId::NameNotFound:
    return QT_TRANSLATE_NOOP("snpln", "File or directory not found");
  case MessageId::DirectoryDone:
    return QT_TRANSLATE_NOOP(
        "snpln",
        "Processing this directory and its subdirectories is completed");
  case MessageId::DirectoryUnreadable:
    return QT_TRANSLATE_NOOP("snpln", "Error reading directory");
  case MessageId::WalkOutOfMemory:
    return QT_TRANSLATE_NOOP("snpln",
                             "Not enough memory to walk this directory");
  case MessageId::NotGarbled:
    return QT_TRANSLATE_NOOP(
        "snpln", "Nothing garbled found: the file is left as it was");
  case MessageId::NotUtf8Text:
    return QT_TRANSLATE_NOOP(
        "snpln", "This file is not UTF-8 text: there is nothing to repair");
  case MessageId::CannotRepair:
    return QT_TRANSLATE_NOOP(
        "snpln",
        "The text at byte %1 cannot be repaired: the file is left as it was");
  case MessageId::Unreadable:
    return QT_TRANSLATE_NOOP("snpln", "Unable to read this file");
  case MessageId::OutputNotMade:
    return QT_TRANSLATE_NOOP("snpln", "Unable to make the output file");
  case MessageId::OutputNotRegular:
    return QT_TRANSLATE_NOOP("snpln", "The output is not a regular file: "
                                      "nothing is written to it");
  case MessageId::HeldSkipped:
    return QT_TRANSLATE_NOOP("snpln", "In use by another program: skipped, "
                                      "the file is left as it was");
  }
  return "";
}

bool isRecode(OperationCode op) {
  return (op >= OperationCode::RecodeToWin &&
          op <= OperationCode::RecodeToDos) ||
         op == OperationCode::RecodeToUtf8 ||
         op == OperationCode::RecodeToUtf16;
}

Phrase number(std::uint64_t n) { return literal(std::to_string(n)); }

// The name of a page in a chain of wrong readings, as people know it.
const char *repairPageTitle(engine::RepairPage page) {
  switch (page) {
  case engine::RepairPage::Utf8:
    return "UTF-8";
  case engine::RepairPage::Win:
    return "Windows-1251";
  case engine::RepairPage::Koi:
    return "KOI8-R";
  case engine::RepairPage::Dos:
    return "CP866";
  case engine::RepairPage::Iso:
    return "ISO 8859-5";
  case engine::RepairPage::Win1252:
    return "Windows-1252";
  case engine::RepairPage::Latin1:
    return "Latin-1";
  case engine::RepairPage::Mac:
    return "Mac Cyrillic";
  }
  return "";
}

// "UTF-8 read as Windows-1251, twice", "..., then as CP866": the layers
// in the order the readings happened (every one after the first read text
// written in UTF-8), the same layer over again counted.
Phrase chainPhrase(const engine::RepairChain &chain) {
  Phrase phrase;
  for (std::size_t i = 0; i < chain.count;) {
    const engine::RepairLayer layer = chain.layers[i];
    std::size_t times = 1;
    while (i + times < chain.count && chain.layers[i + times] == layer)
      ++times;
    const Phrase read = literal(repairPageTitle(layer.read));
    Phrase run = i == 0 ? say(QT_TRANSLATE_NOOP("snpln", "%1 read as %2"),
                              {literal(repairPageTitle(layer.written)), read})
                        : say(QT_TRANSLATE_NOOP("snpln", "%1, then as %2"),
                              {std::move(phrase), read});
    if (times == 2)
      run = say(QT_TRANSLATE_NOOP("snpln", "%1, twice"), {std::move(run)});
    else if (times > 2)
      run =
          say(QT_TRANSLATE_NOOP("snpln", "%1, three times"), {std::move(run)});
    phrase = std::move(run);
    i += times;
  }
  return phrase;
}

// What a repair undid: the chain, and the lines of a repair line by line.
Phrase repairDetail(const job::JobReport &r) {
  if (!r.repairChain)
    return {};
  const Phrase chain = chainPhrase(*r.repairChain);
  if (!r.linesRepaired)
    return chain;
  if (*r.linesRepaired == 1)
    return say(QT_TRANSLATE_NOOP("snpln", "%1, line by line (1 line)"),
               {chain});
  return say(QT_TRANSLATE_NOOP("snpln", "%1, line by line (%2 lines)"),
             {chain, number(*r.linesRepaired)});
}

// A report line with the count of --substitute's substitutions after it.
Phrase withSubstitutions(Phrase line, const job::JobReport &r) {
  if (r.substituted == 1)
    return join({std::move(line),
                 say(QT_TRANSLATE_NOOP("snpln", "1 character substituted"))},
                "; ");
  if (r.substituted > 1)
    return join({std::move(line),
                 say(QT_TRANSLATE_NOOP("snpln", "%1 characters substituted"),
                     {number(r.substituted)})},
                "; ");
  return line;
}

// A recoding's line with the count of characters that went to a fill
// byte after it, and with `hints` what would have written them otherwise.
Phrase withFills(Phrase line, const job::JobReport &r, bool hints) {
  if (r.filled == 0)
    return line;
  Phrase count =
      r.filled == 1
          ? say(QT_TRANSLATE_NOOP(
                "snpln", "1 character had no equivalent in the target page"))
          : say(QT_TRANSLATE_NOOP("snpln", "%1 characters had no "
                                           "equivalent in the target "
                                           "page"),
                {number(r.filled)});
  if (hints)
    count = join(
        {std::move(count),
         say(QT_TRANSLATE_NOOP("snpln", "--substitute writes look-alikes"))},
        "; ");
  return join({std::move(line), std::move(count)}, "; ");
}

// The first line of a success, by operation.
Phrase successHead(OperationCode op) {
  switch (op) {
  case OperationCode::Exclude:
  case OperationCode::Replace:
    return say(QT_TRANSLATE_NOOP(
        "snpln", "From file(s) successfully excluded given string"));
  case OperationCode::Optimize:
    return say(QT_TRANSLATE_NOOP("snpln", "File(s) successfully optimized"));
  case OperationCode::DeleteEmpty:
    return say(QT_TRANSLATE_NOOP(
        "snpln", "From file(s) deleted excessive empty lines,"));
  case OperationCode::Repair:
    return say(QT_TRANSLATE_NOOP("snpln", "File(s) successfully repaired"));
  default:
    return say(sourceText(MessageId::Converted));
  }
}

// The second line of a success (empty for the optimizer).
Phrase successDetail(const job::JobReport &r, bool windowPieces) {
  const std::uint64_t hits = r.hits.value_or(0);
  switch (r.operation) {
  case OperationCode::UpperCase:
    return say(QT_TRANSLATE_NOOP("snpln", "with upper case"));
  case OperationCode::LowerCase:
    return say(QT_TRANSLATE_NOOP("snpln", "with lower case"));
  case OperationCode::SmartCase:
    return say(QT_TRANSLATE_NOOP("snpln", "with 'smart' case"));
  case OperationCode::Exclude:
  case OperationCode::DeleteEmpty:
    return say(QT_TRANSLATE_NOOP("snpln", "Number of hits: %1"),
               {number(hits)});
  case OperationCode::Replace:
    return say(
        QT_TRANSLATE_NOOP("snpln",
                          "and replaced with received string, Nr. of hits: %1"),
        {number(hits)});
  case OperationCode::Optimize:
  case OperationCode::Detect:
    return {};
  case OperationCode::Repair:
    return repairDetail(r);
  case OperationCode::LineEnds:
    switch (r.lineEnd) {
    case engine::LineEnd::Lf:
      return say(QT_TRANSLATE_NOOP("snpln", "with LF line ends"));
    case engine::LineEnd::CrLf:
      return say(QT_TRANSLATE_NOOP("snpln", "with CR LF line ends"));
    case engine::LineEnd::Cr:
      return say(QT_TRANSLATE_NOOP("snpln", "with CR line ends"));
    }
    return {};
  case OperationCode::Bom:
    return r.bom == engine::BomChange::Add
               ? say(QT_TRANSLATE_NOOP("snpln", "with a byte order mark added"))
               : say(QT_TRANSLATE_NOOP("snpln",
                                       "with its byte order mark removed"));
  default:
    break;
  }
  // A recoding. The window's line keeps the two pieces' blanks; the report
  // line names the page the file was read in, also a detected one.
  const Phrase to = literal(codingName(r.to));
  if (!windowPieces)
    return say(QT_TRANSLATE_NOOP("snpln", "from %1 to %2"),
               {literal(sourceCodingName(r.from)), to});
  if (r.detected)
    return say(QT_TRANSLATE_NOOP("snpln", "with coding autodetect  to %1"),
               {to});
  return say(QT_TRANSLATE_NOOP("snpln", "from %1  to %2"),
             {literal(sourceCodingName(r.from)), to});
}

} // namespace

// Both from the one table of the pages' names (engine/code_page_names.h).
const char *codingName(CodePage page) {
  const engine::CodePageNaming *naming = engine::namingOf(page);
  return naming ? naming->targetName.data() : "";
}

const char *sourceCodingName(CodePage page) {
  const engine::CodePageNaming *naming = engine::namingOf(page);
  return naming ? naming->sourceName.data() : "";
}

Phrase systemReason(int systemError) {
  const char *text = std::strerror(systemError);
  return literal(text ? text : "");
}

Phrase messageText(const job::Message &m) {
  Phrase text;
  switch (m.id) {
  case MessageId::TypedTextUnfit:
    text = m.character
               ? say(QT_TRANSLATE_NOOP("snpln",
                                       "Character %1 of the replacement text "
                                       "cannot be written in %2"),
                     {literal(engine::characterName(*m.character)),
                      literal(codingName(m.page))})
               : say(sourceText(m.id), {literal(codingName(m.page))});
    break;
  case MessageId::HasCoding:
  case MessageId::RecodeFirst:
    text = say(sourceText(m.id), {literal(codingName(m.page))});
    break;
  case MessageId::CannotRepair:
    text = m.place
               ? say(QT_TRANSLATE_NOOP("snpln",
                                       "The text at line %2, column %3 (byte "
                                       "%1) cannot be repaired: the file is "
                                       "left as it was"),
                     {number(m.number), number(m.place->line),
                      number(m.place->column)})
               : say(sourceText(m.id), {number(m.number)});
    break;
  case MessageId::LineTooLong:
  case MessageId::InvalidUtf16:
  case MessageId::OddUtf16Length:
    text = say(sourceText(m.id), {number(m.number)});
    break;
  case MessageId::InvalidUtf8:
    text = m.place
               ? say(QT_TRANSLATE_NOOP("snpln",
                                       "Invalid UTF-8 at line %2, column %3 "
                                       "(byte %1)"),
                     {number(m.number), number(m.place->line),
                      number(m.place->column)})
               : say(sourceText(m.id), {number(m.number)});
    break;
  case MessageId::Unrepresentable:
    if (m.place && m.character)
      text =
          say(QT_TRANSLATE_NOOP("snpln", "Character %4 at line %2, column %3 "
                                         "(byte %1) cannot be written in %5"),
              {number(m.number), number(m.place->line), number(m.place->column),
               literal(engine::characterName(*m.character)),
               literal(codingName(m.page))});
    else if (m.place)
      text = say(QT_TRANSLATE_NOOP("snpln",
                                   "Character at line %2, column %3 (byte %1) "
                                   "cannot be written in %4"),
                 {number(m.number), number(m.place->line),
                  number(m.place->column), literal(codingName(m.page))});
    else
      text = say(sourceText(m.id),
                 {number(m.number), literal(codingName(m.page))});
    break;
  default:
    text = say(sourceText(m.id));
    break;
  }
  if (m.systemError != 0)
    return join({text, systemReason(m.systemError)}, ": ");
  return text;
}

namespace {

// A detection, with a note where the file reads as garbled.
Phrase detectionText(const job::JobReport &r) {
  Phrase text = messageText(r.message);
  if (r.message.id != MessageId::HasCoding || !r.repairChain)
    return text;
  return join({std::move(text),
               say(QT_TRANSLATE_NOOP("snpln", "looks like %1: --repair "
                                              "undoes it"),
                   {chainPhrase(*r.repairChain)})},
              "; ");
}

} // namespace

Phrase detectionFacts(const job::JobReport &r) {
  if (!r.lineEnds)
    return {};
  std::vector<Phrase> facts;
  const auto lineEnds = [](const char *ends) {
    return say(QT_TRANSLATE_NOOP("snpln", "line ends %1"), {literal(ends)});
  };
  switch (*r.lineEnds) {
  case engine::LineEndKinds::None:
    facts.push_back(say(QT_TRANSLATE_NOOP("snpln", "no line end")));
    break;
  case engine::LineEndKinds::Lf:
    facts.push_back(lineEnds("LF"));
    break;
  case engine::LineEndKinds::CrLf:
    facts.push_back(lineEnds("CR LF"));
    break;
  case engine::LineEndKinds::Cr:
    facts.push_back(lineEnds("CR"));
    break;
  case engine::LineEndKinds::LfCr:
    facts.push_back(lineEnds("LF CR"));
    break;
  case engine::LineEndKinds::Mixed:
    facts.push_back(say(QT_TRANSLATE_NOOP("snpln", "mixed line ends")));
    break;
  }
  const char *mark = nullptr;
  switch (r.mark) {
  case engine::BomKind::None:
    break;
  case engine::BomKind::Utf8:
    mark = "UTF-8";
    break;
  case engine::BomKind::Utf16Le:
    mark = "UTF-16LE";
    break;
  case engine::BomKind::Utf16Be:
    mark = "UTF-16BE";
    break;
  case engine::BomKind::Utf32:
    mark = "UTF-32";
    break;
  }
  facts.push_back(mark ? say(QT_TRANSLATE_NOOP("snpln", "byte order mark %1"),
                             {literal(mark)})
                       : say(QT_TRANSLATE_NOOP("snpln", "no byte order mark")));
  switch (r.neighbourNote) {
  case engine::NeighbourNote::None:
    break;
  case engine::NeighbourNote::UkrainianOutsideKoi8R:
    facts.push_back(say(
        QT_TRANSLATE_NOOP("snpln", "holds Ukrainian letters outside KOI8-R")));
    break;
  case engine::NeighbourNote::UkrainianOutsideCp866:
    facts.push_back(say(
        QT_TRANSLATE_NOOP("snpln", "holds Ukrainian letters outside CP866")));
    break;
  case engine::NeighbourNote::CapitalsOutsideWindows1251:
    facts.push_back(say(QT_TRANSLATE_NOOP(
        "snpln", "holds capitals and я outside Windows-1251")));
    break;
  case engine::NeighbourNote::SignsOutsideCp866:
    facts.push_back(say(QT_TRANSLATE_NOOP(
        "snpln", "holds quotes, dashes and Ё outside CP866")));
    break;
  }
  return join(std::move(facts), "; ");
}

Lines messageLines(const std::string &path, const job::Message &message) {
  if (message.id == MessageId::EmptyExclude)
    return {messageText(message),
            say(QT_TRANSLATE_NOOP("snpln", "I'm surprised :)"))};
  if (path.empty())
    return {messageText(message), {}};
  return {name(path), messageText(message)};
}

Lines reportLines(const job::JobReport &r, bool hints) {
  if (r.message.id == MessageId::HasCoding && r.repairChain)
    return {name(r.path), detectionText(r)};
  // Characters that went to a fill byte are named with their file, also
  // where the bytes came out as they were.
  if (isRecode(r.operation) && r.filled > 0)
    return {name(r.path), reportLine(r, hints)};
  if (r.message.id != MessageId::Converted)
    return messageLines(r.path, r.message);
  if (r.dryRun)
    return {name(r.path), reportLine(r, hints)};
  return {successHead(r.operation), successDetail(r, true)};
}

namespace {

// The line of a job's end, without where its result went.
Phrase reportLineOnly(const job::JobReport &r, bool hints) {
  if (r.message.id != MessageId::Converted)
    return isRecode(r.operation) ? withFills(messageText(r.message), r, hints)
                                 : detectionText(r);
  const Phrase head =
      !r.dryRun ? successHead(r.operation)
      : r.operation == OperationCode::Repair
          ? say(QT_TRANSLATE_NOOP("snpln", "would be repaired"))
          : say(QT_TRANSLATE_NOOP("snpln", "would be converted"));
  const Phrase detail = successDetail(r, false);
  if (isRecode(r.operation)) {
    return withFills(withSubstitutions(join({head, detail}, " "), r), r, hints);
  }
  if (detail.empty())
    return withSubstitutions(head, r);
  if (r.operation == OperationCode::Repair) {
    Phrase line = join({head, detail}, ": ");
    // A dry run shows a piece of what it would repair.
    if (r.dryRun && !r.excerptBefore.empty())
      line = join({std::move(line),
                   say(QT_TRANSLATE_NOOP("snpln", "\"%1\" becomes \"%2\""),
                       {literal(r.excerptBefore), literal(r.excerptAfter)})},
                  "; ");
    return line;
  }
  const bool counted = r.operation == OperationCode::Exclude ||
                       r.operation == OperationCode::DeleteEmpty;
  // The empty-line head ends in its own comma.
  if (counted && !(r.operation == OperationCode::DeleteEmpty && !r.dryRun))
    return withSubstitutions(join({head, detail}, ", "), r);
  return withSubstitutions(join({head, detail}, " "), r);
}

} // namespace

Phrase reportLine(const job::JobReport &r, bool hints) {
  Phrase line = reportLineOnly(r, hints);
  if (r.backup)
    line = join({std::move(line),
                 say(QT_TRANSLATE_NOOP("snpln", "the original kept as %1"),
                     {literal(*r.backup)})},
                "; ");
  if (r.output && r.succeeded())
    line = join({std::move(line),
                 say(QT_TRANSLATE_NOOP("snpln", "the result goes to %1"),
                     {literal(*r.output)})},
                "; ");
  return line;
}

Phrase repairPreviewText(const job::JobReport &r) {
  if (r.succeeded() && r.repairChain)
    return say(QT_TRANSLATE_NOOP("snpln", "shown repaired, not saved: %1"),
               {repairDetail(r)});
  return messageText(r.message);
}

Phrase statusText(const batch::Status &status) {
  using batch::ModeButton;
  using batch::StatusId;
  struct Sentences {
    const char *selected;
    const char *unselected;
  };
  static constexpr Sentences kButtons[batch::kButtonCount] = {
      {QT_TRANSLATE_NOOP("snpln", "Selected upper case convert file mode"),
       QT_TRANSLATE_NOOP("snpln", "Unselected upper case convert file mode")},
      {QT_TRANSLATE_NOOP("snpln",
                         "Selected recode to ''Win1251'' convert file mode"),
       QT_TRANSLATE_NOOP("snpln",
                         "Unselected recode to ''Win1251'' convert file mode")},
      {QT_TRANSLATE_NOOP("snpln",
                         "Selected recode to ''Koi'' convert file mode"),
       QT_TRANSLATE_NOOP("snpln",
                         "Unselected recode to ''Koi'' convert file mode")},
      {QT_TRANSLATE_NOOP("snpln",
                         "Selected recode to ''Iso'' convert file mode"),
       QT_TRANSLATE_NOOP("snpln",
                         "Unselected recode to ''Iso'' convert file mode")},
      {QT_TRANSLATE_NOOP("snpln",
                         "Selected recode to ''Dos'' convert file mode"),
       QT_TRANSLATE_NOOP("snpln",
                         "Unselected recode to ''Dos'' convert file mode")},
      {QT_TRANSLATE_NOOP("snpln", "Selected lower case convert file mode"),
       QT_TRANSLATE_NOOP("snpln", "Unselected lower case convert file mode")},
      {QT_TRANSLATE_NOOP("snpln", "Selected 'smart' case convert file mode"),
       QT_TRANSLATE_NOOP("snpln", "Unselected 'smart' case convert file mode")},
      {QT_TRANSLATE_NOOP("snpln", "Selected snipline convert file mode"),
       QT_TRANSLATE_NOOP("snpln", "Unselected snipline convert file mode")},
      {QT_TRANSLATE_NOOP("snpln", "Selected replace symbols convert file mode"),
       QT_TRANSLATE_NOOP("snpln",
                         "Unselected replace symbols convert file mode")},
      {QT_TRANSLATE_NOOP("snpln", "Selected optimize convert file mode"),
       QT_TRANSLATE_NOOP("snpln", "Unselected optimize convert file mode")},
      {QT_TRANSLATE_NOOP("snpln",
                         "Selected delete excessive lines convert file mode"),
       QT_TRANSLATE_NOOP(
           "snpln", "Unselected delete excessive lines convert file mode")},
      {QT_TRANSLATE_NOOP("snpln", "Selected detect file source mode"),
       QT_TRANSLATE_NOOP("snpln", "Unselected detect file source mode")},
      {QT_TRANSLATE_NOOP("snpln", "Selected source for file - ''Win1251''"),
       QT_TRANSLATE_NOOP("snpln", "Unselected source for file - ''Win1251''")},
      {QT_TRANSLATE_NOOP("snpln", "Selected source for file - ''Koi8''"),
       QT_TRANSLATE_NOOP("snpln", "Unselected source for file - ''Koi8''")},
      {QT_TRANSLATE_NOOP("snpln", "Selected source for file - ''Iso''"),
       QT_TRANSLATE_NOOP("snpln", "Unselected source for file - ''Iso''")},
      {QT_TRANSLATE_NOOP("snpln", "Selected source for file - ''Dos''"),
       QT_TRANSLATE_NOOP("snpln", "Unselected source for file - ''Dos''")},
      {QT_TRANSLATE_NOOP("snpln", "Selected file source autodetect"),
       QT_TRANSLATE_NOOP("snpln", "Unselected file source autodetect")},
      {QT_TRANSLATE_NOOP("snpln",
                         "Selected recode to ''UTF-8'' convert file mode"),
       QT_TRANSLATE_NOOP("snpln",
                         "Unselected recode to ''UTF-8'' convert file mode")},
      {QT_TRANSLATE_NOOP("snpln", "Selected source for file - ''UTF-8''"),
       QT_TRANSLATE_NOOP("snpln", "Unselected source for file - ''UTF-8''")},
      {QT_TRANSLATE_NOOP("snpln", "Selected repair garbled text mode"),
       QT_TRANSLATE_NOOP("snpln", "Unselected repair garbled text mode")},
  };
  const std::size_t button = batch::indexOf(status.button);
  switch (status.id) {
  case StatusId::None:
    return {};
  case StatusId::Selected:
    return button < std::size(kButtons) ? say(kButtons[button].selected)
                                        : Phrase{};
  case StatusId::Unselected:
    return button < std::size(kButtons) ? say(kButtons[button].unselected)
                                        : Phrase{};
  case StatusId::NoActionSelected:
    return say(QT_TRANSLATE_NOOP("snpln", "No action selected"));
  case StatusId::NoFileName:
    return say(QT_TRANSLATE_NOOP(
        "snpln",
        "At the first choose filename , then click button [DO it !] ;)"));
  case StatusId::NoOperation:
    return say(QT_TRANSLATE_NOOP(
        "snpln", "So,what I must to do ? Choose any file manipulation ;)"));
  case StatusId::OneFileChosen:
    return say(QT_TRANSLATE_NOOP("snpln", "File '%1' is choosed"),
               {name(status.name)});
  case StatusId::FilesChosen:
    return say(QT_TRANSLATE_NOOP("snpln", "%1 files are choosed"),
               {number(status.count)});
  case StatusId::ListCleaned:
    return say(QT_TRANSLATE_NOOP("snpln",
                                 "File list is cleaned. No file is choosed."));
  case StatusId::Browsing:
    return say(QT_TRANSLATE_NOOP("snpln", "Browsing file ..."));
  case StatusId::BrowseCanceled:
    return say(QT_TRANSLATE_NOOP("snpln", "File(s) choose canceled"));
  case StatusId::RunningFile:
    return say(QT_TRANSLATE_NOOP("snpln", "File %1 of %2 found so far: '%3'"),
               {number(status.count), number(status.found), name(status.name)});
  case StatusId::RunningFileOfAll:
    return say(QT_TRANSLATE_NOOP("snpln", "File %1 of %2: '%3'"),
               {number(status.count), number(status.found), name(status.name)});
  }
  return {};
}

Phrase waitText(const batch::FileWait &wait) {
  switch (wait.why) {
  case batch::WaitReason::HeldByOtherProgram:
    return say(
        QT_TRANSLATE_NOOP("snpln", "Waiting for %1: in use by another program"),
        {name(wait.name)});
  }
  return {};
}

Phrase canceledText(const batch::RunOutcome &outcome) {
  if (!outcome.walkEnded)
    return say(
        QT_TRANSLATE_NOOP("snpln", "Canceled: %1 files done, %2 not reached"),
        {number(outcome.done), number(outcome.notReached)});
  return say(
      QT_TRANSLATE_NOOP("snpln", "Canceled: %1 files done, %2 not touched"),
      {number(outcome.done), number(outcome.notTouched)});
}

Lines canceledLines(const batch::RunOutcome &outcome) {
  return Lines{messageText(job::Message(MessageId::RunCanceled)),
               canceledText(outcome)};
}

Lines totalsLines(const batch::RunOutcome &outcome) {
  Lines lines;
  lines.line1 =
      say(QT_TRANSLATE_NOOP("snpln",
                            "Files converted: %1, unchanged: %2, failed: %3"),
          {number(outcome.converted),
           number(static_cast<std::uint64_t>(outcome.unchanged)),
           number(static_cast<std::uint64_t>(outcome.failed))});
  std::vector<Phrase> details;
  if (outcome.skipped > 0)
    details.push_back(
        say(QT_TRANSLATE_NOOP("snpln", "left as they were: %1"),
            {number(static_cast<std::uint64_t>(outcome.skipped))}));
  if (outcome.filled > 0)
    details.push_back(
        say(QT_TRANSLATE_NOOP("snpln", "characters sent to a fill byte: %1"),
            {number(outcome.filled)}));
  for (const batch::OperationHits &hits : outcome.hits)
    details.push_back(say(QT_TRANSLATE_NOOP("snpln", "%1: %2 found"),
                          {operationTitle(hits.operation), number(hits.hits)}));
  lines.line2 = join(std::move(details), "; ");
  return lines;
}

Phrase promptText(batch::PromptKind kind) {
  switch (kind) {
  case batch::PromptKind::SearchText:
    return say(QT_TRANSLATE_NOOP("snpln", "Enter text for exclude"));
  case batch::PromptKind::ReplaceText:
    return say(QT_TRANSLATE_NOOP("snpln", "Enter text for replace"));
  case batch::PromptKind::TabSize:
    return say(QT_TRANSLATE_NOOP("snpln", "Enter tab size (default - 8)"));
  }
  return {};
}

Phrase passedOverText(batch::PassedOver why) {
  switch (why) {
  case batch::PassedOver::Link:
    return say(QT_TRANSLATE_NOOP("snpln", "Symbolic link, passed over"));
  case batch::PassedOver::Special:
    return say(QT_TRANSLATE_NOOP("snpln", "Not a regular file, passed over"));
  case batch::PassedOver::Hidden:
    return say(
        QT_TRANSLATE_NOOP("snpln", "Name begins with a dot, passed over"));
  case batch::PassedOver::Backup:
    return say(
        QT_TRANSLATE_NOOP("snpln", "Backup of a file beside it, passed over"));
  case batch::PassedOver::NamedAgain:
    return say(QT_TRANSLATE_NOOP("snpln",
                                 "Already worked on in this run, passed over"));
  case batch::PassedOver::OtherLink:
    return say(QT_TRANSLATE_NOOP("snpln",
                                 "Another name (a hard link) of a file "
                                 "already worked on, passed over"));
  }
  return {};
}

Phrase operationTitle(OperationCode operation) {
  static constexpr const char *kTitles[job::kOperationCount] = {
      QT_TRANSLATE_NOOP("snpln", "Upper case"),
      QT_TRANSLATE_NOOP("snpln", "Recode to WIN"),
      QT_TRANSLATE_NOOP("snpln", "Recode to KOI"),
      QT_TRANSLATE_NOOP("snpln", "Recode to ISO"),
      QT_TRANSLATE_NOOP("snpln", "Recode to DOS"),
      QT_TRANSLATE_NOOP("snpln", "Lower case"),
      QT_TRANSLATE_NOOP("snpln", "Smart case"),
      QT_TRANSLATE_NOOP("snpln", "Exclude"),
      QT_TRANSLATE_NOOP("snpln", "Replace"),
      QT_TRANSLATE_NOOP("snpln", "Optimize"),
      QT_TRANSLATE_NOOP("snpln", "Delete excessive"),
      QT_TRANSLATE_NOOP("snpln", "Detect coding"),
      QT_TRANSLATE_NOOP("snpln", "Recode to UTF-8"),
      QT_TRANSLATE_NOOP("snpln", "Line ends"),
      QT_TRANSLATE_NOOP("snpln", "Byte order mark"),
      QT_TRANSLATE_NOOP("snpln", "Recode to UTF-16"),
      QT_TRANSLATE_NOOP("snpln", "Repair")};
  const auto index = static_cast<std::size_t>(operation);
  return index < std::size(kTitles) ? say(kTitles[index]) : Phrase{};
}

} // namespace snpln::i18n
