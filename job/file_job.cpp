#include "job/file_job.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <thread>
#include <utility>
#include <vector>

#include "engine/detect_code_page.h"
#include "engine/text_position.h"
#include "engine/typed_text.h"
#include "engine/utf16.h"

namespace snpln::job {

namespace {

bool isRecode(OperationCode op) {
  return (op >= OperationCode::RecodeToWin &&
          op <= OperationCode::RecodeToDos) ||
         op == OperationCode::RecodeToUtf8 ||
         op == OperationCode::RecodeToUtf16;
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
  bool setTimes(const platform::FileTime &,
                const platform::FileTime &) override {
    return true;
  }
  void abandon() override {}
};

// The system's reason for the call that has just failed: errno, which each
// failing call sets (0 when the failure was none of the system's).
int lastSystemError() { return errno; }

Message messageOf(MessageId id, int systemError = 0) {
  Message m;
  m.id = id;
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

} // namespace

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

FileJob::FileJob(JobRequest request, JobHost &host, platform::FileSystem &fs)
    : request_(std::move(request)), host_(host), fs_(fs) {}

FileJob::~FileJob() {
  // A job destroyed while it runs (its window went away) ends like a cancel,
  // without a message: the save is abandoned, the file stays as it was.
  closeFiles();
}

void FileJob::closeFiles() {
  stream_ = engine::SliceStream();
  input_.reset();
  temp_.reset();
}

void FileJob::endEarly(JobResult result) {
  closeFiles();
  result_ = result;
  report_.result = result;
  notePage();
}

void FileJob::notePage() {
  if (request_.notePage && pageNow_)
    request_.notePage(*pageNow_);
}

void FileJob::endEarly(JobResult result, const Message &message) {
  endUnshown(result, message);
  if (host_.showReport(report_) == DialogAnswer::Cancel) {
    result_ = JobResult::Stop;
    report_.result = JobResult::Stop;
  }
}

void FileJob::endUnshown(JobResult result, const Message &message) {
  endEarly(result);
  report_.result = result;
  report_.message = message;
  notePlace(message);
}

bool FileJob::start() {
  cancelRequested_ = false;
  waitingForLock_ = false;
  reopened_ = false;
  pageNow_.reset();
  if (request_.operation == OperationCode::Detect)
    request_.detectOnly = true;
  report_ = JobReport{};
  report_.operation = request_.operation;
  report_.path = request_.location.path();
  report_.dryRun = request_.dryRun;
  report_.lineEnd = request_.lineEnd;
  report_.bom = request_.bom;
  if (isRecode(request_.operation))
    report_.to = request_.targetCodePage;

  errno = 0;
  input_ = fs_.openRead(request_.location);
  if (!input_) {
    endEarly(JobResult::NotFound,
             messageOf(MessageId::NotFound, lastSystemError()));
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
    endEarly(JobResult::ReadFailed, messageOf(MessageId::ReadError));
    return false;
  }
  reopened_ = true;
  errno = 0;
  input_ = fs_.openRead(request_.location);
  if (!input_) {
    endEarly(JobResult::NotFound,
             messageOf(MessageId::NotFound, lastSystemError()));
    return false;
  }
  return takeLock();
}

bool FileJob::settle() {
  const OperationCode op = request_.operation;
  // The status of the open file: the version the new content is made from.
  errno = 0;
  if (!input_->status(original_)) {
    endEarly(JobResult::NotFound,
             messageOf(MessageId::NotFound, lastSystemError()));
    return false;
  }
  const platform::FileSize fileSize = original_.size;

  const bool detectOnly = request_.detectOnly;
  // The ends that leave the file as it was without failing are shown only
  // for the last file of a run and when detecting; their result is the
  // same either way.
  const bool informed = detectOnly || request_.lastJob;
  const auto leftAsItWas = [&](MessageId id) {
    if (informed)
      endEarly(JobResult::Skipped, messageOf(id));
    else
      endUnshown(JobResult::Skipped, messageOf(id));
  };
  // Every operation knows what the file holds before it writes a byte: a
  // zero byte in the sample makes it no text, and nothing touches it. The
  // stream reads the head once: detection looks at it, and the first
  // slices are cut from it.
  stream_ = engine::SliceStream(input_.get(), nullptr, fileSize, sliceSize_);
  const engine::DetectDepth depth = detectDepth();
  const engine::Detection found = engine::detectStream(stream_, depth);
  // The page the run already knows the file in: an earlier pass's, or the
  // one it was named in.
  std::optional<CodePage> known = request_.filePage;
  if (!known && request_.sourceCodePage != CodePage::Auto)
    known = request_.sourceCodePage;
  // A file known to be UTF-16 is text, zero bytes and all; one opening
  // with a UTF-16 mark is no text in another page either.
  utf16Source_ =
      known ? engine::isUtf16Page(*known) : engine::isUtf16Page(found.page);
  if ((found.kind == engine::TextKind::Binary && !utf16Source_) ||
      (known && !utf16Source_ && engine::isUtf16Page(found.page))) {
    leftAsItWas(MessageId::NotText);
    return false;
  }
  if (isRecode(op) || op == OperationCode::Detect) {
    autoDetected_ = request_.sourceCodePage == CodePage::Auto;
    report_.detected = autoDetected_ || detectOnly;
    if (autoDetected_ || detectOnly) {
      // A page an earlier pass settled holds: the text it was detected on
      // may since have changed case.
      request_.sourceCodePage = request_.filePage.value_or(found.page);
      if (request_.sourceCodePage == CodePage::Auto &&
          engine::isUtf16Page(request_.targetCodePage) && !detectOnly) {
        // ASCII alone is in every single-byte page, and UTF-16 is none of
        // them: the text is recoded all the same.
        request_.sourceCodePage = CodePage::Win;
      } else if (request_.sourceCodePage == CodePage::Auto) {
        // A text of ASCII alone is in every page, the target's too.
        if (isRecode(op))
          pageNow_ = request_.targetCodePage;
        leftAsItWas(MessageId::EnglishOnly);
        return false;
      }
      report_.from = request_.sourceCodePage;
      if (detectOnly) {
        pageNow_ = request_.sourceCodePage;
        Message coding = messageOf(MessageId::HasCoding);
        coding.page = request_.sourceCodePage;
        endEarly(JobResult::Done, coding);
        return false;
      }
    }
    bool sameCoding = request_.targetCodePage == request_.sourceCodePage;
    if (engine::isUtf16Page(request_.sourceCodePage)) {
      // Its byte order: the mark decides for utf16.
      const std::uint8_t *head = nullptr;
      std::size_t got = 0;
      if (!stream_.bytesAhead(head, got)) {
        endEarly(JobResult::ReadFailed, messageOf(MessageId::ReadError));
        return false;
      }
      request_.sourceCodePage =
          engine::utf16SourceOrder(request_.sourceCodePage, head, got);
      sameCoding = sameUtf16(head, got);
    }
    pageNow_ = request_.sourceCodePage;
    report_.from = request_.sourceCodePage;
    if (sameCoding) {
      leftAsItWas(MessageId::SameCoding);
      return false;
    }
  } else {
    // A page detection did not choose is not known.
    const CodePage page = textPage(found.page);
    if (known || depth == engine::DetectDepth::Page || page != CodePage::Auto)
      pageNow_ = page;
    if (pageNow_ && engine::isUtf16Page(*pageNow_) &&
        op != OperationCode::Bom) {
      // Case, strings, TABs, empty lines and line ends work on bytes of one
      // page or UTF-8: the file is to be recoded first.
      Message recodeFirst = messageOf(MessageId::RecodeFirst);
      recodeFirst.page = *pageNow_;
      endEarly(JobResult::ReadFailed, recodeFirst);
      return false;
    }
  }
  if (op == OperationCode::Bom) {
    if (const auto unchanged = bomUnchanged()) {
      if (*unchanged == MessageId::ReadError)
        endEarly(JobResult::ReadFailed, messageOf(MessageId::ReadError));
      else
        leftAsItWas(*unchanged);
      return false;
    }
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
    Message unfit = messageOf(MessageId::TypedTextUnfit);
    unfit.page = filePageOfText();
    unfit.character =
        engine::firstUnfitCharacter(request_.replaceText, unfit.page);
    endEarly(JobResult::ReadFailed, unfit);
    return false;
  }
  if (exclusion && request_.searchText.empty()) {
    // Nothing can match an empty text; the run refuses it before any job,
    // and a job given one leaves the file alone.
    fillSuccess();
    endUnshown(JobResult::Done, messageOf(MessageId::Converted));
    return false;
  }

  // A dry run writes nowhere: the new content is counted and dropped.
  platform::SystemError why;
  if (request_.dryRun)
    temp_ = std::make_unique<DiscardedSave>();
  else
    temp_ = input_->beginSave(original_,
                              platform::SaveRules{request_.allowChown,
                                                  request_.backupSuffix,
                                                  request_.directoryFlush},
                              why);
  if (!temp_) {
    // The file fails and the run goes on: in a directory its user may not
    // write, every file fails so.
    endEarly(JobResult::WriteFailed,
             messageOf(MessageId::NoTempFile, why.code));
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
  case OperationCode::RecodeToUtf16:
    engine_.emplace<engine::RecodeState>(
        request_.sourceCodePage, request_.targetCodePage, request_.substitute);
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
  case OperationCode::LineEnds:
    engine_.emplace<engine::LineEndState>(request_.lineEnd);
    break;
  case OperationCode::Bom:
    engine_.emplace<engine::BomState>(request_.bom);
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
    engine::StepResult operator()(engine::LineEndState &s) {
      return engine::lineEndSlice(stream, s);
    }
    engine::StepResult operator()(engine::BomState &s) {
      return engine::bomSlice(stream, s);
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
    abortJob(messageOf(MessageId::Canceled), JobResult::Stop);
    return;
  }
  if (waitingForLock_) {
    if (takeLock())
      settle();
    busy_ = false;
    return;
  }
  errno = 0;
  const engine::StepResult stepped = step();
  const int stepError = lastSystemError();
  if (stream_.zeroByteSeen && !utf16Source_ &&
      stepped != engine::StepResult::ReadFailed) {
    // A zero byte past the sample: the file is no text after all. The job
    // is given up and the file stays as it was.
    abortJob(messageOf(MessageId::NotText), JobResult::Skipped,
             request_.detectOnly || request_.lastJob);
    busy_ = false;
    return;
  }
  switch (stepped) {
  case engine::StepResult::Continue:
    host_.setProgress(percentOf(stream_.processed, stream_.fileSize));
    host_.drainTimerMessages();
    break;
  case engine::StepResult::Finished:
    finishJob();
    break;
  case engine::StepResult::ReadFailed:
    abortJob(messageOf(MessageId::ReadError, stepError), JobResult::ReadFailed);
    break;
  case engine::StepResult::WriteFailed:
    abortJob(messageOf(MessageId::WriteError, stepError),
             JobResult::WriteFailed);
    break;
  case engine::StepResult::LineTooLong: {
    Message tooLong = messageOf(MessageId::LineTooLong);
    tooLong.number = engine::kLineLimit;
    abortJob(tooLong, JobResult::ReadFailed);
    break;
  }
  case engine::StepResult::BadText:
    abortJob(badTextMessage(), JobResult::ReadFailed);
    break;
  }
  busy_ = false;
}

engine::DetectDepth FileJob::detectDepth() const {
  // A page the run already knows the file in is the one the job takes:
  // detection tells only text from binary data and UTF-16 (detecting
  // reports the known page, a page named for all files is detected).
  if (request_.filePage ||
      (request_.sourceCodePage != CodePage::Auto && !request_.detectOnly &&
       request_.operation != OperationCode::Detect))
    return engine::DetectDepth::Kind;
  if (request_.pageWantedLater)
    return engine::DetectDepth::Page;
  switch (request_.operation) {
  case OperationCode::DeleteEmpty:
  case OperationCode::LineEnds:
    return engine::DetectDepth::Kind;
  case OperationCode::Optimize:
    return engine::DetectDepth::Utf8;
  case OperationCode::Exclude:
  case OperationCode::Replace:
    // Bytes matched as they are: a UTF-8 file's by characters, a
    // single-byte file's whatever its page. Letters, cases and typed
    // characters need the page.
    if (request_.typedText == TypedText::Bytes && !request_.leftPartOfWord &&
        !request_.rightPartOfWord && !request_.caseInsensitive)
      return engine::DetectDepth::Utf8;
    return engine::DetectDepth::Page;
  default:
    return engine::DetectDepth::Page;
  }
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
  typedSubstituted_ = 0;
  auto replacement =
      engine::typedTextIn(request_.replaceText, page,
                          request_.substitute ? &typedSubstituted_ : nullptr);
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

// The line and column of a fault's offset and the character there, read
// again from the file's start (a failure's path only: the engines count
// neither lines nor characters). Nothing is added when the file cannot be
// read back to there.
void FileJob::placeFault(Message &fault, CodePage source) {
  // Lines and columns are counted in UTF-8 and single-byte text; a UTF-16
  // fault names its byte only.
  if (engine::isUtf16Page(source) || !input_ || !input_->seek(0))
    return;
  const engine::TextEncoding encoding = source == CodePage::Utf8
                                            ? engine::TextEncoding::Utf8
                                            : engine::TextEncoding::SingleByte;
  engine::TextPositionCounter counter(encoding);
  std::vector<std::uint8_t> block(engine::kSliceSize);
  std::uint64_t left = fault.number;
  while (left > 0) {
    std::size_t got = 0;
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
    if (!input_->read(block.data(), want, got) || got == 0)
      return;
    counter.feed(block.data(), got);
    left -= got;
  }
  fault.place = counter.position();
  if (fault.id != MessageId::Unrepresentable ||
      encoding != engine::TextEncoding::Utf8)
    return;
  std::uint8_t head[4];
  std::size_t have = 0;
  while (have < sizeof head) {
    std::size_t got = 0;
    if (!input_->read(head + have, sizeof head - have, got) || got == 0)
      break;
    have += got;
  }
  fault.character = engine::utf8CharacterAt(head, have);
}

// The report's place and character of a failure from its message.
void FileJob::notePlace(const Message &message) {
  // A failure at a place in the file names the place.
  if (message.id == MessageId::InvalidUtf8 ||
      message.id == MessageId::Unrepresentable ||
      message.id == MessageId::InvalidUtf16 ||
      message.id == MessageId::OddUtf16Length)
    report_.offset = message.number;
  if (message.place) {
    report_.line = message.place->line;
    report_.column = message.place->column;
  }
  report_.character = message.character;
}

Message FileJob::badTextMessage() {
  if (const auto *recode = std::get_if<engine::RecodeState>(&engine_)) {
    Message bad = messageOf(MessageId::InvalidUtf8);
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
  return messageOf(MessageId::ReadError);
}

void FileJob::fillSuccess() {
  if (const auto *state = std::get_if<engine::ExclusionState>(&engine_))
    report_.hits = state->hitCount;
  else if (const auto *lines = std::get_if<engine::EmptyLineState>(&engine_))
    report_.hits = lines->hitCount;
  else if (request_.operation == OperationCode::Exclude ||
           request_.operation == OperationCode::Replace)
    report_.hits = 0;
  if (const auto *recode = std::get_if<engine::RecodeState>(&engine_)) {
    report_.filled = recode->filled;
    report_.substituted = recode->substituted;
  } else {
    report_.substituted = typedSubstituted_;
  }
}

bool FileJob::sameUtf16(const std::uint8_t *head, std::size_t size) const {
  const CodePage from = request_.sourceCodePage;
  const CodePage to = request_.targetCodePage;
  if (!engine::isUtf16Page(to) ||
      engine::byteOrderOf(from) != engine::byteOrderOf(to))
    return false;
  // The same bytes would come out when the file has the mark the target
  // writes, or lacks it as the target does.
  const engine::BomKind mark = engine::bomKindOf(head, size);
  const bool marked = from == CodePage::Utf16Be
                          ? mark == engine::BomKind::Utf16Be
                          : mark == engine::BomKind::Utf16Le;
  return marked == (to == CodePage::Utf16);
}

std::optional<MessageId> FileJob::bomUnchanged() {
  // Text of ASCII alone is UTF-8 as well.
  const CodePage page = pageNow_.value_or(CodePage::Auto);
  if (page != CodePage::Utf8 && page != CodePage::Auto)
    return MessageId::NotUtf8;
  // The head the detection read: the stream holds it.
  const std::uint8_t *head = nullptr;
  std::size_t got = 0;
  if (!stream_.bytesAhead(head, got))
    return MessageId::ReadError;
  const bool has = engine::beginsWithBom(head, got);
  if (has && request_.bom == engine::BomChange::Add)
    return MessageId::BomPresent;
  if (!has && request_.bom == engine::BomChange::Remove)
    return MessageId::BomAbsent;
  return std::nullopt;
}

void FileJob::finishJob() {
  // The save puts the new content on the disk before it takes the file's
  // place in one exchange, and only while the file is still the version
  // that was read: a file another program changed meanwhile keeps its
  // change. The file stays open (and locked) until then.
  fillSuccess();
  // Kept times go on the new content first: nothing the commit does
  // changes them.
  errno = 0;
  if (request_.keepDate &&
      !temp_->setTimes(original_.accessed(), original_.modified())) {
    abortJob(messageOf(MessageId::DateNotKept, lastSystemError()),
             JobResult::WriteFailed);
    return;
  }
  errno = 0;
  host_.waitingForDisk(true);
  const platform::SaveOutcome outcome = temp_->commit();
  const int commitError = lastSystemError();
  if (outcome == platform::SaveOutcome::Replaced) {
    if (const std::string kept = temp_->backupName(); !kept.empty()) {
      const std::string reached = input_ ? input_->reachedPath() : "";
      report_.backup = backupPathOf(
          reached.empty() ? request_.location.path() : reached, kept);
    }
    unflushed_ = temp_->unflushedDirectory();
    if (!request_.dryRun)
      replacement_ = temp_->replacement();
    // Closed while the job still waits for the disk: the last close of
    // the file replaced frees its blocks, which may wait for the device.
    temp_.reset();
    input_.reset();
  }
  host_.waitingForDisk(false);
  switch (outcome) {
  case platform::SaveOutcome::Replaced:
    break;
  case platform::SaveOutcome::TargetChanged:
    abortJob(messageOf(MessageId::ReadError), JobResult::ReadFailed);
    return;
  case platform::SaveOutcome::WriteFailed:
    abortJob(messageOf(MessageId::WriteError, commitError),
             JobResult::WriteFailed);
    return;
  case platform::SaveOutcome::OwnerNotKept:
    abortJob(messageOf(MessageId::OwnerNotKept, commitError),
             JobResult::WriteFailed);
    return;
  case platform::SaveOutcome::AttributesNotKept:
    abortJob(messageOf(MessageId::AttributesNotKept, commitError),
             JobResult::WriteFailed);
    return;
  case platform::SaveOutcome::BackupNotKept:
    abortJob(messageOf(MessageId::BackupNotKept, commitError),
             JobResult::WriteFailed);
    return;
  }
  result_ = JobResult::Done;
  report_.result = JobResult::Done;
  report_.message = messageOf(MessageId::Converted);
  if (!request_.dryRun)
    pageNow_ = pageAfterSuccess();
  notePage();
  engine_ = std::monostate{};
  stream_ = engine::SliceStream();
  if (request_.lastJob) {
    // The run's closing message counts the hits of the whole pass.
    JobReport shown = report_;
    if (shown.hits)
      *shown.hits += request_.hitsBefore;
    host_.showReport(shown);
  }
  host_.drainTimerMessages();
}

void FileJob::abortJob(const Message &message, JobResult result, bool shown) {
  closeFiles();
  result_ = result;
  // The file is as it was.
  notePage();
  report_.result = result;
  report_.message = message;
  notePlace(message);
  engine_ = std::monostate{};
  stream_ = engine::SliceStream();
  if (shown)
    host_.showReport(report_);
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
