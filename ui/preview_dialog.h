// The file preview and editor (template 138, "SNPLN : File preview").
//
// run() reads the file into a read-only view, up to PreviewCapacity bytes
// and never past a zero byte, in the code page detection finds (Win when it
// finds none), one character per byte, with its line ends kept. The status
// field names the file, its size and the code page shown, wraps, and when
// the whole sentence cannot be seen loses the middle of the name first (the
// whole sentence is its tip); a file shown short is marked truncated there
// and warned about before a save. A UTF-16 file is shown as its text and
// may be edited like any other, and is saved back in its byte order with
// the byte order mark it had; one that would not come back byte for byte
// (a lone surrogate, an odd length) or is not shown whole can only be
// viewed, and the status field says why. The views keep a fixed-width
// font, also under a style sheet that sets the font of every widget.
//
// "&Edit" makes the view writable; "&Save" checks that the file is still
// the version that was read and that it may be replaced (a file the user
// may not write is refused before anything is asked), asks with the
// SavePromptDialog (for a file marked read-only: "This file is read-only.
// Save anyway?") and writes the view's bytes beside the file, followed by
// the part of the file the view did not show, unchanged, putting them in
// its place only when they are all on the disk, so a failed save leaves
// the file whole (a read-only file stays marked read-only). A save that cannot
// be done (the file changed or gone, a write that fails) never loses the text:
// the SaveRefusedDialog says why, and the editor stays open with the text
// after "&Keep editing", after "Save &as..." (the text, with the rest of the
// file, goes to another file, which the preview then shows) and until
// "&Reload" replaces it with the file as it is now.
//
// "&OK", Enter (anywhere, also while editing) and the close box save a
// changed text first; Ctrl+Enter breaks the line (CR LF); Esc closes at once
// without asking.
//
// A file of fastViewThreshold() bytes or more is shown in a ByteTextView,
// which opens tens of megabytes at once, and goes into the editor only when
// "&Edit" is pressed: a worker of Qt's thread pool decodes the text piece
// by piece (QtConcurrent, a few pieces ahead at most), and the editor takes
// a piece per turn of the event loop, so the window stays live. Meanwhile
// a loading line stands where the status field was, with the share loaded
// ("Loading the text into the editor: 42 %") and "&Cancel", and the busy
// cursor shows. "&Cancel" and Esc give the load up and leave the preview
// as it was; "&OK", Enter and the close box close the preview at once,
// nothing having been typed. While the file is read the wait cursor shows
// and the other windows keep painting. The window cannot be made smaller
// than its buttons need.
//
// With the repair asked for (setShowRepaired, the window's Ungarble mode),
// the text is repaired in memory on a worker of Qt's thread pool once it
// is read, the file shown as it is meanwhile; then the view shows the text
// a run would write, read-only, and the status field names the chain
// undone ("shown repaired, not saved: UTF-8 read as Windows-1251"), or
// says why the run would leave the file as it was. Nothing is saved.
//
// run() answers 1 for OK, 2 for Esc, and 0 when the file could not be shown.
#pragma once

#include <QDialog>
#include <QFuture>
#include <QFutureWatcher>
#include <QString>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/code_page.h"
#include "job/dialog_answer.h"
#include "job/repair_preview.h"
#include "platform/file_system.h"
#include "ui/code_page_text.h"
#include "ui/control_ids.h"
#include "ui/dialog_builder.h"
#include "ui/save_refused_dialog.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace snpln::ui {

class ByteTextView;

// The file dialog of "Save &as...": the chosen path, or an empty one when
// the user cancelled. It asks before it names a file that exists.
using SaveAsChooser = std::function<QString(
    QWidget *owner, const QString &title, const QString &suggested)>;

class PreviewDialog : public QDialog {
  Q_OBJECT

public:
  static constexpr int kSaveId = ids::kPreviewSave;
  static constexpr int kEditId = ids::kPreviewEdit;
  static constexpr int kViewId = ids::kPreviewView;
  static constexpr int kStatusId = ids::kPreviewStatus;

  // saveText() results.
  static constexpr int kSaveUnchanged = 1;
  static constexpr int kSaveCanceled = 2;
  static constexpr int kSaveDone = 6;
  static constexpr int kSaveNotDone = 7;

  // PreviewCapacity: the most bytes the view takes from a file.
  static constexpr std::size_t kDefaultCapacity = 32u << 20;
  // Files this large and larger are shown in the fast view first.
  static constexpr std::size_t kDefaultFastViewThreshold = 1u << 20;
  std::size_t fastViewThreshold() const { return fastViewThreshold_; }
  void setFastViewThreshold(std::size_t bytes) { fastViewThreshold_ = bytes; }

  explicit PreviewDialog(std::string fileName, QWidget *owner = nullptr,
                         platform::FileSystem &fs = platform::realFileSystem(),
                         std::size_t capacity = kDefaultCapacity);

  ~PreviewDialog() override;

  std::size_t capacity() const { return capacity_; }

  // The editor being filled from the fast view ("&Edit" on a large file).
  bool loading() const { return loader_ != nullptr; }
  // Bytes per piece of that load.
  void setLoadPieceSize(std::size_t bytes) { loadPieceSize_ = bytes; }
  // Tests step the load themselves: it then goes on only by stepLoad(),
  // on this thread.
  void setLoadStepsByHand(bool byHand) { loadStepsByHand_ = byHand; }
  // The load's next piece, where one is ready; false once there is no
  // load (it has ended, and the editor has the text).
  bool stepLoad();
  // Gives the load up: the fast view shows the file as before.
  void cancelLoad();
  // The loading line ("&Cancel" in it), shown while the editor loads.
  QWidget *loadingLine() const { return loadLine_; }
  QLabel *loadingLabel() const { return loadLabel_; }
  QPushButton *loadingCancel() const { return loadCancel_; }
  // The share of the text in the editor, in per cent.
  int loadedPercent() const;

