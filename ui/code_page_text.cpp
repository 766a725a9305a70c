#include "ui/code_page_text.h"

#include <QTextBlock>
#include <QTextDocument>

#include <unordered_map>

#include "engine/utf8_codec.h"

namespace snpln::ui {

namespace {

using UpperHalf = std::array<char16_t, 128>;

// The upper halves of the pages (bytes 0x80 to 0xFF). Windows-1251 leaves
// 0x98 undefined; it stands for U+0098 there, as in ISO 8859-5.
// clang-format off
const UpperHalf kDosUpper = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, // 80
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, // 90
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, // A0
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, // B0
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, // C0
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, // D0
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, // E0
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0, // F0
};

const UpperHalf kWinUpper = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 80
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 90
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A0
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B0
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, // C0
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, // D0
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, // E0
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, // F0
};

const UpperHalf kKoiUpper = {
    0x2500, 0x2502, 0x250C, 0x2510, 0x2514, 0x2518, 0x251C, 0x2524, 0x252C, 0x2534, 0x253C, 0x2580, 0x2584, 0x2588, 0x258C, 0x2590, // 80
    0x2591, 0x2592, 0x2593, 0x2320, 0x25A0, 0x2219, 0x221A, 0x2248, 0x2264, 0x2265, 0x00A0, 0x2321, 0x00B0, 0x00B2, 0x00B7, 0x00F7, // 90
    0x2550, 0x2551, 0x2552, 0x0451, 0x2553, 0x2554, 0x2555, 0x2556, 0x2557, 0x2558, 0x2559, 0x255A, 0x255B, 0x255C, 0x255D, 0x255E, // A0
    0x255F, 0x2560, 0x2561, 0x0401, 0x2562, 0x2563, 0x2564, 0x2565, 0x2566, 0x2567, 0x2568, 0x2569, 0x256A, 0x256B, 0x256C, 0x00A9, // B0
    0x044E, 0x0430, 0x0431, 0x0446, 0x0434, 0x0435, 0x0444, 0x0433, 0x0445, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, // C0
    0x043F, 0x044F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0436, 0x0432, 0x044C, 0x044B, 0x0437, 0x0448, 0x044D, 0x0449, 0x0447, 0x044A, // D0
    0x042E, 0x0410, 0x0411, 0x0426, 0x0414, 0x0415, 0x0424, 0x0413, 0x0425, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, // E0
    0x041F, 0x042F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0416, 0x0412, 0x042C, 0x042B, 0x0417, 0x0428, 0x042D, 0x0429, 0x0427, 0x042A, // F0
};

const UpperHalf kIsoUpper = {
    0x0080, 0x0081, 0x0082, 0x0083, 0x0084, 0x0085, 0x0086, 0x0087, 0x0088, 0x0089, 0x008A, 0x008B, 0x008C, 0x008D, 0x008E, 0x008F, // 80
    0x0090, 0x0091, 0x0092, 0x0093, 0x0094, 0x0095, 0x0096, 0x0097, 0x0098, 0x0099, 0x009A, 0x009B, 0x009C, 0x009D, 0x009E, 0x009F, // 90
    0x00A0, 0x0401, 0x0402, 0x0403, 0x0404, 0x0405, 0x0406, 0x0407, 0x0408, 0x0409, 0x040A, 0x040B, 0x040C, 0x00AD, 0x040E, 0x040F, // A0
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, // B0
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, // C0
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, // D0
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, // E0
    0x2116, 0x0451, 0x0452, 0x0453, 0x0454, 0x0455, 0x0456, 0x0457, 0x0458, 0x0459, 0x045A, 0x045B, 0x045C, 0x00A7, 0x045E, 0x045F, // F0
};
// clang-format on

std::array<char16_t, 256> makeTable(const UpperHalf &upper) {
  std::array<char16_t, 256> table{};
  for (int b = 0; b < 0x80; ++b)
    table[static_cast<std::size_t>(b)] = static_cast<char16_t>(b);
  for (std::size_t i = 0; i < upper.size(); ++i)
    table[0x80 + i] = upper[i];
  return table;
}

struct PageCodec {
  std::array<char16_t, 256> toChar;
  std::unordered_map<char16_t, char> toByte;

  explicit PageCodec(const UpperHalf &upper) : toChar(makeTable(upper)) {
    for (std::size_t b = 0; b < toChar.size(); ++b)
      toByte.emplace(toChar[b], static_cast<char>(b));
  }
};

const PageCodec &codec(engine::CodePage page) {
  static const PageCodec dos(kDosUpper);
  static const PageCodec win(kWinUpper);
  static const PageCodec koi(kKoiUpper);
  static const PageCodec iso(kIsoUpper);
  switch (page) {
  case engine::CodePage::Dos:
    return dos;
  case engine::CodePage::Koi:
    return koi;
  case engine::CodePage::Iso:
    return iso;
  case engine::CodePage::Auto:
  case engine::CodePage::Win:
  case engine::CodePage::Utf8:
    break;
  }
  return win;
}

void appendDecoded(QString &out, std::string_view bytes,
                   const std::array<char16_t, 256> &table) {
  for (const char c : bytes)
    out.append(QChar(table[static_cast<unsigned char>(c)]));
}

void appendEncoded(std::string &out, const QString &text,
                   const PageCodec &page) {
  for (const QChar c : text) {
    const auto found = page.toByte.find(c.unicode());
    out.push_back(found == page.toByte.end() ? '?' : found->second);
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
    const std::size_t n = engine::writeUtf8(code, buffer);
    out.append(reinterpret_cast<const char *>(buffer), n);
  }
}

void appendDecodedIn(QString &out, std::string_view bytes,
                     engine::CodePage page) {
  if (page == engine::CodePage::Utf8)
    appendUtf8Decoded(out, bytes);
  else
    appendDecoded(out, bytes, codec(page).toChar);
}

void appendEncodedIn(std::string &out, const QString &text,
                     engine::CodePage page) {
  if (page == engine::CodePage::Utf8)
    appendUtf8Encoded(out, text);
  else
    appendEncoded(out, text, codec(page));
}

const char *lineEndBytes(int state) {
  switch (static_cast<LineEnd>(state)) {
  case LineEnd::Lf:
    return "\n";
  case LineEnd::Cr:
    return "\r";
  case LineEnd::CrLf:
    break;
  }
  return "\r\n";
}

constexpr const char *kLoading = "snplnLoadingBytes";

} // namespace

engine::CodePage previewCodePage(engine::CodePage detected) {
  return detected == engine::CodePage::Auto ? engine::CodePage::Win : detected;
}

const std::array<char16_t, 256> &codePageTable(engine::CodePage page) {
  return codec(page).toChar;
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
  std::size_t start = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c != '\r' && c != '\n')
      continue;
    appendDecodedIn(lines.text, bytes.substr(start, i - start), page);
    lines.text.append(QLatin1Char('\n'));
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
      lines.ends.push_back(LineEnd::CrLf);
      ++i;
    } else {
      lines.ends.push_back(c == '\r' ? LineEnd::Cr : LineEnd::Lf);
    }
    start = i + 1;
  }
  appendDecodedIn(lines.text, bytes.substr(start), page);
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
