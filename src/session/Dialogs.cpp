#include "session/Dialogs.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QTimer>

namespace korvex::session {

namespace {
DialogService* g_service = nullptr;
int g_frameDepth = 0;
} // namespace

bool MessageBoxDialogs::Ask(DialogKind kind, const QString& text) {
    const QString title = QCoreApplication::applicationName();
    switch (kind) {
    case DialogKind::Information:
        QMessageBox::information(nullptr, title, text);
        return true;
    case DialogKind::Warning:
        QMessageBox::warning(nullptr, title, text);
        return true;
    case DialogKind::Error:
        QMessageBox::critical(nullptr, title, text);
        return true;
    case DialogKind::Confirmation:
        return QMessageBox::question(nullptr, title, text, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    case DialogKind::InformationYesNo:
        return QMessageBox::information(nullptr, title, text, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    }
    return false;
}

bool ScriptedDialogs::Ask(DialogKind kind, const QString& text) {
    shown.append({kind, text});
    if (kind != DialogKind::Confirmation && kind != DialogKind::InformationYesNo) return true;
    return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
}

QStringList ScriptedDialogs::Texts() const {
    QStringList texts;
    for (const Shown& s : shown)
        texts << s.text;
    return texts;
}

void InstallDialogService(DialogService* service) {
    g_service = service;
}

DialogService& Dialogs() {
    static MessageBoxDialogs boxes;
    return g_service ? *g_service : boxes;
}

void ShowMessage(DialogKind kind, const QString& text, std::function<void(bool)> then) {
    auto show = [kind, text, then = std::move(then)] {
        const bool answer = Dialogs().Ask(kind, text);
        if (then) then(answer);
    };
    if (FrameScope::Active() && QCoreApplication::instance())
        QTimer::singleShot(0, QCoreApplication::instance(), show);
    else
        show();
}

FrameScope::FrameScope() {
    ++g_frameDepth;
}
FrameScope::~FrameScope() {
    --g_frameDepth;
}
bool FrameScope::Active() {
    return g_frameDepth > 0;
}

} // namespace korvex::session
