#include "RemoteDbUrl.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace {

const QString kStars = QStringLiteral("***");

// PWD=secret or PASSWORD={se;cret} inside an ODBC connection string.
const QRegularExpression& odbcPasswordPattern() {
    static const QRegularExpression pattern(QStringLiteral(R"((\b(?:PWD|PASSWORD)\s*=\s*)(\{[^}]*\}|[^;]*))"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

QString odbcPart(const QString& connection, const QString& key) {
    const QRegularExpression pattern(QStringLiteral(R"(\b%1\s*=\s*(\{[^}]*\}|[^;]*))").arg(key),
                                     QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(connection);
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

} // namespace

std::optional<RemoteDbUrl> RemoteDbUrl::parse(const QString& input, QString* error) {
    auto fail = [error](const QString& reason) -> std::optional<RemoteDbUrl> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    const QString text = input.trimmed();
    RemoteDbUrl url;
    url.m_text = text;
    if (text.isEmpty())
        return url;
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    const QString scheme = colon > 0 ? text.left(colon).toLower() : QString();
    if (scheme == QLatin1String("sqlite")) {
        url.m_kind = Kind::Sqlite;
        url.m_database = text.mid(colon + 1);
        if (url.m_database.isEmpty())
            return fail(QStringLiteral("sqlite: needs the path of a database file"));
        return url;
    }
    if (scheme == QLatin1String("odbc")) {
        url.m_kind = Kind::Odbc;
        url.m_database = text.mid(colon + 1);
        if (url.m_database.trimmed().isEmpty())
            return fail(QStringLiteral("odbc: needs a connection string"));
        // A login that takes longer than this is a server that is not there.
        url.m_options = QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=30;SQL_ATTR_CONNECTION_TIMEOUT=30");
        url.m_password = odbcPart(url.m_database, QStringLiteral("(?:PWD|PASSWORD)"));
        if (url.m_password.startsWith(QLatin1Char('{')))
            url.m_password = url.m_password.mid(1, url.m_password.size() - 2);
        return url;
    }
    if (scheme != QLatin1String("postgresql") && scheme != QLatin1String("postgres"))
        return fail(QStringLiteral("the transmitter database must start with postgresql://, odbc: or sqlite:"));

    const QUrl parsed(text, QUrl::StrictMode);
    if (!parsed.isValid())
        return fail(QStringLiteral("the PostgreSQL address is not a valid URL"));
    url.m_kind = Kind::Postgres;
    url.m_host = parsed.host(QUrl::FullyDecoded);
    url.m_port = parsed.port(-1);
    url.m_user = parsed.userName(QUrl::FullyDecoded);
    url.m_password = parsed.password(QUrl::FullyDecoded);
    url.m_database = parsed.path(QUrl::FullyDecoded).mid(1);
    if (url.m_database.isEmpty())
        return fail(QStringLiteral("the PostgreSQL address names no database (postgresql://host/dbname)"));
    QStringList options;
    bool timeoutGiven = false;
    const QUrlQuery query(parsed);
    for (const auto& [key, value] : query.queryItems(QUrl::FullyDecoded)) {
        // libpq takes a socket folder for a host; the URL carries it as ?host=/folder.
        if (key == QLatin1String("host")) {
            url.m_host = value;
            continue;
        }
        if (key == QLatin1String("port")) {
            url.m_port = value.toInt();
            continue;
        }
        if (key.contains(QLatin1Char(';')) || value.contains(QLatin1Char(';')))
            return fail(QStringLiteral("the PostgreSQL option %1 holds a ';'").arg(key));
        timeoutGiven = timeoutGiven || key == QLatin1String("connect_timeout");
        options.append(key + QLatin1Char('=') + value);
    }
    if (!timeoutGiven)
        options.append(QStringLiteral("connect_timeout=30"));
    url.m_options = options.join(QLatin1Char(';'));
    return url;
}

void RemoteDbUrl::setTimeoutSeconds(const QString& setting) {
    bool ok = false;
    const int seconds = setting.trimmed().toInt(&ok);
    m_timeoutSeconds = ok && seconds > 0 ? seconds : kDefaultTimeoutSeconds;
}

QString RemoteDbUrl::sqliteText(const QString& path) {
    return QStringLiteral("sqlite:") + path;
}

QString RemoteDbUrl::postgresText(const QString& host, int port, const QString& database, const QString& user,
                                  const QString& password) {
    QUrl url;
    url.setScheme(QStringLiteral("postgresql"));
    const bool socketFolder = host.startsWith(QLatin1Char('/'));
    url.setHost(socketFolder || host.isEmpty() ? QStringLiteral("localhost") : host);
    if (port > 0)
        url.setPort(port);
    url.setPath(QLatin1Char('/') + database, QUrl::DecodedMode);
    if (!user.isEmpty())
        url.setUserName(user, QUrl::DecodedMode);
    if (!password.isEmpty())
        url.setPassword(password, QUrl::DecodedMode);
    if (socketFolder) {
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("host"), host);
        url.setQuery(query);
    }
    return url.toString(QUrl::FullyEncoded);
}

QString RemoteDbUrl::odbcText(const QString& source, const QString& user, const QString& password) {
    QString connection = source.trimmed();
    if (!connection.contains(QLatin1Char('=')))
        connection = QStringLiteral("DSN=") + connection;
    if (!user.isEmpty() && odbcPart(connection, QStringLiteral("UID")).isEmpty())
        connection += QStringLiteral(";UID=") + user;
    if (!password.isEmpty())
        connection += QStringLiteral(";PWD={%1}").arg(password);
    return QStringLiteral("odbc:") + connection;
}

QString RemoteDbUrl::driverName() const {
    switch (m_kind) {
    case Kind::Postgres:
        return QStringLiteral("QPSQL");
    case Kind::Odbc:
        return QStringLiteral("QODBC");
    case Kind::Sample:
    case Kind::Sqlite:
        break;
    }
    return QStringLiteral("QSQLITE");
}

QString RemoteDbUrl::displayName() const {
    switch (m_kind) {
    case Kind::Sample:
        return QStringLiteral("the built-in sample database");
    case Kind::Sqlite:
        return QStringLiteral("the database file %1").arg(m_database);
    case Kind::Odbc: {
        const QString server = odbcPart(m_database, QStringLiteral("SERVER"));
        const QString dsn = odbcPart(m_database, QStringLiteral("DSN"));
        const QString name = odbcPart(m_database, QStringLiteral("DATABASE"));
        QString text = server.isEmpty() ? (dsn.isEmpty() ? redacted() : QStringLiteral("ODBC data source %1").arg(dsn))
                                        : QStringLiteral("server %1").arg(server);
        if (!name.isEmpty())
            text += QStringLiteral(", database %1").arg(name);
        return text;
    }
    case Kind::Postgres:
        break;
    }
    QString host = m_host.isEmpty() ? QStringLiteral("localhost") : m_host;
    if (m_port > 0)
        host += QLatin1Char(':') + QString::number(m_port);
    return QStringLiteral("PostgreSQL server %1, database %2").arg(host, m_database);
}

QString RemoteDbUrl::redacted() const {
    if (m_password.isEmpty())
        return m_text;
    if (m_kind == Kind::Odbc) {
        QString text = m_text;
        return text.replace(odbcPasswordPattern(), QStringLiteral("\\1") + kStars);
    }
    QUrl url(m_text);
    url.setPassword(kStars);
    return url.toString();
}

QString RemoteDbUrl::withoutPassword() const {
    return withPassword({});
}

QString RemoteDbUrl::withPassword(const QString& password) const {
    if (m_kind == Kind::Odbc) {
        QString text = m_text;
        text.remove(QRegularExpression(QStringLiteral(R"(;?\s*\b(?:PWD|PASSWORD)\s*=\s*(\{[^}]*\}|[^;]*))"),
                                       QRegularExpression::CaseInsensitiveOption));
        if (!password.isEmpty())
            text += QStringLiteral(";PWD={%1}").arg(password);
        return text;
    }
    if (m_kind != Kind::Postgres)
        return m_text;
    QUrl url(m_text);
    url.setPassword(password.isEmpty() ? QString() : password, QUrl::DecodedMode);
    return url.toString();
}

QString RemoteDbUrl::scrub(const QString& message) const {
    QString text = message;
    if (!m_password.isEmpty())
        text.replace(m_password, kStars);
    return text;
}
