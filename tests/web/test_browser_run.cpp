// The run the browser's page makes (web/browser_run.h) against snpln-cli's
// own over the same files: for every operation, page and tree of the
// table, the same status, the same JSON objects (in any order: the page
// lists a folder in its names' order, the disk in its own) and the same
// bytes in every file; the options the page refuses; what it tells while
// it runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/console_host.h"
#include "platform/memory_file_system.h"
#include "tests/support/russian_samples.h"
#include "tests/support/temp_dir.h"
#include "web/browser_run.h"

namespace snpln::web {
namespace {

using Tree = std::map<std::string, std::string>;

std::string inPage(const std::string &utf8, engine::CodePage page) {
  const auto bytes = test::iconvInPage(utf8, page);
  EXPECT_TRUE(bytes) << test::pageName(page);
  return bytes.value_or("");
}

std::string utf16(const std::string &utf8, const char *order) {
  const auto bytes = test::convertText(utf8, "UTF-8", order);
  EXPECT_TRUE(bytes) << order;
  return bytes.value_or("");
}

// Files in every page, a text of ASCII alone with blank runs and empty
// lines, one that is not text, a nested folder, hidden names, Cyrillic
// names.
Tree makeTree() {
  const std::string prose = test::allRussianProse();
  const auto excerpts = test::excerptsOf(prose, 300, 8, 32);
  using engine::CodePage;
  Tree tree;
  tree["prose/dos.txt"] = inPage(excerpts[0], CodePage::Dos);
  tree["prose/win.txt"] = inPage(excerpts[1], CodePage::Win);
  tree["prose/koi.txt"] = inPage(excerpts[2], CodePage::Koi);
  tree["prose/iso.txt"] = inPage(excerpts[3], CodePage::Iso);
  tree["prose/utf8.txt"] = excerpts[4] + "\r\n\r\n\r\n\r\nкот и пёс\n";
  tree["prose/utf16le.txt"] = "\xFF\xFE" + utf16(excerpts[5], "UTF-16LE");
  tree["prose/utf16be.txt"] = "\xFE\xFF" + utf16(excerpts[5], "UTF-16BE");
  tree["prose/latin.txt"] =
      "        indented\r\nname    value   \r\n\r\n\r\n\r\nend\tof it";
  tree["prose/bin.dat"] = std::string("\x01\x00\x02\xC0", 4);
  tree["prose/sub/deep.htm"] =
      inPage("<p>Глубоко в лесу.</p>\n", CodePage::Win);
  tree["prose/sub/mixed.txt"] = "a\r\nb\nc\rd\n\re";
  tree["prose/.hidden.txt"] = inPage("Скрытый файл\n", CodePage::Koi);
  tree["prose/.git/config"] = "[core]\n";
  tree["top.txt"] = inPage("Привет, мир! Ёлка и ель.\r\n", CodePage::Koi);
  tree["Папка/файл.txt"] = "Заметка: «кавычки» — тире… №5\n";
  tree["empty.txt"] = "";
  return tree;
}

struct Outcome {
  int status = 0;
  std::vector<std::string> objects;
  std::string messages;
  Tree files;
};

std::string sorted(std::vector<std::string> lines) {
  std::sort(lines.begin(), lines.end());
  std::string text;
  for (const std::string &line : lines)
    text += line + "\n";
  return text;
}

std::vector<std::string> linesOf(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (!line.empty())
      lines.push_back(line);
  return lines;
}

// snpln-cli with --json over the tree on the disk (without -v and -q,
// which --json refuses and the page passes over): its objects, and the
// rest of what it prints as the messages.
Outcome onDisk(const Tree &tree, std::vector<std::string> args) {
  std::erase_if(
      args, [](const std::string &arg) { return arg == "-v" || arg == "-q"; });
  test::TempDir dir;
  for (const auto &[path, bytes] : tree) {
    const auto cut = path.rfind('/');
    if (cut != std::string::npos)
      std::filesystem::create_directories(
          std::filesystem::u8path(dir.file(path.substr(0, cut))));
    dir.write(path, bytes);
  }
  Outcome outcome;
  {
    test::ChangeDirectory cd(dir.path());
    args.insert(args.begin(), {"snpln-cli", "--json"});
    std::vector<char *> argv;
    for (std::string &arg : args)
      argv.push_back(arg.data());
    std::istringstream in;
    std::ostringstream out, err;
    outcome.status = cli::runCli(static_cast<int>(argv.size()), argv.data(), in,
                                 out, err, false);
    cli::interrupted = false;
    for (const std::string &line : linesOf(out.str()))
      if (line.front() == '{')
        outcome.objects.push_back(line);
      else
        outcome.messages += line + "\n";
    outcome.messages += err.str();
  }
  const std::filesystem::path root = std::filesystem::u8path(dir.path());
  for (const auto &entry : std::filesystem::recursive_directory_iterator(root))
    if (entry.is_regular_file()) {
      const auto relative =
          std::filesystem::relative(entry.path(), root).u8string();
      const std::string path(relative.begin(), relative.end());
      outcome.files[path] = dir.read(path);
    }
  return outcome;
}

void collect(platform::MemoryFileSystem &fs, const std::string &folder,
             Tree &files) {
  for (const std::string &name : fs.names(folder)) {
    const std::string path = folder.empty() ? name : folder + "/" + name;
    if (const auto content = fs.content(path))
      files[path] = platform::bytesOf(*content).value_or("<unreadable>");
    else
      collect(fs, path, files);
  }
}

// The page's run over the tree in memory.
Outcome inBrowser(const Tree &tree, const std::vector<std::string> &args,
                  const RunEvents &given = {}) {
  platform::MemoryFileSystem fs;
  for (const auto &[path, bytes] : tree)
    EXPECT_TRUE(fs.putFile(path, bytes)) << path;
  Outcome outcome;
  RunEvents events = given;
  events.report = [&](const std::string &object, const std::string &english,
                      const std::string &russian) {
    outcome.objects.push_back(object);
    if (given.report)
      given.report(object, english, russian);
  };
  const BrowserRunResult result = runInBrowser(args, fs, events);
  outcome.status = result.status;
  outcome.messages = result.messages;
  collect(fs, "", outcome.files);
  return outcome;
}

std::string describe(const Tree &files) {
  std::string text;
  for (const auto &[path, bytes] : files)
    text += path + ": " + std::to_string(bytes.size()) + " bytes\n";
  return text;
}

TEST(BrowserRun, GivesWhatTheCommandLineGivesOverTheSameFiles) {
  const Tree tree = makeTree();
  const std::vector<std::vector<std::string>> table = {
      {"-d", "prose", "top.txt", "Папка", "empty.txt"},
      {"-t", "utf8", "."},
      {"-t", "win", "--filter", "*.txt *.htm", "prose"},
      {"-f", "koi", "-t", "dos", "top.txt"},
      {"-t", "iso", "prose/dos.txt", "prose/utf8.txt"},
      {"-t", "utf16", "prose", "top.txt"},
      {"-t", "utf16be", "-f", "win", "prose/win.txt"},
      {"-t", "koi", "prose/utf16le.txt", "prose/utf16be.txt"},
      {"--upper", "-t", "koi", "."},
      {"--lower", "--hidden", "prose"},
      {"--smart", "--save-upper", "prose", "top.txt"},
      {"--exclude", "не", "--ignore-case", "--left-part", "prose"},
      {"--replace", "и", "--with", "И", "--right-part", "prose"},
      {"--replace", "мир", "--with", "MIR", "--bytes", "top.txt"},
      {"--optimize", "--tab-size", "4", "--delete-empty", "prose"},
      {"--line-ends", "crlf", "."},
      {"--line-ends", "cr", "-t", "utf8", "prose/sub"},
      {"--bom", "add", "prose", "Папка"},
      {"--bom", "remove", "-t", "utf8", "prose"},
      {"--substitute", "-t", "koi", "Папка"},
      {"-t", "koi", "Папка"},
      {"-n", "-t", "utf8", "--upper", "prose"},
      {"-v", "-t", "dos", "prose/*.txt"},
      {"-q", "--lower", "missing.txt", "top.txt"},
      {"-t", "utf8", "top.txt/", "prose/nothing/"},
      {"--optimize", "--tab-size", "0", "top.txt"},
      {"--with", "x", "top.txt"},
      {"-l"},
  };
  for (const auto &args : table) {
    std::string line;
    for (const std::string &arg : args)
      line += arg + " ";
    SCOPED_TRACE(line);
    const Outcome disk = onDisk(tree, args);
    const Outcome page = inBrowser(tree, args);
    EXPECT_EQ(page.status, disk.status);
    EXPECT_EQ(sorted(page.objects), sorted(disk.objects));
    if (disk.status == cli::kExitUsage ||
        args == std::vector<std::string>{"-l"}) {
      EXPECT_EQ(page.messages, disk.messages);
    }
    EXPECT_EQ(describe(page.files), describe(disk.files));
    EXPECT_TRUE(page.files == disk.files) << "a file's bytes differ";
  }
}

TEST(BrowserRun, OptionsThatMeanNothingOverThePagesFilesAreRefused) {
  const Tree tree = makeTree();
  const std::vector<std::pair<std::vector<std::string>, std::string>> table = {
      {{"-o", "out.txt", "-t", "utf8", "top.txt"}, "--output"},
      {{"-b", "-t", "utf8", "top.txt"}, "--backup"},
      {{"--backup", "--suffix", ".bak", "--upper", "top.txt"}, "--backup"},
      {{"-k", "-t", "utf8", "top.txt"}, "--keep-date"},
      {{"-kt", "utf8", "top.txt"}, "--keep-date"},
      {{"--allow-chown", "--upper", "top.txt"}, "--allow-chown"},
      {{"-j", "2", "--upper", "top.txt"}, "--jobs"},
      {{"--jobs=8", "--upper", "top.txt"}, "--jobs"},
      {{"-t", "utf8", "-"}, "-"},
      {{"-t", "utf8", "top.txt", "-"}, "-"},
  };
  for (const auto &[args, option] : table) {
    SCOPED_TRACE(args.front());
    const Outcome page = inBrowser(tree, args);
    EXPECT_EQ(page.status, cli::kExitUsage);
    EXPECT_EQ(page.objects, std::vector<std::string>{});
    EXPECT_EQ(page.messages,
              "snpln-cli: " + option +
                  " is not taken in the browser: -o, -b, --suffix, -k, -j "
                  "other than 1, - and --allow-chown mean nothing over the "
                  "page's files\n");
    EXPECT_TRUE(page.files == tree) << "a file changed";
  }
  // One worker is what the page has anyway.
  const Outcome one = inBrowser(tree, {"-j", "1", "--upper", "top.txt"});
  EXPECT_EQ(one.status, 0) << one.messages;
  EXPECT_EQ(one.objects.size(), 2u); // the file's and the summary
}

TEST(BrowserRun, TheRefusalAndTheWordsFollowTheLocale) {
  const char *before = std::getenv("LC_ALL");
  const std::string kept = before ? before : "";
  ::setenv("LC_ALL", "ru_RU.UTF-8", 1);
  const Outcome refused = inBrowser(makeTree(), {"-k", "--upper", "top.txt"});
  EXPECT_EQ(refused.messages,
            "snpln-cli: --keep-date в браузере не принимается: -o, -b, "
            "--suffix, -k, -j кроме 1, - и --allow-chown не имеют смысла для "
            "файлов страницы\n");
  if (before)
    ::setenv("LC_ALL", kept.c_str(), 1);
  else
    ::unsetenv("LC_ALL");
  // Each object comes with its words in both languages, whatever the
  // locale.
  std::vector<std::pair<std::string, std::string>> words;
  RunEvents events;
  events.report = [&](const std::string &, const std::string &english,
                      const std::string &russian) {
    words.emplace_back(english, russian);
  };
  inBrowser(makeTree(), {"-t", "utf8", "top.txt", "prose/latin.txt", "nope"},
            events);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"File(s) successfully converted from ''Koi'' to ''UTF-8''",
       "Файл(ы) успешно преобразованы из ''Koi'' в ''UTF-8''"},
      {"This file consist of english symbols only",
       "Файл содержит только английские символы"},
      {"File or directory not found: No such file or directory",
       "Файл или каталог не найден: No such file or directory"},
      {"", ""}, // the summary
  };
  EXPECT_EQ(words, expected);
}

