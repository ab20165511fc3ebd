#include "DemoNames.h"

#include "Pro2052Model.h"
#include "store/LocalDatabase.h"

#include <QRegularExpression>
#include <QStringList>
#include <QVariantMap>

namespace DemoNames {

int seed(LocalDatabase& database, const QString& script) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    static const QStringList flagWords{QStringLiteral("delay"), QStringLiteral("lockout"), QStringLiteral("priority"),
                                       QStringLiteral("trunked")};
    int added = 0;
    for (const QString& raw : script.split(QLatin1Char('\n'))) {
        QStringList words = raw.trimmed().split(blanks, Qt::SkipEmptyParts);
        if (words.size() < 4 || words.first() != QLatin1String("program"))
            continue;
        const int channel = words.at(1).toInt();
        const int bank = Pro2052Model::bankOf(channel);
        const QString table = LocalDatabase::bankTableName(bank);
        bool ok = false;
        const double mhz = words.at(2).toDouble(&ok);
        if (table.isEmpty() || !ok || mhz <= 0.0)
            continue;
        words = words.mid(3);
        while (!words.isEmpty() && flagWords.contains(words.first()))
            words.removeFirst();
        if (words.isEmpty())
            continue;
        const RowLookup existing = database.findBankChannel(bank, channel);
        if (!existing.ok || existing.row)
            continue;
        QVariantMap row;
        row.insert(QStringLiteral("CHANNEL"), channel);
        row.insert(QStringLiteral("sFREQ"), QString::number(mhz, 'f', 4));
        row.insert(QStringLiteral("FREQUENCY"), mhz);
        // "CO FIRE / Marion County Fire": the short tag the scanner shows, then the licensee. A name without a
        // licensee is both.
        const QString name = words.join(QLatin1Char(' '));
        const QString tag = name.section(QStringLiteral(" / "), 0, 0).trimmed();
        const QString licensee =
            name.contains(QStringLiteral(" / ")) ? name.section(QStringLiteral(" / "), 1).trimmed() : name;
        row.insert(QStringLiteral("COMPANY_NAME"), licensee);
        row.insert(QStringLiteral("ALPHA_TAG"), tag);
        if (database.insertRow(table, row))
            ++added;
    }
    return added;
}

} // namespace DemoNames
