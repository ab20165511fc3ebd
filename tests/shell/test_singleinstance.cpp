#include "shell/SingleInstance.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

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
            QVERIFY(first.isAcquired()); // the refused copy leaves the first one's lock alone
            QVERIFY(QFile::exists(path));
        }
        QVERIFY(!QFile::exists(path));
        SingleInstance next(path);
        QVERIFY(next.tryAcquire());
    }

    void staleLock_isTakenOver_data() {
        QTest::addColumn<bool>("ownerEnded"); // else its number now belongs to another program
        QTest::newRow("owner process has ended") << true;
        QTest::newRow("owner's number reused by another program") << false;
    }

    // A copy that crashed leaves its lock file behind: the next start must not be refused.
    void staleLock_isTakenOver() {
        QFETCH(bool, ownerEnded);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("valdoria.lock"));
        qint64 pid = QCoreApplication::applicationPid();
        QString appName = QStringLiteral("some-other-program");
        if (ownerEnded) {
            QProcess gone;
            gone.start(QStringLiteral("true"));
            QVERIFY(gone.waitForStarted());
            pid = gone.processId();
            QVERIFY(gone.waitForFinished());
            appName = QCoreApplication::applicationName();
        }
        QFile lock(path);
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(pid) + '\n' + appName.toUtf8() + '\n' + QSysInfo::machineHostName().toUtf8() +
                   '\n');
        lock.close();
        SingleInstance next(path);
        QVERIFY(next.tryAcquire());
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
