#include "ActivityCommand.h"

#include "CliCommand.h"
#include "logging/ActivityDay.h"
#include "logging/ActivitySummary.h"

#include <QCommandLineParser>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <cmath>

namespace {

constexpr ActivityLogKind kLogs[] = {ActivityLogKind::Scan, ActivityLogKind::Search, ActivityLogKind::Trunk};

// What each log's busiest list is called and what its key and detail columns hold.
struct Busiest {
    ActivityLogKind log;
    const char* heading;
    const char* key;
    const char* detail;
};
constexpr Busiest kBusiest[] = {
    {ActivityLogKind::Scan, "channels", "channel", "frequency"},
    {ActivityLogKind::Search, "frequencies", "frequency", "kind"},
    {ActivityLogKind::Trunk, "talkgroups", "talkgroup", "trunkType"},
};

QString durationText(double seconds) {
    return seconds < 0 ? QString() : QString::number(seconds, 'f', 1);
}

QJsonObject toJson(const ActivityDay& day, const ActivitySummary& summary) {
    QJsonObject root{{QStringLiteral("date"), day.date().toString(Qt::ISODate)},
                     {QStringLiteral("hits"), summary.hits()},
                     {QStringLiteral("unreadableLines"), day.unreadableLines()}};
    // Hits per hour, 24 numbers for each log.
    QJsonObject hours;
    for (const ActivityLogKind log : kLogs) {
        QJsonArray counts;
        for (int hour = 0; hour < ActivitySummary::kHours; ++hour)
            counts.append(summary.hitsInHour(log, hour));
        hours.insert(ActivityHit::title(log).toLower(), counts);
    }
    root.insert(QStringLiteral("hours"), hours);
    for (const Busiest& list : kBusiest) {
        QJsonArray rows;
        for (const ActivitySummary::Entry& entry : summary.busiest(list.log)) {
            QJsonObject row{{QLatin1String(list.key), entry.key},
                            {QLatin1String(list.detail), entry.detail},
                            {QStringLiteral("name"), entry.name},
                            {QStringLiteral("hits"), entry.hits}};
            if (entry.duration >= 0)
                row.insert(QStringLiteral("duration"), std::round(entry.duration * 10) / 10);
            rows.append(row);
        }
        root.insert(QLatin1String(list.heading), rows);
    }
    if (!day.problems().isEmpty())
        root.insert(QStringLiteral("problems"), QJsonArray::fromStringList(day.problems()));
    return root;
}

void printText(const ActivityDay& day, const ActivitySummary& summary) {
    const QString date = day.date().toString(Qt::ISODate);
    if (summary.hits() == 0) {
        Cli::out(QStringLiteral("No hits on %1.").arg(date));
        return;
    }
    Cli::out(QStringLiteral("%1: %2 hits (scan %3, search %4, trunk %5)")
                 .arg(date)
                 .arg(summary.hits())
                 .arg(summary.hits(ActivityLogKind::Scan))
                 .arg(summary.hits(ActivityLogKind::Search))
                 .arg(summary.hits(ActivityLogKind::Trunk)));
    Cli::out(QString());
    Cli::out(QStringLiteral("Hour   Scan Search  Trunk"));
    for (int hour = 0; hour < ActivitySummary::kHours; ++hour) {
        QString row = QStringLiteral("%1  ").arg(hour, 2, 10, QLatin1Char('0'));
        for (const ActivityLogKind log : kLogs)
            row += QStringLiteral(" %1").arg(summary.hitsInHour(log, hour), 6);
        Cli::out(row);
    }
    for (const Busiest& list : kBusiest) {
        const QList<ActivitySummary::Entry> entries = summary.busiest(list.log);
        if (entries.isEmpty())
            continue;
        Cli::out(QString());
        Cli::out(QStringLiteral("Busiest %1").arg(QLatin1String(list.heading)));
        for (const ActivitySummary::Entry& entry : entries) {
            QString row = QStringLiteral("%1  %2  %3").arg(entry.hits, 6).arg(entry.key, -10).arg(entry.detail, -12);
            if (entry.duration >= 0)
                row += QStringLiteral("  %1 s").arg(durationText(entry.duration), 8);
            if (!entry.name.isEmpty())
                row += QStringLiteral("  ") + entry.name;
            while (row.endsWith(QLatin1Char(' ')))
                row.chop(1);
            Cli::out(row);
        }
    }
}

} // namespace

int runActivity(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints the hits per hour and the busiest channels, frequencies and talkgroups of a day, "
                       "read from the scan, search and trunk logs."));
    parser.addOption({QStringLiteral("date"), QStringLiteral("The day to summarise (default: today)."),
                      QStringLiteral("YYYY-MM-DD")});
    Cli::addDataDirOption(parser);
    parser.addOption({QStringLiteral("json"), QStringLiteral("Print the summary as JSON.")});
    if (!Cli::parse(parser, arguments))
        return Cli::Usage;
    if (!parser.positionalArguments().isEmpty())
        return Cli::fail(QStringLiteral("activity takes no arguments"), Cli::Usage);

    const std::optional<QDate> chosen = Cli::dayOption(parser);
    if (!chosen)
        return Cli::Usage;
    const QDate date = *chosen;
    // Only reads: a folder that is not there is not created.
    const QString folder = parser.isSet(QStringLiteral("data-dir"))
                               ? parser.value(QStringLiteral("data-dir"))
                               : QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!QDir(folder).exists())
        return Cli::fail(QStringLiteral("no data folder %1").arg(QDir::toNativeSeparators(folder)));

    // Read as a stream into the summary: a day log of any size takes no more memory than a small one.
    ActivitySummary summary;
    const ActivityDay day = ActivityDay::scan(folder, date, [&summary](const ActivityHit& hit) { summary.add(hit); });
    if (parser.isSet(QStringLiteral("json")))
        Cli::out(QString::fromUtf8(QJsonDocument(toJson(day, summary)).toJson(QJsonDocument::Compact)).trimmed());
    else
        printText(day, summary);
    if (day.unreadableLines() > 0)
        Cli::say(ActivityDay::unreadableText(day.unreadableLines()));
    for (const QString& problem : day.problems())
        Cli::say(problem);
    return day.problems().isEmpty() ? Cli::Ok : Cli::Failed;
}
