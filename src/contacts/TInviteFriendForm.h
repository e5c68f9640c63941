#pragma once

#include <QByteArray>
#include <QWidget>

class QLineEdit;
class QPushButton;

namespace korvex::session {
class TDM;
}

namespace korvex::contacts {

// The address test of the invitation: an "@", a "." at or after it, more than 5 characters, no blank, no
// 0x9C.
bool IsValidEmailAddress(const QByteArray& address);

// "Invite a Friend": asks the server to e-mail an invitation.
class TInviteFriendForm : public QWidget {
    Q_OBJECT
public:
    TInviteFriendForm(session::TDM& dm, QWidget* owner);
    static TInviteFriendForm* Open(session::TDM& dm, QWidget* owner);
    void SendInvitation();

    QLineEdit* FriendNameEdit;
    QLineEdit* FriendEmailEdit;
    QLineEdit* OwnNameEdit;
    QLineEdit* OwnEmailEdit;
    QPushButton* SendButton;
    QPushButton* ExitButton;

protected:
    void showEvent(QShowEvent* event) override;

private:
    session::TDM& m_dm;
};

} // namespace korvex::contacts
