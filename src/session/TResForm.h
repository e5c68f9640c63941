#pragma once

#include <QIcon>
#include <QPixmap>
#include <QWidget>

namespace korvex::session {

// The hidden resource window: the shared pictures, all drawn here (tray states, status, microphone glyphs).
class TResForm : public QWidget {
    Q_OBJECT
public:
    explicit TResForm(QWidget* parent = nullptr);
    QIcon OnImage, ConImage, OffImage;
    QPixmap OnLineImg, OffLineImg, MicImg, MicDisImg;
    static QPixmap DrawStatusDot(const QColor& color, int size = 16);
    static QPixmap DrawMic(bool enabled, int size = 16);
};

extern TResForm* ResForm;

} // namespace korvex::session
