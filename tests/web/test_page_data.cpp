// What the page is built from (web/page_data.h): valid JSON in both
// languages, every word of the page translated, every control an option
// snpln-cli has, the pages the command line knows.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/memory_file_system.h"
#include "tests/support/temp_dir.h"
#include "web/browser_run.h"
#include "web/page_data.h"

namespace snpln::web {
namespace {

std::string run(const std::string &command, int &status) {
  std::string out;
  FILE *pipe = ::popen(command.c_str(), "r");
  if (!pipe) {
    status = -1;
    return out;
  }
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    out.append(buffer, n);
  status = ::pclose(pipe);
  return out;
}

TEST(PageData, EveryWordInBothLanguagesAndEveryControlAnOption) {
  test::TempDir dir;
  dir.write("en.json", pageData(i18n::Language::English));
  dir.write("ru.json", pageData(i18n::Language::Russian));
  platform::MemoryFileSystem fs;
  dir.write("help.txt", runInBrowser({"--help"}, fs, {}).messages);
  // Prints what is wrong, one line each; nothing when all is well.
  std::ofstream(dir.file("check.py")) << R"(import json, sys
en = json.load(open(sys.argv[1]))
ru = json.load(open(sys.argv[2]))
helptext = open(sys.argv[3]).read()
assert (en['language'], ru['language']) == ('en', 'ru')
def words(data):
    found = dict(data['texts'])
    for g, group in enumerate(data['groups']):
        found['group %d' % g] = group['legend']
        for c, control in enumerate(group['controls']):
            key = 'group %d control %d' % (g, c)
            for n, choice in enumerate(control.get('choices', [])):
                if isinstance(choice, dict):
                    found[key + ' choice %d' % n] = choice['label']
            if 'label' in control:
                found[key] = control['label']
            if control.get('none'):
                found[key + ' none'] = control['none']
    return found
english, russian = words(en), words(ru)
if english.keys() != russian.keys():
    print('different words:', sorted(english.keys() ^ russian.keys()))
for key, text in english.items():
    if not any('\u0400' <= ch <= '\u04ff' for ch in russian[key]):
        print('not translated:', key, text)
for group in en['groups']:
    for control in group['controls']:
        options = [c['option'] for c in control.get('choices', [])
                   if isinstance(c, dict)] + [control.get('option', '')]
        for option in filter(None, options):
            if option not in helptext:
                print('not an option of snpln-cli:', option)
print(' '.join(page['name'] for page in en['pages']))
)";
  int status = 0;
  const std::string said =
      run("python3 '" + dir.file("check.py") + "' '" + dir.file("en.json") +
              "' '" + dir.file("ru.json") + "' '" + dir.file("help.txt") + "'",
          status);
  EXPECT_EQ(status, 0) << said;
  EXPECT_EQ(said,
            "dos win koi iso mac koi8u cp1125 utf8 utf16 utf16le utf16be\n");
}

} // namespace
} // namespace snpln::web
