#include "engine/repair_slice.h"

#include <array>
#include <cstring>
#include <mutex>

#include "engine/utf8_codec.h"

namespace snpln::engine {

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
constexpr std::size_t kReadings = 8;
// How far the fast path goes back for the start of a word.
constexpr std::size_t kFastBackOff = 4 * kMaxHeldWord;

// The fast path's table of a reading (64 KiB, one per reading, made when
// first needed and kept): ASCII bytes as themselves, each two-byte
// character as its byte in the reading, 0 for anything else.
const std::uint8_t *pairBytesOf(RepairPage read) {
  static std::mutex guard;
  static std::array<std::unique_ptr<std::uint8_t[]>, kReadings> tables;
  const std::lock_guard<std::mutex> lock(guard);
  std::unique_ptr<std::uint8_t[]> &table =
      tables[static_cast<std::size_t>(read) % kReadings];
  if (!table) {
    table = std::make_unique<std::uint8_t[]>(65536);
    const ByteTable &bytes = readingBytes(read);
    for (unsigned n = 0; n < 256; ++n)
      for (unsigned b = 0; b < 256; ++b) {
        std::uint8_t v = 0;
        if (b > 0 && b < 0x80)
          v = static_cast<std::uint8_t>(b);
        else if (b >= 0xC2 && b <= 0xDF && (n & 0xC0u) == 0x80)
          v = bytes[((b & 0x1Fu) << 6) | (n & 0x3Fu)];
        table[b | n << 8] = v;
      }
  }
  return table.get();
}

bool isAsciiLetter(std::uint8_t b) {
  return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
}

// The end of the plain stretch that begins at `from`: just past the next
// ASCII byte that is no letter (the undoing holds nothing back there), or
// the end.
std::size_t stretchEnd(const std::uint8_t *bytes, std::size_t from,
                       std::size_t size) {
  for (std::size_t i = from; i < size; ++i)
    if (bytes[i] < 0x80 && !isAsciiLetter(bytes[i]))
      return i + 1;
  return size;
}

enum class FastStop { End, Cut, Trouble };

struct FastPart {
  std::size_t consumed = 0; // input bytes
  std::size_t written = 0;  // output bytes, all valid UTF-8
  FastStop stop = FastStop::End;
};

// The fast path over in[0, count) into out (room for count bytes): every
// character to its byte in the reading, kept as far as the bytes read as
// UTF-8. Stops at a sequence of the input cut by the end (Cut, unless
// `last`), at a character that has no byte or bytes that are no UTF-8,
// back at the start of their word (Trouble).
FastPart fastUndo(const std::uint8_t *in, std::size_t count, bool last,
                  std::uint8_t *out, const RepairState &state) {
  const std::uint8_t *pairs = state.pairBytes;
  const ByteTable &bytes = *state.readBytes;
  std::size_t i = 0, o = 0;
  FastStop stop = FastStop::End;
  while (i < count) {
    if (i + 8 <= count) {
      std::uint64_t v;
      std::memcpy(&v, in + i, 8);
      if ((v & kHighBits) == 0) {
        std::memcpy(out + o, &v, 8);
        i += 8;
        o += 8;
        continue;
      }
    }
    const std::uint8_t b = in[i];
    if (b < 0x80 && b != 0) {
      out[o++] = b;
      ++i;
      continue;
    }
    if (i + 1 < count) {
      const std::uint8_t r = pairs[b | in[i + 1] << 8];
      if (r != 0) {
        out[o++] = r;
        i += 2;
        continue;
      }
    }
    const Utf8Char c = decodeUtf8(in + i, count - i);
    if (c.status == Utf8Status::Incomplete && !last) {
      stop = FastStop::Cut;
      break;
    }
    const std::uint8_t r = c.ok() && c.code <= 0xFFFF ? bytes[c.code] : 0;
    if (r == 0) {
      stop = FastStop::Trouble;
      break;
    }
    out[o++] = r;
    i += c.length;
  }
  FastPart part;
  const Utf8Check check = checkUtf8(out, o);
  std::size_t keep = o;
  if (check.stop == Utf8Status::Incomplete &&
      !(last && stop == FastStop::End)) {
    // The bytes of a character cut short by the end: their characters
    // come again with what follows.
    keep = check.valid;
    if (stop == FastStop::End)
      stop = FastStop::Cut;
  } else if (check.stop != Utf8Status::Ok) {
    keep = check.valid;
    stop = FastStop::Trouble;
  }
  if (stop == FastStop::End && !last)
    stop = FastStop::Cut;
  if (stop != FastStop::End) {
    // Back to the start of the word (unless it is longer than
    // kFastBackOff bytes), so that the word comes whole to the next slice
    // or to the plain undoing, which may have to choose its letters.
    std::size_t w = keep;
    while (w > 0 && keep - w < kFastBackOff &&
           (out[w - 1] >= 0x80 || isAsciiLetter(out[w - 1])))
      --w;
    if (keep - w < kFastBackOff)
      keep = w;
  }
  // One byte out for each character in: the input's length of `keep`
  // characters.
  std::size_t at = 0;
  if (keep * 2 < o) {
    for (std::size_t k = 0; k < keep; ++k)
      at += in[at] < 0x80 ? 1 : decodeUtf8(in + at, count - at).length;
  } else {
    at = i;
    for (std::size_t k = keep; k < o; ++k) {
      --at;
      while ((in[at] & 0xC0) == 0x80)
        --at;
    }
  }
  part.consumed = at;
  part.written = keep;
  part.stop = stop;
  return part;
}

StepResult fail(RepairState &state) {
  state.fault = state.undo->fault();
  state.faultOffset = state.undo->faultOffset();
  return StepResult::BadText;
}

StepResult wholeStep(SliceStream &job, RepairState &state, bool last) {
  const std::uint8_t *in = job.slice;
  const std::size_t count = job.bytesRead;
  std::size_t pos = 0;
  while (pos < count) {
    if (state.pairBytes != nullptr && state.undo->idle()) {
      std::uint8_t *out = job.outputSpace(count - pos + 8);
      const FastPart part = fastUndo(in + pos, count - pos, last, out, state);
      pos += part.consumed;
      if (!job.commitOutput(part.written))
        return StepResult::WriteFailed;
      if (part.stop == FastStop::End)
        break;
      if (part.stop == FastStop::Cut) {
        // Left for the next slice.
        job.slicePos = pos;
        job.processed += pos;
        return StepResult::Continue;
      }
    }
    const std::size_t end =
        state.pairBytes != nullptr ? stretchEnd(in, pos, count) : count;
    state.scratch.clear();
    const bool ok = state.undo->feed(in + pos, end - pos, job.processed + pos,
                                     state.scratch);
    if (!job.writeAll(
            reinterpret_cast<const std::uint8_t *>(state.scratch.data()),
            state.scratch.size()))
      return StepResult::WriteFailed;
    if (!ok)
      return fail(state);
    pos = end;
  }
  job.slicePos = count;
  job.processed += count;
  if (last) {
    state.scratch.clear();
    const bool ok = state.undo->finish(state.scratch);
    if (!job.writeAll(
            reinterpret_cast<const std::uint8_t *>(state.scratch.data()),
            state.scratch.size()))
      return StepResult::WriteFailed;
    if (!ok)
      return fail(state);
  }
  state.lostBytesMended = state.undo->mended();
  return StepResult::Continue;
}

// Writes one line, or piece of a line, repaired where a chain makes it
// read clearly better.
bool writeLine(SliceStream &job, RepairState &state, const std::uint8_t *line,
               std::size_t size) {
  state.scratch.clear();
  if (repairLine(state.plan, line, size, state.scratch)) {
    state.lineRepaired = true;
    return job.writeAll(
        reinterpret_cast<const std::uint8_t *>(state.scratch.data()),
        state.scratch.size());
  }
  return job.writeAll(line, size);
}

void endLine(RepairState &state) {
  state.linesRepaired += state.lineRepaired ? 1u : 0u;
  state.lineRepaired = false;
}

StepResult linesStep(SliceStream &job, RepairState &state, bool last) {
  const std::uint8_t *in = job.slice;
  const std::size_t count = job.bytesRead;
  std::size_t pos = 0;
  std::string &line = state.line;
  while (pos < count) {
    const std::size_t room = kRepairLineLimit - line.size();
    const std::size_t span = std::min(room, count - pos);
    const auto *nl =
        static_cast<const std::uint8_t *>(std::memchr(in + pos, '\n', span));
    const std::size_t take =
        nl ? static_cast<std::size_t>(nl - (in + pos)) + 1 : span;
    const auto *bytes = in + pos;
    pos += take;
    if (nl && line.empty()) {
      // The whole line is in the slice.
      if (!writeLine(job, state, bytes, take))
        return StepResult::WriteFailed;
      endLine(state);
      continue;
    }
    line.append(reinterpret_cast<const char *>(bytes), take);
    const auto *held = reinterpret_cast<const std::uint8_t *>(line.data());
    if (nl) {
      if (!writeLine(job, state, held, line.size()))
        return StepResult::WriteFailed;
      line.clear();
      endLine(state);
    } else if (line.size() == kRepairLineLimit) {
      const std::size_t piece = linePieceEnd(held, line.size());
      if (!writeLine(job, state, held, piece))
        return StepResult::WriteFailed;
      line.erase(0, piece);
    }
  }
  job.slicePos = count;
  job.processed += count;
  if (last && !line.empty()) {
    if (!writeLine(job, state,
                   reinterpret_cast<const std::uint8_t *>(line.data()),
                   line.size()))
      return StepResult::WriteFailed;
    line.clear();
    endLine(state);
  }
  return StepResult::Continue;
}

} // namespace

