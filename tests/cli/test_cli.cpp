// snpln-cli end to end through runCli, over real files. Behaviours that
// come down to what the command prints are golden transcripts in tests/cli.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>

#include "cli/console_host.h"
#include "cli/locale_text.h"
#ifdef _WIN32
#include "cli/windows_console.h"
#endif
#include "job/file_run.h"
#include "snpln/version.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/forwarding_input_file.h"
#include "tests/support/native_file_system.h"
#include "tests/support/reference_text_engines.h"
#include "tests/support/reference_utf8_engines.h"
#include "tests/support/russian_samples.h"
#include "tests/support/temp_dir.h"

namespace snpln {
namespace {

// "Привет, мир" in Win1251 and CP866.
const std::string kHelloWin = "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0";
const std::string kHelloDos = "\x8F\xE0\xA8\xA2\xA5\xE2, \xAC\xA8\xE0";

struct Outcome {
  int status;
  std::string out, err;
};

class CliTest : public ::testing::Test {
protected:
  test::TempDir dir;
  test::ChangeDirectory cd{dir.path()};

  void TearDown() override { cli::interrupted = false; }

  Outcome run(std::vector<std::string> args,
              platform::FileSystem &fs = platform::realFileSystem(),
              const std::string &input = {}) {
    args.insert(args.begin(), "snpln-cli");
    std::vector<char *> argv;
    for (auto &a : args)
      argv.push_back(a.data());
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = cli::runCli(static_cast<int>(argv.size()), argv.data(),
                                   in, out, err, false, fs);
    return {status, out.str(), err.str()};
  }
};

TEST_F(CliTest, SeveralOperationsRunAsPassesInOperationOrder) {
  dir.write("a.txt", "one cat.\r\n\r\n\r\n\r\ntwo cats");
  // Upper case (0) runs before replace (8), so the lower-case search text
  // no longer matches unless the case is ignored. Each operation's success
  // is told, in their order.
  const auto r = run({"--delete-empty", "--replace", "cat", "--with", "dog",
                      "--ignore-case", "--upper", "a.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(dir.read("a.txt"), "ONE dog.\r\n\r\nTWO dogS");
  EXPECT_EQ(r.out, "File(s) successfully converted: with upper case\n"
                   "From file(s) successfully excluded given string: and "
                   "replaced with received string, Nr. of hits: 2\n"
                   "From file(s) deleted excessive empty lines,: Number of "
                   "hits: 2\n");
}

// A run's operations over a file are one rewrite or none: a failure in any
// of them leaves the file byte for byte as it was, with its inode, and
// status 1; the operations after a recoding to UTF-16 write its units.
TEST_F(CliTest, EveryOperationOfAFileIsOneRewriteOrNone) {
  const std::string koi = "\xF0\xD2\xC9\xD7\xC5\xD4, \xCD\xC9\xD2!   ok";
  struct Row {
    const char *name;
    std::string before;
    std::vector<std::string> args;
    int status;
    std::string after; // empty: as before
  };
  const Row rows[] = {
      // Upper case applied and TABs added, still UTF-8, before.
      {"a character KOI8-R lacks",
       "Привет, мир! Цена   10 €.",
       {"--upper", "-t", "koi", "--optimize"},
       1,
       ""},
      // Upper-cased and CP866, before.
      {"a replacement CP866 lacks",
       koi,
       {"-t", "dos", "--upper", "--replace", "МИР", "--with", "«мир»"},
       1,
       ""},
      // Line ends refused ("recode it first"), before.
      {"line ends of UTF-16",
       koi + "\n",
       {"-t", "utf16", "--line-ends", "crlf"},
       0,
       std::string("\xFF\xFE\x1F\x04\x40\x04\x38\x04\x32\x04\x35\x04"
                   "\x42\x04,\0 \0\x3C\x04\x38\x04\x40\x04!\0 \0 \0 \0o\0k"
                   "\0\r\0\n\0",
                   40)},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    dir.write("f.txt", row.before);
#ifndef _WIN32
    struct stat before {};
    ASSERT_EQ(::stat(dir.file("f.txt").c_str(), &before), 0);
#endif
    std::vector<std::string> args = row.args;
    args.push_back("f.txt");
    const auto r = run(args);
    EXPECT_EQ(r.status, row.status) << r.out << r.err;
    EXPECT_EQ(dir.read("f.txt"), row.after.empty() ? row.before : row.after);
#ifndef _WIN32
    if (row.after.empty()) {
      struct stat after {};
      ASSERT_EQ(::stat(dir.file("f.txt").c_str(), &after), 0);
      EXPECT_EQ(after.st_ino, before.st_ino);
      EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    }
#endif
    EXPECT_EQ(dir.names(), std::vector<std::string>{"f.txt"});
  }
}

// The same Russian prose (with Yo) in each of the five pages: every
// operation, with every word option and with case ignored, gives the same
// text in each, the page found by detection at the file's first pass and
// carried through the passes.
TEST_F(CliTest, EachOperationGivesTheSameTextInEveryPage) {
  const std::string prose = test::russianProse();
  // Recoding among the passes: its target is the page of the result. The
  // rows that recode between single-byte pages leave ISO 8859-5 out: those
  // tables are the recoding's own matter, not the letters'.
  const std::vector<std::vector<std::string>> operations = {
      {"--upper"},
      {"--lower"},
      {"--smart"},
      {"--smart", "--save-upper"},
      {"--exclude", "ё", "--ignore-case"},
      {"--replace", "его", "--with", "ЕГО"},
      {"--replace", "ЕГО", "--with", "её", "--ignore-case", "--left-part"},
      {"--replace", "на", "--with", "НА", "--right-part"},
      {"--replace", "ПО", "--with", "Пo", "--left-part", "--right-part",
       "--ignore-case"},
      {"--replace", "ё", "--with", "е", "--ignore-case"},
      {"--upper", "--replace", "ЁЛК", "--with", "ёлк"},
      {"--smart", "--exclude", "и", "--right-part", "--left-part"},
      {"--upper", "--delete-empty", "--optimize"},
      {"--upper", "-t", "utf8"},
      {"--lower", "-t", "utf8", "--replace", "ё", "--with", "Ё"},
      {"--smart", "-t", "utf8", "--exclude", "ЁЛ", "--ignore-case"},
      {"--lower", "-t", "koi", "--replace", "ё", "--with", "Ё"},
      {"--upper", "-t", "dos", "--replace", "Ё", "--with", "Е"},
      {"-t", "win", "--smart", "--exclude", "ё", "--right-part"},
  };
  const std::pair<const char *, engine::CodePage> pages[] = {
      {"utf8", engine::CodePage::Utf8},
      {"dos", engine::CodePage::Dos},
      {"win", engine::CodePage::Win},
      {"koi", engine::CodePage::Koi},
      {"iso", engine::CodePage::Iso}};
  const auto encode = [](const std::string &utf8, engine::CodePage page) {
    return page == engine::CodePage::Utf8 ? utf8 : test::inPage(utf8, page);
  };
  const auto decode = [](const std::string &bytes, engine::CodePage page) {
    return page == engine::CodePage::Utf8 ? bytes : test::fromPage(bytes, page);
  };
  for (const auto &operation : operations) {
    std::string line;
    engine::CodePage target = engine::CodePage::Auto;
    for (std::size_t i = 0; i < operation.size(); ++i) {
      line += operation[i] + " ";
      if (operation[i] == "-t")
        for (const auto &[name, page] : pages)
          if (operation[i + 1] == name)
            target = page;
    }
    std::optional<std::string> first;
    for (const auto &[name, page] : pages) {
      dir.write("f.txt", encode(prose, page));
      std::vector<std::string> args = operation;
      args.push_back("f.txt");
      const auto r = run(args);
      ASSERT_EQ(r.status, 0) << line << name << ": " << r.err;
      SCOPED_TRACE(line + "in " + name);
      const engine::CodePage after =
          target == engine::CodePage::Auto ? page : target;
      const std::string text = decode(dir.read("f.txt"), after);
      if (!first)
        first = text;
      EXPECT_EQ(text, *first) << line << "in " << name;
    }
    EXPECT_NE(*first, prose) << line << "changed nothing";
  }
}

// The faults of single-byte files that this pins, as a user met them.
TEST_F(CliTest, RegressionCaseAndReplacementInTheFilesOwnPage) {
  const auto dos = [](const std::string &utf8) {
    return test::inPage(utf8, engine::CodePage::Dos);
  };
  const auto koi = [](const std::string &utf8) {
    return test::inPage(utf8, engine::CodePage::Koi);
  };
  const std::string text = "Ёжик в тумане. Ёжик шёл по лесу и нёс узелок.";
  // Upper case ran before the recoding in the page read as Windows-1251,
  // leaving "╨жик в ┬├мане" in UTF-8.
  dir.write("dos.txt", dos(text));
  EXPECT_EQ(run({"--upper", "-t", "utf8", "dos.txt"}).status, 0);
  EXPECT_EQ(dir.read("dos.txt"),
            "ЁЖИК В ТУМАНЕ. ЁЖИК ШЁЛ ПО ЛЕСУ И НЁС УЗЕЛОК.");
  // Yo was no letter: "ёлка" became "ёЛКА".
  dir.write("win.txt", test::win1251("ёлка и ёж"));
  EXPECT_EQ(run({"--upper", "win.txt"}).status, 0);
  EXPECT_EQ(dir.read("win.txt"), test::win1251("ЁЛКА И ЁЖ"));
  // The replacement went in as Windows-1251, leaving two encodings.
  dir.write("koi.txt", koi(text + " Kot"));
  EXPECT_EQ(run({"--replace", "Kot", "--with", "Пёс", "koi.txt"}).status, 0);
  EXPECT_EQ(dir.read("koi.txt"), koi(text + " Пёс"));
  // Exclusion found nothing in a KOI8-R file.
  dir.write("koi.txt", koi(text));
  const auto hits = run({"--exclude", "ёжик", "--ignore-case", "koi.txt"});
  EXPECT_EQ(hits.out, "From file(s) successfully excluded given string: "
                      "Number of hits: 2\n");
  EXPECT_EQ(dir.read("koi.txt"), koi(" в тумане.  шёл по лесу и нёс узелок."));
  // Recoding to UTF-8 ran last, so the replacement looked for KOI8-R text
  // in UTF-8 and found nothing.
  dir.write("koi.txt", koi("Привет, мир"));
  const auto r =
      run({"--replace", "мир", "--with", "MIR", "-t", "utf8", "koi.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(dir.read("koi.txt"), "Привет, MIR");
  EXPECT_EQ(r.out, "File(s) successfully converted: with coding autodetect  "
                   "to ''UTF-8''\n"
                   "From file(s) successfully excluded given string: and "
                   "replaced with received string, Nr. of hits: 1\n");
}

// A run of several operations gives what running them one at a time, in
// the order of the passes, gives: each single run named the page the file
// is in by then.
TEST_F(CliTest, SeveralOperationsEqualTheirPassesOneByOne) {
  const std::string prose = test::russianProse();
  struct Pass {
    std::vector<std::string> options;
    bool recodes = false;
  };
  const std::vector<std::vector<Pass>> runs = {
      {{{"--upper"}},
       {{"-t", "utf8"}, true},
       {{"--replace", "ЁЖ", "--with", "ёж", "--ignore-case"}}},
      {{{"-t", "koi"}, true},
       {{"--smart"}},
       {{"--exclude", "и", "--left-part"}},
       {{"--delete-empty"}}},
      {{{"--upper"}}, {{"-t", "iso"}, true}, {{"--optimize"}}},
  };
  for (const auto &passes : runs) {
    for (engine::CodePage page : {engine::CodePage::Dos, engine::CodePage::Koi,
                                  engine::CodePage::Win}) {
      const std::string source = test::inPage(prose, page);
      const std::string sourceName = test::pageName(page);
      std::vector<std::string> all;
      std::string line;
      for (const Pass &p : passes)
        for (const auto &o : p.options) {
          all.push_back(o);
          line += o + " ";
        }
      dir.write("together.txt", source);
      all.push_back("together.txt");
      ASSERT_EQ(run(all).status, 0) << line;

      dir.write("apart.txt", source);
      std::string named = sourceName;
      for (const Pass &p : passes) {
        // The page the file is in by now, named.
        std::vector<std::string> args = p.options;
        args.insert(args.begin(), {"--from", named});
        if (p.recodes)
          named = p.options[1];
        args.push_back("apart.txt");
        ASSERT_EQ(run(args).status, 0) << line;
      }
      EXPECT_EQ(dir.read("together.txt"), dir.read("apart.txt"))
          << line << "from " << sourceName;
    }
  }
}

// Every kind of file outcome gives the same status whether the file is
// named or found in a tree, and only failures write to standard error.
TEST_F(CliTest, ExitStatusPerOutcomeNamedAndInATree) {
  struct Case {
    const char *name;
    std::vector<std::string> options;
    std::string content; // empty: a link to nothing
    int status;
    int treeStatus = -1; // in a tree, when it differs
  };
  const Case cases[] = {
      {"converted", {"--upper"}, "abc", 0},
      {"already in the target page", {"-t", "win"}, kHelloWin, 0},
      {"no Cyrillic letter", {"-t", "win"}, "plain english", 0},
      {"no Cyrillic letter, detect", {"-d"}, "plain english", 0},
      {"binary data", {"--upper"}, std::string("ab\0cd", 5), 0},
      {"line too long", {"--optimize"}, std::string(40000, 'a'), 1},
      {"a character the target page cannot hold",
       {"-t", "koi"},
       "\xD0\x9C\xD0\xB8\xD1\x80 caf\xC3\xA9",
       1},
      {"invalid UTF-8 from UTF-8", {"-f", "utf8", "-t", "win"}, "ab\xFFz", 1},
      // Named, it is not found; in a tree, it is passed over.
      {"a link to nothing", {"--upper"}, "", 1, 0},
  };
  for (const Case &c : cases) {
    for (const bool inTree : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (inTree ? ", in a tree" : ", named"));
      test::TempDir work;
      test::ChangeDirectory into(work.path());
      work.mkdir("t");
      if (c.content.empty())
        work.symlink("missing", "t/f.txt");
      else
        work.write("t/f.txt", c.content);
      std::vector<std::string> args = c.options;
      args.push_back(inTree ? "t" : "t/f.txt");
      const auto r = run(args);
      const int status = inTree && c.treeStatus >= 0 ? c.treeStatus : c.status;
      EXPECT_EQ(r.status, status) << r.out << r.err;
      EXPECT_EQ(r.err.empty(), status == 0) << r.err;
    }
  }
}

TEST_F(CliTest, Utf8AndTheUsualNamesOfEveryCodePageInAnyCase) {
  const std::string helloUtf8 =
      "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, "
      "\xD0\xBC\xD0\xB8\xD1\x80";
  struct Case {
    std::string from, to, before, after;
  };
  const Case cases[] = {
      {"CP866", "UTF-8", kHelloDos, helloUtf8},
      {"utf8", "Windows-1251", helloUtf8, kHelloWin},
      {"1251", "dos", kHelloWin, kHelloDos},
      {"IBM866", "1251", kHelloDos, kHelloWin},
      {"auto", "utf8", kHelloWin, helloUtf8},
  };
  for (const Case &c : cases) {
    dir.write("n.txt", c.before);
    const auto r = run({"--from", c.from, "--to", c.to, "n.txt"});
    EXPECT_EQ(r.status, 0) << c.from << " -> " << c.to << ": " << r.err;
    EXPECT_EQ(dir.read("n.txt"), c.after) << c.from << " -> " << c.to;
  }
  for (const char *name : {"koi8-r", "KOI8R", "koi", "iso-8859-5", "ISO8859-5",
                           "iso", "866", "cp1251", "Utf-8"}) {
    dir.write("n.txt", kHelloWin);
    EXPECT_EQ(run({"--from", "win", "--to", name, "n.txt"}).status, 0) << name;
  }
}

TEST_F(CliTest, TypedTextIsCharactersUnlessBytesIsGiven) {
  const std::string mirUtf8 = "\xD0\xBC\xD0\xB8\xD1\x80";
  dir.write("w.txt", kHelloWin);
  EXPECT_EQ(run({"--replace", mirUtf8, "--with", "MIR", "w.txt"}).status, 0);
  EXPECT_EQ(dir.read("w.txt"), "\xCF\xF0\xE8\xE2\xE5\xF2, MIR");

  dir.write("w.txt", kHelloWin);
  EXPECT_EQ(
      run({"--bytes", "--replace", "\xEC\xE8\xF0", "--with", "MIR", "w.txt"})
          .status,
      0);
  EXPECT_EQ(dir.read("w.txt"), "\xCF\xF0\xE8\xE2\xE5\xF2, MIR");

  // A replacement Windows-1251 cannot hold fails the file, unchanged.
  dir.write("w.txt", kHelloWin);
  const auto r = run({"--replace", mirUtf8, "--with", "caf\xC3\xA9", "w.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(
      (r.out + r.err)
          .find("Character U+00E9 \xC3\xA9 of the replacement text cannot be "
                "written in ''Win1251''"),
      std::string::npos)
      << r.out << r.err;
  EXPECT_EQ(dir.read("w.txt"), kHelloWin);

  // Bytes that are no text in the terminal's character set: a usage error.
  EXPECT_EQ(run({"--replace", "\xEC\xE8\xF0", "w.txt"}).status, 2);
}

TEST_F(CliTest, UsageErrorsGiveStatusTwo) {
  dir.write("a.txt", "x");
  const std::vector<std::vector<std::string>> cases = {
      {"a.txt"},
      {"--upper", "--lower", "a.txt"},
      {"--upper"},
      {"--exclude", "a", "--replace", "b", "a.txt"},
      {"--detect", "--to", "win", "a.txt"},
      // --from names the files' page for an operation; alone it is none,
      // and detection finds the page itself.
      {"--from", "koi", "a.txt"},
      {"--detect", "--from", "koi", "a.txt"},
      {"--to", "utf32", "a.txt"},
      {"--bogus", "a.txt"},
      {"--with", "x", "a.txt"},
      {"--save-upper", "--upper", "a.txt"},
      {"-d", "-t", "win", "a.txt"},
      {"--smart", "--lower", "a.txt"},
      // The tab size is a whole number from 1, nothing else.
      {"--optimize", "--tab-size", "abc", "a.txt"},
      {"--optimize", "--tab-size", "0", "a.txt"},
      {"--optimize", "--tab-size", "-4", "a.txt"},
      {"--optimize", "--tab-size", "4x", "a.txt"},
      {"--optimize", "--tab-size", "", "a.txt"},
      {"--optimize", "--tab-size", "99999999999", "a.txt"},
      // A mask names files inside the walked directories.
      {"--upper", "--filter", "sub/*.txt", "a.txt"},
      {"--upper", "--filter", "*.txt ../*", "a.txt"},
      {"--upper", "--filter", "   ", "a.txt"},
      {"--upper", "--filter", "\t", "a.txt"},
      {"--line-ends", "lf", "--line-ends", "cr", "a.txt"},
      {"-d", "--line-ends", "lf", "a.txt"},
  };
  for (const auto &args : cases) {
    std::string line;
    for (const auto &a : args)
      line += "[" + a + "]";
    const auto r = run(args);
    EXPECT_EQ(r.status, 2) << line;
    EXPECT_NE(r.err, "") << line;
    EXPECT_EQ(r.out, "") << line;
  }
  EXPECT_EQ(dir.read("a.txt"), "x");
}

TEST_F(CliTest, GoodTabSizesAndFiltersAreTaken) {
  dir.mkdir("t");
  dir.write("t/a.txt", "x       y");
  dir.write("t/b.doc", "x       y");
  const auto r = run(
      {"--optimize", "--tab-size", "4", "--filter", " *.txt\t*.none ", "t"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(dir.read("t/a.txt"), "x\t\ty");
  EXPECT_EQ(dir.read("t/b.doc"), "x       y");
}

// One line each, with what a user needs to mend the command: the valid
// page names, the nearest option; -l and -V as in iconv and recode.
TEST_F(CliTest, ListVersionUnknownPagesAndSuggestionsGoldenTranscripts) {
  dir.write("a.txt", "x");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out, err;
  };
  const std::vector<Case> cases = {
      {{"-l"},
       0,
       "PAGE     STANDARD      ALSO\n"
       "dos      CP866         ibm866 866\n"
       "win      Windows-1251  cp1251 1251 win1251\n"
       "koi      KOI8-R        koi8r koi8\n"
       "iso      ISO-8859-5    iso8859-5\n"
       "mac      MacCyrillic   mac-cyrillic x-mac-ukrainian x-mac-cyrillic\n"
       "koi8u    KOI8-U        cp21866 21866\n"
       "cp1125   CP1125        1125 ibm1125 cp866u ruscii\n"
       "utf8     UTF-8         \n"
       "utf16    UTF-16        \n"
       "utf16le  UTF-16LE      \n"
       "utf16be  UTF-16BE      \n"
       "auto     -             --from only: detect each file's page\n",
       ""},
      {{"-V"}, 0, std::string("snpln-cli ") + kVersion + "\n", ""},
      {{"-t", "utf", "a.txt"},
       2,
       "",
       "snpln-cli: unknown code page \"utf\" for --to: give dos, win, koi, "
       "iso, mac, koi8u, cp1125, utf8, utf16, utf16le or utf16be (snpln-cli "
       "-l lists every name)\n"},
      {{"-f", "auto8", "-t", "win", "a.txt"},
       2,
       "",
       "snpln-cli: unknown code page \"auto8\" for --from: give auto, dos, "
       "win, koi, iso, mac, koi8u, cp1125, utf8, utf16, utf16le or utf16be "
       "(snpln-cli -l lists every name)\n"},
      {{"--keep-dat", "-t", "win", "a.txt"},
       2,
       "",
       "snpln-cli: unknown option --keep-dat; did you mean --keep-date?\n"},
      {{"--lsit"},
       2,
       "",
       "snpln-cli: unknown option --lsit; did you mean --list?\n"},
      {{"--uper=1", "a.txt"},
       2,
       "",
       "snpln-cli: unknown option --uper; did you mean --upper?\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const auto r = run(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, c.err);
  }
  // What -d prints goes back into -f.
  dir.write("k.txt", "\xF0\xD2\xC9\xD7\xC5\xD4");
  const auto detected = run({"-d", "k.txt"});
  EXPECT_EQ(detected.out, "k.txt: This file has coding ''Koi8''; no line end; "
                          "no byte order mark\n");
  EXPECT_EQ(run({"-f", "''Koi8''", "-t", "Win1251", "k.txt"}).status, 0);
  EXPECT_EQ(dir.read("k.txt"), "\xCF\xF0\xE8\xE2\xE5\xF2");
  EXPECT_EQ(dir.read("a.txt"), "x");
}

// -d, -t and -f as in iconv; code page names in any letter case.
TEST_F(CliTest, ShortOptionsAndCodePageNames) {
  dir.write("a.txt", kHelloWin);
  EXPECT_EQ(run({"-d", "a.txt"}).out,
            "a.txt: This file has coding ''Win1251''; no line end; no byte "
            "order mark\n");
  const std::pair<const char *, const char *> names[] = {
      {"cp866", "WINDOWS-1251"},
      {"IBM866", "1251"},
      {"866", "Win"},
      {"dos", "cp1251"}};
  for (const auto &[dos, win] : names) {
    SCOPED_TRACE(std::string(dos) + " " + win);
    dir.write("b.txt", kHelloWin);
    auto r = run({"-t", dos, "b.txt"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir.read("b.txt"), kHelloDos);
    r = run({"-f", dos, "-t", win, "b.txt"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir.read("b.txt"), kHelloWin);
  }
  for (const char *koi : {"koi", "KOI8-R", "koi8r"}) {
    dir.write("c.txt", kHelloWin);
    EXPECT_EQ(run({"--to", koi, "c.txt"}).status, 0) << koi;
    EXPECT_EQ(run({"--from", koi, "--to", "win", "c.txt"}).status, 0) << koi;
    EXPECT_EQ(dir.read("c.txt"), kHelloWin) << koi;
  }
  for (const char *iso : {"iso", "ISO-8859-5", "iso8859-5"}) {
    dir.write("d.txt", kHelloWin);
    EXPECT_EQ(run({"-t", iso, "d.txt"}).status, 0) << iso;
    EXPECT_EQ(run({"-f", iso, "-t", "win", "d.txt"}).status, 0) << iso;
    EXPECT_EQ(dir.read("d.txt"), kHelloWin) << iso;
  }
}

// -k carries the date through every pass of the run: each pass takes the
// times the last one left.
TEST_F(CliTest, KeepDateHoldsThroughEveryPass) {
#ifdef _WIN32
  SNPLN_SKIP_ON_WINDOWS("times set and read to the nanosecond by POSIX calls");
#else
  dir.write("a.txt", "ab  cd\r\n\xE0\r\n");
  const timespec times[2] = {{1111111111, 222222222}, {1000000000, 999999999}};
  ASSERT_EQ(::utimensat(AT_FDCWD, dir.file("a.txt").c_str(), times, 0), 0);
  const auto r = run({"-k", "-f", "dos", "-t", "win", "--line-ends", "lf",
                      "--optimize", "--tab-size", "4", "a.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  // Looked at before it is read: a read may set the access time.
  struct stat st {};
  ASSERT_EQ(::stat(dir.file("a.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_atim.tv_sec, times[0].tv_sec);
  EXPECT_EQ(st.st_atim.tv_nsec, times[0].tv_nsec);
  EXPECT_EQ(st.st_mtim.tv_sec, times[1].tv_sec);
  EXPECT_EQ(st.st_mtim.tv_nsec, times[1].tv_nsec);
  EXPECT_EQ(dir.read("a.txt"), "ab\tcd\n\xF0\n");
#endif
}

// --substitute: the closest equivalent instead of a fill byte (single-byte
// sources) or a failure (UTF-8), for --to and for typed --with text.
TEST_F(CliTest, SubstituteGoldenTranscripts) {
  // "«Цитата» — № €" in Windows-1251, and in UTF-8.
  const std::string win = "\xAB\xD6\xE8\xF2\xE0\xF2\xE0\xBB \x97 \xB9 \x88";
  const std::string utf8 =
      "\xC2\xAB\xD0\xA6\xD0\xB8\xD1\x82\xD0\xB0\xD1\x82\xD0\xB0\xC2\xBB "
      "\xE2\x80\x94 \xE2\x84\x96 \xE2\x82\xAC";
  // "Цитата" in KOI8-R.
  const std::string koi = "\xE3\xC9\xD4\xC1\xD4\xC1";
  dir.write("w.txt", win);
  auto r = run({"--substitute", "-v", "-f", "win", "-t", "koi", "w.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "w.txt: File(s) successfully converted from ''Win1251'' "
                   "to ''Koi8''; 5 characters substituted\n");
  EXPECT_EQ(dir.read("w.txt"), "\"" + koi + "\" - No EUR");

  dir.write("u.txt", utf8);
  r = run({"-t", "koi", "u.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "u.txt: Character U+00AB \xC2\xAB at line 1, column 1 (byte 0) "
            "cannot be written in ''Koi8''\n");
  EXPECT_EQ(dir.read("u.txt"), utf8);
  r = run({"--substitute", "-v", "-t", "koi", "u.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "u.txt: File(s) successfully converted from ''UTF-8'' "
                   "to ''Koi8''; 5 characters substituted\n");
  EXPECT_EQ(dir.read("u.txt"), "\"" + koi + "\" - No EUR");

  // The JSON object counts them too.
  dir.write("j.txt", win);
  r = run({"--json", "--substitute", "-f", "win", "-t", "koi", "j.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(",\"substitutions\":5"), std::string::npos) << r.out;

  dir.write("t.txt", "a-b");
  r = run({"--substitute", "-v", "-f", "dos", "--replace", "-", "--with",
           "\xE2\x80\x94\xE2\x80\xA6", "t.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "t.txt: From file(s) successfully excluded given string "
                   "and replaced with received string, Nr. of hits: 1; 2 "
                   "characters substituted\n");
  EXPECT_EQ(dir.read("t.txt"), "a-...b");
}

// --bom: a pass after the recoding, on UTF-8 files (and files of ASCII
// alone); a file already as asked, or not UTF-8, is left as it is.
TEST_F(CliTest, BomGoldenTranscripts) {
  const std::string bom = "\xEF\xBB\xBF";
  const std::string hello = "\xD0\x9F\xD1\x80";
  dir.write("w.txt", "\xCF\xF0");
  dir.write("a.txt", "abc");
  dir.write("k.txt", "\xCF\xF0");
  struct Case {
    std::vector<std::string> args;
    const char *file;
    std::string content, out;
  };
  const std::vector<Case> cases = {
      {{"-f", "win", "-t", "utf8", "--bom", "add"},
       "w.txt",
       bom + hello,
       "w.txt: File(s) successfully converted from ''Win1251'' to "
       "''UTF-8''\n"
       "w.txt: File(s) successfully converted with a byte order mark added\n"},
      {{"--bom", "add"},
       "w.txt",
       bom + hello,
       "w.txt: This file already begins with a byte order mark\n"},
      {{"--bom", "REMOVE"},
       "w.txt",
       hello,
       "w.txt: File(s) successfully converted with its byte order mark "
       "removed\n"},
      {{"--bom", "remove"},
       "w.txt",
       hello,
       "w.txt: This file has no byte order mark\n"},
      {{"--bom", "add"},
       "a.txt",
       bom + "abc",
       "a.txt: File(s) successfully converted with a byte order mark added\n"},
      {{"-f", "win", "--bom", "add"},
       "k.txt",
       "\xCF\xF0",
       "k.txt: This file is not UTF-8: its byte order mark is left as it "
       "is\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    std::vector<std::string> args = c.args;
    args.push_back("-v");
    args.push_back(c.file);
    const auto r = run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(dir.read(c.file), c.content);
  }
  EXPECT_EQ(run({"--bom", "keep", "a.txt"}).status, 2);
  EXPECT_EQ(run({"-d", "--bom", "add", "a.txt"}).status, 2);
}

// Mixed line ends follow the line model (dos2unix would convert only the
// CR LF pairs): a stage after the recoding, before the optimization.
TEST_F(CliTest, LineEndsGoldenTranscripts) {
  struct Case {
    std::vector<std::string> args;
    std::string input, output, out;
  };
  const std::vector<Case> cases = {
      {{"--line-ends", "lf"},
       "a\r\nb\nc\rd\n\re\r\r\n",
       "a\nb\nc\nd\ne\n\n",
       "File(s) successfully converted: with LF line ends\n"},
      {{"--line-ends", "CRLF"},
       "a\r\nb\nc\rd\n\re",
       "a\r\nb\r\nc\r\nd\r\ne",
       "File(s) successfully converted: with CR LF line ends\n"},
      {{"--line-ends", "cr", "-v"},
       "a\r\n\r\n",
       "a\r\r",
       "f.txt: File(s) successfully converted with CR line ends\n"},
      // Recoding first, line ends next, blanks to TABs last.
      {{"-f", "dos", "-t", "win", "--line-ends", "lf", "--optimize",
        "--tab-size", "4"},
       "ab  cd\r\xE0\n\r",
       "ab\tcd\n\xF0\n",
       "File(s) successfully converted: from ''Dos''  to ''Win1251''\n"
       "File(s) successfully converted: with LF line ends\n"
       "File(s) successfully optimized\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    dir.write("f.txt", c.input);
    std::vector<std::string> args = c.args;
    args.push_back("f.txt");
    const auto r = run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir.read("f.txt"), c.output);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, "");
  }
  const auto bad = run({"--line-ends", "unix", "f.txt"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("--line-ends"), std::string::npos) << bad.err;
  const auto detect = run({"-d", "--line-ends", "lf", "f.txt"});
  EXPECT_EQ(detect.status, 2) << detect.err;
}

TEST_F(CliTest, HelpGivesExamplesAndExitStatuses) {
  const auto r = run({"--help"});
  EXPECT_EQ(r.status, 0);
  for (const char *piece :
       {"Examples:", "Exit status:", "  130 ", "143", "-t, --to PAGE",
        "-f, --from PAGE", "-d, --detect", "-n, --dry-run", "-v, --verbose",
        "-q, --quiet", "--hidden", "--allow-chown", "--line-ends lf|crlf|cr",
        "snpln-cli -t win - > new.txt"})
    EXPECT_NE(r.out.find(piece), std::string::npos) << piece;
}

// The stream and the exit status come from the outcome, never from what a
// line says: names that read like failure texts change nothing.
TEST_F(CliTest, RegressionNamesThatReadLikeFailuresDecideNothing) {
  dir.mkdir("File or directory not found");
  dir.write("File or directory not found/a.txt", "abc");
  dir.write("Error reading file", "abc");
  const auto r =
      run({"--upper", "File or directory not found", "Error reading file"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "File or directory not found: Processing this directory "
                   "and its subdirectories is completed\n"
                   "File(s) successfully converted: with upper case\n");
  EXPECT_EQ(dir.read("Error reading file"), "ABC");
  // And a real failure whose name reads like a success still fails.
  const auto f = run({"--upper", "File(s) successfully converted"});
  EXPECT_EQ(f.status, 1);
  EXPECT_EQ(f.out, "");
  EXPECT_EQ(f.err,
            "File(s) successfully converted: File or directory not found: "
            "No such file or directory\n");
}

TEST_F(CliTest, DirectoryIsWalkedWithTheFilterMasks) {
  dir.mkdir("tree");
  dir.mkdir("tree/sub");
  dir.write("tree/a.txt", "a");
  dir.write("tree/b.doc", "b");
  dir.write("tree/sub/c.TXT", "c");
  const auto r = run({"--upper", "--filter", "*.txt", "tree"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(dir.read("tree/a.txt"), "A");
  EXPECT_EQ(dir.read("tree/b.doc"), "b");
  EXPECT_EQ(dir.read("tree/sub/c.TXT"), "C");
  EXPECT_EQ(r.out, dir.file("tree").substr(dir.path().size() + 1) +
                       ": Processing this directory and its subdirectories "
                       "is completed\n");
}

// Everything a run could change in a directory: every entry's name, kind,
// mode, size, modification time and bytes.
std::string snapshot(const std::string &root) {
  std::string all;
  for (const auto &e : std::filesystem::recursive_directory_iterator(root)) {
    const auto status = e.symlink_status();
    all += e.path().string() + " " +
           std::to_string(static_cast<int>(status.type())) + " " +
           std::to_string(static_cast<int>(status.permissions())) + " ";
    if (status.type() == std::filesystem::file_type::regular)
      all += std::to_string(e.file_size()) + " " +
             std::to_string(e.last_write_time().time_since_epoch().count());
    all += "\n";
    if (status.type() == std::filesystem::file_type::regular) {
      std::ifstream in(e.path(), std::ios::binary);
      all += std::string(std::istreambuf_iterator<char>(in), {}) + "\n";
    }
  }
  std::sort(all.begin(), all.end()); // order of listing aside
  return all;
}

// A dry run leaves every byte, mode, time and directory entry as it was,
// and its lines name the same files with the same outcomes as the real run
// that follows (what "would be converted" then "successfully converted").
TEST_F(CliTest, DryRunTouchesNothingAndForetellsTheRealRun) {
  const std::string helloUtf8 = "\xD0\x9C\xD0\xB8\xD1\x80";
  const std::vector<std::vector<std::string>> operations = {
      {"-t", "win"},
      {"-t", "utf8", "--upper"},
      {"--replace", "a", "--with", "b"},
      {"--delete-empty", "--optimize"},
  };
  for (const auto &options : operations) {
    std::string line;
    for (const auto &o : options)
      line += o + " ";
    SCOPED_TRACE(line);
    test::TempDir work;
    test::ChangeDirectory into(work.path());
    work.mkdir("t");
    work.mkdir("t/sub", 0700);
    work.write("t/dos.txt", kHelloDos + "\r\n\r\n\r\n        a");
    work.write("t/sub/utf.txt", helloUtf8 + " a\n\n\n");
    work.write("t/plain.txt", "plain a");
    work.write("t/zero.bin", std::string("a\0b", 3));
    work.write("t/ro.txt", kHelloWin + " a");
    work.chmod("t/ro.txt", 0444);
    work.symlink("dos.txt", "t/link.txt");
    work.write("named.txt", kHelloWin);
    const std::string before = snapshot(work.path());

    std::vector<std::string> args = options;
    args.insert(args.begin(), "-n");
    args.insert(args.end(), {"t", "named.txt", "missing.txt"});
    const auto dry = run(args);
    EXPECT_EQ(snapshot(work.path()), before);
    EXPECT_EQ(dry.status, 1) << dry.err; // missing.txt
    EXPECT_EQ(dry.err, "missing.txt: File or directory not found: No such file "
                       "or directory\n");

    args.front() = "-v";
    const auto real = run(args);
    EXPECT_EQ(real.status, dry.status);
    EXPECT_EQ(real.err, dry.err);
    // The real lines with the success texts put as a dry run says them.
    std::string foretold = real.out;
    const std::pair<std::string, std::string> said[] = {
        {"File(s) successfully converted", "would be converted"},
        {"File(s) successfully optimized", "would be converted"},
        {"From file(s) successfully excluded given string",
         "would be converted"},
        {"From file(s) deleted excessive empty lines,", "would be converted,"},
    };
    for (const auto &[realText, dryText] : said)
      for (auto at = foretold.find(realText); at != std::string::npos;
           at = foretold.find(realText, at))
        foretold.replace(at, realText.size(), dryText);
    EXPECT_EQ(dry.out, foretold);
    EXPECT_NE(snapshot(work.path()), before);
  }
}

// "-" reads standard input and writes the result to standard output, the
// same bytes the in-place run leaves in a file; its messages go to
// standard error, and nothing is written when the text fails.
TEST_F(CliTest, StandardInputGivesTheInPlaceResultOnStandardOutput) {
  const std::string helloUtf8 = "\xD0\x9C\xD0\xB8\xD1\x80, world\r\n";
  struct Case {
    std::vector<std::string> options;
    std::string input;
    int status;
    bool written; // standard output holds the text (else the report)
  };
  const Case cases[] = {
      {{"-t", "win"}, kHelloDos, 0, true},
      {{"-t", "utf8", "--upper", "--delete-empty"},
       kHelloDos + "\n\n\n\n.",
       0,
       true},
      {{"--replace", "world", "--with", "\xD0\xBC\xD0\xB8\xD1\x80"},
       helloUtf8,
       0,
       true},
      {{"-t", "win"}, "english only", 0, true},       // left as it is
      {{"-t", "win"}, kHelloWin, 0, true},            // already Windows-1251
      {{"--upper"}, std::string("a\0b", 3), 0, true}, // not text
      {{"-t", "win"}, "", 0, true},                   // empty
      {{"-f", "utf8", "-t", "koi"}, "caf\xC3\xA9", 1, false},
      {{"-d"}, kHelloWin, 0, false},              // a report, no text
      {{"-n", "-t", "win"}, kHelloDos, 0, false}, // a dry run writes nothing
  };
  for (const Case &c : cases) {
    std::string line;
    for (const auto &o : c.options)
      line += o + " ";
    SCOPED_TRACE(line);
    dir.write("f.txt", c.input);
    std::vector<std::string> args = c.options;
    args.push_back("f.txt");
    const auto inPlace = run(args);
    args.back() = "-";
    const auto piped = run(args, platform::realFileSystem(), c.input);
    EXPECT_EQ(piped.status, c.status) << piped.err;
    EXPECT_EQ(piped.status, inPlace.status);
    if (c.status != 0) {
      EXPECT_EQ(dir.read("f.txt"), c.input);
    }
    // Every message of the in-place run under "-": on standard error while
    // standard output carries the text, else where the in-place run put it.
    const auto under = [](std::string text) {
      for (auto at = text.find("f.txt"); at != std::string::npos;
           at = text.find("f.txt", at))
        text.replace(at, 5, "-");
      return text;
    };
    if (c.written) {
      EXPECT_EQ(piped.out, dir.read("f.txt"));
      EXPECT_EQ(piped.err, under(inPlace.out + inPlace.err));
    } else {
      EXPECT_EQ(piped.out, under(inPlace.out));
      EXPECT_EQ(piped.err, under(inPlace.err));
    }
  }
  // "./-" names a file.
  dir.write("-", kHelloDos);
  const auto r = run({"-t", "win", "./-"}, platform::realFileSystem(), "xyz");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(dir.read("-"), kHelloWin);
}

// --verbose: a line per file; --quiet: failures only; the default: the
// run's own messages, and each failure under its name.
TEST_F(CliTest, VerboseAndQuiet) {
  SNPLN_SKIP_ON_WINDOWS("its transcript names paths with '/'");
  dir.mkdir("t");
  dir.write("t/a.txt", kHelloDos);
  dir.write("t/b.txt", "plain");
  dir.write("t/c.txt", std::string(40000, 'x'));
  const auto reset = [&] { dir.write("t/a.txt", kHelloDos); };
  reset();
  const auto quiet = run({"-q", "-f", "dos", "-t", "win", "--optimize", "t"});
  EXPECT_EQ(quiet.status, 1);
  EXPECT_EQ(quiet.out, "");
  EXPECT_EQ(quiet.err, "t/c.txt: Line in file is too long (greater than "
                       "30000 bytes)\n");
  reset();
  const auto clean = run({"-q", "-f", "dos", "-t", "win", "t/a.txt"});
  EXPECT_EQ(clean.status, 0);
  EXPECT_EQ(clean.out + clean.err, "");
  reset();
  const auto verbose = run({"-v", "-t", "win", "t/a.txt", "t/b.txt"});
  EXPECT_EQ(verbose.status, 0);
  EXPECT_EQ(verbose.out,
            "t/a.txt: File(s) successfully converted from ''Dos'' to "
            "''Win1251''\n"
            "t/b.txt: This file consist of english symbols only\n");
  EXPECT_EQ(verbose.err, "");

  // Characters the target page lacks go to fill bytes, and -v and -n say
  // how many: «Привет, мир» — 5 € has four, to CP866.
  const std::string quoted = "\xAB" + kHelloWin + "\xBB \x97 5 \x88";
  dir.write("t/q.txt", quoted);
  const auto filled = run({"-v", "-n", "-t", "dos", "t/q.txt"});
  const auto note = " ''Dos''; 4 characters had no equivalent in the target "
                    "page; --substitute writes look-alikes\n";
  EXPECT_EQ(filled.out, "t/q.txt: would be converted from ''Win1251'' to" +
                            std::string(note));
  EXPECT_EQ(dir.read("t/q.txt"), quoted);
  const auto one = run({"-v", "-t", "dos", "t/q.txt"});
  EXPECT_EQ(one.out, "t/q.txt: File(s) successfully converted from "
                     "''Win1251'' to" +
                         std::string(note));
  const auto back = run({"-q", "-f", "dos", "-t", "win", "t/q.txt"});
  EXPECT_EQ(back.status, 0) << back.err;
  EXPECT_EQ(dir.read("t/q.txt"), quoted); // the round trip is lossless
  dir.write("t/q.txt", kHelloWin + " \xAB");
  const auto single = run({"-v", "-t", "koi", "t/q.txt"});
  EXPECT_EQ(single.out, "t/q.txt: File(s) successfully converted from "
                        "''Win1251'' to ''Koi8''; 1 character had no "
                        "equivalent in the target page; --substitute writes "
                        "look-alikes\n");
}

// Sets the interrupt flag when the job has read `after` bytes, as Ctrl-C
// would between two slices.
class InterruptingFileSystem : public test::NativeFileSystem {
public:
  explicit InterruptingFileSystem(std::size_t after) : after_(after) {}
  std::unique_ptr<platform::InputFile>
  openRead(const platform::FileLocation &at) override {
    struct File : test::ForwardingInputFile {
      using ForwardingInputFile::ForwardingInputFile;
      std::size_t after = 0, total = 0;
      bool read(void *b, std::size_t n, std::size_t &got) override {
        const bool ok = inner_->read(b, n, got);
        total += got;
        if (total >= after)
          cli::interrupted = true;
        return ok;
      }
    };
    auto inner = test::NativeFileSystem::openRead(at);
    if (!inner)
      return nullptr;
    auto file = std::make_unique<File>(std::move(inner));
    file->after = after_;
    return file;
  }

private:
  std::size_t after_;
};

TEST_F(CliTest, CtrlCCancelsTheFileAndStopsTheRun) {
  const std::string big(100000, 'a');
  dir.write("a.txt", big);
  dir.write("b.txt", big);
  InterruptingFileSystem fs(20000);
  const auto r = run({"-j", "1", "--upper", "a.txt", "b.txt"}, fs);
  EXPECT_EQ(r.status, 130);
  EXPECT_EQ(r.err, "a.txt: Operation canceled\n");
  EXPECT_EQ(dir.read("a.txt"), big);
  EXPECT_EQ(dir.read("b.txt"), big);
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.txt", "b.txt"}));
}

// Sets the interrupt flag at the third try of a lock another run holds, as
// Ctrl-C would while the run waits.
class InterruptingWhileWaiting : public test::NativeFileSystem {
public:
  int tries = 0;
  std::unique_ptr<platform::InputFile>
  openRead(const platform::FileLocation &at) override {
    struct File : test::ForwardingInputFile {
      using ForwardingInputFile::ForwardingInputFile;
      int *tries = nullptr;
      platform::LockOutcome lock() override {
        const platform::LockOutcome outcome = inner_->lock();
        if (outcome == platform::LockOutcome::Busy && ++*tries == 3)
          cli::interrupted = true;
        return outcome;
      }
    };
    auto inner = test::NativeFileSystem::openRead(at);
    if (!inner)
      return nullptr;
    auto file = std::make_unique<File>(std::move(inner));
    file->tries = &tries;
    return file;
  }
};

TEST_F(CliTest, CtrlCEndsTheWaitForAFileAnotherRunHolds) {
  dir.write("a.txt", "abc");
  // Another run of ours holds the file.
  auto held = platform::realFileSystem().openRead("a.txt");
  ASSERT_TRUE(held);
  ASSERT_EQ(held->lock(), platform::LockOutcome::Locked);
  InterruptingWhileWaiting fs;
  const auto r = run({"--upper", "a.txt"}, fs);
  EXPECT_EQ(r.status, 130);
  EXPECT_EQ(r.err, "a.txt: Operation canceled\n");
  EXPECT_EQ(fs.tries, 3);
  EXPECT_EQ(dir.read("a.txt"), "abc");
  // Detection takes no lock and does not wait.
  cli::interrupted = false;
  EXPECT_EQ(run({"-d", "a.txt"}).status, 0);
}

// The version is written once, in project(... VERSION ...): --version shows
// exactly that, and the window's short form is its first two numbers.
TEST_F(CliTest, VersionIsTheProjectsVersion) {
  SNPLN_SKIP_ON_WINDOWS("it reads the source tree by its Linux path");
  std::ifstream lists(std::filesystem::path(SNPLN_TEST_DATA_DIR) / ".." / ".." /
                      "CMakeLists.txt");
  const std::string text{std::istreambuf_iterator<char>(lists), {}};
  std::smatch m;
  ASSERT_TRUE(std::regex_search(
      text, m, std::regex(R"(project\(snpln VERSION ((\d+\.\d+)\.\d+))")))
      << "no project(snpln VERSION ...) in the top CMakeLists.txt";
  const auto r = run({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "snpln-cli " + m[1].str() + "\n");
  EXPECT_EQ(std::string(kVersionShort), m[2].str());
}

// Ctrl-C and Ctrl-Break reach the run through the console's control
// handler and end it as SIGINT does; closing the console is a hang-up.
TEST_F(CliTest, WindowsConsoleEventsEndTheRunLikeSignals) {
#ifndef _WIN32
  GTEST_SKIP() << "Windows' console control events";
#else
  struct Case {
    DWORD event;
    BOOL handled;
    int status;
  };
  for (const Case c :
       {Case{CTRL_C_EVENT, TRUE, 130}, Case{CTRL_BREAK_EVENT, TRUE, 130},
        Case{CTRL_CLOSE_EVENT, TRUE, 129},
        Case{CTRL_LOGOFF_EVENT, FALSE, 130}}) {
    SCOPED_TRACE(c.event);
    cli::interrupted = false;
    cli::interruptSignal = 0;
    EXPECT_EQ(cli::onConsoleControl(c.event), c.handled);
    EXPECT_EQ(cli::interrupted.load(), c.handled == TRUE);
    EXPECT_EQ(cli::interruptStatus(), c.status);
  }
  // The first event decides the status.
  cli::interruptSignal = 0;
  cli::onConsoleControl(CTRL_BREAK_EVENT);
  cli::onConsoleControl(CTRL_CLOSE_EVENT);
  EXPECT_EQ(cli::interruptStatus(), 130);
  cli::interruptSignal = 0;
#endif
}

// Argument text in a named character set, made UTF-8 (on Windows by the
// program's own tables, without iconv).
TEST_F(CliTest, ArgumentTextOfEachCharacterSetBecomesUtf8) {
  const std::string privet = "\xD0\x9F\xD1\x80\xD0\xB8"; // "При"
  EXPECT_EQ(cli::textToUtf8("\xCF\xF0\xE8", "CP1251"), privet);
  EXPECT_EQ(cli::textToUtf8("\x8F\xE0\xA8", "CP866"), privet);
  EXPECT_EQ(cli::textToUtf8("\xF0\xD2\xC9", "KOI8-R"), privet);
  EXPECT_EQ(cli::textToUtf8("\xBF\xE0\xD8", "ISO-8859-5"), privet);
  EXPECT_EQ(cli::textToUtf8(privet, "UTF-8"), privet);
  EXPECT_EQ(cli::textToUtf8("\xCF\xF0", "UTF-8"), std::nullopt);
}

// Every failure names the system's reason, in the line and as the JSON
// errno: a file that may not be read is no file not found, and a full disk
// says so. The file stays as it was.
TEST_F(CliTest, FailuresCarryTheSystemsReason) {
  const struct {
    const char *name;
    void (*plan)(platform::FaultPlan &);
    std::string line;
    std::string json;
  } cases[] = {
      {"read refused",
       [](platform::FaultPlan &f) {
         f.openRead = true;
         f.error = EACCES;
       },
       "a.txt: Unable to read this file: Permission denied\n",
       R"("error":"unreadable","errno":"EACCES"})"},
      {"not there",
       [](platform::FaultPlan &f) {
         f.openRead = true;
         f.error = ENOENT;
       },
       "a.txt: This file not found: No such file or directory\n",
       R"("error":"not-found","errno":"ENOENT"})"},
      {"disk full",
       [](platform::FaultPlan &f) {
         f.writeAt = 0;
         f.error = ENOSPC;
       },
       "a.txt: Error writing file: No space left on device\n",
       R"("error":"write-error","errno":"ENOSPC"})"},
      {"disk full at the commit",
       [](platform::FaultPlan &f) {
         f.flush = true;
         f.error = ENOSPC;
       },
       "a.txt: Error writing file: No space left on device\n",
       R"("error":"write-error","errno":"ENOSPC"})"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    dir.write("a.txt", kHelloWin);
    platform::FaultyFileSystem fs;
    c.plan(fs.fail);
    const Outcome text = run({"-t", "koi", "a.txt"}, fs);
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.err, c.line);
    EXPECT_EQ(dir.read("a.txt"), kHelloWin);
    const Outcome json = run({"--json", "-t", "koi", "a.txt"}, fs);
    EXPECT_EQ(json.status, 1);
    const std::string first = json.out.substr(0, json.out.find('\n'));
    EXPECT_TRUE(first.ends_with(c.json)) << first;
    EXPECT_NE(json.out.find(R"("failed":1},)"), std::string::npos) << json.out;
    EXPECT_EQ(dir.read("a.txt"), kHelloWin);
  }
}

} // namespace
} // namespace snpln
