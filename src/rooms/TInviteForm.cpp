#include "rooms/TInviteForm.h"

#include "net/TBBClient.h"
#include "platform/Timer.h"
#include "rooms/Rooms.h"
#include "rooms/TChatForm.h"
#include "session/Dialogs.h"
#include "session/TDM.h"

#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvex::rooms {

using session::FromAnsi;
using session::ToAnsi;

TInviteForm::TInviteForm(session::TDM& dm, QWidget* parent) : QWidget(parent, Qt::Window), m_dm(dm) {
    CloseTimer = new platform::Timer(1000, this);
    setWindowTitle("Invitation");
    setAttribute(Qt::WA_DeleteOnClose);
    CloseTimer->SetSingleShot(true);
    connect(CloseTimer, &platform::Timer::OnTimer, this, [this] {
        CloseTimer->SetEnabled(false);
        close();
    });

    m_sendPanel = new QWidget(this);
    auto* send = new QFormLayout(m_sendPanel);
    UserLabel = new QLabel(m_sendPanel);
    GLabel = new QLabel(m_sendPanel);
    RLabel = new QLabel(m_sendPanel);
    send->addRow("User:", UserLabel);
    send->addRow("Group:", GLabel);
    send->addRow("Room:", RLabel);
    auto* sendOk = new QPushButton("OK", m_sendPanel);
    auto* sendClose = new QPushButton("Close", m_sendPanel);
    send->addRow(sendOk, sendClose);
    connect(sendOk, &QPushButton::clicked, this, &TInviteForm::SendOk);
    connect(sendClose, &QPushButton::clicked, this, &QWidget::close);

    SKPanel4 = new QWidget(this);
    auto* recv = new QFormLayout(SKPanel4);
    recv->addRow(new QLabel("Invitation", SKPanel4));
    FromUserLabel = new QLabel(SKPanel4);
    ToGroupLabel = new QLabel(SKPanel4);
    ToRoomLabel = new QLabel(SKPanel4);
    recv->addRow("From user:", FromUserLabel);
    recv->addRow("Group:", ToGroupLabel);
    recv->addRow("Room name:", ToRoomLabel);
    PassEdit = new QLineEdit(SKPanel4);
    PassEdit->setEchoMode(QLineEdit::Password);
    recv->addRow("Password:", PassEdit);
    auto* acceptOk = new QPushButton("OK", SKPanel4);
    auto* acceptClose = new QPushButton("Close", SKPanel4);
    recv->addRow(acceptOk, acceptClose);
    connect(acceptOk, &QPushButton::clicked, this, &TInviteForm::AcceptOk);
    connect(acceptClose, &QPushButton::clicked, this, &QWidget::close);
    SKPanel4->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_sendPanel);
    layout->addWidget(SKPanel4);
}

TInviteForm* TInviteForm::OpenFor(session::TDM& dm, const QByteArray& invitee) {
    if (!Ui().InviteForm) Ui().InviteForm = new TInviteForm(dm);
    TInviteForm* f = Ui().InviteForm;
    f->m_invitee = invitee;
    f->UserLabel->setText(FromAnsi(invitee));
    f->SKPanel4->hide();
    f->m_sendPanel->show();
    f->show();
    return f;
}

void TInviteForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (TChatForm* current = TChatForm::Current(m_dm)) {
        m_group = current->Group();
        m_room = current->Room();
        GLabel->setText(FromAnsi(m_group));
        RLabel->setText(FromAnsi(m_room));
    }
}

void TInviteForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Receiving() ? AcceptOk() : SendOk();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TInviteForm::Receiving() const {
    return !SKPanel4->isHidden();
}

void TInviteForm::SendOk() {
    // Without an open room there is no group (text 35) and no room (text 36) to invite into.
    if (m_group.isEmpty())
        return session::ShowMessage(session::DialogKind::Information, session::LangText(35));
    if (m_room.isEmpty())
        return session::ShowMessage(session::DialogKind::Information, session::LangText(36));
    if (m_dm.MainClient && m_dm.MainClient->Active())
        m_dm.SendCmd("Invite", {m_invitee, m_dm.OwnNick, m_group, m_room});
    CloseTimer->SetEnabled(true);
}

void TInviteForm::ShowInvitation(const QByteArray& inviter, const QByteArray& group, const QByteArray& room,
                                 bool locked) {
    FromUserLabel->setText(FromAnsi(inviter));
    ToGroupLabel->setText(FromAnsi(group));
    ToRoomLabel->setText(FromAnsi(room));
    m_inviteGroup = group;
    m_inviteRoom = room;
    PassEdit->setVisible(locked);
    if (!locked) PassEdit->clear();
    m_sendPanel->hide();
    SKPanel4->show();
    CloseTimer->SetEnabled(false);
    if (Ui().ShowWindows) show();
}

void TInviteForm::AcceptOk() {
    bool send = true;
    if (TChatForm* current = TChatForm::Current(m_dm)) {
        send = current->Room().compare(m_inviteRoom, Qt::CaseInsensitive) != 0 &&
               session::Dialogs().Ask(session::DialogKind::Confirmation,
                                      "Are you sure you want to leave this room and join the new one?");
        if (send) current->Leave();
    }
    if (send) m_dm.SendCmd("JoinRoom", {m_dm.OwnNick, m_inviteGroup, m_inviteRoom, ToAnsi(PassEdit->text())});
    CloseTimer->SetEnabled(true);
}

} // namespace korvex::rooms
