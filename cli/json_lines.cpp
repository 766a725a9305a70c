#include "cli/json_lines.h"

#include <cerrno>
#include <cstring>

#include "engine/code_page_names.h"
#include "engine/repair_chain.h"
#include "engine/utf8_codec.h"

namespace snpln::cli {

namespace {

using job::MessageId;
using job::OperationCode;

bool validUtf8(const std::string &text) {
  return engine::isUtf8(reinterpret_cast<const std::uint8_t *>(text.data()),
                        text.size());
}

} // namespace

const char *passName(OperationCode op) {
  switch (op) {
  case OperationCode::UpperCase:
    return "upper";
  case OperationCode::LowerCase:
    return "lower";
  case OperationCode::SmartCase:
    return "smart";
  case OperationCode::RecodeToWin:
  case OperationCode::RecodeToKoi:
  case OperationCode::RecodeToIso:
  case OperationCode::RecodeToDos:
  case OperationCode::RecodeToUtf8:
  case OperationCode::RecodeToUtf16:
    return "recode";
  case OperationCode::Exclude:
    return "exclude";
  case OperationCode::Replace:
    return "replace";
  case OperationCode::Optimize:
    return "optimize";
  case OperationCode::DeleteEmpty:
    return "delete-empty";
  case OperationCode::Detect:
    return "detect";
  case OperationCode::LineEnds:
    return "line-ends";
  case OperationCode::Bom:
    return "bom";
  case OperationCode::Repair:
    return "repair";
  }
  return "";
}

namespace {

// The machine word of a message: the reason a file was left as it was, or
// the kind of its failure.
const char *reasonName(MessageId id) {
  switch (id) {
  case MessageId::NotFound:
    return "not-found";
  case MessageId::EnglishOnly:
    return "no-cyrillic";
  case MessageId::HasCoding:
    return "detected";
  case MessageId::SameCoding:
    return "same-coding";
  case MessageId::NotText:
    return "not-text";
  case MessageId::NoTempFile:
    return "no-temporary-file";
  case MessageId::OwnerNotKept:
    return "owner-not-kept";
  case MessageId::AttributesNotKept:
    return "attributes-not-kept";
  case MessageId::Canceled:
  case MessageId::RunCanceled:
    return "canceled";
  case MessageId::ReadError:
    return "read-error";
  case MessageId::WriteError:
    return "write-error";
  case MessageId::LineTooLong:
    return "line-too-long";
  case MessageId::TypedTextUnfit:
    return "text-unfit";
  case MessageId::InvalidUtf8:
    return "invalid-utf8";
  case MessageId::Unrepresentable:
    return "unrepresentable";
  case MessageId::DateNotKept:
    return "date-not-kept";
  case MessageId::NotUtf8:
    return "not-utf8";
  case MessageId::BomPresent:
    return "bom-present";
  case MessageId::BomAbsent:
    return "bom-absent";
  case MessageId::InvalidUtf16:
    return "invalid-utf16";
  case MessageId::OddUtf16Length:
    return "odd-length";
  case MessageId::RecodeFirst:
    return "recode-first";
  case MessageId::BackupNotKept:
    return "backup-not-kept";
  case MessageId::OutputChanged:
    return "output-changed";
  case MessageId::DirectoryNotFlushed:
    return "directory-not-flushed";
  case MessageId::Identical:
    return "identical";
  case MessageId::Converted:
    return "converted";
  case MessageId::EmptyExclude:
    return "empty-text";
  case MessageId::NameNotFound:
    return "not-found";
  case MessageId::DirectoryDone:
    return "directory-done";
  case MessageId::DirectoryUnreadable:
    return "unreadable-directory";
  case MessageId::WalkOutOfMemory:
    return "out-of-memory";
  case MessageId::NotGarbled:
    return "not-garbled";
  case MessageId::NotUtf8Text:
    return "not-utf8";
  case MessageId::CannotRepair:
    return "cannot-repair";
  case MessageId::Unreadable:
    return "unreadable";
  case MessageId::HeldSkipped:
    return "held-skipped";
  case MessageId::OutputNotMade:
    return "output-not-made";
  case MessageId::OutputNotRegular:
    return "output-not-regular";
  }
  return "";
}

const char *lineEndsName(engine::LineEndKinds kinds) {
  switch (kinds) {
  case engine::LineEndKinds::None:
    return "none";
  case engine::LineEndKinds::Lf:
    return "lf";
  case engine::LineEndKinds::CrLf:
    return "crlf";
  case engine::LineEndKinds::Cr:
    return "cr";
  case engine::LineEndKinds::LfCr:
    return "lfcr";
  case engine::LineEndKinds::Mixed:
    return "mixed";
  }
  return "";
}

const char *markName(engine::BomKind mark) {
  switch (mark) {
  case engine::BomKind::None:
    return "none";
  case engine::BomKind::Utf8:
    return "UTF-8";
  case engine::BomKind::Utf16Le:
    return "UTF-16LE";
  case engine::BomKind::Utf16Be:
    return "UTF-16BE";
  case engine::BomKind::Utf32:
    return "UTF-32";
  }
  return "";
}

// Appends ,"key":value.
void field(std::string &out, const char *key, const std::string &value) {
  out += ",\"";
  out += key;
  out += "\":";
  out += value;
}

} // namespace

const char *standardName(engine::CodePage page) {
  const engine::CodePageNaming *naming = engine::namingOf(page);
  return naming ? naming->ianaName.data() : "";
}

std::string errnoName(int error) {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 32)
  if (const char *name = strerrorname_np(error))
    return name;
#else
  struct Known {
    int value;
    const char *name;
  };
  static constexpr Known kKnown[] = {
      {EACCES, "EACCES"},   {ENOENT, "ENOENT"}, {EPERM, "EPERM"},
      {EIO, "EIO"},         {ENOSPC, "ENOSPC"}, {EISDIR, "EISDIR"},
      {ENOTDIR, "ENOTDIR"}, {EROFS, "EROFS"},   {EEXIST, "EEXIST"},
      {EINVAL, "EINVAL"},   {EBUSY, "EBUSY"},   {ENAMETOOLONG, "ENAMETOOLONG"},
      {ENOMEM, "ENOMEM"},   {EMFILE, "EMFILE"}, {EXDEV, "EXDEV"},
      {EBADF, "EBADF"},     {EPIPE, "EPIPE"},   {ELOOP, "ELOOP"},
  };
  for (const Known &k : kKnown)
    if (k.value == error)
      return k.name;
#endif
  return "E" + std::to_string(error);
}

