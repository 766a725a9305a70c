// One file's run over real files in a fresh directory (which is also the
// current directory): each operation alone, its report and its words.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/typed_text.h"
#include "i18n/catalogue.h"
#include "i18n/texts.h"
#include "job/file_run.h"
#include "tests/support/file_runs.h"
#include "tests/support/memory_file.h"
#include "tests/support/native_file_system.h"
#include "tests/support/reference_utf8_engines.h"
#include "tests/support/russian_samples.h"
#include "tests/support/temp_dir.h"

namespace snpln {
namespace {

using job::CodePage;
using job::JobResult;
using job::OperationCode;
using JobRequest = test::FileRequest;
using Message = std::pair<std::string, std::string>;

// "Привет, мир" in the four code pages.
const std::string kHelloWin = "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0";
const std::string kHelloKoi = "\xF0\xD2\xC9\xD7\xC5\xD4, \xCD\xC9\xD2";
const std::string kHelloDos = "\x8F\xE0\xA8\xA2\xA5\xE2, \xAC\xA8\xE0";
const std::string kHelloUtf8 =
    "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, "
    "\xD0\xBC\xD0\xB8\xD1\x80";

// The name every job once used for its temporary file in the current
// directory.
const std::string kOldTempName = "~sn$ln~.tmp";

const std::string kNotText = "This file is not text: it holds a zero byte";
const std::string kIdentical =
    "Nothing in this file would change: it is left as it was";

class FileRunTest : public ::testing::Test {
protected:
  test::TempDir dir;
  test::ChangeDirectory cd{dir.path()};

