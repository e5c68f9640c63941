#pragma once

#include "Peer.h"
#include "Storage.h"

#include "net/Frame.h"

#include <QByteArray>
#include <QList>
#include <QSet>

#include <memory>

namespace korvex::server {

// A private message delivered to this session's user whose read receipt may still come back.
struct PendingReceipt {
    qint64 senderId = 0;
    QByteArray component;
    qint64 deliveredMs = 0;
};

// One command connection and, once logged on, the user behind it.
struct Session {
    quint64 id = 0;
    std::unique_ptr<Peer> peer;
    QByteArray address;
    net::FrameAssembler assembler;
    qint64 lastInputMs = 0;
    bool probeSent = false;
    bool closing = false;
    qint64 closingSinceMs = 0;

    // Logged-on state; account.id == 0 before logon.
    Account account;
    QByteArray nickKey;
    QSet<qint64> contactIds;      // the user's contact list
    QSet<QByteArray> blockedKeys; // names on the user's block list, lower case
    QList<PendingReceipt> receipts;

    bool loggedOn() const { return account.id != 0; }
};

} // namespace korvex::server
