#pragma once

#include <QString>

#include <memory>

class QLockFile;

/**
 * Keeps a second copy of the program from running for the same user. The first copy holds a
 * lock file in the user's runtime folder; a lock file that names no living copy is stale and is
 * taken over: one left by a copy that crashed (its process is gone, or its number now belongs to
 * another program), and one that names nobody at all (empty, or junk) while no copy holds it.
 */
class SingleInstance {
public:
    /// The lock file for the current user (the runtime folder, else the temporary folder with
    /// the user's name in the file name).
    SingleInstance();
    /// A lock file at this path (tests).
    explicit SingleInstance(const QString& lockPath);
    ~SingleInstance();

    /// Takes the lock; false when another running copy holds it, or when the lock file cannot
    /// be written (errorText() then says so).
    bool tryAcquire();
    bool isAcquired() const { return m_acquired; }
    /// Why the last tryAcquire() failed when it was not another copy: the lock file cannot be
    /// written, with its path and the reason. Empty otherwise.
    QString errorText() const { return m_error; }
    /// Gives the lock up (also done on destruction).
    void release();
    QString lockPath() const { return m_lockPath; }

    static QString defaultLockPath();
    /// The lock of a data folder: one program (the window or valdoria-cli monitor) follows the scanner on it,
    /// so two never write the same day logs and talkgroups.
    static QString dataFolderLockPath(const QString& dataFolder);
    /// One line saying the data folder is taken.
    static QString dataFolderRefusal(const QString& dataFolder);
    static QString refusalTitle();
    static QString refusalText();
    /// The title of the message that shows errorText().
    static QString lockErrorTitle();

private:
    bool takeOverUnreadableLock();
    QString writeFailureReason() const;

    QString m_lockPath;
    QString m_error;
    std::unique_ptr<QLockFile> m_lock;
    bool m_acquired = false;
};
