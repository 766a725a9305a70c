#include "tests/support/every_phrase.h"

#include "batch/selection_state.h"
#include "i18n/texts.h"

namespace snpln::test {

std::vector<std::pair<std::string, i18n::Phrase>> everyPhrase() {
  using engine::CodePage;
  using job::MessageId;
  using job::OperationCode;
  std::vector<std::pair<std::string, i18n::Phrase>> all;
  // A phrase of names and numbers alone has no words to translate.
  const auto add = [&](std::string label, const i18n::Phrase &phrase) {
    std::vector<const i18n::Phrase *> sources;
    sourcesOf(phrase, sources);
    if (!sources.empty())
      all.emplace_back(std::move(label), phrase);
  };
  for (int i = 0; i < job::kMessageIdCount; ++i) {
    job::Message m(static_cast<MessageId>(i));
    m.number = 12;
    m.page = CodePage::Koi;
    const i18n::Lines lines = i18n::messageLines("/d/f.txt", m);
    add("message " + std::to_string(i),
        lines.line2.empty() ? lines.line1 : lines.line2);
    if (m.id == MessageId::EmptyExclude)
      add("message " + std::to_string(i) + " line 1", lines.line1);
    // A failure at a place: with its line and column, and with the
    // character too.
    if (m.id == MessageId::InvalidUtf8 || m.id == MessageId::Unrepresentable ||
        m.id == MessageId::TypedTextUnfit) {
      job::Message placed = m;
      if (m.id != MessageId::TypedTextUnfit) {
        placed.place = engine::TextPosition{3, 4};
        add("message " + std::to_string(i) + " placed",
            i18n::messageText(placed));
      }
      if (m.id != MessageId::InvalidUtf8) {
        placed.character = U'\u20AC';
        add("message " + std::to_string(i) + " with its character",
            i18n::messageText(placed));
      }
    }
  }
  for (int i = 0; i < batch::kStatusIdCount; ++i) {
    const auto id = static_cast<batch::StatusId>(i);
    if (id == batch::StatusId::None)
      continue;
    const bool perButton =
        id == batch::StatusId::Selected || id == batch::StatusId::Unselected;
    for (batch::ModeButton button : batch::allModeButtons()) {
      batch::Status status(id, button);
      status.count = 3;
      status.name = "a.txt";
      add("status " + std::to_string(i) + " button " +
              std::to_string(batch::indexOf(button)),
          i18n::statusText(status));
      if (!perButton)
        break;
    }
  }
  for (batch::PromptKind kind :
       {batch::PromptKind::SearchText, batch::PromptKind::ReplaceText,
        batch::PromptKind::TabSize})
    add("prompt " + std::to_string(static_cast<int>(kind)),
        i18n::promptText(kind));
  for (batch::PassedOver why :
       {batch::PassedOver::Link, batch::PassedOver::Special,
        batch::PassedOver::Hidden, batch::PassedOver::Backup})
    add("passed over " + std::to_string(static_cast<int>(why)),
        i18n::passedOverText(why));
  for (int i = 0; i < job::kOperationCount; ++i) {
    const auto op = static_cast<OperationCode>(i);
    add("title " + std::to_string(i), i18n::operationTitle(op));
    for (bool dry : {false, true})
      for (std::uint64_t filled : {0u, 1u, 2u}) {
        job::JobReport r;
        r.result = job::JobResult::Done;
        r.message = job::Message(MessageId::Converted);
        r.operation = op;
        r.path = "/d/f.txt";
        r.from = CodePage::Koi;
        r.to = CodePage::Win;
        r.detected = filled == 1;
        r.hits = 5;
        r.filled = filled;
        r.substituted = filled;
        r.dryRun = dry;
        const std::string label = "success " + std::to_string(i) +
                                  (dry ? " dry" : "") + " filled " +
                                  std::to_string(filled);
        const i18n::Lines lines = i18n::reportLines(r);
        add(label + " line 1", lines.line1);
        if (!lines.line2.empty())
          add(label + " line 2", lines.line2);
        add(label + " report", i18n::reportLine(r));
      }
  }
  // A repair's chains (one layer, the same one twice, three different
  // ones), whole and line by line, and a detection's note of them.
  engine::RepairChain chains[3];
  chains[0].count = 1;
  chains[1].count = 2;
  chains[2].count = 3;
  chains[2].layers[1].read = engine::RepairPage::Win1252;
  chains[2].layers[2].read = engine::RepairPage::Dos;
  for (std::size_t c = 0; c < std::size(chains); ++c)
    for (std::uint64_t lines : {0u, 1u, 7u}) {
      job::JobReport r;
      r.result = job::JobResult::Done;
      r.message = job::Message(MessageId::Converted);
      r.operation = OperationCode::Repair;
      r.path = "/d/f.txt";
      r.repairChain = chains[c];
      if (lines > 0)
        r.linesRepaired = lines;
      const std::string label =
          "repair " + std::to_string(c) + " lines " + std::to_string(lines);
      add(label + " line 2", i18n::reportLines(r).line2);
      add(label + " report", i18n::reportLine(r));
      r.dryRun = true;
      r.excerptBefore = "\xD0\xA0\xD1\x9F";
      r.excerptAfter = "\xD0\x9F";
      add(label + " dry", i18n::reportLine(r));
      r.dryRun = false;
      r.message = job::Message(MessageId::HasCoding);
      r.message.page = CodePage::Utf8;
      r.operation = OperationCode::Detect;
      add(label + " detected", i18n::reportLine(r));
    }
  job::Message placed(MessageId::CannotRepair);
  placed.place = engine::TextPosition{3, 4};
  add("cannot repair placed", i18n::messageText(placed));
  return all;
}

void sourcesOf(const i18n::Phrase &phrase,
               std::vector<const i18n::Phrase *> &sources) {
  if (phrase.source)
    sources.push_back(&phrase);
  for (const i18n::Phrase &part : phrase.parts)
    sourcesOf(part, sources);
}

} // namespace snpln::test
