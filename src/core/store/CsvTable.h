#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

/**
 * Comma-separated text as spreadsheets, CHIRP and RadioReference write it: fields separated by
 * commas, a field in double quotes may hold commas, line breaks and doubled quotes, lines end in
 * LF or CR LF, a UTF-8 byte-order mark is skipped.
 */
struct CsvTable {
    QStringList header;
    QList<QStringList> rows;
    QList<int> lines; ///< the line of the file each row starts on (the header is line 1)

    /**
     * Reads text; blank lines are skipped. A quote that is never closed, text between a closing
     * quote and the next comma, or a NUL character is refused: no value, and error says "line N: ...".
     */
    static std::optional<CsvTable> parse(const QString& text, QString* error);
    /// One line of fields, quoted where they need it, ending in CR LF.
    static QString line(const QStringList& fields);

    /// The position of each named column in header; a missing name gives an error naming it.
    bool columns(const QStringList& names, QList<int>* positions, QString* error) const;
};
