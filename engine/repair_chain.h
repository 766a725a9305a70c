// Chains of wrong readings, and undoing them.
//
// Garbled text is text that was written in one page (W), read as another
// (R), and the characters of that reading saved as UTF-8; maybe more than
// once. A layer is one (W, R). Undoing a layer takes the characters as they
// stand, writes each as its byte in R (a character R lacks cannot be
// undone), and reads those bytes as W: in W's single-byte table, or as
// UTF-8. The repair undoes up to kMaxRepairLayers layers, every one but the
// first (innermost) written in UTF-8.
//
// A byte R leaves undefined (Windows-1251 0x98; Windows-1252 81 8D 8F 90
// 9D) showed as U+0080 + its value, which undoes exactly, or as `?`, or
// not at all. Reading as UTF-8 then meets a sequence cut short: a lead
// byte followed by `?` (which stood for the lost byte) or by a byte that is
// no continuation (the lost byte vanished), or the end. The lost byte is
// mended as one of R's undefined bytes that completes the sequence to a
// Cyrillic letter or general punctuation (nothing else is): D0 and
// 0x98 of Windows-1251 are И; after Windows-1252, D0 stands for Ё, А or Н
// and D1 for с, э or я, and which one the word decides (the common word,
// the word the dictionary knows, the likelier letters).
//
// `storedAsRead`: the last reading was saved in R itself, not as UTF-8, so
// the file's bytes are already R's bytes (UTF-8 with the lost bytes gone
// or `?`, which is almost UTF-8): undoing begins by reading them as UTF-8.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/code_page.h"
#include "engine/code_page_chars.h"
#include "platform/file_system.h"

namespace snpln::engine {

// The pages of a chain: those a text is written in (UTF-8 and the five
// single-byte pages Windows-1251, KOI8-R, CP866, ISO 8859-5 and Mac
// Cyrillic) and those it is read as (also Windows-1252 and Latin-1, which
// are tables of the repair only, not pages a file is in).
enum class RepairPage : std::uint8_t {
  Utf8,
  Win,
  Koi,
  Dos,
  Iso,
  Win1252,
  Latin1,
  Mac,
};

inline constexpr std::size_t kMaxRepairLayers = 3;

struct RepairLayer {
  RepairPage written = RepairPage::Utf8;
  RepairPage read = RepairPage::Win;
  bool operator==(const RepairLayer &) const = default;
};

struct RepairChain {
  // In the order the readings happened: layers[0] is the first wrong
  // reading, layers[count - 1] the last. Undoing goes from the last.
  std::array<RepairLayer, kMaxRepairLayers> layers{};
  std::uint8_t count = 0;
  bool storedAsRead = false;
  bool operator==(const RepairChain &) const = default;
};

// The name of a page in a chain as the registry of character sets gives it
// ("utf-8", "windows-1251", "windows-1252", "iso-8859-1", "koi8-r",
// "ibm866", "iso-8859-5", "x-mac-cyrillic").
std::string_view repairPageName(RepairPage page);
// The single-byte page of a repair page; Auto for Utf8, Win1252, Latin1.
CodePage codePageOf(RepairPage page);
// The characters of the bytes of a page read as R (not Utf8). An
// undefined byte stands for U+0080 + its value.
const CharTable &readingChars(RepairPage page);
// The byte of each character in R; 0 where R has none (bytes below 0x80
// are themselves).
const ByteTable &readingBytes(RepairPage page);
// Whether R leaves byte b undefined.
bool isUndefinedIn(std::uint8_t b, RepairPage page);

// What undoing met that it could not undo, at `offset` (the file offset of
// the character, or byte, that could not be undone).
enum class UndoFault : std::uint8_t {
  None,
  NotInReading, // a character the reading's page lacks
  NotUtf8,      // bytes that do not read as UTF-8, nor as a lost byte
};

// One character of the output: itself, or the readings a lost byte leaves
// open (first the likeliest alone).
struct UndoSlot {
  char32_t c = 0;
  std::uint8_t open = 0; // how many readings in `choices`, 0: none
  std::array<char32_t, 5> choices{};
};

// Undoing a chain, fed the file's bytes in order in pieces of any size,
// character by character through every layer; the characters come out as
// UTF-8 into `out`, each word that holds an open reading held back until
// its end decides. The plain form: the reference of the streaming step,
// and what the decision and the line-by-line repair undo with.
class ChainUndo {
public:
  explicit ChainUndo(const RepairChain &chain);
  // Feeds `size` bytes that begin at file offset `at`. A sequence cut by
  // the end waits for the next bytes. False on a fault (fault(), and what
  // was written before it stays in `out`).
  bool feed(const std::uint8_t *bytes, std::size_t size, std::uint64_t at,
            std::string &out);
  // Nothing follows: a cut sequence is a lost byte or a fault; the held
  // word is written.
  bool finish(std::string &out);
  // Whether nothing is held back: no cut sequence, no word.
  bool idle() const;
  UndoFault fault() const { return fault_; }
  std::uint64_t faultOffset() const { return faultOffset_; }
  // Lost bytes mended so far.
  std::uint64_t mended() const { return mended_; }

private:
  struct Stage {
    RepairPage written;
    RepairPage read;
    const ByteTable *bytes = nullptr; // the reading's bytes of characters
    std::array<std::uint8_t, 4> pending{};
    std::uint8_t pendingCount = 0;
    std::uint64_t pendingAt = 0;
  };
  bool top(char32_t c, std::uint64_t at, std::string &out);
  bool charInto(std::size_t stage, const UndoSlot &slot, std::uint64_t at,
                std::string &out);
  bool byteInto(std::size_t stage, std::uint8_t b, std::uint64_t at,
                std::string &out);
  bool mendInto(std::size_t stage, bool questionMark, std::uint64_t at,
                std::string &out);
  void writeSlot(const UndoSlot &slot, std::string &out);
  void flushWord(std::string &out);
  // Writes the held word as the word after it (or the sign after it, 0
  // for the end) decides, then what followed it.
  void releaseHeld(const std::vector<char32_t> *next, char32_t sign,
                   std::string &out);
  bool fail(UndoFault fault, std::uint64_t at);

  std::array<Stage, kMaxRepairLayers> stages_{};
  std::size_t count_ = 0;
  bool storedAsRead_ = false;
  // The file's own UTF-8 sequence cut by the end of the bytes fed.
  std::array<std::uint8_t, 4> cut_{};
  std::size_t cutCount_ = 0;
  std::uint64_t cutAt_ = 0;
  // The current word, held back once it holds an open reading.
  std::vector<UndoSlot> word_;
  bool wordOpen_ = false;
  // A word whose two best readings are both common words (я or с, это or
  // сто), held with the blanks after it until the next word decides.
  bool held_ = false;
  std::vector<char32_t> heldBest_, heldOther_;
  std::string tail_;
  UndoFault fault_ = UndoFault::None;
  std::uint64_t faultOffset_ = 0;
  std::uint64_t mended_ = 0;
};

// A chain undone over a whole text: the output, or the fault.
struct UndoResult {
  std::string text;
  UndoFault fault = UndoFault::None;
  std::uint64_t faultOffset = 0;
  std::uint64_t mended = 0;
};
UndoResult undoChain(const RepairChain &chain, const std::uint8_t *bytes,
                     std::size_t size);

// Words held back longer than this are decided as they stand.
inline constexpr std::size_t kMaxHeldWord = 64;

} // namespace snpln::engine
