#pragma once

#include "RemoteDbUrl.h"
#include "TransmitterRow.h"

#include <QList>
#include <QLoggingCategory>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

Q_DECLARE_LOGGING_CATEGORY(lcSearch)

/// What the operator chose in the search window.
struct SearchCriteria {
    QString state;   ///< two-letter state code
    QString service; ///< a service list entry ("PW Public Safety") or just its code
    QString county;  ///< optional
    QString city;    ///< optional

    /// The radio service code: the first two characters of the entry.
    QString serviceCode() const { return service.left(2); }
    /// The criteria as the search sends them: county and city in capitals.
    SearchCriteria normalised() const;
};

/**
 * One connection to the transmitter database (tables SPECTRUM1 and RS_CODES), owned by the thread that
 * made it: a search window's worker builds its own. Every value reaches the server as a bound
 * parameter. A statement that takes longer than the URL's time-out (a server that holds a lock, or is
 * stalled) is given up with a message saying so. Messages name the server and never the password.
 */
class QSqlQuery;

class TransmitterDatabase {
public:
    enum class Access { ReadOnly, ReadWrite };
    /// The most rows a search returns.
    static constexpr int kLimit = 50;

    explicit TransmitterDatabase(const RemoteDbUrl& url, Access access = Access::ReadOnly);
    ~TransmitterDatabase();
    TransmitterDatabase(const TransmitterDatabase&) = delete;
    TransmitterDatabase& operator=(const TransmitterDatabase&) = delete;

    const RemoteDbUrl& url() const { return m_url; }
    /// Opens the connection (the sample is built in memory). False with error() set when it cannot.
    bool open();
    /// The last failure, naming the server.
    QString error() const { return m_error; }
    QSqlDatabase database() const { return m_db; }

    /// How many transmitters SPECTRUM1 holds (the settings dialog's Test).
    std::optional<int> countTransmitters();
    /// The entries of the service list: every RS_CODES value, split in two where it holds a line break.
    std::optional<QStringList> serviceCodes();
    /// At most kLimit transmitters of the service in the state (and county, city when given), lowest
    /// frequency first.
    std::optional<QList<TransmitterRow>> search(const SearchCriteria& criteria);
    /// The search statement: TOP for SQL Server, LIMIT for the others; ? for every value.
    static QString searchSql(bool top, bool county, bool city);
    /// True when the server speaks SQL Server's dialect (TOP n).
    bool usesTop() const;

    /// Creates SPECTRUM1 and RS_CODES (and the import's licence column and indexes) where missing.
    bool createTables();

private:
    bool fail(const QString& what, const QString& driverText);
    /// A statement that failed: a time-out is said as such, anything else with the driver's text.
    bool failStatement(const QString& what, const QSqlQuery& query, qint64 elapsedMs);
    bool loadSample();

    RemoteDbUrl m_url;
    Access m_access;
    QString m_connectionName;
    QSqlDatabase m_db;
    QString m_error;
};
