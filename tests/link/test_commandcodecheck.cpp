#include "MemoryTransport.h"
#include "link/CommandCodeCheck.h"
#include "link/SerialLink.h"
#include "state/ScannerState.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
constexpr int kPairWaitMs = 200;

// A scanner that answers "MD" with a scripted text and every other pair with "<pair>=OK", unless told to stay silent.
struct Rig {
    QTemporaryDir dir;
    ScannerState state;
    SerialLink link{state};
    MemoryTransport* transport = new MemoryTransport;
    CommandCodeCheck check{state, link};
    QSignalSpy finished{&check, &CommandCodeCheck::finished};
    QSignalSpy progress{&check, &CommandCodeCheck::progress};
    QByteArray modeAnswer = "MD02\r";
    QStringList silent;

    Rig() {
        state.gAppPath = dir.path();
        link.setTransport(transport);
        link.openPort();
        check.setModeTimeoutMs(100);
        check.setPairWaitMs(kPairWaitMs);
        QObject::connect(transport, &MemoryTransport::written, transport, [this](const QByteArray& bytes) {
            const QByteArray command = bytes.chopped(1);
            if (command == "MD")
                transport->feed(modeAnswer);
            else if (command.size() == 2 && !silent.contains(QLatin1String(command)))
                transport->feed(command + "=OK\r");
        });
    }
    QByteArray log() const {
        QFile f(check.logPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList logLines() const {
        const QStringList lines = QString::fromLatin1(log()).split(QStringLiteral("\r\n"));
        return lines.first(lines.size() - 1); // nothing after the last CR LF
    }
};
} // namespace

class TestCommandCodeCheck : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void run_writesTheModeAndEveryPairButAc_data();
    void run_writesTheModeAndEveryPairButAc();
    void secondRun_appendsToTheLog();
    void closedPort_refusesToStart();
    void stop_keepsWhatWasWrittenAndSendsNoMore_data();
    void stop_keepsWhatWasWrittenAndSendsNoMore();
};

void TestCommandCodeCheck::run_writesTheModeAndEveryPairButAc_data() {
    QTest::addColumn<QByteArray>("modeAnswer");
    QTest::addColumn<QStringList>("silent");
    QTest::addColumn<QStringList>("spotLines"); // the first line, then lines that must follow in this order

    QTest::newRow("every pair answered") << QByteArray("MD02\r") << QStringList()
                                         << QStringList{"MODE: MD02", "AA AA=OK", "AB AB=OK", "AD AD=OK", "ZZ ZZ=OK"};
    QTest::newRow("a line before the mode reply is dropped")
        << QByteArray("SB AB\rMD 1\r") << QStringList() << QStringList{"MODE: MD 1", "AA AA=OK"};
    QTest::newRow("a silent pair repeats the reply before it")
        << QByteArray("MD00\r") << QStringList{"AB", "QR", "QS"}
        << QStringList{"MODE: MD00", "AA AA=OK", "AB AA=OK", "AD AD=OK", "QQ QQ=OK", "QR QQ=OK", "QS QQ=OK"};
    QTest::newRow("no mode answer") << QByteArray() << QStringList() << QStringList{"MODE: (no answer)", "AA AA=OK"};
}

void TestCommandCodeCheck::run_writesTheModeAndEveryPairButAc() {
    QFETCH(QByteArray, modeAnswer);
    QFETCH(QStringList, silent);
    QFETCH(QStringList, spotLines);

    Rig rig;
    rig.modeAnswer = modeAnswer;
    rig.silent = silent;
    QVERIFY(rig.check.start());
    QCOMPARE(rig.state.gMode, ModeCode::CommandCheck);
    QCOMPARE(rig.transport->writtenLines(), QStringList({"QUF", "IDF", "MD"}));
    QTRY_COMPARE_WITH_TIMEOUT(rig.finished.count(), 1, 30000);

    const QByteArray log = rig.log();
    QCOMPARE(log.count("\r\n"), 1 + 675);
    QCOMPARE(log.count('\r'), 1 + 675); // no bare CR inside a line
    const QStringList lines = rig.logLines();
    QCOMPARE(lines.first(), spotLines.first());
    for (qsizetype i = 1, from = 1; i < spotLines.size(); ++i) {
        from = lines.indexOf(spotLines.at(i), from) + 1;
        QVERIFY2(from > 0, qPrintable(spotLines.at(i)));
    }
    QVERIFY(!rig.transport->writtenLines().contains(QStringLiteral("AC")));
    QCOMPARE(rig.transport->writtenLines().size(), 3 + 675);
    QCOMPARE(rig.progress.constLast(), QVariantList({675, 675}));
    QVERIFY(!rig.check.isRunning());
}

void TestCommandCodeCheck::secondRun_appendsToTheLog() {
    Rig rig;
    QVERIFY(rig.check.start());
    QTRY_COMPARE_WITH_TIMEOUT(rig.finished.count(), 1, 30000);
    rig.modeAnswer = "MD09\r";
    QVERIFY(rig.check.start());
    QTRY_COMPARE_WITH_TIMEOUT(rig.finished.count(), 2, 30000);

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
    QCOMPARE(rig.state.gMode, ModeCode::Undetermined);
    QVERIFY(rig.transport->writtenLines().isEmpty());
    QVERIFY(!QFile::exists(rig.check.logPath()));
}

void TestCommandCodeCheck::stop_keepsWhatWasWrittenAndSendsNoMore_data() {
    QTest::addColumn<bool>("lose");
    QTest::newRow("cancelled") << false;
    QTest::newRow("port lost: failed with the reason") << true;
}

void TestCommandCodeCheck::stop_keepsWhatWasWrittenAndSendsNoMore() {
    QFETCH(bool, lose);

    Rig rig;
    QSignalSpy cancelled(&rig.check, &CommandCodeCheck::cancelled);
    QSignalSpy failed(&rig.check, &CommandCodeCheck::failed);
    QVERIFY(rig.check.start());
    QTRY_VERIFY(rig.progress.count() >= 10);
    if (lose)
        rig.transport->loseDevice(QStringLiteral("cable pulled"));
    else
        rig.check.cancel();
    QCOMPARE(cancelled.count(), lose ? 0 : 1);
    QCOMPARE(failed.count(), lose ? 1 : 0);
    if (lose)
        QVERIFY(failed.first().at(0).toString().contains(QStringLiteral("cable pulled")));
    const int done = rig.progress.constLast().at(0).toInt();
    const qsizetype sent = rig.transport->writtenLines().size();

    // A late answer arrives; nothing may go out, not even when the pair wait would have run out.
    QSignalSpy written(rig.transport, &MemoryTransport::written);
    rig.transport->feed("ZZ=OK\r");
    QVERIFY(!written.wait(3 * kPairWaitMs));
    QCOMPARE(rig.transport->writtenLines().size(), sent);
    QCOMPARE(rig.finished.count(), 0);
    QCOMPARE(rig.logLines().size(), 1 + done);
    QVERIFY(!rig.check.isRunning());
}

QTEST_GUILESS_MAIN(TestCommandCodeCheck)
#include "test_commandcodecheck.moc"
