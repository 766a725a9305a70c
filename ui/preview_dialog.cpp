#include "ui/preview_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPromise>
#include <QPushButton>
#include <QResizeEvent>
#include <QTextCursor>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "engine/detect_code_page.h"
#include "engine/utf16.h"
#include "i18n/texts.h"
#include "ui/byte_text.h"
#include "ui/byte_text_view.h"
#include "ui/code_page_text.h"
#include "ui/message_dialog.h"
#include "ui/save_prompt_dialog.h"
#include "ui/save_refused_dialog.h"
#include "ui/translation.h"

namespace snpln::ui {

namespace {

// A save not written, with the reason the system gave for the call that
// has just failed (errno, set by each failing call; 0 when the failure was
// none of the system's).
SaveFailure notWritten() { return SaveFailure{SaveRefusal::NotWritten, errno}; }

constexpr const char *kNotFound = "This file not found";
constexpr const char *kTruncatedWarning = QT_TRANSLATE_NOOP(
    "snpln", "On open this file was truncated. So be carefully !");
constexpr const char *kUnableToSave =
    QT_TRANSLATE_NOOP("snpln", "Unable to save file");
constexpr const char *kSaveAsTitle = QT_TRANSLATE_NOOP("snpln", "Save as ...");
constexpr const char *kLoading =
    QT_TRANSLATE_NOOP("snpln", "Loading the text into the editor: %1 %");
// In a context of its own: its Alt key must differ from "&OK"'s.
constexpr const char *kLoadingContext = "loading";
constexpr const char *kCancelLoad = QT_TRANSLATE_NOOP("loading", "&Cancel");
// Why a UTF-16 file can only be viewed.
constexpr const char *kUtf16NotWhole =
    QT_TRANSLATE_NOOP("snpln", "UTF-16 shown in part: it can only be viewed");
constexpr const char *kUtf16Broken = QT_TRANSLATE_NOOP(
    "snpln", "broken UTF-16 (a lone surrogate or an odd byte): it can only be "
             "viewed");

// While the repair works, and why its text may not be edited.
constexpr const char *kRepairing =
    QT_TRANSLATE_NOOP("snpln", "looking for garbled text ...");
constexpr const char *kRepairedOnly = QT_TRANSLATE_NOOP(
    "snpln", "the repaired text is only shown: DO IT writes it");

// How many pieces the worker may cut ahead of the editor.
constexpr int kPiecesAhead = 8;

// The status sentences; %1 is the file's name.
QString sizeStatus(platform::FileSize size, engine::CodePage page) {
  return uiText(QT_TRANSLATE_NOOP(
                    "snpln", "File: ''%1'' , Filesize: %2 bytes , coding %3"))
      .arg(QStringLiteral("%1"), QString::number(size),
           QString::fromUtf8(codePageDisplayName(page)));
}

QString truncatedStatus(platform::FileSize size, platform::FileSize shown,
                        engine::CodePage page) {
  return uiText(
             QT_TRANSLATE_NOOP(
                 "snpln",
                 "File: ''%1'' , Filesize: %2 bytes , coding %3 , file you "
                 "are see is truncated to %4 bytes buffer , so be CAREFULLY if "
                 "you will save it on disk !"))
      .arg(QStringLiteral("%1"), QString::number(size),
           QString::fromUtf8(codePageDisplayName(page)),
           QString::number(shown));
}

// Where the text of a label lies inside it.
QRect textRoom(const QLabel &label) {
  const int m = label.margin();
  return label.contentsRect().adjusted(m, m, -m, -m);
}

bool fitsIn(const QLabel &label, const QString &text) {
  const QRect room = textRoom(label);
  const QRect need =
      QFontMetrics(label.font())
          .boundingRect(room,
                        int(label.alignment()) |
                            (label.wordWrap() ? Qt::TextWordWrap : 0),
                        text);
  return need.width() <= room.width() && need.height() <= room.height();
}

constexpr std::size_t kChunk = 4u << 20;

} // namespace

PreviewDialog::PreviewDialog(std::string fileName, QWidget *owner,
                             platform::FileSystem &fs, std::size_t capacity)
    : QDialog(owner), fileName_(std::move(fileName)), fs_(fs),
      capacity_(capacity), chooseSaveAs_(&PreviewDialog::platformChooseSaveAs),
      loadPieceSize_(DocumentLoader::kDefaultPieceSize) {
  // The editor's load takes a piece whenever the event loop has nothing
  // else to do.
  loadTimer_ = new QTimer(this);
  loadTimer_->setInterval(0);
  connect(loadTimer_, &QTimer::timeout, this, [this] { stepLoad(); });
  // The worker's pieces: each one ready wakes the editor's load.
  piecesWatcher_ = new QFutureWatcher<std::shared_ptr<TextPiece>>(this);
  connect(piecesWatcher_,
          &QFutureWatcher<std::shared_ptr<TextPiece>>::resultsReadyAt, this,
          &PreviewDialog::piecesReady);
  connect(piecesWatcher_, &QFutureWatcher<std::shared_ptr<TextPiece>>::finished,
          this, &PreviewDialog::piecesReady);
  repairWatcher_ = new QFutureWatcher<job::RepairPreview>(this);
  connect(repairWatcher_, &QFutureWatcher<job::RepairPreview>::finished, this,
          [this] { finishRepair(); });
  controls_ = buildDialog(*this, dialogTemplate(kPreviewTemplate));
  templateSize_ = size();
  for (QWidget *w : controls_.all()) {
    w->setProperty("templateGeometry", w->geometry());
    w->installEventFilter(this);
  }
  if (auto *ok = controls_.control<QPushButton>(kIdOk))
    connect(ok, &QPushButton::clicked, this, &PreviewDialog::closePreview);
  if (QPushButton *edit = editButton()) {
    edit->setAutoDefault(false);
    connect(edit, &QPushButton::clicked, this, &PreviewDialog::pressEdit);
  }
  if (QPushButton *save = saveButton()) {
    save->setAutoDefault(false);
    connect(save, &QPushButton::clicked, this, [this] { saveText(); });
  }
  if (QPlainTextEdit *text = view()) {
    text->setReadOnly(true);
    text->setUndoRedoEnabled(true);
    keepLineEnds(*text->document());
  }
  // The fast view lies where the editor is, hidden until a large file.
  fastView_ = new ByteTextView(this);
  fastView_->setObjectName(QStringLiteral("fastView"));
  fastView_->setAccessibleName(uiText(QT_TRANSLATE_NOOP("snpln", "File text")));
  fastView_->hide();
  fastView_->installEventFilter(this);
  if (QPlainTextEdit *text = view()) {
    fastView_->setGeometry(text->geometry());
    text->setFont(fastView_->font()); // both views show the text alike
  }
  // A fixed-width font, also where a style sheet gives every widget a
  // font of its own: a widget's own sheet wins over every other.
  const QString fixed =
      QStringLiteral("font-family: \"%1\";")
          .arg(QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
  fastView_->setStyleSheet(fixed);
  if (QPlainTextEdit *text = view())
    text->setStyleSheet(fixed);
  // The loading line, where the status field is while the editor loads.
  loadLine_ = new QWidget(this);
  loadLine_->setObjectName(QStringLiteral("loadingLine"));
  auto *lineLayout = new QHBoxLayout(loadLine_);
  lineLayout->setContentsMargins(0, 0, 0, 0);
  loadLabel_ = new QLabel(loadLine_);
  loadLabel_->setTextFormat(Qt::PlainText);
  loadCancel_ =
      new QPushButton(uiText(kLoadingContext, kCancelLoad), loadLine_);
  // Enter presses it while it has the focus.
  loadCancel_->setAutoDefault(true);
  loadCancel_->setFocusPolicy(Qt::TabFocus);
  connect(loadCancel_, &QPushButton::clicked, this, &PreviewDialog::cancelLoad);
  lineLayout->addWidget(loadLabel_, 1);
  lineLayout->addWidget(loadCancel_);
  loadLine_->hide();
  if (QLabel *status = statusField())
    loadLine_->setGeometry(status->geometry());
  // The buttons keep to the right edge at their template heights: the
  // window keeps their column whole, and some of the text.
  int buttonsBottom = 0;
  for (const int id : {kIdOk, kEditId, kSaveId})
    if (QWidget *button = controls_.control(id))
      buttonsBottom = std::max(buttonsBottom, button->geometry().bottom() + 1);
  setMinimumSize(
      std::min(templateSize_.width(), controls_.units().toPixelsX(120)),
      std::min(templateSize_.height(), buttonsBottom + 2));
}

QString PreviewDialog::platformChooseSaveAs(QWidget *owner,
                                            const QString &title,
                                            const QString &suggested) {
  return QFileDialog::getSaveFileName(owner, title, suggested);
}

bool PreviewDialog::showsFastView() const {
  return fastView_ && !fastView_->isHidden();
}

QPlainTextEdit *PreviewDialog::view() const {
  return controls_.control<QPlainTextEdit>(kViewId);
}
QLabel *PreviewDialog::statusField() const {
  return controls_.control<QLabel>(kStatusId);
}
QPushButton *PreviewDialog::editButton() const {
  return controls_.control<QPushButton>(kEditId);
}
QPushButton *PreviewDialog::saveButton() const {
  return controls_.control<QPushButton>(kSaveId);
}

std::string PreviewDialog::viewBytes() const {
  std::string text;
  if (showsFastView())
    text = fastView_->bytes();
  else if (view())
    text = documentBytes(*view()->document(), viewPage_);
  // A UTF-16 file's text goes back to UTF-16.
  return utf16_ ? utf16FromView(text, *utf16_) : text;
}

bool PreviewDialog::isModified() const {
  return !loading() && view() && view()->document()->isModified();
}

job::DialogAnswer PreviewDialog::message(const char *line2) {
  MessageDialog box(fileName_, line2, isVisible() ? this : parentWidget());
  return box.run();
}

void PreviewDialog::setStatus(const QString &sentence) {
  statusSentence_ = sentence;
  statusText_ = sentence.arg(fromBytes(fileName_));
  fitStatus();
}

void PreviewDialog::fitStatus() {
  QLabel *status = statusField();
  if (!status)
    return;
  status->setToolTip(statusText_);
  if (fitsIn(*status, statusText_)) {
    status->setText(statusText_);
    return;
  }
  // The name gives way, from its middle, to the rest of the sentence: the
  // widest shortened name with which the whole sentence is seen.
  const QString name = fromBytes(fileName_);
  const QFontMetrics metrics(status->font());
  int low = 0;
  int high = metrics.horizontalAdvance(name);
  while (low < high) {
    const int middle = (low + high + 1) / 2;
    if (fitsIn(*status, statusSentence_.arg(
                            metrics.elidedText(name, Qt::ElideMiddle, middle))))
      low = middle;
    else
      high = middle - 1;
  }
  status->setText(
      statusSentence_.arg(metrics.elidedText(name, Qt::ElideMiddle, low)));
}

bool PreviewDialog::openFile() {
  std::unique_ptr<platform::InputFile> input = fs_.openRead(fileName_);
  if (!input) {
    message(kNotFound);
    return false;
  }
  // Loading may take a moment: the wait cursor shows, and the windows
  // behind keep painting between the chunks read.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const struct RestoreCursor {
    ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
  } restoreCursor;
  platform::FileStatus status;
  if (!input->status(status))
    return false;
  const platform::FileSize size = status.size;
  bool shortView = false;
  std::uint64_t wanted = size;
  if (capacity() < size) {
    wanted = capacity();
    shortView = true;
  }
  std::string bytes(static_cast<std::size_t>(wanted), '\0');
  std::size_t have = 0;
  while (have < bytes.size()) {
    std::size_t got = 0;
    if (!input->read(bytes.data() + have, std::min(kChunk, bytes.size() - have),
                     got))
      return false;
    if (got == 0)
      break;
    have += got;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  bytes.resize(have);
  input.reset();

  const std::size_t sample = std::min(bytes.size(), engine::kDetectSampleSize);
  const engine::CodePage page = previewCodePage(
      engine::detectSample(reinterpret_cast<const std::uint8_t *>(bytes.data()),
                           sample, sample < bytes.size())
          .page);

  // The repair works on the bytes as read, as a run's would.
  std::string repairInput = showRepaired_ ? bytes : std::string();

  // A UTF-16 file is shown as its text (in UTF-8) and saved back in its
  // own form; one that would not come back byte for byte is only shown.
  const bool utf16 = engine::isUtf16Page(page);
  std::optional<Utf16Form> form;
  const char *refusal = nullptr;
  if (utf16) {
    form = utf16FormOf(page, std::string_view(bytes).substr(0, 4));
    if (!utf16RoundTrips(bytes, *form))
      refusal = kUtf16Broken;
    bytes = engine::utf16AsUtf8(
        reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size(),
        form->order);
  }
  const engine::CodePage shown = utf16 ? engine::CodePage::Utf8 : page;

  // The view cannot hold a zero byte: it shows what comes before the first
  // one, and the file counts as truncated there, so a save warns first.
  if (const std::size_t zero = bytes.find('\0'); zero != std::string::npos) {
    bytes.resize(zero);
    shortView = true;
  }
  if (!utf16 && bytes.size() < size)
    shortView = true; // the file was cut short while it was read
  // The rest of a UTF-16 file cannot follow an edited part of it.
  if (utf16 && shortView && !refusal)
    refusal = kUtf16NotWhole;

  // Read whole: only now does the preview change, so a failed reload leaves
  // the text as it was.
  dropRepair();
  opened_ = status;
  // A whole UTF-16 file is saved whole from its text.
  shownLength_ = utf16 ? size : bytes.size();
  truncated_ = shortView;
  codePage_ = page;
  viewPage_ = shown;
  utf16_ = form;
  editRefusal_ = refusal;
  if (view())
    view()->setReadOnly(true);
  if (saveButton())
    saveButton()->setEnabled(false);
  if (editButton()) {
    editButton()->setEnabled(!refusal);
    editButton()->setToolTip(refusal ? uiText(refusal) : QString());
  }
  QString sentence = truncated_ ? truncatedStatus(size, bytes.size(), page)
                                : sizeStatus(size, page);
  if (refusal)
    sentence += QStringLiteral(" , ") + uiText(refusal);
  setStatus(sentence);
  showBytes(std::move(bytes), shown);
  if (auto *ok = controls_.control<QPushButton>(kIdOk))
    ok->setFocus();
  if (showRepaired_) {
    // The file shows as it is until the repair's text is ready; it is not
    // edited meanwhile.
    sentenceBeforeRepair_ = sentence;
    setStatus(sentence + QStringLiteral(" , ") + uiText(kRepairing));
    if (editButton())
      editButton()->setEnabled(false);
    repair_ = QtConcurrent::run(
        [input = std::move(repairInput)] { return job::previewRepair(input); });
    repairWatcher_->setFuture(repair_);
  }
  return true;
}

void PreviewDialog::showBytes(std::string bytes, engine::CodePage page) {
  const bool fast = bytes.size() >= fastViewThreshold_;
  if (QPlainTextEdit *text = view()) {
    setDocumentBytes(*text->document(), fast ? std::string() : bytes, page);
    text->setVisible(!fast);
  }
  fastView_->setBytes(fast ? std::move(bytes) : std::string(), page);
  fastView_->setVisible(fast);
}

void PreviewDialog::dropRepair() {
  if (repair_.isValid()) {
    repairWatcher_->setFuture(QFuture<job::RepairPreview>());
    repair_.waitForFinished();
    repair_ = QFuture<job::RepairPreview>();
  }
  repairShown_.reset();
}

bool PreviewDialog::finishRepair() {
  if (!repair_.isValid())
    return false;
  repair_.waitForFinished();
  job::RepairPreview result = repair_.result();
  repairWatcher_->setFuture(QFuture<job::RepairPreview>());
  repair_ = QFuture<job::RepairPreview>();
  const QString said = shown(i18n::repairPreviewText(result.report));
  if (result.repaired()) {
    // The text a run would write, in UTF-8; the view cannot hold a zero
    // byte.
    std::string text = std::move(result.text);
    if (const std::size_t zero = text.find('\0'); zero != std::string::npos)
      text.resize(zero);
    viewPage_ = engine::CodePage::Utf8;
    editRefusal_ = kRepairedOnly;
    showBytes(std::move(text), viewPage_);
  }
  if (editButton()) {
    editButton()->setEnabled(!editRefusal_);
    editButton()->setToolTip(editRefusal_ ? uiText(editRefusal_) : QString());
  }
  result.text.clear(); // the view has the text
  repairShown_ = std::move(result);
  setStatus(sentenceBeforeRepair_ + QStringLiteral(" , ") + said);
  return true;
}

int PreviewDialog::run() {
  if (!openFile())
    return 0;
  placeDialog(*this, dialogTemplate(kPreviewTemplate).placement,
              parentWidget());
  return exec();
}

void PreviewDialog::startLoad() {
  if (loading() || !view())
    return;
  // The fast view goes on showing the file until the editor has it whole.
  QApplication::setOverrideCursor(Qt::BusyCursor);
  if (editButton())
    editButton()->setEnabled(false);
  const std::string_view bytes = fastView_->bytes();
  loader_ = std::make_unique<DocumentLoader>(*view()->document(), bytes,
                                             viewPage_, loadPieceSize_);
  // The editor fills beneath the fast view: shown while still empty, it
  // lays out each piece as it comes, where showing it full would lay out
  // every line at once.
  view()->show();
  fastView_->raise();
  showLoading(0);
  if (loadStepsByHand_)
    return;
  // The pieces are cut on a worker; the fast view keeps the bytes until the
  // worker has ended (cancelLoad and the end of the load wait for it).
  nextPiece_ = 0;
  pieces_ =
      QtConcurrent::run([bytes, page = viewPage_, size = loadPieceSize_](
                            QPromise<std::shared_ptr<TextPiece>> &promise) {
        PieceCutter cutter(bytes, page, size);
        for (;;) {
          promise.suspendIfRequested();
          if (promise.isCanceled())
            return;
          auto piece = std::make_shared<TextPiece>();
          if (!cutter.next(*piece))
            return;
          promise.addResult(std::move(piece));
        }
      });
  piecesWatcher_->setFuture(pieces_);
}

void PreviewDialog::piecesReady() {
  if (!loader_ || loadStepsByHand_)
    return;
  // The worker waits while it is far enough ahead.
  if (pieces_.resultCount() - nextPiece_ >= kPiecesAhead &&
      !pieces_.isFinished())
    pieces_.suspend();
  if (!loadTimer_->isActive())
    loadTimer_->start();
}

bool PreviewDialog::stepLoad() {
  if (!loader_)
    return false;
  bool more = false;
  if (loadStepsByHand_ || !pieces_.isValid()) {
    more = loader_->step();
  } else if (nextPiece_ < pieces_.resultCount()) {
    std::shared_ptr<TextPiece> piece = pieces_.resultAt(nextPiece_++);
    more = loader_->add(*piece);
    *piece = TextPiece{}; // its text is the editor's now
    if (pieces_.isSuspending() || pieces_.isSuspended()) {
      if (pieces_.resultCount() - nextPiece_ <= kPiecesAhead / 2)
        pieces_.resume();
    }
  } else {
    // None ready: the watcher wakes the load with the next one.
    loadTimer_->stop();
    return true;
  }
  if (more) {
    showLoading(loadedPercent());
    return true;
  }
  loadTimer_->stop();
  if (pieces_.isValid()) {
    pieces_.resume();          // were it waiting ahead
    pieces_.waitForFinished(); // it reads the bytes no more
    piecesWatcher_->setFuture(QFuture<std::shared_ptr<TextPiece>>());
    pieces_ = QFuture<std::shared_ptr<TextPiece>>();
  }
  loader_.reset();
  showLoading(-1);
  fastView_->takeBytes();
  fastView_->hide();
  if (QPlainTextEdit *text = view())
    text->show();
  QApplication::restoreOverrideCursor();
  enterEditing();
  return false;
}

void PreviewDialog::cancelLoad() {
  if (!loader_)
    return;
  loadTimer_->stop();
  if (pieces_.isValid()) {
    pieces_.cancel();
    pieces_.resume(); // a worker waiting ahead sees the cancel
    pieces_.waitForFinished();
    piecesWatcher_->setFuture(QFuture<std::shared_ptr<TextPiece>>());
    pieces_ = QFuture<std::shared_ptr<TextPiece>>();
  }
  loader_.reset(); // the editor empty again
  showLoading(-1);
  if (QPlainTextEdit *text = view())
    text->hide();
  QApplication::restoreOverrideCursor();
  if (editButton()) {
    editButton()->setEnabled(true);
    editButton()->setFocus();
  }
}

int PreviewDialog::loadedPercent() const {
  if (!loader_ || loader_->size() == 0)
    return loader_ ? 0 : 100;
  return static_cast<int>(loader_->loaded() * 100 / loader_->size());
}

void PreviewDialog::showLoading(int percent) {
  QLabel *status = statusField();
  if (percent < 0) {
    loadLine_->hide();
    if (status)
      status->show();
    return;
  }
  loadLabel_->setText(uiText(kLoading).arg(percent));
  if (status) {
    loadLine_->setGeometry(status->geometry());
    status->hide();
  }
  loadLine_->show();
  loadLine_->raise();
}

void PreviewDialog::enterEditing() {
  if (view())
    view()->setReadOnly(false);
  if (saveButton())
    saveButton()->setEnabled(true);
  if (editButton())
    editButton()->setEnabled(false);
  if (view())
    view()->setFocus();
}

void PreviewDialog::pressEdit() {
  if (loading() || editRefusal_ || repairPending())
    return;
  if (showsFastView()) {
    startLoad();
    return;
  }
  enterEditing();
}

int PreviewDialog::saveText() {
  QPlainTextEdit *text = view();
  if (!isModified()) {
    if (text)
      text->setReadOnly(true);
    if (editButton())
      editButton()->setEnabled(!editRefusal_ && !repairPending());
    return kSaveUnchanged;
  }
  // Checked before asking, and nothing is changed before the answer: the
  // file must still be the very version the text came from.
  errno = 0;
  const std::optional<platform::FileStatus> now = fs_.status(fileName_);
  if (!now)
    return refused(SaveFailure{SaveRefusal::Gone, errno});
  if (!platform::sameVersion(opened_, *now))
    return refused(SaveFailure{SaveRefusal::ChangedElsewhere});
  // A file the user may not replace is refused before anything is asked;
  // one marked read-only is asked about as such.
  errno = 0;
  const platform::ReplaceCheck access = fs_.replaceAccess(fileName_);
  if (access.access == platform::ReplaceAccess::Denied)
    return refused(SaveFailure{SaveRefusal::NotWritten, access.systemError});
  if (truncated_)
    message(kTruncatedWarning);

  SavePromptDialog prompt(fileName_, this,
                          access.access == platform::ReplaceAccess::ReadOnly
                              ? SaveQuestion::ReadOnly
                              : SaveQuestion::Modified);
  const job::DialogAnswer answer = prompt.run();
  if (answer != job::DialogAnswer::Yes)
    return answer == job::DialogAnswer::No ? kSaveNotDone : kSaveCanceled;
  truncated_ = false;

  platform::FileSize written = 0;
  if (const std::optional<SaveFailure> why =
          writeTo(fileName_, opened_, written))
    return refused(*why);
  showSaved(written);
  return kSaveDone;
}

// The view's bytes, then the file's bytes after the part the view shows,
// read from the very version the preview read, go to a file of their own
// beside `target` and take its place, with its owner, mode and attributes,
// only once they are whole on the disk and only while `target` is still
// `version`; any failure leaves it as it was. Nothing when that is done.
std::optional<SaveFailure>
PreviewDialog::writeTo(const std::string &target,
                       const platform::FileStatus &version,
                       platform::FileSize &written) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const struct RestoreCursor {
    ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
  } restoreCursor;
  const bool toItself = target == fileName_;
  std::unique_ptr<platform::InputFile> rest;
  if (shownLength_ < opened_.size) {
    rest = fs_.openRead(fileName_);
    platform::FileStatus restVersion;
    if (!rest || !rest->status(restVersion) ||
        !platform::sameVersion(opened_, restVersion) ||
        !rest->seek(shownLength_)) {
      if (toItself)
        return SaveFailure{SaveRefusal::ChangedElsewhere};
      rest.reset(); // another file gets the text alone (saveAs warned)
    }
  }
  // The target as it is now, locked against our runs while it is replaced
  // (one that holds it is about to change it).
  errno = 0;
  std::unique_ptr<platform::InputFile> opened = fs_.openRead(target);
  if (!opened)
    return notWritten();
  if (opened->lock() == platform::LockOutcome::Busy)
    return SaveFailure{SaveRefusal::ChangedElsewhere};
  platform::SystemError why;
  std::unique_ptr<platform::SaveFile> output =
      opened->beginSave(version, platform::SaveRules{}, why);
  if (!output)
    return SaveFailure{SaveRefusal::NotWritten, why.code};
  auto put = [&output, &written](const char *from, std::size_t count) {
    errno = 0;
    std::size_t done = 0;
    while (done < count) {
      std::size_t took = 0;
      if (!output->write(from + done, count - done, took) ||
          took != count - done)
        return false;
      done += took;
    }
    written += count;
    return true;
  };
  written = 0;
  const std::string bytes = viewBytes();
  if (!put(bytes.data(), bytes.size()))
    return notWritten();
  if (rest) {
    std::string chunk(kChunk, '\0');
    for (;;) {
      std::size_t got = 0;
      errno = 0;
      if (!rest->read(chunk.data(), chunk.size(), got))
        return notWritten();
      if (got == 0)
        break;
      if (!put(chunk.data(), got))
        return notWritten();
    }
    // The rest must be the one the preview saw, to its last byte.
    if (written != bytes.size() + (opened_.size - shownLength_))
      return SaveFailure{toItself ? SaveRefusal::ChangedElsewhere
                                  : SaveRefusal::NotWritten};
  }
  errno = 0;
  switch (output->commit()) {
  case platform::SaveOutcome::Replaced:
    break;
  case platform::SaveOutcome::TargetChanged:
    return SaveFailure{SaveRefusal::ChangedElsewhere};
  case platform::SaveOutcome::WriteFailed:
  case platform::SaveOutcome::OwnerNotKept:
  case platform::SaveOutcome::AttributesNotKept:
  case platform::SaveOutcome::BackupNotKept:
    return notWritten();
  }
  shownLength_ = bytes.size();
  return std::nullopt;
}

// After a save: the file is the version just written, the view stands for
// its first shownLength_ bytes.
void PreviewDialog::showSaved(platform::FileSize written) {
  // A second save replaces the version this one made.
  if (const auto now = fs_.status(fileName_))
    opened_ = *now;
  else
    opened_.size = written;
  setStatus(shownLength_ < written
                ? truncatedStatus(written, shownLength_, codePage_)
                : sizeStatus(written, codePage_));
  if (QPlainTextEdit *text = view()) {
    text->setReadOnly(true);
    text->document()->setModified(false);
  }
  if (saveButton())
    saveButton()->setEnabled(false);
  if (editButton())
    editButton()->setEnabled(true);
}

int PreviewDialog::refused(SaveFailure why) {
  SaveRefusedDialog question(fileName_, why, this);
  switch (question.run()) {
  case SaveRefusedAnswer::Reload:
    openFile();
    return kSaveCanceled;
  case SaveRefusedAnswer::SaveAs:
    return saveAs() ? kSaveDone : kSaveCanceled;
  case SaveRefusedAnswer::KeepEditing:
    break;
  }
  return kSaveCanceled;
}

// The text, and the rest of the file when it is still the version read, go
// to a file the user names; the preview then shows that file.
bool PreviewDialog::saveAs() {
  const QString chosen =
      chooseSaveAs_(this, uiText(kSaveAsTitle), fromBytes(fileName_));
  if (chosen.isEmpty())
    return false;
  const QByteArray encoded = QFile::encodeName(chosen);
  const std::string target(encoded.constData(),
                           static_cast<std::size_t>(encoded.size()));
  if (shownLength_ < opened_.size) {
    const std::optional<platform::FileStatus> now = fs_.status(fileName_);
    if (!now || !platform::sameVersion(opened_, *now))
      message(kTruncatedWarning); // the rest cannot come along
  }
  // A new file starts empty, so that it is replaced like any other.
  bool created = false;
  std::optional<platform::FileStatus> version = fs_.status(target);
  if (!version) {
    QFile placeholder(chosen);
    created = placeholder.open(QIODevice::WriteOnly | QIODevice::NewOnly);
    placeholder.close();
    version = fs_.status(target);
  }
  platform::FileSize written = 0;
  std::optional<SaveFailure> why = SaveFailure{};
  if (version)
    why = writeTo(target, *version, written);
  if (why) {
    if (created)
      QFile::remove(chosen);
    MessageDialog box(target, kUnableToSave, this);
    box.run();
    return false;
  }
  fileName_ = target;
  showSaved(written);
  return true;
}

void PreviewDialog::closePreview() {
  if (isModified()) {
    const int result = saveText();
    if (result == kSaveDone || result == kSaveNotDone)
      done(kIdOk);
    return;
  }
  done(kIdOk);
}

void PreviewDialog::reject() {
  if (loading()) {
    cancelLoad();
    return;
  }
  done(kIdCancel);
}

void PreviewDialog::done(int result) {
  cancelLoad();
  QDialog::done(result);
}

PreviewDialog::~PreviewDialog() {
  cancelLoad();
  dropRepair();
}

void PreviewDialog::closeEvent(QCloseEvent *event) {
  if (!isVisible()) {
    event->accept();
    return;
  }
  event->ignore();
  closePreview();
}

bool PreviewDialog::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() != QEvent::KeyPress)
    return QDialog::eventFilter(watched, event);
  auto *key = static_cast<QKeyEvent *>(event);
  if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
    return QDialog::eventFilter(watched, event);
  QPlainTextEdit *text = view();
  if (key->modifiers() & Qt::ControlModifier) {
    // Ctrl+Enter breaks the line; the new break is CR LF.
    if (text && !text->isReadOnly() && watched == text)
      text->textCursor().insertBlock();
    return true;
  }
  closePreview();
  return true;
}

void PreviewDialog::resizeEvent(QResizeEvent *event) {
  QDialog::resizeEvent(event);
  if (templateSize_.isEmpty())
    return;
  // The view and the status field grow with the window; the buttons keep to
  // its right edge.
  const int dx = width() - templateSize_.width();
  const int dy = height() - templateSize_.height();
  for (QWidget *w : controls_.all()) {
    const QRect r = w->property("templateGeometry").toRect();
    const int id = w->property("controlId").toInt();
    if (id == kViewId) {
      w->setGeometry(r.adjusted(0, 0, dx, dy));
      if (fastView_)
        fastView_->setGeometry(w->geometry());
    } else if (id == kStatusId) {
      w->setGeometry(r.translated(0, dy).adjusted(0, 0, dx, 0));
      if (loadLine_)
        loadLine_->setGeometry(w->geometry());
      fitStatus();
    } else {
      w->setGeometry(r.translated(dx, 0));
    }
  }
}

} // namespace snpln::ui
