#pragma once

#include "net/Command.h"

#include <QByteArray>
#include <QHash>
#include <functional>

namespace korvex::session {

// The table from command name (compared exactly) to handler. Each subsystem registers its handlers at
// start-up (RegisterSessionHandlers, and the contacts, rooms, ... registrations of the layers above), so
// adding commands never touches a central switch. Unknown names are ignored.
class CommandDispatcher {
public:
    using Handler = std::function<void(const net::ParsedCommand&)>;
    void Register(const QByteArray& name, Handler handler) { m_handlers.insert(name, std::move(handler)); }
    bool Has(const QByteArray& name) const { return m_handlers.contains(name); }
    // Runs the handler; false when no handler knows the name.
    bool Dispatch(const net::ParsedCommand& cmd) const;

private:
    QHash<QByteArray, Handler> m_handlers;
};

} // namespace korvex::session
