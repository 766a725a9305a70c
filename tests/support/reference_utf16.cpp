#include "tests/support/reference_utf16.h"

#include <vector>

#include "engine/code_page_chars.h"
#include "engine/substitutes.h"
#include "engine/utf16.h"
#include "engine/utf8_codec.h"
#include "tests/support/memory_file.h"

namespace snpln::test {

using engine::CodePage;
using engine::RecodeFault;
using engine::StepResult;

std::ostream &operator<<(std::ostream &os, const RecodeOutcome &o) {
  os << "fault " << static_cast<int>(o.fault) << " at " << o.offset << ", "
     << o.substituted << " substituted, bytes";
  for (const char c : o.out)
    os << ' ' << std::hex << (static_cast<int>(c) & 0xFF) << std::dec;
  return os;
}

namespace {

struct Code {
  char32_t code;
  std::size_t at; // the offset of its first byte
};

// Every character of the source, or the fault that stops the reading.
std::vector<Code> referenceDecode(const std::string &s, CodePage source,
                                  RecodeOutcome &o) {
  std::vector<Code> codes;
  const auto *b = reinterpret_cast<const std::uint8_t *>(s.data());
  std::size_t i = 0;
  while (i < s.size()) {
    if (engine::isSingleBytePage(source)) {
      codes.push_back({engine::charsOf(source)[b[i]], i});
      ++i;
    } else if (source == CodePage::Utf8) {
      const engine::Utf8Char c = engine::decodeUtf8(b + i, s.size() - i);
      if (c.status != engine::Utf8Status::Ok) {
        o.fault = RecodeFault::InvalidUtf8;
        o.offset = i;
        break;
      }
      codes.push_back({c.code, i});
      i += c.length;
    } else {
      const bool little = source == CodePage::Utf16Le;
      const auto unitAt = [&](std::size_t k) -> unsigned {
        return little ? static_cast<unsigned>(b[k] | b[k + 1] << 8)
                      : static_cast<unsigned>(b[k] << 8 | b[k + 1]);
      };
      if (i + 1 == s.size()) {
        o.fault = RecodeFault::OddLength;
        o.offset = i;
        break;
      }
      const unsigned u = unitAt(i);
      if (u >= 0xDC00 && u <= 0xDFFF) {
        o.fault = RecodeFault::InvalidUtf16;
        o.offset = i;
        break;
      }
      if (u >= 0xD800 && u <= 0xDBFF) {
        const bool paired = i + 3 < s.size() && unitAt(i + 2) >= 0xDC00 &&
                            unitAt(i + 2) <= 0xDFFF;
        if (!paired) {
          o.fault = RecodeFault::InvalidUtf16;
          o.offset = i;
          break;
        }
        codes.push_back(
            {0x10000 + ((u - 0xD800) << 10) + (unitAt(i + 2) - 0xDC00), i});
        i += 4;
        continue;
      }
      codes.push_back({u, i});
      i += 2;
    }
  }
  if (!codes.empty() && codes.front().code == 0xFEFF &&
      !engine::isSingleBytePage(source))
    codes.erase(codes.begin());
  return codes;
}

} // namespace

RecodeOutcome referenceUtf16Recode(const std::string &s, CodePage source,
                                   CodePage target, bool substitute) {
  RecodeOutcome o;
  const std::vector<Code> codes = referenceDecode(s, source, o);
  std::string out;
  if (target == CodePage::Utf16 && !s.empty())
    out = "\xFF\xFE";
  for (const Code &c : codes) {
    std::uint8_t buf[8];
    if (engine::isSingleBytePage(target)) {
      const int byte = engine::byteOfChar(c.code, target);
      if (byte >= 0) {
        out += static_cast<char>(byte);
      } else if (substitute) {
        out += engine::substituteFor(c.code, target);
        ++o.substituted;
      } else {
        o.fault = RecodeFault::Unrepresentable;
        o.offset = c.at;
        break;
      }
    } else if (target == CodePage::Utf8) {
      out.append(reinterpret_cast<char *>(buf),
                 engine::encodeUtf8(c.code, buf));
    } else {
      out.append(reinterpret_cast<char *>(buf),
                 engine::writeUtf16(c.code, buf, engine::byteOrderOf(target)));
    }
  }
  // A fault keeps no output: the job drops it with the temporary file.
  if (o.fault == RecodeFault::None)
    o.out = out;
  else
    o.substituted = 0;
  return o;
}

RecodeOutcome streamedRecode(const std::string &s, CodePage source,
                             CodePage target, std::size_t slice,
                             bool substitute) {
  MemoryStream m(s, slice);
  engine::RecodeState state(source, target, substitute);
  const StepResult result =
      runSteps([&] { return engine::recodeSlice(m.stream, state); });
  RecodeOutcome o;
  o.substituted = state.substituted;
  if (result == StepResult::BadText) {
    o.fault = state.fault;
    o.offset = state.faultOffset;
    o.substituted = 0;
  } else if (result == StepResult::Finished) {
    o.out = m.out.data;
  } else {
    // Never the reference's: a step that neither finished nor faulted.
    o.out = "step result " + std::to_string(static_cast<int>(result));
    o.fault = RecodeFault::None;
  }
  return o;
}

} // namespace snpln::test
