#pragma once

#include "session/MainWindowApi.h"

#include <QWidget>

class QAction;
class QListWidget;
class QMenuBar;

namespace korvex::session {

class TDM;

// The main window used until the contact list layer registers its own: the caption, the online names and the
// "Exit" and "Setup" entries.
class MainShell : public QWidget, public MainWindowApi {
    Q_OBJECT
public:
    explicit MainShell(TDM& dm, QWidget* parent = nullptr);
    ~MainShell() override;
    QWidget* Widget() override { return this; }
    void SetAdminsPackVisible(bool visible) override;
    void AddContactNode(const QByteArray& group, const QByteArray& name, const QByteArray& contactFlag,
                        const QByteArray& colorText) override;
    void DeleteContactNode(const QByteArray& group, const QByteArray& name) override;
    void RepaintList() override;
    void DeactivateInfoPanel() override {}

    QListWidget* List;
    QAction* AdminsPack;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    TDM& m_dm;
};

} // namespace korvex::session
