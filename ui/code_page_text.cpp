#include "ui/code_page_text.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

#include "engine/code_page_chars.h"
#include "engine/line_span.h"
#include "engine/utf8_codec.h"

namespace snpln::ui {

namespace {

void appendDecoded(QString &out, std::string_view bytes,
                   const std::array<char16_t, 256> &table) {
  for (const char c : bytes)
    out.append(QChar(table[static_cast<unsigned char>(c)]));
}

void appendEncoded(std::string &out, const QString &text,
                   engine::CodePage page) {
  for (const QChar c : text) {
    const int byte = engine::byteOfChar(c.unicode(), page);
    out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
  }
}

// A byte of a UTF-8 file that starts no valid sequence is shown as a
// character of its own from the private use area, U+F780 to U+F7FF for the
// bytes 0x80 to 0xFF, and written back as that byte.
constexpr char16_t kRawByteBase = 0xF700;

void appendUtf8Decoded(QString &out, std::string_view bytes) {
  const auto *p = reinterpret_cast<const std::uint8_t *>(bytes.data());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const engine::Utf8Char c = engine::decodeUtf8(p + i, bytes.size() - i);
    if (c.status != engine::Utf8Status::Ok) {
      out.append(QChar(static_cast<char16_t>(kRawByteBase + p[i])));
      ++i;
      continue;
    }
    if (c.code > 0xFFFF) {
      const char32_t code = c.code;
      out.append(QString::fromUcs4(&code, 1));
    } else {
      out.append(QChar(static_cast<char16_t>(c.code)));
    }
    i += c.length;
  }
}

void appendUtf8Encoded(std::string &out, const QString &text) {
  std::uint8_t buffer[4];
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t u = text[i].unicode();
    char32_t code = u;
    if (u >= kRawByteBase + 0x80 && u <= kRawByteBase + 0xFF) {
      out.push_back(static_cast<char>(u - kRawByteBase));
      continue;
    }
    if (QChar::isHighSurrogate(u) && i + 1 < text.size() &&
        text[i + 1].isLowSurrogate()) {
      code = QChar::surrogateToUcs4(u, text[i + 1].unicode());
      ++i;
    } else if (QChar::isSurrogate(u)) {
      code = 0xFFFD; // half a pair: nothing UTF-8 can hold
    }
    const std::size_t n = engine::encodeUtf8(code, buffer);
    out.append(reinterpret_cast<const char *>(buffer), n);
  }
}

void appendDecodedIn(QString &out, std::string_view bytes,
                     engine::CodePage page) {
  if (page == engine::CodePage::Utf8)
    appendUtf8Decoded(out, bytes);
  else
    appendDecoded(out, bytes, engine::charsOf(page));
}

void appendEncodedIn(std::string &out, const QString &text,
                     engine::CodePage page) {
  if (page == engine::CodePage::Utf8)
    appendUtf8Encoded(out, text);
  else
    appendEncoded(out, text, page);
}

const char *lineEndBytes(int state) {
  switch (static_cast<LineEnd>(state)) {
  case LineEnd::Lf:
    return "\n";
  case LineEnd::Cr:
    return "\r";
  case LineEnd::LfCr:
    return "\n\r";
  case LineEnd::CrLf:
    break;
  }
  return "\r\n";
}

constexpr const char *kLoading = "snplnLoadingBytes";

} // namespace

const char *codePageDisplayName(engine::CodePage page) {
  switch (page) {
  case engine::CodePage::Dos:
    return "DOS (CP866)";
  case engine::CodePage::Koi:
    return "KOI8-R";
  case engine::CodePage::Iso:
    return "ISO 8859-5";
  case engine::CodePage::Mac:
    return "Mac Cyrillic";
  case engine::CodePage::KoiU:
    return "KOI8-U";
  case engine::CodePage::Cp1125:
    return "CP1125";
  case engine::CodePage::Utf8:
    return "UTF-8";
  case engine::CodePage::Utf16:
    return "UTF-16";
  case engine::CodePage::Utf16Le:
    return "UTF-16LE";
  case engine::CodePage::Utf16Be:
    return "UTF-16BE";
  case engine::CodePage::Win:
  case engine::CodePage::Auto:
    break;
  }
  return "Windows-1251";
}

engine::CodePage previewCodePage(engine::CodePage detected) {
  return detected == engine::CodePage::Auto ? engine::CodePage::Win : detected;
}

const std::array<char16_t, 256> &codePageTable(engine::CodePage page) {
  return engine::charsOf(page);
}

QString decodeBytes(std::string_view bytes, engine::CodePage page) {
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  appendDecodedIn(text, bytes, page);
  return text;
}

