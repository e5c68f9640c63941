#pragma once

#include "session/MemoryTable.h"

#include <QByteArray>
#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace korvex::session {
class TDM;
}

namespace korvex::rooms {

// The room directory: groups, then the rooms of a group; joining (with a password panel for locked rooms) and
// an inline panel to create a room.
class TListForm : public QWidget {
    Q_OBJECT
public:
    explicit TListForm(session::TDM& dm, QWidget* parent = nullptr);
    ~TListForm() override;

    static TListForm* Open(session::TDM& dm);

    session::MemoryTable GroupsTable{{"Name", 250}, {"Groups", 4}, {"GroupColour", 10}, {"NoUserRooms", 1}};
    session::MemoryTable RoomsTable{
        {"Name", 250}, {"Users", 4}, {"Status", 1}, {"Lock", 1}, {"RoomColour", 10}};

    // Replies from the dispatcher.
    void AddGroup(const QByteArray& name, const QByteArray& rooms, int colour, bool noUserRooms);
    void AddRoom(const QByteArray& name, const QByteArray& users, const QByteArray& lock,
                 const QByteArray& status, int colour);
    void HideNewPanel();

    QByteArray CurrentGroup() const;
    QByteArray SelectedRoom() const;
    QByteArray NewRoomPassword() const;
    bool RoomsShown() const;

    // User actions.
    void Join();
    void PassOk();
    void Refresh();
    void BackToGroups();
    void Create();
    void NewOk();
    void SelectGroup(int row);
    void SelectRoom(int row);

    QTableWidget* GroupsGrid = nullptr;
    QTableWidget* RoomsGrid = nullptr;
    QWidget* PassPanel = nullptr;
    QLineEdit* PassEdit = nullptr;
    QWidget* NewPanel = nullptr;
    QLineEdit* NameEdit = nullptr;
    QCheckBox* LockBox = nullptr;
    QLineEdit* NewPassEdit = nullptr;
    QCheckBox* PBox = nullptr;
    QLineEdit* CodeEdit = nullptr;
    QLineEdit* BannerUrlEdit = nullptr;
    QLineEdit* BannerClickEdit = nullptr;
    QCheckBox* InvBox = nullptr;
    QPushButton* CreateButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool leaveCurrentRoomFor(const QByteArray& room, bool askEvenIfSame);
    void sendJoin(const QByteArray& password);
    QByteArray invisibleFlag() const;
    void lockChanged();

    session::TDM& m_dm;
    QByteArray m_group;
};

} // namespace korvex::rooms
