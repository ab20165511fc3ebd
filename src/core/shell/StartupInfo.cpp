#include "StartupInfo.h"

#include <QDir>
#include <QFileInfo>

#include <array>

namespace {
// The program has always written these month forms; note "Sept" has no full stop and the short
// months none at all.
const std::array<const char*, 12> kMonths = {"Jan.", "Feb.", "Mar.", "Apr.", "May",  "June",
                                             "July", "Aug.", "Sept", "Oct.", "Nov.", "Dec."};
const QString kCrLf = QStringLiteral("\r\n");
} // namespace

QString StartupInfo::buildDateText(QDate date) {
    if (!date.isValid())
        return {};
    return QStringLiteral("Created: %1 %2, %3")
        .arg(QString::fromLatin1(kMonths[date.month() - 1]))
        .arg(date.day())
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

QString StartupInfo::fileDateText(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return {};
    return buildDateText(info.lastModified().date());
}

QString StartupInfo::versionLine(const QString& buildDateText) {
    return versionLine(VALDORIA_VERSION_MAJOR, VALDORIA_VERSION_MINOR, VALDORIA_VERSION_PATCH, buildDateText);
}

QString StartupInfo::versionLine(int major, int minor, int revision, const QString& buildDateText) {
    return QStringLiteral("Version %1.%2.%3 - %4").arg(major).arg(minor).arg(revision).arg(buildDateText);
}

QString StartupInfo::manualFileName() {
    return QStringLiteral("manual.md");
}

QString StartupInfo::manualFolder(const QString& programFolder) {
    const QDir program(programFolder);
    const QStringList candidates = {
        program.absoluteFilePath(QStringLiteral("../share/doc/valdoria")),
        program.absoluteFilePath(QStringLiteral("docs")),
        program.absoluteFilePath(QStringLiteral("../docs")),
    };
    for (const QString& folder : candidates) {
        if (QFileInfo(QDir(folder).filePath(manualFileName())).isFile())
            return QDir::cleanPath(folder);
    }
    return QDir::cleanPath(programFolder);
}

QString StartupInfo::helpTitle() {
    return QStringLiteral("ValdoriaPro Help");
}

QString StartupInfo::helpMessageText(const QString& folder) {
    return QStringLiteral("Please see the enclosed %1 file").arg(manualFileName()) + kCrLf +
           QStringLiteral("It should be located in the directory:") + kCrLf + QDir::toNativeSeparators(folder);
}

bool StartupInfo::companionInstalled(const QString& path) {
    return !path.trimmed().isEmpty() && QFileInfo(path.trimmed()).isFile();
}
