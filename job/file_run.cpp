#include "job/file_run.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "engine/code_page_chars.h"
#include "engine/detect_code_page.h"
#include "engine/line_end_census.h"
#include "engine/slice_stream.h"
#include "engine/text_position.h"
#include "job/stage_chain.h"
#include "job/stages.h"

namespace snpln::job {

namespace {

// Where a dry run's new content goes: nowhere. Nothing is created, and the
// commit leaves the file as it is.
class DiscardedSave : public platform::SaveFile {
public:
  bool write(const void *, std::size_t size, std::size_t &written) override {
    written = size;
    return true;
  }
  bool flush() override { return true; }
  platform::SaveOutcome commit() override {
    return platform::SaveOutcome::Replaced;
  }
  bool setTimes(const platform::FileTime &,
                const platform::FileTime &) override {
    return true;
  }
  void abandon() override {}
};

Message messageOf(MessageId id, int systemError = 0) {
  Message m(id);
  m.systemError = systemError;
  return m;
}

int percentOf(platform::FileSize processed, platform::FileSize fileSize) {
  if (fileSize == 0 || processed >= fileSize)
    return 100;
  constexpr auto kMax = std::numeric_limits<platform::FileSize>::max();
  if (fileSize <= kMax / 100)
    return static_cast<int>(processed * 100 / fileSize);
  return static_cast<int>(processed / (fileSize / 100));
}

// The bytes compared (and copied) at a time.
constexpr std::size_t kCompareBlock = 64 * 1024;

// The end of a file's chain. What the chain makes is compared with the
// file as it comes (a positional read of the open file, which leaves the
// first stage's reading where it is); while they agree nothing is written.
// At the first block that differs the save is begun and takes the agreeing
// bytes from the file, then everything after them from the chain.
class ResultSink final : public platform::OutputFile {
public:
  // `begin` begins the save, or says why it cannot (`why`).
  using Begin =
      std::function<std::unique_ptr<platform::SaveFile>(Message &why)>;

  ResultSink(platform::InputFile &file, platform::FileSize fileSize,
             Begin begin, bool copyAgreeing)
      : file_(file), fileSize_(fileSize), begin_(std::move(begin)),
        copyAgreeing_(copyAgreeing) {}

  // Fed with what the chain makes while it wants more (detection after a
  // stage that wrote bytes of a page nobody knows).
  engine::DetectionEvidence *evidence = nullptr;

  bool write(const void *data, std::size_t size,
             std::size_t &written) override {
    written = 0;
    const auto *bytes = static_cast<const std::uint8_t *>(data);
    if (evidence && evidence->wantsMore())
      evidence->feed(bytes, size);
    std::size_t done = 0;
    if (comparing_) {
      done = agreeing(bytes, size);
      if (done < size && !diverge())
        return false;
    }
    if (done < size && !writeAll(bytes + done, size - done))
      return false;
    written = size;
    return true;
  }
  bool flush() override { return true; }

  // Once the chain has ended: whether what it made is the file byte for
  // byte (then nothing was saved); else the save holds all of it. False
  // when the save could not be begun or written (failure()).
  bool finish(bool &identical) {
    identical = false;
    if (comparing_) {
      if (compared_ == fileSize_) {
        identical = true;
        return true;
      }
      // Shorter than the file.
      return diverge();
    }
    return true;
  }

  platform::SaveFile *save() { return save_.get(); }
  void dropSave() { save_.reset(); }
  const std::optional<Message> &failure() const { return failure_; }

private:
  // How many of the bytes agree with the file from compared_ on, in whole
  // blocks (compared_ moves past them); fewer than `size` once one does
  // not.
  // The buffer the file's bytes are read into, made once, as large as the
  // file needs (not cleared: each read fills what is compared).
  std::uint8_t *block() {
    if (blockSize_ == 0) {
      blockSize_ = static_cast<std::size_t>(std::max<platform::FileSize>(
          1, std::min<platform::FileSize>(fileSize_, kCompareBlock)));
      block_.reset(new std::uint8_t[blockSize_]);
    }
    return block_.get();
  }

