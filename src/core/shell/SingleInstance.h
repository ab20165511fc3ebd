#pragma once

#include <QString>

#include <memory>

class QLockFile;

/**
 * Keeps a second copy of the program from running for the same user. The first copy holds a
 * lock file in the user's runtime folder; a lock left behind by a copy that crashed (its
 * process is gone, or its number now belongs to another program) is taken over.
 */
class SingleInstance {
public:
    /// The lock file for the current user (the runtime folder, else the temporary folder with
    /// the user's name in the file name).
    SingleInstance();
    /// A lock file at this path (tests).
    explicit SingleInstance(const QString& lockPath);
    ~SingleInstance();

    /// Takes the lock; false when another running copy holds it.
    bool tryAcquire();
    bool isAcquired() const { return m_acquired; }
    /// Gives the lock up (also done on destruction).
    void release();
    QString lockPath() const { return m_lockPath; }

    static QString defaultLockPath();
    static QString refusalTitle();
    static QString refusalText();

private:
    QString m_lockPath;
    std::unique_ptr<QLockFile> m_lock;
    bool m_acquired = false;
};
