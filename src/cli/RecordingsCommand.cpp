#include "RecordingsCommand.h"

#include "CliCommand.h"
#include "ScannerLine.h"
#include "audio/Recordings.h"
#include "store/LocalDatabase.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

QString lineFor(const Recording& r) {
    QString source = r.talkgroup.isEmpty() ? (r.channel > 0 ? QStringLiteral("CH %1").arg(r.channel) : QString())
                                           : QStringLiteral("TG %1").arg(r.talkgroup);
    const QString name = r.talkgroupName.isEmpty() ? r.channelName : r.talkgroupName;
    return QStringLiteral("%1  %2 s  %3  %4  %5  %6")
        .arg(r.start.toString(QStringLiteral("HH:mm:ss")))
        .arg(r.durationMs / 1000.0, 5, 'f', 1)
        .arg(Recordings::frequencyText(r.frequencyHz).rightJustified(9), source.leftJustified(8), name, r.file);
}

} // namespace

int runRecordings(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Lists the recorded hits of a day, oldest first."));
    parser.addOption(
        {QStringLiteral("date"), QStringLiteral("The day (default: today)."), QStringLiteral("YYYY-MM-DD")});
    parser.addOption({QStringLiteral("json"), QStringLiteral("Print a JSON array instead of text.")});
    Cli::addDataDirOption(parser);
    if (!Cli::parse(parser, arguments))
        return Cli::Usage;
    const std::optional<QDate> chosen = Cli::dayOption(parser);
    if (!chosen)
        return Cli::Usage;
    const QDate date = *chosen;
    const std::optional<QString> folder = Cli::dataDir(parser);
    if (!folder)
        return Cli::Failed;
    CliPrompter prompter;
    LocalDatabase db(LocalDatabase::pathForAppFolder(*folder), prompter);
    if (!db.open())
        return Cli::fail(QStringLiteral("cannot open the database %1").arg(db.path()));
    const QList<Recording> list = Recordings(*folder, db).forDay(date);
    if (parser.isSet(QStringLiteral("json"))) {
        QJsonArray rows;
        for (const Recording& r : list)
            rows.append(r.toJson());
        Cli::out(QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Compact)));
        return Cli::Ok;
    }
    if (list.isEmpty()) {
        Cli::out(QStringLiteral("No recordings on %1.").arg(date.toString(Qt::ISODate)));
        return Cli::Ok;
    }
    for (const Recording& r : list)
        Cli::out(lineFor(r));
    return Cli::Ok;
}
