#include "contacts/TBlockForm.h"

#include "contacts/BlockList.h"
#include "contacts/Contacts.h"
#include "contacts/UiHelpers.h"
#include "session/Dialogs.h"
#include "session/Skin.h"
#include "session/TDM.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvex::contacts {

TBlockForm::TBlockForm(session::TDM& dm, QWidget* owner) : QWidget(owner, Qt::Window), m_dm(dm) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Blocked Users");
    Grid = new QListWidget(this);
    RemoveButton = new QPushButton("Remove User From Block List", this);
    ExitButton = new QPushButton("Exit", this);
    connect(RemoveButton, &QPushButton::clicked, this, &TBlockForm::RemoveSelected);
    connect(ExitButton, &QPushButton::clicked, this, &QWidget::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Blocked User", this));
    layout->addWidget(Grid, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(RemoveButton);
    buttons->addWidget(ExitButton);
    layout->addLayout(buttons);
    Ui().BlockForm = this;
}

TBlockForm* TBlockForm::Open(session::TDM& dm, QWidget* owner) {
    TBlockForm* f = Ui().BlockForm;
    if (!f) f = new TBlockForm(dm, owner);
    f->Refresh();
    f->show();
    f->raise();
    return f;
}

void TBlockForm::Refresh() {
    const int row = Grid->currentRow();
    Grid->clear();
    for (const QByteArray& name : m_dm.BlockedUsers.Column("Name"))
        Grid->addItem(session::FromAnsi(name));
    if (Grid->count() > 0) Grid->setCurrentRow(std::clamp(row, 0, Grid->count() - 1));
}

void TBlockForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    session::ApplySkin(this, m_dm);
    Refresh();
}

void TBlockForm::RemoveSelected() {
    const int row = Grid->currentRow();
    const QByteArray name = row >= 0 ? session::ToAnsi(Grid->item(row)->text()) : QByteArray();
    if (name.isEmpty()) {
        session::Dialogs().Ask(session::DialogKind::Warning, "No user selected.");
        return;
    }
    AskUnblock(m_dm, name);
    Refresh();
}

} // namespace korvex::contacts