std::string jsonString(const std::string &text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    switch (c) {
    case '"':
      out += "\\\"";
      break;
    case '\\':
      out += "\\\\";
      break;
    case '\n':
      out += "\\n";
      break;
    case '\r':
      out += "\\r";
      break;
    case '\t':
      out += "\\t";
      break;
    default:
      if (b < 0x20) {
        out += "\\u00";
        out += kHex[b >> 4];
        out += kHex[b & 0xF];
      } else {
        out += c;
      }
    }
  }
  return out + "\"";
}

std::string base64(const std::string &bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const std::uint32_t n =
        (std::uint32_t{static_cast<unsigned char>(bytes[i])} << 16) |
        (std::uint32_t{static_cast<unsigned char>(bytes[i + 1])} << 8) |
        std::uint32_t{static_cast<unsigned char>(bytes[i + 2])};
    for (int shift : {18, 12, 6, 0})
      out += kDigits[(n >> shift) & 0x3F];
  }
  const std::size_t rest = bytes.size() - i;
  if (rest > 0) {
    std::uint32_t n = std::uint32_t{static_cast<unsigned char>(bytes[i])} << 16;
    if (rest == 2)
      n |= std::uint32_t{static_cast<unsigned char>(bytes[i + 1])} << 8;
    out += kDigits[(n >> 18) & 0x3F];
    out += kDigits[(n >> 12) & 0x3F];
    out += rest == 2 ? kDigits[(n >> 6) & 0x3F] : '=';
    out += '=';
  }
  return out;
}

std::string jsonPathField(const std::string &name) {
  if (validUtf8(name))
    return "\"path\":" + jsonString(name);
  return "\"path_bytes\":" + jsonString(base64(name));
}

const char *outcomeName(const job::JobReport &r) {
  const MessageId id = r.message.id;
  if (r.result == job::JobResult::Stop && id == MessageId::Canceled)
    return "canceled";
  if (r.result != job::JobResult::Done && r.result != job::JobResult::Skipped)
    return "failed";
  if (id == MessageId::Converted)
    return r.dryRun ? "would-convert" : "converted";
  if (id == MessageId::HasCoding)
    return "detected";
  return "unchanged";
}

