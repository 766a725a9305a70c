// Draws the README's pictures of the windows, on a display with a window
// manager (tools/screenshot.sh runs it under Xvfb with openbox, so every
// window has its frame and title bar) or offscreen (the windows alone):
//
//   doc_pictures SAMPLE_FILE OUTPUT_DIR [GARBLED_FILE]
//
// writes OUTPUT_DIR/prompt.png (the tab-size prompt over the main window),
// OUTPUT_DIR/options.png (the word options), OUTPUT_DIR/progress.png (a
// progress window at 42 %), OUTPUT_DIR/preview.png (the preview of
// SAMPLE_FILE), OUTPUT_DIR/save-refused.png (the question of a save that
// another program's change refused, over the preview),
// OUTPUT_DIR/main-window-ru.png (the main window under the Russian
// catalogue), and the main window under a dark palette and maximised, in
// English and Russian (main-window-dark.png, main-window-dark-ru.png,
// main-window-maximized.png, main-window-maximized-ru.png), and a run's
// words in both languages: a file waiting for another program
// (run-waiting.png), a canceled run's counts (run-canceled.png) and a
// finished run's totals (run-totals.png), each also as -ru.png. With
// GARBLED_FILE (UTF-8 text read in a wrong page and saved again), also the
// main window with Ungarble down and the list of the other target pages
// open (main-window-repair.png, main-window-repair-ru.png) and the preview
// of that file showing it repaired (preview-repair.png,
// preview-repair-ru.png). Settings go to a temporary home of their own.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPalette>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <string>

#include "batch/batch_texts.h"
#include "i18n/texts.h"
#include "job/file_run.h"
#include "job/job_request.h"
#include "ui/byte_text.h"
#include "ui/dialog_builder.h"
#include "ui/exclude_options_dialog.h"
#include "ui/input_dialog.h"
#include "ui/main_window.h"
#include "ui/message_dialog.h"
#include "ui/preview_dialog.h"
#include "ui/run_progress_window.h"
#include "ui/save_refused_dialog.h"
#include "ui/translation.h"
#include "ui/window_shot.h"

