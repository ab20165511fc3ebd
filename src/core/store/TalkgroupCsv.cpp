#include "TalkgroupCsv.h"

#include "LocalDatabase.h"
#include "StoreTransaction.h"

#include <QDate>
#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTime>

namespace TalkgroupCsv {

namespace {
enum Column { Decimal, Hex, AlphaTag, Mode, Description, Tag, Category };

QString text(const QSqlRecord& row, const char* column) {
    return row.value(QLatin1String(column)).toString();
}
} // namespace

const QStringList& header() {
    static const QStringList columns = {
        QStringLiteral("Decimal"),     QStringLiteral("Hex"), QStringLiteral("Alpha Tag"), QStringLiteral("Mode"),
        QStringLiteral("Description"), QStringLiteral("Tag"), QStringLiteral("Category")};
    return columns;
}

CsvReport exportTable(LocalDatabase& database, const QString& path) {
    CsvReport report;
    const auto rows = database.select(QStringLiteral("SELECT * FROM \"TALKGROUPS\" ORDER BY rowid"));
    if (!rows) {
        report.error = QStringLiteral("the talkgroups cannot be read from %1").arg(database.path());
        return report;
    }
    QString out = CsvTable::line(header());
    for (const QSqlRecord& row : *rows) {
        const QString id = text(row, "ID");
        bool numeric = false;
        const qulonglong value = id.toULongLong(&numeric);
        // The scanner is analogue only: every talkgroup it names is an analogue one.
        out += CsvTable::line({id, numeric ? QString::number(value, 16) : QString(), text(row, "ALPHA_TAG"),
                               QStringLiteral("A"), text(row, "SERVICE_DESC"), text(row, "NOTES"), text(row, "CITY")});
        ++report.written;
    }
    report.ok = CsvTransfer::writeFile(path, out, &report.error);
    if (!report.ok)
        report.written = 0;
    return report;
}

CsvReport importTable(LocalDatabase& database, const QString& path) {
    CsvReport report;
    const std::optional<CsvTable> table = CsvTransfer::readFile(path, &report.error);
    if (!table)
        return report;
    QList<int> at;
    if (!table->columns(header(), &at, &report.error))
        return report;

    struct Row {
        QString id;
        QStringList fields;
    };
    QList<Row> rows;
    QHash<QString, int> lineOfId;
    for (qsizetype r = 0; r < table->rows.size(); ++r) {
        const QStringList& fields = table->rows.at(r);
        const int line = table->lines.at(r);
        if (fields.size() < table->header.size()) {
            report.error = QStringLiteral("line %1: %2 fields, the header has %3")
                               .arg(line)
                               .arg(fields.size())
                               .arg(table->header.size());
            return report;
        }
        Row row;
        for (const int column : at)
            row.fields << fields.at(column).trimmed();
        bool ok = false;
        row.id = row.fields.at(Decimal);
        row.id.toULongLong(&ok);
        if (!ok) {
            report.error =
                QStringLiteral("line %1: the talkgroup ID \"%2\" is not a whole number").arg(line).arg(row.id);
            return report;
        }
        if (lineOfId.contains(row.id)) {
            report.error = QStringLiteral("line %1: talkgroup %2 is already on line %3")
                               .arg(line)
                               .arg(row.id)
                               .arg(lineOfId.value(row.id));
            return report;
        }
        lineOfId.insert(row.id, line);
        rows.append(row);
    }

    StoreTransaction transaction(database);
    if (!transaction.isOpen()) {
        report.error = transaction.error();
        return report;
    }
    // The table has no key: read where each ID is once, so every row then costs the same however
    // many the table holds (a lookup by ID per row made an import grow with the square of its size).
    QHash<QString, QList<qint64>> stored;
    if (!database.forEachRow(
            QStringLiteral("SELECT rowid, \"ID\" FROM \"TALKGROUPS\""), {},
            [&stored](const QSqlQuery& q) { stored[q.value(1).toString()].append(q.value(0).toLongLong()); }))
        return CsvReport{false, QStringLiteral("the talkgroups cannot be read from %1").arg(database.path())};
    const QDate today = QDate::currentDate();
    const QTime now = QTime::currentTime();
    for (const Row& row : std::as_const(rows)) {
        const QVariantList values = {row.fields.at(Category), row.fields.at(Description), row.fields.at(AlphaTag),
                                     row.fields.at(Tag)};
        bool written = true;
        const auto existing = stored.constFind(row.id);
        if (existing != stored.constEnd()) {
            // Every row holding the ID is updated, as the lookup by ID did.
            for (const qint64 rowid : *existing)
                written = written && database.exec(QStringLiteral("UPDATE \"TALKGROUPS\" SET \"CITY\" = ?, "
                                                                  "\"SERVICE_DESC\" = ?, \"ALPHA_TAG\" = ?, "
                                                                  "\"NOTES\" = ? WHERE rowid = ?"),
                                                   values + QVariantList{rowid});
            ++report.updated;
        } else {
            written = database.insertRow(QStringLiteral("TALKGROUPS"), {{QStringLiteral("ID"), row.id},
                                                                        {QStringLiteral("CITY"), values.at(0)},
                                                                        {QStringLiteral("SERVICE_DESC"), values.at(1)},
                                                                        {QStringLiteral("ALPHA_TAG"), values.at(2)},
                                                                        {QStringLiteral("NOTES"), values.at(3)},
                                                                        {QStringLiteral("DATE"), today},
                                                                        {QStringLiteral("TIME"), now}});
            ++report.added;
        }
        if (!written)
            return CsvReport{false, QStringLiteral("talkgroup %1 cannot be stored; nothing was imported").arg(row.id)};
    }
    if (!transaction.commit())
        return CsvReport{false, transaction.error() + QStringLiteral("; nothing was imported")};
    report.ok = true;
    return report;
}

} // namespace TalkgroupCsv
