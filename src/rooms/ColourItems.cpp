#include "rooms/ColourItems.h"

#include "rooms/RoomText.h"

#include <QPainter>

namespace korvex::rooms {

void ColourItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const quint32 colour = index.data(ColourRole).toUInt();
    const bool selected = opt.state & QStyle::State_Selected;
    QFont font = opt.font;
    font.setBold(colour != 0);
    QColor pen = opt.palette.color(QPalette::Text);
    painter->save();
    if (selected) {
        painter->fillRect(opt.rect,
                          colour != 0 ? FromWinColour(colour) : opt.palette.color(QPalette::Highlight));
        pen = colour != 0 ? ContrastTextColour(colour) : opt.palette.color(QPalette::HighlightedText);
    } else if (colour != 0) {
        pen = FromWinColour(colour);
    }
    painter->setFont(font);
    painter->setPen(pen);
    painter->drawText(opt.rect.adjusted(2, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, opt.text);
    painter->restore();
}

} // namespace korvex::rooms
