#include "ui/elide_text.h"

#include <algorithm>

namespace snpln::ui {

QString elideKeepingFileName(const QString &text, const QFontMetrics &metrics,
                             int width) {
  if (metrics.horizontalAdvance(text) <= width)
    return text;
  const qsizetype slash = text.lastIndexOf(QLatin1Char('/'));
  const qsizetype backslash = text.lastIndexOf(QLatin1Char('\\'));
  const qsizetype cut = std::max(slash, backslash);
  if (cut > 0) {
    const QString tail = text.mid(cut);
    const int room = width - metrics.horizontalAdvance(tail);
    const QString ellipsis(QChar(0x2026));
    if (room > metrics.horizontalAdvance(ellipsis)) {
      const QString head =
          metrics.elidedText(text.left(cut), Qt::ElideRight, room);
      if (!head.isEmpty())
        return head + tail;
    }
  }
  return metrics.elidedText(text, Qt::ElideMiddle, width);
}

} // namespace snpln::ui
