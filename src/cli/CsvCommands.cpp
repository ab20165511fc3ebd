// valdoria-cli export / import (a backup set as CHIRP's generic CSV) and export-talkgroups /
// import-talkgroups (the talkgroup table as a RadioReference talkgroup file).
#include "CsvCommands.h"

#include "CliCommand.h"
#include "ScannerLine.h"
#include "store/ChannelCsv.h"
#include "store/LocalDatabase.h"
#include "store/TalkgroupCsv.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <functional>

namespace {

struct CsvCommand {
    QString description;
    QString usage;     ///< the one-line usage printed for a wrong command line
    QString setOption; ///< what --set means for this command; empty: no --set
    QString fileText;
    std::function<CsvReport(LocalDatabase&, const QString& set, const QString& file)> transfer;
    bool readsOnly = false; ///< an export: an existing database is opened read-only
};

int runCsv(const QStringList& arguments, const CsvCommand& command) {
    QCommandLineParser parser;
    parser.setApplicationDescription(command.description);
    const bool withSet = !command.setOption.isEmpty();
    if (withSet)
        parser.addOption({QStringLiteral("set"), command.setOption, QStringLiteral("name")});
    parser.addPositionalArgument(QStringLiteral("file"), command.fileText);
    Cli::addDataDirOption(parser);
    if (!Cli::parse(parser, arguments))
        return Cli::Usage;
    if ((withSet && !parser.isSet(QStringLiteral("set"))) || parser.positionalArguments().size() != 1)
        return Cli::fail(QStringLiteral("usage: ") + command.usage, Cli::Usage);
    const std::optional<QString> dir = Cli::dataDir(parser);
    if (!dir)
        return Cli::Failed;
    CliPrompter prompter;
    LocalDatabase database(LocalDatabase::pathForAppFolder(*dir), prompter);
    // Writing a file from the database needs no write access to the database.
    if (command.readsOnly && QFileInfo::exists(database.path()))
        database.setReadOnly(true);
    const CsvReport report = command.transfer(database, withSet ? parser.value(QStringLiteral("set")) : QString(),
                                              parser.positionalArguments().first());
    if (!report.ok)
        return Cli::fail(report.error);
    Cli::out(report.summary());
    return Cli::Ok;
}

} // namespace

int runExport(const QStringList& arguments) {
    return runCsv(arguments, {QStringLiteral("Writes a backup set as a CSV file CHIRP opens."),
                              QStringLiteral("valdoria-cli export --set NAME FILE.csv"),
                              QStringLiteral("The backup set to write."), QStringLiteral("The CSV file to write."),
                              [](LocalDatabase& db, const QString& set, const QString& file) {
                                  return ChannelCsv::exportSet(db, set, file);
                              },
                              true});
}

int runImport(const QStringList& arguments) {
    return runCsv(
        arguments,
        {QStringLiteral("Adds a CHIRP CSV file's channels to a backup set, replacing rows of the same channel."),
         QStringLiteral("valdoria-cli import FILE.csv --set NAME"), QStringLiteral("The backup set to fill."),
         QStringLiteral("The CSV file to read."), [](LocalDatabase& db, const QString& set, const QString& file) {
             return ChannelCsv::importSet(db, file, set);
         }});
}

int runExportTalkgroups(const QStringList& arguments) {
    return runCsv(
        arguments,
        {QStringLiteral("Writes the talkgroups as a RadioReference CSV file."),
         QStringLiteral("valdoria-cli export-talkgroups FILE.csv"), QString(), QStringLiteral("The CSV file."),
         [](LocalDatabase& db, const QString&, const QString& file) { return TalkgroupCsv::exportTable(db, file); },
         true});
}

int runImportTalkgroups(const QStringList& arguments) {
    return runCsv(
        arguments,
        {QStringLiteral("Adds or updates talkgroups from a RadioReference CSV file."),
         QStringLiteral("valdoria-cli import-talkgroups FILE.csv"), QString(), QStringLiteral("The CSV file."),
         [](LocalDatabase& db, const QString&, const QString& file) { return TalkgroupCsv::importTable(db, file); }});
}
