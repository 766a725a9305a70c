// snpln: the window. Qt's standard options (-style, -stylesheet, -platform,
// -reverse, -qwindowgeometry, ...) are Qt's; every other argument is a name
// to work on and goes to the window's command line, as does every argument
// after a lone "--". Only "--help" or "--version" as the one argument prints
// and exits ("./--help" names a file).
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

#include "snpln/version.h"
#include "ui/main_window.h"
#include "ui/pictures.h"
#include "ui/program_arguments.h"
#include "ui/termination_signals.h"
#include "ui/translation.h"
#include "ui/window_shot.h"

namespace {

const char *kHelp =
    "Usage: snpln [QT-OPTION]... [NAME]... [-- NAME...]\n"
    "Opens the window of Snipline, which rewrites Russian plain-text files "
    "in place:\nrecoding between CP866, Windows-1251, KOI8-R, ISO 8859-5 and "
    "UTF-8 with automatic\ndetection, upper, lower and sentence case, removal "
    "and replacement of a string,\nblanks to TABs, and removal of excessive "
    "empty lines.\n"
    "\n"
    "Each NAME (a file, a directory whose tree is taken, or a DOS mask such "
    "as *.txt)\ngoes to the window's file list. Every argument is a name "
    "except a lone --help or\n--version and Qt's own options below; write "
    "./-style, or put it after --,\nfor a file whose name begins with a "
    "dash (./--help for one named --help).\n"
    "\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n"
    "\n"
    "Qt's standard options, taken before the names; among them:\n"
    "  -style NAME               the widget style (Fusion, Windows, ...)\n"
    "  -stylesheet FILE          a Qt style sheet for every window\n"
    "  -platform NAME[:OPTIONS]  the platform plugin (xcb, wayland, "
    "offscreen, ...)\n"
    "  -platformtheme NAME       the platform theme\n"
    "  -reverse                  lay the windows out right to left\n"
    "  -qwindowgeometry WxH+X+Y  the main window's size and place\n"
    "  -display DISPLAY          the X display (xcb)\n"
    "  --                        ends Qt's options: every argument after it "
    "is a name\n"
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
  // Qt takes its own options out of the arguments before "--"; what it
  // leaves, and everything after "--", are the names.
  snpln::ui::ProgramArguments arguments(argc, argv);
  QApplication app(arguments.qtArgc(), arguments.qtArgv());
  const std::string commandLine = arguments.commandLine();
  for (const std::string &name : arguments.namesLeftOut())
    std::fprintf(stderr, "snpln: left out a name that cannot be passed: %s\n",
                 name.c_str());
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
