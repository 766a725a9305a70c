#include "tests/support/reference_line_engines.h"

#include "tests/support/reference_utf8_engines.h"

namespace snpln::test {

namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

bool anyTooLong(const std::vector<ReferenceLine> &lines) {
  for (const ReferenceLine &line : lines)
    if (line.text.size() > kReferenceLineLimit)
      return true;
  return false;
}

std::string transformSegment(const std::string &segment) {
  std::size_t last = segment.size();
  while (last > 0 && blank(segment[last - 1]))
    --last;
  if (last == 0)
    return "\t";
  if (last < segment.size())
    return segment.substr(0, last) + "\t";
  return segment;
}

} // namespace

std::vector<ReferenceLine> referenceLinesWithEnds(const std::string &bytes) {
  std::vector<ReferenceLine> lines;
  std::string current;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c != '\r' && c != '\n') {
      current += c;
      continue;
    }
    std::string end(1, c);
    const char partner = c == '\r' ? '\n' : '\r';
    if (i + 1 < bytes.size() && bytes[i + 1] == partner)
      end += bytes[++i];
    lines.push_back({current, end});
    current.clear();
  }
  if (!current.empty())
    lines.push_back({current, ""});
  return lines;
}

std::string referenceLineEnds(const std::string &bytes, const std::string &end,
                              std::uint64_t &changed) {
  std::string out;
  changed = 0;
  for (const ReferenceLine &line : referenceLinesWithEnds(bytes)) {
    out += line.text;
    if (line.end.empty())
      continue;
    out += end;
    if (line.end != end)
      ++changed;
  }
  return out;
}

std::vector<std::string> referenceSplitLines(const std::string &bytes) {
  std::vector<std::string> lines;
  for (const ReferenceLine &line : referenceLinesWithEnds(bytes))
    lines.push_back(line.text);
  return lines;
}

std::string referenceCompressTabs(const std::string &line, int tabSize) {
  const std::uint64_t t = static_cast<std::uint64_t>(tabSize);
  std::uint64_t column = 0;
  std::string segment, out;
  for (char c : line) {
    segment += c;
    if (c == '\t')
      column = (column / t + 1) * t;
    else
      column += 1;
    if (column % t == 0) {
      out += transformSegment(segment);
      segment.clear();
    }
  }
  if (!segment.empty())
    out += transformSegment(segment);
  return out;
}

ReferenceOutput referenceOptimize(const std::string &bytes, int tabSize,
                                  bool utf8) {
  ReferenceOutput result;
  const std::vector<ReferenceLine> lines = referenceLinesWithEnds(bytes);
  if (anyTooLong(lines)) {
    result.lineTooLong = true;
    return result;
  }
  for (const ReferenceLine &line : lines) {
    std::string out = utf8 ? referenceCompressTabsUtf8(line.text, tabSize)
                           : referenceCompressTabs(line.text, tabSize);
    while (!out.empty() && blank(out.back()))
      out.pop_back();
    result.bytes += out + line.end;
  }
  return result;
}

ReferenceOutput referenceDeleteEmpty(const std::string &bytes,
                                     std::uint64_t *hits) {
  ReferenceOutput result;
  *hits = 0;
  const std::vector<ReferenceLine> lines = referenceLinesWithEnds(bytes);
  if (anyTooLong(lines)) {
    result.lineTooLong = true;
    return result;
  }
  const auto isEmpty = [&](std::size_t i) {
    for (char c : lines[i].text)
      if (!blank(c))
        return false;
    return true;
  };
  // Lines before the file count as empty.
  const auto emptyAt = [&](std::ptrdiff_t i) {
    return i < 0 || isEmpty(static_cast<std::size_t>(i));
  };
  bool firstOfRunStayed = false;
  std::size_t position = 0; // within the current run of empty lines
  for (std::size_t i = 0; i < lines.size(); ++i) {
    bool stays = true;
    if (!isEmpty(i)) {
      position = 0;
    } else {
      ++position;
      const auto p = static_cast<std::ptrdiff_t>(i);
      if (position == 1) {
        stays = !emptyAt(p - 1) && !emptyAt(p - 2);
        firstOfRunStayed = stays;
      } else if (position == 2) {
        stays = !firstOfRunStayed;
      } else {
        stays = false;
      }
    }
    if (stays)
      result.bytes += lines[i].text + lines[i].end;
    else
      ++*hits;
  }
  return result;
}

} // namespace snpln::test
