// What the core tells its user, as data: an id per message and its typed
// arguments. The words belong to the edges (i18n/), which turn an id into
// the English text of the catalogue or its translation; nothing below them
// composes a text.
#pragma once

#include <cstdint>

#include <optional>

#include "engine/code_page.h"
#include "engine/text_position.h"

namespace snpln::job {

enum class MessageId : std::uint8_t {
  // A job's ends, under the file's name (JobReport).
  NotFound,          // the file cannot be opened (systemError)
  EnglishOnly,       // no Cyrillic letter: left as it was
  HasCoding,         // the detection report (page)
  SameCoding,        // already in the target page: left as it was
  NotText,           // a zero byte: left as it was
  NoTempFile,        // the save could not begin (systemError)
  OwnerNotKept,      // the new file could not get the owner and group
  AttributesNotKept, // nor the mode and extended attributes
  Canceled,          // the user (or a signal) cancelled
  ReadError,         // a read failed, or the file changed (systemError)
  WriteError,        // a write or the commit failed (systemError)
  LineTooLong,       // a line longer than the limit (number)
  TypedTextUnfit,    // the replacement cannot be written in page (its
                     // character that cannot)
  InvalidUtf8,       // bytes at offset (number, place) are not UTF-8
  Unrepresentable,   // the character at offset (number, place) has no byte
                     // in page
  DateNotKept,       // the new file could not get the times (systemError)
  NotUtf8,           // --bom on a file in a single-byte page: left as it was
  BomPresent,        // --bom add on a file that has one: left as it was
  BomAbsent,         // --bom remove on a file without one: left as it was
  InvalidUtf16,      // a lone surrogate at offset (number)
  OddUtf16Length,    // UTF-16 text whose last byte, at offset (number), is
                     // left over
  RecodeFirst,       // an operation on characters on a file in page (UTF-16)
  BackupNotKept,     // the original could not be kept as a backup
                     // (systemError): the file stays as it was
  // --output: the file to make appeared, or changed, while the run made
  // its content; it stays as it is.
  OutputChanged,
  // The new content took the file's place, but the directory could not be
  // flushed after it (systemError): a power cut may still undo the change.
  DirectoryNotFlushed,
  // What the operations made of the file is the file byte for byte: it is
  // left as it was, not rewritten.
  Identical,
  // A job that went through; the words come from its report (the
  // operation, its pages and counts).
  Converted,
  // The run's own, under a name or alone.
  EmptyExclude,        // an empty text to exclude, refused (two lines)
  RunCanceled,         // a prompt was cancelled
  NameNotFound,        // an entry of the list leads nowhere (systemError)
  DirectoryDone,       // a directory's tree went through
  DirectoryUnreadable, // a directory could not be opened or listed
  WalkOutOfMemory,     // a walk could not go through its tree
  // The repair's, under the file's name.
  NotGarbled,   // no chain of wrong readings found: left as it was
  NotUtf8Text,  // the text is not UTF-8, the page repaired text is in:
                // left as it was
  CannotRepair, // the text at offset (number) cannot be undone by the
                // chain found: the file is left as it was
  // The file is there but may not be read (systemError: EACCES, EPERM).
  Unreadable,
  // Another program held the file and the user skipped it: left as it was.
  HeldSkipped,
  // --output: FILE could not be begun (systemError), or its name holds
  // something other than a regular file (a FIFO, a device, a socket); the
  // run wrote nothing.
  OutputNotMade,
  OutputNotRegular,
};
// Every id, for tables and the tests that walk them.
inline constexpr int kMessageIdCount =
    static_cast<int>(MessageId::OutputNotRegular) + 1;

// A message and its arguments; each id reads only those its comment names.
struct Message {
  Message() = default;
  explicit Message(MessageId what) : id(what) {}

  MessageId id = MessageId::Canceled;
  // A byte offset, a count or a limit.
  std::uint64_t number = 0;
  engine::CodePage page = engine::CodePage::Auto;
  // The system's own number for the reason (errno); 0 when there is none.
  int systemError = 0;
  // The line and column of the byte offset, where the job could tell.
  std::optional<engine::TextPosition> place;
  // The character the failure is about, where there is one.
  std::optional<char32_t> character;

  friend bool operator==(const Message &, const Message &) = default;
};

} // namespace snpln::job
