#include "job/stages.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "engine/typed_text.h"
#include "engine/utf16.h"
#include "engine/utf8_codec.h"

namespace snpln::job {

namespace {

using engine::DetectDepth;

StageSetup leftOut(MessageId why, std::optional<CodePage> page) {
  StageSetup setup;
  setup.kind = StageKind::LeftOut;
  setup.message = Message(why);
  setup.result = JobResult::Skipped;
  setup.pageAfter = page;
  return setup;
}

StageSetup fails(const Message &message, JobResult result) {
  StageSetup setup;
  setup.kind = StageKind::Fails;
  setup.message = message;
  setup.result = result;
  return setup;
}

template <typename State, typename... Args>
StageSetup runs(std::optional<CodePage> pageAfter, Args &&...args) {
  StageSetup setup;
  setup.kind = StageKind::Runs;
  setup.engine.emplace<State>(std::forward<Args>(args)...);
  setup.pageAfter = pageAfter;
  return setup;
}

// Case, strings, TABs and empty lines work on bytes of one page or UTF-8:
// a UTF-16 text is to be recoded first.
std::optional<StageSetup> recodeFirst(const StageInput &in) {
  if (!in.page || !engine::isUtf16Page(*in.page))
    return std::nullopt;
  Message message(MessageId::RecodeFirst);
  message.page = *in.page;
  return fails(message, JobResult::ReadFailed);
}

CodePage pageOf(const StageInput &in) {
  return in.page.value_or(CodePage::Auto);
}

engine::TextEncoding encodingOf(const StageInput &in) {
  return pageOf(in) == CodePage::Utf8 ? engine::TextEncoding::Utf8
                                      : engine::TextEncoding::SingleByte;
}

// The page whose letters change case and count as letters: a single-byte
// page's (Auto: the ASCII letters alone).
CodePage lettersOf(const StageInput &in) {
  const CodePage page = pageOf(in);
  return engine::isSingleBytePage(page) ? page : CodePage::Auto;
}

// The byte order of a UTF-16 text in `page`: the mark at the file's start
// decides for Utf16 when the stage reads the file, else little-endian (as
// a recoding to Utf16 writes it).
CodePage utf16Order(CodePage page, const StageInput &in) {
  if (page == CodePage::Utf16 && in.readsFile)
    return engine::utf16SourceOrder(page, in.head, in.headSize);
  return page == CodePage::Utf16Be ? CodePage::Utf16Be : CodePage::Utf16Le;
}

// Whether recoding the UTF-16 text whose head is given from `from` to a
// UTF-16 `to` would give the same bytes (order and mark alike).
bool sameUtf16(CodePage from, CodePage to, const StageInput &in) {
  if (!engine::isUtf16Page(to) ||
      engine::byteOrderOf(from) != engine::byteOrderOf(to) || !in.readsFile)
    return false;
  const engine::BomKind mark = engine::bomKindOf(in.head, in.headSize);
  const bool marked = from == CodePage::Utf16Be
                          ? mark == engine::BomKind::Utf16Be
                          : mark == engine::BomKind::Utf16Le;
  return marked == (to == CodePage::Utf16);
}

engine::CaseOperation caseOperationOf(OperationCode op) {
  switch (op) {
  case OperationCode::UpperCase:
    return engine::CaseOperation::Upper;
  case OperationCode::LowerCase:
    return engine::CaseOperation::Lower;
  default:
    return engine::CaseOperation::Smart;
  }
}

DetectDepth needsPage(const RunParameters &) { return DetectDepth::Page; }
DetectDepth needsUtf8(const RunParameters &) { return DetectDepth::Utf8; }
DetectDepth needsKind(const RunParameters &) { return DetectDepth::Kind; }

DetectDepth exclusionDepth(const RunParameters &p) {
  // Bytes matched as they are: a UTF-8 file's by characters, a single-byte
  // file's whatever its page. Letters, cases and typed characters need the
  // page.
  if (p.typedText == TypedText::Bytes && !p.leftPartOfWord &&
      !p.rightPartOfWord && !p.caseInsensitive)
    return DetectDepth::Utf8;
  return DetectDepth::Page;
}

void noFacts(const EngineState &, JobReport &) {}

std::optional<CodePage> pageAsSettled(const EngineState &,
                                      std::optional<CodePage> settled,
                                      std::optional<CodePage>) {
  return settled;
}

StageSetup settleCase(OperationCode op, const StageInput &in) {
  if (auto failed = recodeFirst(in))
    return std::move(*failed);
  return runs<engine::CaseState>(in.page, caseOperationOf(op),
                                 in.plan.saveUpper, encodingOf(in),
                                 lettersOf(in));
}

StageSetup settleRecode(OperationCode, const StageInput &in) {
  const RunParameters &p = in.plan.parameters;
  const CodePage target = p.targetCodePage;
  CodePage source = pageOf(in);
  if (source == CodePage::Auto) {
    if (!engine::isUtf16Page(target)) {
      // A text of ASCII alone is in every page, the target's too.
      StageSetup setup = leftOut(MessageId::EnglishOnly, target);
      setup.detected = in.detected;
      return setup;
    }
    // ASCII alone is in every single-byte page, and UTF-16 is none of
    // them: the text is recoded all the same.
    source = CodePage::Win;
  }
  // UTF-8 to UTF-8 is checked all the same: a UTF-8 file with stray bytes
  // fails at the first of them, as it would going to any other page.
  bool same = source == target && source != CodePage::Utf8;
  if (engine::isUtf16Page(source)) {
    source = utf16Order(source, in);
    same = sameUtf16(source, target, in);
  }
  StageSetup setup = same ? leftOut(MessageId::SameCoding, source)
                          : runs<engine::RecodeState>(target, source, target,
                                                      p.substitute, p.strict);
  setup.from = source;
  setup.detected = in.detected;
  return setup;
}

void recodeFacts(const EngineState &state, JobReport &report) {
  if (const auto *recode = std::get_if<engine::RecodeState>(&state)) {
    report.filled = recode->filled;
    report.substituted = recode->substituted;
    // Checked, not recoded: the file was in the target page already.
    if (recode->source == CodePage::Utf8 && recode->target == CodePage::Utf8) {
      report.result = JobResult::Skipped;
      report.message = Message(MessageId::SameCoding);
    }
  }
}

StageSetup settleLineEnds(OperationCode, const StageInput &in) {
  engine::LineUnits units = engine::LineUnits::Bytes;
  if (in.page && engine::isUtf16Page(*in.page))
    units = utf16Order(*in.page, in) == CodePage::Utf16Be
                ? engine::LineUnits::Utf16Be
                : engine::LineUnits::Utf16Le;
  return runs<engine::LineEndState>(in.page, in.plan.parameters.lineEnd, units);
}

StageSetup settleBom(OperationCode, const StageInput &in) {
  // Text of ASCII alone is UTF-8 as well.
  const CodePage page = pageOf(in);
  if (engine::isSingleBytePage(page))
    return leftOut(MessageId::NotUtf8, in.page);
  engine::BomMark mark = engine::BomMark::Utf8;
  if (engine::isUtf16Page(page))
    mark = utf16Order(page, in) == CodePage::Utf16Be ? engine::BomMark::Utf16Be
                                                     : engine::BomMark::Utf16Le;
  const engine::BomChange change = in.plan.parameters.bom;
  if (in.readsFile) {
    // The file itself: its first bytes tell whether it is as asked.
    const bool has =
        in.head && engine::beginsWithMark(in.head, in.headSize, mark);
    if (has && change == engine::BomChange::Add)
      return leftOut(MessageId::BomPresent, in.page);
    if (!has && change == engine::BomChange::Remove)
      return leftOut(MessageId::BomAbsent, in.page);
  }
  return runs<engine::BomState>(in.page, change, mark);
}

void bomFacts(const EngineState &state, JobReport &report) {
  const auto *bom = std::get_if<engine::BomState>(&state);
  if (!bom || !bom->alreadyAsAsked)
    return;
  report.result = JobResult::Skipped;
  report.message =
      Message(bom->change == engine::BomChange::Add ? MessageId::BomPresent
                                                    : MessageId::BomAbsent);
}

bool anyHighByte(const std::string &text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    return static_cast<unsigned char>(c) >= 0x80;
  });
}

