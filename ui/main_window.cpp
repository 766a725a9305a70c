#include "ui/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QUrl>

#include <algorithm>
#include <string_view>
#include <utility>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "batch/batch_texts.h"
#include "batch/run_batch.h"
#include "ui/about_dialog.h"
#include "ui/byte_text.h"
#include "ui/code_page_text.h"
#include "ui/control_ids.h"
#include "ui/elide_text.h"
#include "ui/exclude_options_dialog.h"
#include "ui/input_dialog.h"
#include "ui/message_dialog.h"
#include "ui/picture_button.h"
#include "ui/pictures.h"
#include "ui/preview_dialog.h"
#include "ui/run_thread.h"
#include "ui/settings_store.h"
#include "ui/translation.h"

namespace snpln::ui {

namespace {

using namespace batch;

constexpr const char *kAboutItem =
    QT_TRANSLATE_NOOP("snpln", "&About snpln...");
constexpr const char *kFolderTitle =
    QT_TRANSLATE_NOOP("snpln", "Choose folder ...");
// The file-open dialog of BROWSE.
constexpr const char *kBrowseTitle =
    QT_TRANSLATE_NOOP("snpln", "Choose file ...");
constexpr const char *kBrowseFilter =
    "All Files (*.*)|*.*||Text files (*.txt)|*.xlc|";
// The dialog's filter list ends at its double bar: only the first pair,
// whose name is read in the windows' language.
constexpr const char *kBrowseFilterName =
    QT_TRANSLATE_NOOP("snpln", "All Files (*.*)");
static_assert(std::string_view(kBrowseFilter).starts_with(kBrowseFilterName),
              "the first filter's name");

// The choosers of the pages without a button: their first line, and for
// each row its screen-reader name (its underlined letter the chooser's Alt
// key) and its tip.
constexpr const char *kOtherPage = QT_TRANSLATE_NOOP("snpln", "Other");
struct PageChooserText {
  batch::PageRow row;
  const char *name;
  const char *tip;
};
constexpr PageChooserText kPageChoosers[] = {
    {batch::PageRow::Source,
     QT_TRANSLATE_NOOP("snpln", "Other page to recode fro&m"),
     QT_TRANSLATE_NOOP("snpln", "the source is the page chosen here")},
    {batch::PageRow::Target,
     QT_TRANSLATE_NOOP("snpln", "Other page to recode i&nto"),
     QT_TRANSLATE_NOOP("snpln", "recode to the page chosen here")},
};

// A page's short name in a chooser.
QString shortPageName(engine::CodePage page) {
  switch (page) {
  case engine::CodePage::Mac:
    return QStringLiteral("MAC");
  case engine::CodePage::KoiU:
    return QStringLiteral("KOI8-U");
  case engine::CodePage::Cp1125:
    return QStringLiteral("CP1125");
  default:
    return QString::fromUtf8(codePageDisplayName(page));
  }
}

std::string nameBytes(const QString &path) {
  const QByteArray bytes = QFile::encodeName(path);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

MainWindow::MainWindow(std::string commandLine, Options options)
    : QDialog(nullptr), commandLine_(std::move(commandLine)),
      options_(std::move(options)) {
  settings_ = options_.settings;
  if (!settings_) {
    ownSettings_ = std::make_unique<QtSettingsStore>();
    settings_ = ownSettings_.get();
  }
  fs_ = options_.fileSystem ? options_.fileSystem : &platform::realFileSystem();
  if (!options_.chooseFiles)
    options_.chooseFiles = &MainWindow::platformChooseFiles;
  startUp();
}

MainWindow::~MainWindow() {
  // The filter history outlives the window.
  storeFilters(*settings_, filters_);
}

void MainWindow::startUp() {
  // 1. The dialog itself, its controls in template (tab) order.
  controls_ = buildDialog(*this, dialogTemplate(kMainTemplate));
  // The program's main window: a window of its own kind (so Qt gives it
  // -qwindowgeometry), which may be minimised and maximised.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
  // Larger, never smaller: the buttons keep their places and the fields
  // take the room (resizeEvent).
  templateSize_ = size();
  setMinimumSize(templateSize_);
  for (QWidget *w : controls_.all())
    w->setProperty("templateGeometry", w->geometry());
  // Group boxes frame the buttons but never take their presses.
  for (QWidget *w : controls_.all())
    if (auto *box = qobject_cast<QGroupBox *>(w)) {
      box->setAttribute(Qt::WA_TransparentForMouseEvents);
      box->lower();
    }
  // No button is the default, and none becomes it by taking the focus:
  // Enter presses the button that has the focus (DOIT at start) and nothing
  // else (keyPressEvent).
  for (QWidget *w : controls_.all())
    if (auto *button = qobject_cast<QPushButton *>(w)) {
      button->setAutoDefault(false);
      button->setDefault(false);
    }

    // 2. The about item: the system menu on Windows (nativeEvent), the
    // context menu elsewhere (contextMenuEvent).
#ifdef Q_OS_WIN
  if (HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE)) {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kAboutCommand, L"&About snpln...");
  }
#endif
  // 3. The icon, large and small.
  setWindowIcon(programIcon());

