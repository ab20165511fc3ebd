// valdoria-cli monitor against the built-in simulator: JSON lines for what the scanner shows, Hamlib's own
// rigctl client on the control port, day logs written, and a clean stop on SIGTERM; against the simulator on
// a pseudo-terminal playing a short script, the exact JSON objects of that session. And its ends and
// neighbours: every stop signal closes it the same clean way, and one program follows the scanner on a data
// folder (a second monitor, or the window, on the same folder refuses).
#include "CliRun.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

QProcess* startMonitor(const QString& dataDir, QObject* parent) {
    auto* monitor = new QProcess(parent);
    startCli(*monitor, {"monitor", "--simulate", "--data-dir", dataDir, "--remote-port", "0"}, dataDir + "/config");
    return monitor;
}

// The monitor is up once it has printed its first line of what the scanner shows.
bool following(QProcess& monitor, int ms) {
    QSignalSpy out(&monitor, &QProcess::readyReadStandardOutput);
    return monitor.bytesAvailable() > 0 || out.wait(ms);
}

} // namespace

class TestMonitor : public QObject {
    Q_OBJECT

    // Runs Hamlib's rigctl against the port with the commands; its stdout, or the reason it failed.
    static QString rigctl(quint16 port, const QStringList& commands) {
        QProcess client;
        client.start(RIGCTL_EXECUTABLE,
                     QStringList{"-m", "2", "-r", QStringLiteral("127.0.0.1:%1").arg(port)} + commands);
        if (!client.waitForFinished(20000))
            return QStringLiteral("rigctl did not finish");
        return QString::fromLatin1(client.readAllStandardOutput() + client.readAllStandardError());
    }

private Q_SLOTS:
    void simulatedScanner_linesRigctlAndCleanStop() {
        QTemporaryDir dir;
        // The settings live below the temporary folder, with a tune channel for set_freq.
        QSettings settings(dir.filePath(QStringLiteral("config/Valdoria2052/Pro.ini")), QSettings::IniFormat);
        settings.setValue(QStringLiteral("Config/Tune_Channel"), QStringLiteral("7"));
        settings.sync();
        QProcess monitor;
        startCli(
            monitor,
            {"monitor", "--simulate", "--json", "--data-dir", dir.path(), "--remote-port", "0", "--rigctl-port", "0"},
            dir.filePath("config"));
        QVERIFY(monitor.waitForStarted());

        QString err;
        const QRegularExpression portLine(QStringLiteral("rigctl control port on 127.0.0.1 port (\\d+)"));
        QTRY_VERIFY_WITH_TIMEOUT((err += QString::fromUtf8(monitor.readAllStandardError()), err.contains(portLine)),
                                 20000);
        const quint16 port = quint16(portLine.match(err).captured(1).toUInt());

        QStringList lines;
        const auto readLines = [&] {
            while (monitor.canReadLine())
                lines << QString::fromUtf8(monitor.readLine()).trimmed();
            return lines;
        };
        // The simulator's script stops on a named channel within seconds.
        QTRY_VERIFY_WITH_TIMEOUT(readLines().join(QLatin1Char('\n')).contains(QLatin1String("\"channel_name\":\"")),
                                 60000);

        // The transmission's end writes the day's scan log.
        QTRY_VERIFY_WITH_TIMEOUT(!QDir(dir.filePath(QStringLiteral("LOGS/SCAN"))).entryList(QDir::Files).isEmpty(),
                                 60000);

        const QString answers = rigctl(port, {"f", "m", "get_dcd", "F", "154000000"});
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d+\\n(AM|FM|WFM)\\n\\d+\\n[01]\\n$")).match(answers).hasMatch(),
                 qPrintable(answers));
        // The tune channel now holds 154 MHz and the scanner sits on it in MANUAL.
        QTRY_VERIFY_WITH_TIMEOUT(
            readLines().join(QLatin1Char('\n')).contains(QLatin1String("\"frequency_hz\":154000000")), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(rigctl(port, {"f"}), QStringLiteral("154000000\n"), 20000);

        // What a stop signal says and leaves: see stopSignal_closesTheMonitor.
        monitor.terminate();
        QCOMPARE(waitForCli(monitor, 10000).status, 0);
    }