  std::size_t agreeing(const std::uint8_t *bytes, std::size_t size) {
    std::uint8_t *const buffer = block();
    std::size_t done = 0;
    while (done < size) {
      const std::size_t n = std::min(size - done, blockSize_);
      if (compared_ + n > fileSize_)
        break;
      std::size_t got = 0;
      // A read that fails counts as a difference: the copy of the agreeing
      // part reads the file again, and says so.
      if (!file_.readAt(compared_, buffer, n, got) || got != n ||
          std::memcmp(buffer, bytes + done, n) != 0)
        break;
      compared_ += n;
      done += n;
    }
    return done;
  }

  bool diverge() {
    comparing_ = false;
    Message why;
    save_ = begin_(why);
    if (!save_) {
      failure_ = why;
      return false;
    }
    if (!copyAgreeing_ || compared_ == 0)
      return true;
    std::uint8_t *const buffer = block();
    for (platform::FileSize at = 0; at < compared_;) {
      const std::size_t n = static_cast<std::size_t>(
          std::min<platform::FileSize>(compared_ - at, blockSize_));
      std::size_t got = 0;
      errno = 0;
      if (!file_.readAt(at, buffer, n, got) || got != n) {
        failure_ = messageOf(MessageId::ReadError, errno);
        return false;
      }
      if (!writeAll(buffer, n))
        return false;
      at += n;
    }
    return true;
  }

  bool writeAll(const std::uint8_t *bytes, std::size_t size) {
    std::size_t written = 0;
    errno = 0;
    if (!save_->write(bytes, size, written) || written != size) {
      failure_ = messageOf(MessageId::WriteError, errno);
      return false;
    }
    return true;
  }

  platform::InputFile &file_;
  platform::FileSize fileSize_;
  Begin begin_;
  bool copyAgreeing_;
  bool comparing_ = true;
  platform::FileSize compared_ = 0;
  std::unique_ptr<std::uint8_t[]> block_;
  std::size_t blockSize_ = 0;
  std::unique_ptr<platform::SaveFile> save_;
  std::optional<Message> failure_;
};

bool asks(const JobControl &control) {
  return control.canceled && control.canceled();
}

// One file's run (runFile()).
class FileRun {
public:
  FileRun(const FileTask &task, const FilePlan &plan, const JobControl &control,
          platform::FileSystem &fs)
      : task_(task), plan_(plan), control_(control), fs_(fs) {}

  FileReport go();

private:
  bool open(bool writes);
  // Takes our runs' lock, asking the run while another program holds it.
  // False when the file's run ends here (its report says why).
  bool takeLock();
  engine::DetectDepth detectDepth() const;
  // Reads the whole file for the line ends it uses; false when a read
  // failed (errno says why).
  bool takeCensus(std::optional<CodePage> page, JobReport &report);
  void fail(std::size_t at, const Message &message, JobResult result);
  // Every operation left as it was for one reason (a file that is no
  // text).
  void leftAsItWas(MessageId why);
  // How a run of the file's stages ended: reported, or to be run again in
  // the plan's order (runStages).
  enum class StagesEnd : std::uint8_t { Reported, InPlanOrder };
  // The stages from the file's start (`file`, which has handed out no
  // slice), settled and run as one chain, committed once or not at all.
  // With `mayReorder` a recoding of single-byte text to UTF-8 goes after
  // the stages that give the same text on its other side; a failure whose
  // place that order would change asks for the plan's order instead.
  StagesEnd runStages(engine::SliceStream file, bool mayReorder);
  struct Built {
    std::size_t operation = 0;
    EngineState engine;
  };
  bool moveRecodingLast(std::vector<Built> &built) const;
  // False when the failure would lie elsewhere in the plan's order.
  bool chainFailed(const StageChain &chain, const ResultSink &sink,
                   bool reordered);
  std::size_t operationOfStage(std::size_t stage) const;
  // The operations of the chain's first and last stages in the plan's
  // order: the one that reads the file and the one that writes.
  std::size_t firstRunning() const;
  std::size_t lastRunning() const;
  Message badText(const EngineState &state);
  void placeFault(Message &fault, CodePage source);
  // Commits the sink's save (the chain and the file closed once it has
  // taken the file's place).
  void commit(std::unique_ptr<StageChain> &chain, ResultSink &sink,
              std::size_t at);
  void settleResult();

