#pragma once

#include "PrivateServer.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <utility>

/**
 * A PostgreSQL server of the test's own: a fresh cluster in a temporary folder, reached only through
 * a Unix socket in that folder (no TCP port, so runs never collide), with trust login for the user
 * "valdoria". Starting takes a second or two; stop() or the destructor ends it.
 */
class PostgresServer : public PrivateServer {
public:
    static constexpr int kPort = 5432;

    ~PostgresServer() { stop(); }

    /// Creates and starts the cluster and a database "radio"; false with the reason in error().
    bool start() {
        m_bin = binFolder();
        if (m_bin.isEmpty())
            return fail("PostgreSQL is not installed (Debian package postgresql)");
        if (!prepareFolder() ||
            !run("initdb", {"-D", dataFolder(), "-A", "trust", "-U", "valdoria", "-N", "-E", "UTF8", "--locale=C"}))
            return false;
        const QString options = QString("-k %1 -p %2 -c listen_addresses= -F").arg(m_dir.path()).arg(kPort);
        if (!run("pg_ctl", {"-D", dataFolder(), "-o", options, "-l", m_dir.filePath("server.log"), "-w", "start"}))
            return false;
        m_running = true;
        return exec("postgres", {"CREATE DATABASE radio"});
    }

    void stop() {
        if (std::exchange(m_running, false))
            run("pg_ctl", {"-D", dataFolder(), "-m", "immediate", "stop"});
    }

    /// The URL of a database of this server, as the Remote_Db setting writes it.
    QString url(const QString& database = "radio") const {
        return QString("postgresql://valdoria@/%1?host=%2&port=%3").arg(database, m_dir.path()).arg(kPort);
    }
    QString socketFolder() const { return m_dir.path(); }

    /// Runs statements on a database of the server; false with the reason in error().
    bool exec(const QString& database, const QStringList& statements) {
        bool ok = true;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", "test-server");
            db.setHostName(m_dir.path());
            db.setPort(kPort);
            db.setUserName("valdoria");
            db.setDatabaseName(database);
            ok = db.open() || fail(db.lastError().text());
            QSqlQuery query(db);
            for (const QString& sql : statements) {
                if (!ok)
                    break;
                ok = query.exec(sql) || fail(query.lastError().text() + " in " + sql);
            }
        }
        QSqlDatabase::removeDatabase("test-server");
        return ok;
    }

private:
    static QString binFolder() {
        const QDir versions("/usr/lib/postgresql");
        for (const QString& version :
             versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed)) {
            if (QFile::exists(versions.filePath(version + "/bin/initdb")))
                return versions.filePath(version + "/bin");
        }
        return {};
    }

    QString dataFolder() const { return m_dir.filePath("data"); }

    bool run(const QString& tool, const QStringList& arguments) {
        QProcess process;
        launch(process, m_bin + '/' + tool, arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            return fail(tool + " failed: " + QString::fromLocal8Bit(process.readAllStandardError()));
        return true;
    }

    QString m_bin;
    bool m_running = false;
};
