#include "IndexedRecordings.h"

#include "audio/Recordings.h"

#include <QFileInfo>

namespace {

const QString kDayFormat = QStringLiteral("yyyy-MM-dd");

QString idOf(const ::Recording& r) {
    return r.start.date().toString(kDayFormat) + QLatin1Char('_') + QFileInfo(r.file).fileName();
}

// What was heard, as the hit list names it: "CH 5 460.1250 City police dispatch".
QString labelOf(const ::Recording& r) {
    QStringList parts;
    if (r.channel > 0)
        parts << QStringLiteral("CH %1").arg(r.channel);
    if (!r.talkgroup.isEmpty())
        parts << QStringLiteral("TG %1").arg(r.talkgroup);
    if (r.frequencyHz > 0)
        parts << QString::number(double(r.frequencyHz) / 1e6, 'f', 4);
    for (const QString& name : {r.talkgroupName, r.channelName}) {
        if (!name.isEmpty())
            parts << name;
    }
    return parts.join(QLatin1Char(' '));
}

} // namespace

QList<RecordingLibrary::Recording> IndexedRecordings::recordingsOn(const QDate& day) const {
    QList<Recording> out;
    for (const ::Recording& r : m_recordings.forDay(day))
        out.append({idOf(r), r.start, r.durationMs, labelOf(r)});
    return out;
}

QString IndexedRecordings::filePath(const QString& id) const {
    const QDate day = QDate::fromString(id.section(QLatin1Char('_'), 0, 0), kDayFormat);
    if (!day.isValid())
        return QString();
    for (const ::Recording& r : m_recordings.forDay(day)) {
        if (idOf(r) == id)
            return m_recordings.absolutePath(r);
    }
    return QString();
}
