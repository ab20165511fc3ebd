#include "Recordings.h"

#include "store/LocalDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdlib>

namespace {

const QString kTable = QStringLiteral("RECORDINGS");
const QString kColumns = QStringLiteral("FILE, START, DURATION_MS, FREQUENCY, CHANNEL, BANK, TALKGROUP, "
                                        "CHANNEL_NAME, TALKGROUP_NAME, MODE, BYTES");
// Milliseconds kept, so two hits in one second still sort in order.
const QString kStartFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz");

// Letters, digits, dot and dash only: a talkgroup or name never makes a path.
QString safePart(const QString& text) {
    QString out = text;
    out.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9.\\-]+")), QStringLiteral("_"));
    return out.left(40);
}

} // namespace

QJsonObject Recording::toJson() const {
    return {
        {QStringLiteral("file"), file},
        {QStringLiteral("start"), start.toString(Qt::ISODateWithMs)},
        {QStringLiteral("duration_ms"), durationMs},
        {QStringLiteral("frequency_hz"), frequencyHz},
        {QStringLiteral("channel"), channel},
        {QStringLiteral("bank"), bank},
        {QStringLiteral("talkgroup"), talkgroup},
        {QStringLiteral("channel_name"), channelName},
        {QStringLiteral("talkgroup_name"), talkgroupName},
        {QStringLiteral("mode"), mode},
        {QStringLiteral("bytes"), bytes},
    };
}

Recordings::Recordings(const QString& dataFolder, LocalDatabase& database)
    : m_dataFolder(dataFolder)
    , m_db(database) {}

QString Recordings::folder() const {
    return QDir(m_dataFolder).filePath(QStringLiteral("RECORDINGS"));
}

QList<Recording> Recordings::query(const QString& where, const QVariantList& values) const {
    QList<Recording> list;
    const auto rows =
        m_db.select(QStringLiteral("SELECT %1 FROM RECORDINGS %2 ORDER BY START").arg(kColumns, where), values);
    if (!rows)
        return list;
    for (const QSqlRecord& r : *rows) {
        Recording rec;
        rec.file = r.value(0).toString();
        rec.start = QDateTime::fromString(r.value(1).toString(), kStartFormat);
        rec.durationMs = r.value(2).toLongLong();
        rec.frequencyHz = r.value(3).toLongLong();
        rec.channel = r.value(4).toInt();
        rec.bank = r.value(5).toInt();
        rec.talkgroup = r.value(6).toString();
        rec.channelName = r.value(7).toString();
        rec.talkgroupName = r.value(8).toString();
        rec.mode = r.value(9).toString();
        rec.bytes = r.value(10).toLongLong();
        list.append(rec);
    }
    return list;
}

QList<Recording> Recordings::forDay(const QDate& day) const {
    return query(QStringLiteral("WHERE DAY = ?"), {day.toString(Qt::ISODate)});
}

QList<Recording> Recordings::all() const {
    return query({}, {});
}

QList<QDate> Recordings::days() const {
    QList<QDate> list;
    const auto rows = m_db.select(QStringLiteral("SELECT DISTINCT DAY FROM RECORDINGS ORDER BY DAY"));
    if (rows) {
        for (const QSqlRecord& r : *rows)
            list.append(QDate::fromString(r.value(0).toString(), Qt::ISODate));
    }
    return list;
}

QString Recordings::absolutePath(const Recording& recording) const {
    const QString root = QDir::cleanPath(QDir(folder()).absolutePath());
    const QString path = QDir::cleanPath(QDir(m_dataFolder).absoluteFilePath(recording.file));
    // A row edited by hand cannot point the web view or a window at any other file.
    if (!path.startsWith(root + QLatin1Char('/')))
        return {};
    return path;
}

std::unique_ptr<QFile> Recordings::open(const Recording& recording) const {
    const QString path = absolutePath(recording);
    if (path.isEmpty())
        return nullptr;
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        return nullptr;
    return file;
}

