#pragma once

#include <QStyledItemDelegate>

namespace korvex::rooms {

class RoomUserList;

// One line of the room user list: up to three state pictures of the resource window, then the coloured,
// prefixed name in bold on a transparent background.
class RoomUserDelegate : public QStyledItemDelegate {
public:
    static constexpr int LineHeight = 18;

    RoomUserDelegate(const RoomUserList* users, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const RoomUserList* m_users;
};

} // namespace korvex::rooms
