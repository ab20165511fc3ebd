// The typed reading both parsers keep beside the display, and the hits the monitor makes of it. The
// table below is what the recorder and the phone view rely on: reply lines in a mode give this Reading.
#include "MonitorRig.h"
#include "monitor/Bc780LcdParser.h"
#include "monitor/Monitor.h"

#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>

namespace QTest {
template <> char* toString(const Reading& reading) {
    return qstrdup(QJsonDocument(reading.toJson()).toJson(QJsonDocument::Compact).constData());
}
} // namespace QTest

namespace {
using Mod = Reading::Modulation;
constexpr quint8 kPro = ScannerModel::Pro2052;
constexpr quint8 kBc = ScannerModel::Bc780xlt;

// A PRO-2052 channel line: channel 012, 154.2500 MHz, delay on, lockout and priority off.
const QString kChannel12 = QStringLiteral("C012  01542500     N  F     F");

/// Both parsers on one context; the names window is open, so the PRO-2052 looks names up too.
struct ReadingRig : MonitorContextRig {
    explicit ReadingRig(quint8 model)
        : MonitorContextRig(model) {
        aux.setWindowVisible(true);
        lookups.channelNames.insert(QStringLiteral("154.2500"), QStringLiteral("County fire / Dispatch"));
        lookups.channelNames.insert(QStringLiteral("460.1250"), QStringLiteral("City police"));
        lookups.talkgroupNames.insert(QStringLiteral("1234"), QStringLiteral("Fire dispatch"));
    }
    void feed(quint8 mode, const QString& line) {
        state.gMode = mode;
        state.gReply = line;
        if (state.gScannerModel == kBc)
            lcd.parseLcdReply();
        else
            pro.parseStatusReply();
    }
    const Reading& reading() const { return state.gScannerModel == kBc ? lcd.reading() : pro.reading(); }

    Panel panel{ctx};
    StatusParser pro{ctx, panel};
    Bc780LcdParser lcd{ctx, panel};
};
} // namespace

Q_DECLARE_METATYPE(Reading::Modulation)

class TestReading : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void replyLines_fillTheReading_data() {
        QTest::addColumn<quint8>("model");
        QTest::addColumn<quint8>("mode");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<Reading>("expected");

