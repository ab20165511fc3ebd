// The schema of the local database: every table and column the program knows, by the spelling it uses.
#include "LocalDatabase.h"

namespace {

// Yes/no columns: a row written without them reads back false, never null.
constexpr const char* kYesNo = "INTEGER NOT NULL DEFAULT 0";
constexpr const char* kText = "TEXT";
constexpr const char* kNumber = "REAL";
constexpr const char* kWhole = "INTEGER";
// Latitude and longitude are only copied between tables, so they keep whatever kind they were given.
constexpr const char* kAsStored = "";

using Column = LocalDatabase::Column;

const QList<Column>& bankColumns() {
    static const QList<Column> columns = {
        {"CHANNEL", kWhole},     {"sFREQ", kText},        {"FREQUENCY", kNumber},   {"TRUNKED", kYesNo},
        {"DELAY", kYesNo},       {"LOCKOUT", kYesNo},     {"PRIORITY", kYesNo},     {"CALLSIGN", kText},
        {"COMPANY_NAME", kText}, {"RS", kText},           {"CITY", kText},          {"STATE", kText},
        {"COUNTY", kText},       {"LATITUDE", kAsStored}, {"LONGITUDE", kAsStored}, {"ALPHA_TAG", kText},
    };
    return columns;
}

struct Table {
    QString name;
    QList<Column> columns;
};

const QList<Table>& schema() {
    static const QList<Table> tables = [] {
        QList<Table> t;
        for (int bank = 1; bank <= 20; ++bank)
            t.append({LocalDatabase::bankTableName(bank), bankColumns()});
        t.append({QStringLiteral("BACKUP_CHANNELS"), bankColumns() + QList<Column>{{"BACKUP_SET", kText}}});
        t.append({QStringLiteral("BACKUP_TALKGROUPS"),
                  {{"BACKUP_SET", kText},
                   {"ID", kText},
                   {"CITY", kText},
                   {"SERVICE_DESC", kText},
                   {"ALPHA_TAG", kText},
                   {"DATE", kText},
                   {"TIME", kText}}});
        t.append({QStringLiteral("TALKGROUPS"),
                  {{"ID", kText},
                   {"CITY", kText},
                   {"SERVICE_DESC", kText},
                   {"ALPHA_TAG", kText},
                   {"NOTES", kText},
                   {"DATE", kText},
                   {"TIME", kText}}});
        t.append({QStringLiteral("BANKTYPES"), {{"BANK_NUM", kWhole}, {"Trunk_Type", kText}, {"TRUNK_CODE", kWhole}}});
        t.append({QStringLiteral("TrunkTypes"), {{"Trunk_Type", kText}, {"TRUNK_CODE", kWhole}}});
        t.append({QStringLiteral("OrvFreqs"),
                  {{"FREQUENCY", kNumber},
                   {"SFREQ", kText},
                   {"CALLSIGN", kText},
                   {"RS", kText},
                   {"COMPANY_NAME", kText},
                   {"CITY", kText},
                   {"COUNTY", kText},
                   {"STATE", kText},
                   {"ALPHA_TAG", kText}}});
        // One row per recorded hit: the file below the data folder and what the scanner showed.
        t.append({QStringLiteral("RECORDINGS"),
                  {{"FILE", kText},
                   {"START", kText},
                   {"DAY", kText},
                   {"DURATION_MS", kWhole},
                   {"FREQUENCY", kWhole},
                   {"CHANNEL", kWhole},
                   {"BANK", kWhole},
                   {"TALKGROUP", kText},
                   {"CHANNEL_NAME", kText},
                   {"TALKGROUP_NAME", kText},
                   {"MODE", kText},
                   {"BYTES", kWhole}}});
        return t;
    }();
    return tables;
}

// "[CHANNEL]" means CHANNEL.
QString bareName(const QString& name) {
    const QString trimmed = name.trimmed();
    if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']')))
        return trimmed.mid(1, trimmed.size() - 2);
    return trimmed;
}

const Table* findTable(const QString& name) {
    const QString bare = bareName(name);
    for (const Table& t : schema()) {
        if (t.name.compare(bare, Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

} // namespace

QStringList LocalDatabase::tableNames() {
    QStringList names;
    for (const Table& t : schema())
        names.append(t.name);
    return names;
}

QList<LocalDatabase::Column> LocalDatabase::columns(const QString& table) {
    const Table* t = findTable(table);
    return t ? t->columns : QList<Column>{};
}

QString LocalDatabase::knownTable(const QString& name) {
    const Table* t = findTable(name);
    return t ? t->name : QString();
}

QString LocalDatabase::knownColumn(const QString& table, const QString& column) {
    const Table* t = findTable(table);
    if (!t)
        return {};
    const QString bare = bareName(column);
    for (const Column& c : t->columns) {
        const QString name = QLatin1String(c.name);
        if (name.compare(bare, Qt::CaseInsensitive) == 0)
            return name;
    }
    return {};
}

QString LocalDatabase::bankTableName(int bank) {
    if (bank < 1 || bank > 20)
        return {};
    return QStringLiteral("BANK%1").arg(bank, 2, 10, QLatin1Char('0'));
}

QStringList LocalDatabase::defaultTrunkTypes() {
    return {
        QStringLiteral("Motorola Type II 800 MHz"),
        QStringLiteral("Motorola Type I 800 MHz"),
        QStringLiteral("Motorola Hybrid 800 MHz"),
        QStringLiteral("Motorola Type II 900 MHz"),
        QStringLiteral("Motorola Type II UHF"),
        QStringLiteral("Motorola Type II VHF"),
        QStringLiteral("EDACS"),
        QStringLiteral("LTR"),
    };
}
