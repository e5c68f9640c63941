#pragma once

#include <QByteArray>
#include <QWidget>

class QLabel;
class QLineEdit;

namespace korvex::platform {
class Timer;
}
namespace korvex::session {
class TDM;
}

namespace korvex::rooms {

// "Invitation": inviting a user into the own room, and accepting an invitation received from someone else.
class TInviteForm : public QWidget {
    Q_OBJECT
public:
    explicit TInviteForm(session::TDM& dm, QWidget* parent = nullptr);
    // Opens the sending side for invitee.
    static TInviteForm* OpenFor(session::TDM& dm, const QByteArray& invitee);

    void ShowInvitation(const QByteArray& inviter, const QByteArray& group, const QByteArray& room,
                        bool locked);
    void SendOk();
    void AcceptOk();
    bool Receiving() const;

    QLabel* UserLabel = nullptr;
    QLabel* GLabel = nullptr;
    QLabel* RLabel = nullptr;
    QWidget* SKPanel4 = nullptr;
    QLabel* FromUserLabel = nullptr;
    QLabel* ToGroupLabel = nullptr;
    QLabel* ToRoomLabel = nullptr;
    QLineEdit* PassEdit = nullptr;
    platform::Timer* CloseTimer = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    session::TDM& m_dm;
    QWidget* m_sendPanel = nullptr;
    QByteArray m_invitee, m_group, m_room;
    QByteArray m_inviteGroup, m_inviteRoom;
};

} // namespace korvex::rooms