RepairState::RepairState(const RepairPlan &decided) : plan(decided) {
  if (plan.mode != RepairMode::Whole)
    return;
  const RepairChain &chain = plan.chain();
  undo = std::make_unique<ChainUndo>(chain);
  if (chain.count == 1 && !chain.storedAsRead &&
      chain.layers[0].written == RepairPage::Utf8) {
    pairBytes = pairBytesOf(chain.layers[0].read);
    readBytes = &readingBytes(chain.layers[0].read);
  }
}

StepResult repairSlice(SliceStream &job, RepairState &state) {
  if (job.atEnd())
    return finishStream(job);
  if (!job.readSlice())
    return StepResult::ReadFailed;
  const bool last = job.processed + job.bytesRead >= job.fileSize;
  switch (state.plan.mode) {
  case RepairMode::Whole:
    return wholeStep(job, state, last);
  case RepairMode::Lines:
    return linesStep(job, state, last);
  case RepairMode::None:
    break;
  }
  const std::size_t count = job.bytesRead;
  job.slicePos = count;
  job.processed += count;
  return job.writeAll(job.slice, count) ? StepResult::Continue
                                        : StepResult::WriteFailed;
}

RepairOutcome applyRepair(const RepairPlan &plan, const std::uint8_t *bytes,
                          std::size_t size) {
  RepairOutcome outcome;
  outcome.plan = plan;
  switch (plan.mode) {
  case RepairMode::None:
    outcome.text.assign(reinterpret_cast<const char *>(bytes), size);
    break;
  case RepairMode::Whole: {
    UndoResult r = undoChain(plan.chain(), bytes, size);
    outcome.text = std::move(r.text);
    outcome.fault = r.fault;
    outcome.faultOffset = r.faultOffset;
    break;
  }
  case RepairMode::Lines: {
    std::size_t start = 0;
    std::string piece;
    while (start < size) {
      const auto *nl = static_cast<const std::uint8_t *>(
          std::memchr(bytes + start, '\n', size - start));
      std::size_t end = nl ? static_cast<std::size_t>(nl - bytes) + 1 : size;
      bool repaired = false;
      while (end - start > kRepairLineLimit) {
        const std::size_t cut = linePieceEnd(bytes + start, end - start);
        piece.clear();
        if (repairLine(plan, bytes + start, cut, piece)) {
          outcome.text += piece;
          repaired = true;
        } else {
          outcome.text.append(reinterpret_cast<const char *>(bytes + start),
                              cut);
        }
        start += cut;
      }
      piece.clear();
      if (repairLine(plan, bytes + start, end - start, piece)) {
        outcome.text += piece;
        repaired = true;
      } else {
        outcome.text.append(reinterpret_cast<const char *>(bytes + start),
                            end - start);
      }
      outcome.linesRepaired += repaired ? 1u : 0u;
      start = end;
    }
    break;
  }
  }
  return outcome;
}

RepairOutcome repairText(const std::uint8_t *bytes, std::size_t size) {
  return applyRepair(decideRepairOfBytes(bytes, size), bytes, size);
}

} // namespace snpln::engine
