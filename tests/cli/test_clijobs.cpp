// valdoria-cli's memory jobs and reading commands when things go wrong around them: another program holding
// the database locked, a signal, a read-only file, a full disk, a scanner that hangs up, a set name with a
// line break. Each case runs the real program against a simulated scanner on a pseudo-terminal and then reads
// the database file it left, so every count the program reports is checked against the file.
#include "CliRun.h"
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
    int count(const QString& sql) {
        QSqlQuery q(QSqlDatabase::database(m_name));
        return q.exec(sql) && q.next() ? q.value(0).toInt() : -1;
    }

private:
    static inline int s_serial = 0;
    QString m_name;
};

QString dbPath(const QTemporaryDir& dir) {
    return dir.filePath(QStringLiteral("Data/ValdoriaPro.mdb"));
}

// A fresh data folder with its database made by the program itself. The core notes the new file as a
// diagnostic, which a script must not see.
bool createDatabase(const QTemporaryDir& dir) {
    const CliRun made = runCli({"sets", "--data-dir", dir.path()});
    return made.status == 0 && !made.err.contains(QLatin1String("valdoria.")) && QFile::exists(dbPath(dir));
}

// A job's command line against the scanner on the pseudo-terminal and the test's data folder.
QStringList jobArguments(const QString& job, const PtyScanner& scanner, const QTemporaryDir& dir,
                         const QStringList& more) {
    return QStringList{job, "--port", scanner.host.devicePath(), "--data-dir", dir.path()} + more;
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
    // Another program holds the file locked: a short transaction is waited out; one held past the program's
    // wait of 10 s ends the job honestly, a restore before it programs anything and without naming a safety set
    // that is not in the file.
    void lockedDatabase_jobWaitsOrSaysWhatItStored_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("lockMs");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QString>("countSql");
        QTest::addColumn<int>("count"); // rows countSql finds; -1: as many as the message says
        QTest::addColumn<int>("programmed");
        const QStringList backup{"backup", "--banks", "1-2", "--name", "Locked"};
        const QString backedUp = "SELECT COUNT(*) FROM BACKUP_CHANNELS WHERE BACKUP_SET LIKE 'Locked - %'";
        const QStringList restore{"restore", "--set", "Home", "--banks", "1"};
        QTest::newRow("backup, lock released after 1.5 s")
            << backup << 1500 << 0 << "100 channels and" << backedUp << 100 << 0;
        QTest::newRow("backup, lock held for 16 s")
            << backup << 16000 << 1 << "another program has held the file locked" << backedUp << -1 << 0;
        QTest::newRow("restore, lock released after 1.5 s")
            << restore + QStringList{"--no-safety-backup"} << 1500 << 0 << ""
            << "SELECT COUNT(*) FROM BANK01 WHERE sFREQ IN ('154.5000', '155.2500', '460.1250')" << 3 << 3;
        QTest::newRow("restore, lock held for 16 s")
            << restore << 16000 << 1 << "Nothing was programmed.\n"
            << "SELECT COUNT(*) FROM BACKUP_CHANNELS WHERE BACKUP_SET LIKE 'Before %'" << 0 << 0;
    }
    void lockedDatabase_jobWaitsOrSaysWhatItStored() {
        QFETCH(QStringList, arguments);
        QFETCH(int, lockMs);
        QFETCH(QString, said);
        QFETCH(QString, countSql);
        QFETCH(int, count);
        QTemporaryDir dir;
        QVERIFY(createDatabase(dir));
        addRows(dir, "Home", {"1=154.5000", "2=155.2500", "3=460.1250"});
        PtyScanner scanner;
        QVERIFY(scanner.opened);
        DbFile other(dbPath(dir));
        QVERIFY(other.exec("BEGIN EXCLUSIVE"));
        QTimer release;
        release.setSingleShot(true);
        QObject::connect(&release, &QTimer::timeout, [&other] { other.exec("COMMIT"); });
        release.start(lockMs);

        const CliRun f = runCli(jobArguments(arguments.takeFirst(), scanner, dir, arguments), 30000);
        QVERIFY2(f.inTime && !f.crashed, qPrintable(f.err));
        QTEST(f.status, "status");
        QVERIFY2(f.err.contains(said), qPrintable(f.err));
        other.exec("COMMIT");
        QCOMPARE(other.count(countSql), count < 0 ? countSaid(f.err) : count);
        QStringList sent = scanner.commandsStartingWith("PM");
        sent.removeDuplicates();
        QTEST(int(sent.size()), "programmed");
    }

    // A job that ends half-way keeps the rows it stored and says how many.
    void jobEndsHalfWay_keepsTheRowsAndHandsTheScannerBack_data() {
        QTest::addColumn<QString>("job");
        QTest::addColumn<int>("signal"); // 0: the scanner hangs up
        QTest::addColumn<QString>("said");
        QTest::addColumn<QStringList>("handBack");
        const QStringList backupEnd{"IDN", "QUN", "MA001", "KEY00"};
        QTest::newRow("backup, Ctrl+C") << "backup" << SIGINT << "SIGINT: stopping the backup" << backupEnd;
        QTest::newRow("backup, terminal closed") << "backup" << SIGHUP << "SIGHUP: stopping the backup" << backupEnd;
        QTest::newRow("restore, kill") << "restore" << SIGTERM << "SIGTERM: stopping the restore"
                                       << QStringList{"MA001", "KEY00"};
        // The message reads as sentences.
        QTest::newRow("backup, scanner hangs up")
            << "backup" << 0 << "the device hung up. Backup ended; " << QStringList{};
    }
    void jobEndsHalfWay_keepsTheRowsAndHandsTheScannerBack() {
        QFETCH(QString, job);
        QFETCH(int, signal);
        QFETCH(QString, said);
        QFETCH(QStringList, handBack);
        QTemporaryDir dir;
        QVERIFY(createDatabase(dir));
        QStringList rows;
        for (int channel = 1; channel <= 200; ++channel)
            rows.append(QStringLiteral("%1=%2.0000").arg(channel).arg(150 + channel % 20));
        addRows(dir, "Many", rows);
        // A real line's pace, so the job is still running when the signal comes.
        PtyScanner scanner("pro2052", 19200);
        QVERIFY(scanner.opened);

        QProcess cli;
        startCli(cli,
                 jobArguments(job, scanner, dir,
                              job == "backup" ? QStringList{"--name", "Night"}
                                              : QStringList{"--set", "Many", "--banks", "1-4", "--no-safety-backup"}));
        QTRY_VERIFY_WITH_TIMEOUT(scanner.commands.contains("MA040"), 20000);
        const qsizetype before = scanner.commands.size();
        if (signal)
            QCOMPARE(::kill(pid_t(cli.processId()), signal), 0);
        else
            scanner.host.close();
        const CliRun f = waitForCli(cli, 10000);
        QVERIFY2(f.inTime && !f.crashed && f.status == 1, qPrintable(f.err));
        QVERIFY2(f.err.contains(said), qPrintable(f.err));

        // The count said is the count in the file.
        const int stored = countSaid(f.err);
        QVERIFY2(stored >= 30, qPrintable(f.err));
        DbFile db(dbPath(dir));
        QCOMPARE(job == "backup" ? db.count("SELECT COUNT(*) FROM BACKUP_CHANNELS WHERE BACKUP_SET LIKE 'Night - %'")
                                 : db.count("SELECT (SELECT COUNT(*) FROM BANK01) + (SELECT COUNT(*) FROM BANK02) + "
                                            "(SELECT COUNT(*) FROM BANK03) + (SELECT COUNT(*) FROM BANK04)"),
                 stored);

        // After the signal the scanner gets the job's own closing commands, in order (the commands of the
        // channel in hand may come first).
        const auto handedBack = [&] {
            qsizetype at = 0;
            for (const QString& command : scanner.commands.mid(before)) {
                if (at < handBack.size() && command == handBack.at(at))
                    ++at;
            }
            return at == handBack.size();
        };
        QTRY_VERIFY2_WITH_TIMEOUT(handedBack(), qPrintable(scanner.commands.mid(before).join(' ')), 5000);
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
        addRows(dir, "Odd", rows);
        PtyScanner scanner(model);
        QVERIFY(scanner.opened);
        const CliRun f = runCli(jobArguments("restore", scanner, dir,
                                             {"--model", model, "--set", "Odd", "--banks", "1", "--no-safety-backup"}));
        QVERIFY2(f.inTime && !f.crashed, qPrintable(f.err));
        QCOMPARE(f.status, listed.isEmpty() ? 0 : 1);
        QCOMPARE(f.out, listed);
        QStringList sent = scanner.commandsStartingWith("PM");
        sent.removeDuplicates();
        QCOMPARE(sent, programmed);
    }

    void readOnlyDatabase_setsAndExportStillRead() {
        QTemporaryDir dir;
        QVERIFY(createDatabase(dir));
        addRows(dir, "Home", {"1=154.5000", "2=155.2500"});
        QFile file(dbPath(dir));
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        file.close();

        CliRun f = runCli({"sets", "--data-dir", dir.path()});
        QVERIFY2(f.status == 0, qPrintable(f.err));
        QCOMPARE(f.out, "Home\t2\n");
        const QString csv = dir.filePath("home.csv");
        f = runCli({"export", "--set", "Home", csv, "--data-dir", dir.path()});
        QVERIFY2(f.status == 0, qPrintable(f.err));
        QFile exported(csv);
        QVERIFY(exported.open(QIODevice::ReadOnly));
        QCOMPARE(exported.readAll().count('\n'), 3);
        f = runCli({"export-talkgroups", dir.filePath("tg.csv"), "--data-dir", dir.path()});
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
        QFile csv(dir.filePath("one.csv"));
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write("Location,Name,Frequency\n1,ONE,154.500000\n");
        csv.close();
        arguments.replaceInStrings(QRegularExpression("^CSV$"), csv.fileName());
        const CliRun f = runCli(arguments + QStringList{"--data-dir", dir.path()});
        QVERIFY2(f.status == status, qPrintable(f.err));
        QVERIFY2(f.err.contains(said), qPrintable(f.err));
        QCOMPARE(runCli({"sets", "--data-dir", dir.path()}).out, QString());
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
        startCli(
            shell,
            {geteuid() == 0 ? "-m" : "-rm", "sh", "-c", script, "sh", disk, dbPath(dir), copy, VALDORIA_CLI_EXECUTABLE},
            {}, unshare);
        const CliRun f = waitForCli(shell, 60000);
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
};

QTEST_GUILESS_MAIN(TestCliJobs)
#include "test_clijobs.moc"
