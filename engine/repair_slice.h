// The repair of garbled text as an engine step: one slice read, undone by
// the plan's chain (or line by line), written. The plan is decided first
// on a sample (engine/repair_decision.h); the output is UTF-8, the page of
// the text that was garbled.
//
// Whole: a chain of one layer written in UTF-8 (the commonest damage, as
// UTF-8 read as Windows-1251) goes through tables at recoding speed: each
// character to its byte in the reading, the bytes checked as UTF-8 and
// written as they are. Where they are not UTF-8 (a lost byte) the step
// goes back to the start of the word and undoes character by character
// (ChainUndo, engine/repair_chain.h) to the next ASCII byte that is no
// letter, then on by tables. Any other chain goes character by character.
// A sequence cut by the end of a slice waits for the next slice, and a
// word that holds a lost byte waits for its end (at most kMaxHeldWord
// characters).
//
// Lines: each line (at most kRepairLineLimit bytes, longer ones in
// pieces) is held until its end, then undone by the best chain of the plan
// that makes it read clearly better, or written as it is.
//
// None: the bytes are copied as they are.
//
// A character the chain cannot undo stops the step with BadText, the
// fault and its file offset in the state; the job leaves the file as it
// was.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/repair_chain.h"
#include "engine/repair_decision.h"
#include "engine/slice_stream.h"

namespace snpln::engine {

struct RepairState {
  explicit RepairState(const RepairPlan &plan);
  RepairPlan plan;

  // Lines repaired so far (Lines), and lost bytes mended (Whole).
  std::uint64_t linesRepaired = 0;
  std::uint64_t lostBytesMended = 0;
  UndoFault fault = UndoFault::None;
  platform::FileSize faultOffset = 0;

  // Whole: the plain undoing, and the table of the fast path (null where
  // the chain has none): the byte in the reading of the character that
  // begins with byte a followed by byte b, at a | b << 8, or 0.
  std::unique_ptr<ChainUndo> undo;
  const std::uint8_t *pairBytes = nullptr;
  const ByteTable *readBytes = nullptr;
  // Lines: the line so far, and whether a piece of it was repaired.
  std::string line;
  bool lineRepaired = false;
  std::string scratch;
};

// Ends with StepResult::BadText when `state.fault` is set.
StepResult repairSlice(SliceStream &job, RepairState &state);

// The plain form over a whole text: the plan decided on the text's sample
// and applied, or a given plan applied.
struct RepairOutcome {
  RepairPlan plan;
  std::string text; // the whole output (the input when the mode is None)
  std::uint64_t linesRepaired = 0;
  UndoFault fault = UndoFault::None;
  std::uint64_t faultOffset = 0;
};
RepairOutcome applyRepair(const RepairPlan &plan, const std::uint8_t *bytes,
                          std::size_t size);
RepairOutcome repairText(const std::uint8_t *bytes, std::size_t size);

} // namespace snpln::engine