StageSetup settleExclusion(OperationCode, const StageInput &in) {
  if (auto failed = recodeFirst(in))
    return std::move(*failed);
  const RunParameters &p = in.plan.parameters;
  std::string search = p.searchText;
  std::string replacement = p.replaceText;
  std::uint64_t substituted = 0;
  const bool typed = p.typedText == TypedText::Characters;
  if (typed) {
    // Typed texts are written in the file's page; a file of ASCII alone
    // takes them as Windows-1251, as before.
    const CodePage page =
        pageOf(in) == CodePage::Auto ? CodePage::Win : pageOf(in);
    auto inPage = engine::typedTextIn(p.replaceText, page,
                                      p.substitute ? &substituted : nullptr);
    if (!inPage) {
      Message unfit(MessageId::TypedTextUnfit);
      unfit.page = page;
      unfit.character = engine::firstUnfitCharacter(p.replaceText, page);
      return fails(unfit, JobResult::ReadFailed);
    }
    replacement = *inPage;
    // A text to find that the file cannot hold is in it nowhere.
    search = engine::typedTextIn(p.searchText, page).value_or(std::string());
  }
  if (search.empty()) {
    // Nothing can match an empty text: the run refuses one before any
    // file, and a file given one is left as it is.
    StageSetup setup = leftOut(MessageId::Identical, in.page);
    setup.substituted = substituted;
    return setup;
  }
  StageSetup setup = runs<engine::ExclusionState>(
      in.page, std::move(search), replacement,
      engine::ExclusionOptions{p.leftPartOfWord, p.rightPartOfWord,
                               p.caseInsensitive},
      encodingOf(in), lettersOf(in));
  setup.substituted = substituted;
  // What the stage leaves when it replaces something in a text of ASCII
  // alone: a typed replacement is Windows-1251, bytes are UTF-8 when they
  // read as UTF-8, else in a page nobody knows.
  if (pageOf(in) == CodePage::Auto && anyHighByte(replacement)) {
    if (typed)
      setup.pageAfter = CodePage::Win;
    else if (engine::isUtf8(
                 reinterpret_cast<const std::uint8_t *>(replacement.data()),
                 replacement.size()))
      setup.pageAfter = CodePage::Utf8;
    else
      setup.pageAfter.reset();
  }
  return setup;
}

