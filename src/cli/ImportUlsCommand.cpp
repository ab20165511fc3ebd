#include "ImportUlsCommand.h"

#include "CliCommand.h"
#include "search/RemoteDbUrl.h"
#include "search/TransmitterDatabase.h"
#include "search/UlsImport.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QLoggingCategory>

int runImportUls(const QStringList& arguments) {
    // Diagnostics stay out of what a script reads; the outcome is said on stderr anyway.
    QLoggingCategory::setFilterRules(QStringLiteral("valdoria.*.debug=false"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Loads the licence database's weekly files (HD, EN, FR, LO records) into the transmitter "
                       "database the search uses. Running it again with the same files changes nothing."));
    parser.addOption({QStringLiteral("db"),
                      QStringLiteral("The transmitter database: postgresql://..., odbc:CONNECTION or sqlite:PATH "
                                     "(a missing SQLite file is created)."),
                      QStringLiteral("url")});
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("The pipe-delimited files (HD.dat ...)."),
                                 QStringLiteral("FILE..."));
    if (!Cli::parse(parser, arguments))
        return Cli::Usage;
    if (!parser.isSet(QStringLiteral("db")))
        return Cli::fail(QStringLiteral("--db names the database to load"), Cli::Usage);
    if (parser.positionalArguments().isEmpty())
        return Cli::fail(QStringLiteral("no licence files given"), Cli::Usage);
    QString error;
    const auto url = RemoteDbUrl::parse(parser.value(QStringLiteral("db")), &error);
    if (!url)
        return Cli::fail(error, Cli::Usage);
    if (url->isSample())
        return Cli::fail(QStringLiteral("--db names the database to load"), Cli::Usage);

    TransmitterDatabase db(*url, TransmitterDatabase::Access::ReadWrite);
    if (!db.open())
        return Cli::fail(db.error());
    UlsImport import(db);
    import.setProgress([](const QString& text) { Cli::progress(text);
});
const QList<UlsImport::FileReport> reports = import.run(parser.positionalArguments());
Cli::endProgress();
int status = Cli::Ok;
for (const UlsImport::FileReport& r : reports) {
    const QString name = QFileInfo(r.file).fileName();
    if (!r.ok) {
        Cli::say(QStringLiteral("%1: %2").arg(name, r.error));
        status = Cli::Failed;
        continue;
    }
    QString text =
        QStringLiteral("%1: %2 lines, %3 rows for %4 licences").arg(name).arg(r.lines).arg(r.rows).arg(r.licences);
    if (r.malformed > 0)
        text += QStringLiteral(", %1 malformed lines skipped (the first is line %2)")
                    .arg(r.malformed)
                    .arg(r.firstMalformedLine);
    Cli::say(text);
}
return status;
}
