#include "engine/exclusion_slice.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/letters.h"
#include "engine/utf8_codec.h"

namespace snpln::engine {
namespace {

constexpr std::uint8_t kSpace = 0x20;
// The output buffer's nominal size (eight slices, so that a write call
// carries more than one slice); it grows when a text needs more.
constexpr std::size_t kOutputSize = 65536;

// Writes the output once it reaches the threshold; false when the write
// failed (the output is dropped either way).
bool flushOutputIfFull(SliceStream &job, ExclusionState &state) {
  if (state.output.size() < state.writeThreshold)
    return true;
  const bool ok = job.writeAll(state.output.data(), state.output.size());
  state.output.clear();
  return ok;
}

// One slice of the matcher. The bytes between occurrence candidates (bytes
// that may begin the search text) are copied in runs; a candidate whose
// occurrence and next byte lie in the slice is decided at once; everything
// else (a match pending from the slice before, or one that reaches the end
// of the slice) goes through the byte rules one byte at a time. An empty
// search text (refused before any job starts) copies the file unchanged.
class SliceMatcher {
public:
  SliceMatcher(SliceStream &job, ExclusionState &state)
      : job_(job), s_(state), bytes_(job.slice), size_(job.bytesRead),
        lastSliceOfFile_(job.processed + job.bytesRead >= job.fileSize),
        letters_(lettersOf(state.page)),
        search_(
            reinterpret_cast<const std::uint8_t *>(state.searchText.data())),
        searchSize_(state.searchText.size()) {
    if (searchSize_ > 0) {
      first_ = search_[0];
      if (s_.options.caseInsensitive) {
        const std::uint8_t up = letters_.upper[first_];
        alt_ = up != first_ ? up : letters_.lower[first_];
      } else {
        alt_ = first_;
      }
    }
  }

  StepResult run() {
    std::size_t i = 0;
    while (i < size_) {
      if (s_.matchPos == 1) {
        const std::size_t p = nextCandidate(i);
        if (p > i) {
          // A long run with nothing before it waiting goes on as it is.
          if (s_.output.empty() && p - i >= kPlainRun) {
            if (!job_.writeAll(bytes_ + i, p - i))
              return StepResult::WriteFailed;
          } else {
            append(bytes_ + i, p - i);
          }
          s_.previousByte = bytes_[p - 1];
          i = p;
          if (!flushIfFull())
            return StepResult::WriteFailed;
          if (i == size_)
            break;
        }
        if (p + searchSize_ < size_) {
          // The occurrence, if any, and the byte after it lie in the slice.
          i = tryCandidate(p);
          if (!flushIfFull())
            return StepResult::WriteFailed;
          continue;
        }
      }
      if (!takeByte(i))
        return StepResult::ReadFailed;
      ++i;
      if (!flushIfFull())
        return StepResult::WriteFailed;
    }
    return StepResult::Continue;
  }

private:
  bool equal(std::uint8_t c, std::uint8_t s) const {
    return c == s || (s_.options.caseInsensitive &&
                      letters_.upper[c] == letters_.upper[s]);
  }

  // The first position from `from` on whose byte may begin an occurrence.
  std::size_t nextCandidate(std::size_t from) {
    if (searchSize_ == 0)
      return size_;
    nextFirst_ = find(first_, from, nextFirst_);
    if (alt_ == first_)
      return nextFirst_;
    nextAlt_ = find(alt_, from, nextAlt_);
    return std::min(nextFirst_, nextAlt_);
  }

  std::size_t find(std::uint8_t byte, std::size_t from, std::size_t known) {
    if (known != kUnknown && known >= from)
      return known;
    const void *hit = std::memchr(bytes_ + from, byte, size_ - from);
    return hit ? static_cast<std::size_t>(
                     static_cast<const std::uint8_t *>(hit) - bytes_)
               : size_;
  }

  // The byte rules applied at once to a candidate at `p` whose whole
  // occurrence and next byte lie inside the slice, with no match pending.
  // Returns the position after the bytes taken.
  std::size_t tryCandidate(std::size_t p) {
    if (s_.options.leftPartOfWord && letters_.letter[s_.previousByte]) {
      append(bytes_ + p, 1);
      s_.previousByte = bytes_[p];
      return p + 1;
    }
    std::size_t j = 0;
    while (j < searchSize_ && equal(bytes_[p + j], search_[j]))
      ++j;
    if (j < searchSize_) {
      // The held bytes and the mismatching one go out unchanged.
      append(bytes_ + p, j + 1);
      s_.previousByte = bytes_[p + j];
      return p + j + 1;
    }
    const std::size_t end = p + searchSize_;
    if (s_.options.rightPartOfWord && letters_.letter[bytes_[end]]) {
      append(bytes_ + p, searchSize_);
    } else {
      append(reinterpret_cast<const std::uint8_t *>(s_.replaceText.data()),
             s_.replaceText.size());
      ++s_.hitCount;
    }
    s_.previousByte = bytes_[end - 1];
    return end;
  }

