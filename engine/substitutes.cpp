#include "engine/substitutes.h"

#include <algorithm>
#include <iterator>

#include "engine/code_page_chars.h"

namespace snpln::engine {

namespace {

struct Substitute {
  char32_t code;
  // Candidates in order of preference, each a UTF-32 string.
  const char32_t *first;
  const char32_t *second = nullptr;
};

// Sorted by code.
constexpr Substitute kTable[] = {
    {0x00A0, U" "},       {0x00A2, U"c"},       {0x00A3, U"GBP"},
    {0x00A9, U"(c)"},     {0x00AB, U"\""},      {0x00AD, U"-"},
    {0x00AE, U"(R)"},     {0x00B1, U"+-"},      {0x00B5, U"u"},
    {0x00B7, U"."},       {0x00BB, U"\""},      {0x00F7, U"/"},
    {0x0192, U"f"},       {0x0402, U"Д"},       {0x0403, U"Г"},
    {0x0404, U"Е"},       {0x0405, U"З"},       {0x0406, U"И", U"I"},
    {0x0407, U"И"},       {0x0408, U"Й", U"J"}, {0x0409, U"Л"},
    {0x040A, U"Н"},       {0x040B, U"Ч"},       {0x040C, U"К"},
    {0x040E, U"У"},       {0x040F, U"Ц"},       {0x0452, U"д"},
    {0x0453, U"г"},       {0x0454, U"е"},       {0x0455, U"з"},
    {0x0456, U"и", U"i"}, {0x0457, U"и"},       {0x0458, U"й", U"j"},
    {0x0459, U"л"},       {0x045A, U"н"},       {0x045B, U"ч"},
    {0x045C, U"к"},       {0x045E, U"у"},       {0x045F, U"ц"},
    {0x0490, U"Г"},       {0x0491, U"г"},       {0x2010, U"-"},
    {0x2011, U"-"},       {0x2012, U"-"},       {0x2013, U"-"},
    {0x2014, U"-"},       {0x2015, U"-"},       {0x2018, U"'"},
    {0x2019, U"'"},       {0x201A, U"'"},       {0x201B, U"'"},
    {0x201C, U"\""},      {0x201D, U"\""},      {0x201E, U"\""},
    {0x201F, U"\""},      {0x2020, U"+"},       {0x2021, U"+"},
    {0x2022, U"*"},       {0x2026, U"..."},     {0x2039, U"'"},
    {0x203A, U"'"},       {0x20AC, U"EUR"},     {0x2116, U"No"},
    {0x2122, U"(TM)"},    {0x2190, U"<-"},      {0x2191, U"^"},
    {0x2192, U"->"},      {0x2193, U"v"},       {0x2194, U"<->"},
    {0x2212, U"-"},       {0x2219, U"."},       {0x221A, U"V"},
    {0x221E, U"oo"},      {0x2248, U"~"},       {0x2260, U"!="},
    {0x2264, U"<="},      {0x2265, U">="},      {0x25A0, U"#"},
};

static_assert(std::is_sorted(std::begin(kTable), std::end(kTable),
                             [](const Substitute &a, const Substitute &b) {
                               return a.code < b.code;
                             }),
              "the table is searched by halves");

// Box drawing: the lines that run across, the lines that run down, and
// every corner, tee and cross.
char32_t boxSubstitute(char32_t code) {
  switch (code) {
  case 0x2500:
  case 0x2501:
  case 0x2504:
  case 0x2505:
  case 0x2508:
  case 0x2509:
  case 0x254C:
  case 0x254D:
  case 0x2550:
  case 0x2574:
  case 0x2576:
  case 0x2578:
  case 0x257A:
  case 0x257C:
  case 0x257E:
    return U'-';
  case 0x2502:
  case 0x2503:
  case 0x2506:
  case 0x2507:
  case 0x250A:
  case 0x250B:
  case 0x254E:
  case 0x254F:
  case 0x2551:
  case 0x2575:
  case 0x2577:
  case 0x2579:
  case 0x257B:
  case 0x257D:
  case 0x257F:
    return U'|';
  default:
    return U'+';
  }
}

// The bytes of `text` in `page`, when the page holds every character.
bool inPage(const char32_t *text, CodePage page, std::string &out) {
  out.clear();
  for (; *text != 0; ++text) {
    const int b = byteOfChar(*text, page);
    if (b <= 0)
      return false;
    out.push_back(static_cast<char>(b));
  }
  return !out.empty();
}

} // namespace

std::string substituteFor(char32_t code, CodePage page) {
  std::string out;
  if (code >= 0x2500 && code <= 0x257F) {
    const char32_t line[2] = {boxSubstitute(code), 0};
    if (inPage(line, page, out))
      return out;
  }
  if (code >= 0x2580 && code <= 0x259F && inPage(U"#", page, out))
    return out;
  const auto *entry = std::lower_bound(
      std::begin(kTable), std::end(kTable), code,
      [](const Substitute &s, char32_t c) { return s.code < c; });
  if (entry != std::end(kTable) && entry->code == code) {
    if (inPage(entry->first, page, out))
      return out;
    if (entry->second && inPage(entry->second, page, out))
      return out;
  }
  return "?";
}

} // namespace snpln::engine
