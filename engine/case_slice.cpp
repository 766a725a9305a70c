#include "engine/case_slice.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "engine/letters.h"

namespace snpln::engine {
namespace {

constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kLf = 0x0A;
constexpr std::uint8_t kHyphen = 0x2D;

// Classes of the smart-case look-back over bytes already written.
enum ByteClass : std::uint8_t { Letter, Blank, Terminator, Other };

constexpr std::array<std::uint8_t, 256> makeClasses() {
  std::array<std::uint8_t, 256> t{};
  for (unsigned c = 0; c < 256; ++c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0xC0)
      t[c] = Letter;
    else if (c <= 0x20 || c >= 0x80)
      t[c] = Blank;
    else
      t[c] = Other;
  }
  for (const char c : {'.', '!', '?', '/', '+', ';', ':', '-', '*', '&', '=',
                       '<', '{', '[', '>', '}', '\\'})
    t[static_cast<std::uint8_t>(c)] = Terminator;
  return t;
}

constexpr std::array<std::uint8_t, 256> kClass = makeClasses();

bool isSmallLetter(std::uint8_t c) { return kUpperCaseTable[c] != c; }

// Branch-free forms of toUpperChar and toLowerChar over a whole slice, so
// the compiler can vectorise them.
void upperSlice(std::uint8_t *bytes, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t c = bytes[i];
    const bool small = static_cast<std::uint8_t>(c - 'a') < 26 || c >= 0xE0;
    bytes[i] = static_cast<std::uint8_t>(c - (small << 5));
  }
}

void lowerSlice(std::uint8_t *bytes, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t c = bytes[i];
    const bool capital = static_cast<std::uint8_t>(c - 'A') < 26 ||
                         static_cast<std::uint8_t>(c - 0xC0) < 32;
    bytes[i] = static_cast<std::uint8_t>(c + (capital << 5));
  }
}

// marks[i] = 1 when bytes[i] is a letter, else 0; branch-free.
void markLetters(const std::uint8_t *bytes, std::uint8_t *marks,
                 std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t c = bytes[i];
    marks[i] = static_cast<std::uint8_t>(
        (static_cast<std::uint8_t>((c | 0x20) - 'a') < 26) | (c >= 0xC0));
  }
}

// Eight marks as loaded from memory, first byte lowest.
std::uint64_t fromLittleEndian(std::uint64_t v) {
  if constexpr (std::endian::native == std::endian::big)
    return __builtin_bswap64(v);
  return v;
}

// The output so far as seen from slice position `pos`: the slice bytes
// before it (already converted), then the history kept from earlier slices.
class LookBack {
public:
  LookBack(const std::uint8_t *slice, std::size_t pos,
           const std::uint8_t *history, unsigned historySize)
      : slice_(slice), pos_(pos), history_(history), historySize_(historySize),
        size_(static_cast<unsigned>(
            std::min<std::size_t>(kCaseHistorySize, historySize + pos))) {}

  unsigned size() const { return size_; }
  // The byte `back` places before the current one (1 is the newest).
  std::uint8_t at(unsigned back) const {
    return back <= pos_ ? slice_[pos_ - back]
                        : history_[historySize_ - (back - pos_)];
  }

private:
  const std::uint8_t *slice_;
  std::size_t pos_;
  const std::uint8_t *history_;
  unsigned historySize_;
  unsigned size_;
};

bool isLineEnd(std::uint8_t c) { return c == kCr || c == kLf; }

enum class Lookahead { None, Small, NotSmall, Failed };

// Appends the slice's output to the history, keeping the newest bytes.
void remember(CaseState &state, const std::uint8_t *bytes, std::size_t size) {
  if (size >= kCaseHistorySize) {
    std::memcpy(state.history, bytes + size - kCaseHistorySize,
                kCaseHistorySize);
    state.historySize = kCaseHistorySize;
    return;
  }
  const unsigned add = static_cast<unsigned>(size);
  const unsigned keep = std::min(state.historySize, kCaseHistorySize - add);
  std::memmove(state.history, state.history + state.historySize - keep, keep);
  std::memcpy(state.history + keep, bytes, add);
  state.historySize = keep + add;
}

} // namespace

