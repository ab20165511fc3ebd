#include "SingleInstance.h"

#include <QDir>
#include <QLockFile>
#include <QLoggingCategory>
#include <QStandardPaths>

Q_LOGGING_CATEGORY(lcShell, "valdoria.shell")

SingleInstance::SingleInstance()
    : SingleInstance(defaultLockPath()) {}

SingleInstance::SingleInstance(const QString& lockPath)
    : m_lockPath(lockPath)
    , m_lock(std::make_unique<QLockFile>(lockPath)) {
    // A running copy holds its lock for hours: only a dead owner makes a lock stale, never its age.
    m_lock->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    release();
}

bool SingleInstance::tryAcquire() {
    if (m_acquired)
        return true;
    m_acquired = m_lock->tryLock(0);
    if (!m_acquired)
        qCInfo(lcShell) << "lock" << m_lockPath << "held by another copy, error" << m_lock->error();
    return m_acquired;
}

void SingleInstance::release() {
    if (!m_acquired)
        return;
    m_lock->unlock();
    m_acquired = false;
}

QString SingleInstance::defaultLockPath() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return QDir(runtime).filePath(QStringLiteral("valdoria.lock"));
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME", QStringLiteral("user"));
    return QDir(QDir::tempPath()).filePath(QStringLiteral("valdoria-%1.lock").arg(user));
}

QString SingleInstance::refusalTitle() {
    return QStringLiteral("Valdoria is already running");
}

QString SingleInstance::refusalText() {
    return QStringLiteral("Another instance of Valdoria is already running.\r\n"
                          "Please terminate the other running Valdoria application\r\n"
                          "and restart the program.");
}
