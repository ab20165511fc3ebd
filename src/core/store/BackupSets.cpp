#include "BackupSets.h"

#include "LocalDatabase.h"

#include <QSqlRecord>

namespace {

const QString kOrvPrefix = QStringLiteral("OrvFreqs_");

// Names a restore copies into the bank table only when the set's row holds them; the rest always.
const QStringList& namesOnlyWhenSet() {
    static const QStringList columns{
        QStringLiteral("CALLSIGN"), QStringLiteral("COMPANY_NAME"), QStringLiteral("RS"),       QStringLiteral("CITY"),
        QStringLiteral("STATE"),    QStringLiteral("COUNTY"),       QStringLiteral("ALPHA_TAG")};
    return columns;
}

QVariantMap namesOf(const QSqlRecord& record) {
    QVariantMap names;
    for (const QString& column : BackupSets::nameColumns()) {
        const QVariant value = record.value(column);
        if (!value.isNull())
            names.insert(column, value);
    }
    return names;
}

BackupChannel channelOf(const QSqlRecord& r) {
    BackupChannel row;
    row.channel = r.value(QStringLiteral("CHANNEL")).toInt();
    row.frequencyText = r.value(QStringLiteral("sFREQ")).toString();
    row.frequency = r.value(QStringLiteral("FREQUENCY")).toDouble();
    row.trunked = r.value(QStringLiteral("TRUNKED")).toBool();
    row.delay = r.value(QStringLiteral("DELAY")).toBool();
    row.lockout = r.value(QStringLiteral("LOCKOUT")).toBool();
    row.priority = r.value(QStringLiteral("PRIORITY")).toBool();
    row.names = namesOf(r);
    return row;
}

// The columns every stored channel row writes, with the names that hold a value.
QVariantMap valuesOf(const BackupChannel& row) {
    QVariantMap values = row.names;
    values.insert(QStringLiteral("CHANNEL"), row.channel);
    values.insert(QStringLiteral("sFREQ"), row.frequencyText);
    values.insert(QStringLiteral("FREQUENCY"), row.frequency);
    values.insert(QStringLiteral("TRUNKED"), row.trunked);
    values.insert(QStringLiteral("DELAY"), row.delay);
    values.insert(QStringLiteral("LOCKOUT"), row.lockout);
    values.insert(QStringLiteral("PRIORITY"), row.priority);
    return values;
}

// "UPDATE table SET "A" = ?, "B" = ? WHERE rowid = ?" for the given column values; no value for an unknown column.
std::optional<std::pair<QString, QVariantList>> updateStatement(const QString& table, qint64 rowId,
                                                                const QVariantMap& values) {
    QStringList sets;
    QVariantList bound;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const QString column = LocalDatabase::knownColumn(table, it.key());
        if (column.isEmpty())
            return std::nullopt;
        sets.append(QStringLiteral("\"%1\" = ?").arg(column));
        bound.append(it.value());
    }
    bound.append(rowId);
    return std::pair{QStringLiteral("UPDATE \"%1\" SET %2 WHERE rowid = ?").arg(table, sets.join(QStringLiteral(", "))),
                     bound};
}

bool updateRow(LocalDatabase& db, const QString& table, qint64 rowId, const QVariantMap& values) {
    const auto statement = updateStatement(table, rowId, values);
    return statement && db.exec(statement->first, statement->second);
}

LocalDatabase::WriteResult updateRowNow(LocalDatabase& db, const QString& table, qint64 rowId,
                                        const QVariantMap& values) {
    const auto statement = updateStatement(table, rowId, values);
    return statement ? db.writeNow({*statement}) : LocalDatabase::WriteResult::Failed;
}

} // namespace

BackupSets::BackupSets(LocalDatabase& database)
    : m_db(database) {}

const QStringList& BackupSets::nameColumns() {
    static const QStringList columns =
        namesOnlyWhenSet() + QStringList{QStringLiteral("LATITUDE"), QStringLiteral("LONGITUDE")};
    return columns;
}

bool BackupSets::isPositionSet(const QString& name) {
    return name.startsWith(kOrvPrefix);
}

