#include "shell/SingleInstance.h"

#include <QCoreApplication>
#include <QFile>
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

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