    // Two scripted stops in scan mode: one object per change of the reading, idle scanning as the mode alone.
    // valdoria-sim serves the scanner on the pseudo-terminal it names and ends cleanly on SIGTERM.
    void scriptedSession_printsEachReadingOnce() {
        QTemporaryDir dir;
        const QString script = dir.filePath(QStringLiteral("two-stops.txt"));
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("repeat off\n"
                   "program 5 460.1250\n"
                   "program 12 154.2500\n"
                   "banks A\n"
                   "6 stop 5 2\n"
                   "2 stop 12 2\n");
        file.close();
        QProcess simulator;
        simulator.start(QStringLiteral(VALDORIA_SIM_EXECUTABLE),
                        {QStringLiteral("--script"), script, QStringLiteral("--quiet")});
        QVERIFY(simulator.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(simulator.canReadLine(), 10000);
        const QString device = QString::fromUtf8(simulator.readLine()).trimmed();

        QProcess monitor;
        startCli(monitor, {"monitor", "--port", device, "--json", "--data-dir", dir.path(), "--remote-port", "0"},
                 dir.filePath("config"));
        QVERIFY(monitor.waitForStarted());
        QStringList lines;
        const auto readLines = [&] {
            while (monitor.canReadLine()) {
                QJsonObject object = QJsonDocument::fromJson(monitor.readLine()).object();
                // The time is the moment of the change; the rest is what the session shows.
                QVERIFY2(object.take(QLatin1String("time")).toString().startsWith(QLatin1String("20")), "no time");
                lines << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
            }
        };
        QTRY_VERIFY_WITH_TIMEOUT((readLines(), lines.size() >= 9), 60000);
        monitor.terminate();
        QVERIFY(monitor.waitForFinished(10000));
        simulator.terminate();
        QVERIFY(simulator.waitForFinished(10000));
        QCOMPARE(simulator.exitStatus(), QProcess::NormalExit);
        QCOMPARE(simulator.exitCode(), 0);
        readLines();

        const QString idle = QStringLiteral(
            R"({"bank":null,"channel":null,"channel_name":null,"frequency_hz":null,"mode":0,"mode_name":"SCAN",)"
            R"("model":"pro2052","modulation":null,"signal_bars":null,"squelch_open":false,"talkgroup":null,)"
            R"("talkgroup_name":null,"tone":null})");
        const QString open = QStringLiteral(
            R"({"bank":null,"channel":null,"channel_name":null,"frequency_hz":null,"mode":0,"mode_name":"SCAN",)"
            R"("model":"pro2052","modulation":null,"signal_bars":null,"squelch_open":true,"talkgroup":null,)"
            R"("talkgroup_name":null,"tone":null})");
        QCOMPARE(
            lines,
            QStringList({
                idle,
                open,
                R"({"bank":1,"channel":5,"channel_name":null,"frequency_hz":460125000,"mode":0,"mode_name":"SCAN",)"
                R"("model":"pro2052","modulation":null,"signal_bars":null,"squelch_open":true,"talkgroup":null,)"
                R"("talkgroup_name":null,"tone":null})",
                R"({"bank":1,"channel":5,"channel_name":null,"frequency_hz":460125000,"mode":0,"mode_name":"SCAN",)"
                R"("model":"pro2052","modulation":"NFM","signal_bars":null,"squelch_open":true,"talkgroup":null,)"
                R"("talkgroup_name":null,"tone":null})",
                idle,
                open,
                R"({"bank":1,"channel":12,"channel_name":null,"frequency_hz":154250000,"mode":0,"mode_name":"SCAN",)"
                R"("model":"pro2052","modulation":null,"signal_bars":null,"squelch_open":true,"talkgroup":null,)"
                R"("talkgroup_name":null,"tone":null})",
                R"({"bank":1,"channel":12,"channel_name":null,"frequency_hz":154250000,"mode":0,"mode_name":"SCAN",)"
                R"("model":"pro2052","modulation":"NFM","signal_bars":null,"squelch_open":true,"talkgroup":null,)"
                R"("talkgroup_name":null,"tone":null})",
                idle,
            }));
    }

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
        const CliRun stopped = waitForCli(*monitor, 10000);
        QVERIFY(stopped.inTime && !stopped.crashed);
        QCOMPARE(stopped.status, 0);
        QVERIFY2(stopped.err.contains("stopped; the port and the database are closed"), qPrintable(stopped.err));
    }

    void secondMonitorOnOneFolder_refuses() {
        QTemporaryDir dir;
        QTemporaryDir other;
        QProcess* first = startMonitor(dir.path(), this);
        QVERIFY(following(*first, 20000));

        const CliRun second = waitForCli(*startMonitor(dir.path(), this), 10000);
        QCOMPARE(second.status, 1);
        QVERIFY2(second.err.contains("is in use by the Valdoria window or another valdoria-cli monitor"),
                 qPrintable(second.err));

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
            QCOMPARE(waitForCli(*monitor, 10000).status, 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestMonitor)
#include "test_monitor.moc"