std::optional<QList<BackupSets::SetInfo>> BackupSets::list() {
    const auto rows = m_db.select(QStringLiteral("SELECT \"BACKUP_SET\", COUNT(*) FROM \"BACKUP_CHANNELS\" "
                                                 "WHERE \"BACKUP_SET\" IS NOT NULL AND \"BACKUP_SET\" <> '' "
                                                 "GROUP BY \"BACKUP_SET\" ORDER BY MIN(rowid)"));
    if (!rows)
        return std::nullopt;
    QList<SetInfo> sets;
    for (const QSqlRecord& r : *rows)
        sets.append({r.value(0).toString(), r.value(1).toInt()});
    return sets;
}

std::optional<QList<BackupChannel>> BackupSets::channels(const QString& set) {
    const auto rows = m_db.select(
        QStringLiteral("SELECT * FROM \"BACKUP_CHANNELS\" WHERE \"BACKUP_SET\" = ? ORDER BY \"CHANNEL\", rowid"),
        {set});
    if (!rows)
        return std::nullopt;
    QList<BackupChannel> result;
    result.reserve(rows->size());
    for (const QSqlRecord& r : *rows)
        result.append(channelOf(r));
    return result;
}

bool BackupSets::appendChannel(const QString& set, const BackupChannel& row) {
    QVariantMap values = valuesOf(row);
    values.insert(QStringLiteral("BACKUP_SET"), set);
    return m_db.insertRow(QStringLiteral("BACKUP_CHANNELS"), values);
}

bool BackupSets::storeChannel(const QString& set, const BackupChannel& row) {
    const auto existing = m_db.select(
        QStringLiteral("SELECT rowid FROM \"BACKUP_CHANNELS\" WHERE \"BACKUP_SET\" = ? AND \"CHANNEL\" = ? LIMIT 1"),
        {set, row.channel});
    if (!existing)
        return false;
    if (existing->isEmpty())
        return appendChannel(set, row);
    return updateRow(m_db, QStringLiteral("BACKUP_CHANNELS"), existing->first().value(0).toLongLong(), valuesOf(row));
}

LocalDatabase::WriteResult BackupSets::copyTalkgroups(const QString& set) {
    // The set's earlier copy goes first: a second backup under one name on one day replaces it.
    return m_db.writeNow(
        {{QStringLiteral("DELETE FROM \"BACKUP_TALKGROUPS\" WHERE \"BACKUP_SET\" = ?"), {set}},
         {QStringLiteral("INSERT INTO \"BACKUP_TALKGROUPS\" "
                         "(\"BACKUP_SET\", \"ID\", \"CITY\", \"SERVICE_DESC\", \"ALPHA_TAG\", \"DATE\", \"TIME\") "
                         "SELECT ?, \"ID\", \"CITY\", \"SERVICE_DESC\", \"ALPHA_TAG\", \"DATE\", \"TIME\" "
                         "FROM \"TALKGROUPS\" ORDER BY rowid"),
          {set}}});
}

int BackupSets::talkgroupCount(const QString& set) {
    const auto rows =
        m_db.select(QStringLiteral("SELECT COUNT(*) FROM \"BACKUP_TALKGROUPS\" WHERE \"BACKUP_SET\" = ?"), {set});
    return rows && !rows->isEmpty() ? rows->first().value(0).toInt() : -1;
}

bool BackupSets::deleteSet(const QString& set) {
    return m_db.exec(QStringLiteral("DELETE FROM \"BACKUP_CHANNELS\" WHERE \"BACKUP_SET\" = ?"), {set}) &&
           m_db.exec(QStringLiteral("DELETE FROM \"BACKUP_TALKGROUPS\" WHERE \"BACKUP_SET\" = ?"), {set});
}

QVariantMap BackupSets::bankNames(int bank, double frequency) {
    const QString table = LocalDatabase::bankTableName(bank);
    if (table.isEmpty())
        return {};
    const auto rows = m_db.select(
        QStringLiteral("SELECT * FROM \"%1\" WHERE \"FREQUENCY\" = ? ORDER BY rowid LIMIT 1").arg(table), {frequency});
    return rows && !rows->isEmpty() ? namesOf(rows->first()) : QVariantMap();
}