void hitFacts(const EngineState &state, JobReport &report) {
  if (const auto *exclusion = std::get_if<engine::ExclusionState>(&state))
    report.hits = exclusion->hitCount;
  else if (const auto *lines = std::get_if<engine::EmptyLineState>(&state))
    report.hits = lines->hitCount;
}

// Nothing replaced: the text is in the page it was.
std::optional<CodePage> exclusionPage(const EngineState &state,
                                      std::optional<CodePage> settled,
                                      std::optional<CodePage> before) {
  const auto *exclusion = std::get_if<engine::ExclusionState>(&state);
  return exclusion && exclusion->hitCount == 0 ? before : settled;
}

StageSetup settleOptimize(OperationCode, const StageInput &in) {
  if (auto failed = recodeFirst(in))
    return std::move(*failed);
  return runs<engine::OptimizeState>(in.page, in.plan.parameters.tabSize,
                                     encodingOf(in));
}

StageSetup settleDeleteEmpty(OperationCode, const StageInput &in) {
  if (auto failed = recodeFirst(in))
    return std::move(*failed);
  return runs<engine::EmptyLineState>(in.page);
}

StageSetup settleDetect(OperationCode, const StageInput &in) {
  StageSetup setup;
  setup.kind = StageKind::Reports;
  setup.detected = true;
  setup.pageAfter = in.page;
  if (!in.page) {
    // An earlier stage wrote bytes of a page nobody knows: the chain's
    // output tells.
    setup.readsOutput = true;
    return setup;
  }
  if (*in.page == CodePage::Auto) {
    setup.message = Message(MessageId::EnglishOnly);
    setup.result = JobResult::Skipped;
    return setup;
  }
  setup.message = Message(MessageId::HasCoding);
  setup.message.page = *in.page;
  setup.result = JobResult::Done;
  setup.from = *in.page;
  // A UTF-8 file, as it is: whether it reads as garbled.
  if (*in.page == CodePage::Utf8 && in.readsFile && in.file) {
    const engine::RepairPlan plan = engine::decideRepairOfStream(*in.file);
    if (plan.mode != engine::RepairMode::None && plan.chainCount > 0)
      setup.garbled = plan.chain();
  }
  return setup;
}

