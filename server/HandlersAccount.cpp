// Version check, registration, logon, profiles.
#include "Log.h"
#include "Mailer.h"
#include "Server.h"
#include "Values.h"

#include "net/Clock.h"
#include "net/Envelope.h"

namespace korvex::server {

using net::MakeCommand;
using net::ParsedCommand;

namespace {

bool isAcceptablePassword(const QByteArray& pw) {
    if (pw.size() < MinPasswordLength || pw.size() > MaxPasswordLength) return false;
    return std::none_of(pw.begin(), pw.end(), [](char c) { return static_cast<unsigned char>(c) < 32; });
}

// Client-supplied identifiers (MAC address, PC id) are stored for the black list; keep them short and printable.
QByteArray cleanId(const QByteArray& text) {
    QByteArray out = text.left(64);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 32) c = ' ';
    return out;
}

// Unescaped free text for the e-mail: 0x9A/0x9C are ordinary windows-1252 letters there; control characters
// (header injection) are not.
QByteArray cleanText(const QByteArray& text, int max) {
    QByteArray out = text.left(max);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 32) c = ' ';
    return out;
}

} // namespace

void Server::onGetVersion(Session& s, const ParsedCommand&) {
    send(s, MakeCommand("RGetVersion",
                        {"OK", m_config.newestVersion, m_config.downloadAddress, m_config.codecListText()}));
}

void Server::onPing(Session&, const ParsedCommand&) {
    // Liveness only (Input already noted the time). Never answered: the client answers every "p" with "p".
}

void Server::onNewUser(Session& s, const ParsedCommand& cmd) {
    const QByteArray nick = cmd.field(1);
    const QByteArray password = cmd.field(2);
    auto refuseWith = [&](const QString& why, const QByteArray& text) {
        refuse(s, cmd, why);
        send(s, MakeCommand("RNewUser", {"NO", SafeField(nick.left(32)), text}));
    };
    if (!IsValidNickname(nick))
        return refuseWith(QStringLiteral("invalid nickname"),
                          "Nicknames have 4 to 26 characters: letters, digits, _ - and . only.");
    if (!isAcceptablePassword(password))
        return refuseWith(QStringLiteral("unacceptable password"), "Passwords have 5 to 64 characters.");
    const QByteArray mac = cleanId(cmd.field(6));
    const QByteArray pcId = cleanId(cmd.field(8));
    if (m_storage.IsBlacklisted(nick, s.address, mac, pcId, net::Clock::Now().date()))
        return refuseWith(QStringLiteral("black-listed"), "Registration is not possible from this computer.");
    if (m_storage.FindAccount(nick)) return refuseWith(QStringLiteral("nickname taken"), "This nickname is taken.");

    Account a;
    a.nick = nick;
    a.passwordHash = m_passwords.Hash(password);
    a.country = CleanCountryCode(cmd.field(3));
    a.sex = SexFromGenderText(cmd.field(4));
    a.age = CleanAge(cmd.field(5));
    a.regMac = mac;
    a.regPcId = pcId;
    if (IsPlausibleEmail(cmd.field(7))) a.email = cmd.field(7);
    if (m_storage.CreateAccount(a) == 0) return refuseWith(QStringLiteral("nickname taken"), "This nickname is taken.");
    LogLine(QStringLiteral("#%1 registered %2").arg(s.id).arg(QString::fromLatin1(nick)));
    send(s, MakeCommand("RNewUser", {"OK", nick, password}));
}

