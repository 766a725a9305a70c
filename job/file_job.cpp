#include "job/file_job.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <thread>
#include <utility>

#include "engine/detect_code_page.h"
#include "engine/typed_text.h"
#include "job/messages.h"

namespace snpln::job {

namespace {

bool isRecode(OperationCode op) {
  return (op >= OperationCode::RecodeToWin &&
          op <= OperationCode::RecodeToDos) ||
         op == OperationCode::RecodeToUtf8;
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
  void abandon() override {}
};

int percentOf(platform::FileSize processed, platform::FileSize fileSize) {
  if (fileSize == 0 || processed >= fileSize)
    return 100;
  constexpr auto kMax = std::numeric_limits<platform::FileSize>::max();
  if (fileSize <= kMax / 100)
    return static_cast<int>(processed * 100 / fileSize);
  return static_cast<int>(processed / (fileSize / 100));
}

} // namespace

std::string displayNameOf(const std::string &path) {
  const auto cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

FileJob::FileJob(JobRequest request, JobHost &host, platform::FileSystem &fs)
    : request_(std::move(request)), host_(host), fs_(fs) {}

FileJob::~FileJob() {
  // A job destroyed while it runs (its window went away) ends like a cancel,
  // without a message: the save is abandoned, the file stays as it was.
  closeFiles();
}

DialogAnswer FileJob::message(const std::string &line1,
                              const std::string &line2) {
  return host_.showMessage(line1, line2);
}

void FileJob::closeFiles() {
  stream_ = engine::SliceStream();
  input_.reset();
  temp_.reset();
}

void FileJob::endEarly(JobResult result) {
  closeFiles();
  result_ = result;
  notePage();
}

void FileJob::notePage() {
  if (request_.notePage && pageNow_)
    request_.notePage(*pageNow_);
}

void FileJob::endEarly(JobResult result, const std::string &text) {
  endUnshown(result, text);
  if (message(request_.path, text) == DialogAnswer::Cancel)
    result_ = JobResult::Stop;
}

void FileJob::endUnshown(JobResult result, const std::string &text) {
  endEarly(result);
  report_ = text;
}

bool FileJob::start() {
  cancelRequested_ = false;
  waitingForLock_ = false;
  reopened_ = false;
  report_.clear();
  pageNow_.reset();
  if (request_.operation == OperationCode::Detect)
    request_.detectOnly = true;

  input_ = fs_.openRead(request_.location());
  if (!input_) {
    endEarly(JobResult::NotFound, messages::kNotFound);
    return false;
  }
  // Only a job that may write takes the lock: readers see one whole
  // version of the file whatever a writer does, as it is replaced by a
  // rename.
  if (!request_.detectOnly && !request_.dryRun && !takeLock())
    return !ended();
  return settle();
}

bool FileJob::takeLock() {
  if (input_->lock() == platform::LockOutcome::Busy) {
    waitingForLock_ = true;
    return false;
  }
  waitingForLock_ = false;
  if (input_->stillNamed())
    return true;
  // The run that held the lock has replaced the file meanwhile: its new
  // version is the one to work on.
  if (reopened_) {
    endEarly(JobResult::ReadFailed, messages::kReadError);
    return false;
  }
  reopened_ = true;
  input_ = fs_.openRead(request_.location());
  if (!input_) {
    endEarly(JobResult::NotFound, messages::kNotFound);
    return false;
  }
  return takeLock();
}

bool FileJob::settle() {
  const OperationCode op = request_.operation;
  // The status of the open file: the version the new content is made from.
  if (!input_->status(original_)) {
    endEarly(JobResult::NotFound, messages::kNotFound);
    return false;
  }
  const platform::FileSize fileSize = original_.size;

  const bool detectOnly = request_.detectOnly;
  // The ends that leave the file as it was without failing are shown only
  // for the last file of a run and when detecting; their result is the
  // same either way.
  const bool informed = detectOnly || request_.lastJob;
  const auto leftAsItWas = [&](const std::string &text) {
    if (informed)
      endEarly(JobResult::Skipped, text);
    else
      endUnshown(JobResult::Skipped, text);
  };
  // Every operation knows what the file holds before it writes a byte: a
  // zero byte in the sample makes it no text, and nothing touches it. The
  // stream reads the head once: detection looks at it, and the first
  // slices are cut from it.
  stream_ = engine::SliceStream(input_.get(), nullptr, fileSize, sliceSize_);
  const engine::Detection found = engine::detectStream(stream_);
  if (found.kind == engine::TextKind::Binary) {
    leftAsItWas(messages::kNotText);
    return false;
  }
  if (isRecode(op) || op == OperationCode::Detect) {
    autoDetected_ = request_.sourceCodePage == CodePage::Auto;
    if (autoDetected_ || detectOnly) {
      // A page an earlier pass settled holds: the text it was detected on
      // may since have changed case.
      request_.sourceCodePage = request_.filePage.value_or(found.page);
      if (request_.sourceCodePage == CodePage::Auto) {
        // A text of ASCII alone is in every page, the target's too.
        if (isRecode(op))
          pageNow_ = request_.targetCodePage;
        leftAsItWas(messages::kEnglishOnly);
        return false;
      }
      if (detectOnly) {
        pageNow_ = request_.sourceCodePage;
        endEarly(JobResult::Done,
                 messages::detectionReport(request_.sourceCodePage));
        return false;
      }
    }
    pageNow_ = request_.sourceCodePage;
    if (request_.targetCodePage == request_.sourceCodePage) {
      leftAsItWas(messages::kSameCoding);
      return false;
    }
  } else {
    pageNow_ = textPage(found.page);
  }
  // The operations on characters work on the page's letters; a UTF-8 file's
  // characters are cut from its bytes.
  const CodePage page = pageNow_.value_or(CodePage::Auto);
  engine::TextEncoding &encoding = textEncoding_;
  encoding = page == CodePage::Utf8 ? engine::TextEncoding::Utf8
                                    : engine::TextEncoding::SingleByte;
  const CodePage letters =
      engine::isSingleBytePage(page) ? page : CodePage::Auto;

  const bool exclusion =
      op == OperationCode::Exclude || op == OperationCode::Replace;
  typedAsCharacters_ = request_.typedText == TypedText::Characters;
  if (exclusion && !textsInFilePage()) {
    endEarly(JobResult::ReadFailed, messages::typedTextUnfit(filePageOfText()));
    return false;
  }
  if (exclusion && request_.searchText.empty()) {
    // Nothing can match an empty text; the run refuses it before any job,
    // and a job given one leaves the file alone.
    std::string line1, line2;
    successLines(line1, line2);
    endUnshown(JobResult::Done, successReport(line1, line2));
    return false;
  }

  // A dry run writes nowhere: the new content is counted and dropped.
  platform::SystemError why;
  if (request_.dryRun)
    temp_ = std::make_unique<DiscardedSave>();
  else
    temp_ = input_->beginSave(original_,
                              platform::SaveRules{request_.allowChown}, why);
  if (!temp_) {
    // The file fails and the run goes on: in a directory its user may not
    // write, every file fails so.
    endEarly(JobResult::WriteFailed, messages::noTempFile(why.text));
    return false;
  }

  stream_.temp = temp_.get();
  switch (op) {
  case OperationCode::UpperCase:
  case OperationCode::LowerCase:
  case OperationCode::SmartCase:
    engine_.emplace<engine::CaseState>(caseOperationOf(op), request_.saveUpper,
                                       encoding, letters);
    break;
  case OperationCode::RecodeToWin:
  case OperationCode::RecodeToKoi:
  case OperationCode::RecodeToIso:
  case OperationCode::RecodeToDos:
  case OperationCode::RecodeToUtf8:
    engine_.emplace<engine::RecodeState>(request_.sourceCodePage,
                                         request_.targetCodePage);
    break;
  case OperationCode::Exclude:
  case OperationCode::Replace:
    engine_.emplace<engine::ExclusionState>(
        request_.searchText, request_.replaceText,
        engine::ExclusionOptions{request_.leftPartOfWord,
                                 request_.rightPartOfWord,
                                 request_.caseInsensitive},
        encoding, letters);
    break;
  case OperationCode::Optimize:
    engine_.emplace<engine::OptimizeState>(request_.tabSize, encoding);
    break;
  case OperationCode::DeleteEmpty:
    engine_.emplace<engine::EmptyLineState>();
    break;
  case OperationCode::Detect:
    break;
  }
  busy_ = false;
  return true;
}

engine::StepResult FileJob::step() {
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
  };
  return std::visit(Dispatch{stream_}, engine_);
}

void FileJob::tick() {
  if (ended() || busy_)
    return;
  busy_ = true;
  if (cancelRequested_) {
    cancelRequested_ = false;
    abortJob(messages::kCanceled, JobResult::Stop);
    return;
  }
  if (waitingForLock_) {
    if (takeLock())
      settle();
    busy_ = false;
    return;
  }
  const engine::StepResult stepped = step();
  if (stream_.zeroByteSeen && stepped != engine::StepResult::ReadFailed) {
    // A zero byte past the sample: the file is no text after all. The job
    // is given up and the file stays as it was.
    abortJob(messages::kNotText, JobResult::Skipped,
             request_.detectOnly || request_.lastJob);
    busy_ = false;
    return;
  }
  switch (stepped) {
  case engine::StepResult::Continue:
    host_.setProgress(percentOf(stream_.processed, stream_.fileSize));
    host_.drainTimerMessages();
    break;
  case engine::StepResult::Finished: {
    std::string line1, line2;
    successLines(line1, line2);
    report_ = successReport(line1, line2);
    finishJob(line1, line2);
    break;
  }
  case engine::StepResult::ReadFailed:
    abortJob(messages::kReadError, JobResult::ReadFailed);
    break;
  case engine::StepResult::WriteFailed:
    abortJob(messages::kWriteError, JobResult::WriteFailed);
    break;
  case engine::StepResult::LineTooLong:
    abortJob(messages::lineTooLong(engine::kLineLimit), JobResult::ReadFailed);
    break;
  case engine::StepResult::BadText:
    abortJob(badTextMessage(), JobResult::ReadFailed);
    break;
  }
  busy_ = false;
}

CodePage FileJob::textPage(CodePage detected) const {
  if (request_.filePage)
    return *request_.filePage;
  if (request_.sourceCodePage != CodePage::Auto)
    return request_.sourceCodePage;
  // Detection has read as far as the text decides (past a head of ASCII
  // alone, to the first bytes above 0x7F).
  return detected;
}

engine::CodePage FileJob::filePageOfText() const {
  // A file of ASCII alone takes typed text as Windows-1251, as before.
  const CodePage page = pageNow_.value_or(CodePage::Auto);
  return page == CodePage::Auto ? CodePage::Win : page;
}

bool FileJob::textsInFilePage() {
  if (request_.typedText != TypedText::Characters)
    return true;
  const CodePage page = filePageOfText();
  auto search = engine::typedTextIn(request_.searchText, page);
  auto replacement = engine::typedTextIn(request_.replaceText, page);
  if (!replacement)
    return false;
  // A text to find that the file cannot hold is in it nowhere: a search
  // for it finds nothing (a text that cannot be in it either).
  request_.searchText = search ? *search : std::string();
  request_.replaceText = *replacement;
  request_.typedText = TypedText::Bytes;
  return true;
}

std::optional<CodePage> FileJob::pageAfterSuccess() const {
  if (isRecode(request_.operation))
    return request_.targetCodePage;
  const auto *exclusion = std::get_if<engine::ExclusionState>(&engine_);
  if (exclusion && pageNow_ == CodePage::Auto && exclusion->hitCount > 0) {
    const std::string &text = exclusion->replaceText;
    const bool high = std::any_of(text.begin(), text.end(), [](char c) {
      return static_cast<unsigned char>(c) >= 0x80;
    });
    // Typed characters went in as Windows-1251; bytes as they were given,
    // in a page nobody knows.
    if (high)
      return typedAsCharacters_ ? std::optional(CodePage::Win) : std::nullopt;
  }
  return pageNow_;
}

std::string FileJob::badTextMessage() const {
  if (const auto *recode = std::get_if<engine::RecodeState>(&engine_)) {
    if (recode->fault == engine::RecodeFault::Unrepresentable)
      return messages::unrepresentable(recode->faultOffset, recode->target);
    return messages::invalidUtf8(recode->faultOffset);
  }
  return messages::kReadError;
}

void FileJob::successLines(std::string &line1, std::string &line2) const {
  const OperationCode op = request_.operation;
  line1 = messages::kConverted;
  switch (op) {
  case OperationCode::UpperCase:
    line2 = messages::kWithUpperCase;
    break;
  case OperationCode::LowerCase:
    line2 = messages::kWithLowerCase;
    break;
  case OperationCode::SmartCase:
    line2 = messages::kWithSmartCase;
    break;
  case OperationCode::RecodeToWin:
  case OperationCode::RecodeToKoi:
  case OperationCode::RecodeToIso:
  case OperationCode::RecodeToDos:
  case OperationCode::RecodeToUtf8:
    line2 =
        messages::recodeSourcePiece(request_.sourceCodePage, autoDetected_) +
        messages::recodeTargetPiece(op);
    break;
  case OperationCode::Exclude:
  case OperationCode::Replace: {
    const auto *state = std::get_if<engine::ExclusionState>(&engine_);
    const std::uint64_t hits = state ? state->hitCount : 0;
    line1 = messages::kExcluded;
    line2 = op == OperationCode::Exclude
                ? messages::kNumberOfHits + std::to_string(hits)
                : std::string(messages::kReplaced) + messages::kNrOfHits +
                      std::to_string(hits);
    break;
  }
  case OperationCode::Optimize:
    line1 = messages::kOptimized;
    line2.clear();
    break;
  case OperationCode::DeleteEmpty: {
    line1 = messages::kDeletedEmpty;
    const auto *state = std::get_if<engine::EmptyLineState>(&engine_);
    line2 =
        messages::kNumberOfHits + std::to_string(state ? state->hitCount : 0);
    break;
  }
  case OperationCode::Detect:
    line2.clear();
    break;
  }
}

std::string FileJob::successReport(const std::string &line1,
                                   const std::string &line2) const {
  const OperationCode op = request_.operation;
  const std::string head =
      request_.dryRun ? std::string(messages::kWouldBeConverted) : line1;
  if (isRecode(op)) {
    // The page the file was read in, also when detection found it.
    std::string source =
        messages::recodeSourcePiece(request_.sourceCodePage, false);
    if (!source.empty() && source.back() == ' ')
      source.pop_back();
    std::string report = head + ' ' + source + messages::recodeTargetPiece(op);
    const auto *recode = std::get_if<engine::RecodeState>(&engine_);
    if (recode && recode->filled > 0)
      report += "; " + messages::noEquivalent(recode->filled);
    return report;
  }
  if (line2.empty())
    return head;
  const bool counted =
      op == OperationCode::Exclude || op == OperationCode::DeleteEmpty;
  if (counted && head.back() != ',')
    return head + ", " + line2;
  return head + ' ' + line2;
}

void FileJob::finishJob(const std::string &line1, const std::string &line2) {
  // The save puts the new content on the disk before it takes the file's
  // place in one exchange, and only while the file is still the version
  // that was read: a file another program changed meanwhile keeps its
  // change. The file stays open (and locked) until then.
  const platform::SaveOutcome outcome = temp_->commit();
  switch (outcome) {
  case platform::SaveOutcome::Replaced:
    break;
  case platform::SaveOutcome::TargetChanged:
    abortJob(messages::kReadError, JobResult::ReadFailed);
    return;
  case platform::SaveOutcome::WriteFailed:
    abortJob(messages::kWriteError, JobResult::WriteFailed);
    return;
  case platform::SaveOutcome::OwnerNotKept:
    abortJob(messages::kOwnerNotKept, JobResult::WriteFailed);
    return;
  case platform::SaveOutcome::AttributesNotKept:
    abortJob(messages::kAttributesNotKept, JobResult::WriteFailed);
    return;
  }
  temp_.reset();
  input_.reset();
  result_ = JobResult::Done;
  if (!request_.dryRun)
    pageNow_ = pageAfterSuccess();
  notePage();
  engine_ = std::monostate{};
  stream_ = engine::SliceStream();
  if (request_.lastJob) {
    if (request_.dryRun)
      message(request_.path, report_);
    else
      message(line1, line2);
  }
  host_.drainTimerMessages();
}

void FileJob::abortJob(const std::string &text, JobResult result, bool shown) {
  closeFiles();
  result_ = result;
  // The file is as it was.
  notePage();
  report_ = text;
  engine_ = std::monostate{};
  stream_ = engine::SliceStream();
  if (shown)
    message(request_.path, text);
  host_.drainTimerMessages();
}

JobResult FileJob::run() {
  if (!start())
    return result();
  while (!ended()) {
    if (waitingForLock_)
      std::this_thread::sleep_for(kLockRetry);
    tick();
  }
  return result();
}

} // namespace snpln::job
