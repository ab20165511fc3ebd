#include "CsvTable.h"

std::optional<CsvTable> CsvTable::parse(const QString& input, QString* error) {
    QString text = input;
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    CsvTable table;
    QStringList record;
    QString field;
    int line = 1;
    int recordLine = 1;
    bool quoted = false;     // inside a quoted field
    bool afterQuote = false; // a quoted field has just closed
    bool fieldStarted = false;
    const auto endRecord = [&] {
        record.append(field);
        const bool blank = record.size() == 1 && record.first().isEmpty() && !fieldStarted;
        if (!blank) {
            if (table.header.isEmpty() && table.rows.isEmpty() && table.lines.isEmpty()) {
                table.header = record;
                table.lines.append(recordLine);
            } else {
                table.rows.append(record);
                table.lines.append(recordLine);
            }
        }
        record.clear();
        field.clear();
        afterQuote = false;
        fieldStarted = false;
    };
    const auto fail = [error](int at, const QString& what) {
        if (error)
            *error = QStringLiteral("line %1: %2").arg(at).arg(what);
        return std::nullopt;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        // No spreadsheet writes one; a NUL would be stored inside a name and cut it short wherever it is shown.
        if (c.isNull())
            return fail(line, QStringLiteral("a NUL character, which no text file holds"));
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    field.append(c);
                    ++i;
                } else {
                    quoted = false;
                    afterQuote = true;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                field.append(c);
            }
            continue;
        }
        if (c == QLatin1Char(',')) {
            record.append(field);
            field.clear();
            afterQuote = false;
            fieldStarted = true;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            endRecord();
            ++line;
            recordLine = line;
        } else if (afterQuote) {
            return fail(line, QStringLiteral("text after a closing quote"));
        } else if (c == QLatin1Char('"')) {
            if (!field.isEmpty())
                return fail(line, QStringLiteral("a quote inside a field that does not start with one"));
            quoted = true;
            fieldStarted = true;
        } else {
            field.append(c);
            fieldStarted = true;
        }
    }
    if (quoted)
        return fail(recordLine, QStringLiteral("a quote that is never closed"));
    if (fieldStarted || !field.isEmpty() || !record.isEmpty())
        endRecord();
    if (table.header.isEmpty())
        return fail(1, QStringLiteral("the file is empty"));
    table.lines.removeFirst();
    return table;
}

QString CsvTable::line(const QStringList& fields) {
    QStringList out;
    for (const QString& field : fields) {
        const bool quote = field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"')) ||
                           field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r'));
        out << (quote ? QLatin1Char('"') + QString(field).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                            QLatin1Char('"')
                      : field);
    }
    return out.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

bool CsvTable::columns(const QStringList& names, QList<int>* positions, QString* error) const {
    positions->clear();
    QStringList trimmed;
    for (const QString& name : header)
        trimmed << name.trimmed();
    for (const QString& name : names) {
        const int at = int(trimmed.indexOf(name));
        if (at < 0) {
            if (error)
                *error = QStringLiteral("line 1: the header has no column \"%1\" (expected %2)")
                             .arg(name, names.join(QLatin1Char(',')));
            return false;
        }
        positions->append(at);
    }
    return true;
}
