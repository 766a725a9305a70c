#include "ui/preview_dialog.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QTextCursor>

#include <algorithm>
#include <utility>

#include "engine/detect_code_page.h"
#include "ui/byte_text.h"
#include "ui/byte_text_view.h"
#include "ui/code_page_text.h"
#include "ui/message_dialog.h"
#include "ui/save_prompt_dialog.h"
#include "ui/translation.h"

namespace snpln::ui {

namespace {

constexpr const char *kNotFound = "This file not found";
constexpr const char *kAccessError = "File access error";
constexpr const char *kTruncatedWarning =
    "On open this file was truncated. So be carefully !";
constexpr const char *kUnableToSave = "Unable to save file";

QString sizeStatus(const std::string &name, std::uint64_t size) {
  return uiText("File: ''%1'' , Filesize: %2 bytes")
      .arg(fromBytes(name), QString::number(size));
}

QString truncatedStatus(const std::string &name, std::uint64_t size,
                        std::size_t shown) {
  return uiText("File: ''%1'' , Filesize: %2 bytes , file you are see is "
                "truncated to %3 bytes buffer , so be CAREFULLY if you will "
                "save it on disk !")
      .arg(fromBytes(name), QString::number(size), QString::number(shown));
}

} // namespace

PreviewDialog::PreviewDialog(std::string fileName, QWidget *owner,
                             platform::FileSystem &fs, std::size_t capacity)
    : QDialog(owner), fileName_(std::move(fileName)), fs_(fs),
      capacity_(capacity) {
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
  if (QLineEdit *status = statusField())
    status->setReadOnly(true);
  // The fast view lies where the editor is, hidden until a large file.
  fastView_ = new ByteTextView(this);
  fastView_->setObjectName(QStringLiteral("fastView"));
  fastView_->setAccessibleName(uiText("File text"));
  fastView_->hide();
  fastView_->installEventFilter(this);
  if (QPlainTextEdit *text = view()) {
    fastView_->setGeometry(text->geometry());
    text->setFont(fastView_->font()); // both views show the text alike
  }
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

bool PreviewDialog::showsFastView() const {
  return fastView_ && !fastView_->isHidden();
}

QPlainTextEdit *PreviewDialog::view() const {
  return controls_.control<QPlainTextEdit>(kViewId);
}
QLineEdit *PreviewDialog::statusField() const {
  return controls_.control<QLineEdit>(kStatusId);
}
QPushButton *PreviewDialog::editButton() const {
  return controls_.control<QPushButton>(kEditId);
}
QPushButton *PreviewDialog::saveButton() const {
  return controls_.control<QPushButton>(kSaveId);
}

std::string PreviewDialog::viewBytes() const {
  if (showsFastView())
    return fastView_->bytes();
  return view() ? documentBytes(*view()->document(), codePage_) : std::string();
}

bool PreviewDialog::isModified() const {
  return view() && view()->document()->isModified();
}

job::DialogAnswer PreviewDialog::message(const char *line2) {
  MessageDialog box(fileName_, line2, isVisible() ? this : parentWidget());
  return box.run();
}

void PreviewDialog::setStatus(const QString &text) {
  if (QLineEdit *status = statusField()) {
    status->setText(text);
    status->setCursorPosition(0);
  }
}

bool PreviewDialog::openFile() {
  truncated_ = false;
  if (view())
    view()->setReadOnly(true);
  if (saveButton())
    saveButton()->setEnabled(false);
  if (editButton())
    editButton()->setEnabled(true);

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
  if (!input->status(opened_))
    return false;
  const platform::FileSize size = opened_.size;
  std::uint64_t wanted = size;
  if (capacity() < size) {
    wanted = capacity();
    truncated_ = true;
  }
  std::string bytes(static_cast<std::size_t>(wanted), '\0');
  std::size_t have = 0;
  constexpr std::size_t kChunk = 4u << 20;
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
  codePage_ = previewCodePage(
      engine::detectSample(reinterpret_cast<const std::uint8_t *>(bytes.data()),
                           sample, sample < bytes.size())
          .page);

  // The view cannot hold a zero byte: it shows what comes before the first
  // one, and the file counts as truncated there, so a save warns first.
  if (const std::size_t zero = bytes.find('\0'); zero != std::string::npos) {
    bytes.resize(zero);
    truncated_ = true;
  }
  if (bytes.size() < size)
    truncated_ = true; // the file was cut short while it was read
  if (truncated_)
    setStatus(truncatedStatus(fileName_, size, bytes.size()));
  else
    setStatus(sizeStatus(fileName_, size));
  const bool fast = bytes.size() >= fastViewThreshold_;
  if (QPlainTextEdit *text = view()) {
    setDocumentBytes(*text->document(), fast ? std::string() : bytes,
                     codePage_);
    text->setVisible(!fast);
  }
  fastView_->setBytes(fast ? std::move(bytes) : std::string(), codePage_);
  fastView_->setVisible(fast);
  if (auto *ok = controls_.control<QPushButton>(kIdOk))
    ok->setFocus();
  return true;
}

int PreviewDialog::run() {
  ended_ = false;
  if (!openFile())
    return 0;
  placeDialog(*this, dialogTemplate(kPreviewTemplate).placement,
              parentWidget());
  const int result = exec();
  return ended_ ? 0 : result;
}

void PreviewDialog::loadEditor() {
  if (!showsFastView())
    return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const std::string bytes = fastView_->takeBytes();
  fastView_->hide();
  if (QPlainTextEdit *text = view()) {
    setDocumentBytes(*text->document(), bytes, codePage_);
    text->show();
  }
  QApplication::restoreOverrideCursor();
}

void PreviewDialog::pressEdit() {
  loadEditor();
  if (view())
    view()->setReadOnly(false);
  if (saveButton())
    saveButton()->setEnabled(true);
  if (editButton())
    editButton()->setEnabled(false);
  if (view())
    view()->setFocus();
}

int PreviewDialog::saveText() {
  QPlainTextEdit *text = view();
  if (!isModified()) {
    if (text)
      text->setReadOnly(true);
    if (editButton())
      editButton()->setEnabled(true);
    return kSaveUnchanged;
  }
  // Nothing is changed before the answer, and nothing through the name.
  if (!fs_.status(fileName_)) {
    message(kAccessError);
    return kSaveNotDone;
  }
  if (truncated_)
    message(kTruncatedWarning);

  SavePromptDialog prompt(fileName_, this);
  const job::DialogAnswer answer = prompt.run();
  if (answer != job::DialogAnswer::Yes)
    return answer == job::DialogAnswer::No ? kSaveNotDone : kSaveCanceled;
  truncated_ = false;

  const std::string bytes = viewBytes();
  if (const int failed = writeBeside(bytes); failed != 0)
    return failed;
  setStatus(sizeStatus(fileName_, bytes.size()));
  if (text) {
    text->setReadOnly(true);
    text->document()->setModified(false);
  }
  if (saveButton())
    saveButton()->setEnabled(false);
  if (editButton())
    editButton()->setEnabled(true);
  return kSaveDone;
}

// The new content goes to a file of its own beside the old one and takes
// its place, with the file's mode and owner, only once it is whole on the
// disk and only while the file is still the version the preview read; any
// failure leaves the file as it was. 0 when it is in place; else the user
// has been told, the preview is ended, and the result is 7 (not begun) or 2
// (not written).
int PreviewDialog::writeBeside(const std::string &bytes) {
  // The file as it is now, locked against our runs while it is replaced; a
  // file another program changed since the preview read it is left alone.
  std::unique_ptr<platform::InputFile> input = fs_.openRead(fileName_);
  platform::SystemError why;
  std::unique_ptr<platform::SaveFile> output;
  bool busy = false;
  if (input) {
    busy = input->lock() == platform::LockOutcome::Busy;
    if (!busy)
      output = input->beginSave(opened_, platform::SaveRules{}, why);
  }
  if (busy) {
    message(kUnableToSave);
    endPreview(0);
    return kSaveCanceled;
  }
  if (!output) {
    message(kNotFound);
    endPreview(0);
    return kSaveNotDone;
  }
  std::size_t done = 0;
  bool ok = true;
  while (ok && done < bytes.size()) {
    std::size_t written = 0;
    ok = output->write(bytes.data() + done, bytes.size() - done, written) &&
         written == bytes.size() - done;
    done += written;
  }
  ok = ok && output->commit() == platform::SaveOutcome::Replaced;
  output.reset();
  input.reset();
  if (!ok) {
    message(kUnableToSave);
    endPreview(0);
    return kSaveCanceled;
  }
  // A second save replaces the version this one made.
  if (const auto now = fs_.status(fileName_))
    opened_ = *now;
  return 0;
}

void PreviewDialog::closePreview() {
  if (isModified()) {
    const int result = saveText();
    if (ended_)
      return;
    if (result == kSaveDone || result == kSaveNotDone)
      done(kIdOk);
    return;
  }
  done(kIdOk);
}

void PreviewDialog::reject() {
  if (!ended_)
    done(kIdCancel);
}

void PreviewDialog::endPreview(int result) {
  ended_ = true;
  done(result);
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
    } else {
      w->setGeometry(r.translated(dx, 0));
    }
  }
}

} // namespace snpln::ui
