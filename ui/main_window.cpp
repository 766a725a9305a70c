#include "ui/main_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QShortcut>
#include <QUrl>

#include <utility>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "batch/batch_texts.h"
#include "batch/run_batch.h"
#include "ui/about_dialog.h"
#include "ui/byte_text.h"
#include "ui/code_page_text.h"
#include "ui/exclude_options_dialog.h"
#include "ui/input_dialog.h"
#include "ui/message_dialog.h"
#include "ui/picture_button.h"
#include "ui/pictures.h"
#include "ui/preview_dialog.h"
#include "ui/progress_dialog.h"
#include "ui/settings_store.h"

namespace snpln::ui {

namespace {

using namespace batch;

constexpr const char *kAboutItem = "&About snpln...";

// The buttons a press of `index` releases (the selection's release rule),
// which then show only the picture of their state as well.
std::vector<int> releasedBy(int index) {
  const std::vector<int> caseGroup{kUpperCaseButton, kLowerCaseButton,
                                   kSmartCaseButton};
  const std::vector<int> toRow{kToWinButton, kToKoiButton, kToIsoButton,
                               kToDosButton, kToUtf8Button};
  const std::vector<int> fromRow{kFromWinButton,  kFromKoiButton,
                                 kFromIsoButton,  kFromDosButton,
                                 kFromAutoButton, kFromUtf8Button};
  auto others = [index](const std::vector<int> &group, bool withDetect) {
    std::vector<int> out;
    for (const int i : group)
      if (i != index)
        out.push_back(i);
    if (withDetect)
      out.push_back(kDetectButton);
    return out;
  };
  for (const auto *group : {&caseGroup})
    for (const int i : *group)
      if (i == index)
        return others(caseGroup, false);
  for (const int i : toRow)
    if (i == index)
      return others(toRow, true);
  for (const int i : fromRow)
    if (i == index)
      return others(fromRow, true);
  if (index == kDetectButton) {
    std::vector<int> out = toRow;
    out.insert(out.end(), fromRow.begin(), fromRow.end());
    return out;
  }
  return {};
}

std::string nameBytes(const QString &path) {
  const QByteArray bytes = QFile::encodeName(path);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// The dialog's filter list ends at its double bar: only the first pair.
QString firstFilter(const char *filterText) {
  const QString all = QString::fromUtf8(filterText);
  return all.section(QLatin1Char('|'), 0, 0);
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
  setWindowFlag(Qt::WindowMinimizeButtonHint, true);
  // Group boxes frame the buttons but never take their presses.
  for (QWidget *w : controls_.all())
    if (auto *box = qobject_cast<QGroupBox *>(w)) {
      box->setAttribute(Qt::WA_TransparentForMouseEvents);
      box->lower();
    }
  // No button is the default: Enter presses the button that has the focus
  // (DOIT at start) and nothing else.
  for (QWidget *w : controls_.all())
    if (auto *button = qobject_cast<QPushButton *>(w))
      button->setDefault(false);

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

  // 5. and 6. The selection (a new one has every button up) and the 23
  // picture buttons.
  selection_.isButtonBusy = [this](int index) { return isButtonBusy(index); };
  for (int i = 0; i < kButtonCount; ++i) {
    modeButtons_[static_cast<std::size_t>(i)] =
        pictureButton(modeButtonInfo(i).controlId);
    if (PictureButton *button = modeButtons_[static_cast<std::size_t>(i)])
      connect(button, &QPushButton::clicked, this,
              [this, i] { pressModeButton(i); });
  }
  const std::pair<int, void (MainWindow::*)()> commands[] = {
      {kDoItId, &MainWindow::doIt},
      {kBrowseId, &MainWindow::browse},
      {kClearId, &MainWindow::clearList},
      {kPreviewId, &MainWindow::openPreview},
      {kCopyId, &MainWindow::openAbout},
      {kExitId, &QDialog::accept},
  };
  for (const auto &[id, slot] : commands)
    if (PictureButton *button = pictureButton(id))
      connect(button, &QPushButton::clicked, this, slot);
  auto *help = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(help, &QShortcut::activated, this, &MainWindow::openAbout);

  // 7. "Sa&ve upper" waits for SCASE.
  if (QCheckBox *box = saveUpperBox())
    box->setEnabled(false);

  // 8. to 12. The file list from the command line, the status line, the
  // file-name field (read-only) and FP.
  files_.startUp(commandLine_);
  showFileList();
  if (QLineEdit *field = fileNameEdit())
    field->setReadOnly(true);

  // 13. Dropped files.
  setAcceptDrops(true);

  // 14. DOIT, the first control, has the focus.
  if (PictureButton *doit = pictureButton(kDoItId))
    doit->setFocus();
}

int MainWindow::run() {
  placeDialog(*this, Placement::CentreOnScreen, nullptr);
  show();
  raise();
  activateWindow();
  return exec();
}

PictureButton *MainWindow::pictureButton(int id) const {
  return controls_.control<PictureButton>(id);
}
PictureButton *MainWindow::modeButton(int index) const {
  return index >= 0 && index < kButtonCount
             ? modeButtons_[static_cast<std::size_t>(index)]
             : nullptr;
}
QLabel *MainWindow::statusLabel() const {
  return controls_.control<QLabel>(kStatusId);
}
QLineEdit *MainWindow::fileNameEdit() const {
  return controls_.control<QLineEdit>(kFileNameId);
}
QComboBox *MainWindow::filterBox() const {
  return controls_.control<QComboBox>(kFilterBoxId);
}
QCheckBox *MainWindow::saveUpperBox() const {
  return controls_.control<QCheckBox>(kSaveUpperId);
}

bool MainWindow::isButtonBusy(int index) const {
  const PictureButton *button = modeButton(index);
  return button && (button->isDown() || button->hasFocus());
}

void MainWindow::pressModeButton(int index) {
  if (index < 0 || index >= kButtonCount)
    return;
  selection_.pressModeButton(index);
  changed_[static_cast<std::size_t>(index)] = true;
  for (const int other : releasedBy(index))
    if (!selection_.isDown(other))
      changed_[static_cast<std::size_t>(other)] = true;
  setStatusLine(selection_.statusLine());
  refresh();
}

void MainWindow::doIt() {
  runBatch(selection_, *this, *fs_);
  // A run that got past its checks ends with every button released and
  // "No action selected"; a refused one leaves its own sentence.
  if (statusLine_ == texts::kNoActionSelected)
    changed_.fill(true);
  refresh();
}

void MainWindow::browse() {
  files_.browseStarted();
  setStatusLine(files_.statusLine());
  QStringList chosen;
  const bool confirmed =
      options_.chooseFiles(this, QString::fromUtf8(texts::kBrowseTitle),
                           firstFilter(texts::kBrowseFilter), chosen);
  if (!confirmed || chosen.isEmpty()) {
    files_.browseCanceled();
  } else {
    std::vector<std::string> paths;
    for (const QString &path : chosen)
      paths.push_back(nameBytes(path));
    files_.browseConfirmed(paths);
  }
  showFileList();
}

bool MainWindow::platformChooseFiles(QWidget *owner, const QString &title,
                                     const QString &filter,
                                     QStringList &paths) {
  QFileDialog dialog(owner, title);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
#ifdef _WIN32
  dialog.setNameFilter(filter);
#else
  // "*.*" is every name in the DOS dialect; here that is "*", and "*.*"
  // would hide every file whose name has no dot.
  QString everyName = filter;
  everyName.replace(QStringLiteral("(*.*)"), QStringLiteral("(*)"));
  dialog.setNameFilter(everyName);
#endif
  if (dialog.exec() != QDialog::Accepted)
    return false;
  paths = dialog.selectedFiles();
  return true;
}

void MainWindow::dropNames(const std::vector<std::string> &names) {
  if (names.empty())
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
  preview.run();
}

void MainWindow::openAbout() {
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
  QAction *about = menu->addAction(QString::fromUtf8(kAboutItem));
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

void MainWindow::showFileList() {
  if (QLineEdit *field = fileNameEdit()) {
    field->setText(fromBytes(files_.fileNameField()));
    field->setCursorPosition(0);
  }
  if (PictureButton *fp = pictureButton(kPreviewId))
    fp->setEnabled(files_.previewEnabled());
  setStatusLine(files_.statusLine());
}

void MainWindow::showFilters() {
  QComboBox *box = filterBox();
  if (!box)
    return;
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
  for (int i = 0; i < kButtonCount; ++i) {
    PictureButton *button = modeButton(i);
    if (button && changed_[static_cast<std::size_t>(i)])
      button->setFixedPicture(
          QString::fromStdString(selection_.pictureName(i)));
  }
}

// BatchHost.

bool MainWindow::fileNameFieldEmpty() {
  const QLineEdit *field = fileNameEdit();
  return field ? field->text().isEmpty() : files_.fileNameField().empty();
}

const std::vector<std::string> &MainWindow::fileList() {
  return files_.fileList();
}

void MainWindow::setStatusLine(const std::string &text) {
  statusLine_ = text;
  if (QLabel *label = statusLabel()) {
    label->setText(fromBytes(text));
    // Shown at once, also while a run keeps the event loop busy.
    if (label->isVisible())
      label->repaint();
  }
}

int MainWindow::prompt(const std::string &text, std::string &answer) {
  InputDialog dialog(this);
  dialog.setPrompt(fromBytes(text));
  // What is typed is kept as characters; each job writes it in its file's
  // code page.
  dialog.setValue(QString::fromStdString(answer));
  const int result = dialog.run();
  if (result == kDialogOk)
    answer = dialog.value().toStdString();
  return result;
}

int MainWindow::excludeOptions(int &leftPartOfWord, int &rightPartOfWord,
                               int &caseInsensitive) {
  ExcludeOptionsDialog dialog(this);
  const int result = dialog.run();
  if (result == kDialogOk) {
    leftPartOfWord = dialog.leftPartOfWord;
    rightPartOfWord = dialog.rightPartOfWord;
    caseInsensitive = dialog.caseInsensitive;
  }
  return result;
}

int MainWindow::showMessage(const std::string &line1,
                            const std::string &line2) {
  MessageDialog message(line1, line2, this);
  return message.run();
}

job::JobResult MainWindow::runJob(const job::JobRequest &request) {
  ProgressDialog progress(request, this, *fs_);
  return progress.run();
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

void MainWindow::refresh() {
  showPictures();
  if (QCheckBox *box = saveUpperBox())
    box->setEnabled(selection_.saveUpperEnabled());
  showFilters();
  if (QLabel *label = statusLabel())
    label->setText(fromBytes(statusLine_));
  if (isVisible())
    repaint();
}

} // namespace snpln::ui
