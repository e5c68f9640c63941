#include "contacts/TInviteFriendForm.h"

#include "contacts/Contacts.h"
#include "net/Command.h"
#include "net/TBBClient.h"
#include "session/Dialogs.h"
#include "session/Skin.h"
#include "session/TDM.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvex::contacts {

using session::DialogKind;
using session::FromAnsi;
using session::ToAnsi;

bool IsValidEmailAddress(const QByteArray& a) {
    const qsizetype at = a.indexOf('@');
    return at >= 0 && a.indexOf('.', at) >= 0 && a.size() > 5 && !a.contains(' ') && !a.contains('\x9C');
}

TInviteFriendForm::TInviteFriendForm(session::TDM& dm, QWidget* owner)
    : QWidget(owner, Qt::Window), m_dm(dm) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Invite a Friend");
    FriendNameEdit = new QLineEdit(this);
    FriendEmailEdit = new QLineEdit(this);
    OwnNameEdit = new QLineEdit(this);
    OwnEmailEdit = new QLineEdit(this);
    SendButton = new QPushButton("Send Invitation", this);
    ExitButton = new QPushButton("Exit", this);
    connect(SendButton, &QPushButton::clicked, this, &TInviteFriendForm::SendInvitation);
    connect(ExitButton, &QPushButton::clicked, this, &QWidget::close);
    auto* form = new QFormLayout;
    form->addRow("Your Friend's Name:", FriendNameEdit);
    form->addRow("Your Friend's email address:", FriendEmailEdit);
    form->addRow("Your \"Real\" Name:", OwnNameEdit);
    form->addRow("Your email address:", OwnEmailEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(SendButton);
    buttons->addWidget(ExitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel("An invitation to join Korvex will be sent to your friend.", this));
    layout->addLayout(buttons);
    Ui().InviteForm = this;
}

TInviteFriendForm* TInviteFriendForm::Open(session::TDM& dm, QWidget* owner) {
    TInviteFriendForm* f = Ui().InviteForm;
    if (!f) f = new TInviteFriendForm(dm, owner);
    f->show();
    f->raise();
    return f;
}

void TInviteFriendForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    session::ApplySkin(this, m_dm);
    OwnEmailEdit->setText(FromAnsi(m_dm.OwnEmail));
    OwnNameEdit->setText(FromAnsi(m_dm.OwnFullName));
}

void TInviteFriendForm::SendInvitation() {
    const QByteArray friendName = ToAnsi(FriendNameEdit->text());
    const QByteArray friendEmail = ToAnsi(FriendEmailEdit->text());
    const QByteArray ownName = ToAnsi(OwnNameEdit->text());
    const QByteArray ownEmail = ToAnsi(OwnEmailEdit->text());
    auto fail = [](QLineEdit* edit, const QString& text) {
        session::Dialogs().Ask(DialogKind::Warning, text);
        edit->setFocus();
    };
    if (friendName.trimmed().isEmpty() || friendName.contains('\x9C'))
        return fail(FriendNameEdit, "Please enter a valid name.");
    if (!IsValidEmailAddress(friendEmail)) return fail(FriendEmailEdit, "Please enter a valid email address");
    if (ownName.trimmed().isEmpty() || ownName.contains('\x9C'))
        return fail(OwnNameEdit, "Please enter a valid \"Real\" name");
    if (!IsValidEmailAddress(ownEmail)) return fail(OwnEmailEdit, "Please enter a valid email address");
    const QString question = "An invitation to join Korvex will be sent to your friend \"" +
                             FromAnsi(friendName) + "\" at address \"" + FromAnsi(friendEmail) +
                             "\".\r\rContinue?";
    if (!session::Dialogs().Ask(DialogKind::Confirmation, question)) return;
    // A closed connection would swallow the command silently; the thank-you would then be a lie.
    if (!m_dm.MainClient || !m_dm.MainClient->Active()) {
        session::Dialogs().Ask(DialogKind::Warning,
                               "The invitation could not be sent: there is no connection to the server.");
        return;
    }
    m_dm.SendCmd("InviteAFriend", {m_dm.OwnNick, net::EscapeField(friendName), net::EscapeField(friendEmail),
                                   net::EscapeField(ownName), net::EscapeField(ownEmail)});
    m_dm.OwnEmail = ownEmail;
    m_dm.OwnFullName = ownName;
    session::Dialogs().Ask(DialogKind::Information, "An invitation will be sent to your friend. Thank you.");
    FriendNameEdit->clear();
    FriendEmailEdit->clear();
    FriendNameEdit->setFocus();
    hide();
}

} // namespace korvex::contacts