std::string encodeText(const QString &text, engine::CodePage page) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  appendEncodedIn(bytes, text, page);
  return bytes;
}

PreviewLines splitLines(std::string_view bytes, engine::CodePage page) {
  PreviewLines lines;
  lines.text.reserve(static_cast<qsizetype>(bytes.size()));
  const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.data());
  std::size_t start = 0;
  for (;;) {
    const engine::LineSpan line = engine::lineSpanAt(data, bytes.size(), start);
    appendDecodedIn(lines.text, bytes.substr(line.begin, line.length), page);
    if (line.endLength == 0)
      break;
    lines.text.append(QLatin1Char('\n'));
    const bool cr = data[line.begin + line.length] == engine::kCr;
    if (line.endLength == 2)
      lines.ends.push_back(cr ? LineEnd::CrLf : LineEnd::LfCr);
    else
      lines.ends.push_back(cr ? LineEnd::Cr : LineEnd::Lf);
    start = line.next();
  }
  return lines;
}

void setDocumentBytes(QTextDocument &document, std::string_view bytes,
                      engine::CodePage page) {
  const PreviewLines lines = splitLines(bytes, page);
  const bool undo = document.isUndoRedoEnabled();
  document.setUndoRedoEnabled(false);
  document.setProperty(kLoading, true);
  document.setPlainText(lines.text);
  document.setProperty(kLoading, false);
  // A break's line end lives in the block it ends (see keepLineEnds).
  QTextBlock block = document.firstBlock();
  for (const LineEnd end : lines.ends) {
    if (!block.isValid())
      break;
    if (end != LineEnd::CrLf)
      block.setUserState(static_cast<int>(end));
    block = block.next();
  }
  document.setUndoRedoEnabled(undo);
  document.setModified(false);
}

namespace {

// Where a piece may end inside a line of `length` bytes, near `room`: before
// a byte that begins a character, so that no UTF-8 sequence is cut (a
// single-byte page's line may be cut anywhere: all its bytes begin one).
std::size_t cutBefore(const std::uint8_t *line, std::size_t length,
                      std::size_t room) {
  const auto continues = [&](std::size_t at) {
    return at < length && (line[at] & 0xC0) == 0x80;
  };
  std::size_t cut = room;
  for (int back = 0; back < 3 && cut > 1 && continues(cut); ++back)
    --cut;
  if (!continues(cut))
    return cut;
  // Past a run of continuing bytes, which no character can span.
  cut = room;
  while (continues(cut))
    ++cut;
  return cut;
}

} // namespace

PieceCutter::PieceCutter(std::string_view bytes, engine::CodePage page,
                         std::size_t pieceSize)
    : bytes_(bytes), page_(page),
      pieceSize_(std::max<std::size_t>(pieceSize, 1)) {}

bool PieceCutter::next(TextPiece &piece) {
  piece = TextPiece{};
  // An empty text is one empty piece.
  if (next_ >= bytes_.size() && started_)
    return false;
  started_ = true;
  // Whole lines up to the piece's size, at least one; a longer line is
  // cut before a byte that begins a character.
  const auto *data = reinterpret_cast<const std::uint8_t *>(bytes_.data());
  const std::size_t size = bytes_.size();
  std::size_t at = next_;
  while (at < size) {
    const engine::LineSpan line = engine::lineSpanAt(data, size, at);
    const std::size_t room = pieceSize_ - (at - next_);
    if (at != next_ && line.length + line.endLength > room)
      break; // the next piece's
    std::size_t length = line.length;
    const bool cut = line.length > room;
    if (cut)
      length = page_ == engine::CodePage::Utf8
                   ? cutBefore(data + at, line.length, room)
                   : room;
    appendDecodedIn(piece.text, bytes_.substr(at, length), page_);
    if (cut || line.endLength == 0) {
      at += length;
      break;
    }
    piece.text.append(QLatin1Char('\n'));
    const bool cr = data[at + length] == engine::kCr;
    if (line.endLength == 2)
      piece.ends.push_back(cr ? LineEnd::CrLf : LineEnd::LfCr);
    else
      piece.ends.push_back(cr ? LineEnd::Cr : LineEnd::Lf);
    at = line.next();
    if (at - next_ >= pieceSize_)
      break;
  }
  next_ = at;
  piece.end = at;
  return true;
}

DocumentLoader::DocumentLoader(QTextDocument &document, std::string_view bytes,
                               engine::CodePage page, std::size_t pieceSize)
    : document_(document), cutter_(bytes, page, pieceSize),
      size_(bytes.size()) {}

