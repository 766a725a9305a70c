#include "engine/detect_neighbours.h"

#include <array>

#include "engine/code_page_chars.h"
#include "engine/letter_frequencies.h"

namespace snpln::engine {

namespace {

// What a byte is in one reading, for telling words apart.
enum class Kind : std::uint8_t {
  Separator, // ASCII but a letter: words end here
  Latin,     // an ASCII letter
  Sign,      // other punctuation and symbols
  Opening,   // « „ ‚ ‹: before a word
  Closing,   // » ” ’ › …: after a word
  Wrapper,   // “ ‘, dashes: before or after
  Box,       // box drawing, blocks and shades
  Foreign,   // a Cyrillic letter of no Russian or Ukrainian word
  Capital,
  Small,
};

using Kinds = std::array<Kind, 256>;

Kind kindOf(char16_t c) {
  if (c == 0x00A0) // the no-break space parts words as a space does
    return Kind::Separator;
  if (c < 0x80) {
    const bool latin = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return latin ? Kind::Latin : Kind::Separator;
  }
  if (c >= 0x0410 && c <= 0x042F)
    return Kind::Capital;
  if (c >= 0x0430 && c <= 0x044F)
    return Kind::Small;
  switch (c) {
  case 0x0401: // Ё
  case 0x0404: // Є
  case 0x0406: // І
  case 0x0407: // Ї
  case 0x0490: // Ґ
    return Kind::Capital;
  case 0x0451:
  case 0x0454:
  case 0x0456:
  case 0x0457:
  case 0x0491:
    return Kind::Small;
  default:
    break;
  }
  if ((c >= 0x0400 && c <= 0x045F) || (c >= 0x0460 && c <= 0x04FF))
    return Kind::Foreign;
  if (c >= 0x2500 && c <= 0x259F)
    return Kind::Box;
  switch (c) {
  case 0x00AB:
  case 0x201A:
  case 0x201E:
  case 0x2039:
    return Kind::Opening;
  case 0x00BB:
  case 0x2019:
  case 0x201D:
  case 0x203A:
  case 0x2026:
    return Kind::Closing;
  case 0x2013:
  case 0x2014:
  case 0x2018:
  case 0x201C:
    return Kind::Wrapper;
  default:
    return Kind::Sign;
  }
}

Kinds makeKinds(CodePage page) {
  Kinds kinds{};
  const CharTable &chars = charsOf(page);
  for (std::size_t b = 0; b < 256; ++b)
    kinds[b] = kindOf(chars[b]);
  return kinds;
}

const Kinds &kindsOf(CodePage page) {
  static const auto tables = [] {
    std::array<Kinds, std::size(kSingleBytePages)> t{};
    for (std::size_t i = 0; i < t.size(); ++i)
      t[i] = makeKinds(kSingleBytePages[i]);
    return t;
  }();
  return tables[singleByteIndex(page)];
}

// The Ukrainian words of one letter that Russian has not: і and є, in
// either case (the others, а в з й о у я, read alike in most pages).
bool isOneLetterWord(char16_t c) {
  return c == 0x0456 || c == 0x0406 || c == 0x0454 || c == 0x0404;
}

// The same corner, tee or cross of box drawing all along.
bool isJunctionRun(const std::uint8_t *bytes, std::size_t size, CodePage page) {
  const char16_t c = charsOf(page)[bytes[0]];
  const bool straight =
      c == 0x2500 || c == 0x2502 || c == 0x2550 || c == 0x2551 || c >= 0x2580;
  if (straight)
    return false;
  for (std::size_t k = 1; k < size; ++k)
    if (bytes[k] != bytes[0])
      return false;
  return true;
}

bool isLetterKind(Kind k) { return k == Kind::Capital || k == Kind::Small; }

// The apostrophe ’ within a word, a letter on either side.
bool isApostropheBetweenLetters(const std::uint8_t *bytes, std::size_t k,
                                std::size_t first, std::size_t last,
                                CodePage page) {
  const Kinds &kinds = kindsOf(page);
  return charsOf(page)[bytes[k]] == 0x2019 && k > first && k + 1 < last &&
         isLetterKind(kinds[bytes[k - 1]]) && isLetterKind(kinds[bytes[k + 1]]);
}

// Whether CP866's reading of the bytes holds Є є Ї ї beside a letter or
// as a word of its own: those bytes are CP1125's Ґ ґ Є є (`є` alone is a
// Ukrainian word, CP866's `ї` alone none), and CP866 has no і to write
// Ukrainian with.
bool ukrainianLettersIn866(const std::uint8_t *bytes, std::size_t size) {
  const Kinds &kinds = kindsOf(CodePage::Dos);
  for (std::size_t i = 0; i < size; ++i) {
    if (bytes[i] < 0xF2 || bytes[i] > 0xF5)
      continue;
    const Kind before = i > 0 ? kinds[bytes[i - 1]] : Kind::Separator;
    const Kind after = i + 1 < size ? kinds[bytes[i + 1]] : Kind::Separator;
    if (isLetterKind(before) || isLetterKind(after) ||
        (before == Kind::Separator && after == Kind::Separator))
      return true;
  }
  return false;
}

} // namespace

// A word is a run of letters and bytes above 0x7F between ASCII bytes
// that are no letters; a quote or dash at its start and up to two quotes
// and ellipses at its end are set aside. It reads right when what is left is
// two Cyrillic letters or more, in small letters, capitals, or a capital and
// small letters (an apostrophe between two of them too), or Latin letters
// between an opening and a closing quote; a sign, a foreign letter or a
// Latin letter among Cyrillic ones, a capital after a small letter, or box
// drawing at its ends make it read wrong.
long wordsReadRight(const std::uint8_t *bytes, std::size_t size,
                    CodePage page) {
  if (!isSingleBytePage(page))
    return 0;
  const Kinds &kinds = kindsOf(page);
  long score = 0;
  std::size_t i = 0;
  while (i < size) {
    if (kinds[bytes[i]] == Kind::Separator) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < size && kinds[bytes[end]] != Kind::Separator)
      ++end;
    // The word is bytes[i, end); its core bytes[first, last).
    std::size_t first = i, last = end;
    bool boxAtEnds = false;
    const auto edge = [&](std::uint8_t b, Kind side) {
      const Kind k = kinds[b];
      boxAtEnds = boxAtEnds || k == Kind::Box;
      return k == side || k == Kind::Wrapper || k == Kind::Box;
    };
    // One opening quote or dash at the start; a closing quote, an
    // ellipsis, or both at the end.
    const bool opened = first < last && kinds[bytes[first]] == Kind::Opening;
    const bool closed = first < last && kinds[bytes[last - 1]] == Kind::Closing;
    if (first < last && edge(bytes[first], Kind::Opening))
      ++first;
    for (int n = 0;
         n < 2 && last > first && edge(bytes[last - 1], Kind::Closing); ++n)
      --last;
    // Box drawing all along is no word at all.
    while (first < last && kinds[bytes[first]] == Kind::Box)
      ++first;
    std::size_t cyrillic = 0, capitals = 0, latin = 0, foreign = 0;
    bool wrong = boxAtEnds && first < last;
    // Nothing that could be a word or a drawing: counts twice.
    bool nonsense = false;
    bool smallSeen = false;
    for (std::size_t k = first; k < last; ++k) {
      // No word has one letter three times running (Mac's indent of
      // no-break spaces reads as ККК in Windows-1251).
      if (k >= first + 2 && bytes[k] == bytes[k - 1] &&
          bytes[k] == bytes[k - 2])
        nonsense = true;
      switch (kinds[bytes[k]]) {
      case Kind::Capital:
        ++cyrillic;
        ++capitals;
        wrong = wrong || smallSeen;
        break;
      case Kind::Small:
        ++cyrillic;
        smallSeen = true;
        break;
      case Kind::Latin:
        ++latin;
        break;
      case Kind::Foreign:
        ++foreign;
        wrong = true;
        break;
      default: // a sign or box drawing inside
        // but the apostrophe between letters of a Ukrainian word (п’ять)
        if (!isApostropheBetweenLetters(bytes, k, first, last, page))
          wrong = true;
        break;
      }
    }
    // Capitals and small letters: only one capital, first.
    if (capitals > 1 && smallSeen)
      wrong = true;
    if (latin > 0 && cyrillic > 0)
      wrong = true;
    if (cyrillic == 0 && latin == 0 && foreign == 0)
      wrong = false; // signs alone: a number sign, a degree sign
    if (first == last && boxAtEnds) {
      // Box drawing alone between words, outside frames; a corner, tee or
      // cross, alone or repeated, draws nothing (Mac's indent of no-break
      // spaces reads as ╩╩╩ in CP866, its — as ╤).
      wrong = true;
      nonsense = isJunctionRun(bytes + i, end - i, page);
    }
    // An empty pair of guillemets: a placeholder whose text was left out
    // (`«%s»` in a message catalogue), as much a word as the capitals at
    // its bytes in another page (Mac's « » are Windows-1251's ЗИ).
    const bool emptyQuotes = end == i + 2 &&
                             charsOf(page)[bytes[i]] == 0x00AB &&
                             charsOf(page)[bytes[i + 1]] == 0x00BB;
    if (nonsense)
      score -= 2;
    else if (emptyQuotes)
      ++score;
    else if (wrong)
      --score;
    else if (cyrillic >= 2 || (cyrillic == 1 && latin == 0 &&
                               isOneLetterWord(charsOf(page)[bytes[first]])))
      ++score;
    else if (cyrillic == 0 && foreign == 0 && latin >= 2 && opened && closed)
      ++score; // a Latin name in quotes: «stable»
    i = end;
  }
  return score;
}

