#include "TransmitterDatabase.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <atomic>

Q_LOGGING_CATEGORY(lcSearch, "valdoria.search")

namespace {

std::atomic<int> g_serial{0};

// A statement that failed this close to the time-out is taken to have run out of time.
constexpr qint64 kTimeoutSlackMs = 250;

const QString kSampleResource = QStringLiteral(":/valdoria/sample-transmitters.sql");

bool hasTable(const QSqlDatabase& db, const QString& name) {
    const QStringList tables = db.tables();
    return std::any_of(tables.begin(), tables.end(),
                       [&](const QString& t) { return t.compare(name, Qt::CaseInsensitive) == 0; });
}

} // namespace

SearchCriteria SearchCriteria::normalised() const {
    SearchCriteria c = *this;
    c.county = county.toUpper();
    c.city = city.toUpper();
    return c;
}

TransmitterDatabase::TransmitterDatabase(const RemoteDbUrl& url, Access access)
    : m_url(url)
    , m_access(access)
    , m_connectionName(QStringLiteral("valdoria-transmitters-%1").arg(++g_serial)) {}

TransmitterDatabase::~TransmitterDatabase() {
    if (m_db.isValid()) {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

bool TransmitterDatabase::fail(const QString& what, const QString& driverText) {
    m_error = m_url.scrub(QStringLiteral("%1 %2: %3").arg(what, m_url.displayName(), driverText.trimmed()));
    return false;
}

bool TransmitterDatabase::failStatement(const QString& what, const QSqlQuery& query, qint64 elapsedMs) {
    const QSqlError error = query.lastError();
    // PostgreSQL cancels with SQLSTATE 57014; the other engines say it in their own words, after the time.
    const bool timedOut = error.nativeErrorCode() == QLatin1String("57014") ||
                          elapsedMs >= qint64(m_url.timeoutSeconds()) * 1000 - kTimeoutSlackMs;
    if (!timedOut)
        return fail(what, error.text());
    m_error = m_url.scrub(QStringLiteral("%1 %2: no answer within %3 s (it may be busy or holding a lock); try "
                                         "again later, or give it longer with the setting Search_Timeout.")
                              .arg(what, m_url.displayName())
                              .arg(m_url.timeoutSeconds()));
    qCWarning(lcSearch).noquote() << m_error << error.text();
    return false;
}

bool TransmitterDatabase::open() {
    if (m_db.isOpen())
        return true;
    if (!QSqlDatabase::isDriverAvailable(m_url.driverName()))
        return fail(QStringLiteral("Cannot reach"),
                    QStringLiteral("the Qt driver %1 is not installed").arg(m_url.driverName()));
    m_db = QSqlDatabase::addDatabase(m_url.driverName(), m_connectionName);
    const qint64 timeoutMs = qint64(m_url.timeoutSeconds()) * 1000;
    switch (m_url.kind()) {
    case RemoteDbUrl::Kind::Sample:
        m_db.setDatabaseName(QStringLiteral(":memory:"));
        break;
    case RemoteDbUrl::Kind::Sqlite:
        // A search must not leave an empty file behind where the operator mistyped a path.
        if (m_access == Access::ReadOnly && !QFileInfo::exists(m_url.databaseName()))
            return fail(QStringLiteral("Cannot open"), QStringLiteral("the file does not exist"));
        m_db.setDatabaseName(m_url.databaseName());
        // Another program's write lock is waited for as long as any statement may take.
        m_db.setConnectOptions(
            QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1%2")
                .arg(timeoutMs)
                .arg(m_access == Access::ReadOnly ? QStringLiteral(";QSQLITE_OPEN_READONLY") : QString()));
        break;
    case RemoteDbUrl::Kind::Postgres:
    case RemoteDbUrl::Kind::Odbc: {
        m_db.setDatabaseName(m_url.databaseName());
        if (!m_url.host().isEmpty())
            m_db.setHostName(m_url.host());
        if (m_url.port() > 0)
            m_db.setPort(m_url.port());
        m_db.setUserName(m_url.userName());
        m_db.setPassword(m_url.password());
        QString options = m_url.connectOptions();
        // ODBC's request time-out ends any statement that runs longer.
        if (m_url.kind() == RemoteDbUrl::Kind::Odbc)
            options.replace(QRegularExpression(QStringLiteral("SQL_ATTR_CONNECTION_TIMEOUT=\\d+")),
                            QStringLiteral("SQL_ATTR_CONNECTION_TIMEOUT=%1").arg(m_url.timeoutSeconds()));
        m_db.setConnectOptions(options);
        break;
    }
    }
    qCDebug(lcSearch).noquote() << "connecting to" << m_url.displayName();
    if (!m_db.open())
        return fail(QStringLiteral("Cannot reach"), m_db.lastError().text());
    // A server that holds a lock (or hangs) cancels the statement itself once the time is up.
    if (m_url.kind() == RemoteDbUrl::Kind::Postgres) {
        QSqlQuery set(m_db);
        if (!set.exec(QStringLiteral("SET statement_timeout = %1").arg(timeoutMs)))
            return fail(QStringLiteral("Cannot set up the connection to"), set.lastError().text());
    }
    if (m_url.isSample() && !loadSample())
        return false;
    return true;
}

bool TransmitterDatabase::loadSample() {
    QFile file(kSampleResource);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("Cannot open"), QStringLiteral("the sample is missing from the program"));
    const QString sql = QString::fromUtf8(file.readAll());
    QSqlQuery query(m_db);
    m_db.transaction();
    for (const QString& statement : sql.split(QStringLiteral(";\n"), Qt::SkipEmptyParts)) {
        QStringList lines = statement.split(QLatin1Char('\n'));
        lines.removeIf([](const QString& line) { return line.startsWith(QLatin1String("--")); });
        const QString text = lines.join(QLatin1Char('\n')).trimmed();
        if (text.isEmpty())
            continue;
        if (!query.exec(text))
            return fail(QStringLiteral("Cannot build"), query.lastError().text());
    }
    m_db.commit();
    return true;
}

bool TransmitterDatabase::usesTop() const {
    const QSqlDriver::DbmsType type = m_db.driver() ? m_db.driver()->dbmsType() : QSqlDriver::UnknownDbms;
    return type == QSqlDriver::MSSqlServer || type == QSqlDriver::Sybase;
}

QString TransmitterDatabase::searchSql(bool top, bool county, bool city) {
    QString sql = QStringLiteral("SELECT ");
    if (top)
        sql += QStringLiteral("TOP %1 ").arg(kLimit);
    sql += QStringLiteral("FREQUENCY, CALLSIGN, RADIO_SERV, DBA_NAME, XMIT_CITY, XMIT_COUNT, XMIT_STATE FROM SPECTRUM1"
                          " WHERE RADIO_SERV = ? AND XMIT_STATE IN (?, ?)");
    if (county)
        sql += QStringLiteral(" AND XMIT_COUNT = ?");
    if (city)
        sql += QStringLiteral(" AND XMIT_CITY = ?");
    sql += QStringLiteral(" ORDER BY FREQUENCY ASC");
    if (!top)
        sql += QStringLiteral(" LIMIT %1").arg(kLimit);
    return sql;
}

std::optional<int> TransmitterDatabase::countTransmitters() {
    if (!open())
        return std::nullopt;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM SPECTRUM1")) || !query.next()) {
        fail(QStringLiteral("Cannot count the transmitters of"), query.lastError().text());
        return std::nullopt;
    }
    return query.value(0).toInt();
}