namespace {

using namespace snpln;

bool save(const std::vector<QWidget *> &windows, const QString &dir,
          const char *name) {
  for (QWidget *w : windows)
    ui::waitUntilShown(*w);
  const bool saved = ui::windowShot(windows).save(dir + QLatin1Char('/') +
                                                  QLatin1String(name));
  if (!saved)
    std::fprintf(stderr, "doc_pictures: cannot write %s\n", name);
  return saved;
}

// A dark palette, as a dark desktop theme gives.
QPalette darkPalette() {
  QPalette dark;
  const auto set = [&dark](QPalette::ColorRole role, QRgb rgb) {
    dark.setColor(role, QColor(rgb));
  };
  set(QPalette::Window, 0x2b2d31);
  set(QPalette::WindowText, 0xe6e6e6);
  set(QPalette::Base, 0x1e1f22);
  set(QPalette::AlternateBase, 0x2b2d31);
  set(QPalette::Text, 0xe6e6e6);
  set(QPalette::Button, 0x3a3d42);
  set(QPalette::ButtonText, 0xe6e6e6);
  set(QPalette::BrightText, 0xffffff);
  set(QPalette::Highlight, 0x3d6fb6);
  set(QPalette::HighlightedText, 0xffffff);
  set(QPalette::Light, 0x55585e);
  set(QPalette::Midlight, 0x45484d);
  set(QPalette::Mid, 0x303237);
  set(QPalette::Dark, 0x1b1c1f);
  set(QPalette::Shadow, 0x0e0e10);
  set(QPalette::ToolTipBase, 0x3a3d42);
  set(QPalette::ToolTipText, 0xe6e6e6);
  set(QPalette::PlaceholderText, 0x8a8d92);
  for (const QPalette::ColorRole role :
       {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    dark.setColor(QPalette::Disabled, role, QColor(0x7a7d82));
  return dark;
}

// Shows a dialog where it opens over its owner, without a loop of its own.
void open(QDialog &dialog, int templateId) {
  ui::placeDialog(dialog, ui::dialogTemplate(templateId).placement,
                  dialog.parentWidget());
  dialog.show();
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: doc_pictures SAMPLE_FILE OUTPUT_DIR [GARBLED_FILE]\n");
    return 2;
  }
  QTemporaryDir home;
  qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
  const std::string sample = argv[1];
  const QString out = QString::fromLocal8Bit(argv[2]);
  bool ok = true;

  {
    ui::MainWindow window(sample);
    window.pressModeButton(batch::ModeButton::Optimize);
    ui::placeDialog(window, ui::Placement::CentreOnScreen, nullptr);
    window.show();
    ui::waitUntilShown(window);
    ui::InputDialog prompt(&window);
    prompt.setPrompt(ui::shown(i18n::promptText(batch::PromptKind::TabSize)));
    auto *value =
        prompt.controls().control<QLineEdit>(ui::InputDialog::kValueId);
    value->setText(QStringLiteral("8"));
    value->selectAll();
    open(prompt, ui::kInputTemplate);
    value->setFocus();
    ok = save({&window, &prompt}, out, "prompt.png") && ok;
    prompt.hide();
    ui::ExcludeOptionsDialog options(&window);
    open(options, ui::kExcludeOptionsTemplate);
    options.controls().control<QAbstractButton>(1040)->setChecked(true);
    ok = save({&options}, out, "options.png") && ok;
    options.hide();
    window.hide();
  }
  {
    ui::RunProgressWindow progress;
    progress.showFile(
        ui::shown(i18n::operationTitle(job::OperationCode::RecodeToWin)),
        ui::fromBytes(job::displayNameOf(sample)), 42);
    open(progress, ui::kProgressTemplate);
    ok = save({&progress}, out, "progress.png") && ok;
    progress.hide();
  }
  {
    ui::PreviewDialog preview(sample);
    // Once its own loop shows it.
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &preview, [&] {
      if (!preview.isVisible())
        return;
      poll.stop();
      ok = save({&preview}, out, "preview.png") && ok;
      ui::SaveRefusedDialog refused(sample, ui::SaveRefusal::ChangedElsewhere,
                                    &preview);
      open(refused, ui::kSaveRefusedTemplate);
      ok = save({&preview, &refused}, out, "save-refused.png") && ok;
      refused.hide();
      preview.reject();
    });
    poll.start();
    preview.run();
  }
  {
    ui::setUiLanguage(QLocale(QLocale::Russian, QLocale::Russia));
    ui::MainWindow window(sample);
    ui::placeDialog(window, ui::Placement::CentreOnScreen, nullptr);
    window.show();
    ok = save({&window}, out, "main-window-ru.png") && ok;
    window.hide();
    ui::setUiLanguage(QLocale::c());
  }
  // The main window under a dark palette, some buttons down, and
  // maximised, in English and Russian.
  const QPalette light = QApplication::palette();
  for (const bool russian : {false, true}) {
    ui::setUiLanguage(russian ? QLocale(QLocale::Russian, QLocale::Russia)
                              : QLocale::c());
    const char *suffix = russian ? "-ru.png" : ".png";
    {
      QApplication::setPalette(darkPalette());
      ui::MainWindow window(sample);
      for (const batch::ModeButton button :
           {batch::ModeButton::SmartCase, batch::ModeButton::FromAuto,
            batch::ModeButton::ToUtf8})
        window.pressModeButton(button);
      ui::placeDialog(window, ui::Placement::CentreOnScreen, nullptr);
      window.show();
      const std::string name = std::string("main-window-dark") + suffix;
      ok = save({&window}, out, name.c_str()) && ok;
      window.hide();
      QApplication::setPalette(light);
    }
    {
      ui::MainWindow window(sample);
      window.showMaximized();
      ui::waitUntilShown(window);
      const std::string name = std::string("main-window-maximized") + suffix;
      ok = save({&window}, out, name.c_str()) && ok;
      window.hide();
    }
  }
  // A run that speaks: a file that waits for another program, a canceled
  // run's counts and a finished run's totals, in English and Russian.
  for (const bool russian : {false, true}) {
    ui::setUiLanguage(russian ? QLocale(QLocale::Russian, QLocale::Russia)
                              : QLocale::c());
    const std::string suffix = russian ? "-ru.png" : ".png";
    // A run's last message, its two lines as the window shows them.
    const auto saveMessage = [&](const i18n::Lines &lines,
                                 const std::string &name) {
      ui::MessageDialog message(ui::shown(lines.line1), ui::shown(lines.line2));
      open(message, ui::kMessageTemplate);
      const bool saved = save({&message}, out, (name + suffix).c_str());
      message.hide();
      return saved;
    };
    {
      ui::RunProgressWindow progress;
      progress.showFile(
          ui::shown(i18n::operationTitle(job::OperationCode::UpperCase)),
          QStringLiteral("f002.txt"), 37);
      batch::FileWait wait;
      wait.name = "d01/f001.txt";
      progress.showWait(ui::shown(i18n::waitText(wait)));
      open(progress, ui::kProgressTemplate);
      ok = save({&progress}, out, ("run-waiting" + suffix).c_str()) && ok;
      progress.hide();
    }
    {
      batch::RunOutcome canceled;
      canceled.end = batch::RunEnd::Stopped;
      canceled.found = 5000;
      canceled.done = 1234;
      canceled.walkEnded = true;
      canceled.settleLeft();
      ok = saveMessage(i18n::canceledLines(canceled), "run-canceled") && ok;
    }
    {
      batch::RunOutcome totals;
      totals.end = batch::RunEnd::Completed;
      totals.converted = 4712;
      totals.unchanged = 281;
      totals.failed = 2;
      totals.filled = 17;
      totals.hits = {{job::OperationCode::Replace, 1921}};
      ok = saveMessage(i18n::totalsLines(totals), "run-totals") && ok;
    }
  }
  // Repair: the button down, a target page from the chooser (its list
  // open), and the preview of a garbled file as the repair would write it.
  if (argc > 3) {
    const std::string garbled = argv[3];
    for (const bool russian : {false, true}) {
      ui::setUiLanguage(russian ? QLocale(QLocale::Russian, QLocale::Russia)
                                : QLocale::c());
      const std::string suffix = russian ? "-ru.png" : ".png";
      {
        ui::MainWindow window(garbled);
        window.pressModeButton(batch::ModeButton::Repair);
        window.choosePage(batch::PageRow::Target, engine::CodePage::Mac);
        ui::placeDialog(window, ui::Placement::CentreOnScreen, nullptr);
        window.show();
        ui::waitUntilShown(window);
        QComboBox *box = window.pageChooser(batch::PageRow::Target);
        box->showPopup();
        QWidget *list = box->view()->window();
        const std::string name = "main-window-repair" + suffix;
        ok = save({&window, list}, out, name.c_str()) && ok;
        box->hidePopup();
        window.hide();
      }
      {
        ui::PreviewDialog preview(garbled);
        preview.setShowRepaired(true);
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, &preview, [&] {
          if (!preview.isVisible())
            return;
          poll.stop();
          preview.finishRepair();
          const std::string name = "preview-repair" + suffix;
          ok = save({&preview}, out, name.c_str()) && ok;
          preview.reject();
        });
        poll.start();
        preview.run();
      }
    }
  }
  ui::setUiLanguage(QLocale::c());
  return ok ? 0 : 1;
}
