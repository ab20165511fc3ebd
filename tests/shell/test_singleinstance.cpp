#include "shell/SingleInstance.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

class TestSingleInstance : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void secondCopy_refusedUntilTheFirstEnds() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("valdoria.lock"));
        {
            SingleInstance first(path);
            QVERIFY(first.tryAcquire());
            SingleInstance second(path);
            QVERIFY(!second.tryAcquire());
            QVERIFY(!second.isAcquired());
            QCOMPARE(second.errorText(), QString()); // refused as a second copy, not as a broken lock
            QVERIFY(first.isAcquired());             // the refused copy leaves the first one's lock alone
            QVERIFY(QFile::exists(path));
        }
        QVERIFY(!QFile::exists(path));
        SingleInstance next(path);
        QVERIFY(next.tryAcquire());
    }

    void leftLockOrBadFolder_nextStart_data() {
        QTest::addColumn<QByteArray>("content"); // of a lock file left behind; "<dead>": a process that ended
        QTest::addColumn<bool>("held");          // a living copy holds the file
        QTest::addColumn<QString>("folder");     // where the lock goes: "" a temporary folder
        QTest::addColumn<QString>("error");      // "" acquired; "refused": another copy; else the error's reason

        const QByteArray host = QSysInfo::machineHostName().toUtf8();
        const QByteArray self = QByteArray::number(QCoreApplication::applicationPid());
        QTest::newRow("owner process has ended") << "<dead>\nValdoria\n" + host + '\n'
                                                 << false << ""
                                                 << "";
        QTest::newRow("owner's number reused by another program") << self + "\nsome-other-program\n" + host + '\n'
                                                                  << false << ""
                                                                  << "";
        QTest::newRow("empty") << QByteArray() << false << ""
                               << "";
        QTest::newRow("a newline") << QByteArray("\n") << false << ""
                                   << "";
        QTest::newRow("junk") << QByteArray("\x7f"
                                            "ELF garbage")
                              << false << ""
                              << "";
        QTest::newRow("junk held by a living copy") << QByteArray("junk") << true << ""
                                                    << "refused";
        QTest::newRow("folder missing") << QByteArray() << false << "missing"
                                        << "its folder does not exist";
        // Root may write anywhere but in sysfs.
        QTest::newRow("folder not writable")
            << QByteArray() << false << (::geteuid() == 0 ? "/sys" : "read-only") << "permission denied";
    }

    void leftLockOrBadFolder_nextStart() {
        QFETCH(QByteArray, content);
        QFETCH(bool, held);
        QFETCH(QString, folder);
        QFETCH(QString, error);

        QTemporaryDir dir;
        QString where = folder.isEmpty() || folder == QLatin1String("read-only") ? dir.path() : folder;
        if (folder == QLatin1String("missing"))
            where = dir.filePath(folder);
        const QString path = where + QStringLiteral("/valdoria-test.lock");
        int holder = -1;
        if (folder.isEmpty()) {
            if (content.contains("<dead>")) {
                QProcess gone;
                gone.start(QStringLiteral("true"));
                QVERIFY(gone.waitForStarted());
                content.replace("<dead>", QByteArray::number(gone.processId()));
                QVERIFY(gone.waitForFinished());
            }
            QFile lock(path);
            QVERIFY(lock.open(QIODevice::WriteOnly));
            lock.write(content);
            lock.close();
            holder = held ? ::open(QFile::encodeName(path).constData(), O_RDONLY) : -1;
            QVERIFY(!held || ::flock(holder, LOCK_EX | LOCK_NB) == 0);
        }
        if (folder == QLatin1String("read-only"))
            QVERIFY(QFile::setPermissions(where, QFile::ReadOwner | QFile::ExeOwner));

        SingleInstance next(path);
        const bool acquired = next.tryAcquire();
        if (holder >= 0)
            ::close(holder);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(acquired, error.isEmpty());
        if (error.isEmpty() || error == QLatin1String("refused"))
            QCOMPARE(next.errorText(), QString());
        else
            QVERIFY2(next.errorText().startsWith(QStringLiteral("Cannot write the lock file %1: %2.").arg(path, error)),
                     qPrintable(next.errorText()));
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
