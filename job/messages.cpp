#include "job/messages.h"

#include <optional>

#include "engine/code_page_names.h"

namespace snpln::job::messages {

std::string noTempFile(const std::string &reason) {
  if (reason.empty())
    return kNoTempFile;
  return std::string(kNoTempFile) + " (" + reason + ")";
}

std::string lineTooLong(std::size_t limit) {
  return "Line in file is too long (greater than " + std::to_string(limit) +
         " bytes)";
}

std::string typedTextUnfit(engine::CodePage page) {
  return std::string("Replacement text cannot be written in ") +
         codingName(page);
}

std::string invalidUtf8(std::uint64_t offset) {
  return "Invalid UTF-8 at byte " + std::to_string(offset);
}

std::string unrepresentable(std::uint64_t offset, engine::CodePage target) {
  return "Character at byte " + std::to_string(offset) +
         " cannot be written in " + codingName(target);
}

std::string noEquivalent(std::uint64_t count) {
  return std::to_string(count) + (count == 1 ? " character" : " characters") +
         " had no equivalent in the target page";
}

std::string substituted(std::uint64_t count) {
  return std::to_string(count) + (count == 1 ? " character" : " characters") +
         " substituted";
}

const char *operationTitle(OperationCode operation) {
  static constexpr const char *kTitles[kOperationCount] = {
      "Upper case",      "Recode to WIN", "Recode to KOI",    "Recode to ISO",
      "Recode to DOS",   "Lower case",    "Smart case",       "Exclude",
      "Replace",         "Optimize",      "Delete excessive", "Detect coding",
      "Recode to UTF-8", "Line ends",     "Byte order mark"};
  const auto index = static_cast<std::size_t>(operation);
  return index < kOperationCount ? kTitles[index] : "";
}

const char *lineEndPiece(engine::LineEnd end) {
  switch (end) {
  case engine::LineEnd::Lf:
    return kWithLfEnds;
  case engine::LineEnd::CrLf:
    return kWithCrLfEnds;
  case engine::LineEnd::Cr:
    return kWithCrEnds;
  }
  return "";
}

const char *codingName(engine::CodePage page) {
  const engine::CodePageNaming *naming = engine::namingOf(page);
  return naming ? naming->targetName.data() : "";
}

std::string detectionReport(engine::CodePage page) {
  return std::string(kHasCoding) + codingName(page);
}

std::string recodeSourcePiece(engine::CodePage source, bool autoDetected) {
  if (autoDetected)
    return kAutodetect;
  const engine::CodePageNaming *naming = engine::namingOf(source);
  return naming ? "from " + std::string(naming->sourceName) + " " : "";
}

std::string recodeTargetPiece(OperationCode operation) {
  std::optional<engine::CodePage> target;
  switch (operation) {
  case OperationCode::RecodeToWin:
    target = engine::CodePage::Win;
    break;
  case OperationCode::RecodeToKoi:
    target = engine::CodePage::Koi;
    break;
  case OperationCode::RecodeToIso:
    target = engine::CodePage::Iso;
    break;
  case OperationCode::RecodeToDos:
    target = engine::CodePage::Dos;
    break;
  case OperationCode::RecodeToUtf8:
    target = engine::CodePage::Utf8;
    break;
  default:
    return "";
  }
  return " to " + std::string(engine::namingOf(*target)->targetName);
}

} // namespace snpln::job::messages
