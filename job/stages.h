// The stages of a file's run: one table of the operations, in the order
// they apply to a file, with what each needs to know of the file's page,
// how its stage is settled before any byte is written (built, left out of
// the file's chain because it would leave the text as it is, or the file
// failed at once), and what it reports once it has run. An operation is
// one row here and one engine step (engine/); nothing else names it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <variant>

#include "engine/bom_slice.h"
#include "engine/case_slice.h"
#include "engine/detect_code_page.h"
#include "engine/empty_line_slice.h"
#include "engine/exclusion_slice.h"
#include "engine/line_end_slice.h"
#include "engine/line_io.h"
#include "engine/optimize_slice.h"
#include "engine/recode_slice.h"
#include "engine/repair_slice.h"
#include "engine/slice_stream.h"
#include "job/job_report.h"
#include "job/job_request.h"
#include "job/message.h"

namespace snpln::job {

// The state of one stage's engine.
using EngineState =
    std::variant<std::monostate, engine::RecodeState, engine::CaseState,
                 engine::ExclusionState, engine::OptimizeState,
                 engine::EmptyLineState, engine::LineEndState, engine::BomState,
                 engine::RepairState>;

// One step of the engine over its stream (Finished at once for none).
engine::StepResult stepEngine(engine::SliceStream &stream, EngineState &state);

// What a stage is settled on, before the file's first byte is written.
struct StageInput {
  const FilePlan &plan;
  // The page of the text that reaches the stage: nothing when not known;
  // Auto when no byte above 0x7F is a letter of any page.
  std::optional<CodePage> page;
  // The page came from detection.
  bool detected = false;
  // Another operation of the plan comes before this one.
  bool afterOthers = false;
  // The stage reads the file itself (every stage before it is left out),
  // whose first bytes (the first block read) are `head`.
  bool readsFile = false;
  const std::uint8_t *head = nullptr;
  std::size_t headSize = 0;
  // The same: the file's stream, which has handed out no slice yet (a
  // stage that decides on more than the head reads on and puts it back).
  engine::SliceStream *file = nullptr;
};

enum class StageKind : std::uint8_t {
  Runs,    // in the chain, with `engine`
  LeftOut, // would leave the text as it is: `message` says why
  Fails,   // the file fails before a byte is written: `message`, `result`
  Reports, // writes nothing and reports `message`, `result` (detection)
};

struct StageSetup {
  StageKind kind = StageKind::LeftOut;
  EngineState engine;
  Message message;
  JobResult result = JobResult::Skipped;
  // The page of the text the stage hands on (nothing: not known).
  std::optional<CodePage> pageAfter;
  // For the report: the page read (recoding, detection) and whether it
  // came from detection; characters of a typed replacement substituted.
  CodePage from = CodePage::Auto;
  bool detected = false;
  std::uint64_t substituted = 0;
  // Detection of a UTF-8 file that reads as garbled: the chain --repair
  // would undo.
  std::optional<engine::RepairChain> garbled;
  // Repair: the first line of the head it changes, cut short, before and
  // after (UTF-8); empty when there is none.
  std::string excerptBefore;
  std::string excerptAfter;
  // Detection whose page no stage could tell beforehand: it reads the
  // chain's output instead.
  bool readsOutput = false;
};

struct StageRow {
  OperationCode operation;
  // How much of the file's page detection must tell for the stage, when
  // the run does not know the page already.
  engine::DetectDepth (*depth)(const RunParameters &parameters);
  StageSetup (*settle)(OperationCode operation, const StageInput &input);
  // After the stage has run: its counts (and a reason it left the text as
  // it was after all) into the operation's report; the page it leaves,
  // given the page it was settled to leave and the one it read.
  void (*facts)(const EngineState &state, JobReport &report);
  std::optional<CodePage> (*pageAfterRun)(const EngineState &state,
                                          std::optional<CodePage> settled,
                                          std::optional<CodePage> before);
};

// Every operation, in the order the operations apply to a file.
const std::array<StageRow, kOperationCount> &stageTable();
const StageRow &stageOf(OperationCode operation);
// The operations alone, in that order.
const std::array<OperationCode, kOperationCount> &stageOrder();

bool isRecoding(OperationCode operation);

// Whether the stage of `operation`, run on the single-byte text in
// `source` that a recoding to UTF-8 would otherwise hand it, gives the very
// text it gives there once that is recoded: every byte of a single-byte
// page is a character of its own in UTF-8, and the stage matches, counts
// and keeps characters alike in both (line ends, blanks and columns, empty
// lines, a plain replacement both of whose texts the page holds). Case and
// word tests are not among them: UTF-8 knows other letters.
bool commutesWithUtf8Recoding(OperationCode operation,
                              const RunParameters &parameters, CodePage source);

// The longest line a line engine takes when it stands before a recoding to
// UTF-8 in its stead: a character of a single-byte page is at most three
// bytes in UTF-8, so a line it takes is one it would take there too.
inline constexpr std::size_t kLineLimitBeforeUtf8 = engine::kLineLimit / 3;

} // namespace snpln::job
