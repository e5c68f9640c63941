#include "session/TrayIcon.h"

#include "session/DesktopAlert.h"
#include "session/Dialogs.h"
#include "session/TFirstForm.h"
#include "session/TResForm.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

namespace korvex::session {

TrayIcon::TrayIcon(TDM& dm, QObject* parent) : QObject(parent), m_dm(dm) {
    m_menu = new QMenu;
    connect(m_menu->addAction("Show"), &QAction::triggered, this, [this] { Show1Click(); });
    connect(m_menu->addAction("Hide"), &QAction::triggered, this, [this] { Hide1Click(); });
    connect(m_menu->addAction("File Transfers..."), &QAction::triggered, this,
            [this] { FileTransfers1Click(); });
    m_menu->addSeparator();
    connect(m_menu->addAction("Exit"), &QAction::triggered, this, [this] { Close1Click(); });
    m_icon = new QSystemTrayIcon(this);
    m_icon->setContextMenu(m_menu);
    m_icon->setToolTip("Korvex " + FromAnsi(dm.ClientVersion));
    SetState(dm.Tray);
    connect(&dm, &TDM::TrayStateChanged, this, &TrayIcon::SetState);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::DoubleClick || r == QSystemTrayIcon::Trigger) TrayIconOldClick();
    });
    if (QSystemTrayIcon::isSystemTrayAvailable()) m_icon->show();

    JvDesktopAlert1 = new DesktopAlert("Korvex", 15000);
    JvDesktopAlert2 = new DesktopAlert("Korvex", 10000);
    connect(&dm, &TDM::AlertRequested, this, [this](int which, const QString& text) {
        (which == 1 ? JvDesktopAlert1 : JvDesktopAlert2)->Execute(text);
    });
    connect(JvDesktopAlert2, &DesktopAlert::Clicked, this, [this] { Show1Click(); });
}

TrayIcon::~TrayIcon() {
    delete JvDesktopAlert1;
    delete JvDesktopAlert2;
    delete m_menu;
}

void TrayIcon::SetState(TrayState state) {
    if (!ResForm) return;
    m_icon->setIcon(state == TrayState::On           ? ResForm->OnImage
                    : state == TrayState::Connecting ? ResForm->ConImage
                                                     : ResForm->OffImage);
}

void TrayIcon::Show1Click() {
    if (m_dm.MainForm) {
        QWidget* w = m_dm.MainForm->Widget();
        w->showNormal();
        w->raise();
        w->activateWindow();
    }
    if (m_dm.FirstForm) m_dm.FirstForm->show();
}

void TrayIcon::TrayIconOldClick() {
    if (m_dm.MainForm) {
        QWidget* w = m_dm.MainForm->Widget();
        w->showNormal();
        w->raise();
        w->activateWindow();
    }
    if (m_dm.FirstForm && m_dm.FirstForm->isVisible()) {
        m_dm.FirstForm->raise();
        m_dm.FirstForm->activateWindow();
    }
}

void TrayIcon::Hide1Click() {
    if (m_dm.MainForm) m_dm.MainForm->Widget()->hide();
    if (m_dm.FirstForm) m_dm.FirstForm->hide();
    if (m_dm.ShowFileTransfers) m_dm.ShowFileTransfers(false);
}

void TrayIcon::FileTransfers1Click() {
    if (!m_dm.FirstForm && m_dm.ShowFileTransfers) m_dm.ShowFileTransfers(true);
}

void TrayIcon::Close1Click() {
    TDM* dm = &m_dm;
    ShowMessage(DialogKind::Confirmation, "Are you sure you want to exit?", [dm](bool yes) {
        if (yes) dm->Quit();
    });
}

} // namespace korvex::session
