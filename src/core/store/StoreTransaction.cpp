#include "StoreTransaction.h"

#include "LocalDatabase.h"

#include <QSqlError>
#include <QSqlQuery>

StoreTransaction::StoreTransaction(LocalDatabase& database)
    : m_database(database) {
    if (m_database.pendingWrites() > 0) {
        m_error = QStringLiteral("earlier changes still wait for the database file");
        return;
    }
    if (!m_database.open()) {
        m_error = QStringLiteral("the database %1 cannot be used").arg(m_database.path());
        return;
    }
    m_open = run("BEGIN IMMEDIATE");
}

StoreTransaction::~StoreTransaction() {
    if (m_open)
        run("ROLLBACK");
}

bool StoreTransaction::commit() {
    if (!m_open)
        return false;
    // A write that was put off for a lock would land outside the transaction: treat it as a failure.
    if (m_database.pendingWrites() > 0) {
        m_error = QStringLiteral("the database file was locked while writing");
        return false;
    }
    if (!run("COMMIT"))
        return false;
    m_open = false;
    return true;
}

bool StoreTransaction::run(const char* statement) {
    QSqlQuery query(m_database.database());
    if (query.exec(QLatin1String(statement)))
        return true;
    m_error = QStringLiteral("the database refused %1: %2").arg(QLatin1String(statement), query.lastError().text());
    return false;
}
