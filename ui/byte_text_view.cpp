#include "ui/byte_text_view.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <limits>
#include <utility>

#include "engine/line_span.h"
#include "ui/code_page_text.h"

namespace snpln::ui {

namespace {

constexpr std::size_t kTabColumns = 8;
constexpr int kMargin = 4; // pixels left of the first column

} // namespace

ByteTextView::ByteTextView(QWidget *parent) : QAbstractScrollArea(parent) {
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  setFocusPolicy(Qt::StrongFocus);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(true);
  lineStarts_.push_back(0);
}

void ByteTextView::setBytes(std::string bytes, engine::CodePage page) {
  bytes_ = std::move(bytes);
  page_ = page;
  lineStarts_.clear();
  lineStarts_.push_back(0);
  widest_ = 0;
  // One pass: the line starts and the width of the widest line in columns.
  std::size_t column = 0;
  const std::size_t size = bytes_.size();
  const char *buffer = bytes_.data();
  const auto *raw = reinterpret_cast<const std::uint8_t *>(buffer);
  for (std::size_t i = 0; i < size; ++i) {
    const char c = buffer[i];
    if (c == '\r' || c == '\n') {
      widest_ = std::max(widest_, column);
      column = 0;
      i += engine::lineEndLength(raw, size, i) - 1;
      lineStarts_.push_back(i + 1);
    } else if (c == '\t') {
      column += kTabColumns - column % kTabColumns;
    } else if (page_ != engine::CodePage::Utf8 || (c & 0xC0) != 0x80) {
      ++column; // a UTF-8 continuation byte takes no column of its own
    }
  }
  widest_ = std::max(widest_, column);
  verticalScrollBar()->setValue(0);
  horizontalScrollBar()->setValue(0);
  updateScrollBars();
  viewport()->update();
}

std::string ByteTextView::takeBytes() {
  std::string out = std::move(bytes_);
  setBytes(std::string(), page_);
  return out;
}

std::size_t ByteTextView::lineEnd(std::size_t line) const {
  if (line + 1 >= lineStarts_.size())
    return bytes_.size();
  // The line holds no CR or LF: a CR or LF two bytes before the next line
  // begins its two-byte line end.
  const std::size_t next = lineStarts_[line + 1];
  if (next >= 2 && next - 2 >= lineStarts_[line] &&
      engine::isLineEndByte(static_cast<std::uint8_t>(bytes_[next - 2])))
    return next - 2;
  return next - 1;
}

QString ByteTextView::lineText(std::size_t line) const {
  if (line >= lineStarts_.size())
    return {};
  const std::size_t begin = lineBegin(line);
  return decodeBytes(
      std::string_view(bytes_).substr(begin, lineEnd(line) - begin), page_);
}

std::size_t ByteTextView::firstVisibleLine() const {
  return static_cast<std::size_t>(std::max(0, verticalScrollBar()->value()));
}

void ByteTextView::updateScrollBars() {
  const QFontMetrics metrics(font());
  const int lineHeight = std::max(1, metrics.lineSpacing());
  const int columnWidth =
      std::max(1, metrics.horizontalAdvance(QLatin1Char('M')));
  const int rows = std::max(1, viewport()->height() / lineHeight);
  const auto lines = static_cast<long long>(lineStarts_.size());
  QScrollBar *vertical = verticalScrollBar();
  vertical->setRange(0, static_cast<int>(std::clamp<long long>(
                            lines - rows, 0, std::numeric_limits<int>::max())));
  vertical->setPageStep(rows);
  vertical->setSingleStep(1);
  const long long width =
      static_cast<long long>(widest_) * columnWidth + 2 * kMargin;
  QScrollBar *horizontal = horizontalScrollBar();
  horizontal->setRange(
      0, static_cast<int>(std::clamp<long long>(
             width - viewport()->width(), 0, std::numeric_limits<int>::max())));
  horizontal->setPageStep(viewport()->width());
  horizontal->setSingleStep(columnWidth);
}

void ByteTextView::paintEvent(QPaintEvent *) {
  QPainter painter(viewport());
  painter.setFont(font());
  painter.setPen(palette().color(QPalette::Text));
  const QFontMetrics metrics(font());
  const int lineHeight = std::max(1, metrics.lineSpacing());
  const int columnWidth =
      std::max(1, metrics.horizontalAdvance(QLatin1Char('M')));
  const int scrolled = horizontalScrollBar()->value();
  // The columns in sight, and a column either side.
  const std::size_t firstColumn =
      static_cast<std::size_t>(std::max(0, scrolled - kMargin) / columnWidth);
  const std::size_t lastColumn =
      firstColumn +
      static_cast<std::size_t>(viewport()->width() / columnWidth) + 2;
  const auto &table = codePageTable(page_);
  QString shown;
  int y = 0;
  for (std::size_t line = firstVisibleLine();
       line < lineStarts_.size() && y < viewport()->height(); ++line) {
    // Walk the line to the first column in sight, then take what is in
    // sight, TABs as blanks.
    shown.clear();
    std::size_t column = 0;
    std::size_t shownFrom = firstColumn;
    const auto take = [&](QChar c) {
      const std::size_t width =
          c == u'\t' ? kTabColumns - column % kTabColumns : 1;
      for (std::size_t k = 0; k < width; ++k, ++column)
        if (column >= firstColumn && column < lastColumn) {
          if (shown.isEmpty())
            shownFrom = column;
          shown.append(c == u'\t' ? QChar(u' ') : c);
        }
    };
    if (page_ == engine::CodePage::Utf8) {
      // Characters, not bytes: the line decoded as a whole.
      const QString text = lineText(line);
      for (qsizetype i = 0; i < text.size() && column < lastColumn; ++i)
        take(text[i]);
    } else {
      const std::size_t end = lineEnd(line);
      for (std::size_t i = lineBegin(line); i < end && column < lastColumn; ++i)
        take(QChar(table[static_cast<unsigned char>(bytes_[i])]));
    }
    if (!shown.isEmpty())
      painter.drawText(kMargin - scrolled +
                           static_cast<int>(shownFrom) * columnWidth,
                       y + metrics.ascent(), shown);
    y += lineHeight;
  }
}

void ByteTextView::resizeEvent(QResizeEvent *event) {
  QAbstractScrollArea::resizeEvent(event);
  updateScrollBars();
}

void ByteTextView::changeEvent(QEvent *event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange)
    updateScrollBars();
}

void ByteTextView::keyPressEvent(QKeyEvent *event) {
  if (event->modifiers() & Qt::ControlModifier) {
    if (event->key() == Qt::Key_Home) {
      verticalScrollBar()->setValue(verticalScrollBar()->minimum());
      horizontalScrollBar()->setValue(0);
      return;
    }
    if (event->key() == Qt::Key_End) {
      verticalScrollBar()->setValue(verticalScrollBar()->maximum());
      return;
    }
  }
  if (event->key() == Qt::Key_Home) {
    horizontalScrollBar()->setValue(0);
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

} // namespace snpln::ui
