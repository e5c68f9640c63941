#include "session/MainShell.h"

#include "session/Dialogs.h"
#include "session/Skin.h"
#include "session/TDM.h"
#include "session/TSetupForm.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QMenuBar>
#include <QVBoxLayout>

namespace korvex::session {

MainShell::MainShell(TDM& dm, QWidget* parent) : QWidget(parent), m_dm(dm) {
    auto* bar = new QMenuBar(this);
    QMenu* file = bar->addMenu("File");
    connect(file->addAction("Setup..."), &QAction::triggered, this,
            [this] { (new TSetupForm(m_dm))->show(); });
    AdminsPack = file->addAction("Admins Pack");
    AdminsPack->setVisible(false);
    file->addSeparator();
    connect(file->addAction("Exit"), &QAction::triggered, this, [this] {
        TDM* dm = &m_dm;
        ShowMessage(DialogKind::Confirmation, "Are you sure you want to exit?", [dm](bool yes) {
            if (yes) dm->Quit();
        });
    });
    List = new QListWidget;
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(bar);
    layout->addWidget(List);
    resize(240, 420);
}

MainShell::~MainShell() {
    if (m_dm.MainForm == this) m_dm.ClearMainWindowPointer();
}

void MainShell::SetAdminsPackVisible(bool visible) {
    AdminsPack->setVisible(visible);
}

void MainShell::AddContactNode(const QByteArray& group, const QByteArray& name, const QByteArray&,
                               const QByteArray&) {
    if (group == "AIM" && List->findItems(FromAnsi(name), Qt::MatchExactly).isEmpty())
        List->addItem(FromAnsi(name));
}

void MainShell::DeleteContactNode(const QByteArray& group, const QByteArray& name) {
    if (group != "AIM") return;
    for (QListWidgetItem* item : List->findItems(FromAnsi(name), Qt::MatchExactly))
        delete item;
}

void MainShell::RepaintList() {
    List->viewport()->update();
}

void MainShell::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ApplySkin(this, m_dm);
}

void MainShell::closeEvent(QCloseEvent* event) {
    // Closing the main window hides it to the tray; "Exit" ends the program.
    event->ignore();
    hide();
}

} // namespace korvex::session
