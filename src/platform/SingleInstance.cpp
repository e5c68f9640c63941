#include "platform/SingleInstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace korvex::platform {

SingleInstance::SingleInstance(const QString& name, const QString& folder) {
    QString dir = folder;
    if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) dir = QDir::tempPath();
    m_path = QDir(dir).filePath(name + ".lock");
    m_lock = std::make_unique<QLockFile>(m_path);
    m_lock->setStaleLockTime(0); // only a dead owner makes the lock stale, never its age
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::TryAcquire() {
    if (!m_held) m_held = m_lock->tryLock(0);
    return m_held;
}

} // namespace korvex::platform
