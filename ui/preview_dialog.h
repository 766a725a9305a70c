// The file preview and editor (template 138, "SNPLN : File preview").
//
// run() reads the file into a read-only view, up to PreviewCapacity bytes
// and never past a zero byte, in the code page detection finds (Win when it
// finds none), one character per byte, with its line ends kept; a file shown
// short is marked truncated in the status field and warned about before a
// save. "&Edit" makes the view writable; "&Save" asks with the
// SavePromptDialog and writes the view's bytes beside the file, putting them
// in its place only when they are all on the disk, so a failed save leaves
// the file whole. "&OK" and Enter (anywhere, also while editing) save a
// changed text first; Ctrl+Enter breaks the line (CR LF); Esc closes at once
// without asking.
//
// A file of fastViewThreshold() bytes or more is shown in a ByteTextView,
// which opens tens of megabytes at once, and goes into the editor only when
// "&Edit" is pressed. While the file loads the wait cursor shows and the
// other windows keep painting. The window cannot be made smaller than its
// buttons need.
//
// run() answers 1 for OK, 2 for Esc, and 0 when the file could not be shown
// or a failed save ended the preview.
#pragma once

#include <QDialog>

#include <cstddef>
#include <string>

#include "engine/code_page.h"
#include "job/dialog_answer.h"
#include "platform/file_system.h"
#include "ui/control_ids.h"
#include "ui/dialog_builder.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace snpln::ui {

class ByteTextView;

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

  std::size_t capacity() const { return capacity_; }

  int run();

  // The three buttons.
  void pressEdit();
  int saveText();
  void closePreview();

  bool truncated() const { return truncated_; }
  engine::CodePage codePage() const { return codePage_; }
  // The view's text as the file's bytes.
  std::string viewBytes() const;
  bool isModified() const;

  // The editor; while the fast view shows the file it is hidden and empty.
  QPlainTextEdit *view() const;
  ByteTextView *fastView() const { return fastView_; }
  // Whether the fast view shows the file now.
  bool showsFastView() const;
  QLineEdit *statusField() const;
  QPushButton *editButton() const;
  QPushButton *saveButton() const;
  const DialogControls &controls() const { return controls_; }

public slots:
  // Esc and the close box: closed without asking.
  void reject() override;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

private:
  bool openFile();
  // Moves the text from the fast view into the editor.
  void loadEditor();
  void setStatus(const QString &text);
  void endPreview(int result);
  int writeBeside(const std::string &bytes);
  job::DialogAnswer message(const char *line2);

  std::string fileName_;
  platform::FileSystem &fs_;
  // The file as it was read: a save replaces only this very version (and
  // then the new one it made).
  platform::FileStatus opened_;
  std::size_t capacity_;
  DialogControls controls_;
  engine::CodePage codePage_ = engine::CodePage::Win;
  bool truncated_ = false;
  bool ended_ = false;
  QSize templateSize_;
  ByteTextView *fastView_ = nullptr;
  std::size_t fastViewThreshold_ = kDefaultFastViewThreshold;
};

} // namespace snpln::ui