        // PRO-2052: no signal bars, no tone.
        QTest::newRow("PRO scan, idle") << kPro << quint8(0) << QStringList{"-", "N"}
                                        << Reading{kPro, 0, "SCAN", 0, 0, 0, "", Mod::Unknown, false, -1};
        QTest::newRow("PRO scan, squelch open before the channel is known")
            << kPro << quint8(0) << QStringList{"+"} << Reading{kPro, 0, "SCAN", 0, 0, 0, "", Mod::Unknown, true, -1};
        QTest::newRow("PRO scan, stopped on channel 12")
            << kPro << quint8(0) << QStringList{"+", kChannel12, "RM NFM", "SB AB"}
            << Reading{kPro, 0, "SCAN", 154250000, 12, 1, "", Mod::Nfm, true, -1, "", "County fire / Dispatch"};
        QTest::newRow("PRO scan, the stop is over") << kPro << quint8(0) << QStringList{"+", kChannel12, "RM NFM", "-"}
                                                    << Reading{kPro, 0, "SCAN", 0, 0, 0, "", Mod::Unknown, false, -1};
        QTest::newRow("PRO scan, channel 000 is 1000 in bank 20")
            << kPro << quint8(0) << QStringList{"+", "C000  12400000     F  F     F"}
            << Reading{kPro, 0, "SCAN", 1240000000, 1000, 20, "", Mod::Unknown, true, -1};
        QTest::newRow("PRO manual, channel 5, then a signal")
            << kPro << quint8(1) << QStringList{"C005  04601250     F  F     F", "RM NFM", "+"}
            << Reading{kPro, 1, "MANUAL", 460125000, 5, 1, "", Mod::Nfm, true, -1, "", "City police"};
        QTest::newRow("PRO search, a hit") << kPro << quint8(2) << QStringList{"+", "RM AM", "WI    01215000"}
                                           << Reading{kPro, 2, "SEARCH", 121500000, 0, 0, "", Mod::Am, true, -1};
        QTest::newRow("PRO search held, a hit")
            << kPro << quint8(3) << QStringList{"+", "RM NFM", "WI    01542525"}
            << Reading{kPro, 3, "SEARCH HOLD", 154252500, 0, 0, "", Mod::Nfm, true, -1};
        QTest::newRow("PRO search, the hit is over")
            << kPro << quint8(2) << QStringList{"+", "RM AM", "WI    01215000", "-"}
            << Reading{kPro, 2, "SEARCH", 0, 0, 0, "", Mod::Unknown, false, -1};
        QTest::newRow("PRO trunk, a call with its frequency")
            << kPro << quint8(9) << QStringList{"ID S 001234 08515625", "RM NFM", "TB A MOT2", "DLN"}
            << Reading{kPro, 9, "TRUNK", 851562500, 0, 0, "1234", Mod::Nfm, true, -1, "", "", "Fire dispatch"};
        QTest::newRow("PRO trunk, a call without a frequency")
            << kPro << quint8(9) << QStringList{"ID S 002345"}
            << Reading{kPro, 9, "TRUNK", 0, 0, 0, "2345", Mod::Unknown, true, -1};
        QTest::newRow("PRO mode 13 reads as trunk tracking")
            << kPro << quint8(13) << QStringList{"ID S 003456 08535125"}
            << Reading{kPro, 13, "TRUNK", 853512500, 0, 0, "3456", Mod::Unknown, true, -1};
        QTest::newRow("PRO trunk, the call ended") << kPro << quint8(9) << QStringList{"ID S 001234 08515625", "ID E"}
                                                   << Reading{kPro, 9, "TRUNK", 0, 0, 0, "", Mod::Unknown, false, -1};
        QTest::newRow("PRO trunk hold, the talkgroup is no frequency")
            << kPro << quint8(10) << QStringList{"ID S 123456"}
            << Reading{kPro, 10, "TRUNK HOLD", 0, 0, 0, "123456", Mod::Unknown, true, -1};
        QTest::newRow("PRO trunk hold, a call with its frequency")
            << kPro << quint8(10) << QStringList{"ID S 001234 08520125"}
            << Reading{kPro, 10, "TRUNK HOLD", 852012500,      0, 0, "1234", Mod::Unknown, true,
                       -1,   "", "",           "Fire dispatch"};
        QTest::newRow("PRO trunk hold, the call ended: the talkgroup stays")
            << kPro << quint8(10) << QStringList{"ID S 123456", "ID E"}
            << Reading{kPro, 10, "TRUNK HOLD", 0, 0, 0, "123456", Mod::Unknown, false, -1};
        QTest::newRow("PRO ID scan, a call and its ID channel")
            << kPro << quint8(11) << QStringList{"ID S 004321", "IC C03004321"}
            << Reading{kPro, 11, "ID SCAN", 0, 3, 3, "4321", Mod::Unknown, true, -1};
        QTest::newRow("PRO ID hold, the tenth ID channel")
            << kPro << quint8(12) << QStringList{"IC B0"}
            << Reading{kPro, 12, "ID HOLD", 0, 10, 2, "", Mod::Unknown, false, -1};
        QTest::newRow("PRO ID hold, the held ID's call")
            << kPro << quint8(12) << QStringList{"IC B02004567", "ID S 004567 08520125", "RM NFM"}
            << Reading{kPro, 12, "ID HOLD", 852012500, 2, 2, "4567", Mod::Nfm, true, -1};

