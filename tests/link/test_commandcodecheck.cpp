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
    QSignalSpy cancelled{&check, &CommandCodeCheck::cancelled};
    QSignalSpy failed{&check, &CommandCodeCheck::failed};
    QSignalSpy progress{&check, &CommandCodeCheck::progress};
    QByteArray modeAnswer;
    QStringList silent;
    int silentAfter = -1; // pairs answered before the scanner falls silent; -1 never
    int answered = 0;

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
            else if (command.size() == 2 && !silent.contains(QLatin1String(command)) &&
                     (silentAfter < 0 || answered++ < silentAfter))
                transport->feed(command + "=OK\r");
        });
    }
    QByteArray log() const {
        QFile f(check.logPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

struct Run {
    QString end; // "finish", or "cancel" or "lost" after ten pairs
    QByteArray modeAnswer;
    QStringList silent;    // pairs the scanner does not answer
    QStringList spotLines; // the first log line, then lines that must follow in this order
    QString failure = {};  // in the reason the check gives when it fails
};
} // namespace

Q_DECLARE_METATYPE(Run)

class TestCommandCodeCheck : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void run_logsTheModeAndEveryPairButAcUntilItEnds_data() {
        QTest::addColumn<Run>("row");
        const auto row = [](const char* name, const Run& r) { QTest::newRow(name) << r; };
        row("every pair answered",
            {"finish", "MD02\r", {}, {"MODE: MD02", "AA AA=OK", "AB AB=OK", "AD AD=OK", "ZZ ZZ=OK"}});
        row("a line before the mode reply is dropped", {"finish", "SB AB\rMD 1\r", {}, {"MODE: MD 1", "AA AA=OK"}});
        row("a silent pair repeats the reply before it",
            {"finish",
             "MD00\r",
             {"AB", "QR", "QS"},
             {"MODE: MD00", "AA AA=OK", "AB AA=OK", "AD AD=OK", "QQ QQ=OK", "QR QQ=OK", "QS QQ=OK"}});
        row("no mode answer", {"finish", "", {}, {"MODE: (no answer)", "AA AA=OK"}});
        row("cancelled", {"cancel", "MD02\r", {}, {"MODE: MD02", "AA AA=OK"}});
        row("port lost", {"lost", "MD02\r", {}, {"MODE: MD02", "AA AA=OK"}, "the port was lost (cable pulled)"});
    }
    void run_logsTheModeAndEveryPairButAcUntilItEnds() {
        QFETCH(Run, row);
        Rig rig;
        rig.modeAnswer = row.modeAnswer;
        rig.silent = row.silent;
        const bool finish = row.end == QLatin1String("finish");
        // Silent after ten pairs unless the run is to finish, so it is still waiting when it is ended.
        if (!finish)
            rig.silentAfter = 10;
        QVERIFY(rig.check.start());
        if (finish) {
            QTRY_COMPARE_WITH_TIMEOUT(rig.finished.count(), 1, 30000);
        } else {
            QTRY_VERIFY(rig.progress.count() >= 10);
            if (row.end == QLatin1String("lost"))
                rig.transport->loseDevice(QStringLiteral("cable pulled"));
            else
                rig.check.cancel();
        }
        QCOMPARE(rig.cancelled.count(), row.end == QLatin1String("cancel") ? 1 : 0);
        QCOMPARE(rig.failed.count(), row.failure.isEmpty() ? 0 : 1);
        QVERIFY(row.failure.isEmpty() || rig.failed.first().at(0).toString().contains(row.failure));

        // A late answer arrives; nothing may go out, not even when the pair wait would have run out.
        const QStringList written = rig.transport->writtenLines();
        QSignalSpy writes(rig.transport, &MemoryTransport::written);
        rig.transport->feed("ZZ=OK\r");
        QVERIFY(!writes.wait(3 * kPairWaitMs));
        QVERIFY(!rig.check.isRunning());
        QCOMPARE(rig.finished.count(), finish ? 1 : 0);

        // The mode line and one line per pair done, each ended by CR LF.
        const QByteArray log = rig.log();
        const QStringList lines = QString::fromLatin1(log).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        const int done = rig.progress.constLast().at(0).toInt();
        QCOMPARE(log.count("\r\n"), 1 + done);
        QCOMPARE(log.count('\r'), 1 + done); // no bare CR inside a line
        for (qsizetype i = 0, from = 0; i < row.spotLines.size(); ++i) {
            from = lines.indexOf(row.spotLines.at(i), from) + 1;
            QVERIFY2(from > 0 && (i > 0 || from == 1), qPrintable(row.spotLines.at(i)));
        }
        if (!finish)
            return;
        // Every pair from "AA" to "ZZ" but "AC".
        QCOMPARE(done, 675);
        QCOMPARE(written.first(3), QStringList({"QUF", "IDF", "MD"}));
        QCOMPARE(written.size(), 3 + 675);
        QVERIFY(!written.contains(QStringLiteral("AC")));

        // A second run appends to the log.
        QVERIFY(rig.check.start());
        QTRY_COMPARE_WITH_TIMEOUT(rig.finished.count(), 2, 30000);
        QCOMPARE(rig.log(), log + log);
    }
};

QTEST_GUILESS_MAIN(TestCommandCodeCheck)
#include "test_commandcodecheck.moc"
