#include "tests/support/line_engine_run.h"

#include "engine/empty_line_slice.h"
#include "engine/optimize_slice.h"
#include "tests/support/memory_file.h"

#include <iterator>

namespace snpln::test {

namespace {

// Every step but the last uses up at least one byte, so a file of n bytes
// takes at most n + 1 steps.
template <typename Step>
LineEngineRun drive(const std::string &bytes, std::size_t sliceSize,
                    Step &&step) {
  MemoryStream memory(bytes, sliceSize);
  LineEngineRun run;
  const std::size_t limit = bytes.size() + 2;
  while (run.steps < limit) {
    ++run.steps;
    run.result = step(memory.stream);
    if (run.result != engine::StepResult::Continue)
      break;
  }
  run.output = memory.out.data;
  return run;
}

} // namespace

LineEngineRun runOptimize(const std::string &bytes, int tabSize,
                          std::size_t sliceSize, engine::TextEncoding encoding,
                          std::size_t lineLimit) {
  engine::OptimizeState state(tabSize, encoding);
  state.line.limit = lineLimit;
  return drive(bytes, sliceSize, [&](engine::SliceStream &stream) {
    return engine::optimizeSlice(stream, state);
  });
}

LineEngineRun runDeleteEmpty(const std::string &bytes, std::size_t sliceSize,
                             std::size_t lineLimit) {
  engine::EmptyLineState state;
  state.line.limit = lineLimit;
  LineEngineRun run = drive(bytes, sliceSize, [&](engine::SliceStream &stream) {
    return engine::emptyLineSlice(stream, state);
  });
  run.hits = state.hitCount;
  return run;
}

LineEngineRun runLineEnds(const std::string &bytes, engine::LineEnd target,
                          std::size_t sliceSize, engine::LineUnits units) {
  engine::LineEndState state(target, units);
  LineEngineRun run = drive(bytes, sliceSize, [&](engine::SliceStream &stream) {
    return engine::lineEndSlice(stream, state);
  });
  run.hits = state.changed;
  return run;
}

std::string randomLineText(std::mt19937 &rng, std::size_t maxLength) {
  static const char *const kLineEnds[] = {"\r\n",   "\n",     "\r",
                                          "\n\r",   "\r\r",   "\n\n",
                                          "\r\n\r", "\n\r\n", " \t \r\n"};
  static const char kWordBytes[] = "ab\".\xE0\xFF\x8D\x8A\x0B\x0C\x0E";
  const auto below = [&](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
  };
  const std::size_t length = below(maxLength + 1);
  std::string text;
  while (text.size() < length) {
    switch (below(5)) {
    case 0:
      text.append(1 + below(20), ' ');
      break;
    case 1:
      text.append(1 + below(3), '\t');
      break;
    case 2:
      for (std::size_t n = 1 + below(12); n > 0; --n)
        text += kWordBytes[below(sizeof kWordBytes - 1)];
      break;
    default:
      text += kLineEnds[below(std::size(kLineEnds))];
      break;
    }
  }
  text.resize(length);
  return text;
}

} // namespace snpln::test