  // 4. The filter history.
  filters_ = loadFilters(*settings_);
  if (QComboBox *box = filterBox()) {
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setDuplicatesEnabled(true);
  }
  showFilters();
  if (QComboBox *box = filterBox())
    box->setEditText(QString());

  // 5. and 6. The selection (a new one has every button up) and the 27
  // picture buttons.
  selection_.isButtonBusy = [this](ModeButton button) {
    return isButtonBusy(button);
  };
  for (const ModeButton mode : allModeButtons()) {
    modeButtons_[indexOf(mode)] = pictureButton(modeButtonId(mode));
    if (PictureButton *button = modeButtons_[indexOf(mode)])
      connect(button, &QPushButton::clicked, this,
              [this, mode] { pressModeButton(mode); });
  }
  // The To and From rows share their pictures; their accessible names and
  // tips say which row a button is in.
  for (const engine::CodePage page :
       {engine::CodePage::Win, engine::CodePage::Koi, engine::CodePage::Iso,
        engine::CodePage::Dos, engine::CodePage::Utf8}) {
    struct Row {
      std::optional<ModeButton> mode;
      const char *name;
      const char *tip;
    };
    const Row rows[] = {{batch::targetButton(page),
                         QT_TRANSLATE_NOOP("snpln", "Recode to %1"),
                         QT_TRANSLATE_NOOP("snpln", "recode to %1")},
                        {batch::sourceButton(page),
                         QT_TRANSLATE_NOOP("snpln", "Source coding %1"),
                         QT_TRANSLATE_NOOP("snpln", "the source is %1")}};
    for (const Row &row : rows)
      if (PictureButton *button = row.mode ? modeButton(*row.mode) : nullptr) {
        const QString coding = uiText(pictureDescription(button->caption()));
        button->setAccessibleName(uiText(row.name).arg(coding));
        button->setToolTip(
            PictureButton::tipText(coding, uiText(row.tip).arg(coding)));
      }
  }
  setUpPageChoosers();
  const std::pair<int, void (MainWindow::*)()> commands[] = {
      {ids::kDoIt, &MainWindow::doIt},
      {ids::kBrowse, &MainWindow::browse},
      {ids::kFolder, &MainWindow::browseFolder},
      {ids::kClear, &MainWindow::clearList},
      {ids::kPreview, &MainWindow::openPreview},
      {ids::kCopy, &MainWindow::openAbout},
      {ids::kExit, &MainWindow::exit},
  };
  for (const auto &[id, slot] : commands)
    if (PictureButton *button = pictureButton(id))
      connect(button, &QPushButton::clicked, this, slot);
  // F1 the about box, Ctrl+O BROWSE, Ctrl+Q EXIT.
  const std::pair<QKeySequence, void (MainWindow::*)()> keys[] = {
      {QKeySequence(Qt::Key_F1), &MainWindow::openAbout},
      {QKeySequence(Qt::CTRL | Qt::Key_O), &MainWindow::browseByKey},
      {QKeySequence(Qt::CTRL | Qt::Key_Q), &MainWindow::exit},
  };
  for (const auto &[key, slot] : keys) {
    auto *shortcut = new QShortcut(key, this);
    connect(shortcut, &QShortcut::activated, this, slot);
  }

