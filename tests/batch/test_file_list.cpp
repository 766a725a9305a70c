#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch/file_list.h"
#include "i18n/catalogue.h"
#include "i18n/texts.h"

// The status line in English, as the edges put it.
static std::string said(const snpln::batch::Status &status) {
  return snpln::i18n::english(snpln::i18n::statusText(status));
}

namespace snpln::test {
namespace {

using batch::FileListModel;
using batch::splitCommandLine;
using Words = std::vector<std::string>;

struct SplitCase {
  const char *name;
  std::string text;
  Words words;
};

TEST(SplitCommandLine, Cases) {
  const SplitCase cases[] = {
      {"empty", "", {}},
      {"separators only", " \t\r\n\x01\x1f ", {}},
      {"plain words", "a.txt  b.txt", {"a.txt", "b.txt"}},
      {"quoted keeps blanks, loses quotes",
       "\"My Documents\\a b.txt\" c.txt",
       {"My Documents\\a b.txt", "c.txt"}},
      {"quote inside a word is ordinary", "ab\"cd ef", {"ab\"cd", "ef"}},
      {"unterminated quote takes the rest", "x \"a b  c", {"x", "a b  c"}},
      {"empty quotes dropped", "\"\" a \"\"", {"a"}},
      {"word right behind a closing quote", "\"a b\"c d", {"a b", "c", "d"}},
      {"quote right behind a word", "ab\"c d\"", {"ab\"c", "d\""}},
      {"control bytes separate",
       "a\tb\x01"
       "c",
       {"a", "b", "c"}},
      {"high bytes belong to words",
       "\xcf\xf0\xe8\xe2\xe5\xf2 \xa0x",
       {"\xcf\xf0\xe8\xe2\xe5\xf2", "\xa0x"}},
      {"no escapes", "\"a\\\" b\"", {"a\\", "b\""}},
      {"lone quote at the end", "a \"", {"a"}},
  };
  for (const auto &c : cases)
    EXPECT_EQ(c.words, splitCommandLine(c.text)) << c.name;
}

TEST(SplitCommandLine, NulByteSeparates) {
  std::string text("a\0b", 3);
  EXPECT_EQ((Words{"a", "b"}), splitCommandLine(text));
}

TEST(CountStatus, OneNamedOtherwiseCounted) {
  EXPECT_EQ("0 files are choosed", said(batch::countStatus({}, "")));
  EXPECT_EQ("File 'x.txt' is choosed",
            said(batch::countStatus({"d/x.txt"}, "x.txt")));
  EXPECT_EQ("12 files are choosed",
            said(batch::countStatus(Words(12, "f"), "ignored")));
}

TEST(FileListModel, StartUpWithoutArguments) {
  FileListModel m;
  m.startUp("");
  EXPECT_TRUE(m.fileList().empty());
  EXPECT_EQ("", m.fileNameField());
  EXPECT_EQ("0 files are choosed", said(m.statusLine()));
  EXPECT_FALSE(m.previewEnabled());
}

TEST(FileListModel, StartUpShowsTheTextUnchanged) {
  FileListModel m;
  m.startUp(" \"C:\\a b\\x.txt\" ");
  EXPECT_EQ(Words{"C:\\a b\\x.txt"}, m.fileList());
  EXPECT_EQ(" \"C:\\a b\\x.txt\" ", m.fileNameField());
  // Start-up names the only entry whole.
  EXPECT_EQ("File 'C:\\a b\\x.txt' is choosed", said(m.statusLine()));
  EXPECT_TRUE(m.previewEnabled());

  m.startUp("a b");
  EXPECT_EQ("2 files are choosed", said(m.statusLine()));
  EXPECT_FALSE(m.previewEnabled());
}

TEST(FileListModel, DropsAppend) {
  FileListModel m;
  m.startUp("");
  m.drop({"/home/u/one.txt"});
  EXPECT_EQ("File '/home/u/one.txt' is choosed", said(m.statusLine()));
  EXPECT_TRUE(m.previewEnabled());
  EXPECT_EQ(" /home/u/one.txt ", m.fileNameField());
  m.drop({"/b", "/c"});
  m.drop({"/d"});
  EXPECT_EQ((Words{"/home/u/one.txt", "/b", "/c", "/d"}), m.fileList());
  EXPECT_EQ("4 files are choosed", said(m.statusLine()));
  EXPECT_FALSE(m.previewEnabled());
  EXPECT_EQ(" /home/u/one.txt  /b /c  /d ", m.fileNameField());
}

TEST(FileListModel, LongDroppedNameKeptWhole) {
  FileListModel m;
  const std::string name = "/" + std::string(1500, 'n');
  m.drop({name});
  ASSERT_EQ(1u, m.fileList().size());
  EXPECT_EQ(name, m.fileList()[0]);
}

TEST(FileListModel, BrowseReplacesAndNamesTheFileOnly) {
  FileListModel m;
  m.drop({"/x", "/y"});
  m.browseStarted();
  EXPECT_EQ("Browsing file ...", said(m.statusLine()));
  m.browseConfirmed({"/home/u/docs/a b.txt"});
  EXPECT_EQ(Words{"/home/u/docs/a b.txt"}, m.fileList());
  EXPECT_EQ("File 'a b.txt' is choosed", said(m.statusLine()));
  EXPECT_EQ("/home/u/docs/a b.txt ", m.fileNameField());
  EXPECT_TRUE(m.previewEnabled());

  m.browseConfirmed({"/p/1", "/p/2", "/p/3"});
  EXPECT_EQ("3 files are choosed", said(m.statusLine()));
  EXPECT_EQ("/p/1 /p/2 /p/3 ", m.fileNameField());
  EXPECT_FALSE(m.previewEnabled());
}

TEST(FileListModel, BrowseCanceledChangesOnlyTheStatus) {
  FileListModel m;
  m.startUp("a");
  m.browseStarted();
  m.browseCanceled();
  EXPECT_EQ("File(s) choose canceled", said(m.statusLine()));
  EXPECT_EQ(Words{"a"}, m.fileList());
  EXPECT_EQ("a", m.fileNameField());
  EXPECT_TRUE(m.previewEnabled());
}

TEST(FileListModel, Clear) {
  FileListModel m;
  m.startUp("a");
  m.clear();
  EXPECT_TRUE(m.fileList().empty());
  EXPECT_EQ("", m.fileNameField());
  EXPECT_EQ("File list is cleaned. No file is choosed.", said(m.statusLine()));
  EXPECT_FALSE(m.previewEnabled());
}

} // namespace
} // namespace snpln::test