DocumentLoader::~DocumentLoader() { abandon(); }

bool DocumentLoader::step() {
  if (done_)
    return false;
  TextPiece piece;
  if (!cutter_.next(piece)) {
    finish();
    return false;
  }
  return add(piece);
}

bool DocumentLoader::add(const TextPiece &piece) {
  if (done_)
    return false;
  if (!started_) {
    started_ = true;
    undo_ = document_.isUndoRedoEnabled();
    document_.setUndoRedoEnabled(false);
    document_.setProperty(kLoading, true);
    document_.setPlainText(QString());
  }
  QTextBlock block = document_.lastBlock();
  QTextCursor end(&document_);
  end.movePosition(QTextCursor::End);
  end.insertText(piece.text);
  // Each line end goes to the block it ends, from the one the piece
  // began in.
  for (const LineEnd lineEnd : piece.ends) {
    if (!block.isValid())
      break;
    if (lineEnd != LineEnd::CrLf)
      block.setUserState(static_cast<int>(lineEnd));
    block = block.next();
  }
  next_ = piece.end;
  if (next_ >= size_) {
    finish();
    return false;
  }
  return true;
}

void DocumentLoader::finish() {
  done_ = true;
  document_.setProperty(kLoading, false);
  document_.setUndoRedoEnabled(undo_);
  document_.setModified(false);
}

void DocumentLoader::abandon() {
  if (done_)
    return;
  done_ = true;
  if (!started_)
    return;
  document_.setProperty(kLoading, true);
  document_.setPlainText(QString());
  finish();
}

Utf16Form utf16FormOf(engine::CodePage page, std::string_view head) {
  Utf16Form form;
  form.order = engine::byteOrderOf(page);
  const engine::BomKind kind = engine::bomKindOf(
      reinterpret_cast<const std::uint8_t *>(head.data()), head.size());
  form.mark =
      kind == (form.order == engine::ByteOrder::Big ? engine::BomKind::Utf16Be
                                                    : engine::BomKind::Utf16Le);
  return form;
}

std::string utf16FromView(std::string_view utf8, Utf16Form form) {
  std::string out;
  out.reserve(utf8.size() * 2 + 2);
  std::uint8_t unit[4];
  if (form.mark) {
    engine::writeUnit(0xFEFF, unit, form.order);
    out.append(reinterpret_cast<const char *>(unit), 2);
  }
  const auto *p = reinterpret_cast<const std::uint8_t *>(utf8.data());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const engine::Utf8Char c = engine::decodeUtf8(p + i, utf8.size() - i);
    char32_t code = c.code;
    std::size_t length = c.length;
    if (c.status != engine::Utf8Status::Ok) {
      // A lone byte the view wrote for its private-use character.
      code = kRawByteBase + p[i];
      length = 1;
    }
    const std::size_t n = engine::writeUtf16(code, unit, form.order);
    out.append(reinterpret_cast<const char *>(unit), n);
    i += length;
  }
  return out;
}

bool utf16RoundTrips(std::string_view bytes, Utf16Form form) {
  if (bytes.size() % 2 != 0)
    return false;
  const std::string text =
      engine::utf16AsUtf8(reinterpret_cast<const std::uint8_t *>(bytes.data()),
                          bytes.size(), form.order);
  return utf16FromView(text, form) == bytes;
}

void keepLineEnds(QTextDocument &document) {
  // The text document keeps a block's data with the break at its end when
  // that break is deleted, so the line end of a deleted break goes with it.
  // A new break, though, ends the first part of the split block, which keeps
  // the old block's data: after any change that made breaks, the old line
  // end moves to the last part and the new breaks are CR LF (no state).
  // The document tells of changes only once it has a layout.
  document.documentLayout();
  QObject::connect(&document, &QTextDocument::contentsChange, &document,
                   [&document](int position, int, int added) {
                     if (document.property(kLoading).toBool())
                       return;
                     QTextBlock first = document.findBlock(position);
                     QTextBlock last = document.findBlock(position + added);
                     if (!first.isValid() || !last.isValid() || first == last)
                       return;
                     last.setUserState(first.userState());
                     first.setUserState(-1);
                   });
}

std::string documentBytes(const QTextDocument &document,
                          engine::CodePage page) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(document.characterCount()));
  for (QTextBlock block = document.firstBlock(); block.isValid();
       block = block.next()) {
    appendEncodedIn(bytes, block.text(), page);
    if (block.next().isValid())
      bytes += lineEndBytes(block.userState());
  }
  return bytes;
}

} // namespace snpln::ui