  // 7. "Sa&ve upper" waits for SCASE.
  if (QCheckBox *box = saveUpperBox())
    box->setEnabled(false);

  // 8. to 12. The file list from the command line, the status line, the
  // file-name field (read-only) and FP.
  files_.startUp(commandLine_);
  if (QPlainTextEdit *field = fileNameEdit()) {
    // The names wrap where the field ends; it shows a scroll bar only when
    // they need more lines than it has, and one line fits its template
    // height.
    field->setReadOnly(true);
    field->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    field->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    field->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    field->document()->setDocumentMargin(1);
    showFieldLook();
  }
  showFileList();

  // 13. Dropped files.
  setAcceptDrops(true);

  // 14. DOIT, the first control, has the focus.
  if (PictureButton *doit = pictureButton(ids::kDoIt))
    doit->setFocus();
}

void MainWindow::setUpPageChoosers() {
  for (const PageChooserText &text : kPageChoosers) {
    QComboBox *box = pageChooser(text.row);
    if (!box)
      continue;
    box->addItem(uiText(kOtherPage));
    for (const engine::CodePage page : choosablePages(text.row)) {
      // Short in the box, as the buttons name theirs; the tip and the
      // screen reader name the page in full.
      const QString name = QString::fromUtf8(codePageDisplayName(page));
      box->addItem(shortPageName(page), static_cast<int>(page));
      box->setItemData(box->count() - 1, name, Qt::ToolTipRole);
      box->setItemData(box->count() - 1, name, Qt::AccessibleTextRole);
    }
    const QString name = uiText(text.name);
    QString plain = name;
    plain.remove(QLatin1Char('&'));
    box->setAccessibleName(plain);
    box->setToolTip(PictureButton::tipText(name, uiText(text.tip)));
    const PageRow row = text.row;
    connect(box, &QComboBox::activated, this, [this, box, row](int index) {
      const QVariant page = box->itemData(index);
      choosePage(
          row, page.isValid()
                   ? std::optional(static_cast<engine::CodePage>(page.toInt()))
                   : std::nullopt);
    });
    // Alt and the underlined letter of its name open the list.
    if (const QKeySequence key = QKeySequence::mnemonic(name); !key.isEmpty()) {
      auto *shortcut = new QShortcut(key, this);
      connect(shortcut, &QShortcut::activated, this, [box] {
        if (!box->isEnabled())
          return;
        box->setFocus(Qt::ShortcutFocusReason);
        box->showPopup();
      });
    }
  }
}

int MainWindow::run() {
  // Where it was last closed, at the size it had; else centred.
  const QByteArray geometry = QByteArray::fromBase64(
      QByteArray::fromStdString(settings_->read(kGeometrySetting)));
  if (geometry.isEmpty() || !restoreGeometry(geometry))
    placeDialog(*this, Placement::CentreOnScreen, nullptr);
  show();
  raise();
  activateWindow();
  return exec();
}

PictureButton *MainWindow::pictureButton(int id) const {
  return controls_.control<PictureButton>(id);
}
PictureButton *MainWindow::modeButton(ModeButton button) const {
  return indexOf(button) < modeButtons_.size() ? modeButtons_[indexOf(button)]
                                               : nullptr;
}
QComboBox *MainWindow::pageChooser(PageRow row) const {
  return controls_.control<QComboBox>(
      row == PageRow::Source ? ids::kSourcePages : ids::kTargetPages);
}
QLabel *MainWindow::statusLabel() const {
  return controls_.control<QLabel>(ids::kStatus);
}
QPlainTextEdit *MainWindow::fileNameEdit() const {
  return controls_.control<QPlainTextEdit>(ids::kFileName);
}
QComboBox *MainWindow::filterBox() const {
  return controls_.control<QComboBox>(ids::kFilterBox);
}
QCheckBox *MainWindow::saveUpperBox() const {
  return controls_.control<QCheckBox>(ids::kSaveUpper);
}

bool MainWindow::isButtonBusy(ModeButton mode) const {
  const PictureButton *button = modeButton(mode);
  return button && (button->isDown() || button->hasFocus());
}

void MainWindow::pressModeButton(ModeButton button) {
  if (indexOf(button) >= changed_.size())
    return;
  selection_.pressModeButton(button);
  changed_[indexOf(button)] = true;
  for (const ModeButton other : releasedBy(button))
    if (!selection_.isDown(other))
      changed_[indexOf(other)] = true;
  setStatusLine(selection_.statusLine());
  refresh();
}

void MainWindow::choosePage(PageRow row, std::optional<engine::CodePage> page) {
  if (run_)
    return;
  const std::array<bool, kButtonCount> before = selection_.flags();
  selection_.choosePage(row, page);
  // The buttons it released show their pictures anew.
  for (const ModeButton mode : allModeButtons())
    if (before[indexOf(mode)] != selection_.isDown(mode))
      changed_[indexOf(mode)] = true;
  refresh();
}

void MainWindow::doIt() {
  if (run_)
    return;
  // A run that got past its checks ends with every button released; a
  // refused one leaves the selection and its own sentence.
  if (runBatch(selection_, *this, *fs_).selectionReset())
    changed_.fill(true);
  refresh();
  if (closeAfterRun_) {
    // EXIT during the run: the workers have stopped.
    closeAfterRun_ = false;
    accept();
  }
}

void MainWindow::done(int result) {
  // The size and place it had, for the next start.
  if (isVisible())
    settings_->write(kGeometrySetting, saveGeometry().toBase64().toStdString());
  QDialog::done(result);
}

void MainWindow::exit() {
  if (run_) {
    closeAfterRun_ = true;
    run_->cancel();
    return;
  }
  accept();
}

void MainWindow::reject() {
  if (run_) {
    run_->cancel();
    return;
  }
  QDialog::reject();
}

void MainWindow::holdControls(bool hold) {
  if (hold) {
    focusBeforeRun_ = focusWidget();
    held_.clear();
    for (QWidget *w : controls_.all()) {
      // Labels and frames only show; EXIT stays.
      if (qobject_cast<QLabel *>(w) || qobject_cast<QGroupBox *>(w) ||
          w == pictureButton(ids::kExit))
        continue;
      held_.emplace_back(w, w->isEnabled());
      w->setEnabled(false);
    }
    return;
  }
  for (const auto &[w, enabled] : held_)
    if (w)
      w->setEnabled(enabled);
  held_.clear();
  if (focusBeforeRun_)
    focusBeforeRun_->setFocus();
  focusBeforeRun_.clear();
}

batch::RunOutcome MainWindow::runPlan(batch::RunPlan &plan,
                                      platform::FileSystem &fs,
                                      const batch::WalkHooks &walkHooks) {
  plan.workers =
      options_.workers > 0 ? options_.workers : batch::defaultWorkers();
  RunThread run(*this, this,
                options_.jobClock ? *options_.jobClock : JobClock::real());
  if (options_.progressDelayMs >= 0)
    run.setShowDelay(options_.progressDelayMs);
  run_ = &run;
  holdControls(true);
  const batch::RunOutcome outcome = run.run(plan, fs, walkHooks);
  const bool canceled = run.canceled();
  holdControls(false);
  run_ = nullptr;
  // The progress window has gone: the closing words come after it. A
  // canceled run says how much was done; a run of several files that
  // rewrites gives its totals.
  if (closeAfterRun_) {
    // EXIT during the run: the window goes without more words.
  } else if (canceled && outcome.end == batch::RunEnd::Stopped) {
    const i18n::Lines lines = i18n::canceledLines(outcome);
    MessageDialog message(shown(lines.line1), shown(lines.line2), this);
    message.run();
  } else if (outcome.found > 1 &&
             std::any_of(plan.operations.begin(), plan.operations.end(),
                         [](job::OperationCode operation) {
                           return operation != job::OperationCode::Detect;
                         })) {
    const i18n::Lines totals = i18n::totalsLines(outcome);
    MessageDialog message(shown(totals.line1), shown(totals.line2), this);
    message.run();
  }
  return outcome;
}

void MainWindow::browse() { choose(false); }

void MainWindow::browseByKey() {
  // Ctrl+O does what BROWSE does, when BROWSE may be pressed.
  if (PictureButton *button = pictureButton(ids::kBrowse);
      button && button->isEnabled())
    browse();
}

void MainWindow::browseFolder() { choose(true); }

void MainWindow::choose(bool folder) {
  files_.browseStarted();
  setStatusLine(files_.statusLine());
  BrowseRequest request;
  request.folder = folder;
  request.title = folder ? uiText(kFolderTitle) : uiText(kBrowseTitle);
  request.filter = uiText(kBrowseFilterName);
  request.startFolder = fromBytes(settings_->read(kFolderSetting));
  QStringList chosen;
  const bool confirmed = options_.chooseFiles(this, request, chosen);
  if (!confirmed || chosen.isEmpty()) {
    files_.browseCanceled();
  } else {
    std::vector<std::string> paths;
    for (const QString &path : chosen)
      paths.push_back(nameBytes(path));
    files_.browseConfirmed(paths);
    // The next choice starts where this one was made: in the folder
    // chosen, or in the folder of the files.
    const QString from =
        folder ? chosen.front() : QFileInfo(chosen.front()).absolutePath();
    settings_->write(kFolderSetting, nameBytes(from));
  }
  showFileList();
}

bool MainWindow::platformChooseFiles(QWidget *owner,
                                     const BrowseRequest &request,
                                     QStringList &paths) {
  QFileDialog dialog(owner, request.title);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (!request.startFolder.isEmpty() && QFileInfo(request.startFolder).isDir())
    dialog.setDirectory(request.startFolder);
  if (request.folder) {
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
  } else {
    dialog.setFileMode(QFileDialog::ExistingFiles);
#ifdef _WIN32
    dialog.setNameFilter(request.filter);
#else
    // "*.*" is every name in the DOS dialect; here that is "*", and "*.*"
    // would hide every file whose name has no dot.
    QString everyName = request.filter;
    everyName.replace(QStringLiteral("(*.*)"), QStringLiteral("(*)"));
    dialog.setNameFilter(everyName);
#endif
  }
  if (dialog.exec() != QDialog::Accepted)
    return false;
  paths = dialog.selectedFiles();
  return true;
}

void MainWindow::dropNames(const std::vector<std::string> &names) {
  if (names.empty() || run_)
    return;
  files_.drop(names);
  showFileList();
}

void MainWindow::clearList() {
  files_.clear();
  showFileList();
}

void MainWindow::openPreview() {
  if (files_.fileList().empty())
    return;
  PreviewDialog preview(files_.fileList().front(), this, *fs_);
  // In the Ungarble mode it shows what the repair would write.
  preview.setShowRepaired(selection_.isDown(ModeButton::Repair));
  preview.run();
}

void MainWindow::openAbout() {
  if (run_)
    return;
  ++aboutBoxesOpened_;
  AboutDialog about(this);
  about.run();
}

bool MainWindow::systemCommand(int id) {
  if ((id & 0xFFF0) != kAboutCommand)
    return false;
  openAbout();
  return true;
}

std::unique_ptr<QMenu> MainWindow::makeAboutMenu() {
  auto menu = std::make_unique<QMenu>(this);
  QAction *about = menu->addAction(uiText(kAboutItem));
  connect(about, &QAction::triggered, this,
          [this] { systemCommand(kAboutCommand); });
  return menu;
}

void MainWindow::contextMenuEvent(QContextMenuEvent *event) {
  std::unique_ptr<QMenu> menu = makeAboutMenu();
  menu->exec(event->globalPos());
}

#ifdef Q_OS_WIN
bool MainWindow::nativeEvent(const QByteArray &eventType, void *message,
                             qintptr *result) {
  auto *msg = static_cast<MSG *>(message);
  if (msg->message == WM_SYSCOMMAND &&
      systemCommand(static_cast<int>(msg->wParam))) {
    *result = 0;
    return true;
  }
  return QDialog::nativeEvent(eventType, message, result);
}
#endif

void MainWindow::keyPressEvent(QKeyEvent *event) {
  // Enter that no focused button took (a field, the filter box, the check
  // box) does nothing: it never closes the window and loses no typing.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event) {
  if (event->mimeData()->hasUrls())
    event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event) {
  std::vector<std::string> names;
  for (const QUrl &url : event->mimeData()->urls())
    if (url.isLocalFile())
      names.push_back(nameBytes(url.toLocalFile()));
  dropNames(names);
  event->acceptProposedAction();
}

void MainWindow::paintEvent(QPaintEvent *event) {
  if (!isMinimized()) {
    QDialog::paintEvent(event);
    return;
  }
  // Minimised, where the platform still paints the window: the icon in the
  // middle of the client area.
  const QPixmap icon = programIconPixmap(32);
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  painter.drawPixmap((width() - icon.width() + 1) / 2,
                     (height() - icon.height() + 1) / 2, icon);
}

QRect MainWindow::grownGeometry(int id, const QRect &r, int dx, int dy) {
  switch (id) {
  case ids::kFileName:
    return r.adjusted(0, 0, dx, dy);
  case ids::kFilterBox:
  case ids::kStatus:
    return r.translated(0, dy).adjusted(0, 0, dx, 0);
  case ids::kFilterLabel:
    return r.translated(0, dy);
  default:
    return r;
  }
}

void MainWindow::resizeEvent(QResizeEvent *event) {
  QDialog::resizeEvent(event);
  if (templateSize_.isEmpty())
    return;
  const int dx = std::max(0, width() - templateSize_.width());
  const int dy = std::max(0, height() - templateSize_.height());
  for (QWidget *w : controls_.all())
    w->setGeometry(grownGeometry(w->property("controlId").toInt(),
                                 w->property("templateGeometry").toRect(), dx,
                                 dy));
  if (QLabel *label = statusLabel()) {
    label->setToolTip(QString()); // shown anew at its new width
    label->setText(QString());
    showStatus(*label);
  }
}

void MainWindow::closeEvent(QCloseEvent *event) {
  if (run_) {
    event->ignore();
    exit();
    return;
  }
  if (isVisible())
    accept(); // as EXIT
  event->accept();
}

void MainWindow::changeEvent(QEvent *event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::PaletteChange)
    showFieldLook();
}

