#include "ActivityLogWriter.h"

#include "Clock.h"
#include "state/Switches.h"

#include <QDir>
#include <QFile>

Q_LOGGING_CATEGORY(lcLogging, "valdoria.logging")

namespace {
const QString kSep = QStringLiteral(",");
} // namespace

ActivityLogWriter::ActivityLogWriter(const QString& appFolder, Switches& switches, Clock& clock, const QLocale& locale)
    : m_appFolder(appFolder)
    , m_switches(switches)
    , m_clock(clock)
    , m_locale(locale)
    , m_timeFormat(timeFormatWithoutZone(locale)) {}

QString ActivityLogWriter::durationText(int start, int now) {
    qint64 seconds = qint64(now) - start;
    // Both times count seconds since midnight, so a hold that ran past midnight would come out negative.
    if (seconds < 0)
        seconds += Clock::kSecondsPerDay;
    // Always a point: a decimal comma would split the field in two.
    return QString::number(seconds + 0.1, 'f', 1);
}

QString ActivityLogWriter::timeFormatWithoutZone(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool inQuote = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            inQuote = !inQuote;
        // 't' outside quotes is the zone (t, tt, ttt, tttt).
        if (!inQuote && c == QLatin1Char('t'))
            continue;
        out += c;
    }
    out = out.simplified();
    if (!out.contains(QLatin1Char('s')))
        out = QStringLiteral("HH:mm:ss");
    return out;
}

QString ActivityLogWriter::timeText(const QTime& time) const {
    return m_locale.toString(time, m_timeFormat);
}

void ActivityLogWriter::append(const QString& folder, const QString& entry, const QString& modeWord,
                               const QString& line) {
    const QDir logs(QDir(m_appFolder).filePath(QStringLiteral("LOGS/") + folder));
    if (m_appFolder.isEmpty() || !QDir().mkpath(logs.path())) {
        qCWarning(lcLogging) << "log folder cannot be created, line lost:" << logs.path();
        return;
    }
    const QString path = logs.filePath(m_clock.date().toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".log"));
    // The faceplate shows the mode word, not a hit.
    if (entry.trimmed() == modeWord)
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        qCWarning(lcLogging) << "log file cannot be opened, line lost:" << path << file.errorString();
        return;
    }
    const QByteArray bytes = (line + QStringLiteral("\r\n")).toUtf8();
    if (file.write(bytes) != bytes.size() || !file.flush())
        qCWarning(lcLogging) << "log line not fully written:" << path << file.errorString();
}

void ActivityLogWriter::writeSearchLog(int start, int now, const QString& freq, const QString& mode,
                                       const QString& kind) {
    if (!m_switches.searchLogging())
        return;
    const QString line =
        QStringList{freq, timeText(m_clock.timeOfDay()), durationText(start, now), mode, kind}.join(kSep);
    append(QStringLiteral("SEARCH"), freq, QStringLiteral("SEARCH"), line);
}

void ActivityLogWriter::writeScanLog(const QString& chan, const QString& freq, const QString& heard,
                                     const QString& mode, const QString& tag1, const QString& tag2) {
    Q_UNUSED(heard) // the line carries the time it is written, not the time of the event
    if (!m_switches.scanLogging())
        return;
    const QString line = QStringList{chan, freq, timeText(m_clock.timeOfDay()), mode, tag1, tag2}.join(kSep);
    append(QStringLiteral("SCAN"), freq, QStringLiteral("SCAN"), line);
}

void ActivityLogWriter::writeTrunkLog(const QString& id, const QString& trunkType, const QString& mode,
                                      const QString& tag1, const QString& tag2) {
    if (!m_switches.trunkLogging())
        return;
    const QString line = QStringList{id, trunkType, timeText(m_clock.timeOfDay()), mode, tag1, tag2}.join(kSep);
    append(QStringLiteral("TRUNK"), id, QStringLiteral("TRUNK"), line);
}