bool Recordings::add(const Recording& r) {
    return m_db.insertRow(kTable, {
                                      {QStringLiteral("FILE"), r.file},
                                      {QStringLiteral("START"), r.start.toString(kStartFormat)},
                                      {QStringLiteral("DAY"), r.start.date().toString(Qt::ISODate)},
                                      {QStringLiteral("DURATION_MS"), r.durationMs},
                                      {QStringLiteral("FREQUENCY"), r.frequencyHz},
                                      {QStringLiteral("CHANNEL"), r.channel},
                                      {QStringLiteral("BANK"), r.bank},
                                      {QStringLiteral("TALKGROUP"), r.talkgroup},
                                      {QStringLiteral("CHANNEL_NAME"), r.channelName},
                                      {QStringLiteral("TALKGROUP_NAME"), r.talkgroupName},
                                      {QStringLiteral("MODE"), r.mode},
                                      {QStringLiteral("BYTES"), r.bytes},
                                  });
}

bool Recordings::remove(const Recording& recording) {
    const QString path = absolutePath(recording);
    if (!path.isEmpty() && QFile::exists(path) && !QFile::remove(path))
        return false;
    if (!path.isEmpty()) {
        // The day's folder goes with its last file.
        QDir day = QFileInfo(path).dir();
        if (day.isEmpty())
            QDir().rmdir(day.path());
    }
    return m_db.exec(QStringLiteral("DELETE FROM RECORDINGS WHERE FILE = ?"), {recording.file});
}

QString Recordings::fileNameFor(const Hit& hit) const {
    const Reading& r = hit.reading;
    QString label;
    if (!r.talkgroup.isEmpty())
        label = QStringLiteral("TG") + safePart(r.talkgroup);
    else if (r.channel > 0)
        label = QStringLiteral("CH%1").arg(r.channel, 3, 10, QLatin1Char('0'));
    else if (r.frequencyHz > 0)
        label = frequencyText(r.frequencyHz);
    else
        label = QStringLiteral("audio");
    const QString day = QStringLiteral("RECORDINGS/") + hit.start.date().toString(Qt::ISODate);
    const QString stem = hit.start.toString(QStringLiteral("HHmmss")) + QLatin1Char('-') + label;
    QString name = day + QLatin1Char('/') + stem + QStringLiteral(".opus");
    for (int n = 2; QFile::exists(QDir(m_dataFolder).filePath(name)); ++n)
        name = day + QLatin1Char('/') + stem + QStringLiteral("-%1.opus").arg(n);
    return name;
}

QString Recordings::frequencyText(qint64 hz) {
    if (hz <= 0)
        return {};
    return QString::number(hz / 1e6, 'f', 4);
}

QString Recordings::titleFor(const Reading& reading) {
    const QString name = !reading.talkgroupName.isEmpty() ? reading.talkgroupName
                         : !reading.talkgroup.isEmpty()   ? QStringLiteral("Talkgroup ") + reading.talkgroup
                                                          : reading.channelName;
    const QString freq = frequencyText(reading.frequencyHz);
    if (name.isEmpty())
        return freq;
    if (freq.isEmpty())
        return name;
    return name + QStringLiteral(" - ") + freq;
}

int Recordings::indexForHit(const QList<Recording>& day, const ActivityHit& hit) {
    // The log line is written while the scanner rests on the hit, so its time falls inside the
    // recording; the slack covers the poll's delay and the pre-roll.
    constexpr int kSlackSeconds = 3;
    int best = -1;
    int bestDistance = 0;
    for (int i = 0; i < day.size(); ++i) {
        const Recording& r = day.at(i);
        bool same = false;
        switch (hit.log) {
        case ActivityLogKind::Scan:
            same = hit.key.toInt() == r.channel && r.channel > 0;
            break;
        case ActivityLogKind::Search:
            same = qRound64(hit.key.toDouble() * 1e6) == r.frequencyHz && r.frequencyHz > 0;
            break;
        case ActivityLogKind::Trunk:
            same = !r.talkgroup.isEmpty() && hit.key == r.talkgroup;
            break;
        }
        if (!same)
            continue;
        const int from = r.start.time().msecsSinceStartOfDay() / 1000;
        const int to = from + int((r.durationMs + 999) / 1000);
        if (hit.seconds < from - kSlackSeconds || hit.seconds > to + kSlackSeconds)
            continue;
        const int distance = std::abs(hit.seconds - from);
        if (best < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}
