#include "session/TResForm.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

namespace korvex::session {

TResForm* ResForm = nullptr;

QPixmap TResForm::DrawStatusDot(const QColor& color, int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(size * 0.35, size * 0.35, size * 0.6);
    g.setColorAt(0, color.lighter(170));
    g.setColorAt(1, color.darker(120));
    p.setBrush(g);
    p.setPen(QPen(color.darker(180), 1));
    p.drawEllipse(QRectF(1, 1, size - 2, size - 2));
    // A "K" mark so the tray icon is ours and not a plain dot.
    p.setPen(QPen(Qt::white, size / 10.0 + 0.5));
    p.drawLine(QPointF(size * 0.38, size * 0.28), QPointF(size * 0.38, size * 0.72));
    p.drawLine(QPointF(size * 0.66, size * 0.28), QPointF(size * 0.40, size * 0.50));
    p.drawLine(QPointF(size * 0.45, size * 0.46), QPointF(size * 0.66, size * 0.72));
    return pm;
}

QPixmap TResForm::DrawMic(bool enabled, int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor c = enabled ? QColor(20, 20, 20) : QColor(150, 150, 150);
    p.setPen(QPen(c, 1.2));
    p.setBrush(c);
    p.drawRoundedRect(QRectF(size * 0.35, size * 0.08, size * 0.3, size * 0.5), size * 0.15, size * 0.15);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(size * 0.22, size * 0.25, size * 0.56, size * 0.5), 180 * 16, 180 * 16);
    p.drawLine(QPointF(size * 0.5, size * 0.75), QPointF(size * 0.5, size * 0.92));
    if (!enabled) {
        p.setPen(QPen(QColor(200, 0, 0), 1.6));
        p.drawLine(QPointF(size * 0.15, size * 0.9), QPointF(size * 0.85, size * 0.1));
    }
    return pm;
}

TResForm::TResForm(QWidget* parent) : QWidget(parent) {
    auto icon = [](const QColor& c) {
        QIcon i;
        for (int s : {16, 22, 32, 48})
            i.addPixmap(DrawStatusDot(c, s));
        return i;
    };
    OnImage = icon(QColor(30, 160, 60));
    ConImage = icon(QColor(230, 170, 20));
    OffImage = icon(QColor(130, 130, 130));
    OnLineImg = DrawStatusDot(QColor(30, 160, 60));
    OffLineImg = DrawStatusDot(QColor(160, 40, 40));
    MicImg = DrawMic(true);
    MicDisImg = DrawMic(false);
    QGuiApplication::setApplicationDisplayName("Korvex v3.26");
    QGuiApplication::setWindowIcon(OnImage);
    if (!ResForm) ResForm = this;
}

} // namespace korvex::session
