#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QSize>

namespace korvex::platform {

// Moves a window up and left so that its bottom and right edges are inside the work area (the screen without
// panels), then keeps its left and top edges at 0 or more.
QRect KeepInsideWorkArea(QRect window, const QRect& workArea);

// A window no larger than the screen; on an 800-pixel-wide screen it starts at the top left corner; then it
// is kept inside the work area.
QRect FitToScreen(QRect window, const QSize& screen, const QRect& workArea);

// Position and size from a window file of four text lines: top, left, width, height. A line that is not a
// number keeps the current value; a position beyond the screen is pulled back to 100 pixels before its edge.
// Fewer than four lines leave the window as it is.
QRect RestoreGeometryLines(QRect window, const QList<QByteArray>& lines, const QSize& screen);

// The four lines such a file holds.
QByteArray GeometryLines(const QRect& window);

} // namespace korvex::platform