// The bytes of the excerpts a repair reports, at most.
constexpr std::size_t kExcerptBytes = 120;
constexpr std::size_t kExcerptLines = 8;

// UTF-8 text to show: control characters (C0 but TAB, C1) as U+FFFD.
std::string shown(const std::string &text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x20 && b != '\t') {
      out += "\xEF\xBF\xBD";
    } else if (b == 0xC2 && i + 1 < text.size() &&
               static_cast<unsigned char>(text[i + 1]) < 0xA0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The first of the head's first lines that the plan changes, cut after a
// blank within kExcerptBytes, before and after.
void takeExcerpt(const engine::RepairPlan &plan, const StageInput &in,
                 StageSetup &setup) {
  if (!in.head)
    return;
  const auto *text = reinterpret_cast<const char *>(in.head);
  const std::string_view head(text, in.headSize);
  std::size_t at = 0;
  for (std::size_t n = 0; n < kExcerptLines && at < head.size(); ++n) {
    std::size_t end = head.find('\n', at);
    if (end == std::string_view::npos)
      end = head.size();
    std::string_view line = head.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    if (line.size() > kExcerptBytes) {
      const std::size_t blank = line.rfind(' ', kExcerptBytes);
      if (blank == std::string_view::npos || blank == 0)
        continue;
      line = line.substr(0, blank);
    }
    const engine::RepairOutcome repaired = engine::applyRepair(
        plan, reinterpret_cast<const std::uint8_t *>(line.data()), line.size());
    if (repaired.fault != engine::UndoFault::None || repaired.text == line)
      continue;
    setup.excerptBefore = shown(std::string(line));
    setup.excerptAfter = shown(repaired.text);
    return;
  }
}

// The repair decides on a sample of the file itself, so it comes first:
// what it hands on is UTF-8, the page of the text that was garbled, and no
// later stage detects again.
StageSetup settleRepair(OperationCode, const StageInput &in) {
  if (!in.readsFile || !in.file)
    return leftOut(MessageId::NotGarbled, in.page);
  const engine::RepairPlan plan = engine::decideRepairOfStream(*in.file);
  switch (plan.reason) {
  case engine::RepairReason::Garbled:
    break;
  case engine::RepairReason::NoText:
    return leftOut(MessageId::EnglishOnly, in.page);
  case engine::RepairReason::NotUtf8:
    return leftOut(MessageId::NotUtf8Text, in.page);
  case engine::RepairReason::NotGarbled:
    return leftOut(MessageId::NotGarbled, in.page);
  }
  if (plan.mode == engine::RepairMode::None || plan.chainCount == 0)
    return leftOut(MessageId::NotGarbled, in.page);
  StageSetup setup = runs<engine::RepairState>(CodePage::Utf8, plan);
  takeExcerpt(plan, in, setup);
  return setup;
}

void repairFacts(const EngineState &state, JobReport &report) {
  const auto *repair = std::get_if<engine::RepairState>(&state);
  if (!repair)
    return;
  report.repairChain = repair->plan.chain();
  if (repair->plan.mode == engine::RepairMode::Lines)
    report.linesRepaired = repair->linesRepaired;
}

constexpr StageRow caseRow(OperationCode op) {
  return {op, needsPage, settleCase, noFacts, pageAsSettled};
}

constexpr StageRow recodeRow(OperationCode op) {
  return {op, needsPage, settleRecode, recodeFacts, pageAsSettled};
}

constexpr std::array<StageRow, kOperationCount> kStages = {{
    {OperationCode::Repair, needsKind, settleRepair, repairFacts,
     pageAsSettled},
    caseRow(OperationCode::UpperCase),
    recodeRow(OperationCode::RecodeToWin),
    recodeRow(OperationCode::RecodeToKoi),
    recodeRow(OperationCode::RecodeToIso),
    recodeRow(OperationCode::RecodeToDos),
    recodeRow(OperationCode::RecodeToUtf8),
    recodeRow(OperationCode::RecodeToUtf16),
    {OperationCode::LineEnds, needsKind, settleLineEnds, noFacts,
     pageAsSettled},
    {OperationCode::Bom, needsUtf8, settleBom, bomFacts, pageAsSettled},
    caseRow(OperationCode::LowerCase),
    caseRow(OperationCode::SmartCase),
    {OperationCode::Exclude, exclusionDepth, settleExclusion, hitFacts,
     exclusionPage},
    {OperationCode::Replace, exclusionDepth, settleExclusion, hitFacts,
     exclusionPage},
    {OperationCode::Optimize, needsUtf8, settleOptimize, noFacts,
     pageAsSettled},
    {OperationCode::DeleteEmpty, needsKind, settleDeleteEmpty, hitFacts,
     pageAsSettled},
    {OperationCode::Detect, needsPage, settleDetect, noFacts, pageAsSettled},
}};

} // namespace

