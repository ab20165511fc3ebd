// The simulator and the program meet only on the wire: every kind of line the simulated scanner sends is
// decoded here by the program's own parser, and must give the values docs/scanner-protocol.md reads at
// the positions of its rulers.
#include "MonitorRig.h"
#include "Pro2052Model.h"
#include "SimOutput.h"
#include "Simulator.h"
#include "monitor/ModeDetector.h"

#include <QHash>
#include <QTest>

#include <functional>

class TestProtocolContract : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Steps: a set-up line of a simulator script ("program 12 154.25 delay"); "ask:CMD", whose answer is parsed;
    // "do:CMD", whose answer is dropped; "hit STEPS", "call TALKGROUP STEPS" and "end", the lines the scanner
    // sends on its own, parsed. Every line is parsed in the row's mode.
    // Expected: a display field's text, or "banks" (boxes showing a number), "lit" (active bank), "talkgroup",
    // "sent" (queries the parser sent), "log", "mode" (the number in the last line).
    void simulatorLines_decodeToWhatTheRulerSays_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("expected");
        const auto row = [](const char* name, int mode, const QStringList& steps, const QStringList& expected) {
            QTest::newRow(name) << mode << steps << expected;
        };
        row("mode", 0, {"mode 10", "ask:MD"}, {"mode=10"});
        row("channel, delay on", 1, {"program 12 154.25 delay", "ask:MA012"},
            {"tbChan=12", "tbfreq=154.2500", "banks=1", "tbDELAY=DELAY", "tbLOCKOUT=", "tbPRI="});
        row("channel below 100 MHz, lockout and priority", 1, {"program 51 45.325 lockout priority", "ask:MA051"},
            {"tbChan=51", "tbfreq=45.3250", "banks=2", "tbDELAY=", "tbLOCKOUT=L/O", "tbPRI=PRI"});
        row("scan banks", 0, {"banks ACT", "ask:SB"}, {"banks=1,3,20"});
        row("ID scan banks", 11, {"idbanks BD", "ask:IS"}, {"banks=2,4"});
        row("ID channel", 12, {"mode 12", "talkgroup A 7 2345", "do:KEY02 7", "ask:IC"},
            {"lit=1", "tbChan=07", "talkgroup=2345", "tbfreq=2345"});
        row("tenth ID channel", 12, {"mode 12", "talkgroup A 10 4567", "do:KEY02 0", "ask:IC"},
            {"tbChan=10", "talkgroup=4567", "sent=IS"});
        row("trunk bank", 11, {"trunktype D EDACS", "trunkbank D", "ask:TB"}, {"banks=4", "tbTRUNKTYPE=EDACS"});
        row("search frequency", 2, {"limits 154.43 160", "do:KEY08", "ask:WI"}, {"tbfreq=154.4300", "sent="});
        row("delay", 9, {"mode 9", "do:KEY12", "ask:DL"}, {"tbDELAY=DELAY"});
        row("data skip", 2, {"do:DSN", "ask:DS"}, {"tbDATA=DATA"});
        row("AM", 0, {"program 1 121.5", "do:MA001", "ask:RM"}, {"tbModMode=AM"});
        row("squelch opens and closes", 2, {"mode 2", "hit 1544300", "end"},
            {"sent=RM", "log=search,43200,43200,,,NORMAL"});
        row("call without its frequency", 9, {"mode 9", "do:FIF", "call 4567 8510125"}, {"tbfreq=4567", "tbChan="});
        row("call and its end", 9, {"mode 9", "call 1234 8510125", "end"},
            {"talkgroup=1234", "sent=RM|TB|DL", "log=trunk,851.0125,,,,"});
        row("ID scan call", 11, {"mode 11", "idbanks A", "talkgroup A 3 3456", "do:FIF", "call 3456 8510125"},
            {"tbfreq=3456", "talkgroup=3456"});
    }

    void simulatorLines_decodeToWhatTheRulerSays() {
        QFETCH(int, mode);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, expected);
        Simulator sim(std::make_unique<Pro2052Model>());
        SimOutput out(sim);
        MonitorRig rig;
        QString last;
        for (const QString& step : steps) {
            const QStringList words = step.split(QLatin1Char(' '));
            QStringList lines;
            if (step.startsWith(QLatin1String("ask:"))) {
                lines = out.ask(step.mid(4));
            } else if (step.startsWith(QLatin1String("do:"))) {
                out.ask(step.mid(3));
            } else if (words[0] == QLatin1String("hit") || words[0] == QLatin1String("call")) {
                ActivityEvent event;
                event.kind = words[0] == QLatin1String("hit") ? ActivityEvent::Kind::Hit : ActivityEvent::Kind::Call;
                event.talkgroup = words.size() > 2 ? words[1].toInt() : 0;
                event.steps = words.constLast().toInt();
                QVERIFY2(sim.model().beginActivity(event, lines), qPrintable(step));
            } else if (step == QLatin1String("end")) {
                sim.model().endActivity(lines);
            } else {
                QString error;
                QVERIFY2(sim.loadScript(step, &error), qPrintable(error));
            }
            for (const QString& line : lines) {
                rig.parse(quint8(mode), line);
                last = line;
            }
        }
        const QHash<QString, std::function<QString()>> probes = {
            {"banks", [&] { return rig.boxes('#'); }},
            {"lit", [&] { return rig.boxes('L'); }},
            {"talkgroup", [&] { return rig.state.gTalkgroupId; }},
            {"sent", [&] { return rig.takeCommands().join(QLatin1Char('|')); }},
            {"log", [&] { return rig.log.lines.join(QLatin1Char('|')); }},
            {"mode", [&] { return QString::number(ModeDetector::modeNumber(last).value_or(-1)); }},
        };
        for (const QString& e : expected) {
            const QString key = e.section(QLatin1Char('='), 0, 0);
            QCOMPARE(probes.contains(key) ? probes[key]() : rig.text(key), e.section(QLatin1Char('='), 1));
        }
    }
};

QTEST_GUILESS_MAIN(TestProtocolContract)
#include "test_protocolcontract.moc"
