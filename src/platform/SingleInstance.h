#pragma once

#include <QString>
#include <memory>

class QLockFile;

namespace korvex::platform {

// The one-instance rule: a lock file named after "Velmora" in the user's runtime folder. The lock is released
// when the object goes away or the process ends (a lock left by a dead process is taken over).
class SingleInstance {
public:
    // folder empty: the runtime folder ($XDG_RUNTIME_DIR, else the temp folder).
    explicit SingleInstance(const QString& name = "Velmora", const QString& folder = {});
    ~SingleInstance();
    bool TryAcquire();
    bool Held() const { return m_held; }
    QString LockPath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    bool m_held = false;
};

} // namespace korvex::platform
