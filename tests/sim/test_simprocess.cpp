#include <QProcess>
#include <QSerialPort>
#include <QTest>

class TestSimProcess : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void devicePath_servesTheScanner() {
        QProcess sim;
        sim.start(QStringLiteral(VALDORIA_SIM_EXECUTABLE),
                  {QStringLiteral("--quiet"), QStringLiteral("--no-activity")});
        QTRY_VERIFY(sim.canReadLine());
        const QString path = QString::fromLocal8Bit(sim.readLine()).trimmed();
        QVERIFY2(path.startsWith(QLatin1String("/dev/pts/")), qPrintable(path));

        QSerialPort port(path);
        port.setBaudRate(QSerialPort::Baud19200);
        QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
        QByteArray received;
        connect(&port, &QSerialPort::readyRead, this, [&] { received += port.readAll(); });
        port.write("MD\r");
        QTRY_COMPARE(received, QByteArray("MD00\r"));
        port.close();

        // SIGTERM ends it cleanly.
        sim.terminate();
        QTRY_COMPARE(sim.state(), QProcess::NotRunning);
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
    }

    void badOptions_endWithAMessage_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");

        QTest::newRow("unknown model") << QStringList{"--model", "pro9999"} << "unknown model";
        QTest::newRow("missing script") << QStringList{"--script", "/nonexistent/script.txt"} << "cannot read";
        QTest::newRow("time scale of zero") << QStringList{"--time-scale", "0"} << "--time-scale";
    }

    void badOptions_endWithAMessage() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);

        QProcess sim;
        sim.start(QStringLiteral(VALDORIA_SIM_EXECUTABLE), arguments);
        QTRY_COMPARE(sim.state(), QProcess::NotRunning);
        QCOMPARE(sim.exitCode(), 2);
        QVERIFY(sim.readAllStandardOutput().isEmpty());
        const QString err = QString::fromLocal8Bit(sim.readAllStandardError());
        QVERIFY2(err.contains(message), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestSimProcess)
#include "test_simprocess.moc"
