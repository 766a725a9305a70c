// The case, exclusion, recoding and tab engines alone, in memory: no disk,
// no job, so that a change to their inner loops shows in the figures
// undiluted by the I/O. The UTF-8 and UTF-16 rows work on the text made
// UTF-8 (and UTF-16LE) by the recoding engine first.
//
//   engine_bench TEXT_FILE [ROUNDS]
//
// TEXT_FILE is a single-byte text (bench/make_text.py makes one; give the
// page with --page dos|win|koi|iso, default win). Each engine runs ROUNDS
// times (default 7) over the whole text in 8192-byte slices; the best time
// of the rounds (in CPU time) is printed in MB/s, one line per engine.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/case_slice.h"
#include "engine/code_page_chars.h"
#include "engine/exclusion_slice.h"
#include "engine/optimize_slice.h"
#include "engine/recode_slice.h"
#include "engine/slice_stream.h"

namespace {

using namespace snpln;

class TextInput : public platform::InputFile {
public:
  explicit TextInput(const std::string &text) : text_(text) {}
  bool read(void *buffer, std::size_t size, std::size_t &got) override {
    got = std::min(size, text_.size() - position_);
    std::memcpy(buffer, text_.data() + position_, got);
    position_ += got;
    return true;
  }
  bool seek(platform::FileSize position) override {
    position_ = static_cast<std::size_t>(position);
    return true;
  }
  platform::FileSize position() const override { return position_; }
  bool size(platform::FileSize &result) override {
    result = text_.size();
    return true;
  }
  bool status(platform::FileStatus &result) override {
    result = platform::FileStatus{};
    result.size = text_.size();
    return true;
  }

private:
  const std::string &text_;
  std::size_t position_ = 0;
};

// Keeps only a checksum, so the output costs no memory traffic of its own.
class CountingOutput : public platform::OutputFile {
public:
  bool write(const void *buffer, std::size_t size,
             std::size_t &written) override {
    const auto *bytes = static_cast<const unsigned char *>(buffer);
    if (size > 0)
      sum += bytes[0] + bytes[size - 1] + size;
    written = size;
    return true;
  }
  bool flush() override { return true; }
  std::size_t sum = 0;
};

// The whole output, for the text the UTF rows start from.
class StringOutput : public platform::OutputFile {
public:
  bool write(const void *buffer, std::size_t size,
             std::size_t &written) override {
    text.append(static_cast<const char *>(buffer), size);
    written = size;
    return true;
  }
  bool flush() override { return true; }
  std::string text;
};

// The thread's CPU time: other programs on a busy machine do not count.
double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

template <typename MakeState, typename Step>
double bestSeconds(const std::string &text, int rounds, MakeState makeState,
                   Step step, std::size_t &checksum) {
  double best = 1e9;
  for (int r = 0; r < rounds; ++r) {
    TextInput in(text);
    CountingOutput out;
    engine::SliceStream stream(&in, &out, text.size());
    auto state = makeState();
    const double start = cpuSeconds();
    engine::StepResult result = engine::StepResult::Continue;
    while (result == engine::StepResult::Continue)
      result = step(stream, state);
    best = std::min(best, cpuSeconds() - start);
    checksum = out.sum;
  }
  return best;
}

engine::CodePage pageNamed(const std::string &name) {
  if (name == "dos")
    return engine::CodePage::Dos;
  if (name == "koi")
    return engine::CodePage::Koi;
  if (name == "iso")
    return engine::CodePage::Iso;
  return engine::CodePage::Win;
}

} // namespace

