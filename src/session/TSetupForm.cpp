#include "session/TSetupForm.h"

#include "platform/AppPaths.h"
#include "session/Skin.h"
#include "session/TDM.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace korvex::session {

TSetupForm::TSetupForm(TDM& dm, QWidget* parent) : QWidget(parent), m_dm(dm) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Setup");
    LangBox = new QComboBox;
    cbStartWin = new QCheckBox("Start with Windows");
    SaveBut = new QPushButton("Save");
    CloseBut = new QPushButton("Close");
    auto* page = new QWidget;
    auto* title = new QLabel("General Setup");
    title->setProperty("title", true);
    auto* form = new QFormLayout;
    form->addRow("Language:", LangBox);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(title);
    pageLayout->addLayout(form);
    pageLayout->addWidget(cbStartWin);
    pageLayout->addStretch();
    auto* tabs = new QTabWidget;
    tabs->addTab(page, "General");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(SaveBut);
    buttons->addWidget(CloseBut);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(buttons);
    connect(SaveBut, &QPushButton::clicked, this, [this] { SaveButClick(); });
    connect(CloseBut, &QPushButton::clicked, this, &QWidget::close);
}

void TSetupForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void TSetupForm::FormShow() {
    ApplySkin(this, m_dm);
    LangBox->clear();
    const QDir dir(platform::AppPaths::PathIn(m_dm.AppDir, "Data/Lang"));
    for (const QString& f : dir.entryList({"*.txt", "*.TXT", "*.Txt"}, QDir::Files, QDir::Name))
        LangBox->addItem(f.section('.', 0, 0));
    LangBox->setCurrentIndex(LangBox->findText(FromAnsi(m_dm.Language), Qt::MatchFixedString));
    cbStartWin->setChecked(m_dm.StartWithWindows);
}

void TSetupForm::SaveButClick() {
    if (LangBox->currentIndex() >= 0) {
        m_dm.Language = ToAnsi(LangBox->currentText());
        m_dm.SaveFontConfig();
    }
    m_dm.StartWithWindows = cbStartWin->isChecked();
    m_dm.WriteStartOptions();
    m_dm.ReadStartOptions();
    close();
}

} // namespace korvex::session
