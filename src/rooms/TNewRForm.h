#pragma once

#include <QByteArray>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace korvex::session {
class TDM;
}

namespace korvex::rooms {

// "Create new room": a group, a name, an optional password, permanence for administrators, an admin code and
// the banner addresses.
class TNewRForm : public QWidget {
    Q_OBJECT
public:
    explicit TNewRForm(session::TDM& dm, QWidget* parent = nullptr);
    static TNewRForm* Open(session::TDM& dm);

    void AddGroup(const QByteArray& name, int colour);
    QByteArray SelectedGroup() const;
    QByteArray Password() const;
    void Ok();

    QComboBox* GroupBox = nullptr;
    QLineEdit* NameEdit = nullptr;
    QCheckBox* LockBox = nullptr;
    QLineEdit* PassEdit = nullptr;
    QCheckBox* PBox = nullptr;
    QLineEdit* CodeEdit = nullptr;
    QLineEdit* edBannerURL = nullptr;
    QLineEdit* edBannerClickURL = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void lockChanged();
    session::TDM& m_dm;
};

} // namespace korvex::rooms