void Server::onLogin(Session& s, const ParsedCommand& cmd) {
    const QByteArray password = cmd.field(2);
    const QByteArray mac = cleanId(cmd.field(3));
    const QByteArray pcId = cleanId(cmd.field(4));
    auto refuseWith = [&](const QString& why, const QByteArray& text) {
        refuse(s, cmd, why);
        send(s, MakeCommand("RLogin", {"NO", text}));
    };
    const qint64 now = net::Clock::NowMs();
    FailedLogons& failed = m_failedLogons[s.address];
    if (now - failed.windowStartMs > qint64(m_config.failedLogonWindowSeconds) * 1000) failed = {0, now};
    if (failed.count >= m_config.maxFailedLogons)
        return refuseWith(QStringLiteral("too many failed logons from %1").arg(QString::fromLatin1(s.address)),
                          "Too many failed logons. Please try again later.");
    std::optional<Account> found = m_storage.FindAccount(cmd.field(1));
    if (!found || !m_passwords.Verify(found->passwordHash, password)) {
        ++failed.count;
        return refuseWith(QStringLiteral("wrong nickname or password for \"%1\"").arg(QString::fromLatin1(cmd.field(1).left(32))),
                          "Wrong nickname or password.");
    }
    if (failed.count == 0) m_failedLogons.remove(s.address);
    Account account = *found;
    const QDate today = net::Clock::Now().date();
    if (m_storage.IsBlacklisted(account.nick, s.address, mac, pcId, today))
        return refuseWith(QStringLiteral("black-listed"), "Access denied: you are on the black list.");
    if (account.typeExpiry.isValid() && account.typeExpiry < today) {
        account.type = 0;
        account.typeExpiry = QDate();
        m_storage.SetUserType(account.id, 0, QDate());
    }

    // A new logon on this connection replaces whatever it was logged on as.
    if (s.loggedOn() && m_online.value(s.nickKey) == &s) {
        m_online.remove(s.nickKey);
        if (s.account.id != account.id) announceLogoff(s);
    }
    const QByteArray key = NickKey(account.nick);
    bool takeover = s.loggedOn() && s.account.id == account.id;
    if (Session* old = m_online.value(key); old && old != &s) {
        // The user logged on elsewhere (or reconnected before we noticed the old connection died): the old
        // connection is told and closed, and the user simply stays online.
        send(*old, MakeCommand("AlreadyLogin"));
        m_online.remove(key);
        closeSession(*old, QStringLiteral("logged on again from #%1").arg(s.id), false, false);
        takeover = true;
    }

    s.account = account;
    s.nickKey = key;
    s.contactIds.clear();
    for (const Account& c : m_storage.ContactsOf(account.id)) s.contactIds.insert(c.id);
    s.blockedKeys.clear();
    for (const QByteArray& name : m_storage.BlockList(account.id)) s.blockedKeys.insert(NickKey(name));
    s.receipts.clear();
    m_storage.RecordLogon(account.id, s.address, mac, pcId);
    m_online.insert(key, &s);
    LogLine(QStringLiteral("#%1 logged on as %2").arg(s.id).arg(QString::fromLatin1(account.nick)));

    send(s, MakeCommand("RLogin", {"OK", account.nick, password, account.country, QByteArray::number(account.type),
                                   ToDdmmyyyy(account.typeExpiry), account.flags, QByteArray::number(account.colour),
                                   QByteArray::number(m_config.soundPort), QByteArray::number(m_config.videoPort),
                                   account.email, account.fullName}));
    if (account.mustChangePassword) {
        // The client asks for its own profile only on "My Info"; a forced change has to be pushed.
        send(s, MakeCommand("RGetInfo", {account.nick, account.country, account.sex, QByteArray::number(account.age),
                                         account.contactsOnly ? "1" : "0", "Y"}));
    }
    if (!takeover) announceLogon(s);
}

void Server::onGetInfo(Session& s, const ParsedCommand& cmd) {
    const bool own = NickKey(cmd.field(1)) == s.nickKey;
    std::optional<Account> a = own ? m_storage.AccountById(s.account.id) : m_storage.FindAccount(cmd.field(1));
    if (!a) {
        refuse(s, cmd, QStringLiteral("unknown user"), "User " + SafeField(cmd.field(1).left(32)) + " does not exist.");
        return;
    }
    send(s, MakeCommand("RGetInfo", {a->nick, a->country, a->sex, QByteArray::number(a->age),
                                     a->contactsOnly ? "1" : "0", own && a->mustChangePassword ? "Y" : "N"}));
}

