#include "job/stage_chain.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace snpln::job {

struct StageChain::Stage {
  engine::SliceStream stream;
  EngineState engine;
  bool ended = false;
  engine::StepResult result = engine::StepResult::Continue;
};

// Between two stages: the output of the one before, the input of the one
// after. A read that finds nothing kept runs the stage before until it has
// written, and takes what it writes straight into the reader's buffer; what
// does not fit there is kept for the next read.
class StageChain::Pipe final : public platform::InputFile,
                               public platform::OutputFile {
public:
  Pipe(StageChain &chain, std::size_t producer)
      : chain_(chain), producer_(producer) {}

  bool write(const void *data, std::size_t size,
             std::size_t &written) override {
    const auto *bytes = static_cast<const std::uint8_t *>(data);
    std::size_t direct = 0;
    if (dest_ != nullptr && start_ == end_) {
      direct = std::min(size, room_ - destGot_);
      std::memcpy(dest_ + destGot_, bytes, direct);
      destGot_ += direct;
    }
    const std::size_t rest = size - direct;
    if (rest > 0) {
      if (start_ > 0) {
        std::memmove(kept_.data(), kept_.data() + start_, end_ - start_);
        end_ -= start_;
        start_ = 0;
      }
      kept_.grow(end_ + rest, end_);
      std::memcpy(kept_.data() + end_, bytes + direct, rest);
      end_ += rest;
    }
    written = size;
    return true;
  }
  bool flush() override { return true; }

  bool read(void *buffer, std::size_t size, std::size_t &got) override {
    got = 0;
    if (size == 0)
      return true;
    if (start_ == end_) {
      start_ = end_ = 0;
      dest_ = static_cast<std::uint8_t *>(buffer);
      room_ = size;
      destGot_ = 0;
      engine::StepResult result = engine::StepResult::Continue;
      while (destGot_ == 0 && start_ == end_) {
        result = chain_.stepStage(producer_);
        if (result != engine::StepResult::Continue)
          break;
      }
      dest_ = nullptr;
      if (result != engine::StepResult::Continue &&
          result != engine::StepResult::Finished)
        return false;
      got = destGot_;
      if (got > 0) {
        taken_ += got;
        return true;
      }
    }
    // Kept bytes (or none: the stage before has ended).
    got = std::min(size, end_ - start_);
    if (got > 0)
      std::memcpy(buffer, kept_.data() + start_, got);
    start_ += got;
    taken_ += got;
    return true;
  }
  bool seek(platform::FileSize) override { return false; }
  platform::FileSize position() const override { return taken_; }
  bool size(platform::FileSize &) override { return false; }
  bool status(platform::FileStatus &) override { return false; }

private:
  StageChain &chain_;
  std::size_t producer_;
  engine::StreamBytes kept_;
  std::size_t start_ = 0;
  std::size_t end_ = 0;
  // The buffer of the read that runs the stage before, while it does.
  std::uint8_t *dest_ = nullptr;
  std::size_t room_ = 0;
  std::size_t destGot_ = 0;
  platform::FileSize taken_ = 0;
};

StageChain::StageChain(engine::SliceStream file) : file_(std::move(file)) {}

StageChain::~StageChain() = default;

void StageChain::add(EngineState engine) {
  auto stage = std::make_unique<Stage>();
  if (stages_.empty()) {
    stage->stream = std::move(file_);
  } else {
    Stage &before = *stages_.back();
    auto pipe = std::make_unique<Pipe>(*this, stages_.size() - 1);
    before.stream.temp = pipe.get();
    before.stream.writeBlock = kStageBlock;
    stage->stream = engine::SliceStream::openEnded(
        pipe.get(), nullptr, before.stream.sliceSize, kStageBlock);
    stage->stream.watchZeros = false;
    pipes_.push_back(std::move(pipe));
  }
  stage->engine = std::move(engine);
  stages_.push_back(std::move(stage));
}

void StageChain::setOutput(platform::OutputFile &output) {
  if (stages_.empty())
    return;
  // The chain's output goes to a file: in the blocks a file is written in.
  stages_.back()->stream.temp = &output;
  stages_.back()->stream.writeBlock = engine::kIoBlockSize;
}

EngineState &StageChain::engine(std::size_t stage) {
  return stages_[stage]->engine;
}

const EngineState &StageChain::engine(std::size_t stage) const {
  return stages_[stage]->engine;
}

const engine::SliceStream &StageChain::file() const {
  return stages_.empty() ? file_ : stages_.front()->stream;
}

engine::SliceStream &StageChain::file() {
  return stages_.empty() ? file_ : stages_.front()->stream;
}

bool StageChain::zeroByteSeen() const { return file().zeroByteSeen; }

engine::StepResult StageChain::step() {
  if (stages_.empty())
    return engine::StepResult::Finished;
  return stepStage(stages_.size() - 1);
}

engine::StepResult StageChain::stepStage(std::size_t index) {
  Stage &stage = *stages_[index];
  if (stage.ended)
    return stage.result;
  errno = 0;
  engine::StepResult result = stepEngine(stage.stream, stage.engine);
  const int error = errno;
  if (index == 0 && !zerosAreText_ && stage.stream.zeroByteSeen &&
      result != engine::StepResult::ReadFailed) {
    // A zero byte past what detection read: the file is no text after
    // all, and no stage goes on.
    result = engine::StepResult::ReadFailed;
    if (!failure_)
      failure_ = Failure{0, result, 0, true};
  }
  if (result == engine::StepResult::Continue)
    return result;
  stage.ended = true;
  stage.result = result;
  if (result != engine::StepResult::Finished && !failure_)
    failure_ = Failure{index, result, error};
  return result;
}

} // namespace snpln::job
