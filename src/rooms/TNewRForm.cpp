#include "rooms/TNewRForm.h"

#include "net/Command.h"
#include "net/TBBClient.h"
#include "rooms/ColourItems.h"
#include "rooms/Rooms.h"
#include "rooms/TListForm.h"
#include "session/Dialogs.h"
#include "session/TDM.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace korvex::rooms {

using session::FromAnsi;
using session::ToAnsi;

TNewRForm::TNewRForm(session::TDM& dm, QWidget* parent) : QWidget(parent, Qt::Window), m_dm(dm) {
    setWindowTitle("Create new room");
    setAttribute(Qt::WA_DeleteOnClose);
    auto* form = new QFormLayout(this);
    GroupBox = new QComboBox(this);
    GroupBox->setItemDelegate(new ColourItemDelegate(GroupBox));
    form->addRow("Group:", GroupBox);
    NameEdit = new QLineEdit(this);
    form->addRow("Room Name:", NameEdit);
    LockBox = new QCheckBox("Locked", this);
    form->addRow(LockBox);
    PassEdit = new QLineEdit(this);
    form->addRow("Password:", PassEdit);
    PBox = new QCheckBox("Permanent Room", this);
    form->addRow(PBox);
    CodeEdit = new QLineEdit(this);
    form->addRow("Admin Code:", CodeEdit);
    edBannerURL = new QLineEdit(this);
    form->addRow("Banner Image URL:", edBannerURL);
    edBannerClickURL = new QLineEdit(this);
    form->addRow("Banner Click URL:", edBannerClickURL);
    auto* ok = new QPushButton("OK", this);
    auto* close = new QPushButton("Close", this);
    form->addRow(ok, close);
    connect(ok, &QPushButton::clicked, this, &TNewRForm::Ok);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(LockBox, &QCheckBox::toggled, this, &TNewRForm::lockChanged);
    connect(GroupBox, qOverload<int>(&QComboBox::activated), NameEdit, [this] { NameEdit->setFocus(); });
    for (QWidget* w : std::initializer_list<QWidget*>{GroupBox, NameEdit, LockBox, PassEdit, PBox, CodeEdit,
                                                      edBannerURL, edBannerClickURL})
        w->setEnabled(false);
}

TNewRForm* TNewRForm::Open(session::TDM& dm) {
    if (Ui().ListForm) Ui().ListForm->close();
    if (!Ui().NewRForm) Ui().NewRForm = new TNewRForm(dm);
    Ui().NewRForm->show();
    return Ui().NewRForm;
}

void TNewRForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    PBox->setVisible(m_dm.UserType == "3");
    const bool paid = m_dm.UserType == "1" || m_dm.UserType == "2" || m_dm.UserType == "3";
    edBannerURL->setEnabled(paid);
    edBannerClickURL->setEnabled(paid);
    m_dm.SendCmd("GetGroups", {m_dm.OwnNick});
}

void TNewRForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Ok();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TNewRForm::AddGroup(const QByteArray& name, int colour) {
    if (GroupBox->count() == 0) {
        for (QWidget* w : std::initializer_list<QWidget*>{GroupBox, NameEdit, LockBox, CodeEdit, PBox})
            w->setEnabled(true);
    }
    if (GroupBox->findText(FromAnsi(name), Qt::MatchExactly) >= 0) return;
    GroupBox->addItem(FromAnsi(name));
    GroupBox->setItemData(GroupBox->count() - 1, quint32(colour), ColourRole);
}

QByteArray TNewRForm::SelectedGroup() const {
    return ToAnsi(GroupBox->currentText());
}

QByteArray TNewRForm::Password() const {
    return LockBox->isChecked() ? ToAnsi(PassEdit->text()) : QByteArray();
}

void TNewRForm::lockChanged() {
    PassEdit->setEnabled(LockBox->isChecked());
    PassEdit->setStyleSheet(LockBox->isChecked() ? QString() : QStringLiteral("background: #C0C0C0"));
    if (LockBox->isChecked()) PassEdit->setFocus();
}

void TNewRForm::Ok() {
    const QByteArray name = ToAnsi(NameEdit->text());
    if (name.isEmpty()) return session::ShowMessage(session::DialogKind::Information, session::LangText(36));
    if (SelectedGroup().isEmpty())
        return session::ShowMessage(session::DialogKind::Information, session::LangText(35));
    if (LockBox->isChecked() && PassEdit->text().isEmpty())
        return session::ShowMessage(session::DialogKind::Information, session::LangText(34));
    if (!m_dm.MainClient || !m_dm.MainClient->Active()) return;
    m_dm.SendCmd("NewRoom", {SelectedGroup(), name, Password(), m_dm.OwnNick, PBox->isChecked() ? "1" : "0",
                             ToAnsi(CodeEdit->text())});
    const QByteArray banner = ToAnsi(edBannerURL->text());
    if (!banner.isEmpty())
        m_dm.SendCmd(
            "SetRoomBanner",
            {name, net::EscapeField(banner), net::EscapeField(ToAnsi(edBannerClickURL->text())), {}});
}

} // namespace korvex::rooms