std::string jsonOfReport(const job::JobReport &r, const DryRunOptions &would) {
  std::string out = "{\"kind\":\"file\"," + jsonPathField(r.path);
  field(out, "pass", jsonString(passName(r.operation)));
  const bool failed =
      r.result != job::JobResult::Done && r.result != job::JobResult::Skipped;
  const MessageId id = r.message.id;
  const std::string outcome = outcomeName(r);
  field(out, "outcome", jsonString(outcome));
  if (!failed && id != MessageId::Converted && id != MessageId::HasCoding)
    field(out, "reason", jsonString(reasonName(id)));
  if (r.from != engine::CodePage::Auto)
    field(out, "from", jsonString(standardName(r.from)));
  if (r.to != engine::CodePage::Auto)
    field(out, "to", jsonString(standardName(r.to)));
  if (r.from != engine::CodePage::Auto)
    field(out, "detected", r.detected ? "true" : "false");
  if (id == MessageId::Converted && r.hits)
    field(out, "hits", std::to_string(*r.hits));
  if (id == MessageId::Converted && r.substituted > 0)
    field(out, "substitutions", std::to_string(r.substituted));
  // Also where the bytes came out as they were (identical).
  if (!failed && r.filled > 0)
    field(out, "filled", std::to_string(r.filled));
  if (failed || outcome == "canceled")
    field(out, "error", jsonString(reasonName(id)));
  if (r.repairChain &&
      (id == MessageId::Converted || id == MessageId::HasCoding)) {
    // The layers innermost first, each [written, read].
    std::string chain = "[";
    for (std::size_t i = 0; i < r.repairChain->count; ++i) {
      const engine::RepairLayer &layer = r.repairChain->layers[i];
      chain += i > 0 ? ",[" : "[";
      chain += jsonString(std::string(engine::repairPageName(layer.written)));
      chain += ',';
      chain += jsonString(std::string(engine::repairPageName(layer.read)));
      chain += ']';
    }
    std::string repair = "{\"chain\":" + chain + "]";
    if (r.linesRepaired)
      repair += ",\"lines\":" + std::to_string(*r.linesRepaired);
    // A detection notes the chain a repair would undo.
    field(out, id == MessageId::HasCoding ? "garbled" : "repair", repair + "}");
  }
  // A dry run's repair shows a piece of what it would repair.
  if (r.dryRun && id == MessageId::Converted && !r.excerptBefore.empty())
    field(out, "excerpt",
          "{\"before\":" + jsonString(r.excerptBefore) +
              ",\"after\":" + jsonString(r.excerptAfter) + "}");
  if (r.lineEnds) {
    field(out, "lineEnds", jsonString(lineEndsName(*r.lineEnds)));
    field(out, "mark", jsonString(markName(r.mark)));
  }
  if (r.toldFrom != engine::CodePage::Auto)
    field(out, "toldFrom", jsonString(standardName(r.toldFrom)));
  if (r.offset)
    field(out, "offset", std::to_string(*r.offset));
  if (r.line)
    field(out, "line", std::to_string(*r.line));
  if (r.column)
    field(out, "column", std::to_string(*r.column));
  if (r.character) {
    std::uint8_t utf8[4];
    const std::size_t length = engine::encodeUtf8(*r.character, utf8);
    field(
        out, "char",
        jsonString(std::string(reinterpret_cast<const char *>(utf8), length)));
  }
  if (r.message.systemError != 0)
    field(out, "errno", jsonString(errnoName(r.message.systemError)));
  // Names as "path" is given: in base64 under "_bytes" when not UTF-8.
  const auto name = [&](const char *key, const std::string &value) {
    if (validUtf8(value))
      field(out, key, jsonString(value));
    else
      field(out, (std::string(key) + "_bytes").c_str(),
            jsonString(base64(value)));
  };
  if (r.backup)
    name("backup", *r.backup);
  if (r.output && !failed)
    name("output", *r.output);
  // What -b and -k would do with the change a dry run found.
  if (r.dryRun && id == MessageId::Converted) {
    if (would.backup)
      field(out, "wouldKeepBackup", "true");
    if (would.keepDate)
      field(out, "wouldKeepDate", "true");
  }
  return out + "}";
}

std::string jsonOfPassedOver(const std::string &name, batch::PassedOver why,
                             job::OperationCode pass) {
  const char *reason = "";
  switch (why) {
  case batch::PassedOver::Link:
    reason = "symbolic-link";
    break;
  case batch::PassedOver::Special:
    reason = "not-regular";
    break;
  case batch::PassedOver::Hidden:
    reason = "hidden";
    break;
  case batch::PassedOver::Backup:
    reason = "backup";
    break;
  case batch::PassedOver::NamedAgain:
    reason = "named-again";
    break;
  case batch::PassedOver::OtherLink:
    reason = "hard-link";
    break;
  }
  std::string out = "{\"kind\":\"skipped\"," + jsonPathField(name);
  field(out, "pass", jsonString(passName(pass)));
  field(out, "outcome", "\"skipped\"");
  field(out, "reason", jsonString(reason));
  return out + "}";
}

std::optional<std::string>
jsonOfMessage(const std::string &name, const job::Message &message,
              std::optional<job::OperationCode> pass) {
  bool directory = false;
  switch (message.id) {
  case MessageId::DirectoryDone:
  case MessageId::DirectoryUnreadable:
  case MessageId::WalkOutOfMemory:
    directory = true;
    break;
  case MessageId::NameNotFound:
  // --output's file, begun before the run and made once it is over.
  case MessageId::OutputNotMade:
  case MessageId::OutputNotRegular:
  case MessageId::NoTempFile:
  case MessageId::WriteError:
  case MessageId::OutputChanged:
  case MessageId::OwnerNotKept:
  case MessageId::AttributesNotKept:
    break;
  default:
    return std::nullopt;
  }
  std::string out = std::string("{\"kind\":") +
                    (directory ? "\"directory\"," : "\"file\",") +
                    jsonPathField(name);
  if (pass)
    field(out, "pass", jsonString(passName(*pass)));
  if (message.id == MessageId::DirectoryDone) {
    field(out, "outcome", "\"done\"");
    return out + "}";
  }
  field(out, "outcome", "\"failed\"");
  field(out, "error", jsonString(reasonName(message.id)));
  if (message.systemError != 0)
    field(out, "errno", jsonString(errnoName(message.systemError)));
  return out + "}";
}

} // namespace snpln::cli
