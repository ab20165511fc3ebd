#pragma once

#include <QString>

class LocalDatabase;

/**
 * All-or-nothing changes to the local database: takes the file's write lock at once (so no write
 * inside it can meet another program's lock and be put off until later), and rolls back unless
 * commit() is reached. Refused while earlier writes still wait for the file.
 */
class StoreTransaction {
public:
    explicit StoreTransaction(LocalDatabase& database);
    ~StoreTransaction();
    StoreTransaction(const StoreTransaction&) = delete;
    StoreTransaction& operator=(const StoreTransaction&) = delete;

    /// False when the transaction could not begin; error() says why.
    bool isOpen() const { return m_open; }
    QString error() const { return m_error; }
    /// Keeps every change; false (and everything rolled back) when the file refuses.
    bool commit();

private:
    bool run(const char* statement);

    LocalDatabase& m_database;
    bool m_open = false;
    QString m_error;
};
