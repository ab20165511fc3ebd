#pragma once

#include <QString>

#include <optional>

/**
 * Where the transmitter database lives, as the "Remote_Db" setting writes it:
 * - `postgresql://[user[:password]@]host[:port]/dbname[?host=/socket/folder&sslmode=...]` (also `postgres://`);
 * - `odbc:CONNECTION-STRING`, for example an SQL Server through a driver the user installs;
 * - `sqlite:PATH`, a local file;
 * - empty: the sample database built into the program.
 *
 * The password is kept only to open the connection: displayName() and redacted() never contain it.
 */
class RemoteDbUrl {
public:
    enum class Kind { Sample, Postgres, Odbc, Sqlite };

    /// The parsed URL, or no value with a reason in *error (which never repeats a password).
    static std::optional<RemoteDbUrl> parse(const QString& text, QString* error = nullptr);
    /// The built-in sample.
    static RemoteDbUrl sample() { return {}; }
    /// The setting's text for a local SQLite file.
    static QString sqliteText(const QString& path);
    /// The setting's text for a PostgreSQL server (a host starting with "/" is a socket folder); port 0: the default.
    static QString postgresText(const QString& host, int port, const QString& database, const QString& user,
                                const QString& password);
    /// The setting's text for an ODBC data source: a DSN name, or a whole connection string (it holds "=").
    static QString odbcText(const QString& source, const QString& user, const QString& password);

    Kind kind() const { return m_kind; }
    bool isSample() const { return m_kind == Kind::Sample; }
    /// The Qt SQL driver for this kind: QPSQL, QODBC or QSQLITE.
    QString driverName() const;

    QString host() const { return m_host; }
    int port() const { return m_port; }
    /// The database name (PostgreSQL), the connection string (ODBC) or the file path (SQLite).
    QString databaseName() const { return m_database; }
    QString userName() const { return m_user; }
    QString password() const { return m_password; }
    /// Driver options in Qt's "key=value;key=value" form.
    QString connectOptions() const { return m_options; }

    /// How long one statement may take before it is given up (the "Search_Timeout" setting).
    static constexpr int kDefaultTimeoutSeconds = 30;
    int timeoutSeconds() const { return m_timeoutSeconds; }
    /// The setting's text in whole seconds; empty, zero or anything else that is no positive number gives the default.
    void setTimeoutSeconds(const QString& setting);

    /// The server and database for messages: "PostgreSQL server db.example.org:5432, database radio".
    QString displayName() const;
    /// The URL as typed with any password replaced by "***", for the settings dialog and logs.
    QString redacted() const;
    /// The URL without its password (the settings dialog keeps the password in a field of its own).
    QString withoutPassword() const;
    /// The same URL with this password (empty: none).
    QString withPassword(const QString& password) const;
    /// Replaces every occurrence of the password in a driver's message, so that no error ever shows it.
    QString scrub(const QString& message) const;

private:
    Kind m_kind = Kind::Sample;
    QString m_text;
    QString m_host;
    int m_port = -1;
    QString m_database;
    QString m_user;
    QString m_password;
    QString m_options;
    int m_timeoutSeconds = kDefaultTimeoutSeconds;
};
