#pragma once

#include <QDate>
#include <QString>

/**
 * What the start-up window, the About window and the help entries show: the program's build
 * date text, its version line, the help message and where the manual lives.
 */
class StartupInfo {
public:
    /// "Created: Sept 5, 2000": the month in the program's own short forms, the day without a
    /// leading zero and a four-digit year. Empty for an invalid date.
    static QString buildDateText(QDate date);
    /// buildDateText() of a file's last-modified date; empty when the file does not exist.
    static QString fileDateText(const QString& path);
    /// "Version 0.1.0 - " followed by the build date text.
    static QString versionLine(const QString& buildDateText);
    /// "Version 0.1.0 - " for an explicit version (the three parts as plain decimal numbers).
    static QString versionLine(int major, int minor, int revision, const QString& buildDateText);

    /// The name of the manual shipped with the program.
    static QString manualFileName();
    /// The folder that holds the manual: the installed documentation folder beside the program
    /// (../share/doc/valdoria), a docs folder next to it or above it; the program folder itself
    /// when none of them holds the manual.
    static QString manualFolder(const QString& programFolder);
    static QString helpTitle();
    /// The help box text: the manual's name and, on the last line, the folder that holds it.
    static QString helpMessageText(const QString& folder);

    /// The companion program can be started only when its configured path names a file on disk.
    static bool companionInstalled(const QString& path);
};
