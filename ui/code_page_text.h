// A file's bytes as text and back, one to one.
//
// Each of the four Cyrillic code pages gets a table of 256 characters, one
// per byte value, all different: bytes 0x00 to 0x7F are ASCII and the upper
// half is the page's own letters and signs (a byte the page leaves undefined
// stands for the C1 control of its value). Decoding and encoding with the
// same page therefore give back every byte. Characters no table holds (typed
// or pasted) are written as '?'.
//
// UTF-8 text is decoded character by character; a byte that starts no valid
// sequence becomes a character of the private use area (U+F780 to U+F7FF)
// that is written back as that byte, so an untouched file is saved byte for
// byte as it was, a byte order mark included (only a file holding those
// private characters themselves would have them written as single bytes).
//
// The preview shows line ends as line breaks of its view and keeps what each
// one was (CR LF, LF CR, lone LF or lone CR, by the engines' rule in
// engine/line_span.h) beside the break, so that saving writes back the line
// ends the file had; breaks made while editing are CR LF.
#pragma once

#include <QString>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "engine/code_page.h"
#include "engine/utf16.h"

class QTextDocument;

namespace snpln::ui {

// The page a preview shows a file in: the detected one (UTF-8 included), Win
// when detection finds no Cyrillic letter (Auto).
engine::CodePage previewCodePage(engine::CodePage detected);

// The name of a page as the windows show it: "DOS (CP866)", "Windows-1251",
// "KOI8-R", "ISO 8859-5", "UTF-8" (Auto reads as Win).
const char *codePageDisplayName(engine::CodePage page);

// The character of every byte value in `page` (Auto reads as Win).
const std::array<char16_t, 256> &codePageTable(engine::CodePage page);

QString decodeBytes(std::string_view bytes, engine::CodePage page);
std::string encodeText(const QString &text, engine::CodePage page);

// How one line of the preview ended in the file.
enum class LineEnd { CrLf = 0, Lf = 1, Cr = 2, LfCr = 3 };

// The lines of a file's bytes: `text` holds them joined by '\n', `ends` the
// line end behind each line but the last (which has none; a file that ends
// with a line end has an empty last line).
struct PreviewLines {
  QString text;
  std::vector<LineEnd> ends;
};
PreviewLines splitLines(std::string_view bytes, engine::CodePage page);

// Fills `document` with the lines and remembers each line end in the block
// it ends.
void setDocumentBytes(QTextDocument &document, std::string_view bytes,
                      engine::CodePage page);

// A piece of a file's text: whole lines (or a very long line cut between
// two characters), decoded, with the line end behind each line but the
// piece's last, which the next piece goes on from.
struct TextPiece {
  QString text; // the lines joined by '\n'; ends with '\n' when the piece
                // ends with a line end
  std::vector<LineEnd> ends;
  std::size_t end = 0; // the offset in the bytes the piece ends at
};

// Cuts bytes into TextPieces of about `pieceSize` bytes, in order. It
// touches nothing but the bytes it reads, so it may run on a thread of its
// own while they stay as they are.
class PieceCutter {
public:
  PieceCutter(std::string_view bytes, engine::CodePage page,
              std::size_t pieceSize);
  // The next piece; false once every byte is in a piece (an empty text
  // gives one empty piece).
  bool next(TextPiece &piece);
  std::size_t size() const { return bytes_.size(); }

private:
  std::string_view bytes_;
  engine::CodePage page_;
  std::size_t pieceSize_;
  std::size_t next_ = 0;
  bool started_ = false;
};

// Fills a document as setDocumentBytes does, a piece at a time, so that a
// window goes on with its events between the pieces: step() cuts and adds
// the next piece; add() adds a piece cut elsewhere (a PieceCutter of the
// same bytes on another thread), in order. The bytes must stay as they are
// until the load has finished or been abandoned. Until then the document
// is neither modified nor undoable, and edits of the user are not expected
// in it.
class DocumentLoader {
public:
  static constexpr std::size_t kDefaultPieceSize = 128u << 10;

  DocumentLoader(QTextDocument &document, std::string_view bytes,
                 engine::CodePage page,
                 std::size_t pieceSize = kDefaultPieceSize);
  // Abandons a load that has not finished.
  ~DocumentLoader();
  DocumentLoader(const DocumentLoader &) = delete;
  DocumentLoader &operator=(const DocumentLoader &) = delete;

  // Cuts and adds the next piece; true while pieces are left.
  bool step();
  // Adds the next piece; true while pieces are left after it.
  bool add(const TextPiece &piece);
  bool finished() const { return done_ && next_ >= size_; }
  // The bytes in the document so far.
  std::size_t loaded() const { return next_; }
  std::size_t size() const { return size_; }
  // Empties the document again: a load given up.
  void abandon();

private:
  void finish();

  QTextDocument &document_;
  PieceCutter cutter_;
  std::size_t size_;
  std::size_t next_ = 0;
  bool started_ = false;
  bool done_ = false;
  bool undo_ = true;
};

// A UTF-16 file in the preview: shown as its text in UTF-8 (its byte order
// mark dropped), and written back in its byte order, with the mark it had.
struct Utf16Form {
  engine::ByteOrder order = engine::ByteOrder::Little;
  bool mark = false;
};
// The form of a UTF-16 file of page Utf16Le or Utf16Be that begins with
// `head`.
Utf16Form utf16FormOf(engine::CodePage page, std::string_view head);
// The preview's UTF-8 text back in `form`: every character as it was, a
// private-use character that stands for a lone byte (U+F780 to U+F7FF, see
// above) as that character.
std::string utf16FromView(std::string_view utf8, Utf16Form form);
// Whether the UTF-16 file `bytes` comes back byte for byte from its text
// (an odd length or a lone surrogate does not).
bool utf16RoundTrips(std::string_view bytes, Utf16Form form);

// Keeps the remembered line ends with their breaks while the user edits the
// document: a deleted break takes its line end along, a new one is CR LF.
void keepLineEnds(QTextDocument &document);
// The document's text as the file's bytes: each line encoded, each break
// written as the line end it came from (CR LF for new breaks).
std::string documentBytes(const QTextDocument &document, engine::CodePage page);

} // namespace snpln::ui
