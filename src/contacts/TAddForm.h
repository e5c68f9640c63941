#pragma once

#include "net/Command.h"
#include "session/MemoryTable.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace korvex::session {
class TDM;
}

namespace korvex::contacts {

// "Find/Add user": searches the user directory and adds a match to the contact list or the block list.
class TAddForm : public QWidget {
    Q_OBJECT
public:
    explicit TAddForm(session::TDM& dm, QWidget* parent = nullptr);
    // Shows the one search window, creating it when absent.
    static TAddForm* Open(session::TDM& dm);

    void Find();
    void FindResult(const net::ParsedCommand& cmd);
    void AddToContactList();
    void BlockUser();
    QByteArray SelectedName() const;

    session::MemoryTable AddTable{{"Name", 32}, {"Country", 24}, {"Age", 2},
                                  {"Sex", 1},   {"Status", 8},   {"Room", 32}};
    QByteArray LastRoom;
    QLineEdit* NickEdit;
    QComboBox* GenderBox;
    QLineEdit* AgeFromEdit;
    QLineEdit* AgeToEdit;
    QComboBox* CountryBox;
    QTableView* Grid;
    QStandardItemModel* GridModel;
    QPushButton* FindButton;
    QPushButton* AddButton;
    QPushButton* BlockButton;
    QPushButton* ExitButton;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    session::TDM& m_dm;
};

} // namespace korvex::contacts
