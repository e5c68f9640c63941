#pragma once

#include <QWidget>

class QListWidget;
class QPushButton;

namespace korvex::session {
class TDM;
}

namespace korvex::contacts {

// "Blocked Users": the block list with a button that removes the selected name.
class TBlockForm : public QWidget {
    Q_OBJECT
public:
    TBlockForm(session::TDM& dm, QWidget* owner);
    static TBlockForm* Open(session::TDM& dm, QWidget* owner);
    // Re-reads the data module's table.
    void Refresh();
    void RemoveSelected();

    QListWidget* Grid;
    QPushButton* RemoveButton;
    QPushButton* ExitButton;

protected:
    void showEvent(QShowEvent* event) override;

private:
    session::TDM& m_dm;
};

} // namespace korvex::contacts