  // The byte rules for the byte at slice position `i`. False when the
  // look-ahead past the slice failed.
  bool takeByte(std::size_t i) {
    const std::uint8_t c = bytes_[i];
    std::size_t &k = s_.matchPos;
    if (k == 1 && s_.options.leftPartOfWord &&
        letters_.letter[s_.previousByte]) {
      s_.output.push_back(c);
    } else if (!equal(c, search_[k - 1])) {
      if (k == 1) {
        s_.output.push_back(c);
      } else {
        s_.matchBuffer.push_back(static_cast<char>(c));
        appendOutput(s_.matchBuffer);
        s_.matchBuffer.clear();
        k = 1;
      }
    } else {
      s_.matchBuffer.push_back(static_cast<char>(c));
      if (++k > searchSize_) {
        bool hit = true;
        if (s_.options.rightPartOfWord) {
          std::uint8_t next = kSpace;
          if (i + 1 < size_)
            next = bytes_[i + 1];
          else if (!lastSliceOfFile_ && !job_.peekNextByte(next))
            return false;
          hit = !letters_.letter[next];
        }
        if (hit) {
          appendOutput(s_.replaceText);
          ++s_.hitCount;
        } else {
          appendOutput(s_.matchBuffer);
        }
        s_.matchBuffer.clear();
        k = 1;
      }
    }
    s_.previousByte = c;
    return true;
  }

  void appendOutput(const std::string &text) {
    append(reinterpret_cast<const std::uint8_t *>(text.data()), text.size());
  }

  void append(const std::uint8_t *data, std::size_t size) {
    s_.output.insert(s_.output.end(), data, data + size);
  }

  bool flushIfFull() { return flushOutputIfFull(job_, s_); }

  static constexpr std::size_t kUnknown = static_cast<std::size_t>(-1);
  // Runs without a candidate at least this long skip the output buffer.
  static constexpr std::size_t kPlainRun = 4096;

  SliceStream &job_;
  ExclusionState &s_;
  const std::uint8_t *bytes_;
  std::size_t size_;
  bool lastSliceOfFile_;
  const PageLetters &letters_;
  const std::uint8_t *search_;
  std::size_t searchSize_;
  std::uint8_t first_ = 0;
  std::uint8_t alt_ = 0;
  std::size_t nextFirst_ = kUnknown;
  std::size_t nextAlt_ = kUnknown;
};

// What a unit is compared by: its character (folded when `fold`), or for a
// byte that starts no character the byte itself, apart from every character.
std::uint32_t unitKey(const Utf8Char &unit, std::uint8_t firstByte, bool fold) {
  if (unit.status == Utf8Status::Invalid)
    return 0x80000000u | firstByte;
  return fold ? toUpperCodePoint(unit.code) : unit.code;
}

// The byte rules of the single-byte matcher, applied to the UTF-8 character
// (or lone byte) `bytes`. `nextIsLetter` tells whether the character after
// it is a letter (false at the end of the file).
void takeUtf8Char(ExclusionState &s, const Utf8Char &unit,
                  const std::uint8_t *bytes, bool nextIsLetter) {
  const auto append = [&](const std::uint8_t *data, std::size_t size) {
    s.output.insert(s.output.end(), data, data + size);
  };
  const auto appendText = [&](const std::string &text) {
    append(reinterpret_cast<const std::uint8_t *>(text.data()), text.size());
  };
  std::size_t &k = s.matchPos;
  if (s.searchKeys.empty() ||
      (k == 1 && s.options.leftPartOfWord && s.previousIsLetter)) {
    append(bytes, unit.length);
  } else if (unitKey(unit, bytes[0], s.options.caseInsensitive) !=
             s.searchKeys[k - 1]) {
    if (k == 1) {
      append(bytes, unit.length);
    } else {
      s.matchBuffer.append(reinterpret_cast<const char *>(bytes), unit.length);
      appendText(s.matchBuffer);
      s.matchBuffer.clear();
      k = 1;
    }
  } else {
    s.matchBuffer.append(reinterpret_cast<const char *>(bytes), unit.length);
    if (++k > s.searchKeys.size()) {
      if (s.options.rightPartOfWord && nextIsLetter) {
        appendText(s.matchBuffer);
      } else {
        appendText(s.replaceText);
        ++s.hitCount;
      }
      s.matchBuffer.clear();
      k = 1;
    }
  }
  s.previousIsLetter = isUtf8Letter(unit.code);
}

// The next place, in one slice's bytes w[0, m), where the whole UTF-8 form
// of the search text's first character begins (either of its two forms
// when case does not count). The form's first byte continues no sequence,
// so each place found begins a unit. The last place found is kept, so a
// run of candidates never scans the same bytes twice.
class FirstCharScan {
public:
  struct Form {
    std::uint8_t bytes[4] = {};
    std::size_t size = 0;
  };

