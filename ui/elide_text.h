// A line that must fit a width, shortened the way a path reads best: the
// part after the last path separator (the file name and what follows it)
// stays whole and the part before it loses its end, marked by an ellipsis,
// so "File '/home/user/a/long/way/name.txt' is choosed" becomes
// "File '/home/us…/name.txt' is choosed". A line without a separator, or
// one whose tail alone is too wide, loses its middle.
#pragma once

#include <QFontMetrics>
#include <QString>

namespace snpln::ui {

QString elideKeepingFileName(const QString &text, const QFontMetrics &metrics,
                             int width);

} // namespace snpln::ui
