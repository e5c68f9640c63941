#pragma once

#include <QList>
#include <QString>
#include <functional>

namespace korvex::session {

enum class DialogKind { Information, Warning, Error, Confirmation, InformationYesNo };

// Every message box of the program goes through the installed service. The GUI service shows modal boxes;
// tests install ScriptedDialogs, which records the texts and gives scripted answers.
class DialogService {
public:
    virtual ~DialogService() = default;
    // Returns true for OK/Yes.
    virtual bool Ask(DialogKind kind, const QString& text) = 0;
};

class MessageBoxDialogs : public DialogService {
public:
    bool Ask(DialogKind kind, const QString& text) override;
};

class ScriptedDialogs : public DialogService {
public:
    struct Shown {
        DialogKind kind;
        QString text;
    };
    bool Ask(DialogKind kind, const QString& text) override;
    QList<Shown> shown;
    QList<bool> answers;       // taken in order for questions
    bool defaultAnswer = true; // when answers is used up
    QStringList Texts() const;
};

// Installs a service (not owned); nullptr restores the message box service.
void InstallDialogService(DialogService* service);
DialogService& Dialogs();

// While a received frame is being handled, boxes are shown after it (a queued call), so the socket reader is
// never re-entered from a modal loop. then receives the answer.
void ShowMessage(DialogKind kind, const QString& text, std::function<void(bool)> then = {});

// Marks the handling of one received frame.
class FrameScope {
public:
    FrameScope();
    ~FrameScope();
    static bool Active();
};

} // namespace korvex::session