std::optional<QStringList> TransmitterDatabase::serviceCodes() {
    if (!open())
        return std::nullopt;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    QElapsedTimer timer;
    timer.start();
    if (!query.exec(QStringLiteral("SELECT RSCODE FROM RS_CODES"))) {
        failStatement(QStringLiteral("Cannot read the service codes of"), query, timer.elapsed());
        return std::nullopt;
    }
    QStringList entries;
    while (query.next()) {
        const QString code = query.value(0).toString();
        const qsizetype lineBreak = code.indexOf(QStringLiteral("\r\n"));
        if (lineBreak < 0) {
            entries.append(code);
        } else {
            entries.append(code.left(lineBreak));
            entries.append(code.mid(lineBreak + 2));
        }
    }
    return entries;
}

std::optional<QList<TransmitterRow>> TransmitterDatabase::search(const SearchCriteria& criteria) {
    if (!open())
        return std::nullopt;
    const SearchCriteria c = criteria.normalised();
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    const QString sql = searchSql(usesTop(), !c.county.isEmpty(), !c.city.isEmpty());
    // A server may already wait for a lock while it prepares the statement.
    QElapsedTimer timer;
    timer.start();
    if (!query.prepare(sql)) {
        failStatement(QStringLiteral("The search failed on"), query, timer.elapsed());
        return std::nullopt;
    }
    query.addBindValue(c.serviceCode());
    // The state list names Kansas "KA", while the licence files (and so an imported database) say "KS".
    query.addBindValue(c.state);
    query.addBindValue(c.state == QLatin1String("KA") ? QStringLiteral("KS") : c.state);
    if (!c.county.isEmpty())
        query.addBindValue(c.county);
    if (!c.city.isEmpty())
        query.addBindValue(c.city);
    if (!query.exec()) {
        failStatement(QStringLiteral("The search failed on"), query, timer.elapsed());
        return std::nullopt;
    }
    QList<TransmitterRow> rows;
    while (query.next()) {
        auto text = [&](int i) {
            const QVariant v = query.value(i);
            return v.isNull() ? QVariant() : QVariant(v.toString().trimmed());
        };
        const QVariant frequency = query.value(0);
        rows.append({frequency.isNull() ? QVariant() : QVariant(frequency.toDouble()), text(1), text(2), text(3),
                     text(4), text(5), text(6)});
    }
    return rows;
}