  const FileTask &task_;
  const FilePlan &plan_;
  const JobControl &control_;
  platform::FileSystem &fs_;
  FileReport report_;
  std::unique_ptr<platform::InputFile> input_;
  platform::FileStatus original_;
  // The operation of each stage of the chain.
  std::vector<std::size_t> stageOperations_;
  // What detection found before any stage: the page the run knows, the
  // page the stages start from, the file's own, whether it is UTF-16.
  std::optional<CodePage> known_;
  std::optional<CodePage> start_;
  std::optional<CodePage> filePage_;
  engine::Detection found_;
  bool utf16_ = false;
  int percent_ = -1;
};

void FileRun::fail(std::size_t at, const Message &message, JobResult result) {
  report_.result = result;
  report_.failedAt = at;
  for (JobReport &operation : report_.operations) {
    operation.result = result;
    operation.message = message;
    // Nothing was written: no character went to a fill byte.
    operation.filled = 0;
  }
  JobReport &failed = report_.operations[at];
  // A failure at a place in the file names the place.
  if (message.id == MessageId::InvalidUtf8 ||
      message.id == MessageId::Unrepresentable ||
      message.id == MessageId::InvalidUtf16 ||
      message.id == MessageId::OddUtf16Length ||
      message.id == MessageId::CannotRepair)
    failed.offset = message.number;
  if (message.place) {
    failed.line = message.place->line;
    failed.column = message.place->column;
  }
  failed.character = message.character;
}

void FileRun::leftAsItWas(MessageId why) {
  report_.result = JobResult::Skipped;
  for (JobReport &operation : report_.operations) {
    operation.result = JobResult::Skipped;
    operation.message = Message(why);
    operation.hits.reset();
  }
}

bool FileRun::takeCensus(std::optional<CodePage> page, JobReport &report) {
  engine::LineUnits units = engine::LineUnits::Bytes;
  if (page == CodePage::Utf16Le || page == CodePage::Utf16)
    units = engine::LineUnits::Utf16Le;
  else if (page == CodePage::Utf16Be)
    units = engine::LineUnits::Utf16Be;
  engine::LineEndCensus census(units);
  std::vector<std::uint8_t> block(engine::kIoBlockSize);
  platform::FileSize offset = 0;
  for (;;) {
    std::size_t got = 0;
    errno = 0;
    if (!input_->readAt(offset, block.data(), block.size(), got))
      return false;
    if (got == 0)
      break;
    census.add(block.data(), got);
    offset += got;
  }
  report.lineEnds = census.result();
  return true;
}

bool FileRun::open(bool writes) {
  bool reopened = false;
  for (;;) {
    errno = 0;
    input_ = fs_.openRead(task_.location);
    if (!input_) {
      // A file that is there but may not be read is no file not found.
      const int why = errno;
      if (why == EACCES || why == EPERM)
        fail(0, messageOf(MessageId::Unreadable, why), JobResult::ReadFailed);
      else
        fail(0, messageOf(MessageId::NotFound, why), JobResult::NotFound);
      return false;
    }
    // Only a run that may write takes the lock: readers see one whole
    // version of the file whatever a writer does, as it is replaced by a
    // rename.
    if (!writes)
      return true;
    if (!takeLock())
      return false;
    if (input_->stillNamed())
      return true;
    // The run that held the lock has replaced the file meanwhile: its new
    // version is the one to work on, once.
    if (reopened) {
      fail(0, Message(MessageId::ReadError), JobResult::ReadFailed);
      return false;
    }
    reopened = true;
  }
}

bool FileRun::takeLock() {
  bool waited = false;
  // However the wait ends, the run hears of it once.
  const auto waitEnded = [&] {
    if (waited && control_.held)
      control_.held(false);
  };
  while (input_->lock() == platform::LockOutcome::Busy) {
    if (asks(control_)) {
      waitEnded();
      fail(0, Message(MessageId::Canceled), JobResult::Stop);
      return false;
    }
    const HeldAnswer answer =
        control_.held ? control_.held(true) : HeldAnswer::Wait;
    waited = true;
    if (answer == HeldAnswer::SetAside) {
      waitEnded();
      report_.setAside = true;
      leftAsItWas(MessageId::HeldSkipped);
      return false;
    }
    if (answer == HeldAnswer::Skip) {
      waitEnded();
      leftAsItWas(MessageId::HeldSkipped);
      return false;
    }
    std::this_thread::sleep_for(kLockRetry);
  }
  waitEnded();
  return true;
}

engine::DetectDepth FileRun::detectDepth() const {
  using engine::DetectDepth;
  const bool detects =
      std::find(plan_.operations.begin(), plan_.operations.end(),
                OperationCode::Detect) != plan_.operations.end();
  // A page the run already knows the file in is the one the stages take:
  // detection tells only text from binary data and UTF-16.
  if (!detects &&
      (task_.page || plan_.parameters.sourceCodePage != CodePage::Auto))
    return DetectDepth::Kind;
  DetectDepth depth = DetectDepth::Kind;
  for (OperationCode op : plan_.operations)
    depth = std::max(depth, stageOf(op).depth(plan_.parameters));
  return depth;
}

std::size_t FileRun::operationOfStage(std::size_t stage) const {
  return stage < stageOperations_.size() ? stageOperations_[stage] : 0;
}

// The line and column of a fault's offset and the character there, read
// again from the file's start (a failure's path only: the engines count
// neither lines nor characters). The stages before a recoding keep every
// byte's place (upper case changes no byte's length), so its offset is the
// file's. Nothing is added when the file cannot be read back to there.
void FileRun::placeFault(Message &fault, CodePage source) {
  // Lines and columns are counted in UTF-8 and single-byte text; a UTF-16
  // fault names its byte only.
  if (engine::isUtf16Page(source) || !input_)
    return;
  const engine::TextEncoding encoding = source == CodePage::Utf8
                                            ? engine::TextEncoding::Utf8
                                            : engine::TextEncoding::SingleByte;
  engine::TextPositionCounter counter(encoding);
  std::vector<std::uint8_t> block(kCompareBlock);
  platform::FileSize at = 0;
  while (at < fault.number) {
    std::size_t got = 0;
    const std::size_t want = static_cast<std::size_t>(
        std::min<std::uint64_t>(fault.number - at, block.size()));
    if (!input_->readAt(at, block.data(), want, got) || got == 0)
      return;
    counter.feed(block.data(), got);
    at += got;
  }
  fault.place = counter.position();
  if (fault.id != MessageId::Unrepresentable)
    return;
  std::uint8_t head[4];
  std::size_t have = 0;
  if (!input_->readAt(at, head, sizeof head, have) || have == 0)
    return;
  if (encoding == engine::TextEncoding::Utf8)
    fault.character = engine::utf8CharacterAt(head, have);
  else if (engine::isSingleBytePage(source))
    // A strict recoding between single-byte pages: the byte's character.
    fault.character = engine::charsOf(source)[head[0]];
}

Message FileRun::badText(const EngineState &state) {
  if (const auto *repair = std::get_if<engine::RepairState>(&state)) {
    // The repair reads the file itself: its offset is the file's.
    Message bad(MessageId::CannotRepair);
    bad.number = repair->faultOffset;
    placeFault(bad, CodePage::Utf8);
    return bad;
  }
  const auto *recode = std::get_if<engine::RecodeState>(&state);
  if (!recode)
    return Message(MessageId::ReadError);
  Message bad(MessageId::InvalidUtf8);
  if (recode->fault == engine::RecodeFault::Unrepresentable) {
    bad.id = MessageId::Unrepresentable;
    bad.page = recode->target;
  } else if (recode->fault == engine::RecodeFault::InvalidUtf16) {
    bad.id = MessageId::InvalidUtf16;
  } else if (recode->fault == engine::RecodeFault::OddLength) {
    bad.id = MessageId::OddUtf16Length;
  }
  bad.number = recode->faultOffset;
  placeFault(bad, recode->source);
  return bad;
}

std::size_t FileRun::firstRunning() const {
  return stageOperations_.empty() ? 0
                                  : *std::min_element(stageOperations_.begin(),
                                                      stageOperations_.end());
}

std::size_t FileRun::lastRunning() const {
  return stageOperations_.empty() ? 0
                                  : *std::max_element(stageOperations_.begin(),
                                                      stageOperations_.end());
}

bool FileRun::chainFailed(const StageChain &chain, const ResultSink &sink,
                          bool reordered) {
  const StageChain::Failure failure =
      chain.failure().value_or(StageChain::Failure{});
  if (failure.notText) {
    // A zero byte past the sample: the file is no text after all.
    leftAsItWas(MessageId::NotText);
    return true;
  }
  std::size_t at = operationOfStage(failure.stage);
  if (sink.failure()) {
    const Message &why = *sink.failure();
    fail(reordered ? lastRunning() : at, why,
         why.id == MessageId::ReadError ? JobResult::ReadFailed
                                        : JobResult::WriteFailed);
    return true;
  }
  if (reordered) {
    // The file is read by the first stage and written by the last in
    // either order; any other failure is a stage's own, at its own place.
    if (failure.result == engine::StepResult::ReadFailed && failure.stage == 0)
      at = firstRunning();
    else if (failure.result == engine::StepResult::WriteFailed &&
             failure.stage + 1 == chain.size())
      at = lastRunning();
    else
      return false;
  }
  switch (failure.result) {
  case engine::StepResult::WriteFailed:
    fail(at, messageOf(MessageId::WriteError, failure.systemError),
         JobResult::WriteFailed);
    return true;
  case engine::StepResult::LineTooLong: {
    Message tooLong(MessageId::LineTooLong);
    tooLong.number = engine::kLineLimit;
    fail(at, tooLong, JobResult::ReadFailed);
    return true;
  }
  case engine::StepResult::BadText:
    fail(at, badText(chain.engine(failure.stage)), JobResult::ReadFailed);
    return true;
  default:
    fail(at, messageOf(MessageId::ReadError, failure.systemError),
         JobResult::ReadFailed);
    return true;
  }
}

void FileRun::commit(std::unique_ptr<StageChain> &chain, ResultSink &sink,
                     std::size_t at) {
  // The save puts the new content on the disk before it takes the file's
  // place in one exchange, and only while the file is still the version
  // that was read: a file another program changed meanwhile keeps its
  // change. Kept times go on the new content first: nothing the commit
  // does changes them.
  platform::SaveFile &save = *sink.save();
  errno = 0;
  if (plan_.parameters.keepDate &&
      !save.setTimes(original_.accessed(), original_.modified())) {
    fail(at, messageOf(MessageId::DateNotKept, errno), JobResult::WriteFailed);
    return;
  }
  errno = 0;
  if (control_.waitingForDisk)
    control_.waitingForDisk(true);
  const platform::SaveOutcome outcome = save.commit();
  const int commitError = errno;
  std::optional<std::string> backup;
  if (outcome == platform::SaveOutcome::Replaced) {
    if (const std::string kept = save.backupName(); !kept.empty()) {
      const std::string reached = input_ ? input_->reachedPath() : "";
      backup =
          backupPathOf(reached.empty() ? task_.location.path() : reached, kept);
    }
    report_.unflushed = save.unflushedDirectory();
    if (!plan_.parameters.dryRun)
      report_.replacement = save.replacement();
    // Closed while the file still waits for the disk: the last close of the
    // file replaced frees its blocks, which may wait for the device.
    sink.dropSave();
    chain.reset();
    input_.reset();
  }
  if (control_.waitingForDisk)
    control_.waitingForDisk(false);
  switch (outcome) {
  case platform::SaveOutcome::Replaced:
    break;
  case platform::SaveOutcome::TargetChanged:
    fail(at, Message(MessageId::ReadError), JobResult::ReadFailed);
    return;
  case platform::SaveOutcome::WriteFailed:
    fail(at, messageOf(MessageId::WriteError, commitError),
         JobResult::WriteFailed);
    return;
  case platform::SaveOutcome::OwnerNotKept:
    fail(at, messageOf(MessageId::OwnerNotKept, commitError),
         JobResult::WriteFailed);
    return;
  case platform::SaveOutcome::AttributesNotKept:
    fail(at, messageOf(MessageId::AttributesNotKept, commitError),
         JobResult::WriteFailed);
    return;
  case platform::SaveOutcome::BackupNotKept:
    fail(at, messageOf(MessageId::BackupNotKept, commitError),
         JobResult::WriteFailed);
    return;
  }
  if (backup)
    for (JobReport &operation : report_.operations)
      if (operation.succeeded())
        operation.backup = backup;
}

// The file's end from its operations': Done when one of them is (a
// rewrite, a detection), else left as it was.
void FileRun::settleResult() {
  report_.result = JobResult::Skipped;
  for (const JobReport &operation : report_.operations)
    if (operation.result == JobResult::Done)
      report_.result = JobResult::Done;
}

FileReport FileRun::go() {
  const RunParameters &p = plan_.parameters;
  report_.path = task_.location.path();
  for (OperationCode op : plan_.operations) {
    JobReport operation;
    operation.operation = op;
    operation.path = report_.path;
    operation.dryRun = p.dryRun;
    operation.lineEnd = p.lineEnd;
    operation.bom = p.bom;
    if (isRecoding(op))
      operation.to = p.targetCodePage;
    report_.operations.push_back(std::move(operation));
  }
  if (plan_.operations.empty()) {
    report_.result = JobResult::Skipped;
    return std::move(report_);
  }
  const bool writes =
      !p.dryRun &&
      std::any_of(plan_.operations.begin(), plan_.operations.end(),
                  [](OperationCode op) { return op != OperationCode::Detect; });
  if (!open(writes))
    return std::move(report_);
  // The status of the open file: the version the new content is made from.
  errno = 0;
  if (!input_->status(original_)) {
    fail(0, messageOf(MessageId::NotFound, errno), JobResult::NotFound);
    return std::move(report_);
  }

  // Every operation knows what the file holds before a byte is written: a
  // zero byte in what detection reads makes it no text, and nothing
  // touches it. The stream reads the head once: detection looks at it, and
  // the first stage's first slices are cut from it.
  engine::SliceStream file(input_.get(), nullptr, original_.size,
                           plan_.sliceSize);
  const engine::DetectDepth depth = detectDepth();
  found_ = engine::detectStream(file, depth);
  known_ = task_.page;
  if (!known_ && p.sourceCodePage == CodePage::Auto &&
      found_.unmarkedUtf16 != CodePage::Auto) {
    // UTF-16 without a byte order mark: its zero bytes are text, in the
    // byte order detection read, as with a mark.
    found_.kind = engine::TextKind::Text;
    found_.page = found_.unmarkedUtf16;
  }
  if (!known_ && p.sourceCodePage != CodePage::Auto)
    known_ = p.sourceCodePage;
  // A file known to be UTF-16 is text, zero bytes and all; one opening
  // with a UTF-16 mark is no text in another page either.
  utf16_ =
      known_ ? engine::isUtf16Page(*known_) : engine::isUtf16Page(found_.page);
  if ((found_.kind == engine::TextKind::Binary && !utf16_) ||
      (known_ && !utf16_ && engine::isUtf16Page(found_.page))) {
    leftAsItWas(MessageId::NotText);
    return std::move(report_);
  }
  // The page of the text as each stage gets it: the known one, else what
  // detection chose (a page it did not choose is not known).
  start_ = known_;
  if (!start_ &&
      (depth == engine::DetectDepth::Page || found_.page != CodePage::Auto))
    start_ = found_.page;
  // What the file is in while nothing has changed it.
  report_.page = start_;
  filePage_ = task_.page ? task_.page : std::optional<CodePage>(found_.page);

  if (runStages(std::move(file), true) == StagesEnd::Reported)
    return std::move(report_);
  // Once more from the file's start, every stage where the plan puts it.
  errno = 0;
  if (!input_->seek(0)) {
    fail(firstRunning(), messageOf(MessageId::ReadError, errno),
         JobResult::ReadFailed);
    return std::move(report_);
  }
  runStages(engine::SliceStream(input_.get(), nullptr, original_.size,
                                plan_.sliceSize),
            false);
  return std::move(report_);
}

bool FileRun::moveRecodingLast(std::vector<Built> &built) const {
  for (std::size_t r = 0; r < built.size(); ++r) {
    const auto *recode = std::get_if<engine::RecodeState>(&built[r].engine);
    if (!recode)
      continue;
    if (!engine::isSingleBytePage(recode->source) ||
        recode->target != CodePage::Utf8)
      return false;
    const CodePage source = recode->source;
    // The stages after it, each settled anew on the single-byte text.
    std::vector<EngineState> before;
    for (std::size_t k = r + 1; k < built.size(); ++k) {
      const OperationCode op = plan_.operations[built[k].operation];
      if (!commutesWithUtf8Recoding(op, plan_.parameters, source))
        break;
      const StageInput in{plan_, source, !known_, true, false, nullptr, 0};
      StageSetup setup = stageOf(op).settle(op, in);
      if (setup.kind != StageKind::Runs)
        break;
      if (auto *lines = std::get_if<engine::OptimizeState>(&setup.engine))
        lines->line.limit = kLineLimitBeforeUtf8;
      if (auto *lines = std::get_if<engine::EmptyLineState>(&setup.engine))
        lines->line.limit = kLineLimitBeforeUtf8;
      before.push_back(std::move(setup.engine));
    }
    if (before.empty())
      return false;
    Built recoding = std::move(built[r]);
    for (std::size_t k = 0; k < before.size(); ++k) {
      built[r + k].operation = built[r + k + 1].operation;
      built[r + k].engine = std::move(before[k]);
    }
    built[r + before.size()] = std::move(recoding);
    return true;
  }
  return false;
}

FileRun::StagesEnd FileRun::runStages(engine::SliceStream file,
                                      bool mayReorder) {
  const RunParameters &p = plan_.parameters;
  const std::uint8_t *head = nullptr;
  std::size_t headSize = 0;
  errno = 0;
  if (!file.bytesAhead(head, headSize)) {
    fail(0, messageOf(MessageId::ReadError, errno), JobResult::ReadFailed);
    return StagesEnd::Reported;
  }
  stageOperations_.clear();
  std::optional<CodePage> page = start_;
  auto chain = std::make_unique<StageChain>(std::move(file));
  const std::size_t count = plan_.operations.size();
  // How each stage settled, and the page it hands on.
  struct Settled {
    StageKind kind = StageKind::LeftOut;
    std::optional<CodePage> after;
  };
  std::vector<Settled> settled(count);
  std::vector<Built> built;
  std::optional<std::size_t> readsOutput;
  bool readsFile = true;
  for (std::size_t i = 0; i < count; ++i) {
    const OperationCode op = plan_.operations[i];
    StageInput in{plan_,
                  page,
                  !known_,
                  i > 0,
                  readsFile,
                  readsFile ? head : nullptr,
                  readsFile ? headSize : 0,
                  readsFile ? &chain->file() : nullptr};
    if (op == OperationCode::Detect && i == 0)
      in.page = filePage_;
    StageSetup setup = stageOf(op).settle(op, in);
    JobReport &operation = report_.operations[i];
    if (op == OperationCode::Detect && i == 0 &&
        setup.message.id == MessageId::HasCoding) {
      // The file as it is: its line ends, its mark, its neighbour.
      if (!takeCensus(filePage_, operation)) {
        fail(i, messageOf(MessageId::ReadError, errno), JobResult::ReadFailed);
        return StagesEnd::Reported;
      }
      if (found_.ignoredMark == engine::BomKind::None)
        operation.mark = engine::bomKindOf(head, headSize);
      if (!known_) {
        operation.toldFrom = found_.neighbour;
        operation.neighbourNote = found_.note;
      }
    }
    operation.from = setup.from;
    operation.detected = setup.detected;
    operation.substituted = setup.substituted;
    operation.repairChain = setup.garbled;
    operation.excerptBefore = std::move(setup.excerptBefore);
    operation.excerptAfter = std::move(setup.excerptAfter);
    settled[i].kind = setup.kind;
    switch (setup.kind) {
    case StageKind::Fails:
      fail(i, setup.message, setup.result);
      return StagesEnd::Reported;
    case StageKind::LeftOut:
    case StageKind::Reports:
      operation.result = setup.result;
      operation.message = setup.message;
      if (setup.readsOutput)
        readsOutput = i;
      break;
    case StageKind::Runs:
      built.push_back({i, std::move(setup.engine)});
      readsFile = false;
      break;
    }
    settled[i].after = setup.pageAfter;
    page = setup.pageAfter;
  }
  if (built.empty()) {
    report_.page = page;
    settleResult();
    return StagesEnd::Reported;
  }
  const bool reordered = mayReorder && moveRecodingLast(built);
  // Where each operation's engine stands in the chain.
  std::vector<std::size_t> stageOfOperation(count, 0);
  for (Built &stage : built) {
    stageOfOperation[stage.operation] = chain->size();
    stageOperations_.push_back(stage.operation);
    chain->add(std::move(stage.engine));
  }

  // The chain, from one read of the file into one save at most.
  chain->zeroBytesAreText(utf16_);
  ResultSink sink(
      *input_, original_.size,
      [&](Message &why) -> std::unique_ptr<platform::SaveFile> {
        if (p.dryRun)
          return std::make_unique<DiscardedSave>();
        platform::SystemError error;
        auto save =
            input_->beginSave(original_,
                              platform::SaveRules{p.allowChown, p.backupSuffix,
                                                  task_.directoryFlush},
                              error);
        if (!save)
          why = messageOf(MessageId::NoTempFile, error.code);
        return save;
      },
      !p.dryRun);
  engine::DetectionEvidence evidence;
  if (readsOutput)
    sink.evidence = &evidence;
  chain->setOutput(sink);
  engine::StepResult stepped = engine::StepResult::Continue;
  while (stepped == engine::StepResult::Continue) {
    if (asks(control_)) {
      fail(0, Message(MessageId::Canceled), JobResult::Stop);
      return StagesEnd::Reported;
    }
    stepped = chain->step();
    const int now = percentOf(chain->file().processed, original_.size);
    // A run again in the plan's order goes on from where the first stood.
    if (now > percent_ && control_.progress)
      control_.progress(now);
    percent_ = std::max(percent_, now);
  }
  const std::size_t last = lastRunning();
  bool identical = false;
  if (stepped != engine::StepResult::Finished) {
    if (chainFailed(*chain, sink, reordered))
      return StagesEnd::Reported;
    // What this order wrote goes: the plan's order writes it all anew.
    if (platform::SaveFile *begun = sink.save())
      begun->abandon();
    return StagesEnd::InPlanOrder;
  }
  if (!sink.finish(identical)) {
    const Message &why = *sink.failure();
    fail(last, why,
         why.id == MessageId::ReadError ? JobResult::ReadFailed
                                        : JobResult::WriteFailed);
    return StagesEnd::Reported;
  }

  // What each stage did, and the page the text is in after it.
  std::optional<CodePage> after = start_;
  for (std::size_t i = 0; i < count; ++i) {
    const OperationCode op = plan_.operations[i];
    const StageRow &row = stageOf(op);
    JobReport &operation = report_.operations[i];
    if (settled[i].kind == StageKind::Runs) {
      const EngineState &state = chain->engine(stageOfOperation[i]);
      operation.result = JobResult::Done;
      operation.message = Message(MessageId::Converted);
      row.facts(state, operation);
      if (identical && operation.succeeded()) {
        operation.result = JobResult::Skipped;
        operation.message = Message(MessageId::Identical);
      }
      after = row.pageAfterRun(state, settled[i].after, after);
    } else if (settled[i].kind == StageKind::Reports && i > 0) {
      // Detection reports the page the stages before it left.
      std::optional<CodePage> seen = after;
      if (i == readsOutput)
        seen = evidence.result(true).page;
      StageInput in{plan_, seen, !known_, true, false, nullptr, 0};
      const StageSetup setup = row.settle(op, in);
      operation.result = setup.result;
      operation.message = setup.message;
      operation.from = setup.from;
      after = seen;
    } else {
      after = settled[i].after;
    }
  }
  if (!identical) {
    commit(chain, sink, last);
    if (report_.failed())
      return StagesEnd::Reported;
  }
  // A dry run changes nothing.
  report_.page = plan_.parameters.dryRun ? start_ : after;
  settleResult();
  return StagesEnd::Reported;
}

} // namespace

FileReport runFile(const FileTask &task, const FilePlan &plan,
                   const JobControl &control, platform::FileSystem &fs) {
  return FileRun(task, plan, control, fs).go();
}

std::string displayNameOf(const std::string &path) {
  const auto cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string backupPathOf(const std::string &reachedAs,
                         const std::string &kept) {
  for (std::size_t i = reachedAs.size(); i-- > 0;)
    if (platform::isPathSeparator(reachedAs[i]))
      return reachedAs.substr(0, i + 1) + kept;
  return kept;
}

} // namespace snpln::job
