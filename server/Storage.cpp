#include "Storage.h"

#include "Schema.h"
#include "Values.h"

#include <QAtomicInt>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace korvex::server {

namespace {

QAtomicInt g_connectionCounter;

// Never a null QString: Qt binds those as SQL NULL, which the NOT NULL columns refuse.
QString bytes(const QByteArray& b) { return b.isEmpty() ? QStringLiteral("") : QString::fromLatin1(b); }
QByteArray bytes(const QVariant& v) { return v.toString().toLatin1(); }

[[noreturn]] void fail(const QSqlQuery& q, const char* what) {
    throw StorageError(std::string(what) + ": " + q.lastError().text().toStdString());
}

void run(QSqlQuery& q, const char* what) {
    if (!q.exec()) fail(q, what);
}

const char* AccountColumns =
    "id, nick, password_hash, must_change_password, type, type_expiry, flags, colour, country, sex, age, "
    "contacts_only, email, full_name, reg_mac, reg_pcid, last_ip, last_mac, last_pcid";

Account readAccount(const QSqlQuery& q, int base = 0) {
    Account a;
    a.id = q.value(base + 0).toLongLong();
    a.nick = bytes(q.value(base + 1));
    a.passwordHash = bytes(q.value(base + 2));
    a.mustChangePassword = q.value(base + 3).toInt() != 0;
    a.type = q.value(base + 4).toInt();
    a.typeExpiry = ParseYyyymmdd(bytes(q.value(base + 5)));
    a.flags = CleanRestrictionFlags(bytes(q.value(base + 6)));
    a.colour = q.value(base + 7).toLongLong();
    a.country = bytes(q.value(base + 8));
    a.sex = bytes(q.value(base + 9));
    a.age = q.value(base + 10).toInt();
    a.contactsOnly = q.value(base + 11).toInt() != 0;
    a.email = bytes(q.value(base + 12));
    a.fullName = bytes(q.value(base + 13));
    a.regMac = bytes(q.value(base + 14));
    a.regPcId = bytes(q.value(base + 15));
    a.lastIp = bytes(q.value(base + 16));
    a.lastMac = bytes(q.value(base + 17));
    a.lastPcId = bytes(q.value(base + 18));
    return a;
}

// LIKE with user text: escape its wildcards.
QString likePattern(const QByteArray& part) {
    QString p = bytes(part);
    p.replace('\\', "\\\\").replace('%', "\\%").replace('_', "\\_");
    return '%' + p + '%';
}

} // namespace

Storage::Storage() : m_connection(QStringLiteral("korvex-storage-%1").arg(g_connectionCounter.fetchAndAddRelaxed(1))) {}

Storage::~Storage() {
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (db.isOpen()) db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

void Storage::Open(const QString& path) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!db.isValid()) throw StorageError("the Qt SQLite driver (QSQLITE) is not installed");
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) throw StorageError("cannot open " + path.toStdString() + ": " + db.lastError().text().toStdString());
    QSqlQuery q(db);
    for (const char* pragma : {"PRAGMA foreign_keys = ON", "PRAGMA journal_mode = WAL", "PRAGMA synchronous = NORMAL"})
        if (!q.exec(QString::fromLatin1(pragma))) fail(q, pragma);

    const auto& steps = SchemaMigrations();
    const int current = SchemaVersion();
    if (current > int(steps.size()))
        throw StorageError("the database was written by a newer server (schema " + std::to_string(current) + ")");
    for (int version = current + 1; version <= int(steps.size()); ++version) {
        Begin();
        try {
            for (const QString& sql : steps[version - 1])
                if (!q.exec(sql)) fail(q, "migration");
            if (!q.exec(QStringLiteral("PRAGMA user_version = %1").arg(version))) fail(q, "schema version");
            Commit();
        } catch (...) {
            db.rollback();
            throw;
        }
    }
}

int Storage::SchemaVersion() {
    QSqlQuery q(QSqlDatabase::database(m_connection));
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) fail(q, "schema version");
    return q.value(0).toInt();
}

int Storage::LatestSchemaVersion() { return int(SchemaMigrations().size()); }

void Storage::Begin() {
    if (!QSqlDatabase::database(m_connection).transaction()) throw StorageError("cannot start a transaction");
}

void Storage::Commit() {
    if (!QSqlDatabase::database(m_connection).commit()) throw StorageError("cannot commit a transaction");
}

std::optional<Account> Storage::FindAccount(const QByteArray& nick) {
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(QStringLiteral("SELECT %1 FROM users WHERE nick = ?").arg(QLatin1String(AccountColumns)));
    q.addBindValue(bytes(nick));
    run(q, "find account");
    if (!q.next()) return std::nullopt;
    return readAccount(q);
}

std::optional<Account> Storage::AccountById(qint64 id) {
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(QStringLiteral("SELECT %1 FROM users WHERE id = ?").arg(QLatin1String(AccountColumns)));
    q.addBindValue(id);
    run(q, "account by id");
    if (!q.next()) return std::nullopt;
    return readAccount(q);
}

