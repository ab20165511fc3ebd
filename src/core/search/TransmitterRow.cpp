#include "TransmitterRow.h"

#include <QStringList>

QString TransmitterRow::sfreqText(double mhz) {
    QString text = QString::number(mhz, 'f', 4);
    // Two integer digits at least: 8.5 is written 08.5000.
    if (text.indexOf(QLatin1Char('.')) < 2)
        text.prepend(QLatin1Char('0'));
    return text;
}

QString TransmitterRow::resultLine() const {
    QStringList columns;
    // A number shows as the database holds it, without the trailing zeros a fixed-point column adds.
    columns.append(frequency.isNull() ? QString() : QString::number(frequency.toDouble(), 'g', 12));
    for (const QVariant* value : {&callsign, &service, &licensee, &city, &county, &state})
        columns.append(value->isNull() ? QString() : value->toString());
    return columns.join(QLatin1Char(','));
}

QString TransmitterRow::resultText(const QList<TransmitterRow>& rows) {
    QStringList lines;
    lines.reserve(rows.size());
    for (const TransmitterRow& row : rows)
        lines.append(row.resultLine());
    return lines.join(QStringLiteral("\r\n"));
}

QVariantMap TransmitterRow::orvFreqsValues() const {
    auto text = [](const QVariant& v) { return v.isNull() ? QVariant() : QVariant(v.toString()); };
    QVariantMap values{
        {QStringLiteral("CALLSIGN"), text(callsign)},
        {QStringLiteral("RS"), text(service)},
        {QStringLiteral("COMPANY_NAME"), text(licensee)},
        {QStringLiteral("CITY"), text(city)},
        {QStringLiteral("COUNTY"), text(county)},
        {QStringLiteral("STATE"), text(state)},
        {QStringLiteral("ALPHA_TAG"), QStringLiteral("Imported - OrvFreqs")},
    };
    if (!frequency.isNull()) {
        values.insert(QStringLiteral("FREQUENCY"), frequency.toDouble());
        values.insert(QStringLiteral("SFREQ"), sfreqText(frequency.toDouble()));
    }
    return values;
}
