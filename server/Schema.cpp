#include "Schema.h"

namespace korvex::server {

const QList<QStringList>& SchemaMigrations() {
    static const QList<QStringList> steps = {
        // 1: accounts and everything that hangs off them, plus the tables rooms, voicemail, the black list and
        // banners need, so later features fill tables instead of reshaping them.
        {
            R"(CREATE TABLE users (
                 id INTEGER PRIMARY KEY,
                 nick TEXT NOT NULL UNIQUE COLLATE NOCASE,
                 password_hash TEXT NOT NULL,
                 must_change_password INTEGER NOT NULL DEFAULT 0,
                 type INTEGER NOT NULL DEFAULT 0,
                 type_expiry TEXT NOT NULL DEFAULT '',
                 flags TEXT NOT NULL DEFAULT '0000',
                 colour INTEGER NOT NULL DEFAULT 0,
                 country TEXT NOT NULL DEFAULT '',
                 sex TEXT NOT NULL DEFAULT '',
                 age INTEGER NOT NULL DEFAULT 0,
                 contacts_only INTEGER NOT NULL DEFAULT 0,
                 email TEXT NOT NULL DEFAULT '',
                 full_name TEXT NOT NULL DEFAULT '',
                 reg_mac TEXT NOT NULL DEFAULT '',
                 reg_pcid TEXT NOT NULL DEFAULT '',
                 last_ip TEXT NOT NULL DEFAULT '',
                 last_mac TEXT NOT NULL DEFAULT '',
                 last_pcid TEXT NOT NULL DEFAULT '',
                 created TEXT NOT NULL DEFAULT (datetime('now')),
                 last_logon TEXT NOT NULL DEFAULT '')
            )",
            R"(CREATE TABLE contacts (
                 owner_id INTEGER NOT NULL REFERENCES users(id) ON DELETE CASCADE,
                 contact_id INTEGER NOT NULL REFERENCES users(id) ON DELETE CASCADE,
                 PRIMARY KEY (owner_id, contact_id))
            )",
            "CREATE INDEX contacts_by_contact ON contacts(contact_id)",
            // Block lists keep names, not ids: a user may block a name that is not registered (yet).
            R"(CREATE TABLE blocks (
                 owner_id INTEGER NOT NULL REFERENCES users(id) ON DELETE CASCADE,
                 position INTEGER NOT NULL,
                 name TEXT NOT NULL COLLATE NOCASE,
                 PRIMARY KEY (owner_id, name))
            )",
            R"(CREATE TABLE bulletin (
                 id INTEGER PRIMARY KEY,
                 text TEXT NOT NULL)
            )",
            R"(CREATE TABLE blacklist (
                 id INTEGER PRIMARY KEY,
                 name TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
                 ip TEXT NOT NULL DEFAULT '',
                 mac TEXT NOT NULL DEFAULT '',
                 pcid TEXT NOT NULL DEFAULT '',
                 expiry TEXT NOT NULL DEFAULT '',
                 added TEXT NOT NULL DEFAULT (date('now')))
            )",
            R"(CREATE TABLE groups (
                 id INTEGER PRIMARY KEY,
                 name TEXT NOT NULL UNIQUE COLLATE NOCASE,
                 colour INTEGER NOT NULL DEFAULT 0,
                 no_user_rooms INTEGER NOT NULL DEFAULT 0)
            )",
            R"(CREATE TABLE rooms (
                 id INTEGER PRIMARY KEY,
                 group_id INTEGER NOT NULL REFERENCES groups(id) ON DELETE CASCADE,
                 name TEXT NOT NULL UNIQUE COLLATE NOCASE,
                 global INTEGER NOT NULL DEFAULT 0,
                 password TEXT NOT NULL DEFAULT '',
                 admin_code TEXT NOT NULL DEFAULT '',
                 owner_id INTEGER REFERENCES users(id) ON DELETE SET NULL,
                 permanent INTEGER NOT NULL DEFAULT 0,
                 colour INTEGER NOT NULL DEFAULT 0,
                 codec TEXT NOT NULL DEFAULT 'GSM1',
                 voice_type INTEGER NOT NULL DEFAULT 1,
                 paint_off INTEGER NOT NULL DEFAULT 0,
                 status TEXT NOT NULL DEFAULT '0',
                 banner_url TEXT NOT NULL DEFAULT '',
                 banner_click_url TEXT NOT NULL DEFAULT '',
                 banner_period INTEGER NOT NULL DEFAULT 0)
            )",
            R"(CREATE TABLE voicemail (
                 id INTEGER PRIMARY KEY,
                 recipient_id INTEGER NOT NULL REFERENCES users(id) ON DELETE CASCADE,
                 sender TEXT NOT NULL,
                 sent REAL NOT NULL,
                 subject TEXT NOT NULL DEFAULT '',
                 low_size INTEGER NOT NULL DEFAULT 0,
                 high_size INTEGER NOT NULL DEFAULT 0,
                 seconds INTEGER NOT NULL DEFAULT 0,
                 heard INTEGER NOT NULL DEFAULT 0,
                 downloaded REAL NOT NULL DEFAULT 0,
                 file TEXT NOT NULL DEFAULT '')
            )",
            "CREATE INDEX voicemail_by_recipient ON voicemail(recipient_id)",
            R"(CREATE TABLE banners (
                 id INTEGER PRIMARY KEY,
                 name TEXT NOT NULL UNIQUE COLLATE NOCASE,
                 code TEXT NOT NULL DEFAULT '',
                 date TEXT NOT NULL DEFAULT '',
                 url TEXT NOT NULL DEFAULT '',
                 click_url TEXT NOT NULL DEFAULT '',
                 impressions INTEGER NOT NULL DEFAULT 0,
                 clicks INTEGER NOT NULL DEFAULT 0)
            )",
            R"(CREATE TABLE invitations (
                 user_id INTEGER NOT NULL REFERENCES users(id) ON DELETE CASCADE,
                 day TEXT NOT NULL,
                 count INTEGER NOT NULL,
                 PRIMARY KEY (user_id, day))
            )",
        },
    };
    return steps;
}

} // namespace korvex::server
