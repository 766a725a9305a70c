// Pictures of windows for the documentation and the packages.
//
// Under a window manager (the xcb platform) a picture is taken from the
// screen, so it shows the frames and title bars the manager draws; on
// platforms without one (offscreen) it is the windows' own drawing, the
// later ones laid over the first where they stand.
#pragma once

#include <QImage>

#include <vector>

class QWidget;

namespace snpln::ui {

// Whether the windows are drawn on a screen whose pictures can be taken.
bool screenShowsFrames();

// Turns the event loop until `window` is shown and, where a window manager
// frames it, framed, and then a little longer for it to paint; at most
// `timeoutMs` milliseconds. False when it was not shown in time.
bool waitUntilShown(QWidget &window, int timeoutMs = 5000);

// The picture of `windows`: the smallest rectangle of the screen that holds
// them all, frames included, or the first one with the others drawn over
// it.
QImage windowShot(const std::vector<QWidget *> &windows);

} // namespace snpln::ui
