#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantMap>

/**
 * One transmitter found by a search: the seven columns of the search query, in its order. A column the
 * database left without a value is a null QVariant.
 */
struct TransmitterRow {
    QVariant frequency; ///< MHz
    QVariant callsign;
    QVariant service; ///< two-letter radio service code
    QVariant licensee;
    QVariant city;
    QVariant county;
    QVariant state;

    /// A frequency as "##00.0000": at least two integer digits, four decimals (8.5 gives 08.5000).
    static QString sfreqText(double mhz);
    /// The row as one line of the result text: seven columns separated by ",", empty for a missing value.
    QString resultLine() const;
    /// The whole result: one line per row, rows separated by CR LF.
    static QString resultText(const QList<TransmitterRow>& rows);
    /// The OrvFreqs row for this transmitter (column name to value; missing values stay null).
    QVariantMap orvFreqsValues() const;
};
