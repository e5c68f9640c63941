#include "contacts/UiHelpers.h"

#include "contacts/BlockList.h"
#include "session/Dialogs.h"
#include "session/TDM.h"

#include <QPainter>
#include <QPixmap>

namespace korvex::contacts {

QIcon DotIcon(const QColor& colour) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(colour);
    p.setPen(colour.darker());
    p.drawEllipse(2, 2, 12, 12);
    return QIcon(pm);
}

QByteArray HtmlEscapeBytes(const QByteArray& text) {
    QByteArray out = text;
    out.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;").replace('"', "&quot;");
    return out;
}

void AskBlock(session::TDM& dm, const QByteArray& nick) {
    using session::DialogKind;
    const QString n = session::FromAnsi(nick);
    if (!session::Dialogs().Ask(DialogKind::Confirmation,
                                "Add user \"" + n + "\" to block list - are you sure?"))
        return;
    SetBlocked(dm, nick, true);
    session::Dialogs().Ask(DialogKind::Information,
                           "User \"" + n +
                               "\" has been added to your block list and may no longer send you private "
                               "messages.");
}

void AskUnblock(session::TDM& dm, const QByteArray& nick) {
    using session::DialogKind;
    if (session::Dialogs().Ask(DialogKind::Confirmation, "Remove user \"" + session::FromAnsi(nick) +
                                                             "\" from block list - are you sure?"))
        SetBlocked(dm, nick, false);
}

} // namespace korvex::contacts
