// snpln: the window. The arguments are the names to work on; all of them,
// also those that look like options, go to the window's command line.
#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/command_line.h"
#include "ui/main_window.h"
#include "ui/pictures.h"
#include "ui/termination_signals.h"
#include "ui/translation.h"

int main(int argc, char **argv) {
  // The argument text is taken before Qt sees anything; Qt gets only the
  // program's name, so no file name is taken for one of its options.
  const std::string commandLine = snpln::platform::rawCommandLine(argc, argv);
  for (int i = 1; i < argc; ++i)
    if (!snpln::platform::roundTripsOnCommandLine(argv[i]))
      std::fprintf(stderr, "snpln: left out a name that cannot be passed: %s\n",
                   argv[i]);
  int qtArgc = 1;
  char *qtArgv[] = {argv[0], nullptr};
  QApplication app(qtArgc, qtArgv);
  QApplication::setApplicationName(QStringLiteral("snpln"));
  // Russian under a Russian locale; every other locale keeps the English.
  snpln::ui::setUiLanguage(QLocale::system());
  QApplication::setWindowIcon(snpln::ui::programIcon());

  // SIGTERM and SIGHUP cancel a running job and close the window first.
  snpln::ui::TerminationSignals termination;
  snpln::ui::MainWindow window(commandLine);

  // For packaging and the documentation (tools/screenshot.sh):
  // SNPLN_ICON_DIR=dir writes the program icon as dir/snpln-<size>.png at
  // every installed size and as dir/snpln.svg; SNPLN_SCREENSHOT=file.png
  // takes a picture of the window once it is shown, and closes it.
  if (const char *dir = std::getenv("SNPLN_ICON_DIR"); dir && *dir) {
    const QString folder = QString::fromLocal8Bit(dir);
    for (const int size : snpln::ui::kInstalledIconSizes)
      snpln::ui::programIconPixmap(size).save(
          folder + QStringLiteral("/snpln-%1.png").arg(size));
    QFile svg(folder + QStringLiteral("/snpln.svg"));
    if (svg.open(QIODevice::WriteOnly))
      svg.write(snpln::ui::programIconSvg());
  }
  if (const char *shot = std::getenv("SNPLN_SCREENSHOT"); shot && *shot) {
    const QString file = QString::fromLocal8Bit(shot);
    QTimer::singleShot(500, &window, [&window, file] {
      const bool saved = window.grab().save(file);
      window.reject();
      if (!saved)
        std::fprintf(stderr, "snpln: cannot write the screenshot\n");
    });
  }
  window.run();
  return termination.exitStatus();
}
