#include "contacts/Contacts.h"

#include "contacts/SafeHtml.h"
#include "contacts/Smileys.h"
#include "platform/AppPaths.h"
#include "session/TDM.h"

#include <QCoreApplication>
#include <QDir>
#include <QUrl>

namespace korvex::contacts {

ContactsUi& Ui() {
    static ContactsUi ui = [] {
        ContactsUi u;
        u.Terminate = [] { std::exit(0); };
        return u;
    }();
    return ui;
}

QString SmileyFolder(const session::TDM& dm) {
    return platform::AppPaths::PathIn(dm.AppDir, "WebPages/Images");
}

const SmileyTable& Smileys(const session::TDM& dm) {
    static std::unique_ptr<SmileyTable> table;
    static QString builtFor;
    const QString key = SmileyFolder(dm) + '\n' + QString::fromLatin1(dm.WebHost);
    if (!table || builtFor != key) {
        table = std::make_unique<SmileyTable>(SmileyFolder(dm), dm.WebHost);
        builtFor = key;
    }
    return *table;
}

HtmlPolicy MessagePolicy(const session::TDM& dm) {
    HtmlPolicy policy;
    policy.localImagePrefixes.append(QUrl::fromLocalFile(SmileyFolder(dm) + '/').toEncoded());
    return policy;
}

} // namespace korvex::contacts