int main(int argc, char **argv) {
  std::string path;
  std::string pageName = "win";
  int rounds = 7;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--page" && i + 1 < argc)
      pageName = argv[++i];
    else if (path.empty())
      path = arg;
    else
      rounds = std::max(1, std::atoi(arg.c_str()));
  }
  if (path.empty()) {
    std::fprintf(stderr, "usage: engine_bench [--page PAGE] TEXT [ROUNDS]\n");
    return 2;
  }
  std::ifstream file(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(file)),
                         std::istreambuf_iterator<char>());
  const engine::CodePage page = pageNamed(pageName);
  // "мир" in the file's page: the word the bench's replace row looks for.
  std::string mir;
  for (char16_t c : {u'м', u'и', u'р'})
    mir.push_back(static_cast<char>(engine::byteOfChar(c, page)));

  const double megabytes = static_cast<double>(text.size()) / 1e6;
  const auto print = [&](const char *name, double seconds, std::size_t sum) {
    std::printf("%-22s %8.0f MB/s   (check %zu)\n", name, megabytes / seconds,
                sum);
  };
  std::size_t sum = 0;
  for (const auto &row : {std::pair{"upper", engine::CaseOperation::Upper},
                          std::pair{"lower", engine::CaseOperation::Lower},
                          std::pair{"smart", engine::CaseOperation::Smart}}) {
    const engine::CaseOperation op = row.second;
    const double s = bestSeconds(
        text, rounds,
        [&] {
          return engine::CaseState(op, false, engine::TextEncoding::SingleByte,
                                   page);
        },
        [](engine::SliceStream &st, engine::CaseState &cs) {
          return engine::caseSlice(st, cs);
        },
        sum);
    print(row.first, s, sum);
  }
  for (const auto &row :
       {std::pair{"replace", engine::ExclusionOptions{}},
        std::pair{"replace ignore-case",
                  engine::ExclusionOptions{false, false, true}},
        std::pair{"replace whole words",
                  engine::ExclusionOptions{true, true, false}}}) {
    const engine::ExclusionOptions options = row.second;
    const double s = bestSeconds(
        text, rounds,
        [&] {
          return engine::ExclusionState(mir, "MIR", options,
                                        engine::TextEncoding::SingleByte, page);
        },
        [](engine::SliceStream &st, engine::ExclusionState &es) {
          return engine::exclusionSlice(st, es);
        },
        sum);
    print(row.first, s, sum);
  }
  {
    const double s = bestSeconds(
        text, rounds, [&] { return engine::OptimizeState(8); },
        [](engine::SliceStream &st, engine::OptimizeState &os) {
          return engine::optimizeSlice(st, os);
        },
        sum);
    print("optimize", s, sum);
  }
  // The whole text recoded in memory, for the rows that start from it.
  const auto recoded = [](const std::string &from, engine::CodePage source,
                          engine::CodePage target) {
    TextInput in(from);
    StringOutput out;
    engine::SliceStream stream(&in, &out, from.size());
    engine::RecodeState state(source, target);
    while (engine::recodeSlice(stream, state) == engine::StepResult::Continue) {
    }
    return out.text;
  };
  const auto recodeRow = [&](const char *name, const std::string &from,
                             engine::CodePage source, engine::CodePage target) {
    const double s = bestSeconds(
        from, rounds, [&] { return engine::RecodeState(source, target); },
        [](engine::SliceStream &st, engine::RecodeState &rs) {
          return engine::recodeSlice(st, rs);
        },
        sum);
    std::printf("%-22s %8.0f MB/s   (check %zu)\n", name,
                static_cast<double>(from.size()) / 1e6 / s, sum);
  };
  const std::string utf8 = recoded(text, page, engine::CodePage::Utf8);
  recodeRow("to utf8", text, page, engine::CodePage::Utf8);
  recodeRow("from utf8", utf8, engine::CodePage::Utf8, page);
  for (const auto &row :
       {std::pair{"utf8 upper", engine::CaseOperation::Upper},
        std::pair{"utf8 smart", engine::CaseOperation::Smart}}) {
    const engine::CaseOperation op = row.second;
    const double s = bestSeconds(
        utf8, rounds,
        [&] {
          return engine::CaseState(op, false, engine::TextEncoding::Utf8,
                                   engine::CodePage::Auto);
        },
        [](engine::SliceStream &st, engine::CaseState &cs) {
          return engine::caseSlice(st, cs);
        },
        sum);
    std::printf("%-22s %8.0f MB/s   (check %zu)\n", row.first,
                static_cast<double>(utf8.size()) / 1e6 / s, sum);
  }
  const std::string utf16 =
      recoded(text.substr(0, text.size() / 2), page, engine::CodePage::Utf16Le);
  recodeRow("utf16le to utf8", utf16, engine::CodePage::Utf16Le,
            engine::CodePage::Utf8);
  return 0;
}
