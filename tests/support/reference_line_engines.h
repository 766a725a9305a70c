// Plain whole-buffer versions of the two line engines (optimize, delete
// excessive empty lines), kept deliberately simple, for comparison with the
// streaming engines. The whole file goes in, the whole output comes out;
// every line that stays keeps its line end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace snpln::test {

inline constexpr std::size_t kReferenceLineLimit = 30000;

// The lines of a file: CR LF and LF CR are one line end, any other CR or LF
// ends a line on its own, the last line ends at the end of the file, and no
// empty line follows a line end that is the file's last byte.
std::vector<std::string> referenceSplitLines(const std::string &bytes);

// The same lines, each with the line end it had ("" for a last line that
// had none).
struct ReferenceLine {
  std::string text;
  std::string end;
};
std::vector<ReferenceLine> referenceLinesWithEnds(const std::string &bytes);

// Every line end made `end` ("\n", "\r\n" or "\r"); a last line without
// one stays without one. Sets `changed` to the line ends that differ.
std::string referenceLineEnds(const std::string &bytes, const std::string &end,
                              std::uint64_t &changed);

struct ReferenceOutput {
  bool lineTooLong = false; // some line is longer than 30000 bytes
  std::string bytes;        // the new file (empty when lineTooLong)
};

// One line through the segment transform, column by column.
std::string referenceCompressTabs(const std::string &line, int tabSize);

// Each line keeps its line end. With `utf8`, columns count UTF-8
// characters.
ReferenceOutput referenceOptimize(const std::string &bytes, int tabSize,
                                  bool utf8 = false);

// `hits` receives the number of lines deleted.
ReferenceOutput referenceDeleteEmpty(const std::string &bytes,
                                     std::uint64_t *hits);

} // namespace snpln::test