bool TransmitterDatabase::createTables() {
    if (!open())
        return false;
    QSqlQuery query(m_db);
    const QStringList statements = [&] {
        QStringList s;
        if (!hasTable(m_db, QStringLiteral("RS_CODES")))
            s << QStringLiteral("CREATE TABLE RS_CODES (RSCODE VARCHAR(120))");
        if (!hasTable(m_db, QStringLiteral("SPECTRUM1"))) {
            s << QStringLiteral("CREATE TABLE SPECTRUM1 (FREQUENCY DOUBLE PRECISION, CALLSIGN VARCHAR(10), "
                                "RADIO_SERV VARCHAR(2), DBA_NAME VARCHAR(200), XMIT_CITY VARCHAR(40), "
                                "XMIT_COUNT VARCHAR(60), XMIT_STATE VARCHAR(2), ULS_ID BIGINT)")
              << QStringLiteral("CREATE INDEX SPECTRUM1_SEARCH ON SPECTRUM1 (XMIT_STATE, RADIO_SERV, FREQUENCY)")
              << QStringLiteral("CREATE INDEX SPECTRUM1_LICENCE ON SPECTRUM1 (ULS_ID)");
        } else if (!QSqlQuery(m_db).exec(QStringLiteral("SELECT ULS_ID FROM SPECTRUM1 WHERE 1 = 0"))) {
            // A table made by someone else gets the licence number the import replaces rows by.
            s << QStringLiteral("ALTER TABLE SPECTRUM1 ADD ULS_ID BIGINT")
              << QStringLiteral("CREATE INDEX SPECTRUM1_LICENCE ON SPECTRUM1 (ULS_ID)");
        }
        return s;
    }();
    for (const QString& sql : statements) {
        if (!query.exec(sql))
            return fail(QStringLiteral("Cannot create the tables in"), query.lastError().text());
    }
    return true;
}
