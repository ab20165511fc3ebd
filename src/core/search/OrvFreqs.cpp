#include "OrvFreqs.h"

#include "store/LocalDatabase.h"

#include <QSqlRecord>

bool OrvFreqs::replace(LocalDatabase& db, const QList<TransmitterRow>& rows) {
    if (!db.exec(QStringLiteral("DELETE FROM OrvFreqs")))
        return false;
    for (const TransmitterRow& row : rows) {
        if (!db.insertRow(QStringLiteral("OrvFreqs"), row.orvFreqsValues()))
            return false;
    }
    return true;
}

std::optional<QList<TransmitterRow>> OrvFreqs::read(LocalDatabase& db) {
    const auto records = db.select(QStringLiteral("SELECT FREQUENCY, CALLSIGN, COMPANY_NAME, RS, CITY, STATE, COUNTY "
                                                  "FROM OrvFreqs ORDER BY FREQUENCY ASC"));
    if (!records)
        return std::nullopt;
    QList<TransmitterRow> rows;
    for (const QSqlRecord& r : *records) {
        rows.append({r.value(QStringLiteral("FREQUENCY")), r.value(QStringLiteral("CALLSIGN")),
                     r.value(QStringLiteral("RS")), r.value(QStringLiteral("COMPANY_NAME")),
                     r.value(QStringLiteral("CITY")), r.value(QStringLiteral("COUNTY")),
                     r.value(QStringLiteral("STATE"))});
    }
    return rows;
}
