#include "engine/case_slice.h"

#include <algorithm>
#include <array>
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
    // The next input byte after position i, for the capitalised-word rule.
    auto nextByte = [&](std::size_t i) {
      std::uint8_t next = 0;
      if (i + 1 < size)
        next = bytes[i + 1];
      else if (lastSliceOfFile)
        return Lookahead::None;
      else if (!job.peekNextByte(next))
        return Lookahead::Failed;
      return isSmallLetter(next) ? Lookahead::Small : Lookahead::NotSmall;
    };

    for (std::size_t i = 0; i < size; ++i) {
      const std::uint8_t orig = bytes[i];
      std::uint8_t cur = kLowerCaseTable[orig];
      // Most bytes are decided by the byte before: a letter after a letter
      // stays small, and a byte that is no letter stays as it is.
      if (i > 0 && !(state.saveUpper && cur != orig) &&
          (kClass[cur] != Letter || kClass[bytes[i - 1]] == Letter)) {
        bytes[i] = cur;
        continue;
      }
      const LookBack back(bytes, i, state.history, state.historySize);
      if (state.saveUpper && cur != orig) {
        cur = orig;
      } else if (kClass[cur] == Letter) {
        bool upper = true; // the walk passed the oldest byte
        const std::uint8_t newest = back.size() ? back.at(1) : 0;
        if (back.size() >= 4 && isLineEnd(newest) &&
            (back.at(2) == kHyphen ||
             (isLineEnd(back.at(2)) && back.at(3) == kHyphen))) {
          upper = false; // a word continued after a hyphenated line end
        } else {
          for (unsigned k = 1; k <= back.size(); ++k) {
            const std::uint8_t b = back.at(k);
            const std::uint8_t cls = kClass[b];
            if (cls == Letter) {
              upper = false;
              break;
            }
            if (cls == Terminator)
              break;
            if (cls == Blank && k == 1 && !isSmallLetter(orig)) {
              const Lookahead next = nextByte(i);
              if (next == Lookahead::Failed)
                return StepResult::ReadFailed;
              if (next == Lookahead::Small) {
                upper = false;
                cur = orig; // a capitalised word stays as it is
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
    remember(state, bytes, size);
  }

  job.processed += size;
  if (!job.writeAll(bytes, size))
    return StepResult::WriteFailed;
  return StepResult::Continue;
}

} // namespace snpln::engine
