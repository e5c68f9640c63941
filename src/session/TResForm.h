#pragma once

#include <QIcon>
#include <QPixmap>
#include <QWidget>

namespace korvex::session {

// The states a room user list line shows as small pictures.
enum class RoomIcon { TextON, TextOff, VideoON, VideoOFF, VoiceON, Mic, VoiceOFF, HandImg };

// The hidden resource window: the shared pictures, all drawn here (tray states, status, microphone glyphs,
// the room user list's state pictures).
class TResForm : public QWidget {
    Q_OBJECT
public:
    explicit TResForm(QWidget* parent = nullptr);
    ~TResForm() override;
    QIcon OnImage, ConImage, OffImage;
    QPixmap OnLineImg, OffLineImg, MicImg, MicDisImg;
    // 16 x 16 (logical pixels) each, drawn for the densest screen.
    QPixmap TextON, TextOff, VideoON, VideoOFF, VoiceON, Mic, VoiceOFF, HandImg;
    const QPixmap& Picture(RoomIcon which) const;

    static QPixmap DrawStatusDot(const QColor& color, int size = 16);
    static QPixmap DrawMic(bool enabled, int size = 16);
    // One room state picture, 16 x 16 logical pixels at the given device pixel ratio. The two text pictures
    // keep to the left 9 columns: the video picture is drawn 9 pixels further right on the same line.
    static QPixmap DrawRoomIcon(RoomIcon which, qreal devicePixelRatio = 1.0);
    // The highest device pixel ratio of the screens (1 without a GUI application).
    static qreal ScreenPixelRatio();
};

extern TResForm* ResForm;

} // namespace korvex::session
