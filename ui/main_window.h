// The program's one window (template 102, "Snipline (SNPLN) v1.2", the
// version from snpln/version.h).
//
// It owns the file list, the selection of the twenty mode buttons and the
// two page choosers, the filter box and the status line, and routes every
// control: a mode button or a page chooser to the selection, DOIT to the
// batch run, BROWSE (files), FOLDER (a folder, for its whole tree), drops
// and CLEAR to the file list, FP to the preview of the one chosen name
// (never a directory; with Ungarble down, its text as repaired), COPY, F1 and
// "&About snpln..." (system menu on Windows, the window's context menu
// elsewhere) to the about box, EXIT and Esc to closing; the close box is
// EXIT. Enter presses the focused button and does nothing anywhere else.
// Its start-up loads the filter history and splits the command line into
// the file list; the history is stored when the window is destroyed. BROWSE
// and FOLDER open in the folder last chosen from, kept in the settings.
//
// The window may grow in both directions, never below its template size:
// every button keeps its place, the file-name field takes the width and the
// height, the filter box and the status line the width (keeping below the
// field). Its size and place (maximised or not) are kept in the settings
// when it closes and taken again when it opens. Every picture button has a
// tooltip that says what it does, and every one but the code-page buttons
// an Alt key; F1 opens the about box, Ctrl+O is BROWSE, Ctrl+Q is EXIT.
//
// The window is the batch run's host: the run's prompts and options open as
// modal windows over it (InputDialog, ExcludeOptionsDialog) before the run;
// the run itself goes on a RunThread with the jobs on workers (one per
// core unless the options say), its messages opening as MessageDialogs and
// one RunProgressWindow for the largest file in hand. During a run every
// control but EXIT is disabled (the progress window's CANCEL and Esc cancel
// the run); EXIT and the close box cancel it and close the window once the
// workers have stopped, each file whole. The prompt's answers go to the jobs as
// Windows-1251 bytes, the alphabet the letter functions work in; names and
// filters are in the local 8-bit encoding of file names.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "batch/batch_host.h"
#include "batch/file_list.h"
#include "batch/filter_history.h"
#include "batch/selection_state.h"
#include "platform/file_system.h"
#include "ui/dialog_builder.h"
#include "ui/job_clock.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;

namespace snpln::ui {

class PictureButton;
class RunThread;

// What BROWSE and FOLDER ask the file dialog for.
struct BrowseRequest {
  QString title;
  QString filter;      // files only
  QString startFolder; // empty: wherever the dialog likes
  bool folder = false; // one folder rather than files
};

// The file dialog of BROWSE and FOLDER: fills `paths` and answers true when
// something was chosen, false when it was cancelled or failed.
using MainWindowFileChooser = std::function<bool(
    QWidget *owner, const BrowseRequest &request, QStringList &paths)>;

// What tests and other hosts may put in place of the real thing.
struct MainWindowOptions {
  // The filter history's store; the user's QSettings when null.
  batch::SettingsStore *settings = nullptr;
  // The platform's file dialog when empty.
  MainWindowFileChooser chooseFiles;
  // The file system of jobs and the preview; the real one when null.
  platform::FileSystem *fileSystem = nullptr;
  // The clock the jobs' progress windows go by; JobClock::real() when null.
  // It is read on the run's workers too.
  JobClock *jobClock = nullptr;
  // How many jobs of a pass run at once; 0: one per core.
  int workers = 0;
  // How long a file runs before the run's progress window shows, in
  // milliseconds on the jobClock; negative: RunThread's default.
  int progressDelayMs = -1;
};

class MainWindow : public QDialog, public batch::BatchHost {
  Q_OBJECT

public:
  // The system command of the about item.
  static constexpr int kAboutCommand = 16;

  using FileChooser = MainWindowFileChooser;
  using Options = MainWindowOptions;

  // `commandLine` is the argument text of the process, unchanged.
  explicit MainWindow(std::string commandLine, Options options = {});
  ~MainWindow() override;

  // Opens the window centred, in front, and returns when it closes.
  int run();

  // The window's commands, as its controls and keys call them.
  void pressModeButton(batch::ModeButton button);
  // A page of the row's chooser taken (nullopt: its first line, "Other",
  // gives the choice up).
  void choosePage(batch::PageRow row, std::optional<engine::CodePage> page);
  void doIt();
  void browse();
  // Ctrl+O: BROWSE, while it is enabled.
  void browseByKey();
  void browseFolder();
  void dropNames(const std::vector<std::string> &names);
  void clearList();
  void openPreview();
  void openAbout();
  // A system command (its low four bits are ignored); true when handled.
  bool systemCommand(int id);
  // The context menu that offers what the system menu holds on Windows.
  std::unique_ptr<QMenu> makeAboutMenu();

