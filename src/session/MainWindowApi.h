#pragma once

#include <QByteArray>

class QWidget;

namespace korvex::session {

// What the data module asks of the main window. The contact list layer provides the real window through
// TDM::MainFormFactory; the session layer only knows this interface.
class MainWindowApi {
public:
    virtual ~MainWindowApi() = default;
    virtual QWidget* Widget() = 0;
    virtual void SetAdminsPackVisible(bool visible) = 0;
    virtual void AddContactNode(const QByteArray& group, const QByteArray& name,
                                const QByteArray& contactFlag, const QByteArray& colorText) = 0;
    virtual void DeleteContactNode(const QByteArray& group, const QByteArray& name) = 0;
    virtual void RepaintList() = 0;
    // Stops the scrolling information panel (before the program ends).
    virtual void DeactivateInfoPanel() = 0;
};

} // namespace korvex::session
