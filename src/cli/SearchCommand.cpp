#include "SearchCommand.h"

#include "CliCommand.h"
#include "ScannerLine.h"
#include "Settings.h"
#include "search/RemoteDbUrl.h"
#include "search/RemoteSearch.h"
#include "search/SearchResultsSet.h"
#include "search/TransmitterDatabase.h"
#include "store/BackupSets.h"

#include <QCommandLineParser>
#include <QLoggingCategory>

int runSearch(const QStringList& arguments) {
    // Diagnostics stay out of what a script reads; the outcome is said on stderr anyway.
    QLoggingCategory::setFilterRules(QStringLiteral("valdoria.*.debug=false"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Searches the transmitter database as the search window does and prints what it finds, one "
                       "transmitter a line: frequency, call sign, service, licensee, city, county, state."));
    parser.addOptions({
        {QStringLiteral("state"), QStringLiteral("Two-letter state code (Kansas is KA)."), QStringLiteral("XX")},
        {QStringLiteral("service"), QStringLiteral("Radio service code, or a whole list entry (\"PW Public Safety\")."),
         QStringLiteral("code")},
        {QStringLiteral("county"), QStringLiteral("County name (optional)."), QStringLiteral("name")},
        {QStringLiteral("city"), QStringLiteral("City name (optional)."), QStringLiteral("name")},
        {QStringLiteral("db"),
         QStringLiteral("The transmitter database (postgresql://..., odbc:..., sqlite:PATH); default: the one set in "
                        "the window, or the built-in sample."),
         QStringLiteral("url")},
        {QStringLiteral("save"), QStringLiteral("Also store the results as a backup set of this name."),
         QStringLiteral("name")},
    });
    Cli::addDataDirOption(parser);
    if (!Cli::parse(parser, arguments))
        return Cli::Usage;
    // Codes are matched in capitals whatever was typed; Kansas is KA in the list and KS in the licence
    // files, and a KA search finds both.
    QString state = parser.value(QStringLiteral("state")).toUpper();
    if (state == QLatin1String("KS"))
        state = QStringLiteral("KA");
    const SearchCriteria criteria{state, parser.value(QStringLiteral("service")).toUpper(),
                                  parser.value(QStringLiteral("county")), parser.value(QStringLiteral("city"))};
    if (!RemoteSearch::stateCodes().contains(criteria.state))
        return Cli::fail(
            QStringLiteral("--state takes one of %1").arg(RemoteSearch::stateCodes().join(QLatin1Char(' '))),
            Cli::Usage);
    if (criteria.serviceCode().size() != 2)
        return Cli::fail(QStringLiteral("--service takes a two-letter radio service code"), Cli::Usage);
    const QString dbText = parser.isSet(QStringLiteral("db")) ? parser.value(QStringLiteral("db"))
                                                              : Settings(QStringLiteral("Valdoria2052/Pro")).remoteDb();
    QString error;
    const auto url = RemoteDbUrl::parse(dbText, &error);
    if (!url)
        return Cli::fail(error, Cli::Usage);

    TransmitterDatabase db(*url);
    const auto rows = db.search(criteria);
    if (!rows)
        return Cli::fail(db.error());
    for (const TransmitterRow& row : *rows)
        Cli::out(row.resultLine());
    const QString name = parser.value(QStringLiteral("save"));
    if (!parser.isSet(QStringLiteral("save")))
        return Cli::Ok;
    // As SAVE FREQS does: under exactly this name. The window offers no saving when nothing was found,
    // and a set of empty channels would only blank a bank when restored.
    if (rows->isEmpty())
        return Cli::fail(QStringLiteral("nothing was found, so no backup set \"%1\" was stored").arg(name));
    ScannerLine line;
    if (!line.openDatabase(parser))
        return Cli::Failed;
    BackupSets sets(line.database());
    if (name.isEmpty() || !SearchResultsSet::save(sets, name, *rows))
        return Cli::fail(QStringLiteral("the backup set \"%1\" could not be stored").arg(name));
    Cli::say(QStringLiteral("%1 frequencies saved as backup set %2").arg(rows->size()).arg(name));
    return Cli::Ok;
}