void MainWindow::showFieldLook() {
  // The field of names looks as it is: read-only, on the window's face.
  QPlainTextEdit *field = fileNameEdit();
  if (!field)
    return;
  QPalette look = palette();
  look.setColor(QPalette::Base, look.color(QPalette::Window));
  field->setPalette(look);
}

void MainWindow::showFileList() {
  if (QPlainTextEdit *field = fileNameEdit()) {
    field->setPlainText(fromBytes(files_.fileNameField()));
    field->moveCursor(QTextCursor::Start);
  }
  // The preview shows a file: one name, and not a directory's.
  bool previewable = files_.previewEnabled();
  if (previewable) {
    const std::optional<std::uint32_t> word =
        fs_->lookup(files_.fileList().front());
    previewable = !word || !(*word & platform::kAttrDirectory);
  }
  if (PictureButton *fp = pictureButton(ids::kPreview))
    fp->setEnabled(previewable);
  setStatusLine(files_.statusLine());
}

void MainWindow::showFilters() {
  QComboBox *box = filterBox();
  if (!box || (filtersShown_ && *filtersShown_ == filters_))
    return;
  filtersShown_ = filters_;
  const QString text = box->currentText();
  QStringList items;
  for (const std::string &filter : filters_)
    items.push_back(fromBytes(filter));
  QStringList shown;
  for (int i = 0; i < box->count(); ++i)
    shown.push_back(box->itemText(i));
  if (shown == items)
    return;
  box->clear();
  box->addItems(items);
  box->setCurrentIndex(-1);
  box->setEditText(text);
}

