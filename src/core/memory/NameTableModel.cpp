#include "NameTableModel.h"

#include "Clock.h"
#include "protocol/ChannelToBank.h"
#include "store/LocalDatabase.h"

#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlRecord>

#include <algorithm>

namespace {
// SQLite's own row number: the key every change is written back by, since the tables have none of their own.
const QString kRowId = QStringLiteral("rowid");

const QSet<QString>& yesNoColumns() {
    static const QSet<QString> names{QStringLiteral("TRUNKED"), QStringLiteral("DELAY"), QStringLiteral("LOCKOUT"),
                                     QStringLiteral("PRIORITY")};
    return names;
}
} // namespace

NameTableModel::NameTableModel(Kind kind, LocalDatabase& db, Clock& clock, QObject* parent)
    : QSqlTableModel(parent, db.database())
    , m_kind(kind)
    , m_db(db)
    , m_clock(clock) {
    setEditStrategy(OnFieldChange);
    if (kind == Kind::Talkgroups) {
        bindTable(QStringLiteral("TALKGROUPS"));
        reportFailure(select());
    }
}

QList<NameTableModel::Heading> NameTableModel::headings(Kind kind) {
    if (kind == Kind::Talkgroups)
        return {{"TG ID", "ID"}, {"CITY", "CITY"}, {"SERVICE NOTES", "SERVICE_DESC"}, {"ALPHA TAG", "ALPHA_TAG"}};
    return {{"CHAN", "CHANNEL"},
            {"FREQ", "FREQUENCY"},
            {"TRNK", "TRUNKED"},
            {"DLY", "DELAY"},
            {"L/O", "LOCKOUT"},
            {"PRI", "PRIORITY"},
            {"ALPHA TAG #1", "COMPANY_NAME"},
            {"ALPHA TAG #2", "ALPHA_TAG"}};
}

bool NameTableModel::showBank(int bank) {
    const QString table = LocalDatabase::bankTableName(bank);
    if (m_kind != Kind::Bank || table.isEmpty())
        return false;
    m_bank = bank;
    bindTable(table);
    setSort(fieldIndex(QStringLiteral("CHANNEL")), Qt::AscendingOrder);
    return reportFailure(select());
}

QList<int> NameTableModel::shownColumns() const {
    QList<int> columns;
    for (const Heading& h : headings(m_kind))
        columns.append(fieldIndex(QLatin1String(h.column)));
    return columns;
}

void NameTableModel::bindTable(const QString& table) {
    setTable(table);
    QSqlIndex key(table);
    key.append(QSqlField(kRowId, QMetaType(QMetaType::LongLong), table));
    setPrimaryKey(key);
    for (const Heading& h : headings(m_kind))
        setHeaderData(fieldIndex(QLatin1String(h.column)), Qt::Horizontal, QLatin1String(h.text));
}

QString NameTableModel::selectStatement() const {
    // The row number rides along as the last column, after the table's own, which keep their places. The
    // columns come from the table itself: the model's record already holds the row number after a select,
    // and building on it would add the column once more with every select.
    if (tableName().isEmpty())
        return {};
    QSqlDatabase db = database();
    const QString table =
        db.driver()->sqlStatement(QSqlDriver::SelectStatement, tableName(), db.record(tableName()), false);
    if (table.isEmpty())
        return {};
    QString statement = table;
    const qsizetype from = statement.indexOf(QLatin1String(" FROM "), 0, Qt::CaseInsensitive);
    if (from > 0)
        statement.insert(from, QLatin1String(", ") + kRowId);
    const QString where = filter();
    if (!where.isEmpty())
        statement += QLatin1String(" WHERE ") + where;
    const QString order = orderByClause();
    if (!order.isEmpty())
        statement += QLatin1Char(' ') + order;
    return statement;
}

QString NameTableModel::orderByClause() const {
    // Talkgroup IDs are text; numbers among them sort as numbers (2 before 10), ties by the text.
    if (m_kind == Kind::Talkgroups)
        return QStringLiteral("ORDER BY CAST(\"ID\" AS INTEGER), \"ID\"");
    return QSqlTableModel::orderByClause();
}

