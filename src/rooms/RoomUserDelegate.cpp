#include "rooms/RoomUserDelegate.h"

#include "rooms/RoomUserList.h"
#include "session/TDM.h"
#include "session/TResForm.h"

#include <QPainter>
#include <array>

namespace korvex::rooms {

using session::RoomIcon;

namespace {

constexpr int IconSize = 16;

// The resource window's picture, or the same picture drawn once here while no resource window exists.
const QPixmap& pictureOf(RoomIcon which) {
    if (session::ResForm) return session::ResForm->Picture(which);
    static const std::array<QPixmap, 8> own = [] {
        std::array<QPixmap, 8> pictures;
        for (size_t i = 0; i < pictures.size(); ++i)
            pictures[i] = session::TResForm::DrawRoomIcon(RoomIcon(i), session::TResForm::ScreenPixelRatio());
        return pictures;
    }();
    return own[size_t(which)];
}

} // namespace

RoomUserDelegate::RoomUserDelegate(const RoomUserList* users, QObject* parent)
    : QStyledItemDelegate(parent), m_users(users) {}

void RoomUserDelegate::paint(QPainter* p, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    if (!index.isValid() || index.row() >= m_users->Count()) return;
    const RoomUserLook look = m_users->Look(index.row());
    const QPoint origin = option.rect.topLeft();
    p->save();
    int last = 0; // left edge of the last picture drawn
    auto draw = [&](RoomIcon which, int x, int y) {
        p->drawPixmap(QRect(origin + QPoint(x, y), QSize(IconSize, IconSize)), pictureOf(which));
        last = x;
    };
    draw(look.text == TextIcon::On ? RoomIcon::TextON : RoomIcon::TextOff, 0, 2);
    int next = 9;
    if (look.video != VideoIcon::None) {
        draw(look.video == VideoIcon::Off ? RoomIcon::VideoOFF : RoomIcon::VideoON, 9, 2);
        next = 25;
    }
    switch (look.voice) {
    case VoiceIcon::Off:
        draw(RoomIcon::VoiceOFF, next, 2);
        break;
    case VoiceIcon::Mic:
        draw(RoomIcon::Mic, next, 2);
        break;
    case VoiceIcon::On:
        draw(RoomIcon::VoiceON, next, 2);
        break;
    case VoiceIcon::Hand:
        draw(RoomIcon::HandImg, next, 0);
        break;
    case VoiceIcon::None:
        break;
    }
    if (!look.caption.isEmpty()) {
        QFont font = option.font;
        font.setBold(true);
        p->setFont(font);
        p->setPen(look.colour);
        p->setBackgroundMode(Qt::TransparentMode);
        const QRect text = option.rect.adjusted(last + IconSize + 1, 0, 0, 0);
        p->drawText(text, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                    session::FromAnsi(look.caption));
    }
    p->restore();
}

QSize RoomUserDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), LineHeight);
}

} // namespace korvex::rooms
