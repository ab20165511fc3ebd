#include "ChannelCsv.h"

#include "BackupSets.h"
#include "LocalDatabase.h"
#include "StoreTransaction.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace ChannelCsv {

namespace {
constexpr int kLastChannel = 1000;
// The largest frequency the scanner's eight-digit form holds.
constexpr double kHighestMhz = 9999.9999;

QString frequencyText(double mhz) {
    return QString::number(mhz, 'f', 4);
}

// The scanner picks AM on the aircraft band by itself; everything else it receives is FM.
QString modeFor(double mhz) {
    return mhz >= 108.0 && mhz < 137.0 ? QStringLiteral("AM") : QStringLiteral("FM");
}
} // namespace

const QStringList& header() {
    static const QStringList columns =
        QStringLiteral("Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,Mode,"
                       "TStep,Skip,Comment,URCALL,RPT1CALL,RPT2CALL")
            .split(QLatin1Char(','));
    return columns;
}

CsvReport exportSet(LocalDatabase& database, const QString& set, const QString& path) {
    CsvReport report;
    BackupSets sets(database);
    const auto known = sets.list();
    const auto channels = sets.channels(set);
    if (!known || !channels) {
        report.error = QStringLiteral("the backup sets cannot be read from %1").arg(database.path());
        return report;
    }
    if (std::none_of(known->cbegin(), known->cend(), [&set](const BackupSets::SetInfo& s) { return s.name == set; })) {
        report.error = QStringLiteral("there is no backup set \"%1\"").arg(set);
        return report;
    }
    QString out = CsvTable::line(header());
    QSet<int> done;
    for (const BackupChannel& row : *channels) {
        // An empty channel is no memory for CHIRP; a channel stored twice (a search set saved twice) goes once.
        if (row.frequency <= 0.0 || done.contains(row.channel))
            continue;
        done.insert(row.channel);
        out += CsvTable::line(
            {QString::number(row.channel), row.names.value(QStringLiteral("ALPHA_TAG")).toString(),
             QString::number(row.frequency, 'f', 6), QString(), QStringLiteral("0.000000"), QString(),
             QStringLiteral("88.5"), QStringLiteral("88.5"), QStringLiteral("023"), QStringLiteral("NN"),
             modeFor(row.frequency), QStringLiteral("5.00"), row.lockout ? QStringLiteral("S") : QString(),
             row.names.value(QStringLiteral("COMPANY_NAME")).toString(), QString(), QString(), QString()});
        ++report.written;
    }
    report.ok = CsvTransfer::writeFile(path, out, &report.error);
    if (!report.ok)
        report.written = 0;
    return report;
}

CsvReport importSet(LocalDatabase& database, const QString& path, const QString& set) {
    CsvReport report;
    if (set.trimmed().isEmpty()) {
        report.error = QStringLiteral("a backup set needs a name");
        return report;
    }
    if (const QString problem = BackupSets::nameProblem(set); !problem.isEmpty()) {
        report.error = problem;
        return report;
    }
    const std::optional<CsvTable> table = CsvTransfer::readFile(path, &report.error);
    if (!table)
        return report;
    QList<int> required;
    if (!table->columns({QStringLiteral("Location"), QStringLiteral("Frequency")}, &required, &report.error))
        return report;
    const auto column = [&table](const char* name) { return int(table->header.indexOf(QLatin1String(name))); };
    const int nameAt = column("Name");
    const int skipAt = column("Skip");
    const int commentAt = column("Comment");

    QList<BackupChannel> rows;
    QHash<int, int> lineOfChannel;
    for (qsizetype r = 0; r < table->rows.size(); ++r) {
        const QStringList& fields = table->rows.at(r);
        const int line = table->lines.at(r);
        const auto fail = [&report, line](const QString& what) {
            report.error = QStringLiteral("line %1: %2").arg(line).arg(what);
            return report;
        };
        if (fields.size() < table->header.size())
            return fail(QStringLiteral("%1 fields, the header has %2").arg(fields.size()).arg(table->header.size()));
        const QString location = fields.at(required.at(0)).trimmed();
        const QString frequency = fields.at(required.at(1)).trimmed();
        bool ok = false;
        BackupChannel row;
        row.channel = location.toInt(&ok);
        if (!ok || row.channel < 1 || row.channel > kLastChannel)
            return fail(QStringLiteral("channel \"%1\" is not a channel 1 to %2").arg(location).arg(kLastChannel));
        if (lineOfChannel.contains(row.channel))
            return fail(QStringLiteral("channel %1 is already on line %2")
                            .arg(row.channel)
                            .arg(lineOfChannel.value(row.channel)));
        row.frequency = frequency.toDouble(&ok);
        if (!ok || !(row.frequency >= 0.0 && row.frequency <= kHighestMhz))
            return fail(
                QStringLiteral("the frequency \"%1\" is not a number of MHz from 0 to 9999.9999").arg(frequency));
        const QString skip = skipAt < 0 ? QString() : fields.at(skipAt).trimmed();
        if (!skip.isEmpty() && skip != QLatin1String("S") && skip != QLatin1String("P"))
            return fail(QStringLiteral("Skip \"%1\" is none of \"\", \"S\" or \"P\"").arg(skip));
        // An empty channel is stored the way a memory backup stores one: no frequency, locked out.
        row.frequencyText = row.frequency > 0.0 ? frequencyText(row.frequency) : QStringLiteral("000.000");
        row.lockout = skip == QLatin1String("S") || row.frequency == 0.0;
        row.priority = skip == QLatin1String("P");
        row.names.insert(QStringLiteral("ALPHA_TAG"), nameAt < 0 ? QString() : fields.at(nameAt).trimmed());
        row.names.insert(QStringLiteral("COMPANY_NAME"), commentAt < 0 ? QString() : fields.at(commentAt).trimmed());
        lineOfChannel.insert(row.channel, line);
        rows.append(row);
    }

    BackupSets sets(database);
    const auto existing = sets.channels(set);
    if (!existing) {
        report.error = QStringLiteral("the backup sets cannot be read from %1").arg(database.path());
        return report;
    }
    QSet<int> stored;
    for (const BackupChannel& row : *existing)
        stored.insert(row.channel);

    StoreTransaction transaction(database);
    if (!transaction.isOpen()) {
        report.error = transaction.error();
        return report;
    }
    for (const BackupChannel& row : std::as_const(rows)) {
        if (!sets.storeChannel(set, row))
            return CsvReport{false,
                             QStringLiteral("channel %1 cannot be stored; nothing was imported").arg(row.channel)};
        ++(stored.contains(row.channel) ? report.updated : report.added);
    }
    if (!transaction.commit())
        return CsvReport{false, transaction.error() + QStringLiteral("; nothing was imported")};
    report.ok = true;
    return report;
}

} // namespace ChannelCsv
