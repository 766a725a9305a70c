#include "ui/elide_text.h"

#include <algorithm>

namespace snpln::ui {

int drawnWidth(const QFontMetrics &metrics, const QString &text) {
  return metrics.size(Qt::TextSingleLine, text).width();
}

QString elideToFit(const QString &text, const QFontMetrics &metrics, int width,
                   Qt::TextElideMode mode) {
  if (drawnWidth(metrics, text) <= width)
    return text;
  for (int room = width; room > 0; --room) {
    const QString shown = metrics.elidedText(text, mode, room);
    if (drawnWidth(metrics, shown) <= width)
      return shown;
  }
  return QString();
}

QString elideKeepingFileName(const QString &text, const QFontMetrics &metrics,
                             int width) {
  if (drawnWidth(metrics, text) <= width)
    return text;
  const qsizetype slash = text.lastIndexOf(QLatin1Char('/'));
  const qsizetype backslash = text.lastIndexOf(QLatin1Char('\\'));
  const qsizetype cut = std::max(slash, backslash);
  if (cut > 0) {
    const QString tail = text.mid(cut);
    const int room = width - drawnWidth(metrics, tail);
    const QString ellipsis(QChar(0x2026));
    if (room > drawnWidth(metrics, ellipsis)) {
      const QString head =
          elideToFit(text.left(cut), metrics, room, Qt::ElideRight);
      if (!head.isEmpty() && drawnWidth(metrics, head + tail) <= width)
        return head + tail;
    }
  }
  return elideToFit(text, metrics, width, Qt::ElideMiddle);
}

} // namespace snpln::ui