  JobRequest request(OperationCode op, const std::string &name) {
    JobRequest r;
    r.only(op);
    r.location = dir.file(name);
    return r;
  }
  // Runs the request; its first operation's result.
  JobResult run(const JobRequest &r, std::size_t slice = 8192,
                platform::FileSystem &fs = platform::realFileSystem()) {
    file = test::runRequest(r, slice, fs, control);
    report = file.operations.at(0);
    lastReport = test::reportLineOf(report);
    shown = test::shownLines(report);
    return report.result;
  }
  job::JobControl control;
  // The file's report, its first operation's, and that one's words: its
  // line after the path, and its two lines in a window.
  job::FileReport file;
  job::JobReport report;
  std::string lastReport;
  Message shown;
  bool tempLeft() const { return dir.holdsTemporaryFile(); }
};

TEST_F(FileRunTest, DetectOnlyReportsTheCodePageAndLeavesTheFile) {
  SNPLN_SKIP_ON_WINDOWS("POSIX permission bits");
  dir.write("a.txt", kHelloWin);
  dir.chmod("a.txt", 0640);
  auto r = request(OperationCode::Detect, "a.txt");
  EXPECT_EQ(run(r), JobResult::Done);
  EXPECT_EQ(shown,
            Message(r.location.path(), "This file has coding ''Win1251''"));
  EXPECT_EQ(dir.read("a.txt"), kHelloWin);
  EXPECT_EQ(dir.mode("a.txt"), 0640);
  EXPECT_FALSE(tempLeft());
}

// The ends settled before a byte is written: the file is left as it was,
// and the report says why.
TEST_F(FileRunTest, StartUpEndsGiveTheirMessagesAndResults) {
  struct Case {
    const char *name;
    std::string content; // the name below begins with "missing": no file
    OperationCode op;
    CodePage source, target;
    JobResult result;
    std::string line2;
  };
  const Case cases[] = {
      {"missing", "", OperationCode::UpperCase, CodePage::Auto, CodePage::Win,
       JobResult::NotFound, "This file not found: No such file or directory"},
      {"english", "plain text", OperationCode::RecodeToWin, CodePage::Auto,
       CodePage::Win, JobResult::Skipped,
       "This file consist of english symbols only"},
      {"same coding", kHelloKoi, OperationCode::RecodeToKoi, CodePage::Koi,
       CodePage::Koi, JobResult::Skipped, "This file just is in same coding"},
      {"same coding detected", kHelloKoi, OperationCode::RecodeToKoi,
       CodePage::Auto, CodePage::Koi, JobResult::Skipped,
       "This file just is in same coding"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const bool exists = std::string(c.name).rfind("missing", 0) != 0;
    if (exists) {
      dir.write("f.txt", c.content);
      dir.chmod("f.txt", 0444);
    }
    auto r = request(c.op, exists ? "f.txt" : "nothing.txt");
    r.sourceCodePage = c.source;
    r.targetCodePage = c.target;
    EXPECT_EQ(run(r), c.result);
    EXPECT_EQ(file.result, c.result);
    EXPECT_EQ(shown, Message(r.location.path(), c.line2));
    EXPECT_EQ(lastReport, c.line2);
    if (exists) {
      EXPECT_EQ(dir.read("f.txt"), c.content);
      EXPECT_EQ(dir.mode("f.txt"), 0444);
    }
    EXPECT_FALSE(tempLeft());
  }
}

TEST_F(FileRunTest, DirectoryIsNotFound) {
  dir.mkdir("sub");
  EXPECT_EQ(run(request(OperationCode::UpperCase, "sub")), JobResult::NotFound);
  EXPECT_EQ(shown.second, "This file not found: Is a directory");
}

TEST_F(FileRunTest, RecodeReplacesTheFileAndReportsSourceAndTarget) {
  struct Case {
    CodePage source;
    OperationCode op;
    CodePage target;
    std::string before, after, line2;
  };
  const Case cases[] = {
      {CodePage::Dos, OperationCode::RecodeToWin, CodePage::Win, kHelloDos,
       kHelloWin, "from ''Dos''  to ''Win1251''"},
      {CodePage::Auto, OperationCode::RecodeToWin, CodePage::Win, kHelloKoi,
       kHelloWin, "with coding autodetect  to ''Win1251''"},
      {CodePage::Dos, OperationCode::RecodeToKoi, CodePage::Koi, kHelloDos,
       kHelloKoi, "from ''Dos''  to ''Koi8''"},
      {CodePage::Auto, OperationCode::RecodeToWin, CodePage::Win, kHelloUtf8,
       kHelloWin, "with coding autodetect  to ''Win1251''"},
      {CodePage::Utf8, OperationCode::RecodeToDos, CodePage::Dos,
       "\xEF\xBB\xBF" + kHelloUtf8, kHelloDos, "from ''UTF-8''  to ''Dos''"},
  };
  for (const auto &c : cases) {
    dir.write("r.txt", c.before);
    auto r = request(c.op, "r.txt");
    r.sourceCodePage = c.source;
    r.targetCodePage = c.target;
    EXPECT_EQ(run(r, 3), JobResult::Done);
    EXPECT_EQ(dir.read("r.txt"), c.after);
    EXPECT_EQ(shown, Message("File(s) successfully converted", c.line2));
    EXPECT_FALSE(tempLeft());
  }
}

TEST_F(FileRunTest, Utf8FileIsReportedAsUtf8) {
  dir.write("u.txt", kHelloUtf8);
  auto r = request(OperationCode::Detect, "u.txt");
  EXPECT_EQ(run(r), JobResult::Done);
  EXPECT_EQ(shown,
            Message(r.location.path(), "This file has coding ''UTF-8''"));
}

TEST_F(FileRunTest, Utf8ThatCannotBeRecodedLeavesTheFileAsItWas) {
  SNPLN_SKIP_ON_WINDOWS("POSIX permission bits");
  struct Case {
    const char *name;
    std::string content;
    CodePage source;
    OperationCode op;
    CodePage target;
    std::string line2;
  };
  const std::string eAcute = "\xC3\xA9";
  const Case cases[] = {
      {"latin e acute found by detection", kHelloUtf8 + " caf" + eAcute,
       CodePage::Auto, OperationCode::RecodeToKoi, CodePage::Koi,
       "Character U+00E9 \xC3\xA9 at line 1, column 16 (byte 24) cannot be "
       "written in ''Koi8''"},
      {"box drawing into Windows-1251", "\xE2\x95\xAC", CodePage::Utf8,
       OperationCode::RecodeToWin, CodePage::Win,
       "Character U+256C \xE2\x95\xAC at line 1, column 1 (byte 0) cannot be "
       "written in ''Win1251''"},
      {"named as UTF-8 but is not", kHelloWin, CodePage::Utf8,
       OperationCode::RecodeToDos, CodePage::Dos,
       "Invalid UTF-8 at line 1, column 1 (byte 0)"},
      {"cut at the end of a file past the sample",
       kHelloUtf8 + std::string(9000, 'a') + "\xD0", CodePage::Auto,
       OperationCode::RecodeToIso, CodePage::Iso,
       "Invalid UTF-8 at line 1, column 9012 (byte 9020)"},
      // Detected as UTF-8 with one Windows-1251 byte in it: the recoding
      // stops there.
      {"UTF-8 with a stray byte", kHelloUtf8 + " " + kHelloUtf8 + "\xAB",
       CodePage::Auto, OperationCode::RecodeToWin, CodePage::Win,
       "Invalid UTF-8 at line 1, column 24 (byte 41)"},
  };
  for (const Case &c : cases) {
    dir.write("u.txt", c.content);
    dir.chmod("u.txt", 0604);
    auto r = request(c.op, "u.txt");
    r.sourceCodePage = c.source;
    r.targetCodePage = c.target;
    EXPECT_EQ(run(r, 7), JobResult::ReadFailed) << c.name;
    EXPECT_EQ(shown, Message(r.location.path(), c.line2)) << c.name;
    EXPECT_EQ(dir.read("u.txt"), c.content) << c.name;
    EXPECT_EQ(dir.mode("u.txt"), 0604) << c.name;
    EXPECT_FALSE(tempLeft()) << c.name;
  }
}

// "Привет, мир" in UTF-16, either byte order, with or without a mark.
std::string helloUtf16(bool bigEndian, bool mark) {
  const char16_t text[] = u"Привет, мир";
  std::string out;
  if (mark)
    out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (std::size_t i = 0; text[i] != 0; ++i) {
    const auto hi = static_cast<char>(text[i] >> 8);
    const auto lo = static_cast<char>(text[i] & 0xFF);
    out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return out;
}

TEST_F(FileRunTest, Utf16FilesAreRecodedBothWays) {
  const std::string le = helloUtf16(false, true);
  const std::string be = helloUtf16(true, true);
  std::string asciiLe;
  for (char c : std::string(9000, 'a') + "z")
    asciiLe += std::string{c, '\0'};
  struct Case {
    const char *name;
    std::string content;
    CodePage source;
    CodePage target;
    JobResult result;
    std::string after;
    CodePage from; // in the report
  };
  const Case cases[] = {
      {"marked LE detected, to UTF-8", le, CodePage::Auto, CodePage::Utf8,
       JobResult::Done, kHelloUtf8, CodePage::Utf16Le},
      {"marked BE detected, to Windows-1251", be, CodePage::Auto, CodePage::Win,
       JobResult::Done, kHelloWin, CodePage::Utf16Be},
      {"no mark, named LE, to KOI8-R", helloUtf16(false, false),
       CodePage::Utf16Le, CodePage::Koi, JobResult::Done, kHelloKoi,
       CodePage::Utf16Le},
      {"utf16 named, the mark says BE", be, CodePage::Utf16, CodePage::Dos,
       JobResult::Done, kHelloDos, CodePage::Utf16Be},
      {"Windows-1251 to utf16: a mark, little-endian", kHelloWin,
       CodePage::Auto, CodePage::Utf16, JobResult::Done, le, CodePage::Win},
      {"marked LE to utf16le drops the mark", le, CodePage::Auto,
       CodePage::Utf16Le, JobResult::Done, helloUtf16(false, false),
       CodePage::Utf16Le},
      {"marked LE to utf16be", le, CodePage::Auto, CodePage::Utf16Be,
       JobResult::Done, helloUtf16(true, false), CodePage::Utf16Le},
      {"marked LE to utf16 is the same", le, CodePage::Auto, CodePage::Utf16,
       JobResult::Skipped, le, CodePage::Utf16Le},
      {"unmarked BE to utf16be is the same", helloUtf16(true, false),
       CodePage::Utf16Be, CodePage::Utf16Be, JobResult::Skipped,
       helloUtf16(true, false), CodePage::Utf16Be},
      {"no mark, detected LE, to UTF-8", helloUtf16(false, false),
       CodePage::Auto, CodePage::Utf8, JobResult::Done, kHelloUtf8,
       CodePage::Utf16Le},
      {"no mark, detected BE, to Windows-1251", helloUtf16(true, false),
       CodePage::Auto, CodePage::Win, JobResult::Done, kHelloWin,
       CodePage::Utf16Be},
      {"no mark, detected BE, to utf16: a mark, little-endian",
       helloUtf16(true, false), CodePage::Auto, CodePage::Utf16,
       JobResult::Done, le, CodePage::Utf16Be},
      {"no mark, detected LE, to utf16le is the same", helloUtf16(false, false),
       CodePage::Auto, CodePage::Utf16Le, JobResult::Skipped,
       helloUtf16(false, false), CodePage::Utf16Le},
      // Zero bytes in every slice, past the detection's sample too.
      {"long ASCII in UTF-16 to UTF-8", "\xFF\xFE" + asciiLe, CodePage::Auto,
       CodePage::Utf8, JobResult::Done, std::string(9000, 'a') + "z",
       CodePage::Utf16Le},
      {"ASCII alone to UTF-16BE", "ok", CodePage::Auto, CodePage::Utf16Be,
       JobResult::Done, std::string("\0o\0k", 4), CodePage::Win},
  };
  for (const Case &c : cases)
    for (std::size_t slice :
         {std::size_t{1}, std::size_t{7}, engine::kSliceSize}) {
      SCOPED_TRACE(std::string(c.name) + ", slice " + std::to_string(slice));
      dir.write("u.txt", c.content);
      auto r =
          request(engine::isUtf16Page(c.target) ? OperationCode::RecodeToUtf16
                                                : OperationCode::RecodeToWin,
                  "u.txt");
      r.sourceCodePage = c.source;
      r.targetCodePage = c.target;
      EXPECT_EQ(run(r, slice), c.result);
      EXPECT_EQ(dir.read("u.txt"), c.after);
      EXPECT_EQ(report.from, c.from);
      EXPECT_FALSE(tempLeft());
    }
}

TEST_F(FileRunTest, BrokenUtf16FailsAtItsOffsetAndStaysAsItWas) {
  const std::string le = helloUtf16(false, true);
  const struct {
    const char *name;
    std::string content;
    std::string line2;
    std::uint64_t offset;
  } cases[] = {
      {"odd length", le + "x",
       "UTF-16 text of odd length: byte 24 is left over", 24},
      {"lone low surrogate", le + std::string("\x00\xDC", 2) + le,
       "Invalid UTF-16 at byte 24", 24},
      {"high surrogate at the end", le + std::string("\x3D\xD8", 2),
       "Invalid UTF-16 at byte 24", 24},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    dir.write("u.txt", c.content);
    auto r = request(OperationCode::RecodeToUtf8, "u.txt");
    r.targetCodePage = CodePage::Utf8;
    EXPECT_EQ(run(r, 3), JobResult::ReadFailed);
    EXPECT_EQ(shown, Message(r.location.path(), c.line2));
    EXPECT_EQ(report.offset, c.offset);
    EXPECT_EQ(dir.read("u.txt"), c.content);
    EXPECT_FALSE(tempLeft());
  }
}

// Case, strings, TABs and empty lines ask for a recoding first; line ends
// and the byte order mark work on UTF-16 units; a page named for a marked
// UTF-16 file that is not UTF-16 makes it no text, as its zero bytes
// always did.
TEST_F(FileRunTest, OtherOperationsOnUtf16AskForARecodingFirst) {
  const std::string be = helloUtf16(true, true);
  for (const OperationCode op :
       {OperationCode::UpperCase, OperationCode::LowerCase,
        OperationCode::SmartCase, OperationCode::Exclude,
        OperationCode::Replace, OperationCode::Optimize,
        OperationCode::DeleteEmpty}) {
    SCOPED_TRACE(i18n::english(i18n::operationTitle(op)));
    dir.write("u.txt", be);
    auto r = request(op, "u.txt");
    r.searchText = "a";
    EXPECT_EQ(run(r), JobResult::ReadFailed);
    EXPECT_EQ(shown, Message(r.location.path(),
                             "This file is in ''UTF-16BE'': recode it to "
                             "another page first"));
    EXPECT_EQ(dir.read("u.txt"), be);
  }
  // Line ends a unit at a time, in the file's byte order.
  dir.write("u.txt", be + std::string("\0\n\0x", 4));
  auto ends = request(OperationCode::LineEnds, "u.txt");
  ends.lineEnd = engine::LineEnd::CrLf;
  EXPECT_EQ(run(ends, 3), JobResult::Done);
  EXPECT_EQ(dir.read("u.txt"), be + std::string("\0\r\0\n\0x", 6));
  // The mark it has already, and the one it loses.
  dir.write("u.txt", be);
  EXPECT_EQ(run(request(OperationCode::Bom, "u.txt")), JobResult::Skipped);
  EXPECT_EQ(report.message.id, job::MessageId::BomPresent);
  EXPECT_EQ(dir.read("u.txt"), be);
  auto remove = request(OperationCode::Bom, "u.txt");
  remove.bom = engine::BomChange::Remove;
  EXPECT_EQ(run(remove), JobResult::Done);
  EXPECT_EQ(dir.read("u.txt"), be.substr(2));
  dir.write("u.txt", be);
  auto named = request(OperationCode::RecodeToUtf8, "u.txt");
  named.sourceCodePage = CodePage::Win;
  named.targetCodePage = CodePage::Utf8;
  EXPECT_EQ(run(named), JobResult::Skipped);
  EXPECT_EQ(shown, Message(named.location.path(),
                           "This file is not text: it holds a zero byte"));
  const std::string utf32("\xFF\xFE\0\0\x1F\x04\0\0", 8);
  dir.write("u32.txt", utf32);
  auto r32 = request(OperationCode::RecodeToUtf8, "u32.txt");
  r32.targetCodePage = CodePage::Utf8;
  EXPECT_EQ(run(r32), JobResult::Skipped);
  EXPECT_EQ(dir.read("u32.txt"), utf32);
}

TEST_F(FileRunTest, BinaryFileIsLeftAloneByEveryOperation) {
  SNPLN_SKIP_ON_WINDOWS("POSIX permission bits");
  const std::string elf = std::string("\x7F"
                                      "ELF\x02\x01\x01",
                                      7) +
                          std::string(1, '\0') + kHelloWin;
  const OperationCode ops[] = {
      OperationCode::UpperCase,   OperationCode::RecodeToWin,
      OperationCode::RecodeToKoi, OperationCode::RecodeToUtf8,
      OperationCode::LowerCase,   OperationCode::SmartCase,
      OperationCode::Exclude,     OperationCode::Replace,
      OperationCode::Optimize,    OperationCode::DeleteEmpty,
      OperationCode::Detect};
  for (const OperationCode op : ops) {
    dir.write("b.bin", elf);
    dir.chmod("b.bin", 0751);
    auto r = request(op, "b.bin");
    r.searchText = "ELF";
    r.targetCodePage = CodePage::Koi;
    SCOPED_TRACE(i18n::english(i18n::operationTitle(op)));
    EXPECT_EQ(run(r), JobResult::Skipped);
    EXPECT_EQ(lastReport, kNotText);
    EXPECT_EQ(shown, Message(r.location.path(), kNotText));
    EXPECT_EQ(dir.read("b.bin"), elf);
    EXPECT_EQ(dir.mode("b.bin"), 0751);
    EXPECT_FALSE(tempLeft());
  }
}

TEST_F(FileRunTest, ZeroByteFoundLateAbandonsTheJob) {
  // The sample of the first 8192 bytes is text; the zero byte comes after.
  std::string content = kHelloWin + "\r\n";
  while (content.size() < 20000)
    content += content;
  content[15000] = '\0';
  for (const OperationCode op :
       {OperationCode::UpperCase, OperationCode::RecodeToUtf8,
        OperationCode::Replace, OperationCode::DeleteEmpty}) {
    for (const std::size_t slice : {std::size_t{7}, std::size_t{8192}}) {
      dir.write("late.txt", content);
      auto r = request(op, "late.txt");
      r.searchText = "\xEC\xE8\xF0";
      r.replaceText = "MIR";
      r.targetCodePage = CodePage::Utf8;
      SCOPED_TRACE(i18n::english(i18n::operationTitle(op)) + ", slice " +
                   std::to_string(slice));
      EXPECT_EQ(run(r, slice), JobResult::Skipped);
      EXPECT_EQ(shown, Message(r.location.path(), kNotText));
      EXPECT_EQ(dir.read("late.txt"), content);
      EXPECT_FALSE(tempLeft());
    }
  }
}

TEST_F(FileRunTest, RecodeToUtf8ReportsItsTarget) {
  dir.write("k.txt", kHelloKoi);
  auto r = request(OperationCode::RecodeToUtf8, "k.txt");
  r.targetCodePage = CodePage::Utf8;
  EXPECT_EQ(run(r, 2), JobResult::Done);
  EXPECT_EQ(dir.read("k.txt"), kHelloUtf8);
  EXPECT_EQ(shown, Message("File(s) successfully converted",
                           "with coding autodetect  to ''UTF-8''"));
  // The report names the page detection found.
  EXPECT_EQ(lastReport,
            "File(s) successfully converted from ''Koi'' to ''UTF-8''");
  // A second run finds it in UTF-8 already.
  EXPECT_EQ(run(r), JobResult::Skipped);
  EXPECT_EQ(shown,
            Message(r.location.path(), "This file just is in same coding"));
  EXPECT_EQ(dir.read("k.txt"), kHelloUtf8);
}

TEST_F(FileRunTest, TypedTextIsWrittenInEachFilesCodePage) {
  const std::string mirUtf8 = "\xD0\xBC\xD0\xB8\xD1\x80"; // мир
  const std::string eAcute = "\xC3\xA9";
  struct Case {
    const char *name;
    std::string content;
    std::string search, replacement;
    job::TypedText typed;
    JobResult result;
    std::string after; // empty: as before
    std::string line2;
  };
  const Case cases[] = {
      {"typed in UTF-8, file in Windows-1251", kHelloWin, mirUtf8, "MIR",
       job::TypedText::Characters, JobResult::Done,
       "\xCF\xF0\xE8\xE2\xE5\xF2, MIR",
       "and replaced with received string, Nr. of hits: 1"},
      // Nothing found: the file is left as it was, not rewritten.
      {"Cyrillic replacement into Windows-1251", kHelloWin, "Hello", mirUtf8,
       job::TypedText::Characters, JobResult::Skipped, "", kIdentical},
      {"typed in UTF-8, file in UTF-8", kHelloUtf8, mirUtf8,
       "\xD0\x9C\xD0\x98\xD0\xA0", job::TypedText::Characters, JobResult::Done,
       "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, "
       "\xD0\x9C\xD0\x98\xD0\xA0",
       "and replaced with received string, Nr. of hits: 1"},
      {"replacement Windows-1251 cannot hold", kHelloWin, mirUtf8,
       "caf" + eAcute, job::TypedText::Characters, JobResult::ReadFailed, "",
       "Character U+00E9 \xC3\xA9 of the replacement text cannot be written "
       "in ''Win1251''"},
      {"search text Windows-1251 cannot hold", kHelloWin, "caf" + eAcute, "x",
       job::TypedText::Characters, JobResult::Skipped, "", kIdentical},
      {"bytes taken byte for byte", kHelloWin, "\xEC\xE8\xF0", "MIR",
       job::TypedText::Bytes, JobResult::Done, "\xCF\xF0\xE8\xE2\xE5\xF2, MIR",
       "and replaced with received string, Nr. of hits: 1"},
      // The fault this pins: typed text went into every single-byte file as
      // Windows-1251, so it was never found in a KOI8-R file and the
      // replacement left a file in two encodings.
      {"typed into KOI8-R", kHelloKoi, mirUtf8, "Пёс",
       job::TypedText::Characters, JobResult::Done,
       "\xF0\xD2\xC9\xD7\xC5\xD4, \xF0\xA3\xD3",
       "and replaced with received string, Nr. of hits: 1"},
      {"typed into CP866", kHelloDos, mirUtf8, "№ Ё",
       job::TypedText::Characters, JobResult::Done,
       "\x8F\xE0\xA8\xA2\xA5\xE2, \xFC \xF0",
       "and replaced with received string, Nr. of hits: 1"},
      {"replacement KOI8-R cannot hold", kHelloKoi, mirUtf8, "№",
       job::TypedText::Characters, JobResult::ReadFailed, "",
       "Character U+2116 \xE2\x84\x96 of the replacement text cannot be "
       "written in ''Koi8''"},
      // A file of ASCII alone takes typed text as Windows-1251, as before.
      {"typed into a file of ASCII alone", "cat and dog", "cat", "кот",
       job::TypedText::Characters, JobResult::Done, "\xEA\xEE\xF2 and dog",
       "and replaced with received string, Nr. of hits: 1"},
  };
  for (const Case &c : cases) {
    dir.write("t.txt", c.content);
    auto r = request(OperationCode::Replace, "t.txt");
    r.searchText = c.search;
    r.replaceText = c.replacement;
    r.typedText = c.typed;
    EXPECT_EQ(run(r, 3), c.result) << c.name;
    EXPECT_EQ(dir.read("t.txt"), c.after.empty() ? c.content : c.after)
        << c.name;
    EXPECT_EQ(shown.second, c.line2) << c.name;
    EXPECT_FALSE(tempLeft()) << c.name;
  }
}

// The page a file's run settles for its file and leaves it in.
TEST_F(FileRunTest, NotesThePageItsFileIsInAtTheEnd) {
  struct Case {
    const char *name;
    std::string content;
    std::function<void(JobRequest &)> setUp;
    std::optional<CodePage> noted;
    std::string after; // empty: as before
  };
  const auto op = [](OperationCode code) {
    return [code](JobRequest &r) { r.only(code); };
  };
  const auto recode = [](CodePage from, CodePage to, OperationCode code) {
    return [=](JobRequest &r) {
      r.only(code);
      r.sourceCodePage = from;
      r.targetCodePage = to;
    };
  };
  // Bytes replaced, with or without a later operation that reads the page
  // (detection).
  const auto replaceBytes = [](std::string search, std::string with,
                               bool later) {
    return [=](JobRequest &r) {
      r.only(OperationCode::Replace);
      if (later)
        r.operations.push_back(OperationCode::Detect);
      r.searchText = search;
      r.replaceText = with;
    };
  };
  const Case cases[] = {
      {"detected", kHelloKoi, op(OperationCode::UpperCase), CodePage::Koi,
       "\xF0\xF2\xE9\xF7\xE5\xF4, \xED\xE9\xF2"},
      {"named", kHelloKoi,
       [](JobRequest &r) {
         r.only(OperationCode::LowerCase);
         r.sourceCodePage = CodePage::Win;
       },
       CodePage::Win, "\xF0\xF2\xE9\xF7\xE5\xF4, \xED\xE9\xF2"},
      // A page the run carries holds over the name and over detection.
      {"carried", kHelloKoi,
       [](JobRequest &r) {
         r.only(OperationCode::LowerCase);
         r.sourceCodePage = CodePage::Dos;
         r.filePage = CodePage::Win;
       },
       CodePage::Win, "\xF0\xF2\xE9\xF7\xE5\xF4, \xED\xE9\xF2"},
      {"recoded", kHelloKoi,
       recode(CodePage::Auto, CodePage::Win, OperationCode::RecodeToWin),
       CodePage::Win, kHelloWin},
      {"recoded from the carried page", kHelloWin,
       [](JobRequest &r) {
         r.only(OperationCode::RecodeToWin);
         r.targetCodePage = CodePage::Win;
         r.filePage = CodePage::Koi;
       },
       // The Windows-1251 bytes read as KOI8-R: "оПХБЕР, ЛХП".
       CodePage::Win, "\xEE\xCF\xD5\xC1\xC5\xD0, \xCB\xD5\xCF"},
      {"ASCII alone is in the target page", "plain",
       recode(CodePage::Auto, CodePage::Koi, OperationCode::RecodeToKoi),
       CodePage::Koi, ""},
      {"already in the target page", kHelloWin,
       recode(CodePage::Auto, CodePage::Win, OperationCode::RecodeToWin),
       CodePage::Win, ""},
      {"recoding failed: still in the source page", "\xD0\x96 \xE2\x82\xAC",
       recode(CodePage::Utf8, CodePage::Koi, OperationCode::RecodeToKoi),
       CodePage::Utf8, ""},
      {"a dry run changes nothing", kHelloKoi,
       [](JobRequest &r) {
         r.only(OperationCode::RecodeToWin);
         r.targetCodePage = CodePage::Win;
         r.dryRun = true;
       },
       CodePage::Koi, ""},
      {"UTF-8", kHelloUtf8, op(OperationCode::SmartCase), CodePage::Utf8, ""},
      {"no byte above 0x7F", "plain text", op(OperationCode::UpperCase),
       CodePage::Auto, "PLAIN TEXT"},
      // A page no operation takes is not chosen.
      {"no byte above 0x7F, TABs", "plain text", op(OperationCode::Optimize),
       std::nullopt, ""},
      {"not text", std::string("ab\0cd", 5), op(OperationCode::UpperCase),
       std::nullopt, ""},
      // A Cyrillic replacement in a file of ASCII alone is Windows-1251; as
      // bytes, nobody knows its page.
      {"typed Cyrillic into ASCII", "cat",
       [](JobRequest &r) {
         r.only(OperationCode::Replace);
         r.searchText = "cat";
         r.replaceText = "кот";
         r.typedText = job::TypedText::Characters;
       },
       CodePage::Win, "\xEA\xEE\xF2"},
      {"bytes above 0x7F into ASCII", "cat",
       [](JobRequest &r) {
         r.only(OperationCode::Replace);
         r.searchText = "cat";
         r.replaceText = "\xEA\xEE\xF2";
       },
       std::nullopt, "\xEA\xEE\xF2"},
      {"nothing replaced in ASCII", "dog",
       [](JobRequest &r) {
         r.only(OperationCode::Replace);
         r.searchText = "cat";
         r.replaceText = "кот";
         r.typedText = job::TypedText::Characters;
       },
       CodePage::Auto, ""},
      // A page no operation takes is not chosen: the UTF-8 test still
      // decides how bytes are matched.
      {"bytes replaced, a later pass takes the page", kHelloWin,
       replaceBytes("\xEC\xE8\xF0", "MIR", true), CodePage::Win,
       "\xCF\xF0\xE8\xE2\xE5\xF2, MIR"},
      {"bytes replaced, no later pass: the page is not chosen", kHelloWin,
       replaceBytes("\xEC\xE8\xF0", "MIR", false), std::nullopt,
       "\xCF\xF0\xE8\xE2\xE5\xF2, MIR"},
      {"bytes replaced in UTF-8, no later pass", kHelloUtf8,
       replaceBytes("\xD0\xBC\xD0\xB8\xD1\x80", "MIR", false), CodePage::Utf8,
       "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, MIR"},
      {"a byte cut from a UTF-8 character matches none", kHelloUtf8,
       replaceBytes("\xD0", "X", false), CodePage::Utf8, ""},
      {"word starts need the page's letters",
       "\xEF\xF0\xE8\xEC\xE8\xF0 \xEC\xE8\xF0",
       [&](JobRequest &r) {
         replaceBytes("\xEC\xE8\xF0", "MIR", false)(r);
         r.leftPartOfWord = true;
       },
       CodePage::Win, "\xEF\xF0\xE8\xEC\xE8\xF0 MIR"},
      {"case needs the page", kHelloKoi,
       [&](JobRequest &r) { r.only(OperationCode::UpperCase); }, CodePage::Koi,
       "\xF0\xF2\xE9\xF7\xE5\xF4, \xED\xE9\xF2"},
      {"empty lines need no page", kHelloKoi + "\n\n\n\nend\n",
       [&](JobRequest &r) { r.only(OperationCode::DeleteEmpty); }, std::nullopt,
       kHelloKoi + "\n\nend\n"},
  };
  for (const Case &c : cases) {
    dir.write("p.txt", c.content);
    auto r = request(OperationCode::UpperCase, "p.txt");
    c.setUp(r);
    run(r, 3);
    EXPECT_EQ(file.page, c.noted) << c.name << ": " << lastReport;
    EXPECT_EQ(dir.read("p.txt"), c.after.empty() ? c.content : c.after)
        << c.name;
  }
  // A file that is not there has no page.
  EXPECT_EQ(run(request(OperationCode::UpperCase, "missing.txt")),
            JobResult::NotFound);
  EXPECT_EQ(file.page, std::nullopt);
}

// Detection reports the page the run carries: the text it was found on
// may have changed since.
TEST_F(FileRunTest, DetectReportsTheCarriedPage) {
  dir.write("d.txt", kHelloWin);
  auto r = request(OperationCode::Detect, "d.txt");
  r.filePage = CodePage::Koi;
  EXPECT_EQ(run(r), JobResult::Done);
  EXPECT_EQ(shown.second, "This file has coding ''Koi8''");
}

// A file whose bytes would not change is left alone: the same inode and
// times, no temporary file, no backup; its report says why.
TEST_F(FileRunTest, UnchangedFileKeepsItsInodeAndTimesAndMakesNoBackup) {
  SNPLN_SKIP_ON_WINDOWS("inodes and times read by POSIX calls");
#ifndef _WIN32
  struct Case {
    const char *name;
    std::string content;
    std::vector<OperationCode> operations;
  };
  const Case cases[] = {
      {"empty", "", {OperationCode::UpperCase}},
      {"upper case already", "ABC\n", {OperationCode::UpperCase}},
      {"LF line ends already", "a\nb\n", {OperationCode::LineEnds}},
      {"three operations that change nothing",
       "A\tB\n",
       {OperationCode::UpperCase, OperationCode::LineEnds,
        OperationCode::Optimize}},
      {"nothing replaced", "abc", {OperationCode::Replace}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    dir.write("u.txt", c.content);
    ::utimensat(AT_FDCWD, dir.file("u.txt").c_str(), nullptr, 0);
    struct stat before {};
    ASSERT_EQ(::stat(dir.file("u.txt").c_str(), &before), 0);
    struct stat directory {};
    ASSERT_EQ(::stat(dir.path().c_str(), &directory), 0);
    auto r = request(OperationCode::UpperCase, "u.txt");
    r.operations = c.operations;
    r.searchText = "x";
    r.replaceText = "y";
    r.backupSuffix = "~";
    EXPECT_EQ(run(r), JobResult::Skipped);
    EXPECT_EQ(file.result, JobResult::Skipped);
    for (const job::JobReport &operation : file.operations) {
      EXPECT_EQ(operation.message.id, job::MessageId::Identical);
      EXPECT_FALSE(operation.backup);
    }
    EXPECT_EQ(lastReport, kIdentical);
    struct stat after {};
    ASSERT_EQ(::stat(dir.file("u.txt").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
    struct stat directoryAfter {};
    ASSERT_EQ(::stat(dir.path().c_str(), &directoryAfter), 0);
    EXPECT_EQ(directoryAfter.st_mtim.tv_nsec, directory.st_mtim.tv_nsec);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"u.txt"});
  }
#endif
}

// The progress goes up to 100 and never back.
TEST_F(FileRunTest, ProgressRisesToOneHundred) {
  dir.write("s.txt", std::string(20000, 'a'));
  std::vector<int> progress;
  control.progress = [&](int percent) { progress.push_back(percent); };
  EXPECT_EQ(run(request(OperationCode::UpperCase, "s.txt"), 1000),
            JobResult::Done);
  EXPECT_EQ(dir.read("s.txt"), std::string(20000, 'A'));
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back(), 100);
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_EQ(std::adjacent_find(progress.begin(), progress.end()),
            progress.end());
}

TEST_F(FileRunTest, ReadOnlyFileIsRewrittenAndStaysReadOnly) {
  dir.write("ro.txt", "hello");
  dir.chmod("ro.txt", 0444);
  EXPECT_EQ(run(request(OperationCode::UpperCase, "ro.txt")), JobResult::Done);
  EXPECT_EQ(dir.read("ro.txt"), "HELLO");
  EXPECT_EQ(dir.mode("ro.txt"), 0444);
}

#ifndef _WIN32
// Times far from any moment a test runs at, with nanoseconds that a
// rounding to microseconds or seconds would lose.
void setTimes(const std::string &path, timespec accessed, timespec modified) {
  const timespec times[2] = {accessed, modified};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

struct stat statOf(const std::string &path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st;
}
#endif

TEST_F(FileRunTest, KeepDateGivesTheNewContentTheTimesToTheNanosecond) {
  SNPLN_SKIP_ON_WINDOWS("times set and read to the nanosecond by POSIX calls");
#ifndef _WIN32
  const timespec accessed{1000000000, 123456789};
  const timespec modified{999999999, 987654321};
  for (const auto op : {OperationCode::UpperCase, OperationCode::RecodeToKoi,
                        OperationCode::Optimize}) {
    SCOPED_TRACE(static_cast<int>(op));
    dir.write("k.txt", "text    " + kHelloWin + "\r\n");
    setTimes(dir.file("k.txt"), accessed, modified);
    const ino_t before = statOf(dir.file("k.txt")).st_ino;
    JobRequest r = request(op, "k.txt");
    r.sourceCodePage = CodePage::Win;
    r.targetCodePage = CodePage::Koi;
    r.tabSize = 4;
    r.keepDate = true;
    ASSERT_EQ(run(r), JobResult::Done) << lastReport;
    const struct stat after = statOf(dir.file("k.txt"));
    EXPECT_NE(after.st_ino, before) << "the file was not rewritten";
    EXPECT_EQ(after.st_mtim.tv_sec, modified.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, modified.tv_nsec);
    EXPECT_EQ(after.st_atim.tv_sec, accessed.tv_sec);
    EXPECT_EQ(after.st_atim.tv_nsec, accessed.tv_nsec);
    EXPECT_FALSE(tempLeft());
  }
#endif
}

TEST_F(FileRunTest, WithoutKeepDateTheRewriteGetsItsOwnTime) {
  SNPLN_SKIP_ON_WINDOWS("times set and read to the nanosecond by POSIX calls");
#ifndef _WIN32
  dir.write("n.txt", "text");
  setTimes(dir.file("n.txt"), {1000000000, 5}, {1000000000, 5});
  ASSERT_EQ(run(request(OperationCode::UpperCase, "n.txt")), JobResult::Done);
  EXPECT_EQ(dir.read("n.txt"), "TEXT");
  EXPECT_GT(statOf(dir.file("n.txt")).st_mtim.tv_sec, 1000000000);
#endif
}

TEST_F(FileRunTest, CancelInTheMiddleLeavesTheFileAndNoTemporaryFile) {
  SNPLN_SKIP_ON_WINDOWS("POSIX permission bits");
  const std::string content(1000, 'x');
  dir.write("c.txt", content);
  dir.chmod("c.txt", 0600);
  int steps = 0;
  control.progress = [&](int) { ++steps; };
  control.canceled = [&] { return steps >= 10; };
  EXPECT_EQ(run(request(OperationCode::UpperCase, "c.txt"), 7),
            JobResult::Stop);
  EXPECT_EQ(steps, 10);
  EXPECT_EQ(shown, Message(dir.file("c.txt"), "Operation canceled"));
  EXPECT_EQ(dir.read("c.txt"), content);
  EXPECT_EQ(dir.mode("c.txt"), 0600);
  EXPECT_FALSE(tempLeft());
}

TEST_F(FileRunTest, AFileOfTheOldTemporaryNameIsLeftAlone) {
  dir.write(kOldTempName, "leftover");
  dir.write("l.txt", "abc");
  EXPECT_EQ(run(request(OperationCode::UpperCase, "l.txt")), JobResult::Done);
  EXPECT_EQ(dir.read("l.txt"), "ABC");
  EXPECT_EQ(dir.read(kOldTempName), "leftover");
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"l.txt", kOldTempName}));
}

TEST_F(FileRunTest, LinkPlantedUnderTheTemporaryNameIsNotFollowed) {
  dir.write("victim.txt", "precious");
  dir.symlink(dir.file("victim.txt"), kOldTempName);
  dir.write("l.txt", "abc");
  EXPECT_EQ(run(request(OperationCode::UpperCase, "l.txt")), JobResult::Done);
  EXPECT_EQ(dir.read("victim.txt"), "precious");
  EXPECT_EQ(dir.read("l.txt"), "ABC");
}

TEST_F(FileRunTest, FileNamedLikeTheOldTemporaryFileIsRewrittenLikeAnyOther) {
  dir.write(kOldTempName, "precious");
  auto r = request(OperationCode::UpperCase, kOldTempName);
  EXPECT_EQ(run(r), JobResult::Done);
  EXPECT_EQ(dir.read(kOldTempName), "PRECIOUS");
  EXPECT_EQ(dir.names(), std::vector<std::string>{kOldTempName});
}

TEST_F(FileRunTest, LinkToAFileKeepsTheLinkAndRewritesItsTarget) {
  SNPLN_SKIP_WITHOUT_LINKS();
  dir.mkdir("real");
  dir.write("real/t.txt", "abc");
  dir.symlink(dir.file("real/t.txt"), "link.txt");
  EXPECT_EQ(run(request(OperationCode::UpperCase, "link.txt")),
            JobResult::Done);
#ifndef _WIN32
  struct stat st {};
  ASSERT_EQ(lstat(dir.file("link.txt").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
#endif
  EXPECT_EQ(dir.read("real/t.txt"), "ABC");
}

TEST_F(FileRunTest, FileThatShrinksWhileTheJobRunsEndsWithReadError) {
  SNPLN_SKIP_ON_WINDOWS("POSIX permission bits");
  dir.write("s.txt", std::string(100, 'a'));
  bool once = false;
  control.progress = [&](int) {
    if (!std::exchange(once, true)) {
      ASSERT_EQ(truncate(dir.file("s.txt").c_str(), 20), 0);
    }
  };
  EXPECT_EQ(run(request(OperationCode::UpperCase, "s.txt"), 10),
            JobResult::ReadFailed);
  EXPECT_EQ(shown.second, "Error reading file");
  EXPECT_FALSE(tempLeft());
}

TEST_F(FileRunTest, FileThatGrowsWhileTheJobRunsKeepsWhatWasAppended) {
  SNPLN_SKIP_ON_WINDOWS("POSIX permission bits");
  dir.write("g.txt", std::string(100, 'a'));
  bool once = false;
  control.progress = [&](int) {
    if (!std::exchange(once, true))
      dir.write("g.txt", std::string(150, 'a')); // same file, appended to
  };
  EXPECT_EQ(run(request(OperationCode::UpperCase, "g.txt"), 10),
            JobResult::ReadFailed);
  EXPECT_EQ(shown.second, "Error reading file");
  EXPECT_EQ(dir.read("g.txt"), std::string(150, 'a'));
  EXPECT_FALSE(tempLeft());
}

TEST_F(FileRunTest, UpperCaseOnAUtf8FileKeepsItUtf8) {
  const std::string text = "Привет, мир! Ёлка и ёж; hello.\n";
  for (std::size_t slice :
       {std::size_t{1}, std::size_t{3}, std::size_t{8192}}) {
    dir.write("u.txt", text);
    EXPECT_EQ(run(request(OperationCode::UpperCase, "u.txt"), slice),
              JobResult::Done);
    EXPECT_EQ(file.page, CodePage::Utf8);
    EXPECT_EQ(dir.read("u.txt"), "ПРИВЕТ, МИР! ЁЛКА И ЁЖ; HELLO.\n")
        << "slice " << slice;
  }
}

// Detection looks at the head of a file only; UTF-8 letters after a long
// ASCII head were taken for single bytes, and upper case broke them.
TEST_F(FileRunTest, Utf8AfterALongAsciiHeadStaysUtf8) {
  const std::string head(20000, 'a');
  dir.write("u.txt", head + " ёлка, мир; ЖЁ");
  EXPECT_EQ(run(request(OperationCode::UpperCase, "u.txt")), JobResult::Done);
  EXPECT_EQ(file.page, CodePage::Utf8);
  EXPECT_EQ(dir.read("u.txt"), std::string(20000, 'A') + " ЁЛКА, МИР; ЖЁ");
}

// A UTF-8 text with a few stray bytes was taken for ISO 8859-5, and
// recoding it to UTF-8 wrote every letter twice encoded; then it was left
// alone as UTF-8. Now every target fails at the first stray byte, and a
// single-byte page named is obeyed.
TEST_F(FileRunTest, Utf8WithStrayBytesIsNeverEncodedTwice) {
  std::string text = test::russianProse();
  const auto boundary = [&](std::size_t at) {
    while ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
      ++at;
    return at;
  };
  text.insert(boundary(text.size() / 2), "\xE9"); // й in Windows-1251
  const std::size_t dash = boundary(100);
  text.insert(dash, "\x97"); // — in Windows-1251
  dir.write("u.txt", text);
  auto detect = request(OperationCode::Detect, "u.txt");
  EXPECT_EQ(run(detect), JobResult::Done);
  EXPECT_EQ(lastReport, "This file has coding ''UTF-8''");
  const struct {
    CodePage source;
    CodePage target;
    JobResult result;
  } cases[] = {
      {CodePage::Auto, CodePage::Utf8, JobResult::ReadFailed},
      {CodePage::Utf8, CodePage::Utf8, JobResult::ReadFailed},
      {CodePage::Auto, CodePage::Win, JobResult::ReadFailed},
      {CodePage::Auto, CodePage::Mac, JobResult::ReadFailed},
      {CodePage::Auto, CodePage::Utf16, JobResult::ReadFailed},
      {CodePage::Win, CodePage::Utf8, JobResult::Done},
  };
  for (const auto &c : cases)
    for (std::size_t slice : {std::size_t{1}, std::size_t{3}, std::size_t{64},
                              engine::kSliceSize}) {
      SCOPED_TRACE(std::to_string(int(c.source)) + " to " +
                   std::to_string(int(c.target)) + ", slice " +
                   std::to_string(slice));
      dir.write("u.txt", text);
      auto r = request(OperationCode::RecodeToUtf8, "u.txt");
      r.sourceCodePage = c.source;
      r.targetCodePage = c.target;
      EXPECT_EQ(run(r, slice), c.result);
      if (c.result == JobResult::Done) {
        // The page named is obeyed: the stray bytes are its letters.
        EXPECT_EQ(report.message.id, job::MessageId::Converted);
        EXPECT_NE(dir.read("u.txt").find("\xD0\xB9"), std::string::npos);
        continue;
      }
      EXPECT_EQ(report.message.id, job::MessageId::InvalidUtf8);
      EXPECT_EQ(report.offset, dash);
      EXPECT_EQ(dir.read("u.txt"), text);
      EXPECT_FALSE(tempLeft());
    }
  // Valid UTF-8 to UTF-8 is checked and left as it is.
  dir.write("v.txt", test::russianProse());
  auto same = request(OperationCode::RecodeToUtf8, "v.txt");
  same.targetCodePage = CodePage::Utf8;
  EXPECT_EQ(run(same, 5), JobResult::Skipped);
  EXPECT_EQ(lastReport, "This file just is in same coding");
  dir.write("u.txt", text);
  // Upper case keeps the stray bytes as they are.
  EXPECT_EQ(run(request(OperationCode::UpperCase, "u.txt")), JobResult::Done);
  const std::string upper = dir.read("u.txt");
  EXPECT_EQ(upper.size(), text.size());
  EXPECT_EQ(upper[dash], '\x97');
  EXPECT_NE(upper.find("\xE9"), std::string::npos);
}

// Where UTF-8 bytes go wrong: the offset of each byte that begins no
// character (a byte that no sequence wants, or a lead byte cut short).
std::vector<std::size_t> strayBytesOf(const std::string &text) {
  std::vector<std::size_t> at;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    const std::size_t n = b < 0x80                 ? 1
                          : b >= 0xC2 && b <= 0xDF ? 2
                          : b >= 0xE0 && b <= 0xEF ? 3
                          : b >= 0xF0 && b <= 0xF4 ? 4
                                                   : 0;
    std::size_t k = 1;
    while (n > 1 && k < n && i + k < text.size() &&
           (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80)
      ++k;
    if (n == 0 || k < n) {
      at.push_back(i);
      ++i;
      continue;
    }
    i += n;
  }
  return at;
}

// The grid of almost-UTF-8: 1, 4, 10 and 20 stray bytes in excerpts of 40,
// 100 and 300 characters of the prose, five each (seeds 1 to 72). Each is
// detected as
// UTF-8 and refused by recoding to UTF-8 and to Windows-1251 at its first
// stray byte, the file kept byte for byte. The repair leaves it alone
// unless a stray byte is a lead byte of two, which is what a character
// whose second byte a reading lost leaves (Windows-1251 `Р` is UTF-8 `И`
// without its 0x98).
TEST_F(FileRunTest, AlmostUtf8GridIsUtf8AndRefusedAtTheFirstStrayByte) {
  const std::string prose = test::allRussianProse();
  unsigned seed = 1;
  std::size_t leftAlone = 0;
  for (const std::size_t chars : {40u, 100u, 300u})
    for (const std::size_t strays : {1u, 4u, 10u, 20u}) {
      const auto excerpts = test::excerptsOf(prose, chars, 5, seed++);
      ASSERT_EQ(excerpts.size(), 5u);
      for (const std::string &excerpt : excerpts) {
        const std::string text = test::withStrayBytes(excerpt, strays, seed++);
        const std::vector<std::size_t> strayAt = strayBytesOf(text);
        ASSERT_FALSE(strayAt.empty());
        const std::size_t first = strayAt.front();
        const bool leadOfTwo =
            std::any_of(strayAt.begin(), strayAt.end(), [&](std::size_t i) {
              const auto b = static_cast<unsigned char>(text[i]);
              return b >= 0xC2 && b <= 0xDF;
            });
        const std::string cell = std::to_string(strays) + " in " +
                                 std::to_string(chars) + ": " + text;
        dir.write("a.txt", text);
        EXPECT_EQ(run(request(OperationCode::Detect, "a.txt")), JobResult::Done)
            << cell;
        EXPECT_EQ(lastReport.rfind("This file has coding ''UTF-8''", 0), 0u)
            << cell << "\n"
            << lastReport;
        const JobResult repaired = run(request(OperationCode::Repair, "a.txt"));
        if (!leadOfTwo) {
          ++leftAlone;
          EXPECT_EQ(repaired, JobResult::Skipped) << cell;
          EXPECT_EQ(dir.read("a.txt"), text) << cell;
        }
        for (const CodePage target : {CodePage::Utf8, CodePage::Win}) {
          dir.write("a.txt", text);
          auto r = request(OperationCode::RecodeToUtf8, "a.txt");
          r.targetCodePage = target;
          EXPECT_EQ(run(r, 7), JobResult::ReadFailed) << cell;
          EXPECT_EQ(report.message.id, job::MessageId::InvalidUtf8) << cell;
          EXPECT_EQ(report.offset, first) << cell;
          EXPECT_EQ(dir.read("a.txt"), text) << cell;
          EXPECT_FALSE(tempLeft()) << cell;
        }
      }
    }
  // Most stray bytes a single-byte editor leaves begin no sequence.
  EXPECT_GE(leftAlone, 20u);
}

// A character the target lacks went to a fill byte with status 0 and a
// word only under -v. The count is in every report (also where the bytes
// came out as they were), strict refuses the file at the first such
// character, and substitution leaves nothing to refuse.
TEST_F(FileRunTest, FillsAreCountedAndStrictRefusesThem) {
  const std::string quoted = "\xAB" + kHelloWin + "\xBB"; // «Привет, мир»
  const std::string ukrainian = "\xA7\xC5\xA6";           // їеі in KOI8-U
  const struct {
    const char *name;
    std::string content;
    CodePage source;
    CodePage target;
    bool strict;
    bool substitute;
    JobResult result;
    std::uint64_t filled;
    std::optional<std::uint64_t> offset;
    std::optional<char32_t> character;
  } cases[] = {
      {"filled",
       quoted,
       CodePage::Win,
       CodePage::Koi,
       false,
       false,
       JobResult::Done,
       2,
       {},
       {}},
      {"strict", quoted, CodePage::Win, CodePage::Koi, true, false,
       JobResult::ReadFailed, 0, 0, U'\u00AB'},
      {"strict, later", kHelloWin + "\xBB", CodePage::Win, CodePage::Dos, true,
       false, JobResult::ReadFailed, 0, kHelloWin.size(), U'\u00BB'},
      {"strict and substitute",
       quoted,
       CodePage::Win,
       CodePage::Koi,
       true,
       true,
       JobResult::Done,
       0,
       {},
       {}},
      {"strict, nothing to fill",
       kHelloWin,
       CodePage::Win,
       CodePage::Koi,
       true,
       false,
       JobResult::Done,
       0,
       {},
       {}},
      {"same bytes, filled",
       ukrainian,
       CodePage::KoiU,
       CodePage::Koi,
       false,
       false,
       JobResult::Skipped,
       2,
       {},
       {}},
      {"same bytes, strict", ukrainian, CodePage::KoiU, CodePage::Koi, true,
       false, JobResult::ReadFailed, 0, 0, U'\u0457'},
  };
  for (const auto &c : cases)
    for (std::size_t slice :
         {std::size_t{1}, std::size_t{3}, std::size_t{8192}}) {
      SCOPED_TRACE(std::string(c.name) + ", slice " + std::to_string(slice));
      dir.write("f.txt", c.content);
      auto r = request(OperationCode::RecodeToKoi, "f.txt");
      r.sourceCodePage = c.source;
      r.targetCodePage = c.target;
      r.strict = c.strict;
      r.substitute = c.substitute;
      EXPECT_EQ(run(r, slice), c.result);
      EXPECT_EQ(report.filled, c.filled);
      EXPECT_EQ(report.offset, c.offset);
      EXPECT_EQ(report.character, c.character);
      if (c.result != JobResult::Done) {
        EXPECT_EQ(dir.read("f.txt"), c.content);
      }
      if (c.result == JobResult::Skipped) {
        EXPECT_EQ(report.message.id, job::MessageId::Identical);
      }
      EXPECT_FALSE(tempLeft());
    }
}

// A file whose first 8 KiB were English was "english symbols only" however
// much Russian followed.
TEST_F(FileRunTest, RussianAfterSixteenKibibytesOfEnglishIsFoundAndConverted) {
  std::string english;
  while (english.size() < 16384)
    english += "This program is free software; you can redistribute it.\n";
  const std::string russian = "/* Ёлки у входа: \"Привет, мир\" - 5 шт. */\n";
  const std::pair<CodePage, const char *> pages[] = {
      {CodePage::Dos, "''Dos''"},
      {CodePage::Win, "''Win1251''"},
      {CodePage::Koi, "''Koi8''"},
      {CodePage::Iso, "''Iso''"},
  };
  for (const auto &[page, name] : pages) {
    const std::string russianIn =
        test::iconvInPage(russian, page).value_or(std::string());
    ASSERT_FALSE(russianIn.empty()) << name;
    dir.write("e.txt", english + russianIn);
    auto detect = request(OperationCode::Detect, "e.txt");
    EXPECT_EQ(run(detect), JobResult::Done) << name;
    EXPECT_EQ(lastReport, std::string("This file has coding ") + name);
    auto toUtf8 = request(OperationCode::RecodeToUtf8, "e.txt");
    toUtf8.targetCodePage = CodePage::Utf8;
    EXPECT_EQ(run(toUtf8), JobResult::Done) << name;
    EXPECT_EQ(dir.read("e.txt"), english + russian) << name;
  }
  // English alone, however long, is left as it is.
  dir.write("e.txt", english + english + english);
  auto toWin = request(OperationCode::RecodeToWin, "e.txt");
  toWin.targetCodePage = CodePage::Win;
  EXPECT_EQ(run(toWin), JobResult::Skipped);
  EXPECT_EQ(lastReport, "This file consist of english symbols only");
}

TEST_F(FileRunTest, SingleByteFileStaysSingleByte) {
  dir.write("w.txt", kHelloWin);
  EXPECT_EQ(run(request(OperationCode::LowerCase, "w.txt")), JobResult::Done);
  EXPECT_EQ(file.page, CodePage::Win);
  EXPECT_EQ(dir.read("w.txt"), "\xEF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0");
}

// A text of `lines` lines in a single-byte page for the chain's order:
// letters of the page, the search text and near misses of it, runs of
// blanks, indented and empty lines, every kind of line end, and now and then
// a line past a third of the line limit (or, with `tooLong`, one whose UTF-8
// passes the limit).
std::string chainText(std::mt19937 &rng, CodePage page, int lines,
                      bool tooLong) {
  const std::string search = *engine::typedTextIn("мир", page);
  const auto pick = [&](std::size_t n) {
    return static_cast<std::size_t>(rng() % n);
  };
  const char *const ends[] = {"\r\n", "\n", "\r", "\n\r", "\r\n\r\n"};
  std::string text;
  for (int line = 0; line < lines; ++line) {
    if (pick(8) == 0)
      text += std::string(pick(3), ' ');
    const std::size_t words = pick(20) == 0 ? 0 : 1 + pick(12);
    for (std::size_t w = 0; w < words; ++w) {
      switch (pick(6)) {
      case 0:
        text += search.substr(0, 1 + pick(search.size()));
        break;
      case 1:
        text += search.substr(0, 1) + search;
        break;
      default:
        for (std::size_t k = 1 + pick(8); k > 0; --k)
          text += static_cast<char>(pick(3) == 0 ? 'a' + pick(26)
                                                 : 0x80 + pick(128));
      }
      text += pick(4) == 0 ? std::string(1 + pick(9), ' ')
                           : std::string(pick(6) == 0 ? "\t" : " ");
    }
    if (line == lines / 2 && pick(2) == 0)
      text += std::string(tooLong ? 16000 : 10000 + pick(2000), '\xE0');
    text += ends[pick(std::size(ends))];
  }
  return text;
}

// Recoding single-byte text to UTF-8 runs after the stages that follow it
// where they give the same text either side of it, and a line too long for
// that order makes the file's run go again in the plan's: the file, its
// report and each operation's facts are those of the operations run one
// by one, in every page, order and slice size.
TEST_F(FileRunTest, ChainGivesWhatTheOperationsGiveOneByOne) {
  using Op = OperationCode;
  const std::vector<std::vector<Op>> plans = {
      {Op::UpperCase, Op::RecodeToUtf8, Op::LineEnds, Op::Replace, Op::Optimize,
       Op::DeleteEmpty},
      {Op::RecodeToUtf8, Op::Optimize},
      {Op::RecodeToUtf8, Op::DeleteEmpty, Op::Exclude},
      {Op::RecodeToUtf8, Op::Replace, Op::LowerCase, Op::Optimize},
      {Op::RecodeToUtf8, Op::Bom, Op::Optimize, Op::DeleteEmpty},
  };
  std::mt19937 rng(3011);
  int round = 0;
  for (const CodePage page : engine::kSingleBytePages)
    for (const std::vector<Op> &plan : plans)
      for (const std::size_t slice : {std::size_t{7}, std::size_t{8192}}) {
        const bool tooLong = ++round % 9 == 0;
        const std::string text = chainText(rng, page, 80, tooLong);
        SCOPED_TRACE("page " + std::to_string(static_cast<int>(page)) +
                     ", plan of " + std::to_string(plan.size()) + ", slice " +
                     std::to_string(slice) +
                     (tooLong ? ", a line too long" : ""));
        JobRequest r;
        r.targetCodePage = CodePage::Utf8;
        r.lineEnd = engine::LineEnd::CrLf;
        r.bom = engine::BomChange::Add;
        r.typedText = job::TypedText::Characters;
        r.searchText = "мир";
        r.replaceText = "«МИР»";
        r.location = dir.file("f.txt");
        // One by one, each on the page the one before left.
        dir.write("f.txt", text);
        std::vector<job::JobReport> alone;
        bool failed = false;
        CodePage now = page;
        for (const Op op : plan) {
          r.operations = {op};
          r.sourceCodePage = now;
          const job::FileReport one = test::runRequest(r, slice);
          alone.push_back(one.operations.at(0));
          if ((failed = one.failed()))
            break;
          if (op == Op::RecodeToUtf8)
            now = CodePage::Utf8;
        }
        const std::string oneByOne = dir.read("f.txt");
        // All at once.
        dir.write("f.txt", text);
        r.operations = plan;
        r.sourceCodePage = page;
        const job::FileReport chain = test::runRequest(r, slice);
        if (failed) {
          ASSERT_TRUE(chain.failure());
          EXPECT_EQ(chain.failure()->operation, alone.back().operation);
          EXPECT_EQ(chain.failure()->message.id, alone.back().message.id)
              << test::reportLineOf(*chain.failure());
          EXPECT_TRUE(dir.read("f.txt") == text) << "the file was changed";
          EXPECT_FALSE(tempLeft());
          continue;
        }
        ASSERT_FALSE(chain.failure()) << test::reportLineOf(*chain.failure());
        EXPECT_TRUE(dir.read("f.txt") == oneByOne)
            << "the chain's text differs from the operations' one by one";
        for (std::size_t i = 0; i < plan.size(); ++i) {
          const job::JobReport &got = chain.operations.at(i);
          EXPECT_EQ(got.hits, alone[i].hits) << test::reportLineOf(got);
          EXPECT_EQ(got.filled, alone[i].filled) << test::reportLineOf(got);
          // Alone, an operation that changes nothing leaves the file
          // as it was; in the chain the file changes all the same.
          if (alone[i].message.id != job::MessageId::Identical) {
            EXPECT_EQ(got.result, alone[i].result)
                << test::reportLineOf(got) << " | "
                << test::reportLineOf(alone[i]);
          }
        }
        EXPECT_EQ(chain.page, CodePage::Utf8);
      }
}

TEST(OperationTitles, AreTheWindowCaptions) {
  const char *expected[] = {"Upper case",
                            "Recode to WIN",
                            "Recode to KOI",
                            "Recode to ISO",
                            "Recode to DOS",
                            "Lower case",
                            "Smart case",
                            "Exclude",
                            "Replace",
                            "Optimize",
                            "Delete excessive",
                            "Detect coding",
                            "Recode to UTF-8",
                            "Line ends",
                            "Byte order mark",
                            "Recode to UTF-16",
                            "Repair"};
  static_assert(std::size(expected) == job::kOperationCount);
  for (int i = 0; i < job::kOperationCount; ++i)
    EXPECT_EQ(
        i18n::english(i18n::operationTitle(static_cast<OperationCode>(i))),
        expected[i]);
}

TEST(DisplayName, IsTheTextAfterTheLastSeparator) {
  EXPECT_EQ(job::displayNameOf("a/b/c.txt"), "c.txt");
  EXPECT_EQ(job::displayNameOf("C:\\dir\\f.txt"), "f.txt");
  EXPECT_EQ(job::displayNameOf("C:f.txt"), "f.txt");
  EXPECT_EQ(job::displayNameOf("plain"), "plain");
}

// A backup is named by the file's real place: the path its links led to,
// its last part replaced, cut only at this system's separators (before, a
// name holding a '\\' lost its directory, and a file reached through a
// link got a name that was no path to its backup).
TEST(BackupPath, IsThePlaceTheLinksLedToWithTheBackupsName) {
  struct Case {
    const char *reached, *kept, *path;
  };
  const Case cases[] = {
      {"t.txt", "t.txt~", "t.txt~"},
      {"u/t.txt", "t.txt.~2~", "u/t.txt.~2~"},
      {"lk/t.txt", "t.txt~", "lk/t.txt~"},
      {"real/t.txt", "t.txt.bak.1", "real/t.txt.bak.1"},
      {"/abs/dir/t.txt", "t.txt~", "/abs/dir/t.txt~"},
      {"sub/../real/t.txt", "t.txt~", "sub/../real/t.txt~"},
#ifdef _WIN32
      {"u\\t.txt", "t.txt~", "u\\t.txt~"},
      {"C:t.txt", "t.txt~", "C:t.txt~"},
#else
      {"u/b\\s.txt", "b\\s.txt~", "u/b\\s.txt~"},
      {"a:b.txt", "a:b.txt~", "a:b.txt~"},
#endif
  };
  for (const Case &c : cases)
    EXPECT_EQ(job::backupPathOf(c.reached, c.kept), c.path)
        << c.reached << " + " << c.kept;
}

// A file system with one huge file of one letter and a temporary file that
// swallows what it is given: enough to run a job over more than 4 GiB
// without the disk.
class HugeFileSystem : public test::NativeFileSystem {
public:
  static constexpr platform::FileSize kSize = (1ull << 32) + 5;
  struct Input : platform::InputFile {
    platform::FileSize pos = 0;
    bool read(void *buffer, std::size_t n, std::size_t &got) override {
      got = static_cast<std::size_t>(
          std::min<platform::FileSize>(n, kSize - pos));
      // Text: a zero byte would make the file no text.
      std::memset(buffer, 'a', got);
      pos += got;
      return true;
    }
    bool seek(platform::FileSize p) override { return (pos = p), true; }
    platform::FileSize position() const override { return pos; }
    bool size(platform::FileSize &s) override { return (s = kSize), true; }
    bool status(platform::FileStatus &s) override {
      s = platform::FileStatus{};
      s.size = kSize;
      return true;
    }
    platform::LockOutcome lock() override {
      return platform::LockOutcome::Locked;
    }
    bool stillNamed() override { return true; }
    std::unique_ptr<platform::SaveFile>
    beginSave(const platform::FileStatus &, const platform::SaveRules &,
              platform::SystemError &) override;
    HugeFileSystem *fs = nullptr;
  };
  struct Sink : platform::SaveFile {
    HugeFileSystem *fs;
    bool write(const void *, std::size_t n, std::size_t &w) override {
      fs->written += w = n;
      return true;
    }
    bool flush() override { return true; }
    platform::SaveOutcome commit() override {
      fs->replaced = true;
      return platform::SaveOutcome::Replaced;
    }
    bool setTimes(const platform::FileTime &,
                  const platform::FileTime &) override {
      return true;
    }
    void abandon() override {}
  };
  std::unique_ptr<platform::InputFile>
  openRead(const platform::FileLocation &) override {
    auto input = std::make_unique<Input>();
    input->fs = this;
    return input;
  }
  platform::FileSize written = 0;
  bool replaced = false;
};

std::unique_ptr<platform::SaveFile>
HugeFileSystem::Input::beginSave(const platform::FileStatus &,
                                 const platform::SaveRules &,
                                 platform::SystemError &) {
  auto sink = std::make_unique<Sink>();
  sink->fs = fs;
  return sink;
}

TEST(FileRunSizes, FileOfFourGibibytesOrMoreFinishes) {
#if !defined(NDEBUG) || defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "4 GiB of bytes take too long in a debug or sanitizer build";
#endif
  HugeFileSystem fs;
  JobRequest r;
  r.location = "huge.txt";
  std::vector<int> progress;
  job::JobControl control;
  control.progress = [&](int percent) { progress.push_back(percent); };
  EXPECT_EQ(test::runRequest(r, 1 << 20, fs, control).result, JobResult::Done);
  EXPECT_TRUE(fs.replaced);
  EXPECT_EQ(fs.written, HugeFileSystem::kSize);
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back(), 100);
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

// The report is data: each end carries its message id and the facts that
// go with it (pages, detection, hits, the offset of a failure, the system's
// reason), and nothing that does not apply to it.
TEST_F(FileRunTest, ReportCarriesTheFactsOfEachEnd) {
  using job::MessageId;
  struct Case {
    const char *name;
    std::string content; // nothing: no file
    OperationCode op;
    CodePage source, target;
    JobResult result;
    MessageId message;
    CodePage from, to;
    bool detected;
    std::optional<std::uint64_t> hits, offset;
    int systemError;
  };
  const std::optional<std::uint64_t> none;
  const Case cases[] = {
      {"detected recode", kHelloKoi, OperationCode::RecodeToWin, CodePage::Auto,
       CodePage::Win, JobResult::Done, MessageId::Converted, CodePage::Koi,
       CodePage::Win, true, none, none, 0},
      {"named recode", kHelloDos, OperationCode::RecodeToKoi, CodePage::Dos,
       CodePage::Koi, JobResult::Done, MessageId::Converted, CodePage::Dos,
       CodePage::Koi, false, none, none, 0},
      {"same coding", kHelloWin, OperationCode::RecodeToWin, CodePage::Auto,
       CodePage::Win, JobResult::Skipped, MessageId::SameCoding, CodePage::Win,
       CodePage::Win, true, none, none, 0},
      {"detection", kHelloKoi, OperationCode::Detect, CodePage::Auto,
       CodePage::Auto, JobResult::Done, MessageId::HasCoding, CodePage::Koi,
       CodePage::Auto, true, none, none, 0},
      {"invalid UTF-8",
       "ab\xD0\xBF\xFF"
       "cd",
       OperationCode::RecodeToWin, CodePage::Utf8, CodePage::Win,
       JobResult::ReadFailed, MessageId::InvalidUtf8, CodePage::Utf8,
       CodePage::Win, false, none, std::uint64_t{4}, 0},
      {"empty lines", "a\r\n\r\n\r\n\r\nb\r\n", OperationCode::DeleteEmpty,
       CodePage::Auto, CodePage::Win, JobResult::Done, MessageId::Converted,
       CodePage::Auto, CodePage::Auto, false, std::uint64_t{2}, none, 0},
      {"missing", "", OperationCode::UpperCase, CodePage::Auto, CodePage::Win,
       JobResult::NotFound, MessageId::NotFound, CodePage::Auto, CodePage::Auto,
       false, none, none, ENOENT},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    ::unlink(dir.file("f.txt").c_str());
    if (!c.content.empty())
      dir.write("f.txt", c.content);
    auto r = request(c.op, "f.txt");
    r.sourceCodePage = c.source;
    r.targetCodePage = c.target;
    EXPECT_EQ(run(r), c.result);
    EXPECT_EQ(report.result, c.result);
    EXPECT_EQ(report.message.id, c.message) << lastReport;
    EXPECT_EQ(report.operation, c.op);
    EXPECT_EQ(report.path, r.location.path());
    EXPECT_EQ(report.from, c.from);
    EXPECT_EQ(report.to, c.to);
    EXPECT_EQ(report.detected, c.detected);
    if (c.result == JobResult::Done) {
      EXPECT_EQ(report.hits, c.hits);
    }
    EXPECT_EQ(report.offset, c.offset);
    EXPECT_EQ(report.message.systemError, c.systemError);
  }
}

// A failure at a place names its line and column beside the byte offset,
// and the character the target cannot hold, in the report and in its
// words; whatever the slice size, as lines are counted from the file again.
TEST_F(FileRunTest, FailuresNameTheirLineColumnAndCharacter) {
  using job::MessageId;
  struct Case {
    const char *name;
    std::string content;
    CodePage target;
    MessageId message;
    std::uint64_t offset, line, column;
    std::optional<char32_t> character;
    const char *words;
  };
  const Case cases[] = {
      {"invalid UTF-8 on the third line", "a\r\nb\n\xD0\xB0x\xFF",
       CodePage::Win, MessageId::InvalidUtf8, 8, 3, 3, std::nullopt,
       "Invalid UTF-8 at line 3, column 3 (byte 8)"},
      {"a sequence cut by the end of the file", "ab\xD0", CodePage::Win,
       MessageId::InvalidUtf8, 2, 1, 3, std::nullopt,
       "Invalid UTF-8 at line 1, column 3 (byte 2)"},
      {"the euro sign KOI8-R cannot hold, after LF CR", "ok\n\r\xE2\x82\xAC",
       CodePage::Koi, MessageId::Unrepresentable, 4, 2, 1, U'\u20AC',
       "Character U+20AC \xE2\x82\xAC at line 2, column 1 (byte 4) cannot be "
       "written in ''Koi8''"},
      {"after two-byte letters in the first line",
       "\xD0\xB0\xD0\xB1\xE2\x82\xAC", CodePage::Dos,
       MessageId::Unrepresentable, 4, 1, 3, U'\u20AC',
       "Character U+20AC \xE2\x82\xAC at line 1, column 3 (byte 4) cannot be "
       "written in ''Dos''"},
      {"after a byte order mark and a lone CR",
       "\xEF\xBB\xBFx\r\xF0\x9F\x98\x80", CodePage::Iso,
       MessageId::Unrepresentable, 5, 2, 1, U'\U0001F600',
       "Character U+1F600 \xF0\x9F\x98\x80 at line 2, column 1 (byte 5) "
       "cannot be written in ''Iso''"},
  };
  for (const Case &c : cases)
    for (const std::size_t slice :
         {std::size_t{1}, std::size_t{3}, std::size_t{8192}}) {
      SCOPED_TRACE(std::string(c.name) + ", slices of " +
                   std::to_string(slice));
      dir.write("p.txt", c.content);
      auto r = request(OperationCode::RecodeToWin, "p.txt");
      r.sourceCodePage = CodePage::Utf8;
      r.targetCodePage = c.target;
      EXPECT_EQ(run(r, slice), JobResult::ReadFailed);
      EXPECT_EQ(report.message.id, c.message) << lastReport;
      EXPECT_EQ(report.offset, c.offset);
      EXPECT_EQ(report.line, c.line);
      EXPECT_EQ(report.column, c.column);
      EXPECT_EQ(report.character, c.character);
      EXPECT_EQ(lastReport, c.words);
      EXPECT_EQ(dir.read("p.txt"), c.content);
      EXPECT_FALSE(tempLeft());
    }

  // The replacement's character the file's page cannot hold; the typed
  // text has no place in the file.
  dir.write("p.txt", kHelloKoi);
  auto r = request(OperationCode::Replace, "p.txt");
  r.searchText = "x";
  r.replaceText = "\xE2\x82\xAC";
  r.typedText = job::TypedText::Characters;
  EXPECT_EQ(run(r), JobResult::ReadFailed);
  EXPECT_EQ(report.message.id, MessageId::TypedTextUnfit);
  EXPECT_EQ(report.character, std::optional<char32_t>(U'\u20AC'));
  EXPECT_FALSE(report.offset || report.line || report.column);
}

} // namespace
} // namespace snpln