namespace {

// The fit of a reading to the letter frequencies (engine/letter_frequencies.h)
// with Ukrainian і, which it scores as an unlikely sign, about as common as
// а (it is in Ukrainian). The rarer Ukrainian letters stay unlikely: Mac's
// Є is Windows-1251's ё. So does a lone « or » (Mac's ї is Windows-1251's
// »), but an empty pair `«»`, a placeholder whose text was left out, fits
// as two common letters would: the capitals ЗИ at its bytes in
// Windows-1251 would otherwise fit better than Mac's reading of it.
long fitWithUkrainian(const std::uint8_t *bytes, std::size_t size,
                      CodePage page) {
  const CharTable &chars = charsOf(page);
  long score = fitOfReading(bytes, size, page).score;
  for (std::size_t i = 0; i < size; ++i)
    if (chars[bytes[i]] == 0x0456 || chars[bytes[i]] == 0x0406)
      score += 48;
    else if (chars[bytes[i]] == 0x00BB && i > 0 &&
             chars[bytes[i - 1]] == 0x00AB)
      score += 96;
  return score;
}

// A neighbour takes the place of the page chosen when at least one more
// word reads right in it than wrong, against the page chosen: a word that
// reads wrong in one and right in the other.
constexpr long kNeighbourMargin = kWordsMargin;
// Or as many words and a fit better by half a sign's worth (in eighths of
// a natural logarithm, engine/letter_frequencies.h).
constexpr long kFitMargin = 32;

} // namespace

