#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include <optional>
#include <stdexcept>

namespace korvex::server {

class StorageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One account as stored. Nicknames keep the spelling chosen at registration; lookups ignore case.
struct Account {
    qint64 id = 0;
    QByteArray nick;
    QByteArray passwordHash;
    bool mustChangePassword = false;
    int type = 0;          // 0 normal, 1 paid, 2 moderator, 3 administrator
    QDate typeExpiry;      // invalid = no expiry
    QByteArray flags = "0000";
    qint64 colour = 0;
    QByteArray country;
    QByteArray sex;        // "M", "F" or ""
    int age = 0;
    bool contactsOnly = false; // only contacts may send private messages
    QByteArray email;
    QByteArray fullName;
    QByteArray regMac, regPcId;
    QByteArray lastIp, lastMac, lastPcId;
};

struct SearchQuery {
    QByteArray nickPart; // substring, ignoring case; empty = any
    QByteArray sex;      // "M"/"F"; empty = any
    int ageFrom = -1, ageTo = -1;
    QByteArray country;  // empty = any
    int limit = 100;
};

// The server's SQLite database. Schema changes are numbered migrations recorded in PRAGMA user_version;
// opening an older file applies the missing ones in one transaction each. Errors throw StorageError.
class Storage {
public:
    Storage();
    ~Storage();
    Storage(const Storage&) = delete;
    Storage& operator=(const Storage&) = delete;

    // path ":memory:" gives a private in-memory database.
    void Open(const QString& path);
    int SchemaVersion();
    static int LatestSchemaVersion();

    std::optional<Account> FindAccount(const QByteArray& nick);
    std::optional<Account> AccountById(qint64 id);
    // Returns the new id, or 0 when the nickname (ignoring case) is taken.
    qint64 CreateAccount(const Account& account);
    void UpdateProfile(const Account& account);
    void RecordLogon(qint64 id, const QByteArray& ip, const QByteArray& mac, const QByteArray& pcId);
    void SetUserType(qint64 id, int type, const QDate& expiry);
    qint64 AccountCount();

    QList<Account> ContactsOf(qint64 ownerId);
    QList<qint64> OwnersListing(qint64 contactId); // whose lists contain contactId
    bool AddContact(qint64 ownerId, qint64 contactId); // false when already listed
    bool RemoveContact(qint64 ownerId, qint64 contactId);
    int ContactCount(qint64 ownerId);

    QList<QByteArray> BlockList(qint64 ownerId);
    void SetBlockList(qint64 ownerId, const QList<QByteArray>& names);

    QList<QByteArray> Bulletin();
    void AddBulletin(const QByteArray& text);

    struct BlackEntry {
        QByteArray name, ip, mac, pcId;
        QDate expiry; // invalid = permanent
    };
    void AddBlackEntry(const BlackEntry& entry);
    bool IsBlacklisted(const QByteArray& name, const QByteArray& ip, const QByteArray& mac, const QByteArray& pcId,
                       const QDate& today);

    QList<Account> Search(const SearchQuery& query);

    int InvitationsOn(qint64 userId, const QDate& day);
    void CountInvitation(qint64 userId, const QDate& day);

    // Groups several writes into one transaction (registration of many demo users, migrations).
    void Begin();
    void Commit();

    // The Qt SQL connection, for stores of other areas that keep their own queries (rooms).
    QString ConnectionName() const { return m_connection; }

private:
    QString m_connection;
};

} // namespace korvex::server
