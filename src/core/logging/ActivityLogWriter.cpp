#include "ActivityLogWriter.h"

#include "Clock.h"
#include "state/Switches.h"

#include <QDir>
#include <QFile>

Q_LOGGING_CATEGORY(lcLogging, "valdoria.logging")

namespace {
const QString kSep = QStringLiteral(",");
} // namespace

ActivityLogWriter::ActivityLogWriter(const QString& appFolder, Switches& switches, Clock& clock, const QLocale& locale,
                                     QObject* parent)
    : QObject(parent)
    , m_appFolder(appFolder)
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

QString ActivityLogWriter::append(ActivityLogKind log, const QString& entry, const QString& line) {
    const QString folder = ActivityHit::folder(log);
    const QDir logs(QDir(m_appFolder).filePath(QStringLiteral("LOGS/") + folder));
    if (m_appFolder.isEmpty() || !QDir().mkpath(logs.path())) {
        qCWarning(lcLogging) << "log folder cannot be created, line lost:" << logs.path();
        return QStringLiteral("folder %1 cannot be created").arg(QDir::toNativeSeparators(logs.path()));
    }
    const QDate day = m_clock.date();
    const QString path = logs.filePath(day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".log"));
    // The faceplate shows the mode word, not a hit.
    if (entry.trimmed() == folder)
        return {};
    const std::unique_ptr<QFile> owned = m_openFile ? m_openFile(path) : std::make_unique<QFile>(path);
    QFile& file = *owned;
    const QString diskFull = QStringLiteral("disk full");
    // Unbuffered: the line goes out in one write now, and nothing is left behind to trickle out on close.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        qCWarning(lcLogging) << "log file cannot be opened, line lost:" << path << file.errorString();
        return file.error() == QFileDevice::ResourceError
                   ? diskFull
                   : QStringLiteral("%1 cannot be opened").arg(QDir::toNativeSeparators(path));
    }
    const qint64 before = file.size();
    const QByteArray bytes = (line + QStringLiteral("\r\n")).toUtf8();
    const qint64 written = file.write(bytes);
    if (written == bytes.size()) {
        Q_EMIT lineWritten(log, day, line);
        return {};
    }
    qCWarning(lcLogging) << "log line not written, line lost:" << path << file.errorString();
    // A line is in the file whole or not at all: the next line must not be glued onto half of this one.
    if (file.size() != before && !file.resize(before))
        qCWarning(lcLogging) << "half a line left in" << path << file.errorString();
    // A short write is the disk taking what still fitted.
    return written >= 0 || file.error() == QFileDevice::ResourceError
               ? diskFull
               : QStringLiteral("%1 cannot be written").arg(QDir::toNativeSeparators(path));
}

void ActivityLogWriter::noteResult(bool& failing, const QString& title, const QString& problem) {
    if (problem.isEmpty() != failing)
        return;
    failing = !problem.isEmpty();
    Q_EMIT statusLine(failing ? title + QStringLiteral(": ") + problem + QStringLiteral("; lines are not being written")
                              : title + QStringLiteral(": writing again"));
}

void ActivityLogWriter::writeSearchLog(int start, int now, const QString& freq, const QString& mode,
                                       const QString& kind) {
    if (!m_switches.searchLogging())
        return;
    const QString line =
        QStringList{freq, timeText(m_clock.timeOfDay()), durationText(start, now), mode, kind}.join(kSep);
    noteResult(m_searchFailing, QStringLiteral("Search log"), append(ActivityLogKind::Search, freq, line));
}

void ActivityLogWriter::writeScanLog(const QString& chan, const QString& freq, const QString& heard,
                                     const QString& mode, const QString& tag1, const QString& tag2) {
    Q_UNUSED(heard) // the line carries the time it is written, not the time of the event
    if (!m_switches.scanLogging())
        return;
    const auto [name1, name2] =
        tag1.isEmpty() && tag2.isEmpty() && m_names ? m_names(ActivityLogKind::Scan, chan) : std::pair(tag1, tag2);
    const QString line = QStringList{chan, freq, timeText(m_clock.timeOfDay()), mode, name1, name2}.join(kSep);
    noteResult(m_scanFailing, QStringLiteral("Scan log"), append(ActivityLogKind::Scan, freq, line));
}

void ActivityLogWriter::writeTrunkLog(const QString& id, const QString& trunkType, const QString& mode,
                                      const QString& tag1, const QString& tag2) {
    if (!m_switches.trunkLogging())
        return;
    const auto [name1, name2] =
        tag1.isEmpty() && tag2.isEmpty() && m_names ? m_names(ActivityLogKind::Trunk, id) : std::pair(tag1, tag2);
    const QString line = QStringList{id, trunkType, timeText(m_clock.timeOfDay()), mode, name1, name2}.join(kSep);
    noteResult(m_trunkFailing, QStringLiteral("Trunk log"), append(ActivityLogKind::Trunk, id, line));
}
