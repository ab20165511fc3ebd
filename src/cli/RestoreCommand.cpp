#include "RestoreCommand.h"

#include "BuiltInSimulator.h"
#include "CliCommand.h"
#include "ScannerLine.h"
#include "memory/RestoreJob.h"
#include "state/ScannerProfile.h"
#include "store/BackupSets.h"

#include <QCommandLineParser>
#include <QCoreApplication>

int runRestore(const QStringList& arguments) {
    std::optional<QString> simulate;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Programs a backup set into the scanner and reads every channel back. Prints the channels that did not "
        "take, one a line; the safety backup's set name goes to stderr."));
    ScannerLine::addPortOptions(parser);
    parser.addOption({QStringLiteral("set"), QStringLiteral("The backup set to restore."), QStringLiteral("name")});
    parser.addOption({QStringLiteral("banks"), QStringLiteral("Banks to program, e.g. 1-5,8 (default: all)."),
                      QStringLiteral("list")});
    parser.addOption({QStringLiteral("no-safety-backup"),
                      QStringLiteral("Do not back up the channels about to be overwritten first.")});
    Cli::addDataDirOption(parser);
    if (!Cli::parse(parser, BuiltInSimulator::takeOption(arguments, &simulate)))
        return Cli::Usage;
    if (!parser.isSet(QStringLiteral("set")))
        return Cli::fail(QStringLiteral("--set NAME is needed; valdoria-cli sets lists them"), Cli::Usage);
    const ScannerProfile* profile = ScannerLine::profile(parser, simulate);
    if (!profile)
        return Cli::Usage;
    const std::optional<QList<int>> chosen = ScannerLine::chosenBanks(parser, *profile);
    if (!chosen)
        return Cli::Usage;
    const QList<int>& banks = *chosen;

    ScannerLine line;
    if (!line.openDatabase(parser))
        return Cli::Failed;
    const QString set = parser.value(QStringLiteral("set"));
    const int changes = RestoreJob::channelsToChange(line.database(), set, banks);
    if (changes < 0)
        return Cli::fail(QStringLiteral("the backup sets cannot be read"));
    if (BackupSets(line.database()).channels(set).value_or(QList<BackupChannel>()).isEmpty())
        return Cli::fail(QStringLiteral("there is no backup set \"%1\"; valdoria-cli sets lists them").arg(set));
    if (!line.openScanner(parser, *profile, simulate))
        return Cli::Failed;
    Cli::say(QStringLiteral("set \"%1\" will change %2 channels").arg(set).arg(changes));
    RestoreJob job(line.context());
    followJob(job, line, QStringLiteral("Restore"));
    QObject::connect(&job, &MemoryJob::finished, &job, [](const MemoryJobResult& result) {
        Cli::say(result.message);
        for (int channel : result.notTaken)
            Cli::out(QString::number(channel));
    });
    QObject::connect(&job, &RestoreJob::bankTypesWanted, &job, [](const QList<int>& trunked) {
        QStringList listed;
        for (int bank : trunked)
            listed.append(QString::number(bank));
        Cli::say(QStringLiteral("trunked channels went into bank %1: choose their trunk types in the window's Bank "
                                "Types")
                     .arg(listed.join(QStringLiteral(", "))));
    });
    job.start(set, banks, !parser.isSet(QStringLiteral("no-safety-backup")));
    return QCoreApplication::exec();
}
