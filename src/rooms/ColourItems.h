#pragma once

#include <QStyledItemDelegate>

namespace korvex::rooms {

// Item data role holding a group's or room's colour (0x00BBGGRR, 0 = none).
inline constexpr int ColourRole = Qt::UserRole + 7;

// Names drawn in their group or room colour: a selected coloured item gets the colour as background with bold
// text in the contrasting colour; an unselected one is written in its colour, bold when it has one.
class ColourItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

} // namespace korvex::rooms
