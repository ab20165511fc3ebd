// valdoria-cli's memory jobs and reading commands when things go wrong around them: another program holding
// the database locked, a signal, a read-only file, a full disk, a scanner that hangs up, a set name with a
// line break. Each case runs the real program against a simulated scanner on a pseudo-terminal and then reads
// the database file it left, so every count the program reports is checked against the file.
#include "PtyHost.h"
#include "SimulatedScanner.h"
#include "Simulator.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <memory>
#include <unistd.h>

namespace {

const QString kCli = QStringLiteral(VALDORIA_CLI_EXECUTABLE);

// A scanner on a pseudo-terminal that the program opens with --port; every command it receives is kept.
struct PtyScanner {
    explicit PtyScanner(const QString& model = QStringLiteral("pro2052"), int baud = 0)
        : simulator(model == QLatin1String("pro2052") ? std::make_unique<Simulator>()
                                                      : std::make_unique<Simulator>(Simulator::createModel(model)))
        , host(simulator.get()) {
        QObject::connect(simulator.get(), &Simulator::commandReceived, simulator.get(),
                         [this](const QString& command) { commands.append(command); });
        host.setLineRate(baud);
        opened = host.open();
    }
    QStringList commandsStartingWith(const QString& prefix) const {
        return commands.filter(QRegularExpression('^' + prefix));
    }

    std::unique_ptr<Simulator> simulator;
    PtyHost host;
    QStringList commands;
    bool opened = false;
};

// The program as a script runs it: the core's diagnostics left at their default.
QProcessEnvironment cliEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_LOGGING_RULES"));
    return env;
}

struct Finished {
    bool inTime = false;
    bool crashed = false;
    int status = -1;
    QString out;
    QString err;
};

// Waits for the program with the event loop running, so the simulator keeps answering meanwhile.
Finished waitFor(QProcess& cli, int ms) {
    Finished f;
    if (cli.state() != QProcess::NotRunning) {
        QSignalSpy done(&cli, &QProcess::finished);
        f.inTime = done.wait(ms);
    } else {
        f.inTime = true;
    }
    if (!f.inTime) {
        cli.kill();
        cli.waitForFinished(5000);
    }
    f.crashed = cli.exitStatus() == QProcess::CrashExit;
    f.status = cli.exitCode();
    f.out = QString::fromUtf8(cli.readAllStandardOutput());
    f.err = QString::fromUtf8(cli.readAllStandardError());
    return f;
}

void start(QProcess& cli, const QStringList& arguments) {
    cli.setProcessEnvironment(cliEnvironment());
    cli.start(kCli, arguments);
}

Finished run(const QStringList& arguments, int ms = 20000) {
    QProcess cli;
    start(cli, arguments);
    return waitFor(cli, ms);
}

