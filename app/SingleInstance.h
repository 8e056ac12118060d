#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// Keeps a second copy of the program from running: a lock file in the
// temporary folder named from the application title and the user. The
// environment variable ORVELL_INSTANCE_LOCK names another lock file, so a
// trial or a test can run beside a copy the user already has open.
class TOneInstance
{
public:
    explicit TOneInstance(const QString &title);
    bool TryAcquire(); // false when another running copy holds the lock
    QString LockPath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