  // The platform's save dialog when not set.
  void setSaveAsChooser(SaveAsChooser chooser) {
    chooseSaveAs_ = std::move(chooser);
  }
  static QString platformChooseSaveAs(QWidget *owner, const QString &title,
                                      const QString &suggested);

  // Shows the text as the repair would write it (before run()).
  void setShowRepaired(bool repaired) { showRepaired_ = repaired; }
  // The repair is still working on the text.
  bool repairPending() const { return repair_.isValid(); }
  // Waits for the repair's worker and shows its result; false when none
  // was pending.
  bool finishRepair();
  // The repair's result once shown.
  const std::optional<job::RepairPreview> &repairShown() const {
    return repairShown_;
  }

  int run();

  // The three buttons.
  void pressEdit();
  int saveText();
  void closePreview();

  // The file shown: the one given, or the one "Save &as..." wrote.
  const std::string &fileName() const { return fileName_; }
  bool truncated() const { return truncated_; }
  engine::CodePage codePage() const { return codePage_; }
  // Why "&Edit" is off for this file (English), or nullptr when it may be
  // edited.
  const char *editRefusal() const { return editRefusal_; }
  // The view's text as the file's bytes.
  std::string viewBytes() const;
  bool isModified() const;
  // How many bytes from the file's start the view stands for; the file's
  // bytes after them are kept by a save.
  platform::FileSize shownLength() const { return shownLength_; }
  // The whole status sentence; the field may show it with a shorter name.
  QString statusText() const { return statusText_; }

  // The editor; while the fast view shows the file it is hidden and empty.
  QPlainTextEdit *view() const;
  ByteTextView *fastView() const { return fastView_; }
  // Whether the fast view shows the file now.
  bool showsFastView() const;
  QLabel *statusField() const;
  QPushButton *editButton() const;
  QPushButton *saveButton() const;
  const DialogControls &controls() const { return controls_; }

public slots:
  // Esc: closed without asking (during a load: the load given up).
  void reject() override;
  // Every end of the window gives a load up first.
  void done(int result) override;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  // The close box: as "&OK", so a changed text is offered for saving.
  void closeEvent(QCloseEvent *event) override;

private:
  bool openFile();
  // Gives up the repair's result, waiting for its worker.
  void dropRepair();
  // The view shows `bytes` in `page`, in the fast view when they are many.
  void showBytes(std::string bytes, engine::CodePage page);
  // Begins moving the text from the fast view into the editor.
  void startLoad();
  // The loading line shown at `percent`, or hidden (negative).
  void showLoading(int percent);
  // A piece is ready: the editor takes it on the next turn.
  void piecesReady();
  // The editing state: the editor writable, "&Save" enabled.
  void enterEditing();
  // The status from a sentence whose %1 is the file's name.
  void setStatus(const QString &sentence);
  void fitStatus();
  void showSaved(platform::FileSize written);
  // Where the new content goes: the file itself (its version as read) or a
  // file chosen by "Save &as...".
  std::optional<SaveFailure> writeTo(const std::string &target,
                                     const platform::FileStatus &version,
                                     platform::FileSize &written);
  // The refused save's question and what follows it; the result of
  // saveText().
  int refused(SaveFailure why);
  bool saveAs();
  job::DialogAnswer message(const char *line2);

  std::string fileName_;
  platform::FileSystem &fs_;
  // The file as it was read: a save replaces only this very version (and
  // then the new one it made).
  platform::FileStatus opened_;
  platform::FileSize shownLength_ = 0;
  std::size_t capacity_;
  DialogControls controls_;
  engine::CodePage codePage_ = engine::CodePage::Win;
  // The page of the views' bytes: the file's, UTF-8 for a UTF-16 file.
  engine::CodePage viewPage_ = engine::CodePage::Win;
  std::optional<Utf16Form> utf16_;
  const char *editRefusal_ = nullptr;
  bool truncated_ = false;
  QString statusSentence_;
  QString statusText_;
  QSize templateSize_;
  ByteTextView *fastView_ = nullptr;
  std::size_t fastViewThreshold_ = kDefaultFastViewThreshold;
  SaveAsChooser chooseSaveAs_;
  std::unique_ptr<DocumentLoader> loader_;
  QTimer *loadTimer_ = nullptr;
  std::size_t loadPieceSize_;
  bool loadStepsByHand_ = false;
  // The pieces the worker cuts, and the next one the editor takes.
  QFuture<std::shared_ptr<TextPiece>> pieces_;
  QFutureWatcher<std::shared_ptr<TextPiece>> *piecesWatcher_ = nullptr;
  int nextPiece_ = 0;
  // The repair: asked for, its worker, its result, and the status before
  // it.
  bool showRepaired_ = false;
  QFuture<job::RepairPreview> repair_;
  QFutureWatcher<job::RepairPreview> *repairWatcher_ = nullptr;
  std::optional<job::RepairPreview> repairShown_;
  QString sentenceBeforeRepair_;
  QWidget *loadLine_ = nullptr;
  QLabel *loadLabel_ = nullptr;
  QPushButton *loadCancel_ = nullptr;
};

} // namespace snpln::ui
