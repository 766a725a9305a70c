// Every fixed text a job shows, and the rules that join them. Texts are put
// together by plain concatenation; the pieces carry their own blanks.
#pragma once

#include <cstdint>
#include <string>

#include "engine/code_page.h"
#include "job/job_request.h"

namespace snpln::job::messages {

// Start-up ends and failures.
inline constexpr const char *kNotFound = "This file not found";
inline constexpr const char *kEnglishOnly =
    "This file consist of english symbols only";
inline constexpr const char *kHasCoding = "This file has coding ";
inline constexpr const char *kSameCoding = "This file just is in same coding";
// A file that holds a zero byte: no operation touches it.
inline constexpr const char *kNotText =
    "This file is not text: it holds a zero byte";
inline constexpr const char *kNoTempFile = "Unable to open temporary file";
// The new file could not be given the owner and group of the file (a user
// rewriting another user's file), or its mode and extended attributes.
inline constexpr const char *kOwnerNotKept =
    "Unable to keep the owner and group of this file";
inline constexpr const char *kAttributesNotKept =
    "Unable to keep the mode and attributes of this file";
// The new file could not be given the file's access and modification
// times (--keep-date).
inline constexpr const char *kDateNotKept =
    "Unable to keep the date of this file";
inline constexpr const char *kCanceled = "Operation canceled";
inline constexpr const char *kReadError = "Error reading file";
inline constexpr const char *kWriteError = "Error writing file";

// Success lines.
inline constexpr const char *kConverted = "File(s) successfully converted";
inline constexpr const char *kWithUpperCase = "with upper case";
inline constexpr const char *kWithLowerCase = "with lower case";
inline constexpr const char *kWithSmartCase = "with 'smart' case";
inline constexpr const char *kExcluded =
    "From file(s) successfully excluded given string";
inline constexpr const char *kNumberOfHits = "Number of hits: ";
inline constexpr const char *kReplaced = "and replaced with received string";
inline constexpr const char *kNrOfHits = ", Nr. of hits: ";
inline constexpr const char *kOptimized = "File(s) successfully optimized";
inline constexpr const char *kDeletedEmpty =
    "From file(s) deleted excessive empty lines,";
// The line-end pass (--line-ends).
inline constexpr const char *kWithLfEnds = "with LF line ends";
inline constexpr const char *kWithCrLfEnds = "with CR LF line ends";
inline constexpr const char *kWithCrEnds = "with CR line ends";
// The byte-order-mark pass (--bom), and the files it leaves as they are.
inline constexpr const char *kWithBomAdded = "with a byte order mark added";
inline constexpr const char *kWithBomRemoved =
    "with its byte order mark removed";
inline constexpr const char *kNotUtf8 =
    "This file is not UTF-8: its byte order mark is left as it is";
inline constexpr const char *kBomPresent =
    "This file already begins with a byte order mark";
inline constexpr const char *kBomAbsent = "This file has no byte order mark";
// A dry run's report of a file it would rewrite.
inline constexpr const char *kWouldBeConverted = "would be converted";
inline constexpr const char *kAutodetect = "with coding autodetect ";

// "Unable to open temporary file (Permission denied)": the system's reason
// in brackets, or the text alone when there is none.
std::string noTempFile(const std::string &reason);

// "Line in file is too long (greater than 30000 bytes)".
std::string lineTooLong(std::size_t limit);

// A typed text that the file's code page cannot hold: "Replacement text
// cannot be written in ''Koi8''".
std::string typedTextUnfit(engine::CodePage page);

// A recoding from UTF-8 that cannot go on, with the file offset (from 0) of
// the first byte in question: "Invalid UTF-8 at byte 120", "Character at
// byte 120 cannot be written in ''Koi8''".
std::string invalidUtf8(std::uint64_t offset);
std::string unrepresentable(std::uint64_t offset, engine::CodePage target);

// A recoding between single-byte pages that wrote a fill byte for bytes
// whose character the target lacks: "3 characters had no equivalent in the
// target page" (1 "character").
std::string noEquivalent(std::uint64_t count);

// The line-end pass's line 2: "with LF line ends", ...
const char *lineEndPiece(engine::LineEnd end);

// Characters that became their closest equivalent (--substitute): "3
// characters substituted" (1 "character").
std::string substituted(std::uint64_t count);

// The progress window's caption for an operation ("Upper case", ...).
const char *operationTitle(OperationCode operation);

// "''Dos''", "''Win1251''", "''Koi8''", "''Iso''" of the detection report.
const char *codingName(engine::CodePage page);
// "This file has coding ''Koi8''".
std::string detectionReport(engine::CodePage page);

// The two pieces of a recoding's success line: "from ''Dos'' " (or the
// autodetect piece) and " to ''Win1251''".
std::string recodeSourcePiece(engine::CodePage source, bool autoDetected);
std::string recodeTargetPiece(OperationCode operation);

} // namespace snpln::job::messages
