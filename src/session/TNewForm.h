#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace korvex::session {

class TDM;

// A nickname of at least 4 characters from a-z, A-Z, 0-9, "_", "-", ".", without blanks around it.
bool IsValidNickname(const QByteArray& nick);

// The registration window: checks the input, sends "NewUser", stores the account and hands nickname and
// password back to the logon window, which logs on when this window closes.
class TNewForm : public QWidget {
    Q_OBJECT
public:
    explicit TNewForm(TDM& dm, QWidget* parent = nullptr);

    QLineEdit* NameEdit;
    QLineEdit* PassEdit;
    QLineEdit* Pass2Edit;
    QComboBox* CountryBox;
    QComboBox* SexBox;
    QLineEdit* AgeBox;
    QLineEdit* EmailEdit;
    QPushButton* OKBut;
    QPushButton* ExitBut;
    QLabel* TitleLabel;

    void setTitles(const QString& text);
    void OKButClick();

signals:
    void Closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    TDM& m_dm;
};

} // namespace korvex::session
