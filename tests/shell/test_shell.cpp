// The start of the program: its version and manual texts, and the lock that keeps a second copy out.
#include "shell/SingleInstance.h"
#include "shell/StartupInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

class TestShell : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void buildDateText_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("expected");
        // One row per rule of the program's month forms, not one per month.
        QTest::newRow("short form, bare day, four-digit year") << QDate(999, 1, 2) << "Created: Jan. 2, 0999";
        QTest::newRow("May has no full stop") << QDate(2001, 5, 12) << "Created: May 12, 2001";
        QTest::newRow("June spelt out") << QDate(2002, 6, 3) << "Created: June 3, 2002";
        QTest::newRow("September is Sept without stop") << QDate(2000, 9, 5) << "Created: Sept 5, 2000";
        QTest::newRow("December, the last form") << QDate(2024, 12, 25) << "Created: Dec. 25, 2024";
        QTest::newRow("invalid date") << QDate() << "";
    }

    void buildDateText() {
        QFETCH(QDate, date);
        QFETCH(QString, expected);
        QCOMPARE(StartupInfo::buildDateText(date), expected);
    }

    // The companion can be started only from a file: not from a missing path or a folder.
    void fileDateTextAndCompanion_needAFile() {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("Pellwick.exe")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.setFileTime(QDateTime(QDate(2000, 9, 5), QTime(12, 0)), QFileDevice::FileModificationTime));
        file.close();
        QCOMPARE(StartupInfo::fileDateText(file.fileName()), QStringLiteral("Created: Sept 5, 2000"));
        QCOMPARE(StartupInfo::fileDateText(dir.filePath(QStringLiteral("absent"))), QString());
        QVERIFY(StartupInfo::companionInstalled(file.fileName()));
        QVERIFY(!StartupInfo::companionInstalled(dir.filePath(QStringLiteral("Other.exe"))));
        QVERIFY(!StartupInfo::companionInstalled(dir.path()));
    }

    void versionLineAndHelpText() {
        QCOMPARE(StartupInfo::versionLine(2, 0, 15, QStringLiteral("Created: May 12, 2001")),
                 QStringLiteral("Version 2.0.15 - Created: May 12, 2001"));
        QCOMPARE(StartupInfo::helpMessageText(QStringLiteral("/opt/scan")),
                 QStringLiteral("Please see the enclosed manual.md file\r\nIt should be located in the directory:\r\n"
                                "/opt/scan"));
    }

    void manualFolder_data() {
        QTest::addColumn<QString>("manualAt"); // relative to a root; the program sits in root/bin
        QTest::addColumn<QString>("expected");
        QTest::newRow("installed documentation") << "share/doc/valdoria" << QString("share/doc/valdoria");
        QTest::newRow("docs beside the program") << "bin/docs" << QString("bin/docs");
        QTest::newRow("docs above the program (build tree)") << "docs" << QString("docs");
        QTest::newRow("no manual anywhere: the program folder") << "" << QString("bin");
    }

    void manualFolder() {
        QFETCH(QString, manualAt);
        QFETCH(QString, expected);
        QTemporaryDir root;
        QDir dir(root.path());
        QVERIFY(dir.mkpath(QStringLiteral("bin")));
        if (!manualAt.isEmpty()) {
            QVERIFY(dir.mkpath(manualAt));
            QFile manual(dir.filePath(manualAt + QStringLiteral("/manual.md")));
            QVERIFY(manual.open(QIODevice::WriteOnly));
        }
        QCOMPARE(StartupInfo::manualFolder(dir.filePath(QStringLiteral("bin"))),
                 QDir::cleanPath(dir.filePath(expected)));
    }

    void secondCopy_refusedUntilTheFirstEnds() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("valdoria.lock"));
        {
            SingleInstance first(path);
            QVERIFY(first.tryAcquire());
            SingleInstance second(path);
            QVERIFY(!second.tryAcquire());
            QCOMPARE(second.errorText(), QString()); // refused as a second copy, not as a broken lock
        }
        QVERIFY(!QFile::exists(path));
        QVERIFY(SingleInstance(path).tryAcquire());
    }

    void leftLockOrBadFolder_nextStart_data() {
        QTest::addColumn<QByteArray>("content"); // of a lock file left behind
        QTest::addColumn<QString>("folder");     // where the lock goes: "" a temporary folder
        QTest::addColumn<bool>("held");          // a living copy holds the file
        QTest::addColumn<QString>("error");      // "" acquired; "refused": another copy; else the error's reason

        const QByteArray host = QSysInfo::machineHostName().toUtf8();
        const QByteArray self = QByteArray::number(QCoreApplication::applicationPid());
        // No process has a number above 2^22.
        QTest::newRow("owner process has ended") << "99999999\nValdoria\n" + host + '\n' << "" << false << "";
        QTest::newRow("owner's number reused") << self + "\nsome-other-program\n" + host + '\n' << "" << false << "";
        QTest::newRow("empty") << QByteArray() << "" << false << "";
        QTest::newRow("junk") << QByteArray("\177ELF garbage") << "" << false << "";
        QTest::newRow("junk held by a living copy") << QByteArray("junk") << "" << true << "refused";
        QTest::newRow("folder missing") << QByteArray() << "missing" << false << "its folder does not exist";
        // Root may write anywhere but in sysfs.
        QTest::newRow("folder not writable")
            << QByteArray() << (::geteuid() == 0 ? "/sys" : "read-only") << false << "permission denied";
    }
    void leftLockOrBadFolder_nextStart() {
        QFETCH(QByteArray, content);
        QFETCH(bool, held);
        QFETCH(QString, folder);
        QFETCH(QString, error);

        QTemporaryDir dir;
        const QString where = folder.startsWith(QLatin1Char('/'))  ? folder
                              : folder == QLatin1String("missing") ? dir.filePath(folder)
                                                                   : dir.path();
        const QString path = where + QStringLiteral("/valdoria-test.lock");
        if (folder.isEmpty()) {
            QFile lock(path);
            QVERIFY(lock.open(QIODevice::WriteOnly));
            lock.write(content);
        }
        const int holder = held ? ::open(QFile::encodeName(path).constData(), O_RDONLY) : -1;
        QVERIFY(!held || ::flock(holder, LOCK_EX | LOCK_NB) == 0);
        if (folder == QLatin1String("read-only"))
            QVERIFY(QFile::setPermissions(where, QFile::ReadOwner | QFile::ExeOwner));

        SingleInstance next(path);
        const bool acquired = next.tryAcquire();
        if (holder >= 0)
            ::close(holder);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(acquired, error.isEmpty());
        const QString said = QStringLiteral("Cannot write the lock file %1: %2.").arg(path, error);
        if (error.isEmpty() || error == QLatin1String("refused"))
            QCOMPARE(next.errorText(), QString());
        else
            QVERIFY2(next.errorText().startsWith(said), qPrintable(next.errorText()));
    }
};

QTEST_GUILESS_MAIN(TestShell)
#include "test_shell.moc"
