// valdoria-cli monitor's ends and neighbours: every stop signal closes it the same clean way, and one program
// follows the scanner on a data folder (a second monitor, or the window, on the same folder refuses).
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

QProcess* startMonitor(const QString& dataDir, QObject* parent) {
    auto* monitor = new QProcess(parent);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dataDir + QStringLiteral("/config"));
    monitor->setProcessEnvironment(env);
    monitor->start(QStringLiteral(VALDORIA_CLI_EXECUTABLE),
                   {QStringLiteral("monitor"), QStringLiteral("--simulate"), QStringLiteral("--data-dir"), dataDir,
                    QStringLiteral("--remote-port"), QStringLiteral("0")});
    return monitor;
}

bool finishes(QProcess& process, int ms) {
    if (process.state() == QProcess::NotRunning)
        return true;
    QSignalSpy done(&process, &QProcess::finished);
    return done.wait(ms);
}

// The monitor is up once it has printed its first line of what the scanner shows.
bool following(QProcess& monitor, int ms) {
    QSignalSpy out(&monitor, &QProcess::readyReadStandardOutput);
    return monitor.bytesAvailable() > 0 || out.wait(ms);
}

} // namespace

class TestMonitorLock : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void stopSignal_closesTheMonitor_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void stopSignal_closesTheMonitor() {
        QFETCH(int, signal);
        QTemporaryDir dir;
        QProcess* monitor = startMonitor(dir.path(), this);
        QVERIFY(following(*monitor, 20000));
        QCOMPARE(::kill(pid_t(monitor->processId()), signal), 0);
        QVERIFY(finishes(*monitor, 10000));
        QCOMPARE(monitor->exitStatus(), QProcess::NormalExit);
        QCOMPARE(monitor->exitCode(), 0);
        QVERIFY(QString::fromUtf8(monitor->readAllStandardError())
                    .contains(QLatin1String("stopped; the port and the database are closed")));
    }

    void secondMonitorOnOneFolder_refuses() {
        QTemporaryDir dir;
        QTemporaryDir other;
        QProcess* first = startMonitor(dir.path(), this);
        QVERIFY(following(*first, 20000));

        QProcess* second = startMonitor(dir.path(), this);
        QVERIFY(finishes(*second, 10000));
        QCOMPARE(second->exitCode(), 1);
        const QString said = QString::fromUtf8(second->readAllStandardError());
        QVERIFY2(said.contains(QLatin1String("is in use by the Valdoria window or another valdoria-cli monitor")),
                 qPrintable(said));

        // Another folder is another scanner's: that monitor runs.
        QProcess* elsewhere = startMonitor(other.path(), this);
        QVERIFY(following(*elsewhere, 20000));
        QCOMPARE(elsewhere->state(), QProcess::Running);

#ifdef VALDORIA_EXECUTABLE
        // The window on the monitor's folder refuses too (it says so on stderr before its message box).
        QTemporaryDir runtime;
        QProcess window;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), other.filePath(QStringLiteral("config")));
        window.setProcessEnvironment(env);
        window.start(QStringLiteral(VALDORIA_EXECUTABLE), {QStringLiteral("--data-dir"), dir.path()});
        QString windowSaid;
        QTRY_VERIFY_WITH_TIMEOUT(
            (windowSaid += QString::fromUtf8(window.readAllStandardError())).contains(QLatin1String("is in use")),
            20000);
        window.kill();
        window.waitForFinished(5000);
#endif

        for (QProcess* monitor : {first, elsewhere}) {
            monitor->terminate();
            QVERIFY(finishes(*monitor, 10000));
            QCOMPARE(monitor->exitCode(), 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestMonitorLock)
#include "test_monitorlock.moc"
