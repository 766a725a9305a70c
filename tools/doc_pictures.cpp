// Draws the README's pictures of the windows, offscreen or on a display:
//
//   doc_pictures SAMPLE_FILE OUTPUT_DIR
//
// writes OUTPUT_DIR/prompt.png (the tab-size prompt over the main window),
// OUTPUT_DIR/options.png (the word options), OUTPUT_DIR/progress.png (a
// progress window at 42 %), OUTPUT_DIR/preview.png (the preview of
// SAMPLE_FILE) and OUTPUT_DIR/main-window-ru.png (the main window under the
// Russian catalogue). Settings go to a temporary home of their own.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <string>

#include "batch/batch_texts.h"
#include "job/file_job.h"
#include "job/job_request.h"
#include "ui/exclude_options_dialog.h"
#include "ui/input_dialog.h"
#include "ui/main_window.h"
#include "ui/preview_dialog.h"
#include "ui/progress_dialog.h"
#include "ui/translation.h"

namespace {

using namespace snpln;

// The main window with `dialog` drawn where it opens over it.
QImage over(ui::MainWindow &window, QWidget &dialog) {
  QImage image = window.grab().toImage();
  QPainter painter(&image);
  const QPoint at = window.mapFromGlobal(dialog.pos());
  painter.drawPixmap(at, dialog.grab());
  return image;
}

bool save(const QImage &image, const QString &dir, const char *name) {
  const bool saved = image.save(dir + QLatin1Char('/') + QLatin1String(name));
  if (!saved)
    std::fprintf(stderr, "doc_pictures: cannot write %s\n", name);
  return saved;
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
    window.show();
    QApplication::processEvents();
    ui::InputDialog prompt(&window);
    prompt.setPrompt(QString::fromUtf8(batch::texts::kPromptTabSize));
    prompt.setValue(QStringLiteral("8"));
    QTimer::singleShot(200, &prompt, [&] {
      ok = save(over(window, prompt), out, "prompt.png") && ok;
      prompt.reject();
    });
    prompt.run();
    ui::ExcludeOptionsDialog options(&window);
    QTimer::singleShot(200, &options, [&] {
      options.controls().control<QAbstractButton>(1040)->setChecked(true);
      ok = save(options.grab().toImage(), out, "options.png") && ok;
      options.reject();
    });
    options.run();
    window.reject();
  }
  {
    job::JobRequest request;
    request.operation = job::OperationCode::RecodeToWin;
    request.path = sample;
    request.displayName = job::displayNameOf(sample);
    ui::ProgressDialog progress(request);
    progress.controls();
    progress.setProgress(42);
    ok = save(progress.grab().toImage(), out, "progress.png") && ok;
  }
  {
    ui::PreviewDialog preview(sample);
    QTimer::singleShot(300, &preview, [&] {
      ok = save(preview.grab().toImage(), out, "preview.png") && ok;
      preview.reject();
    });
    preview.run();
  }
  {
    ui::setUiLanguage(QLocale(QLocale::Russian, QLocale::Russia));
    ui::MainWindow window(sample);
    window.show();
    QTimer::singleShot(300, &window, [&] {
      ok = save(window.grab().toImage(), out, "main-window-ru.png") && ok;
      window.reject();
    });
    window.exec();
    ui::setUiLanguage(QLocale::c());
  }
  return ok ? 0 : 1;
}