LocalDatabase::WriteResult BackupSets::writeBankChannel(int bank, int channel, const BackupChannel& row) {
    const QString table = LocalDatabase::bankTableName(bank);
    if (table.isEmpty())
        return LocalDatabase::WriteResult::Failed;
    QVariantMap values{
        {QStringLiteral("CHANNEL"), channel},
        {QStringLiteral("FREQUENCY"), row.frequency},
        {QStringLiteral("TRUNKED"), row.trunked},
        {QStringLiteral("DELAY"), row.delay},
        {QStringLiteral("LOCKOUT"), row.lockout},
        {QStringLiteral("PRIORITY"), row.priority},
        // Latitude and longitude follow the set even when it has none.
        {QStringLiteral("LATITUDE"), row.names.value(QStringLiteral("LATITUDE"))},
        {QStringLiteral("LONGITUDE"), row.names.value(QStringLiteral("LONGITUDE"))},
    };
    if (!row.frequencyText.isEmpty())
        values.insert(QStringLiteral("sFREQ"), row.frequencyText);
    for (const QString& column : namesOnlyWhenSet()) {
        const QVariant value = row.names.value(column);
        if (!value.isNull() && !value.toString().isEmpty())
            values.insert(column, value);
    }
    const auto existing = m_db.select(
        QStringLiteral("SELECT rowid FROM \"%1\" WHERE \"CHANNEL\" = ? ORDER BY rowid LIMIT 1").arg(table), {channel});
    if (!existing)
        return LocalDatabase::WriteResult::Failed;
    if (existing->isEmpty())
        return m_db.insertRowNow(table, values);
    return updateRowNow(m_db, table, existing->first().value(0).toLongLong(), values);
}

QString BackupSets::nameProblem(const QString& name) {
    for (const QChar c : name) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            return QStringLiteral("a set name cannot hold a line break");
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("a set name cannot hold a tab or another control character (U+%1)")
                .arg(QString::number(c.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0')));
    }
    return {};
}

BackupSetWriter::BackupSetWriter(LocalDatabase& database, const QString& set)
    : m_db(database)
    , m_set(set) {}

QVariantMap BackupSetWriter::bankNames(int bank, double frequency) {
    auto it = m_bankNames.find(bank);
    if (it == m_bankNames.end()) {
        QHash<double, QVariantMap> byFrequency;
        const QString table = LocalDatabase::bankTableName(bank);
        const auto rows = table.isEmpty()
                              ? std::nullopt
                              : m_db.select(QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table));
        // The first row with a frequency supplies its names, as the query by frequency would.
        for (const QSqlRecord& r : rows.value_or(QList<QSqlRecord>())) {
            const QVariant f = r.value(QStringLiteral("FREQUENCY"));
            if (!f.isNull() && !byFrequency.contains(f.toDouble()))
                byFrequency.insert(f.toDouble(), namesOf(r));
        }
        it = m_bankNames.insert(bank, byFrequency);
    }
    return it->value(frequency);
}

LocalDatabase::WriteResult BackupSetWriter::store(const BackupChannel& row) {
    if (!m_rowIds) {
        const auto rows = m_db.select(
            QStringLiteral("SELECT \"CHANNEL\", MIN(rowid) FROM \"BACKUP_CHANNELS\" WHERE \"BACKUP_SET\" = ? "
                           "GROUP BY \"CHANNEL\""),
            {m_set});
        if (!rows)
            return LocalDatabase::WriteResult::Failed;
        m_rowIds.emplace();
        for (const QSqlRecord& r : *rows)
            m_rowIds->insert(r.value(0).toInt(), r.value(1).toLongLong());
    }
    const auto existing = m_rowIds->constFind(row.channel);
    if (existing != m_rowIds->cend())
        return updateRowNow(m_db, QStringLiteral("BACKUP_CHANNELS"), *existing, valuesOf(row));
    QVariantMap values = valuesOf(row);
    values.insert(QStringLiteral("BACKUP_SET"), m_set);
    return m_db.insertRowNow(QStringLiteral("BACKUP_CHANNELS"), values);
}
