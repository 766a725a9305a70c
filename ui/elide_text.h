// Lines that must fit a width.
//
// The width of a line is the width it is laid out in when drawn
// (QFontMetrics::size), which may exceed the sum of its advances by a pixel
// or two at some scales; every function here keeps to it.
//
// elideKeepingFileName shortens the way a path reads best: the part after
// the last path separator (the file name and what follows it) stays whole
// and the part before it loses its end, marked by an ellipsis, so
// "File '/home/user/a/long/way/name.txt' is choosed" becomes
// "File '/home/us…/name.txt' is choosed". A line without a separator, or
// one whose tail alone is too wide, loses its middle.
#pragma once

#include <QFontMetrics>
#include <QString>

namespace snpln::ui {

// The width `text` takes when drawn on one line.
int drawnWidth(const QFontMetrics &metrics, const QString &text);

// `text` whole when it fits `width`, else shortened by `mode` until it does.
QString elideToFit(const QString &text, const QFontMetrics &metrics, int width,
                   Qt::TextElideMode mode = Qt::ElideMiddle);

QString elideKeepingFileName(const QString &text, const QFontMetrics &metrics,
                             int width);

} // namespace snpln::ui
