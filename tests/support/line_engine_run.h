// Runs a line engine step after step over an in-memory file, the way the job
// drives it, and collects what it wrote.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

#include "engine/line_end_slice.h"
#include "engine/line_io.h"
#include "engine/slice_stream.h"
#include "engine/text_encoding.h"

namespace snpln::test {

struct LineEngineRun {
  engine::StepResult result = engine::StepResult::Continue; // the last step's
  std::string output;     // what reached the temporary file
  std::uint64_t hits = 0; // lines deleted (empty-line engine only)
  std::size_t steps = 0;
};

// Steps until a step returns anything but Continue. A step that keeps
// returning Continue after the whole file has been used up ends the run with
// result Continue, which callers treat as a fault.
// `lineLimit` is the engine's longest line.
LineEngineRun
runOptimize(const std::string &bytes, int tabSize, std::size_t sliceSize,
            engine::TextEncoding encoding = engine::TextEncoding::SingleByte,
            std::size_t lineLimit = engine::kLineLimit);
LineEngineRun runDeleteEmpty(const std::string &bytes, std::size_t sliceSize,
                             std::size_t lineLimit = engine::kLineLimit);
// `hits` is the number of line ends changed.
LineEngineRun runLineEnds(const std::string &bytes, engine::LineEnd target,
                          std::size_t sliceSize,
                          engine::LineUnits units = engine::LineUnits::Bytes);

// A text of at most maxLength bytes made of the pieces the line engines care
// about: runs of SPACEs and TABs, words (with quotes and Cyrillic bytes), and
// every kind of line end and CR/LF mixture, blank lines among them.
std::string randomLineText(std::mt19937 &rng, std::size_t maxLength);

} // namespace snpln::test
