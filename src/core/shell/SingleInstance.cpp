#include "SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QLoggingCategory>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

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
    m_error.clear();
    m_acquired = m_lock->tryLock(0) || (m_lock->error() == QLockFile::LockFailedError && takeOverUnreadableLock());
    if (m_acquired)
        return true;
    if (m_lock->error() == QLockFile::LockFailedError) {
        qCInfo(lcShell) << "lock" << m_lockPath << "held by another copy";
        return false;
    }
    m_error = QStringLiteral("Cannot write the lock file %1: %2.\r\n"
                             "Valdoria keeps it to make sure only one copy runs; "
                             "make the folder writable and start Valdoria again.")
                  .arg(QDir::toNativeSeparators(m_lockPath), writeFailureReason());
    qCWarning(lcShell) << m_error;
    return false;
}

bool SingleInstance::takeOverUnreadableLock() {
    // QLockFile judges a lock by the process it names; a file naming none (empty, a bare newline,
    // junk) it keeps for ever when locks never age. Every living copy holds a file lock on its
    // lock file, so such a file that nobody holds is left over and can go.
    qint64 pid = 0;
    QString host;
    QString app;
    if (m_lock->getLockInfo(&pid, &host, &app))
        return false;
    const QByteArray path = QFile::encodeName(m_lockPath);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool removed = ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlink(path.constData()) == 0;
    ::close(fd);
    if (!removed)
        return false;
    qCInfo(lcShell) << "took over the lock" << m_lockPath << "which named no copy";
    return m_lock->tryLock(0);
}

QString SingleInstance::writeFailureReason() const {
    const QFileInfo folder(QFileInfo(m_lockPath).absolutePath());
    if (!folder.exists())
        return QStringLiteral("its folder does not exist");
    if (!folder.isDir())
        return QStringLiteral("%1 is not a folder").arg(QDir::toNativeSeparators(folder.filePath()));
    if (m_lock->error() == QLockFile::PermissionError)
        return QStringLiteral("permission denied");
    return QStringLiteral("the file cannot be created");
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

QString SingleInstance::dataFolderLockPath(const QString& dataFolder) {
    return QDir(dataFolder).filePath(QStringLiteral("valdoria-data.lock"));
}

QString SingleInstance::dataFolderRefusal(const QString& dataFolder) {
    return QStringLiteral("the data folder %1 is in use by the Valdoria window or another valdoria-cli monitor; "
                          "stop that one first, or give this one a --data-dir of its own")
        .arg(QDir::toNativeSeparators(dataFolder));
}

QString SingleInstance::refusalTitle() {
    return QStringLiteral("Valdoria is already running");
}

QString SingleInstance::lockErrorTitle() {
    return QStringLiteral("Valdoria cannot start");
}

QString SingleInstance::refusalText() {
    return QStringLiteral("Another instance of Valdoria is already running.\r\n"
                          "Please terminate the other running Valdoria application\r\n"
                          "and restart the program.");
}
