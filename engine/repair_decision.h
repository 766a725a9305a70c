// Whether a file is garbled, and by which chain of wrong readings
// (engine/repair_chain.h): decided on a sample of its lines.
//
// The sample is the file's first 8 KiB, carried on to the end of its last
// line; when that holds fewer than kRepairEnoughBytes bytes above 0x7F,
// later lines that hold such bytes are added, each up to kRepairLineCut
// bytes, until there are that many or the sample holds kRepairSampleLimit
// bytes, but no further than kDetectReadOnBudget past the first byte above
// 0x7F (the budget of detection).
//
// Only text whose page is UTF-8 is repaired: valid UTF-8 holding
// characters of two bytes or more, or UTF-8 whose stray bytes are lead
// bytes cut short where a reading lost a byte (almost UTF-8, as detection
// tells it). Every chain of up to kMaxRepairLayers layers is tried on each
// line of the sample; a line is garbled when a chain undoes it to text
// that scores clearly above the line as it stands (kRepairMinGain plus
// kRepairGainPerLetter per Russian letter of the result, in the quarters
// of engine/repair_model.h). Then:
// - Whole: of the chains that make some line read clearly better, the one
//   that undoes every line of the sample, makes none of them read clearly
//   worse and adds most to the sample's fit, when the sample as a whole
//   then reads clearly better: the whole file is undone by it;
// - Lines: otherwise (some lines garbled, others not, or garbled by
//   different chains): each line of the file is undone by the first of
//   those chains (the one best on most lines first, up to kMaxLineChains)
//   that makes it read clearly better, or left as it is;
// - None: no line is garbled. Clean text in any page, all capitals
//   included, stays as it is.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/repair_chain.h"
#include "engine/slice_stream.h"

namespace snpln::engine {

inline constexpr std::size_t kRepairHeadSize = 8192;
inline constexpr std::size_t kRepairEnoughBytes = 512;
inline constexpr std::size_t kRepairLineCut = 1024;
inline constexpr std::size_t kRepairSampleLimit = 65536;
inline constexpr long kRepairMinGain = 24;
inline constexpr long kRepairGainPerLetter = 2;
// Russian letters the result of a chain whose text was written in a
// single-byte page must hold (one written in UTF-8: one).
inline constexpr std::uint32_t kRepairLeastLetters = 5;
// The chains of a plan repaired line by line: up to kMaxLineChains less
// kMaxLineTwins found on the lines, and up to kMaxLineTwins more written
// in Mac Cyrillic where one of those is written in Windows-1251 (see
// repairLine).
inline constexpr std::size_t kMaxLineTwins = 2;
inline constexpr std::size_t kMaxLineChains = 4 + kMaxLineTwins;
// Lines longer than this are repaired in pieces of at most this many
// bytes, each cut after its last ASCII byte that is no letter.
inline constexpr std::size_t kRepairLineLimit = 65536;

enum class RepairMode : std::uint8_t {
  None,  // left as it is (the reason says why)
  Whole, // the whole file undone by one chain
  Lines, // each line undone, or not, by itself
};

enum class RepairReason : std::uint8_t {
  Garbled,    // a chain was found
  NoText,     // no byte above 0x7F: no reading changed anything
  NotUtf8,    // not UTF-8 text (a single-byte page, UTF-16, binary data)
  NotGarbled, // no chain makes it read clearly better
};

struct RepairPlan {
  RepairMode mode = RepairMode::None;
  RepairReason reason = RepairReason::NotGarbled;
  // Whole: chains[0]. Lines: the chains each line is tried with, the one
  // best on most lines first.
  std::array<RepairChain, kMaxLineChains> chains{};
  std::uint8_t chainCount = 0;
  const RepairChain &chain() const { return chains[0]; }
};

// Whether undoing `chain` adds enough to a text's fit to be applied:
// kRepairMinGain plus kRepairGainPerLetter per Russian letter of the
// result, which holds kRepairLeastLetters of them where the text was
// written in a single-byte page; for a chain stored as read (the text is
// no UTF-8 as it stands), any gain.
bool clearlyBetter(long gain, std::uint32_t russianLetters,
                   const RepairChain &chain);

// The decision on a sample of whole lines.
RepairPlan decideRepair(const std::uint8_t *sample, std::size_t size);

// The sample of one file, fed its bytes in order in pieces of any size.
class RepairEvidence {
public:
  bool wantsMore() const { return !done_; }
  void feed(const std::uint8_t *bytes, std::size_t size);
  // The whole file was fed, or the rest is not wanted: the sample is
  // complete.
  const std::string &sample();
  std::uint64_t fed() const { return fed_; }

private:
  void takeLine();

  std::string sample_;
  std::string line_; // the line being read past the head
  bool lineWanted_ = false;
  bool skipping_ = false; // the rest of a line cut short
  std::uint64_t fed_ = 0;
  std::uint64_t high_ = 0; // bytes above 0x7F in the sample
  std::uint64_t budgetEnd_ = 0;
  bool headDone_ = false;
  bool done_ = false;
};

// The decision on bytes in memory, sampled as a file would be.
RepairPlan decideRepairOfBytes(const std::uint8_t *bytes, std::size_t size);

// The decision on the file of a stream that has handed out no slice yet,
// read as detectStream reads (the input is put back after).
RepairPlan decideRepairOfStream(SliceStream &stream);

// One line (a piece of at most kRepairLineLimit bytes, its line end
// included) repaired by the first of the plan's chains that makes it read
// clearly better (however few its letters: the chains were found on other
// lines), or by a later one that differs from it only in Mac Cyrillic for
// Windows-1251 where that reads clearly better by its words; false when
// none does and `out` is left alone.
bool repairLine(const RepairPlan &plan, const std::uint8_t *line,
                std::size_t size, std::string &out);

// Where a line longer than kRepairLineLimit is cut: after the last ASCII
// byte that is no letter among its first kRepairLineLimit bytes (or after
// them all when there is none).
std::size_t linePieceEnd(const std::uint8_t *bytes, std::size_t size);

} // namespace snpln::engine
