#include "ActivityDay.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace {

constexpr int kHalfDay = 43200;

struct FileLines {
    QList<ActivityHit> hits;
    int unreadable = 0;
    /// How many of the first hits were stamped before midnight of the day before the file's day.
    qsizetype headLength = 0;
};

// The head: the leading hits stamped in the evening, when a morning hit follows that is more
// than half a day earlier than the hit before it. With stopAtMorning only the head is read.
FileLines readLines(const QByteArray& bytes, ActivityLogKind log, bool stopAtMorning) {
    FileLines out;
    bool headOpen = true;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', pos);
        if (end < 0)
            end = bytes.size();
        QByteArrayView raw(bytes.constData() + pos, end - pos);
        pos = end + 1;
        while (!raw.isEmpty() && (raw.back() == '\r' || raw.back() == ' '))
            raw.chop(1);
        if (raw.isEmpty())
            continue;
        const std::optional<ActivityHit> hit = ActivityHit::parse(log, ActivityHit::decode(raw));
        if (!hit) {
            ++out.unreadable;
            continue;
        }
        if (hit->showsWord())
            continue;
        if (headOpen && hit->seconds < kHalfDay) {
            headOpen = false;
            if (!out.hits.isEmpty() && out.hits.back().seconds - hit->seconds > kHalfDay)
                out.headLength = out.hits.size();
            if (stopAtMorning)
                break;
        }
        out.hits.append(*hit);
    }
    return out;
}

} // namespace

ActivityDay ActivityDay::read(const QString& appFolder, const QDate& day) {
    ActivityDay result;
    result.m_date = day;
    for (const ActivityLogKind log : {ActivityLogKind::Scan, ActivityLogKind::Search, ActivityLogKind::Trunk})
        result.readLog(appFolder, log);
    std::stable_sort(result.m_hits.begin(), result.m_hits.end(),
                     [](const ActivityHit& a, const ActivityHit& b) { return a.seconds < b.seconds; });
    return result;
}

void ActivityDay::readLog(const QString& appFolder, ActivityLogKind log) {
    const auto load = [this, &appFolder, log](const QDate& day, QByteArray& bytes) {
        QFile file(ActivityHit::filePath(appFolder, log, day));
        if (!file.exists())
            return false;
        if (!file.open(QIODevice::ReadOnly)) {
            m_problems << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(file.fileName()), file.errorString());
            return false;
        }
        bytes = file.readAll();
        return true;
    };
    QByteArray bytes;
    if (load(m_date, bytes)) {
        const FileLines lines = readLines(bytes, log, false);
        m_unreadable += lines.unreadable;
        m_hits.append(lines.hits.mid(lines.headLength));
    }
    // The evening hits at the head of the next day's file were heard today.
    if (load(m_date.addDays(1), bytes)) {
        const FileLines next = readLines(bytes, log, true);
        m_hits.append(next.hits.first(next.headLength));
    }
}

QString ActivityDay::unreadableText(int lines) {
    return lines == 1 ? QStringLiteral("1 line could not be read")
                      : QStringLiteral("%1 lines could not be read").arg(lines);
}
