#include "SingleInstance.h"

#include <QDir>
#include <QRegularExpression>

TOneInstance::TOneInstance(const QString &title)
{
    m_path = qEnvironmentVariable("ORVELL_INSTANCE_LOCK");
    if (m_path.isEmpty()) {
        QString name = title + QLatin1Char('-') + qEnvironmentVariable("USER");
        name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")), QStringLiteral("_"));
        m_path = QDir::temp().filePath(name + QStringLiteral(".lock"));
    }
}

bool TOneInstance::TryAcquire()
{
    m_lock = std::make_unique<QLockFile>(m_path);
    // Only a live owner counts: a lock left by a copy that crashed is taken over.
    m_lock->setStaleLockTime(0);
    return m_lock->tryLock(0);
}
