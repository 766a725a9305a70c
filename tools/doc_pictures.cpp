// Draws the README's pictures of the windows, on a display with a window
// manager (tools/screenshot.sh runs it under Xvfb with openbox, so every
// window has its frame and title bar) or offscreen (the windows alone):
//
//   doc_pictures SAMPLE_FILE OUTPUT_DIR
//
// writes OUTPUT_DIR/prompt.png (the tab-size prompt over the main window),
// OUTPUT_DIR/options.png (the word options), OUTPUT_DIR/progress.png (a
// progress window at 42 %), OUTPUT_DIR/preview.png (the preview of
// SAMPLE_FILE), OUTPUT_DIR/save-refused.png (the question of a save that
// another program's change refused, over the preview) and
// OUTPUT_DIR/main-window-ru.png (the main window under the Russian
// catalogue). Settings go to a temporary home of their own.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
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
    std::fprintf(stderr, "usage: doc_pictures SAMPLE_FILE OUTPUT_DIR\n");
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
  return ok ? 0 : 1;
}
