#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <pwd.h>
#include <unistd.h>

/**
 * A PostgreSQL server of the test's own: a fresh cluster in a temporary folder, reached only through
 * a Unix socket in that folder (no TCP port, so runs never collide), with trust login for the user
 * "valdoria". PostgreSQL refuses to run as root, so under root (CI) the cluster belongs to "nobody" and
 * its programs run through runuser. Starting takes a second or two; stop() or the destructor ends it.
 */
class PostgresServer {
public:
    static constexpr int kPort = 5432;

    ~PostgresServer() { stop(); }

    /// Creates and starts the cluster and a database "radio"; false with the reason in error().
    bool start() {
        const QString bin = binFolder();
        if (bin.isEmpty())
            return fail(QStringLiteral("PostgreSQL is not installed (Debian package postgresql)"));
        if (!m_dir.isValid())
            return fail(QStringLiteral("no temporary folder"));
        m_bin = bin;
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (!nobody || chown(QFile::encodeName(m_dir.path()).constData(), nobody->pw_uid, nobody->pw_gid) != 0)
                return fail(QStringLiteral("cannot hand the cluster folder to the user nobody"));
            m_asUser = QStringLiteral("nobody");
        }
        if (!run(QStringLiteral("initdb"),
                 {QStringLiteral("-D"), dataFolder(), QStringLiteral("-A"), QStringLiteral("trust"),
                  QStringLiteral("-U"), QStringLiteral("valdoria"), QStringLiteral("-N"), QStringLiteral("-E"),
                  QStringLiteral("UTF8"), QStringLiteral("--locale=C")}))
            return false;
        const QString options = QStringLiteral("-k %1 -p %2 -c listen_addresses= -F").arg(m_dir.path()).arg(kPort);
        if (!run(QStringLiteral("pg_ctl"),
                 {QStringLiteral("-D"), dataFolder(), QStringLiteral("-o"), options, QStringLiteral("-l"),
                  m_dir.filePath(QStringLiteral("server.log")), QStringLiteral("-w"), QStringLiteral("start")}))
            return false;
        m_running = true;
        return exec(QStringLiteral("postgres"), {QStringLiteral("CREATE DATABASE radio")});
    }

    void stop() {
        if (!m_running)
            return;
        m_running = false;
        run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), dataFolder(), QStringLiteral("-m"),
                                       QStringLiteral("immediate"), QStringLiteral("stop")});
    }

    /// The URL of a database of this server, as the Remote_Db setting writes it.
    QString url(const QString& database = QStringLiteral("radio")) const {
        return QStringLiteral("postgresql://valdoria@/%1?host=%2&port=%3").arg(database, m_dir.path()).arg(kPort);
    }
    QString socketFolder() const { return m_dir.path(); }
    QString error() const { return m_error; }

    /// Runs statements on a database of the server; false with the reason in error().
    bool exec(const QString& database, const QStringList& statements) {
        bool ok = true;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("test-server"));
            db.setHostName(m_dir.path());
            db.setPort(kPort);
            db.setUserName(QStringLiteral("valdoria"));
            db.setDatabaseName(database);
            ok = db.open() || fail(db.lastError().text());
            QSqlQuery query(db);
            for (const QString& sql : statements) {
                if (!ok)
                    break;
                ok = query.exec(sql) || fail(query.lastError().text() + QStringLiteral(" in ") + sql);
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("test-server"));
        return ok;
    }

private:
    static QString binFolder() {
        const QDir versions(QStringLiteral("/usr/lib/postgresql"));
        for (const QString& version :
             versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed)) {
            const QString bin = versions.filePath(version + QStringLiteral("/bin"));
            if (QFile::exists(bin + QStringLiteral("/initdb")))
                return bin;
        }
        return {};
    }

    QString dataFolder() const { return m_dir.filePath(QStringLiteral("data")); }

    bool run(const QString& tool, const QStringList& arguments) {
        QProcess process;
        // The cluster's owner may not enter the test's own folder.
        process.setWorkingDirectory(m_dir.path());
        const QString program = m_bin + QLatin1Char('/') + tool;
        if (m_asUser.isEmpty())
            process.start(program, arguments);
        else
            process.start(QStringLiteral("runuser"),
                          QStringList{QStringLiteral("-u"), m_asUser, QStringLiteral("--"), program} + arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            return fail(
                QStringLiteral("%1 failed: %2").arg(tool, QString::fromLocal8Bit(process.readAllStandardError())));
        return true;
    }

    bool fail(const QString& reason) {
        m_error = reason;
        return false;
    }

    QTemporaryDir m_dir;
    QString m_bin;
    QString m_asUser;
    QString m_error;
    bool m_running = false;
};
