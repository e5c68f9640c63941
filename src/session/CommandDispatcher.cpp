#include "session/CommandDispatcher.h"

namespace korvex::session {

bool CommandDispatcher::Dispatch(const net::ParsedCommand& cmd) const {
    const auto it = m_handlers.constFind(cmd.name);
    if (it == m_handlers.constEnd()) return false;
    (*it)(cmd);
    return true;
}

} // namespace korvex::session
