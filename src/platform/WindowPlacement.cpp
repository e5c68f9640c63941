#include "platform/WindowPlacement.h"

#include <algorithm>

namespace korvex::platform {

QRect KeepInsideWorkArea(QRect window, const QRect& workArea) {
    const int bottom = workArea.y() + workArea.height();
    const int right = workArea.x() + workArea.width();
    if (window.y() + window.height() > bottom) window.moveTop(bottom - window.height());
    if (window.x() + window.width() > right) window.moveLeft(right - window.width());
    window.moveTo(std::max(window.x(), 0), std::max(window.y(), 0));
    return window;
}

QRect FitToScreen(QRect window, const QSize& screen, const QRect& workArea) {
    window.setWidth(std::min(window.width(), screen.width()));
    window.setHeight(std::min(window.height(), screen.height()));
    if (screen.width() == 800) window.moveTo(0, 0);
    return KeepInsideWorkArea(window, workArea);
}

QRect RestoreGeometryLines(QRect window, const QList<QByteArray>& lines, const QSize& screen) {
    if (lines.size() < 4) return window;
    auto number = [&lines](int i, int fallback) {
        bool ok = false;
        const int n = lines[i].trimmed().toInt(&ok);
        return ok ? n : fallback;
    };
    int top = std::max(number(0, window.y()), 0);
    int left = std::max(number(1, window.x()), 0);
    if (top > screen.height()) top = screen.height() - 100;
    if (left > screen.width()) left = screen.width() - 100;
    const int width = number(2, window.width());
    const int height = number(3, window.height());
    return QRect(std::max(left, 0), std::max(top, 0), width > 0 ? width : window.width(),
                 height > 0 ? height : window.height());
}

QByteArray GeometryLines(const QRect& window) {
    return QByteArray::number(window.y()) + "\r\n" + QByteArray::number(window.x()) + "\r\n" +
           QByteArray::number(window.width()) + "\r\n" + QByteArray::number(window.height()) + "\r\n";
}

} // namespace korvex::platform