// One start per file: every operation runs over it in the one sweep.
TEST(BrowserRun, TellsEachFilesStartAndProgress) {
  std::vector<std::pair<std::string, std::size_t>> started;
  std::vector<int> percents;
  RunEvents events;
  events.jobStarted = [&](const std::string &canceled, std::size_t number) {
    started.emplace_back(canceled, number);
  };
  events.progress = [&](int percent) { percents.push_back(percent); };
  const Outcome page =
      inBrowser(makeTree(), {"--upper", "-t", "utf8", "prose/sub"}, events);
  EXPECT_EQ(page.status, 0) << page.messages;
  const std::vector<std::pair<std::string, std::size_t>> expected = {
      {R"({"kind":"file","path":"prose/sub/deep.htm","pass":"upper","outcome":"canceled","error":"canceled"})",
       1},
      {R"({"kind":"file","path":"prose/sub/mixed.txt","pass":"upper","outcome":"canceled","error":"canceled"})",
       2},
  };
  EXPECT_EQ(started, expected);
  ASSERT_FALSE(percents.empty());
  EXPECT_TRUE(std::all_of(percents.begin(), percents.end(),
                          [](int p) { return p >= 0 && p <= 100; }));
  EXPECT_EQ(percents.back(), 100);
}

} // namespace
} // namespace snpln::web
