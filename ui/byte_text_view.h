// A read-only view of a file's bytes as lines of text, built for size: it
// keeps the bytes and the start of each line, and decodes and draws only
// the lines and columns in sight, so a view of tens of megabytes opens at
// once and costs little more memory than the bytes themselves.
//
// Lines end as the engines and the preview's editor cut them (CR LF, LF
// CR, a lone CR or a lone LF: engine/line_span.h);
// the text is drawn in a fixed-pitch font, one column per byte, TABs to the
// next multiple of eight columns. The scroll bars, the arrow and page keys
// and Ctrl+Home/Ctrl+End move through it.
#pragma once

#include <QAbstractScrollArea>

#include <cstddef>
#include <string>
#include <vector>

#include "engine/code_page.h"

namespace snpln::ui {

class ByteTextView : public QAbstractScrollArea {
  Q_OBJECT

public:
  explicit ByteTextView(QWidget *parent = nullptr);

  // Shows `bytes` in `page`; the view keeps them.
  void setBytes(std::string bytes, engine::CodePage page);
  // Gives the bytes back and empties the view.
  std::string takeBytes();
  const std::string &bytes() const { return bytes_; }

  std::size_t lineCount() const { return lineStarts_.size(); }
  // Line `line` decoded, TABs kept.
  QString lineText(std::size_t line) const;
  // The widest line in columns.
  std::size_t widestLine() const { return widest_; }
  // The first line in sight.
  std::size_t firstVisibleLine() const;

protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void changeEvent(QEvent *event) override;

private:
  void updateScrollBars();
  // [begin, end) of line `line` in the bytes, without its line end.
  std::size_t lineBegin(std::size_t line) const { return lineStarts_[line]; }
  std::size_t lineEnd(std::size_t line) const;

  std::string bytes_;
  std::vector<std::size_t> lineStarts_;
  std::size_t widest_ = 0;
  engine::CodePage page_ = engine::CodePage::Win;
};

} // namespace snpln::ui