void Server::onSetInfo(Session& s, const ParsedCommand& cmd) {
    const bool own = NickKey(cmd.field(1)) == s.nickKey;
    if (!own && s.account.type != 3) {
        refuse(s, cmd, QStringLiteral("not an administrator"), "Only administrators may change other users' profiles.");
        return;
    }
    std::optional<Account> target = own ? m_storage.AccountById(s.account.id) : m_storage.FindAccount(cmd.field(1));
    if (!target) {
        refuse(s, cmd, QStringLiteral("unknown user"), "User " + SafeField(cmd.field(1).left(32)) + " does not exist.");
        return;
    }
    if (!cmd.field(2).isEmpty() && NickKey(cmd.field(2)) != NickKey(target->nick)) {
        refuse(s, cmd, QStringLiteral("rename refused"), "Nicknames cannot be changed.");
        return;
    }
    Account a = *target;
    const QByteArray password = cmd.field(6);
    bool passwordChanged = false;
    // Empty means "unchanged". For another user, so does the administrator's own password: his client fills
    // the password boxes with it.
    const bool keepPassword = password.isEmpty() || (own ? m_passwords.Verify(a.passwordHash, password)
                                                         : m_passwords.Verify(s.account.passwordHash, password));
    if (!keepPassword) {
        if (!isAcceptablePassword(password)) {
            refuse(s, cmd, QStringLiteral("unacceptable password"), "Passwords have 5 to 64 characters.");
            return;
        }
        a.passwordHash = m_passwords.Hash(password);
        passwordChanged = true;
    }
    a.country = CleanCountryCode(cmd.field(3));
    a.sex = SexFromGenderText(cmd.field(4));
    a.age = CleanAge(cmd.field(5));
    a.contactsOnly = cmd.field(7) == "1";
    if (own && a.mustChangePassword && cmd.field(8) == "Y" && passwordChanged) a.mustChangePassword = false;
    m_storage.UpdateProfile(a);

    if (Session* t = onlineSession(a.nick)) {
        t->account.passwordHash = a.passwordHash;
        t->account.mustChangePassword = a.mustChangePassword;
        t->account.country = a.country;
        t->account.sex = a.sex;
        t->account.age = a.age;
        t->account.contactsOnly = a.contactsOnly;
    }
    if (!own) {
        LogLine(QStringLiteral("#%1 %2 changed the profile of %3")
                    .arg(s.id)
                    .arg(QString::fromLatin1(s.account.nick), QString::fromLatin1(a.nick)));
        send(s, MakeCommand("TechMsg", {"The profile of " + a.nick + " has been updated."}));
        return;
    }
    if (a.mustChangePassword && cmd.field(8) == "Y") {
        send(s, MakeCommand("TechMsg", {"Please choose a new password."}));
        send(s, MakeCommand("RGetInfo", {a.nick, a.country, a.sex, QByteArray::number(a.age),
                                         a.contactsOnly ? "1" : "0", "Y"}));
        return;
    }
    send(s, MakeCommand("RSetInfo", {a.nick, a.country, a.sex, QByteArray::number(a.age), password}));
}

void Server::onInviteAFriend(Session& s, const ParsedCommand& cmd) {
    if (!isSelf(s, cmd.field(1))) return refuse(s, cmd, QStringLiteral("names another sender"));
    Invitation inv;
    inv.fromNick = s.account.nick;
    inv.friendName = cleanText(net::UnescapeField(cmd.field(2)), 80);
    inv.friendEmail = net::UnescapeField(cmd.field(3));
    inv.fromName = cleanText(net::UnescapeField(cmd.field(4)), 80);
    inv.fromEmail = net::UnescapeField(cmd.field(5));
    if (!IsPlausibleEmail(inv.friendEmail))
        return refuse(s, cmd, QStringLiteral("invalid e-mail address"),
                      "The invitation was not sent: the e-mail address is not valid.");
    if (!IsPlausibleEmail(inv.fromEmail)) inv.fromEmail.clear();
    const QDate today = net::Clock::Now().date();
    if (m_storage.InvitationsOn(s.account.id, today) >= m_config.maxInvitesPerDay)
        return refuse(s, cmd, QStringLiteral("daily invitation limit"),
                      "The invitation was not sent: you have sent enough invitations for today.");
    m_storage.CountInvitation(s.account.id, today);

    // The invitation form shows the user's full name and e-mail: keep them for "RLogin".
    Account a = s.account;
    bool changed = false;
    if (!inv.fromName.isEmpty() && inv.fromName != a.fullName) a.fullName = inv.fromName, changed = true;
    if (!inv.fromEmail.isEmpty() && inv.fromEmail != a.email) a.email = inv.fromEmail, changed = true;
    if (changed) {
        if (auto stored = m_storage.AccountById(a.id)) {
            stored->fullName = a.fullName;
            stored->email = a.email;
            m_storage.UpdateProfile(*stored);
        }
        s.account.fullName = a.fullName;
        s.account.email = a.email;
    }
    m_mailer->Send(inv);
}

} // namespace korvex::server
