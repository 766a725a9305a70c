// The stages of one file's run as one streaming pass: each stage is an
// engine over a stream of its own; the first reads the file, each other
// reads the output of the one before it, and the last writes to the
// chain's output. Nothing between two stages touches a disk.
//
// The chain is pulled from its end: step() runs the last stage once, and a
// stage whose stream wants bytes runs the stage before it (through a pipe
// that is the one's input and the other's output) until that one has
// written some or has ended. So a stage runs only as far as the next one
// needs, and between two stages lie at most a block of kStageBlock bytes
// and a few lines: the memory of a chain does not grow with the file.
//
// The first failure of any stage ends the chain: the stages after it see
// their input fail, and failure() names the stage that failed first, with
// the system's reason.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "engine/slice_stream.h"
#include "job/stages.h"
#include "platform/file_system.h"

namespace snpln::job {

// The blocks read and written between two stages.
inline constexpr std::size_t kStageBlock = 64 * 1024;

class StageChain {
public:
  // The first stage reads `file` (its size known); the chain writes to
  // `output` (set before the first step).
  explicit StageChain(engine::SliceStream file);
  ~StageChain();
  StageChain(const StageChain &) = delete;
  StageChain &operator=(const StageChain &) = delete;

  // Appends a stage with its engine (the first reads the file).
  void add(EngineState engine);
  void setOutput(platform::OutputFile &output);

  std::size_t size() const { return stages_.size(); }
  bool empty() const { return stages_.empty(); }
  EngineState &engine(std::size_t stage);
  const EngineState &engine(std::size_t stage) const;
  // The first stage's stream: the file, as far as it has been read.
  const engine::SliceStream &file() const;
  engine::SliceStream &file();

  // One step of the last stage: Continue, Finished (every stage has ended
  // and its output is written), or a failure.
  engine::StepResult step();

  struct Failure {
    std::size_t stage = 0;
    engine::StepResult result = engine::StepResult::ReadFailed;
    // The system's reason, where the failing call left one.
    int systemError = 0;
    // The file holds a zero byte: it is no text (the first stage).
    bool notText = false;
  };
  const std::optional<Failure> &failure() const { return failure_; }
  // Whether the first stage found a zero byte in the file (see
  // zeroBytesAreText).
  bool zeroByteSeen() const;
  // A UTF-16 file's zero bytes are text: the first stage does not stop on
  // them. Otherwise a zero byte found in the file ends the chain (as a
  // failure of the first stage: the file is no text after all).
  void zeroBytesAreText(bool text) { zerosAreText_ = text; }

private:
  class Pipe;
  struct Stage;

  engine::StepResult stepStage(std::size_t index);

  engine::SliceStream file_;
  std::vector<std::unique_ptr<Stage>> stages_;
  std::vector<std::unique_ptr<Pipe>> pipes_;
  std::optional<Failure> failure_;
  bool zerosAreText_ = false;
};

} // namespace snpln::job
