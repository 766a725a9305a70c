// snpln: the window. The arguments are the names to work on; all of them,
// also those that look like options, go to the window's command line. Only
// "--help" or "--version" as the one argument prints and exits ("./--help"
// names a file).
#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QTimer>

#include <cstdio>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <cstdlib>
#include <string>

#include "platform/command_line.h"
#include "snpln/version.h"
#include "ui/main_window.h"
#include "ui/pictures.h"
#include "ui/termination_signals.h"
#include "ui/translation.h"
#include "ui/window_shot.h"

namespace {

const char *kHelp =
    "Usage: snpln [NAME]...\n"
    "Opens the window of Snipline, which rewrites Russian plain-text files "
    "in place:\nrecoding between CP866, Windows-1251, KOI8-R, ISO 8859-5 and "
    "UTF-8 with automatic\ndetection, upper, lower and sentence case, removal "
    "and replacement of a string,\nblanks to TABs, and removal of excessive "
    "empty lines.\n"
    "\n"
    "Each NAME (a file, a directory whose tree is taken, or a DOS mask such "
    "as *.txt)\ngoes to the window's file list; every argument is a name, "
    "except a lone --help or\n--version. Write ./--help for a file of that "
    "name.\n"
    "\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n"
    "\n"
    "For scripts, snpln-cli runs the same operations from the command "
    "line.\n";

} // namespace

int main(int argc, char **argv) {
#if defined(__GLIBC__)
  // A run allocates and frees the same few hundred KiB of buffers for each
  // file: freed memory is kept for the next file instead of being handed
  // back to the system and faulted in again every time.
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  mallopt(M_MMAP_THRESHOLD, 4 << 20);
#endif
  if (argc == 2 && std::string(argv[1]) == "--help") {
    std::fputs(kHelp, stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  if (argc == 2 && std::string(argv[1]) == "--version") {
    std::printf("snpln %s\n", snpln::kVersion);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
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
    // With its frame and title bar where a window manager draws them.
    const QString file = QString::fromLocal8Bit(shot);
    QTimer::singleShot(0, &window, [&window, file] {
      snpln::ui::waitUntilShown(window);
      const bool saved = snpln::ui::windowShot({&window}).save(file);
      window.reject();
      if (!saved)
        std::fprintf(stderr, "snpln: cannot write the screenshot\n");
    });
  }
  window.run();
  return termination.exitStatus();
}