void MainWindow::showPictures() {
  for (const ModeButton mode : allModeButtons()) {
    PictureButton *button = modeButton(mode);
    if (button && changed_[indexOf(mode)])
      button->setFixedPicture(
          QString::fromStdString(selection_.pictureName(mode)));
  }
}

// BatchHost.

bool MainWindow::fileNameFieldEmpty() {
  const QPlainTextEdit *field = fileNameEdit();
  return field ? field->document()->isEmpty() : files_.fileNameField().empty();
}

const std::vector<std::string> &MainWindow::fileList() {
  return files_.fileList();
}

void MainWindow::setStatusLine(const batch::Status &status) {
  statusLine_ = status;
  if (QLabel *label = statusLabel()) {
    showStatus(*label);
    // Shown at once, also while a run keeps the event loop busy.
    if (label->isVisible())
      label->repaint();
  }
}

void MainWindow::showStatus(QLabel &label) const {
  const QString text = shown(i18n::statusText(statusLine_));
  if (label.toolTip() == text ||
      (label.toolTip().isEmpty() && label.text() == text))
    return; // shown already
  label.setText(
      elideKeepingFileName(text, QFontMetrics(label.font()), label.width()));
  label.setToolTip(label.text() == text ? QString() : text);
}

job::DialogAnswer MainWindow::prompt(PromptKind kind, std::string &answer) {
  InputDialog dialog(this);
  dialog.setPrompt(shown(i18n::promptText(kind)));
  // What is typed is kept as characters; each job writes it in its file's
  // code page.
  dialog.setValue(QString::fromStdString(answer));
  const job::DialogAnswer result = dialog.run();
  if (result == job::DialogAnswer::Ok)
    answer = dialog.value().toStdString();
  return result;
}

