#include "session/TResForm.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <algorithm>
#include <cmath>

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

qreal TResForm::ScreenPixelRatio() {
    qreal ratio = 1.0;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        for (const QScreen* screen : QGuiApplication::screens())
            ratio = std::max(ratio, screen->devicePixelRatio());
    return ratio;
}

namespace {

const QColor strikeRed(210, 0, 0);

// A red bar from the lower left to the upper right: "not allowed".
void strike(QPainter& p, const QRectF& box) {
    p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(box.bottomLeft(), box.topRight());
    p.setPen(QPen(strikeRed, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(box.bottomLeft(), box.topRight());
}

// Speech bubble with two text lines, within columns 0 to 8.
void drawBubble(QPainter& p, bool allowed) {
    const QColor fill = allowed ? QColor(255, 255, 255) : QColor(225, 225, 225);
    const QColor ink = allowed ? QColor(0, 90, 170) : QColor(120, 120, 120);
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(0.5, 2.5, 8, 8), 2, 2);
    QPainterPath tail;
    tail.moveTo(1.5, 10);
    tail.lineTo(1.5, 13.5);
    tail.lineTo(5, 10);
    tail.closeSubpath();
    p.setPen(QPen(ink, 1));
    p.setBrush(fill);
    p.drawPath(bubble.united(tail));
    p.setPen(QPen(ink, 1));
    p.drawLine(QPointF(2.5, 5.5), QPointF(6.5, 5.5));
    p.drawLine(QPointF(2.5, 7.5), QPointF(5.5, 7.5));
}

void drawCamera(QPainter& p, bool allowed) {
    const QColor body = allowed ? QColor(40, 60, 110) : QColor(110, 110, 110);
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawRoundedRect(QRectF(1, 5, 10, 7), 1.5, 1.5);
    QPainterPath lens;
    lens.moveTo(11, 8.5);
    lens.lineTo(15, 5.5);
    lens.lineTo(15, 11.5);
    lens.closeSubpath();
    p.drawPath(lens);
    p.setBrush(allowed ? QColor(120, 200, 255) : QColor(200, 200, 200));
    p.drawEllipse(QPointF(4.5, 8.5), 1.6, 1.6);
    p.setBrush(allowed ? QColor(230, 40, 40) : QColor(160, 160, 160));
    p.drawEllipse(QPointF(9, 6.8), 0.8, 0.8);
}

// Microphone head, cradle and foot, centred on column 7.5.
void drawMicrophone(QPainter& p, const QColor& head, const QColor& stand, qreal centre = 7.5) {
    p.setPen(Qt::NoPen);
    p.setBrush(head);
    p.drawRoundedRect(QRectF(centre - 2.5, 1, 5, 8.5), 2.5, 2.5);
    p.setPen(QPen(stand, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(centre - 4.5, 3.5, 9, 8.5), 180 * 16, 180 * 16);
    p.drawLine(QPointF(centre, 12), QPointF(centre, 14.5));
    p.drawLine(QPointF(centre - 3, 14.5), QPointF(centre + 3, 14.5));
}

void drawHand(QPainter& p) {
    const QColor skin(250, 205, 150);
    const QColor outline(150, 90, 40);
    // Four raised fingers, the thumb and the palm, united into one outline; thin lines part the fingers.
    const qreal tops[] = {2.5, 0.5, 1.0, 2.5};
    QPainterPath hand;
    for (int i = 0; i < 4; ++i)
        hand.addRoundedRect(QRectF(4.5 + i * 2.5, tops[i], 2.5, 10 - tops[i]), 1.25, 1.25);
    QPainterPath thumb;
    thumb.moveTo(5, 9.5);
    thumb.lineTo(2.2, 6.6);
    thumb.quadTo(0.6, 6.4, 1.2, 8.2);
    thumb.lineTo(4.6, 13);
    thumb.closeSubpath();
    hand.addPath(thumb);
    hand.addRoundedRect(QRectF(4.5, 7, 10, 8.5), 3, 3);
    p.setPen(QPen(outline, 1));
    p.setBrush(skin);
    p.drawPath(hand.simplified());
    p.setPen(QPen(outline, 0.8));
    for (int i = 1; i < 4; ++i)
        p.drawLine(QPointF(4.5 + i * 2.5, std::max(tops[i - 1], tops[i]) + 1.5), QPointF(4.5 + i * 2.5, 8.5));
}

} // namespace

QPixmap TResForm::DrawRoomIcon(RoomIcon which, qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const int side = int(std::ceil(16 * ratio));
    QPixmap pm(side, side);
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (which) {
    case RoomIcon::TextON:
        drawBubble(p, true);
        break;
    case RoomIcon::TextOff:
        drawBubble(p, false);
        strike(p, QRectF(0.5, 1.5, 8, 12));
        break;
    case RoomIcon::VideoON:
        drawCamera(p, true);
        break;
    case RoomIcon::VideoOFF:
        drawCamera(p, false);
        strike(p, QRectF(1.5, 2, 13, 12));
        break;
    case RoomIcon::VoiceON:
        drawMicrophone(p, QColor(60, 60, 60), QColor(90, 90, 90));
        break;
    case RoomIcon::Mic: {
        // Talking: a green microphone left of centre with sound waves beside it.
        drawMicrophone(p, QColor(0, 150, 40), QColor(0, 110, 30), 5.5);
        p.setPen(QPen(QColor(0, 150, 40), 1.1, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(7.5, 2.5, 4, 6), -50 * 16, 100 * 16);
        p.drawArc(QRectF(7.5, 0.5, 7.5, 10), -50 * 16, 100 * 16);
        break;
    }
    case RoomIcon::VoiceOFF:
        drawMicrophone(p, QColor(120, 120, 120), QColor(140, 140, 140));
        strike(p, QRectF(2, 1.5, 11, 13));
        break;
    case RoomIcon::HandImg:
        drawHand(p);
        break;
    }
    return pm;
}

const QPixmap& TResForm::Picture(RoomIcon which) const {
    switch (which) {
    case RoomIcon::TextON:
        return TextON;
    case RoomIcon::TextOff:
        return TextOff;
    case RoomIcon::VideoON:
        return VideoON;
    case RoomIcon::VideoOFF:
        return VideoOFF;
    case RoomIcon::VoiceON:
        return VoiceON;
    case RoomIcon::Mic:
        return Mic;
    case RoomIcon::VoiceOFF:
        return VoiceOFF;
    case RoomIcon::HandImg:
        break;
    }
    return HandImg;
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
    const qreal ratio = ScreenPixelRatio();
    TextON = DrawRoomIcon(RoomIcon::TextON, ratio);
    TextOff = DrawRoomIcon(RoomIcon::TextOff, ratio);
    VideoON = DrawRoomIcon(RoomIcon::VideoON, ratio);
    VideoOFF = DrawRoomIcon(RoomIcon::VideoOFF, ratio);
    VoiceON = DrawRoomIcon(RoomIcon::VoiceON, ratio);
    Mic = DrawRoomIcon(RoomIcon::Mic, ratio);
    VoiceOFF = DrawRoomIcon(RoomIcon::VoiceOFF, ratio);
    HandImg = DrawRoomIcon(RoomIcon::HandImg, ratio);
    QGuiApplication::setApplicationDisplayName("Korvex v3.26");
    QGuiApplication::setWindowIcon(OnImage);
    if (!ResForm) ResForm = this;
}

TResForm::~TResForm() {
    if (ResForm == this) ResForm = nullptr;
}

} // namespace korvex::session