std::span<const CodePage> neighboursOf(CodePage page) {
  static constexpr CodePage kDos[] = {CodePage::Cp1125, CodePage::Mac};
  static constexpr CodePage kWin[] = {CodePage::Mac};
  static constexpr CodePage kKoi[] = {CodePage::KoiU};
  switch (page) {
  case CodePage::Dos:
    return kDos;
  case CodePage::Win:
    return kWin;
  case CodePage::Koi:
    return kKoi;
  default:
    return {};
  }
}

NeighbourChoice chooseNeighbour(const std::uint8_t *bytes, std::size_t size,
                                CodePage chosen) {
  NeighbourChoice choice;
  choice.page = chosen;
  const auto take = [&](CodePage page, NeighbourNote note) {
    choice.neighbour = chosen;
    choice.page = page;
    choice.note = note;
  };
  if (chosen != CodePage::Koi && chosen != CodePage::Dos &&
      chosen != CodePage::Win)
    return choice;
  // A neighbour's reading beats the page's when more of its words read
  // right, or, Mac against Windows-1251, as many and it fits the letter
  // frequencies clearly better (Mac's capitals read as signs in
  // Windows-1251, Windows-1251's capitals and я as signs in Mac).
  const long ownWords = wordsReadRight(bytes, size, chosen);
  const long ownFit = fitWithUkrainian(bytes, size, chosen);
  const auto beats = [&](CodePage page, long &words, long &fit) {
    words = wordsReadRight(bytes, size, page);
    fit = fitWithUkrainian(bytes, size, page);
    return words >= ownWords + kNeighbourMargin ||
           (chosen == CodePage::Win && words >= ownWords &&
            fit > ownFit + kFitMargin);
  };
  long words = 0, fit = 0;
  switch (chosen) {
  case CodePage::Koi:
    if (beats(CodePage::KoiU, words, fit))
      take(CodePage::KoiU, NeighbourNote::UkrainianOutsideKoi8R);
    break;
  case CodePage::Dos: {
    // Mac's capitals are CP866's too; the one whose words read better.
    long macWords = 0, macFit = 0;
    // CP1125 also on as many words where CP866 would read Ukrainian
    // letters it cannot have written.
    const bool cp1125 =
        beats(CodePage::Cp1125, words, fit) ||
        (words >= ownWords && ukrainianLettersIn866(bytes, size));
    const bool mac = beats(CodePage::Mac, macWords, macFit);
    if (cp1125 &&
        (!mac || words > macWords || (words == macWords && fit >= macFit)))
      take(CodePage::Cp1125, NeighbourNote::UkrainianOutsideCp866);
    else if (mac)
      take(CodePage::Mac, NeighbourNote::SignsOutsideCp866);
    break;
  }
  default: // Win
    if (beats(CodePage::Mac, words, fit))
      take(CodePage::Mac, NeighbourNote::CapitalsOutsideWindows1251);
    break;
  }
  return choice;
}

} // namespace snpln::engine
