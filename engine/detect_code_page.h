// Code page detection: what a file holds (text, or binary data with a zero
// byte) and in which page its text is written.
//
// The evidence is the file's first 8 KiB (the head). A head with fewer
// than kDetectEnoughBytes bytes above 0x7F is not enough: detection reads
// on and adds the later bytes above 0x7F, each with up to kDetectContext
// bytes around it, until there are that many, however far a head of ASCII
// alone goes, but no further than kDetectReadOnBudget past the first byte
// above 0x7F. So a file is "english symbols only" only when no part of it
// read holds a Cyrillic letter, and a file of ASCII alone is read to its
// end. A zero byte in what is read makes the file binary.
//
// A byte order mark is evidence, not proof: FF FE UTF-16LE and FE FF
// UTF-16BE (their zero bytes are text) when the text after them reads as
// UTF-16 (engine/detect_utf16.h), EF BB BF UTF-8 when the text after it has
// no more stray bytes than UTF-8 characters; otherwise the mark's bytes are
// text like the rest. FF FE 00 00 and 00 00 FE FF are UTF-32, which is not
// text. A zero byte elsewhere makes the file binary; the detection then
// says whether it reads as UTF-16 without a mark. Otherwise the rule on the
// evidence: UTF-8 when it reads as UTF-8 (engine/detect_utf8.h: valid, or
// valid with no more stray bytes than characters of two bytes or more; a
// short text only when plausible as UTF-8). Otherwise one of the four
// single-byte pages CP866, Windows-1251, KOI8-R and ISO 8859-5, by the
// letters: box-drawing characters standing in frames in the CP866 or KOI8-R
// reading (engine/detect_frames.h) are set aside, the remaining bytes are
// counted against each page's letters (the Russian letters, Ё and ё, and
// the Ukrainian and Belarusian letters the page holds), and where the
// counts of the leading pages are close, or where Win and Koi tie and the
// favoured reading is mostly capitals, the reading that fits Russian letter
// frequencies clearly better wins. Then KOI8-U, CP1125 or Mac Cyrillic
// takes the place of the page chosen on their own evidence
// (engine/detect_neighbours.h). Auto when no byte is a letter of any page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/code_page.h"
#include "engine/detect_neighbours.h"
#include "engine/slice_stream.h"
#include "engine/utf16.h"
#include "platform/file_system.h"

