#pragma once

#include "session/MemoryTable.h"

#include <QByteArray>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace korvex::session {
class TDM;
}

namespace korvex::rooms {

// "Join chat room": a room chosen by group and name, with a password for locked rooms and an optional admin
// code.
class TEnterForm : public QWidget {
    Q_OBJECT
public:
    explicit TEnterForm(session::TDM& dm, QWidget* parent = nullptr);
    static TEnterForm* Open(session::TDM& dm);

    session::MemoryTable RoomsTable{{"Name", 250}, {"Users", 4}, {"Status", 1}, {"Lock", 1}};

    void AddGroup(const QByteArray& name, int colour);
    void AddRoom(const QByteArray& name, const QByteArray& users, const QByteArray& lock,
                 const QByteArray& status, int colour);
    // The group combo was closed on a group / the room combo on a room.
    void GroupChosen();
    void RoomChosen();
    void Ok();

    QComboBox* GroupBox = nullptr;
    QComboBox* NameBox = nullptr;
    QLineEdit* PassEdit = nullptr;
    QLineEdit* CodeEdit = nullptr;
    QCheckBox* InvBox = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    session::TDM& m_dm;
};

} // namespace korvex::rooms
