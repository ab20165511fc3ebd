#include "link/CommandCodeCheck.h"
#include "link/MemoryTransport.h"
#include "link/SerialLink.h"
#include "monitor/ScannerState.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
// A scanner for the check: answers "MD" with a scripted text and every two-letter command with
// "<pair>=OK", except the pairs told to stay silent.
struct Rig {
    QTemporaryDir dir;
    ScannerState state;
    SerialLink link{state};
    MemoryTransport* transport = new MemoryTransport;
    CommandCodeCheck check{state, link};
    QByteArray modeAnswer = "MD02\r";
    QStringList silent;

    Rig() {
        state.gAppPath = dir.path();
        state.gMode = 0;
        link.setTransport(transport);
        link.openPort();
        check.setModeTimeoutMs(100);
        check.setPairWaitMs(200);
        QObject::connect(transport, &MemoryTransport::written, transport, [this](const QByteArray& bytes) {
            const QString command = QString::fromLatin1(bytes).chopped(1);
            if (command == QLatin1String("MD"))
                transport->feed(modeAnswer);
            else if (command.size() == 2 && !silent.contains(command))
                transport->feed(command.toLatin1() + "=OK\r");
        });
    }
    QByteArray log() const {
        QFile f(check.logPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList logLines() const {
        QStringList lines = QString::fromLatin1(log()).split(QStringLiteral("\r\n"));
        lines.removeLast(); // after the last CR LF
        return lines;
    }
};
} // namespace

class TestCommandCodeCheck : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void run_writesTheModeAndEveryPair_data();
    void run_writesTheModeAndEveryPair();
    void run_neverSendsAc();
    void secondRun_appendsToTheLog();
    void closedPort_refusesToStart();
    void cancel_keepsWhatWasWrittenAndSendsNoMore();
    void lostPort_stopsWithAReason();
};

void TestCommandCodeCheck::run_writesTheModeAndEveryPair_data() {
    QTest::addColumn<QByteArray>("modeAnswer");
    QTest::addColumn<QStringList>("silent");
    QTest::addColumn<QString>("modeLine");
    QTest::addColumn<QStringList>("spotLines"); // lines that must be in the log, in this order

    QTest::newRow("every pair answered") << QByteArray("MD02\r") << QStringList() << "MODE: MD02"
                                         << QStringList{"AA AA=OK", "AD AD=OK", "ZZ ZZ=OK"};
    QTest::newRow("a line before the mode reply is dropped")
        << QByteArray("SB AB\rMD 1\r") << QStringList() << "MODE: MD 1" << QStringList{"AA AA=OK"};
    QTest::newRow("a silent pair repeats the reply before it")
        << QByteArray("MD00\r") << QStringList{"AB", "QR", "QS"} << "MODE: MD00"
        << QStringList{"AA AA=OK", "AB AA=OK", "AD AD=OK", "QQ QQ=OK", "QR QQ=OK", "QS QQ=OK", "QT QT=OK"};
    QTest::newRow("no mode answer") << QByteArray() << QStringList() << "MODE: (no answer)"
                                    << QStringList{"AA AA=OK", "ZZ ZZ=OK"};
}

void TestCommandCodeCheck::run_writesTheModeAndEveryPair() {
    QFETCH(QByteArray, modeAnswer);
    QFETCH(QStringList, silent);
    QFETCH(QString, modeLine);
    QFETCH(QStringList, spotLines);

    Rig rig;
    rig.modeAnswer = modeAnswer;
    rig.silent = silent;
    QSignalSpy finished(&rig.check, &CommandCodeCheck::finished);
    QSignalSpy progress(&rig.check, &CommandCodeCheck::progress);
    QSignalSpy shown(&rig.check, &CommandCodeCheck::pairSent);

    QVERIFY(rig.check.start());
    QCOMPARE(rig.state.gMode, ModeCode::CommandCheck);
    QCOMPARE(rig.transport->writtenLines(), QStringList({"QUF", "IDF", "MD"}));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);

    const QByteArray log = rig.log();
    QCOMPARE(log.count("\r\n"), 1 + 675);
    QCOMPARE(log.count('\r'), 1 + 675); // no bare CR inside a line
    QVERIFY(log.endsWith("\r\n"));
    const QStringList lines = rig.logLines();
    QCOMPARE(lines.size(), 676);
    QCOMPARE(lines.first(), modeLine);
    qsizetype from = 0;
    for (const QString& spot : spotLines) {
        const qsizetype at = lines.indexOf(spot, from);
        QVERIFY2(at > 0, qPrintable(spot));
        from = at + 1;
    }
    QCOMPARE(progress.count(), 675);
    QCOMPARE(progress.constLast().at(0).toInt(), 675);
    QCOMPARE(progress.constLast().at(1).toInt(), 675);
    QCOMPARE(shown.count(), 675);
    QCOMPARE(shown.first().at(0).toString(), QStringLiteral("AA"));
    QCOMPARE(rig.state.gMode, ModeCode::CommandCheck);
    QVERIFY(!rig.check.isRunning());
}

