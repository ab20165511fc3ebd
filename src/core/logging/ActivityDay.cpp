#include "ActivityDay.h"

#include "TextFiles.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace {

constexpr int kHalfDay = 43200;

// Hands the hits of a day file to each in file order, until each returns false; the unreadable lines come back.
int walk(QFile& file, ActivityLogKind log, const std::function<bool(const ActivityHit&)>& each) {
    int unreadable = 0;
    file.seek(0);
    TextFiles::LineReader reader(file);
    QByteArrayView raw;
    for (TextFiles::LineReader::Status status = reader.next(&raw); status != TextFiles::LineReader::Status::End;
         status = reader.next(&raw)) {
        if (status == TextFiles::LineReader::Status::TooLong) {
            ++unreadable;
            continue;
        }
        while (!raw.isEmpty() && (raw.back() == '\r' || raw.back() == ' '))
            raw.chop(1);
        if (raw.isEmpty())
            continue;
        const std::optional<ActivityHit> hit = ActivityHit::parse(log, ActivityHit::decode(raw));
        if (!hit) {
            ++unreadable;
            continue;
        }
        if (hit->showsWord())
            continue;
        if (!each(*hit))
            break;
    }
    return unreadable;
}

// The head of a file: the leading hits stamped in the evening, when a morning hit follows that is
// more than half a day earlier than the hit before it. Only the head is read.
qsizetype headLength(QFile& file, ActivityLogKind log) {
    qsizetype count = 0;
    int lastSeconds = 0;
    qsizetype head = 0;
    walk(file, log, [&](const ActivityHit& hit) {
        if (hit.seconds < kHalfDay) {
            if (count > 0 && lastSeconds - hit.seconds > kHalfDay)
                head = count;
            return false;
        }
        ++count;
        lastSeconds = hit.seconds;
        return true;
    });
    return head;
}

} // namespace

ActivityDay ActivityDay::read(const QString& appFolder, const QDate& day) {
    QList<ActivityHit> hits;
    ActivityDay result = scan(appFolder, day, [&hits](const ActivityHit& hit) { hits.append(hit); });
    std::stable_sort(hits.begin(), hits.end(),
                     [](const ActivityHit& a, const ActivityHit& b) { return a.seconds < b.seconds; });
    result.m_hits = std::move(hits);
    return result;
}

ActivityDay ActivityDay::scan(const QString& appFolder, const QDate& day,
                              const std::function<void(const ActivityHit&)>& each) {
    ActivityDay result;
    result.m_date = day;
    for (const ActivityLogKind log : {ActivityLogKind::Scan, ActivityLogKind::Search, ActivityLogKind::Trunk})
        result.scanLog(appFolder, log, each);
    return result;
}

void ActivityDay::scanLog(const QString& appFolder, ActivityLogKind log,
                          const std::function<void(const ActivityHit&)>& each) {
    const auto open = [this, &appFolder, log](const QDate& day, QFile& file) {
        file.setFileName(ActivityHit::filePath(appFolder, log, day));
        if (!file.exists())
            return false;
        if (!file.open(QIODevice::ReadOnly)) {
            m_problems << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(file.fileName()), file.errorString());
            return false;
        }
        return true;
    };
    // Each file is read twice over, never held: once for its head, once for its hits.
    QFile file;
    if (open(m_date, file)) {
        qsizetype skip = headLength(file, log);
        m_unreadable += walk(file, log, [&](const ActivityHit& hit) {
            if (skip > 0)
                --skip;
            else
                each(hit);
            return true;
        });
        file.close();
    }
    // The evening hits at the head of the next day's file were heard today.
    if (open(m_date.addDays(1), file)) {
        qsizetype take = headLength(file, log);
        if (take > 0)
            walk(file, log, [&](const ActivityHit& hit) {
                each(hit);
                return --take > 0;
            });
    }
}

QString ActivityDay::unreadableText(int lines) {
    return lines == 1 ? QStringLiteral("1 line could not be read")
                      : QStringLiteral("%1 lines could not be read").arg(lines);
}