bool NameTableModel::isFrequency(int column) const {
    return m_kind == Kind::Bank &&
           record().fieldName(column).compare(QLatin1String("FREQUENCY"), Qt::CaseInsensitive) == 0;
}

bool NameTableModel::isKey(int column) const {
    return record().fieldName(column).compare(kRowId, Qt::CaseInsensitive) == 0;
}

bool NameTableModel::isYesNo(int column) const {
    return m_kind == Kind::Bank && yesNoColumns().contains(record().fieldName(column).toUpper());
}

QVariant NameTableModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::DisplayRole && isFrequency(index.column())) {
        // As the scanner shows it: four decimals, "463.0000", not "463" or "154.25".
        const QVariant stored = QSqlTableModel::data(index, Qt::EditRole);
        bool ok = false;
        const double mhz = stored.toDouble(&ok);
        return ok ? QVariant(QString::number(mhz, 'f', 4)) : stored;
    }
    if (!isYesNo(index.column()))
        return QSqlTableModel::data(index, role);
    if (role == Qt::CheckStateRole)
        return QSqlTableModel::data(index, Qt::EditRole).toBool() ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return {};
    return QSqlTableModel::data(index, role);
}

bool NameTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (isYesNo(index.column())) {
        if (role != Qt::CheckStateRole)
            return false;
        // A tick is written as the yes/no value; the cell takes no typed text.
        m_writingTick = true;
        const bool ok = QSqlTableModel::setData(index, value.toInt() == Qt::Checked ? 1 : 0, Qt::EditRole);
        m_writingTick = false;
        return reportFailure(ok);
    }
    return reportFailure(QSqlTableModel::setData(index, value, role));
}

Qt::ItemFlags NameTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QSqlTableModel::flags(index);
    if (isKey(index.column()))
        return f & ~Qt::ItemIsEditable;
    if (isYesNo(index.column()) && !m_writingTick)
        f = (f & ~Qt::ItemIsEditable) | Qt::ItemIsUserCheckable;
    return f;
}

int NameTableModel::addRow() {
    QVariantMap row;
    if (m_kind == Kind::Bank) {
        QSet<int> taken;
        for (int r = 0; r < rowCount(); ++r)
            taken.insert(record(r).value(QStringLiteral("CHANNEL")).toInt());
        const int first = (m_bank - 1) * kChannelsPerBank + 1;
        int channel = first;
        while (taken.contains(channel) && channel < first + kChannelsPerBank - 1)
            ++channel;
        row.insert(QStringLiteral("CHANNEL"), taken.contains(channel) ? first : channel);
    } else {
        row.insert(QStringLiteral("DATE"), m_clock.date().toString(Qt::ISODate));
        row.insert(QStringLiteral("TIME"), m_clock.timeOfDay().toString(QStringLiteral("HH:mm:ss")));
    }
    if (!m_db.insertRow(tableName(), row)) {
        reportFailure(false);
        return -1;
    }
    if (!reportFailure(select()))
        return -1;
    // The new row in its sorted place: the newest row holding what was just written.
    int found = -1;
    qlonglong newest = -1;
    for (int r = 0; r < rowCount(); ++r) {
        const QSqlRecord stored = record(r);
        const bool same = std::all_of(row.keyBegin(), row.keyEnd(), [&](const QString& k) {
            return stored.value(k).toString() == row.value(k).toString();
        });
        if (same && stored.value(kRowId).toLongLong() > newest) {
            newest = stored.value(kRowId).toLongLong();
            found = r;
        }
    }
    return found;
}

bool NameTableModel::deleteRow(int row) {
    if (!reportFailure(removeRow(row)))
        return false;
    return reportFailure(select());
}

bool NameTableModel::reportFailure(bool ok) {
    if (!ok)
        Q_EMIT failed(lastError().text().isEmpty() ? tr("the local database cannot be used") : lastError().text());
    return ok;
}
