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
    void secondCopy_isRefusedWhileTheFirstRuns();
    void afterTheFirstEnds_nextCopyStarts();
    void staleLock_data();
    void staleLock();
    void refusalMessage_isTheProgramsOwnText();
};

void TestSingleInstance::secondCopy_isRefusedWhileTheFirstRuns() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("valdoria.lock"));
    SingleInstance first(path);
    QVERIFY(first.tryAcquire());
    SingleInstance second(path);
    QVERIFY(!second.tryAcquire());
    QVERIFY(!second.isAcquired());
    // The first copy is undisturbed: it still holds its lock.
    QVERIFY(first.isAcquired());
    QVERIFY(QFile::exists(path));
}

void TestSingleInstance::afterTheFirstEnds_nextCopyStarts() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("valdoria.lock"));
    {
        SingleInstance first(path);
        QVERIFY(first.tryAcquire());
    }
    QVERIFY(!QFile::exists(path));
    SingleInstance next(path);
    QVERIFY(next.tryAcquire());
}

void TestSingleInstance::staleLock_data() {
    QTest::addColumn<QString>("owner");
    QTest::newRow("owner process has ended") << "dead";
    QTest::newRow("owner's number reused by another program") << "other";
}

// A copy that crashed leaves its lock file behind: the next start must not be refused.
void TestSingleInstance::staleLock() {
    QFETCH(QString, owner);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("valdoria.lock"));

    qint64 pid = 0;
    QString appName = QCoreApplication::applicationName();
    if (owner == QLatin1String("dead")) {
        QProcess gone;
        gone.start(QStringLiteral("true"));
        QVERIFY(gone.waitForStarted());
        pid = gone.processId();
        QVERIFY(gone.waitForFinished());
    } else {
        pid = QCoreApplication::applicationPid();
        appName = QStringLiteral("some-other-program");
    }
    QFile lock(path);
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(pid) + '\n' + appName.toUtf8() + '\n' + QSysInfo::machineHostName().toUtf8() + '\n');
    lock.close();

    SingleInstance next(path);
    QVERIFY(next.tryAcquire());
}

void TestSingleInstance::refusalMessage_isTheProgramsOwnText() {
    QCOMPARE(SingleInstance::refusalTitle(), QStringLiteral("Valdoria is already running"));
    QCOMPARE(SingleInstance::refusalText(), QStringLiteral("Another instance of Valdoria is already running.\r\n"
                                                           "Please terminate the other running Valdoria "
                                                           "application\r\nand restart the program."));
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
