#include "RestoreCommand.h"

#include "BuiltInSimulator.h"
#include "CliCommand.h"
#include "ScannerLine.h"
#include "memory/BankTypes.h"
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
    // Nothing to program is no restore: the scanner is left alone and the script told so.
    if (RestoreJob::plan(line.database(), set, banks).value_or(QList<RestoreJob::Planned>()).isEmpty())
        return Cli::fail(QStringLiteral("set \"%1\" holds no channels in banks %2; nothing was sent")
                             .arg(set, ScannerLine::bankListText(banks)));
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
    // Without the BankType window the command line ends the restore as that window would: the types it
    // already knows for the trunked banks, then the scanner back on channel 1 and scanning.
    CliPrompter prompter;
    ScannerState& state = line.context().state;
    BankTypes bankTypes(state, line.context().link, line.database(), prompter);
    QObject::connect(&job, &RestoreJob::bankTypesWanted, &job, [&bankTypes](const QList<int>& trunked) {
        const QList<int> untyped = bankTypes.sendStoredTypes(trunked);
        for (int bank : trunked) {
            if (!untyped.contains(bank))
                Cli::say(QStringLiteral("bank %1 was sent its stored trunk type again: %2")
                             .arg(bank)
                             .arg(bankTypes.typeName(bankTypes.rows().value(bank - 1).code)));
        }
        if (!untyped.isEmpty())
            Cli::say(QStringLiteral("trunked channels went into bank %1, which has no trunk type yet: choose one in "
                                    "the window's Bank Types")
                         .arg(ScannerLine::bankListText(untyped)));
        Cli::say(QStringLiteral("the scanner is back on channel 1 and scanning"));
    });
    job.start(set, banks, !parser.isSet(QStringLiteral("no-safety-backup")));
    return QCoreApplication::exec();
}