qint64 Storage::CreateAccount(const Account& a) {
    if (FindAccount(a.nick)) return 0;
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(QStringLiteral(
        "INSERT INTO users (nick, password_hash, must_change_password, type, type_expiry, flags, colour, "
        "country, sex, age, contacts_only, email, full_name, reg_mac, reg_pcid) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const QVariant& v :
         {QVariant(bytes(a.nick)), QVariant(bytes(a.passwordHash)), QVariant(int(a.mustChangePassword)),
          QVariant(a.type), QVariant(bytes(ToYyyymmdd(a.typeExpiry))), QVariant(bytes(a.flags)), QVariant(a.colour),
          QVariant(bytes(a.country)), QVariant(bytes(a.sex)), QVariant(a.age), QVariant(int(a.contactsOnly)),
          QVariant(bytes(a.email)), QVariant(bytes(a.fullName)), QVariant(bytes(a.regMac)),
          QVariant(bytes(a.regPcId))})
        q.addBindValue(v);
    run(q, "create account");
    const auto created = FindAccount(a.nick);
    return created ? created->id : 0;
}

void Storage::UpdateProfile(const Account& a) {
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(QStringLiteral("UPDATE users SET password_hash = ?, must_change_password = ?, country = ?, sex = ?, "
                             "age = ?, contacts_only = ?, email = ?, full_name = ?, flags = ?, colour = ? "
                             "WHERE id = ?"));
    for (const QVariant& v :
         {QVariant(bytes(a.passwordHash)), QVariant(int(a.mustChangePassword)), QVariant(bytes(a.country)),
          QVariant(bytes(a.sex)), QVariant(a.age), QVariant(int(a.contactsOnly)), QVariant(bytes(a.email)),
          QVariant(bytes(a.fullName)), QVariant(bytes(a.flags)), QVariant(a.colour), QVariant(a.id)})
        q.addBindValue(v);
    run(q, "update profile");
}

void Storage::RecordLogon(qint64 id, const QByteArray& ip, const QByteArray& mac, const QByteArray& pcId) {
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(QStringLiteral(
        "UPDATE users SET last_ip = ?, last_mac = ?, last_pcid = ?, last_logon = datetime('now') WHERE id = ?"));
    q.addBindValue(bytes(ip));
    q.addBindValue(bytes(mac));
    q.addBindValue(bytes(pcId));
    q.addBindValue(id);
    run(q, "record logon");
}

void Storage::SetUserType(qint64 id, int type, const QDate& expiry) {
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(QStringLiteral("UPDATE users SET type = ?, type_expiry = ? WHERE id = ?"));
    q.addBindValue(type);
    q.addBindValue(bytes(ToYyyymmdd(expiry)));
    q.addBindValue(id);
    run(q, "set user type");
}

qint64 Storage::AccountCount() {
    QSqlQuery q(QSqlDatabase::database(m_connection));
    if (!q.exec(QStringLiteral("SELECT count(*) FROM users")) || !q.next()) fail(q, "count accounts");
    return q.value(0).toLongLong();
}

QList<Account> Storage::ContactsOf(qint64 ownerId) {
    QSqlQuery q(QSqlDatabase::database(m_connection));
    QString cols = QLatin1String(AccountColumns);
    cols.replace(QLatin1String(", "), QLatin1String(", u."));
    q.prepare(QStringLiteral("SELECT u.%1 FROM contacts c JOIN users u ON u.id = c.contact_id WHERE c.owner_id = ? "
                             "ORDER BY u.nick")
                  .arg(cols));
    q.addBindValue(ownerId);
    run(q, "contacts");
    QList<Account> out;
    while (q.next()) out << readAccount(q);
    return out;
}

QList<qint64> Storage::OwnersListing(qint64 contactId) {
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(QStringLiteral("SELECT owner_id FROM contacts WHERE contact_id = ?"));
    q.addBindValue(contactId);
    run(q, "contact owners");
    QList<qint64> out;
    while (q.next()) out << q.value(0).toLongLong();
    return out;
}

bool Storage::AddContact(qint64 ownerId, qint64 contactId) {
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(QStringLiteral("INSERT OR IGNORE INTO contacts (owner_id, contact_id) VALUES (?, ?)"));
    q.addBindValue(ownerId);
    q.addBindValue(contactId);
    run(q, "add contact");
    return q.numRowsAffected() == 1;
}

bool Storage::RemoveContact(qint64 ownerId, qint64 contactId) {
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(QStringLiteral("DELETE FROM contacts WHERE owner_id = ? AND contact_id = ?"));
    q.addBindValue(ownerId);
    q.addBindValue(contactId);
    run(q, "remove contact");
    return q.numRowsAffected() == 1;
}

int Storage::ContactCount(qint64 ownerId) {
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(QStringLiteral("SELECT count(*) FROM contacts WHERE owner_id = ?"));
    q.addBindValue(ownerId);
    run(q, "count contacts");
    q.next();
    return q.value(0).toInt();
}

QList<QByteArray> Storage::BlockList(qint64 ownerId) {
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(QStringLiteral("SELECT name FROM blocks WHERE owner_id = ? ORDER BY position"));
    q.addBindValue(ownerId);
    run(q, "block list");
    QList<QByteArray> out;
    while (q.next()) out << bytes(q.value(0));
    return out;
}

void Storage::SetBlockList(qint64 ownerId, const QList<QByteArray>& names) {
    QSqlDatabase db = QSqlDatabase::database(m_connection);
    Begin();
    try {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("DELETE FROM blocks WHERE owner_id = ?"));
        q.addBindValue(ownerId);
        run(q, "clear block list");
        q.prepare(QStringLiteral("INSERT OR IGNORE INTO blocks (owner_id, position, name) VALUES (?, ?, ?)"));
        int position = 0;
        for (const QByteArray& name : names) {
            q.addBindValue(ownerId);
            q.addBindValue(position++);
            q.addBindValue(bytes(name));
            run(q, "store block list");
        }
        Commit();
    } catch (...) {
        db.rollback();
        throw;
    }
}