// "N of M channels" in a job's closing message: N, or -1 when the message has no count.
int countSaid(const QString& err) {
    static const QRegularExpression count(QStringLiteral("(\\d+) of \\d+ channels"));
    const QRegularExpressionMatch m = count.match(err);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// A second connection to the database file, as another program on the machine would hold one.
class DbFile {
public:
    explicit DbFile(const QString& path)
        : m_name(QStringLiteral("other-program-%1").arg(++s_serial)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.open();
    }
    ~DbFile() {
        QSqlDatabase::database(m_name).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    bool exec(const QString& sql, const QVariantList& values = {}) {
        QSqlQuery q(QSqlDatabase::database(m_name));
        q.prepare(sql);
        for (const QVariant& v : values)
            q.addBindValue(v);
        return q.exec();
    }
    int count(const QString& sql, const QVariantList& values = {}) {
        QSqlQuery q(QSqlDatabase::database(m_name));
        q.prepare(sql);
        for (const QVariant& v : values)
            q.addBindValue(v);
        return q.exec() && q.next() ? q.value(0).toInt() : -1;
    }

private:
    static inline int s_serial = 0;
    QString m_name;
};

QString dbPath(const QTemporaryDir& dir) {
    return dir.filePath(QStringLiteral("Data/ValdoriaPro.mdb"));
}

// A fresh data folder with its database made by the program itself.
bool createDatabase(const QTemporaryDir& dir) {
    return run({QStringLiteral("sets"), QStringLiteral("--data-dir"), dir.path()}).status == 0 &&
           QFile::exists(dbPath(dir));
}

// Rows "channel=sFREQ" written straight into a set, as any program could have left them.
void addRows(const QTemporaryDir& dir, const QString& set, const QStringList& rows) {
    DbFile db(dbPath(dir));
    for (const QString& row : rows) {
        const QString channel = row.section(QLatin1Char('='), 0, 0);
        const QString sfreq = row.section(QLatin1Char('='), 1);
        QVERIFY(db.exec(QStringLiteral("INSERT INTO BACKUP_CHANNELS (BACKUP_SET, CHANNEL, sFREQ, FREQUENCY) "
                                       "VALUES (?, ?, ?, ?)"),
                        {set, channel.toInt(), sfreq, sfreq.toDouble()}));
    }
}

} // namespace

class TestCliJobs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lockedDatabase_backupStoresEveryRowOrSaysWhatItStored_data() {
        QTest::addColumn<int>("lockMs");
        QTest::addColumn<int>("status");
        // Another program's short transaction is waited out; one held past the wait ends the backup honestly.
        QTest::newRow("lock released after 1.5 s") << 1500 << 0;
        QTest::newRow("lock held for 16 s") << 16000 << 1;
    }
    void lockedDatabase_backupStoresEveryRowOrSaysWhatItStored() {
        QFETCH(int, lockMs);
        QFETCH(int, status);
        QTemporaryDir dir;
        QVERIFY(createDatabase(dir));
        PtyScanner scanner;
        QVERIFY(scanner.opened);
        DbFile other(dbPath(dir));
        QVERIFY(other.exec(QStringLiteral("BEGIN EXCLUSIVE")));
        QTimer release;
        release.setSingleShot(true);
        QObject::connect(&release, &QTimer::timeout, [&other] { other.exec(QStringLiteral("COMMIT")); });
        release.start(lockMs);

        const Finished f = run({QStringLiteral("backup"), QStringLiteral("--port"), scanner.host.devicePath(),
                                QStringLiteral("--banks"), QStringLiteral("1-2"), QStringLiteral("--name"),
                                QStringLiteral("Locked"), QStringLiteral("--data-dir"), dir.path()},
                               30000);
        QVERIFY2(f.inTime && !f.crashed, qPrintable(f.err));
        QVERIFY2(f.status == status, qPrintable(f.err));
        other.exec(QStringLiteral("COMMIT"));
        const int inFile =
            other.count(QStringLiteral("SELECT COUNT(*) FROM BACKUP_CHANNELS WHERE BACKUP_SET LIKE 'Locked - %'"));
        if (status == 0) {
            QCOMPARE(inFile, 100);
            QVERIFY2(f.err.contains(QLatin1String("100 channels and")), qPrintable(f.err));
        } else {
            QVERIFY2(f.err.contains(QLatin1String("another program has held the file locked")), qPrintable(f.err));
            QCOMPARE(countSaid(f.err), inFile);
        }
    }

    void lockedDatabase_restoreProgramsNothingWithoutItsSafetySet() {
        QTemporaryDir dir;
        QVERIFY(createDatabase(dir));
        addRows(dir, QStringLiteral("Home"), {"1=154.5000", "2=155.2500", "3=460.1250"});
        PtyScanner scanner;
        QVERIFY(scanner.opened);
        DbFile other(dbPath(dir));
        QVERIFY(other.exec(QStringLiteral("BEGIN EXCLUSIVE")));
        // Held past the program's wait of 10 s: the lock goes only after the program has ended.

        const Finished f = run({QStringLiteral("restore"), QStringLiteral("--port"), scanner.host.devicePath(),
                                QStringLiteral("--set"), QStringLiteral("Home"), QStringLiteral("--banks"),
                                QStringLiteral("1"), QStringLiteral("--data-dir"), dir.path()},
                               30000);
        QVERIFY2(f.inTime && !f.crashed && f.status == 1, qPrintable(f.err));
        QVERIFY2(f.err.contains(QLatin1String("Nothing was programmed.")), qPrintable(f.err));
        QCOMPARE(scanner.commandsStartingWith(QStringLiteral("PM")), QStringList());
        // No safety set is named that is not in the file.
        QVERIFY2(!f.err.contains(QLatin1String("Before restore")), qPrintable(f.err));
        other.exec(QStringLiteral("COMMIT"));
        QCOMPARE(other.count(QStringLiteral("SELECT COUNT(*) FROM BACKUP_CHANNELS WHERE BACKUP_SET LIKE 'Before %'")),
                 0);
    }

    void lockedDatabase_restoreWritesTheBankTableOnceTheLockGoes() {
        QTemporaryDir dir;
        QVERIFY(createDatabase(dir));
        addRows(dir, QStringLiteral("Home"), {"1=154.5000", "2=155.2500", "3=460.1250"});
        PtyScanner scanner;
        QVERIFY(scanner.opened);
        DbFile other(dbPath(dir));
        QVERIFY(other.exec(QStringLiteral("BEGIN EXCLUSIVE")));
        QTimer release;
        release.setSingleShot(true);
        QObject::connect(&release, &QTimer::timeout, [&other] { other.exec(QStringLiteral("COMMIT")); });
        release.start(1500);

        const Finished f =
            run({QStringLiteral("restore"), QStringLiteral("--port"), scanner.host.devicePath(),
                 QStringLiteral("--set"), QStringLiteral("Home"), QStringLiteral("--banks"), QStringLiteral("1"),
                 QStringLiteral("--no-safety-backup"), QStringLiteral("--data-dir"), dir.path()},
                30000);
        QVERIFY2(f.inTime && !f.crashed && f.status == 0, qPrintable(f.err));
        other.exec(QStringLiteral("COMMIT"));
        QCOMPARE(other.count(QStringLiteral("SELECT COUNT(*) FROM BANK01 WHERE sFREQ IN ('154.5000', '155.2500', "
                                            "'460.1250')")),
                 3);
    }

    void signalDuringJob_keepsTheRowsAndHandsTheScannerBack_data() {
        QTest::addColumn<QString>("job");
        QTest::addColumn<int>("signal");
        QTest::addColumn<QStringList>("handBack");
        const QStringList backupEnd{"IDN", "QUN", "MA001", "KEY00"};
        QTest::newRow("backup, Ctrl+C") << "backup" << SIGINT << backupEnd;
        QTest::newRow("backup, terminal closed") << "backup" << SIGHUP << backupEnd;
        QTest::newRow("restore, kill") << "restore" << SIGTERM << QStringList{"MA001", "KEY00"};
    }
    void signalDuringJob_keepsTheRowsAndHandsTheScannerBack() {
        QFETCH(QString, job);
        QFETCH(int, signal);
        QFETCH(QStringList, handBack);
        QTemporaryDir dir;
        QVERIFY(createDatabase(dir));
        QStringList rows;
        for (int channel = 1; channel <= 200; ++channel)
            rows.append(QStringLiteral("%1=%2.0000").arg(channel).arg(150 + channel % 20));
        addRows(dir, QStringLiteral("Many"), rows);
        // A real line's pace, so the job is still running when the signal comes.
        PtyScanner scanner(QStringLiteral("pro2052"), 19200);
        QVERIFY(scanner.opened);

        QProcess cli;
        QStringList arguments{job, QStringLiteral("--port"), scanner.host.devicePath(), QStringLiteral("--data-dir"),
                              dir.path()};
        arguments += job == QLatin1String("backup")
                         ? QStringList{QStringLiteral("--name"), QStringLiteral("Night")}
                         : QStringList{QStringLiteral("--set"), QStringLiteral("Many"), QStringLiteral("--banks"),
                                       QStringLiteral("1-4"), QStringLiteral("--no-safety-backup")};
        start(cli, arguments);
        QTRY_VERIFY_WITH_TIMEOUT(scanner.commands.contains(QStringLiteral("MA040")), 20000);
        const qsizetype before = scanner.commands.size();
        QCOMPARE(::kill(pid_t(cli.processId()), signal), 0);
        const Finished f = waitFor(cli, 10000);
        QVERIFY2(f.inTime && !f.crashed, qPrintable(f.err));
        QVERIFY2(f.status == 1, qPrintable(f.err));
        QVERIFY2(f.err.contains(QStringLiteral("stopping the ") + job), qPrintable(f.err));

        // The count said is the count in the file.
        const int said = countSaid(f.err);
        QVERIFY2(said >= 30, qPrintable(f.err));
        DbFile db(dbPath(dir));
        const int inFile =
            job == QLatin1String("backup")
                ? db.count(QStringLiteral("SELECT COUNT(*) FROM BACKUP_CHANNELS WHERE BACKUP_SET LIKE 'Night - %'"))
                : db.count(QStringLiteral("SELECT (SELECT COUNT(*) FROM BANK01) + (SELECT COUNT(*) FROM BANK02) + "
                                          "(SELECT COUNT(*) FROM BANK03) + (SELECT COUNT(*) FROM BANK04)"));
        QCOMPARE(inFile, said);

        // After the signal the scanner got the job's own closing commands, in order.
        QTRY_VERIFY_WITH_TIMEOUT(scanner.commands.size() > before + handBack.size() - 1, 5000);
        const QStringList after = scanner.commands.mid(before);
        qsizetype at = 0;
        for (const QString& command : after) {
            if (at < handBack.size() && command == handBack.at(at))
                ++at;
        }
        QVERIFY2(at == handBack.size(), qPrintable(after.join(' ')));
    }

    void restore_neverSendsWhatTheModelCannotReceive_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("programmed");
        QTest::addColumn<QString>("listed");
        QTest::newRow("not numbers, out of range, between bands")
            << "pro2052" << QStringList{"1=154.5000", "2=inf", "3=1e308", "4=1000.0000", "5=-5.0000", "6=0000.0000"}
            << QStringList{"PM001 01545000", "PM006 00000000"} << "2\n3\n4\n5\n";
        QTest::newRow("1250 MHz on a PRO-2052") << "pro2052" << QStringList{"1=1250.0000"} << QStringList{} << "1\n";
        QTest::newRow("1250 MHz on a BC780XLT")
            << "bc780xlt" << QStringList{"1=1250.0000"} << QStringList{"PM001 12500000"} << "";
    }
    void restore_neverSendsWhatTheModelCannotReceive() {
        QFETCH(QString, model);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, programmed);
        QFETCH(QString, listed);
        QTemporaryDir dir;
        QVERIFY(createDatabase(dir));
        addRows(dir, QStringLiteral("Odd"), rows);
        PtyScanner scanner(model);
        QVERIFY(scanner.opened);
        const Finished f = run({QStringLiteral("restore"), QStringLiteral("--port"), scanner.host.devicePath(),
                                QStringLiteral("--model"), model, QStringLiteral("--set"), QStringLiteral("Odd"),
                                QStringLiteral("--banks"), QStringLiteral("1"), QStringLiteral("--no-safety-backup"),
                                QStringLiteral("--data-dir"), dir.path()});
        QVERIFY2(f.inTime && !f.crashed, qPrintable(f.err));
        QCOMPARE(f.status, listed.isEmpty() ? 0 : 1);
        QCOMPARE(f.out, listed);
        QStringList sent = scanner.commandsStartingWith(QStringLiteral("PM"));
        sent.removeDuplicates();
        QCOMPARE(sent, programmed);
    }

    void readOnlyDatabase_setsAndExportStillRead() {
        QTemporaryDir dir;
        QVERIFY(createDatabase(dir));
        addRows(dir, QStringLiteral("Home"), {"1=154.5000", "2=155.2500"});
        QFile file(dbPath(dir));
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        file.close();

        Finished f = run({QStringLiteral("sets"), QStringLiteral("--data-dir"), dir.path()});
        QVERIFY2(f.status == 0, qPrintable(f.err));
        QCOMPARE(f.out, QStringLiteral("Home\t2\n"));
        const QString csv = dir.filePath(QStringLiteral("home.csv"));
        f = run({QStringLiteral("export"), QStringLiteral("--set"), QStringLiteral("Home"), csv,
                 QStringLiteral("--data-dir"), dir.path()});
        QVERIFY2(f.status == 0, qPrintable(f.err));
        QFile exported(csv);
        QVERIFY(exported.open(QIODevice::ReadOnly));
        QCOMPARE(exported.readAll().count('\n'), 3);
        f = run({QStringLiteral("export-talkgroups"), dir.filePath(QStringLiteral("tg.csv")),
                 QStringLiteral("--data-dir"), dir.path()});
        QVERIFY2(f.status == 0, qPrintable(f.err));

        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll() == bytes);
    }

    void setNames_refuseControlCharacters_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        QTest::newRow("backup, line break")
            << QStringList{"backup", "--simulate", "--banks", "1", "--name", "Two\nLines"} << 2
            << "a set name cannot hold a line break";
        QTest::newRow("backup, tab") << QStringList{"backup", "--simulate", "--banks", "1", "--name", "Tab\there"} << 2
                                     << "control character (U+0009)";
        QTest::newRow("import, bell") << QStringList{"import", "CSV", "--set", "Bell\x07"} << 1
                                      << "control character (U+0007)";
    }
    void setNames_refuseControlCharacters() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, said);
        QTemporaryDir dir;
        QFile csv(dir.filePath(QStringLiteral("one.csv")));
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write("Location,Name,Frequency\n1,ONE,154.500000\n");
        csv.close();
        arguments.replaceInStrings(QRegularExpression(QStringLiteral("^CSV$")), csv.fileName());
        Finished f = run(arguments + QStringList{QStringLiteral("--data-dir"), dir.path()});
        QVERIFY2(f.status == status, qPrintable(f.err));
        QVERIFY2(f.err.contains(said), qPrintable(f.err));
        f = run({QStringLiteral("sets"), QStringLiteral("--data-dir"), dir.path()});
        QCOMPARE(f.out, QString());
    }

    void fullDisk_backupNamesTheCause() {
        const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
        if (unshare.isEmpty())
            QSKIP("no unshare here to mount a small disk");
        QTemporaryDir dir;
        QVERIFY(createDatabase(dir));
        const QString disk = dir.filePath(QStringLiteral("disk"));
        QVERIFY(QDir().mkpath(disk));
        const QString copy = dir.filePath(QStringLiteral("after.mdb"));
        // A private mount of a tmpfs with room for the empty database and a few hundred rows, in a mount
        // namespace of its own (as root, or as a user in a user namespace where the system allows one).
        const qint64 room = QFileInfo(dbPath(dir)).size() + 512 * 1024;
        const QString script =
            QStringLiteral(
                "mount -t tmpfs -o size=%1 tmpfs \"$1\" || exit 77\n"
                "mkdir -p \"$1/Data\" && cp \"$2\" \"$1/Data/\" || exit 78\n"
                "\"$4\" backup --simulate --name Full --data-dir \"$1\"; status=$?\n"
                "for f in \"$1\"/Data/ValdoriaPro.mdb*; do cp \"$f\" \"$3${f##*.mdb}\"; done; exit $status\n")
                .arg(room);
        QProcess shell;
        shell.setProcessEnvironment(cliEnvironment());
        shell.start(unshare, {geteuid() == 0 ? QStringLiteral("-m") : QStringLiteral("-rm"), QStringLiteral("sh"),
                              QStringLiteral("-c"), script, QStringLiteral("sh"), disk, dbPath(dir), copy, kCli});
        const Finished f = waitFor(shell, 60000);
        QVERIFY(f.inTime);
        if (f.status == 77 || (f.status == 1 && f.err.contains(QLatin1String("unshare"))))
            QSKIP("this machine does not let the test mount a small disk");
        QVERIFY2(f.status == 1, qPrintable(f.err));
        QVERIFY2(f.err.contains(QLatin1String("No space left on device")), qPrintable(f.err));
        DbFile after(copy);
        const int said = countSaid(f.err);
        QVERIFY2(said > 0 && said < 1000, qPrintable(f.err));
        QCOMPARE(after.count(QStringLiteral("SELECT COUNT(*) FROM BACKUP_CHANNELS WHERE BACKUP_SET LIKE 'Full - %'")),
                 said);
    }

    void scannerHangsUp_theMessageReadsAsSentences() {
        QTemporaryDir dir;
        PtyScanner scanner(QStringLiteral("pro2052"), 19200);
        QVERIFY(scanner.opened);
        QProcess cli;
        start(cli, {QStringLiteral("backup"), QStringLiteral("--port"), scanner.host.devicePath(),
                    QStringLiteral("--data-dir"), dir.path()});
        QTRY_VERIFY_WITH_TIMEOUT(scanner.commands.contains(QStringLiteral("MA010")), 20000);
        scanner.host.close();
        const Finished f = waitFor(cli, 10000);
        QVERIFY2(f.inTime && f.status == 1, qPrintable(f.err));
        QVERIFY2(f.err.contains(QLatin1String("the device hung up. Backup ended; ")), qPrintable(f.err));
    }

    void diagnostics_stayOffTheCommandLine() {
        QTemporaryDir dir;
        // A first run creates the database; the core notes that as a diagnostic, which a script must not see.
        const Finished f = run({QStringLiteral("export-talkgroups"), dir.filePath(QStringLiteral("tg.csv")),
                                QStringLiteral("--data-dir"), dir.path()});
        QVERIFY2(f.status == 0, qPrintable(f.err));
        QVERIFY2(!f.err.contains(QLatin1String("valdoria.")), qPrintable(f.err));
    }
};

QTEST_GUILESS_MAIN(TestCliJobs)
#include "test_clijobs.moc"