namespace snpln::engine {

inline constexpr std::size_t kDetectSampleSize = 8192;
inline constexpr std::size_t kDetectEnoughBytes = 256;
inline constexpr std::size_t kDetectContext = 16;
inline constexpr std::uint64_t kDetectReadOnBudget = 1u << 20;

// The letters of each page in the bytes, in eighths: a Russian letter
// counts 8, Ё, ё and the Ukrainian and Belarusian letters 1 each.
struct LetterCounts {
  unsigned dosCount = 0;
  unsigned winCount = 0;
  unsigned koiCount = 0;
  unsigned isoCount = 0;
  // Small letters в..я, ё and Ё of Win minus those of Koi, which share
  // their bytes with the other page's capitals.
  int lowerBalance = 0;
  // How many of each page's letters were minor ones (Ё, ё and the
  // Ukrainian and Belarusian letters), counted above at an eighth of a
  // letter: a page they would bring level with the top contends.
  unsigned dosMinor = 0;
  unsigned winMinor = 0;
  unsigned koiMinor = 0;
  unsigned isoMinor = 0;
};

enum class TextKind : std::uint8_t { Text, Binary };

// How far the rule goes. Kind tells text from binary data and reads the
// UTF-16 and UTF-32 marks; Utf8 also tells UTF-8 text from text in a
// single-byte page; Page also chooses that page. What a shallower rule
// leaves undecided is Auto in Detection::page. The evidence read is the
// same at every depth.
enum class DetectDepth : std::uint8_t { Kind, Utf8, Page };

struct Detection {
  TextKind kind = TextKind::Text;
  // Auto for binary data; Utf16Le or Utf16Be for a file that opens with
  // their byte order mark and reads as UTF-16 after it.
  CodePage page = CodePage::Auto;
  // Binary data (for its zero bytes) that reads as UTF-16 text without a
  // byte order mark: Utf16Le or Utf16Be; Auto otherwise. `kind` stays
  // Binary and `page` Auto: reading it so is the caller's choice.
  CodePage unmarkedUtf16 = CodePage::Auto;
  // A byte order mark the file opens with that the text after it does not
  // bear out (its bytes are then text of `page`); None otherwise.
  BomKind ignoredMark = BomKind::None;
  // Where `page` is KOI8-U, CP1125 or Mac Cyrillic: the page it was told
  // from, and why.
  CodePage neighbour = CodePage::Auto;
  NeighbourNote note = NeighbourNote::None;
};

// Whether byte b is a letter of a single-byte page.
bool isPageLetter(std::uint8_t b, CodePage page);
LetterCounts countLetters(const std::uint8_t *sample, std::size_t size);
// The largest count (Dos, then Win, Koi, Iso on a tie; Win against Koi by
// the balance), Auto when all are 0.
CodePage chooseCodePage(const LetterCounts &counts);
// The single-byte rule: frames set aside, the counts, the letter
// frequencies where the counts are weak, the neighbours' own evidence.
NeighbourChoice chooseSingleByte(const std::uint8_t *sample, std::size_t size);
// The whole rule on bytes at hand. `cutShort` says they are the head of a
// longer text, so a sequence cut by their end is no fault of the text.
Detection detectSample(const std::uint8_t *sample, std::size_t size,
                       bool cutShort, DetectDepth depth = DetectDepth::Page);

// The evidence of one file, fed its bytes in order in pieces of any size.
class DetectionEvidence {
public:
  // False once the evidence is complete: the rest need not be fed.
  bool wantsMore() const { return !done_; }
  void feed(const std::uint8_t *bytes, std::size_t size);
  // The answer; `atEnd` says that the whole file was fed.
  Detection result(bool atEnd, DetectDepth depth = DetectDepth::Page) const;
  // The bytes the rule looks at (the head, then the excerpts read on).
  const std::string &evidence() const { return evidence_; }
  // The bytes of the file taken in so far (fed before the evidence was
  // complete).
  std::uint64_t fed() const { return fed_; }

private:
  void feedHead(const std::uint8_t *bytes, std::size_t size);
  void feedLater(const std::uint8_t *bytes, std::size_t size);
  void headDone();

  std::string evidence_;
  std::uint64_t fed_ = 0;
  std::uint64_t nonAscii_ = 0;
  std::uint64_t budgetEnd_ = 0; // 0 until a byte above 0x7F is seen
  bool binary_ = false;
  bool done_ = false;
  // Read on: the bytes since the last one taken (the last kDetectContext
  // of them kept), and how many more ASCII bytes follow a taken run.
  std::string context_;
  std::uint64_t skipped_ = 0;
  std::size_t tail_ = 0;
};

// The rule over a whole text in memory, read as a file would be.
Detection detectBytes(const std::uint8_t *bytes, std::size_t size);

// The file of a stream that has handed out no slice yet, from the bytes the
// stream holds (its first block, which the first slices are then cut
// from), reading on past them only as far as the evidence wants (the
// input is put back after). A failed read ends the reading: the evidence
// is what was read before it (nothing, in the head).
Detection detectStream(SliceStream &stream,
                       DetectDepth depth = DetectDepth::Page);
// The same on a file read from the input's position (its start), which is
// rewound to 0.
Detection detectFile(platform::InputFile &input, platform::FileSize fileSize);
CodePage detectCodePage(platform::InputFile &input,
                        platform::FileSize fileSize);

} // namespace snpln::engine