  // The platform file dialog of BROWSE and FOLDER.
  static bool platformChooseFiles(QWidget *owner, const BrowseRequest &request,
                                  QStringList &paths);
  // The name of the setting that keeps the folder last chosen from.
  static constexpr const char *kFolderSetting = "browseFolder";
  // The name of the setting that keeps the window's size and place (and
  // whether it was maximised) from one start to the next.
  static constexpr const char *kGeometrySetting = "windowGeometry";
  // Where a control of the template at `templateRect` lies in a window
  // `dx` wider and `dy` taller than its template.
  static QRect grownGeometry(int id, const QRect &templateRect, int dx, int dy);

  // What the window shows.
  const batch::SelectionState &selection() const { return selection_; }
  const batch::FileListModel &fileListModel() const { return files_; }
  // The status line as the batch control wrote it.
  const batch::Status &statusLine() const { return statusLine_; }
  PictureButton *modeButton(batch::ModeButton button) const;
  // The chooser of the row's pages without a button: its first line
  // "Other", then a line per page (choosablePages(row)).
  QComboBox *pageChooser(batch::PageRow row) const;
  PictureButton *pictureButton(int id) const;
  QLabel *statusLabel() const;
  QPlainTextEdit *fileNameEdit() const;
  QComboBox *filterBox() const;
  QCheckBox *saveUpperBox() const;
  const DialogControls &controls() const { return controls_; }
  int aboutBoxesOpened() const { return aboutBoxesOpened_; }
  // The run going on, if any (its progress window, its cancel).
  RunThread *currentRun() const { return run_; }
  // EXIT: closes the window; during a run, cancels it and closes once it
  // has ended.
  void exit();
  // Esc: closes the window; during a run, cancels it.
  void reject() override;
  // Every close: the window's size and place are kept in the settings.
  void done(int result) override;

  // BatchHost.
  bool fileNameFieldEmpty() override;
  const std::vector<std::string> &fileList() override;
  void setStatusLine(const batch::Status &status) override;
  job::DialogAnswer prompt(batch::PromptKind kind,
                           std::string &answer) override;
  job::DialogAnswer excludeOptions(batch::WordOptions &options) override;
  job::DialogAnswer showMessage(batch::MessageKind kind,
                                const std::string &name,
                                const job::Message &message) override;
  job::TypedText typedText() const override {
    return job::TypedText::Characters;
  }
  batch::RunOutcome runPlan(batch::RunPlan &plan, platform::FileSystem &fs,
                            const batch::WalkHooks &walkHooks) override;
  std::string filterText() override;
  std::vector<std::string> &filterList() override;
  bool saveUpperChecked() override;
  void refresh() override;
  void fileStarted(const batch::FileStart &start) override;

protected:
  void contextMenuEvent(QContextMenuEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void dragEnterEvent(QDragEnterEvent *event) override;
  void dropEvent(QDropEvent *event) override;
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  // A new palette: the field of names takes its face again.
  void changeEvent(QEvent *event) override;
  // The close box: EXIT.
  void closeEvent(QCloseEvent *event) override;
#ifdef Q_OS_WIN
  bool nativeEvent(const QByteArray &eventType, void *message,
                   qintptr *result) override;
#endif

private:
  void startUp();
  // BROWSE and FOLDER.
  void choose(bool folder);
  void showFileList();
  void showFilters();
  void showPictures();
  // Each chooser shows its row's choice, or its first line.
  void showChosenPages();
  void setUpPageChoosers();
  void showFieldLook();
  // The status line in its label, shortened to fit with the file name kept.
  void showStatus(QLabel &label) const;
  bool isButtonBusy(batch::ModeButton button) const;
  // Disables every control but EXIT for a run, and gives each its state
  // (and the focus) back afterwards.
  void holdControls(bool hold);

  std::string commandLine_;
  Options options_;
  std::unique_ptr<batch::SettingsStore> ownSettings_;
  batch::SettingsStore *settings_ = nullptr;
  platform::FileSystem *fs_ = nullptr;

  batch::FileListModel files_;
  batch::SelectionState selection_;
  std::vector<std::string> filters_;
  // The filters the filter box lists now.
  std::optional<std::vector<std::string>> filtersShown_;
  batch::Status statusLine_;

  DialogControls controls_;
  std::array<PictureButton *, batch::kButtonCount> modeButtons_{};
  // Whether the selection has changed a button once: it then shows only the
  // picture of its state.
  std::array<bool, batch::kButtonCount> changed_{};
  int aboutBoxesOpened_ = 0;
  QSize templateSize_;
  RunThread *run_ = nullptr;
  bool closeAfterRun_ = false;
  std::vector<std::pair<QPointer<QWidget>, bool>> held_;
  QPointer<QWidget> focusBeforeRun_;
};

} // namespace snpln::ui
