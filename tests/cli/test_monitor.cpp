// valdoria-cli monitor against the built-in simulator: JSON lines for what the scanner shows, Hamlib's own
// rigctl client on the control port, day logs written, and a clean stop on SIGTERM.
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestMonitor : public QObject {
    Q_OBJECT

    // Runs Hamlib's rigctl against the port with the commands; its stdout, or the reason it failed.
    static QString rigctl(quint16 port, const QStringList& commands) {
        QProcess client;
        client.start(QStringLiteral(RIGCTL_EXECUTABLE),
                     QStringList{QStringLiteral("-m"), QStringLiteral("2"), QStringLiteral("-r"),
                                 QStringLiteral("127.0.0.1:%1").arg(port)} +
                         commands);
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
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        monitor.setProcessEnvironment(env);
        monitor.start(QStringLiteral(VALDORIA_CLI_EXECUTABLE),
                      {QStringLiteral("monitor"), QStringLiteral("--simulate"), QStringLiteral("--json"),
                       QStringLiteral("--data-dir"), dir.path(), QStringLiteral("--remote-port"), QStringLiteral("0"),
                       QStringLiteral("--rigctl-port"), QStringLiteral("0")});
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
        QTRY_VERIFY_WITH_TIMEOUT(readLines().join(QLatin1Char('\n')).contains(QLatin1String("\"names\":[\"")), 60000);
        for (const QString& line : std::as_const(lines)) {
            const QJsonObject shown = QJsonDocument::fromJson(line.toUtf8()).object();
            QVERIFY2(shown.contains(QLatin1String("time")) && shown.contains(QLatin1String("frequency")),
                     qPrintable(line));
        }

        // The transmission's end writes the day's scan log.
        QTRY_VERIFY_WITH_TIMEOUT(!QDir(dir.filePath(QStringLiteral("LOGS/SCAN"))).entryList(QDir::Files).isEmpty(),
                                 60000);

        const QString answers = rigctl(port, {QStringLiteral("f"), QStringLiteral("m"), QStringLiteral("get_dcd"),
                                              QStringLiteral("F"), QStringLiteral("154000000")});
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d+\\n(AM|FM|WFM)\\n\\d+\\n[01]\\n$")).match(answers).hasMatch(),
                 qPrintable(answers));
        // The tune channel now holds 154 MHz and the scanner sits on it in MANUAL.
        QTRY_VERIFY_WITH_TIMEOUT(
            readLines().join(QLatin1Char('\n')).contains(QLatin1String("\"frequency\":\"154.0000\"")), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(rigctl(port, {QStringLiteral("f")}), QStringLiteral("154000000\n"), 20000);

        monitor.terminate();
        QVERIFY(monitor.waitForFinished(10000));
        QCOMPARE(monitor.exitStatus(), QProcess::NormalExit);
        QCOMPARE(monitor.exitCode(), 0);
        QVERIFY(QString::fromUtf8(monitor.readAllStandardError()).contains(QLatin1String("stopped")));
    }
};

QTEST_GUILESS_MAIN(TestMonitor)
#include "test_monitor.moc"
