#pragma once

#include "session/TDM.h"

#include <QObject>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace korvex::session {

class DesktopAlert;

// The notification-area icon with its menu ("Show", "Hide", "File Transfers...", "Exit") and the two desktop
// alerts. Without a tray on the desktop the icon stays hidden and everything else works.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(TDM& dm, QObject* parent = nullptr);
    ~TrayIcon() override;

    QSystemTrayIcon* Icon() const { return m_icon; }
    QMenu* MainPopup() const { return m_menu; }
    DesktopAlert* JvDesktopAlert1 = nullptr;
    DesktopAlert* JvDesktopAlert2 = nullptr;

    void Show1Click();
    void Hide1Click();
    void FileTransfers1Click();
    void Close1Click();
    void TrayIconOldClick();
    void SetState(TrayState state);

private:
    TDM& m_dm;
    QSystemTrayIcon* m_icon;
    QMenu* m_menu;
};

} // namespace korvex::session
