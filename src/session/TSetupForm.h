#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace korvex::session {

class TDM;

// "Setup": the language and the start-with-desktop option.
class TSetupForm : public QWidget {
    Q_OBJECT
public:
    explicit TSetupForm(TDM& dm, QWidget* parent = nullptr);
    QComboBox* LangBox;
    QCheckBox* cbStartWin;
    QPushButton* SaveBut;
    QPushButton* CloseBut;
    void FormShow();
    void SaveButClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TDM& m_dm;
};

} // namespace korvex::session