        // BC780XLT: six signal bars, the tone field, and the mode from its own mode replies.
        QTest::newRow("BC scan, stopped on channel 5 with a tone")
            << kBc << quint8(0)
            << QStringList{"+", "C005 F04601250 TF DF LF AN PF", "RM NFM", "CTCSS +", "CTC [127.3]", "SMT ++++--"}
            << Reading{kBc, 0, "SCAN", 460125000, 5, 1, "", Mod::Nfm, true, 4, "CTCSS 127.3", "City police"};
        QTest::newRow("BC scan, a DCS code")
            << kBc << quint8(0) << QStringList{"+", "C014 F04625625 TF DF LF AN PF", "DCS +", "CTC [D023]"}
            << Reading{kBc, 0, "SCAN", 462562500, 14, 1, "", Mod::Unknown, true, 0, "DCS 023"};
        QTest::newRow("BC scan, the stop is over")
            << kBc << quint8(0) << QStringList{"+", "C005 F04601250 TF DF LF AN PF", "SMT ++----", "-"}
            << Reading{kBc, 0, "SCAN", 0, 0, 0, "", Mod::Unknown, false, 0};
        QTest::newRow("BC manual, the display's frequency and channel")
            << kBc << quint8(1) << QStringList{"FRQ [ 154.2500]", "CHN [012]", "S -"}
            << Reading{kBc, 1, "MANUAL", 154250000, 12, 1, "", Mod::Unknown, false, 0};
        QTest::newRow("BC search, a hit") << kBc << quint8(2) << QStringList{"+", "RM AM", "WI F  01544300"}
                                          << Reading{kBc, 2, "SEARCH", 154430000, 0, 0, "", Mod::Am, true, 0};
        QTest::newRow("BC search held, a hit")
            << kBc << quint8(3) << QStringList{"+", "RM NFM", "WI F  01542525"}
            << Reading{kBc, 3, "SEARCH HOLD", 154252500, 0, 0, "", Mod::Nfm, true, 0};
        QTest::newRow("BC trunk, a call")
            << kBc << quint8(9) << QStringList{"ID S 001234 08515625", "RM NFM"}
            << Reading{kBc, 9, "TRUNK", 851562500, 0, 0, "1234", Mod::Nfm, true, 0, "", "", "Fire dispatch"};
        QTest::newRow("BC trunk, the call ended") << kBc << quint8(9) << QStringList{"ID S 001234 08515625", "ID E"}
                                                  << Reading{kBc, 9, "TRUNK", 0, 0, 0, "", Mod::Unknown, false, 0};
        QTest::newRow("BC trunk hold, the talkgroup on the main line is no frequency")
            << kBc << quint8(10) << QStringList{"ID S 002345", "FRQ [2345]"}
            << Reading{kBc, 10, "TRUNK HOLD", 0, 0, 0, "2345", Mod::Unknown, true, 0};
        QTest::newRow("BC ID scan, a call and its ID channel")
            << kBc << quint8(11) << QStringList{"ID S 001234 08515625", "IC A03"}
            << Reading{kBc, 11, "ID SCAN", 851562500, 3, 1, "1234", Mod::Unknown, true, 0, "", "", "Fire dispatch"};
        QTest::newRow("BC ID hold, the call ended") << kBc << quint8(12) << QStringList{"ID S 001234 08515625", "ID E"}
                                                    << Reading{kBc, 12, "ID HOLD", 0, 0, 0, "", Mod::Unknown, false, 0};
        QTest::newRow("BC mode reply: scan turned to trunk")
            << kBc << quint8(0) << QStringList{"+", "C005 F04601250 TF DF LF AN PF", "MD09"}
            << Reading{kBc, 9, "TRUNK", 0, 0, 0, "", Mod::Unknown, false, 0};
    }
    void replyLines_fillTheReading() {
        QFETCH(quint8, model);
        QFETCH(quint8, mode);
        QFETCH(QStringList, lines);
        QFETCH(Reading, expected);
        ReadingRig rig(model);
        for (const QString& line : std::as_const(lines))
            rig.feed(rig.state.gMode == ModeCode::Undetermined ? mode : rig.state.gMode, line);
        QCOMPARE(rig.reading(), expected);
    }

    void json_hasTheDocumentedFields() {
        const Reading call{kPro, 10, "TRUNK HOLD", 0, 0, 0, "123456", Mod::Unknown, true, -1};
        QCOMPARE(QJsonDocument(call.toJson()).toJson(QJsonDocument::Compact),
                 QByteArray(R"({"bank":null,"channel":null,"channel_name":null,"frequency_hz":null,"mode":10,)"
                            R"("mode_name":"TRUNK HOLD","model":"pro2052","modulation":null,"signal_bars":null,)"
                            R"("squelch_open":true,"talkgroup":"123456","talkgroup_name":null,"tone":null})"));
        const Reading stop{kBc, 0, "SCAN", 460125000, 5, 1, "", Mod::Nfm, true, 4, "CTCSS 127.3", "City police"};
        QCOMPARE(QJsonDocument(stop.toJson()).toJson(QJsonDocument::Compact),
                 QByteArray(R"({"bank":1,"channel":5,"channel_name":"City police","frequency_hz":460125000,"mode":0,)"
                            R"("mode_name":"SCAN","model":"bc780xlt","modulation":"NFM","signal_bars":4,)"
                            R"("squelch_open":true,"talkgroup":null,"talkgroup_name":null,"tone":"CTCSS 127.3"})"));
    }

    // Each hit starts when the squelch opened and lasts until it closed or the scanner moved on. Steps are
    // "milliseconds later, mode, reply line".
    void scriptedSession_givesTheHits_data() {
        QTest::addColumn<quint8>("model");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("hits");
        QTest::addColumn<int>("changes");
        // A stop on a channel, a move to the next one under an open squelch, a trunked call, and a search stop;
        // the "N" and the repeated mode lines change nothing.
        QTest::newRow("PRO-2052") << kPro
                                  << QStringList{"0 0 -",
                                                 "1000 0 +",
                                                 "100 0 " + kChannel12,
                                                 "50 0 RM NFM",
                                                 "50 0 N",
                                                 "4800 0 -",
                                                 "1000 0 +",
                                                 "200 0 C013  01543500     N  F     F",
                                                 "1800 0 C014  01544500     N  F     F",
                                                 "1500 0 -",
                                                 "1000 9 ID S 001234 08515625",
                                                 "3000 9 ID E",
                                                 "2000 3 +",
                                                 "100 3 RM NFM",
                                                 "100 3 WI    01542525",
                                                 "3800 3 -"}
                                  << QStringList{"start SCAN ch12 tg 154250000Hz at 12:00:01.000",
                                                 "end SCAN ch12 tg 154250000Hz after 5000 ms",
                                                 "start SCAN ch13 tg 154350000Hz at 12:00:07.000",
                                                 "end SCAN ch13 tg 154350000Hz after 2000 ms",
                                                 "start SCAN ch14 tg 154450000Hz at 12:00:09.000",
                                                 "end SCAN ch14 tg 154450000Hz after 1500 ms",
                                                 "start TRUNK ch0 tg1234 851562500Hz at 12:00:11.500",
                                                 "end TRUNK ch0 tg1234 851562500Hz after 3000 ms",
                                                 "start SEARCH HOLD ch0 tg 154252500Hz at 12:00:16.500",
                                                 "end SEARCH HOLD ch0 tg 154252500Hz after 4000 ms"}
                                  << 15;
        // The BC780XLT's display replies name a stop's frequency and then its channel: one hit, not two.
        QTest::newRow("BC780XLT frequency, then channel")
            << kBc << QStringList{"0 0 +", "50 0 FRQ [ 154.2500]", "50 0 CHN [001]", "2900 0 -"}
            << QStringList{"start SCAN ch0 tg 154250000Hz at 12:00:00.000", "end SCAN ch1 tg 154250000Hz after 3000 ms"}
            << 4;
    }
    void scriptedSession_givesTheHits() {
        QFETCH(quint8, model);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, hits);
        QFETCH(int, changes);
        MonitorContextRig rig(model);
        Monitor monitor(rig.ctx);
        QStringList got;
        const auto describe = [](const Hit& hit) {
            const Reading& r = hit.reading;
            return QStringLiteral("%1 ch%2 tg%3 %4Hz")
                .arg(r.modeName)
                .arg(r.channel)
                .arg(r.talkgroup)
                .arg(r.frequencyHz);
        };
        connect(&monitor, &Monitor::hitStarted, this, [&](const Hit& hit) {
            got << QStringLiteral("start %1 at %2")
                       .arg(describe(hit), hit.start.time().toString(QStringLiteral("HH:mm:ss.zzz")));
        });
        connect(&monitor, &Monitor::hitEnded, this, [&](const Hit& hit) {
            got << QStringLiteral("end %1 after %2 ms").arg(describe(hit)).arg(hit.durationMs);
        });
        QSignalSpy changed(&monitor, &Monitor::readingChanged);
        for (const QString& step : steps) {
            rig.clock.advanceMs(step.section(QLatin1Char(' '), 0, 0).toLongLong());
            rig.state.gMode = quint8(step.section(QLatin1Char(' '), 1, 1).toInt());
            rig.state.gReply = step.section(QLatin1Char(' '), 2);
            monitor.parser().parseReply();
            monitor.publish();
        }
        QCOMPARE(got, hits);
        QCOMPARE(changed.size(), changes); // once per change
    }
};

QTEST_GUILESS_MAIN(TestReading)
#include "test_reading.moc"
