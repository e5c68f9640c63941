#include "contacts/TAddForm.h"

#include "contacts/ContactTreeModel.h"
#include "contacts/Contacts.h"
#include "contacts/UiHelpers.h"
#include "net/Envelope.h"
#include "net/Frame.h"
#include "net/TBBClient.h"
#include "session/Dialogs.h"
#include "session/Skin.h"
#include "session/TDM.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace korvex::contacts {

using session::DialogKind;
using session::FromAnsi;

TAddForm::TAddForm(session::TDM& dm, QWidget* parent) : QWidget(parent, Qt::Window), m_dm(dm) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Find/Add user");
    NickEdit = new QLineEdit(this);
    GenderBox = new QComboBox(this);
    GenderBox->addItems({" ", "Male", "Female"});
    GenderBox->setCurrentIndex(-1);
    auto* digits = new QRegularExpressionValidator(QRegularExpression("[0-9]*"), this);
    AgeFromEdit = new QLineEdit(this);
    AgeFromEdit->setValidator(digits);
    AgeToEdit = new QLineEdit(this);
    AgeToEdit->setValidator(digits);
    CountryBox = new QComboBox(this);
    GridModel = new QStandardItemModel(0, 4, this);
    GridModel->setHorizontalHeaderLabels({"Name", "Country", "Age", "Gender"});
    Grid = new QTableView(this);
    Grid->setModel(GridModel);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->verticalHeader()->hide();
    FindButton = new QPushButton("Find", this);
    AddButton = new QPushButton("Add to Contact List", this);
    BlockButton = new QPushButton("Block User", this);
    ExitButton = new QPushButton("Exit", this);
    AddButton->hide();
    BlockButton->hide();
    connect(FindButton, &QPushButton::clicked, this, &TAddForm::Find);
    connect(AddButton, &QPushButton::clicked, this, &TAddForm::AddToContactList);
    connect(BlockButton, &QPushButton::clicked, this, &TAddForm::BlockUser);
    connect(ExitButton, &QPushButton::clicked, this, &QWidget::close);

    auto* form = new QFormLayout;
    form->addRow("Nick Name:", NickEdit);
    form->addRow("Gender:", GenderBox);
    auto* ages = new QHBoxLayout;
    ages->addWidget(AgeFromEdit);
    ages->addWidget(AgeToEdit);
    form->addRow("Age:", ages);
    form->addRow("Country:", CountryBox);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {FindButton, AddButton, BlockButton, ExitButton})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(Grid, 1);
    layout->addLayout(buttons);
    Ui().AddForm = this;
}

TAddForm* TAddForm::Open(session::TDM& dm) {
    TAddForm* f = Ui().AddForm;
    if (!f) f = new TAddForm(dm);
    f->show();
    f->raise();
    f->activateWindow();
    return f;
}

void TAddForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    session::ApplySkin(this, m_dm);
    if (m_dm.CountryTable.RecordCount() > 0 && CountryBox->count() == 0) {
        for (const QByteArray& name : m_dm.CountryTable.Column("Name"))
            CountryBox->addItem(FromAnsi(name));
        CountryBox->setCurrentIndex(-1);
    }
}

void TAddForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Find();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TAddForm::Find() {
    if (!m_dm.MainClient || !m_dm.MainClient->Active()) return;
    const QByteArray nick = session::ToAnsi(NickEdit->text());
    const QByteArray gender =
        GenderBox->currentIndex() < 0 ? QByteArray() : session::ToAnsi(GenderBox->currentText());
    const QByteArray ageFrom = session::ToAnsi(AgeFromEdit->text());
    const QByteArray ageTo = session::ToAnsi(AgeToEdit->text());
    const QByteArray country =
        CountryBox->currentIndex() < 0 ? QByteArray() : session::ToAnsi(CountryBox->currentText());
    if (nick.isEmpty() && (gender.isEmpty() || gender == " ") && ageFrom.isEmpty() && ageTo.isEmpty() &&
        country.isEmpty()) {
        session::Dialogs().Ask(DialogKind::Information, session::LangText(25));
        return;
    }
    AddTable.Clear();
    GridModel->removeRows(0, GridModel->rowCount());
    FindButton->setEnabled(false);
    // The search goes out without compression and without touching the keep-alive's last-send time.
    const QByteArray text = net::MakeCommand(
        "Find", {{}, {}, {}, nick, gender.left(1), ageFrom, ageTo, CountryCode(m_dm, country)});
    m_dm.MainClient->WriteText(net::PrefixLength(net::EncodeCommandRaw(text)));
}

void TAddForm::FindResult(const net::ParsedCommand& cmd) {
    if (cmd.field(1) == "OK") {
        LastRoom = cmd.field(7);
        AddButton->show();
        BlockButton->show();
        FindButton->setEnabled(true);
        const QByteArray country = CountryName(m_dm, cmd.field(3));
        AddTable.Append({{"Name", cmd.field(2)},
                         {"Country", country},
                         {"Sex", cmd.field(4)},
                         {"Age", cmd.field(5)},
                         {"Status", cmd.field(6)},
                         {"Room", cmd.field(7)}});
        const int r = AddTable.RecordCount() - 1;
        GridModel->appendRow({new QStandardItem(FromAnsi(AddTable.ValueAt(r, "Name"))),
                              new QStandardItem(FromAnsi(AddTable.ValueAt(r, "Country"))),
                              new QStandardItem(FromAnsi(AddTable.ValueAt(r, "Age"))),
                              new QStandardItem(FromAnsi(AddTable.ValueAt(r, "Sex")))});
        if (!Grid->currentIndex().isValid()) Grid->selectRow(0);
    } else if (cmd.field(1) == "NO") {
        session::ShowMessage(DialogKind::Information, session::LangText(26));
        AddButton->hide();
        BlockButton->hide();
        FindButton->setEnabled(true);
    }
}

QByteArray TAddForm::SelectedName() const {
    const QModelIndex i = Grid->currentIndex();
    if (!i.isValid() || i.row() >= AddTable.RecordCount()) return {};
    return AddTable.ValueAt(i.row(), "Name");
}

void TAddForm::AddToContactList() {
    const QByteArray name = SelectedName();
    if (name.isEmpty()) return;
    if (m_dm.AUserTable.Find("Name", name, Qt::CaseInsensitive) >= 0 ||
        m_dm.PUserTable.Find("Name", name, Qt::CaseInsensitive) >= 0) {
        session::Dialogs().Ask(DialogKind::Information,
                               session::LangText(19) + " " + FromAnsi(name) + " " + session::LangText(20));
        return;
    }
    if (m_dm.MainClient && m_dm.MainClient->Active()) m_dm.SendCmd("AddCList", {m_dm.OwnNick, name});
}

void TAddForm::BlockUser() {
    const QByteArray name = SelectedName();
    if (name.isEmpty()) {
        session::Dialogs().Ask(DialogKind::Warning, "No user selected.");
        return;
    }
    AskBlock(m_dm, name);
}

} // namespace korvex::contacts
