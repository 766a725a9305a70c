// The window's program arguments: Qt takes its standard options before the
// names are read, so none of them, nor its value, reaches the file list;
// they act (the style, the style sheet, the direction, the main window's
// geometry); a lone "--" ends them, and "./-style" is a name.
//
// Every row runs in a child process of its own (fork before any
// QApplication exists), because an application reads its options once, when
// it is made: the child builds the QApplication from the row's arguments
// as the program does, opens the main window on the names, and writes what
// it sees to a pipe; the parent compares.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStyle>
#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/ui/ui_test_support.h"
#include "ui/main_window.h"
#include "ui/program_arguments.h"

using namespace snpln;

namespace {

struct Row {
  const char *label;
  std::vector<std::string> arguments; // after the program's name
  std::vector<std::string> names;     // the main window's file list
  std::string style;                  // the style's name, lower case
  bool reverse = false;               // right to left
  bool styleSheet = false;            // the sheet of the row's file is set
  std::string geometry;               // "WxH+X+Y" of the window, or ""
};

Row row(const char *label, std::vector<std::string> arguments,
        std::vector<std::string> names, std::string style, bool reverse = false,
        bool styleSheet = false, std::string geometry = {}) {
  return {label,   std::move(arguments), std::move(names),   std::move(style),
          reverse, styleSheet,           std::move(geometry)};
}

// What the child saw, one field a line.
std::string observe(int argc, char **argv, const QString &sheet) {
  ui::ProgramArguments arguments(argc, argv);
  QApplication app(arguments.qtArgc(), arguments.qtArgv());
  test::MemoryStore store;
  ui::MainWindow::Options options;
  options.settings = &store;
  ui::MainWindow window(arguments.commandLine(), options);
  window.show();
  QApplication::processEvents();
  std::string seen = "names:";
  for (const std::string &name : window.fileList())
    seen += " [" + name + "]";
  seen += "\nstyle: " + QApplication::style()->name().toLower().toStdString();
  seen += std::string("\nreverse: ") +
          (QApplication::layoutDirection() == Qt::RightToLeft ? "yes" : "no");
  seen +=
      std::string("\nstyle sheet: ") +
      (!sheet.isEmpty() && qApp->styleSheet().contains(sheet) ? "yes" : "no");
  // -qwindowgeometry gives the size of the window's inside and the place
  // of its frame.
  const QSize size = window.size();
  const QPoint place = window.frameGeometry().topLeft();
  seen += "\ngeometry: " + std::to_string(size.width()) + "x" +
          std::to_string(size.height()) + "+" + std::to_string(place.x()) +
          "+" + std::to_string(place.y());
  return seen + "\n";
}

std::string expected(const Row &row, const std::string &seenGeometry) {
  std::string said = "names:";
  for (const std::string &name : row.names)
    said += " [" + name + "]";
  said += "\nstyle: " + row.style;
  said += std::string("\nreverse: ") + (row.reverse ? "yes" : "no");
  said += std::string("\nstyle sheet: ") + (row.styleSheet ? "yes" : "no");
  said += "\ngeometry: " + (row.geometry.empty() ? seenGeometry : row.geometry);
  return said + "\n";
}

// Runs `row` in a child and answers what it saw.
std::string runRow(const Row &row, const std::string &sheetPath) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0)
    return "no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeEnds[0]);
    std::vector<std::string> words = {"snpln"};
    for (const std::string &arg : row.arguments)
      words.push_back(arg == "SHEET" ? sheetPath : arg);
    std::vector<char *> argv;
    for (std::string &word : words)
      argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string seen =
        observe(static_cast<int>(words.size()), argv.data(),
                QString::fromStdString(sheetPath));
    const ssize_t wrote = ::write(pipeEnds[1], seen.data(), seen.size());
    ::_exit(wrote == static_cast<ssize_t>(seen.size()) ? 0 : 1);
  }
  ::close(pipeEnds[1]);
  std::string seen;
  char buffer[4096];
  for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
    seen.append(buffer, static_cast<std::size_t>(got));
  ::close(pipeEnds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    seen += "(the child ended with status " + std::to_string(status) + ")\n";
  return seen;
}

std::string field(const std::string &seen, const std::string &name) {
  const std::size_t at = seen.find(name + ": ");
  if (at == std::string::npos)
    return {};
  const std::size_t from = at + name.size() + 2;
  return seen.substr(from, seen.find('\n', from) - from);
}

} // namespace

int main() {
  QTemporaryDir dir;
  const std::string sheet = QDir(dir.path()).filePath("dark.qss").toStdString();
  test::writeFile(QString::fromStdString(sheet),
                  "QWidget { background: #202020; color: #e0e0e0; }\n");
  const Row plain = row("no option", {"a.txt"}, {"a.txt"}, "");
  const std::string platformDefault = field(runRow(plain, sheet), "style");

  const std::vector<Row> rows = {
      row("style", {"-style", "Windows", "a.txt"}, {"a.txt"}, "windows"),
      // A style sheet's style has no name of its own.
      row("style sheet", {"-stylesheet", "SHEET", "a b.txt"}, {"a b.txt"}, "",
          false, true),
      row("style=", {"-style=Windows", "b.txt"}, {"b.txt"}, "windows"),
      row("two dashes", {"--style", "Windows", "c.txt"}, {"c.txt"}, "windows"),
      row("reverse", {"-reverse", "d.txt"}, {"d.txt"}, platformDefault, true),
      row("window geometry", {"-qwindowgeometry", "700x400+30+40", "e.txt"},
          {"e.txt"}, platformDefault, false, false, "700x400+30+40"),
      row("platform, a name with a blank",
          {"-platform", "offscreen", "g h.txt"}, {"g h.txt"}, platformDefault),
      row("after --, options are names",
          {"x.txt", "--", "-style", "Windows", "--", "-reverse"},
          {"x.txt", "-style", "Windows", "--", "-reverse"}, platformDefault),
      row("./-style is a name", {"./-style", "Windows"},
          {"./-style", "Windows"}, platformDefault),
      row("not Qt's: a name", {"-unknown", "f.txt"}, {"-unknown", "f.txt"},
          platformDefault),
      row("nothing", {}, {}, platformDefault),
  };
  int failed = 0;
  if (platformDefault.empty() || platformDefault == "windows") {
    std::printf("FAIL: the platform's own style is %s\n",
                platformDefault.c_str());
    ++failed;
  }
  for (const Row &each : rows) {
    const std::string seen = runRow(each, sheet);
    const std::string wanted = expected(each, field(seen, "geometry"));
    if (seen == wanted) {
      std::printf("PASS: %s\n", each.label);
      continue;
    }
    ++failed;
    std::printf("FAIL: %s\n  saw:\n%s  wanted:\n%s", each.label, seen.c_str(),
                wanted.c_str());
  }
  std::printf("%d of %zu rows failed\n", failed, rows.size());
  return failed == 0 ? 0 : 1;
}