job::DialogAnswer MainWindow::excludeOptions(WordOptions &options) {
  ExcludeOptionsDialog dialog(this);
  const job::DialogAnswer result = dialog.run();
  if (result == job::DialogAnswer::Ok) {
    options.leftPartOfWord = dialog.leftPartOfWord;
    options.rightPartOfWord = dialog.rightPartOfWord;
    options.caseInsensitive = dialog.caseInsensitive;
  }
  return result;
}

job::DialogAnswer MainWindow::showMessage(MessageKind, const std::string &name,
                                          const job::Message &said) {
  const i18n::Lines lines = i18n::messageLines(name, said);
  MessageDialog message(shown(lines.line1), shown(lines.line2), this);
  return message.run();
}

void MainWindow::fileStarted(const batch::FileStart &start) {
  // During a run the status line counts the files and names the one
  // started last.
  batch::Status status(start.allFound ? batch::StatusId::RunningFileOfAll
                                      : batch::StatusId::RunningFile);
  status.count = start.number;
  status.found = start.found;
  status.name = start.task.location.path();
  setStatusLine(status);
}

std::string MainWindow::filterText() {
  const QComboBox *box = filterBox();
  return box ? toBytes(box->currentText()) : std::string();
}

std::vector<std::string> &MainWindow::filterList() { return filters_; }

bool MainWindow::saveUpperChecked() {
  const QCheckBox *box = saveUpperBox();
  return box && box->isChecked();
}

void MainWindow::showChosenPages() {
  for (const PageRow row : {PageRow::Source, PageRow::Target}) {
    QComboBox *box = pageChooser(row);
    if (!box)
      continue;
    const std::optional<engine::CodePage> page = selection_.chosenPage(row);
    const int index =
        page ? std::max(0, box->findData(static_cast<int>(*page))) : 0;
    if (box->currentIndex() != index)
      box->setCurrentIndex(index);
  }
}

void MainWindow::refresh() {
  showPictures();
  showChosenPages();
  if (QCheckBox *box = saveUpperBox())
    box->setEnabled(selection_.saveUpperEnabled());
  showFilters();
  if (QLabel *label = statusLabel())
    showStatus(*label);
  // Each control that changed paints itself on the next turn of the event
  // loop (a run's jobs give it one between their slices); one that did not
  // change costs nothing, so a tree's thousands of jobs repaint nothing.
}

} // namespace snpln::ui
