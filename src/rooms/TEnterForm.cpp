#include "rooms/TEnterForm.h"

#include "rooms/ColourItems.h"
#include "rooms/Rooms.h"
#include "rooms/TChatForm.h"
#include "session/Dialogs.h"
#include "session/TDM.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace korvex::rooms {

using session::FromAnsi;
using session::ToAnsi;

TEnterForm::TEnterForm(session::TDM& dm, QWidget* parent) : QWidget(parent, Qt::Window), m_dm(dm) {
    setWindowTitle("Join chat room");
    setAttribute(Qt::WA_DeleteOnClose);
    auto* form = new QFormLayout(this);
    GroupBox = new QComboBox(this);
    GroupBox->setItemDelegate(new ColourItemDelegate(GroupBox));
    form->addRow("Group:", GroupBox);
    NameBox = new QComboBox(this);
    NameBox->setItemDelegate(new ColourItemDelegate(NameBox));
    form->addRow("Room Name:", NameBox);
    PassEdit = new QLineEdit(this);
    PassEdit->setEchoMode(QLineEdit::Password);
    form->addRow("Password:", PassEdit);
    CodeEdit = new QLineEdit(this);
    form->addRow("Admin Code:", CodeEdit);
    InvBox = new QCheckBox("Invisible", this);
    form->addRow(InvBox);
    auto* ok = new QPushButton("OK", this);
    auto* close = new QPushButton("Close", this);
    form->addRow(ok, close);
    connect(ok, &QPushButton::clicked, this, &TEnterForm::Ok);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(GroupBox, qOverload<int>(&QComboBox::activated), this, &TEnterForm::GroupChosen);
    connect(NameBox, qOverload<int>(&QComboBox::activated), this, &TEnterForm::RoomChosen);
    for (QWidget* w : std::initializer_list<QWidget*>{GroupBox, NameBox, PassEdit, CodeEdit})
        w->setEnabled(false);
}

TEnterForm* TEnterForm::Open(session::TDM& dm) {
    if (!Ui().EnterForm) Ui().EnterForm = new TEnterForm(dm);
    Ui().EnterForm->show();
    return Ui().EnterForm;
}

void TEnterForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    InvBox->setVisible(m_dm.UserType == "3" || m_dm.UserType == "2");
    m_dm.SendCmd("GetGroups", {m_dm.OwnNick});
}

void TEnterForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Ok();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TEnterForm::AddGroup(const QByteArray& name, int colour) {
    if (GroupBox->count() == 0) GroupBox->setEnabled(true);
    if (GroupBox->findText(FromAnsi(name), Qt::MatchExactly) >= 0) return;
    GroupBox->addItem(FromAnsi(name));
    GroupBox->setItemData(GroupBox->count() - 1, quint32(colour), ColourRole);
}

void TEnterForm::AddRoom(const QByteArray& name, const QByteArray& users, const QByteArray& lock,
                         const QByteArray& status, int colour) {
    if (RoomsTable.Find("Name", name, Qt::CaseSensitive) >= 0) return;
    if (RoomsTable.IsEmpty()) {
        NameBox->setEnabled(true);
        CodeEdit->setEnabled(true);
    }
    NameBox->addItem(FromAnsi(name));
    NameBox->setItemData(NameBox->count() - 1, quint32(colour), ColourRole);
    // Kept sorted on the user count, most first (compared as text, as the table always did).
    QList<QList<QByteArray>> rows;
    for (int r = 0; r < RoomsTable.RecordCount(); ++r)
        rows.append({RoomsTable.ValueAt(r, "Name"), RoomsTable.ValueAt(r, "Users"),
                     RoomsTable.ValueAt(r, "Status"), RoomsTable.ValueAt(r, "Lock")});
    rows.append({name, users, status, lock});
    std::stable_sort(rows.begin(), rows.end(), [](const QList<QByteArray>& a, const QList<QByteArray>& b) {
        return a[1].toLower() > b[1].toLower();
    });
    RoomsTable.Clear();
    for (const auto& row : rows)
        RoomsTable.AppendRow(row);
}

void TEnterForm::GroupChosen() {
    NameBox->clear();
    RoomsTable.Clear();
    m_dm.SendCmd("GetRooms", {ToAnsi(GroupBox->currentText())});
}

void TEnterForm::RoomChosen() {
    const int row = RoomsTable.Find("Name", ToAnsi(NameBox->currentText()), Qt::CaseSensitive);
    const bool locked = row >= 0 && RoomsTable.ValueAt(row, "Lock") == "1";
    PassEdit->setEnabled(locked);
    if (locked) {
        PassEdit->setStyleSheet({});
        PassEdit->setFocus();
    } else {
        PassEdit->clear();
        PassEdit->setStyleSheet(QStringLiteral("background: #C0C0C0"));
    }
}

void TEnterForm::Ok() {
    const QByteArray group = ToAnsi(GroupBox->currentText());
    const QByteArray room = ToAnsi(NameBox->currentText());
    const int row = RoomsTable.Find("Name", room, Qt::CaseSensitive);
    const bool locked = row >= 0 && RoomsTable.ValueAt(row, "Lock") == "1";
    if (group.isEmpty()) return session::ShowMessage(session::DialogKind::Information, session::LangText(35));
    if (room.isEmpty()) return session::ShowMessage(session::DialogKind::Information, session::LangText(36));
    const QByteArray password = locked ? ToAnsi(PassEdit->text()) : QByteArray();
    if (locked && password.isEmpty())
        return session::ShowMessage(session::DialogKind::Information, session::LangText(34));
    m_dm.RoomPassword = password;
    m_dm.RoomAdminCode = ToAnsi(CodeEdit->text());
    if (TChatForm* current = TChatForm::Current(m_dm)) {
        const bool same = current->Room().compare(room, Qt::CaseInsensitive) == 0;
        // A locked room already joined is not entered again; an open one is re-joined on Yes.
        if (locked && same) return;
        if (!session::Dialogs().Ask(session::DialogKind::Confirmation,
                                    "Are you sure you want to leave this room and join the new one?"))
            return;
        current->Leave();
    }
    m_dm.SendCmd("JoinRoom", {m_dm.OwnNick, group, room, password,
                              InvBox->isVisible() && InvBox->isChecked() ? "1" : "0", m_dm.RoomAdminCode});
}

} // namespace korvex::rooms