  FirstCharScan(const std::uint8_t *w, std::size_t m, const Form &a,
                const Form &b)
      : w_(w), m_(m), a_(a), b_(b) {}

  // The first position >= from where a form begins whole, or m.
  std::size_t next(std::size_t from) {
    if (next_ == kUnknown || next_ < from)
      next_ = locate(from);
    return next_;
  }

private:
  bool formAt(const Form &form, std::size_t p) const {
    return m_ - p >= form.size &&
           std::memcmp(w_ + p, form.bytes, form.size) == 0;
  }

  bool eitherAt(std::size_t p) const { return formAt(a_, p) || formAt(b_, p); }

  std::size_t locate(std::size_t p) const {
#if defined(__SSE2__)
    // Blocks of 16 places whose first two bytes match a form (a form of
    // one byte matches on its first alone), each confirmed whole.
    const auto pairOf = [](const Form &form, int k) {
      return _mm_set1_epi8(
          static_cast<char>(form.size > 1 ? form.bytes[k] : form.bytes[0]));
    };
    const __m128i a0 = pairOf(a_, 0), a1 = pairOf(a_, 1);
    const __m128i b0 = pairOf(b_, 0), b1 = pairOf(b_, 1);
    const __m128i any = _mm_set1_epi8(-1);
    // A form of one byte matches at any second byte.
    const __m128i aAny = a_.size > 1 ? _mm_setzero_si128() : any;
    const __m128i bAny = b_.size > 1 ? _mm_setzero_si128() : any;
    while (m_ - p > 16) {
      const __m128i v0 =
          _mm_loadu_si128(reinterpret_cast<const __m128i *>(w_ + p));
      const __m128i v1 =
          _mm_loadu_si128(reinterpret_cast<const __m128i *>(w_ + p + 1));
      const __m128i hitA = _mm_and_si128(
          _mm_cmpeq_epi8(v0, a0), _mm_or_si128(_mm_cmpeq_epi8(v1, a1), aAny));
      const __m128i hitB = _mm_and_si128(
          _mm_cmpeq_epi8(v0, b0), _mm_or_si128(_mm_cmpeq_epi8(v1, b1), bAny));
      auto hits =
          static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(hitA, hitB)));
      while (hits != 0) {
        const std::size_t q =
            p + static_cast<std::size_t>(std::countr_zero(hits));
        if (eitherAt(q))
          return q;
        hits &= hits - 1;
      }
      p += 16;
    }
#endif
    for (; p < m_; ++p)
      if (eitherAt(p))
        return p;
    return m_;
  }

  static constexpr std::size_t kUnknown = static_cast<std::size_t>(-1);
  const std::uint8_t *w_;
  std::size_t m_;
  Form a_, b_;
  std::size_t next_ = kUnknown;
};

// Where, from unit start `from`, the units of w[from, m) stop being plain
// bytes to copy: the first unit that may begin an occurrence (one `scan`
// finds, whose character is the search text's first),
// the first unit not yet complete, or `m`. Only for a search text that
// begins with a character: its first bytes are ASCII or lead bytes, which
// always begin a unit.
std::size_t plainRunEnd(const ExclusionState &s, const std::uint8_t *w,
                        std::size_t from, std::size_t m, bool last,
                        FirstCharScan &scan) {
  std::size_t p = from;
  while (p < m) {
    const std::size_t q = scan.next(p);
    if (q == m) {
      if (last)
        return m;
      // A sequence cut by the end of the bytes at hand waits.
      std::size_t j = m - 1;
      while (j > p && j + 4 > m && (w[j] & 0xC0) == 0x80)
        --j;
      return decodeUtf8(w + j, m - j).status == Utf8Status::Incomplete ? j : m;
    }
    const Utf8Char unit =
        last ? decodeUtf8AtEnd(w + q, m - q) : decodeUtf8(w + q, m - q);
    if (unit.status == Utf8Status::Incomplete ||
        unitKey(unit, w[q], s.options.caseInsensitive) == s.searchKeys[0])
      return q;
    p = q + unit.length;
  }
  return p;
}

// Whether the unit that ends at `end` (after unit start `from`) is a letter.
bool endsWithLetter(const std::uint8_t *w, std::size_t from, std::size_t end) {
  const std::uint8_t c = w[end - 1];
  if (c < 0x80)
    return isUtf8Letter(c);
  if (end - from < 2 || (c & 0xC0) != 0x80)
    return false;
  // D0 80..BF and D1 80..9F are the Cyrillic letters, D2 90 and 91 Ґ ґ.
  const std::uint8_t lead = w[end - 2];
  return lead == 0xD0 || (lead == 0xD1 && c <= 0x9F) ||
         (lead == 0xD2 && (c == 0x90 || c == 0x91));
}