QList<QByteArray> Storage::Bulletin() {
    QSqlQuery q(QSqlDatabase::database(m_connection));
    if (!q.exec(QStringLiteral("SELECT text FROM bulletin ORDER BY id"))) fail(q, "bulletin");
    QList<QByteArray> out;
    while (q.next()) out << bytes(q.value(0));
    return out;
}

void Storage::AddBulletin(const QByteArray& text) {
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(QStringLiteral("INSERT INTO bulletin (text) VALUES (?)"));
    q.addBindValue(bytes(text));
    run(q, "add bulletin");
}

void Storage::AddBlackEntry(const BlackEntry& e) {
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(QStringLiteral("INSERT INTO blacklist (name, ip, mac, pcid, expiry) VALUES (?, ?, ?, ?, ?)"));
    q.addBindValue(bytes(e.name));
    q.addBindValue(bytes(e.ip));
    q.addBindValue(bytes(e.mac));
    q.addBindValue(bytes(e.pcId));
    q.addBindValue(bytes(ToYyyymmdd(e.expiry)));
    run(q, "add black list entry");
}

bool Storage::IsBlacklisted(const QByteArray& name, const QByteArray& ip, const QByteArray& mac,
                            const QByteArray& pcId, const QDate& today) {
    // Empty columns never match: an entry for a name alone must not ban everyone without a MAC address.
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(QStringLiteral(
        "SELECT 1 FROM blacklist WHERE (expiry = '' OR expiry >= ?) AND ("
        "(name <> '' AND name = ?) OR (ip <> '' AND ip = ?) OR (mac <> '' AND mac = ?) OR (pcid <> '' AND pcid = ?)) "
        "LIMIT 1"));
    q.addBindValue(bytes(ToYyyymmdd(today)));
    q.addBindValue(bytes(name));
    q.addBindValue(bytes(ip));
    q.addBindValue(bytes(mac));
    q.addBindValue(bytes(pcId));
    run(q, "black list");
    return q.next();
}

QList<Account> Storage::Search(const SearchQuery& s) {
    QString sql = QStringLiteral("SELECT %1 FROM users WHERE 1").arg(QLatin1String(AccountColumns));
    QVariantList binds;
    if (!s.nickPart.isEmpty()) {
        sql += QStringLiteral(" AND nick LIKE ? ESCAPE '\\'");
        binds << likePattern(s.nickPart);
    }
    if (!s.sex.isEmpty()) {
        sql += QStringLiteral(" AND sex = ?");
        binds << bytes(s.sex);
    }
    if (s.ageFrom >= 0) {
        sql += QStringLiteral(" AND age >= ?");
        binds << s.ageFrom;
    }
    if (s.ageTo >= 0) {
        sql += QStringLiteral(" AND age <= ?");
        binds << s.ageTo;
    }
    if (!s.country.isEmpty()) {
        sql += QStringLiteral(" AND country = ?");
        binds << bytes(s.country);
    }
    sql += QStringLiteral(" ORDER BY nick LIMIT ?");
    binds << s.limit;
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(sql);
    for (const auto& b : binds) q.addBindValue(b);
    run(q, "search");
    QList<Account> out;
    while (q.next()) out << readAccount(q);
    return out;
}

int Storage::InvitationsOn(qint64 userId, const QDate& day) {
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(QStringLiteral("SELECT count FROM invitations WHERE user_id = ? AND day = ?"));
    q.addBindValue(userId);
    q.addBindValue(bytes(ToYyyymmdd(day)));
    run(q, "invitations");
    return q.next() ? q.value(0).toInt() : 0;
}

void Storage::CountInvitation(qint64 userId, const QDate& day) {
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(QStringLiteral("INSERT INTO invitations (user_id, day, count) VALUES (?, ?, 1) "
                             "ON CONFLICT (user_id, day) DO UPDATE SET count = count + 1"));
    q.addBindValue(userId);
    q.addBindValue(bytes(ToYyyymmdd(day)));
    run(q, "count invitation");
}

} // namespace korvex::server