CaseState::CaseState(std::uint8_t op, bool keepUpper)
    : operation(op), saveUpper(keepUpper) {}

StepResult caseSlice(SliceStream &job, CaseState &state) {
  if (job.atEnd())
    return StepResult::Finished;
  if (!job.readSlice())
    return StepResult::ReadFailed;

  std::uint8_t *bytes = job.sliceBuffer.data();
  const std::size_t size = job.bytesRead;
  const bool lastSliceOfFile = job.processed + size >= job.fileSize;

  if (state.operation == 0) {
    upperSlice(bytes, size);
  } else if (state.operation == 5) {
    lowerSlice(bytes, size);
  } else {
    // Only a letter that begins a word can come out other than as the
    // plain rule gives it (small, or as it is with saveUpper): every other
    // byte's output follows from the byte alone, because case conversion
    // keeps letters letters. So the slice is converted in one pass and the
    // word starts are then decided one by one, in order, each looking back
    // over output that is already final.
    state.original.assign(bytes, bytes + size);
    const std::uint8_t *orig = state.original.data();
    if (!state.saveUpper)
      lowerSlice(bytes, size);

    // The next input byte after position i, for the capitalised-word rule.
    auto nextByte = [&](std::size_t i) {
      std::uint8_t next = 0;
      if (i + 1 < size)
        next = orig[i + 1];
      else if (lastSliceOfFile)
        return Lookahead::None;
      else if (!job.peekNextByte(next))
        return Lookahead::Failed;
      return isSmallLetter(next) ? Lookahead::Small : Lookahead::NotSmall;
    };

    // Word starts: a letter whose previous byte (in the history for the
    // slice's first byte) is no letter. The letter marks are computed in
    // one vectorisable pass, then scanned eight at a time.
    state.letters.resize(size + 8);
    std::uint8_t *marks = state.letters.data();
    markLetters(orig, marks, size);
    std::memset(marks + size, 0, 8);
    std::uint64_t previous =
        state.historySize > 0 &&
        kClass[state.history[state.historySize - 1]] == Letter;
    for (std::size_t base = 0; base < size; base += 8) {
      std::uint64_t chunk;
      std::memcpy(&chunk, marks + base, 8);
      chunk = fromLittleEndian(chunk);
      std::uint64_t starts = chunk & ~((chunk << 8) | previous);
      previous = chunk >> 56;
      while (starts) {
        const std::size_t i =
            base + static_cast<std::size_t>(std::countr_zero(starts)) / 8;
        starts &= starts - 1;
        const std::uint8_t original = orig[i];
        std::uint8_t cur = kLowerCaseTable[original];
        const LookBack back(bytes, i, state.history, state.historySize);
        if (state.saveUpper && cur != original) {
          cur = original;
        } else {
          bool upper = true; // the walk passed the oldest byte
          const std::uint8_t newest = back.size() ? back.at(1) : 0;
          if (back.size() >= 4 && isLineEnd(newest) &&
              (back.at(2) == kHyphen ||
               (isLineEnd(back.at(2)) && back.at(3) == kHyphen))) {
            upper = false; // a word continued after a hyphenated line end
          } else {
            for (unsigned k = 1; k <= back.size(); ++k) {
              const std::uint8_t cls = kClass[back.at(k)];
              if (cls == Letter) {
                upper = false;
                break;
              }
              if (cls == Terminator)
                break;
              if (cls == Blank && k == 1 && !isSmallLetter(original)) {
                const Lookahead next = nextByte(i);
                if (next == Lookahead::Failed)
                  return StepResult::ReadFailed;
                if (next == Lookahead::Small) {
                  upper = false;
                  cur = original; // a capitalised word stays as it is
                  break;
                }
              }
            }
          }
          if (upper)
            cur = kUpperCaseTable[cur];
        }
        if (back.size() == 0)
          cur = kUpperCaseTable[cur]; // the first byte of the file
        bytes[i] = cur;
      }
    }
    remember(state, bytes, size);
  }

  job.processed += size;
  if (!job.writeAll(bytes, size))
    return StepResult::WriteFailed;
  return StepResult::Continue;
}

} // namespace snpln::engine