// Handles the slice's characters as far as each one's next character is at
// hand; sets `used` to the bytes handled (the rest come again at the front
// of the next slice).
StepResult exclusionSliceUtf8(SliceStream &job, ExclusionState &state,
                              std::size_t &used) {
  const bool last = job.processed + job.bytesRead >= job.fileSize;
  const std::uint8_t *w = job.slice;
  const std::size_t m = job.bytesRead;
  const auto unitAt = [&](std::size_t i) {
    return last ? decodeUtf8AtEnd(w + i, m - i) : decodeUtf8(w + i, m - i);
  };
  // Runs of units that cannot begin an occurrence are copied at once.
  const bool skip =
      !state.searchKeys.empty() && state.searchKeys[0] < 0x80000000u;
  FirstCharScan::Form firstA, firstB;
  if (skip) {
    firstA.size = encodeUtf8(state.searchKeys[0], firstA.bytes);
    firstB = firstA;
    if (state.options.caseInsensitive)
      firstB.size =
          encodeUtf8(toLowerCodePoint(state.searchKeys[0]), firstB.bytes);
  }
  FirstCharScan scan(w, m, firstA, firstB);
  std::size_t i = 0;
  // The unit decoded as the look-ahead of the one before, and where it is.
  Utf8Char ahead;
  std::size_t aheadAt = m;
  StepResult result = StepResult::Continue;
  while (i < m) {
    if (skip && state.matchPos == 1) {
      const std::size_t end = plainRunEnd(state, w, i, m, last, scan);
      if (end > i) {
        state.output.insert(state.output.end(), w + i, w + end);
        state.previousIsLetter = endsWithLetter(w, i, end);
        i = end;
        if (!flushOutputIfFull(job, state)) {
          result = StepResult::WriteFailed;
          break;
        }
        if (i == m)
          break;
      }
    }
    const Utf8Char unit = aheadAt == i ? ahead : unitAt(i);
    if (unit.status == Utf8Status::Incomplete)
      break;
    const std::size_t j = i + unit.length;
    bool nextIsLetter = false;
    if (j < m) {
      ahead = unitAt(j);
      aheadAt = j;
      if (ahead.status == Utf8Status::Incomplete)
        break;
      nextIsLetter = isUtf8Letter(ahead.code);
    } else if (!last) {
      break; // the next character decides a word end
    }
    takeUtf8Char(state, unit, w + i, nextIsLetter);
    i = j;
    if (!flushOutputIfFull(job, state)) {
      result = StepResult::WriteFailed;
      break;
    }
  }
  used = i;
  return result;
}

} // namespace

ExclusionState::ExclusionState(std::string search, std::string replace,
                               ExclusionOptions opts, TextEncoding enc,
                               CodePage filePage)
    : searchText(std::move(search)), replaceText(std::move(replace)),
      options(opts), encoding(enc), page(filePage) {
  if (encoding == TextEncoding::Utf8) {
    const auto *text =
        reinterpret_cast<const std::uint8_t *>(searchText.data());
    for (std::size_t i = 0; i < searchText.size();) {
      const Utf8Char unit = decodeUtf8AtEnd(text + i, searchText.size() - i);
      searchKeys.push_back(unitKey(unit, text[i], options.caseInsensitive));
      i += unit.length;
    }
  }
  // Room is kept for the largest single append (L bytes); texts too long
  // for the nominal buffer make it grow instead.
  const std::size_t longest = std::max(searchText.size(), replaceText.size());
  writeThreshold =
      longest + 1 < kOutputSize ? kOutputSize - (longest + 1) : kOutputSize;
  matchBuffer.reserve(searchText.size() + 1);
  output.reserve(kOutputSize);
}

StepResult exclusionSlice(SliceStream &job, ExclusionState &state) {
  if (job.atEnd()) {
    // An occurrence left unfinished at the end of the file goes out as is.
    state.output.insert(state.output.end(), state.matchBuffer.begin(),
                        state.matchBuffer.end());
    state.matchBuffer.clear();
    state.matchPos = 1;
    const bool ok = job.writeAll(state.output.data(), state.output.size());
    state.output.clear();
    return ok ? finishStream(job) : StepResult::WriteFailed;
  }
  if (!job.readSlice())
    return StepResult::ReadFailed;
  std::size_t used = job.bytesRead;
  const StepResult result = state.encoding == TextEncoding::Utf8
                                ? exclusionSliceUtf8(job, state, used)
                                : SliceMatcher(job, state).run();
  job.slicePos = used;
  job.processed += used;
  return result;
}

} // namespace snpln::engine
