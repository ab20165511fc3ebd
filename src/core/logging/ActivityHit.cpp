#include "ActivityHit.h"

#include "TextFiles.h"

#include <QDir>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kFieldsSearch = 5;
constexpr int kFieldsTagged = 6;

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Reads one or two digits at pos; -1 when there are none.
int readNumber(QStringView text, qsizetype& pos, int maxDigits) {
    int value = 0;
    int digits = 0;
    while (pos < text.size() && digits < maxDigits && isDigit(text[pos])) {
        value = value * 10 + (text[pos].unicode() - '0');
        ++pos;
        ++digits;
    }
    return digits ? value : -1;
}

// "AM", "a.m.", "PM", "p.m." (any case): 0 for morning, 12 for afternoon, -1 for anything else.
int meridiemOffset(QStringView word) {
    char letters[3] = {};
    int count = 0;
    for (const QChar c : word) {
        if (!c.isLetter())
            continue;
        if (count == 2)
            return -1;
        letters[count++] = char(c.toLower().unicode());
    }
    if (letters[0] != 'a' && letters[0] != 'p')
        return -1;
    if (count == 2 && letters[1] != 'm')
        return -1;
    return count == 0 ? -1 : (letters[0] == 'p' ? 12 : 0);
}

} // namespace

int ActivityHit::parseTime(QStringView text) {
    text = text.trimmed();
    // Some 12-hour locales put the marker first ("PM 3:04:05").
    int offset = -1;
    qsizetype pos = 0;
    while (pos < text.size() && !isDigit(text[pos]))
        ++pos;
    if (pos > 0) {
        offset = meridiemOffset(text.first(pos));
        if (offset < 0)
            return kNoTime;
    }
    const int h = readNumber(text, pos, 2);
    if (h < 0 || pos >= text.size() || (text[pos] != QLatin1Char(':') && text[pos] != QLatin1Char('.')))
        return kNoTime;
    const QChar sep = text[pos++];
    const qsizetype minuteAt = pos;
    const int m = readNumber(text, pos, 2);
    if (m < 0 || pos - minuteAt != 2 || pos >= text.size() || text[pos] != sep)
        return kNoTime;
    ++pos;
    const qsizetype secondAt = pos;
    const int s = readNumber(text, pos, 2);
    if (s < 0 || pos - secondAt != 2 || m > 59 || s > 59)
        return kNoTime;
    const QStringView rest = text.sliced(pos).trimmed();
    // After the seconds: a day-half marker, or a zone name, which the day file does not need.
    if (!rest.isEmpty()) {
        if (!rest[0].isLetter())
            return kNoTime;
        const QStringView word =
            rest.first(rest.indexOf(QLatin1Char(' ')) < 0 ? rest.size() : rest.indexOf(QLatin1Char(' ')));
        if (offset < 0)
            offset = meridiemOffset(word);
    }
    if (offset >= 0) {
        if (h < 1 || h > 12)
            return kNoTime;
        return ((h % 12) + offset) * 3600 + m * 60 + s;
    }
    if (h > 23)
        return kNoTime;
    return h * 3600 + m * 60 + s;
}

QString ActivityHit::decode(QByteArrayView bytes) {
    return TextFiles::decode(bytes);
}

bool ActivityHit::showsWord() const {
    const auto hasDigit = [](const QString& text) { return std::any_of(text.begin(), text.end(), isDigit); };
    return !hasDigit(key) && !hasDigit(frequency);
}

std::optional<ActivityHit> ActivityHit::parse(ActivityLogKind log, QStringView line) {
    // Fields are written unquoted, so a tag holding a comma makes more fields; the fixed ones come first.
    QVarLengthArray<QStringView, 8> fields;
    for (const QStringView field : line.tokenize(QLatin1Char(',')))
        fields.append(field);
    ActivityHit hit;
    hit.log = log;
    int timeField = 2;
    if (log == ActivityLogKind::Search) {
        if (fields.size() != kFieldsSearch)
            return std::nullopt;
        timeField = 1;
        bool ok = false;
        hit.duration = fields[2].trimmed().toDouble(&ok);
        if (!ok)
            return std::nullopt;
        // Older files count a hold across midnight from the wrong end of the day.
        if (hit.duration < 0)
            hit.duration = std::round((hit.duration + 86400) * 10) / 10;
        hit.key = fields[0].trimmed().toString();
        hit.mode = fields[3].trimmed().toString();
        hit.detail = fields[4].trimmed().toString();
    } else {
        if (fields.size() < kFieldsTagged)
            return std::nullopt;
        hit.key = fields[0].trimmed().toString();
        if (log == ActivityLogKind::Scan)
            hit.frequency = fields[1].trimmed().toString();
        else
            hit.detail = fields[1].trimmed().toString();
        hit.mode = fields[3].trimmed().toString();
        if (fields.size() == kFieldsTagged) {
            const QString tag1 = fields[4].trimmed().toString();
            const QString tag2 = fields[5].trimmed().toString();
            hit.name = tag1.isEmpty() || tag2.isEmpty() ? tag1 + tag2 : tag1 + QStringLiteral(" / ") + tag2;
        } else {
            // Which comma split the two tags cannot be told; the tags are kept as written.
            const qsizetype tagsAt = fields[4].data() - line.data();
            hit.name = line.sliced(tagsAt).toString().trimmed();
        }
    }
    if (hit.key.isEmpty() && (log != ActivityLogKind::Scan || hit.frequency.isEmpty()))
        return std::nullopt;
    hit.seconds = parseTime(fields[timeField]);
    if (hit.seconds == kNoTime)
        return std::nullopt;
    return hit;
}

QString ActivityHit::folder(ActivityLogKind log) {
    switch (log) {
    case ActivityLogKind::Scan:
        return QStringLiteral("SCAN");
    case ActivityLogKind::Search:
        return QStringLiteral("SEARCH");
    case ActivityLogKind::Trunk:
        break;
    }
    return QStringLiteral("TRUNK");
}

QString ActivityHit::title(ActivityLogKind log) {
    switch (log) {
    case ActivityLogKind::Scan:
        return QStringLiteral("Scan");
    case ActivityLogKind::Search:
        return QStringLiteral("Search");
    case ActivityLogKind::Trunk:
        break;
    }
    return QStringLiteral("Trunk");
}

QString ActivityHit::filePath(const QString& appFolder, ActivityLogKind log, const QDate& day) {
    return QDir(appFolder).filePath(
        QStringLiteral("LOGS/%1/%2.log").arg(folder(log), day.toString(QStringLiteral("yyyyMMdd"))));
}

QString ActivityHit::timeText(int seconds) {
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