engine::StepResult stepEngine(engine::SliceStream &stream, EngineState &state) {
  struct Dispatch {
    engine::SliceStream &stream;
    engine::StepResult operator()(std::monostate) {
      return engine::StepResult::Finished;
    }
    engine::StepResult operator()(engine::RecodeState &s) {
      return engine::recodeSlice(stream, s);
    }
    engine::StepResult operator()(engine::CaseState &s) {
      return engine::caseSlice(stream, s);
    }
    engine::StepResult operator()(engine::ExclusionState &s) {
      return engine::exclusionSlice(stream, s);
    }
    engine::StepResult operator()(engine::OptimizeState &s) {
      return engine::optimizeSlice(stream, s);
    }
    engine::StepResult operator()(engine::EmptyLineState &s) {
      return engine::emptyLineSlice(stream, s);
    }
    engine::StepResult operator()(engine::LineEndState &s) {
      return engine::lineEndSlice(stream, s);
    }
    engine::StepResult operator()(engine::BomState &s) {
      return engine::bomSlice(stream, s);
    }
    engine::StepResult operator()(engine::RepairState &s) {
      return engine::repairSlice(stream, s);
    }
  };
  return std::visit(Dispatch{stream}, state);
}

const std::array<StageRow, kOperationCount> &stageTable() { return kStages; }

const StageRow &stageOf(OperationCode operation) {
  for (const StageRow &row : kStages)
    if (row.operation == operation)
      return row;
  return kStages.front();
}

const std::array<OperationCode, kOperationCount> &stageOrder() {
  static const std::array<OperationCode, kOperationCount> order = [] {
    std::array<OperationCode, kOperationCount> operations{};
    for (std::size_t i = 0; i < kStages.size(); ++i)
      operations[i] = kStages[i].operation;
    return operations;
  }();
  return order;
}

bool isRecoding(OperationCode op) { return stageOf(op).settle == settleRecode; }

bool commutesWithUtf8Recoding(OperationCode operation, const RunParameters &p,
                              CodePage source) {
  if (!engine::isSingleBytePage(source))
    return false;
  switch (operation) {
  case OperationCode::LineEnds:
  case OperationCode::Optimize:
  case OperationCode::DeleteEmpty:
    return true;
  case OperationCode::Exclude:
  case OperationCode::Replace:
    // Characters matched as they are, both texts whole in the page (a
    // text the page lacks would be a different stage there: nothing to
    // find, or a substitute).
    return p.typedText == TypedText::Characters && !p.leftPartOfWord &&
           !p.rightPartOfWord && !p.caseInsensitive &&
           engine::typedTextIn(p.searchText, source).has_value() &&
           engine::typedTextIn(p.replaceText, source).has_value();
  default:
    return false;
  }
}

} // namespace snpln::job