void TestCommandCodeCheck::run_neverSendsAc() {
    Rig rig;
    QSignalSpy finished(&rig.check, &CommandCodeCheck::finished);
    QVERIFY(rig.check.start());
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);

    const QStringList wire = rig.transport->writtenLines();
    QCOMPARE(wire.size(), 3 + 675);
    QVERIFY(!wire.contains(QStringLiteral("AC")));
    QCOMPARE(wire.at(3), QStringLiteral("AA"));
    QCOMPARE(wire.at(4), QStringLiteral("AB"));
    QCOMPARE(wire.at(5), QStringLiteral("AD"));
    QCOMPARE(wire.constLast(), QStringLiteral("ZZ"));
    QVERIFY(!rig.logLines().join(QLatin1Char('\n')).contains(QStringLiteral("\nAC ")));
}

void TestCommandCodeCheck::secondRun_appendsToTheLog() {
    Rig rig;
    QSignalSpy finished(&rig.check, &CommandCodeCheck::finished);
    QVERIFY(rig.check.start());
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
    rig.modeAnswer = "MD09\r";
    QVERIFY(rig.check.start());
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 30000);

    const QStringList lines = rig.logLines();
    QCOMPARE(lines.size(), 2 * 676);
    QCOMPARE(lines.at(0), QStringLiteral("MODE: MD02"));
    QCOMPARE(lines.at(676), QStringLiteral("MODE: MD09"));
}

void TestCommandCodeCheck::closedPort_refusesToStart() {
    Rig rig;
    rig.link.closePort();
    QSignalSpy failed(&rig.check, &CommandCodeCheck::failed);
    QVERIFY(!rig.check.start());
    QCOMPARE(failed.count(), 1);
    QCOMPARE(rig.state.gMode, quint8(0));
    QVERIFY(rig.transport->writtenLines().isEmpty());
    QVERIFY(!QFile::exists(rig.check.logPath()));
}

void TestCommandCodeCheck::cancel_keepsWhatWasWrittenAndSendsNoMore() {
    Rig rig;
    QSignalSpy progress(&rig.check, &CommandCodeCheck::progress);
    QSignalSpy cancelled(&rig.check, &CommandCodeCheck::cancelled);
    QSignalSpy finished(&rig.check, &CommandCodeCheck::finished);
    QVERIFY(rig.check.start());
    QTRY_VERIFY(progress.count() >= 10);
    rig.check.cancel();
    QCOMPARE(cancelled.count(), 1);
    const int done = progress.constLast().at(0).toInt();
    const qsizetype sent = rig.transport->writtenLines().size();

    QTest::qWait(50);
    QCOMPARE(rig.transport->writtenLines().size(), sent);
    QCOMPARE(finished.count(), 0);
    QCOMPARE(rig.logLines().size(), 1 + done);
    QVERIFY(!rig.check.isRunning());
}

void TestCommandCodeCheck::lostPort_stopsWithAReason() {
    Rig rig;
    QSignalSpy progress(&rig.check, &CommandCodeCheck::progress);
    QSignalSpy failed(&rig.check, &CommandCodeCheck::failed);
    QVERIFY(rig.check.start());
    QTRY_VERIFY(progress.count() >= 5);
    rig.transport->loseDevice(QStringLiteral("cable pulled"));
    QCOMPARE(failed.count(), 1);
    QVERIFY(failed.first().at(0).toString().contains(QStringLiteral("cable pulled")));
    QVERIFY(!rig.check.isRunning());
}

QTEST_GUILESS_MAIN(TestCommandCodeCheck)
#include "test_commandcodecheck.moc"
