// The PRO-2052 status replies, the panel routines both models share, and the typed reading both parsers keep
// beside the display with the hits the monitor makes of it. The reading table is what the recorder and the
// phone view rely on: reply lines in a mode give this Reading.
#include "Observed.h"
#include "monitor/Bc780LcdParser.h"
#include "monitor/Monitor.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

namespace {
// A channel reply: number at 2-4, eight frequency digits at 7-14, flags at 20, 23 and 29.
QString ch(const char* chan, const char* freq, char flag = 'F') {
    return QStringLiteral("C%1  %2     %3  %3     %3").arg(QLatin1String(chan), QLatin1String(freq), QChar(flag));
}

} // namespace

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
struct ReadingRig : MonitorRig {
    explicit ReadingRig(quint8 model)
        : MonitorRig(model) {
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
            parser.parseStatusReply();
    }
    const Reading& reading() const { return state.gScannerModel == kBc ? lcd.reading() : parser.reading(); }

    Bc780LcdParser lcd{ctx, panel};
};
} // namespace

Q_DECLARE_METATYPE(Reading::Modulation)

class TestParsers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void replies_data();
    void replies();
    void bankBoxes_data();
    void bankBoxes();
    void clearPanel_data();
    void clearPanel();
    void notifyRemote_sendsEachNewTextOnce_data();
    void notifyRemote_sendsEachNewTextOnce();
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

    // A new layout starts the reading over from the mode alone; the program's own code for a mode not yet known
    // keeps the mode the scanner still shows.
    void restart_startsOverFromTheMode() {
        ReadingRig rig(kPro);
        rig.feed(0, kChannel12);
        rig.state.gMode = 1;
        rig.parser.restartReading();
        QCOMPARE(rig.reading(), (Reading{kPro, 1, "MANUAL", 0, 0, 0, "", Mod::Unknown, false, -1}));
        rig.feed(0, kChannel12);
        rig.state.gMode = ModeCode::Undetermined;
        rig.parser.restartReading();
        QCOMPARE(rig.reading(), (Reading{kPro, 0, "SCAN", 0, 0, 0, "", Mod::Unknown, false, -1}));
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

// Steps: "mode:reply" feeds a reply in that mode (0 scan, 1 manual, 2 search, 3 search hold, 9 trunk,
// 10 trunk hold, 11 ID scan, 12 ID hold); "@time" sets the clock; "field=text" sets a display field
// ("aux:field" on the aux display), "auxOpen=1" opens the aux window and "keyEntry=digits" types digits.
// Expected: "key=value", checked after the last step with observe().
void TestParsers::replies_data() {
    QTest::addColumn<int>("model");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expected");
    const auto pro = [](const char* name, const QStringList& steps, const QStringList& expected) {
        QTest::newRow(name) << int(ScannerModel::Pro2052) << steps << expected;
    };
    const QString tags = QStringLiteral("aux:Text2(3)=CITY PD;aux:Text2(4)=DISPATCH");
    const QString trunkShown = QStringLiteral("tbfreq=1234;tbTRUNKTYPE=MOT2;tbModMode=NFM;tbDELAY=on;tbDATA=on");

    // Scan: channel replies, one query per transmission, the log line at the end of a stop.
    pro("scan 000 is channel 1000 in bank 20", {"0:" + ch("000", "01542500")},
        {"tbChan=1000", "lit=20", "tbfreq=154.2500", "remote=154.2500\r", "sent=RM|SB", "lookups="});
    pro("scan 050 is in bank 1", {"0:" + ch("050", "12400000")}, {"lit=1", "tbfreq=1240.0000"});
    pro("scan plus while idle asks the channel", {"0:+"}, {"sent=MA"});
    pro("scan second plus while showing sends nothing", {"0:" + ch("012", "01542500"), "0:+", "0:+"}, {"sent=RM|SB"});
    pro("scan minus while idle writes nothing", {"0:-", "0:-"}, {"sent=", "log=", "remote="});
    pro("scan end, aux open: tags from it",
        QStringList{"auxOpen=1"} + tags.split(';') +
            QStringList{"0:+", "0:" + ch("012", "01542500"), "0:RM NFM", "0:-", "0:-"},
        {"log=scan,012,154.2500,NFM,CITY PD,DISPATCH", "lookups=channel 154.2500", "sent=MA|RM|SB", "tbfreq= SCAN  ",
         "tbModMode=", "tbChan=", "lit=", "remote=154.2500\r|\r"});
    pro("scan end, aux closed: empty tags", tags.split(';') + QStringList{"0:" + ch("012", "01542500"), "0:-"},
        {"log=scan,012,154.2500,,,", "lookups="});

    // Channel flags: N on, F off, anything else ERR.
    pro("scan flags on", {"0:" + ch("012", "01542500", 'N')}, {"tbDELAY=DELAY", "tbLOCKOUT=L/O", "tbPRI=PRI"});
    pro("scan flags off", {"tbDELAY=x", "0:" + ch("012", "01542500")}, {"tbDELAY=", "tbLOCKOUT=", "tbPRI="});
    pro("scan odd flags", {"0:" + ch("012", "01542500", 'X')}, {"tbDELAY=ERR", "tbLOCKOUT=ERR", "tbPRI=ERR"});
    pro("manual odd flags", {"1:" + ch("012", "01542500", '?')}, {"tbDELAY=ERR", "tbLOCKOUT=ERR", "tbPRI=ERR"});

    // Manual: typed digits stay on the main line, the channel fields keep the earlier channel.
    pro("manual 005 shows as 5", {"0:SB ABCDT", "tbChan=7", "1:" + ch("005", "01542500")},
        {"tbChan=5", "tbfreq=154.2500", "numbers=1", "remote=154.2500\r", "sent="});
    pro("manual 000 shows as 1000 in bank 20", {"1:" + ch("000", "01542500")}, {"tbChan=1000", "numbers=20"});
    pro("manual typed 15 shown, channel kept",
        {"1:" + ch("007", "01542500"), "keyEntry=15", "1:" + ch("051", "01542500")},
        {"tbChan=7", "tbfreq=15", "numbers=1", "remote=154.2500\r"});

    // Search: a hit keeps the whole fraction, a held search drops a trailing zero; short lines re-ask when held.
    pro("search hit keeps every digit", {"2:WI    0045325012"}, {"tbfreq=45.325012", "sent=", "remote="});
    pro("search hit below 1 MHz", {"2:WI    00002500"}, {"tbfreq=.2500"});
    pro("held short line", {"3:WI    015425"}, {"tbfreq=154.25", "remote=154.25\r"});
    pro("held short fraction to client", {"3:WI    01542500"}, {"tbfreq=154.250", "remote=154.250\r"});
    pro("held fourth digit kept", {"3:WI    01542525"}, {"tbfreq=154.2525", "remote=154.2525\r"});
    pro("search ten characters show nothing", {"tbfreq=keep", "2:WI    0154"}, {"tbfreq=keep", "sent="});
    pro("held ten characters ask again", {"tbfreq=keep", "3:WI    0154"}, {"tbfreq=keep", "sent=WI"});
    pro("search only zeros", {"tbfreq=keep", "2:WI    00000000"}, {"tbfreq=keep"});
    // The log writer gets both ends as seconds since midnight; it measures a hold across midnight.
    pro("search hold start rounds up",
        {"@12:00:00.600", "2:+", "2:+", "2:RM NFM", "2:WI    01542500", "2:DSN", "@12:00:10", "2:-", "2:-"},
        {"log=search,43201,43210,154.2500,NFM,NORMAL", "sent=RM|WI", "tbfreq= SEARCH ", "tbDATA="});
    pro("search hold across midnight", {"@23:59:58", "2:+", "2:WI    01542500", "@00:00:03", "2:-"},
        {"log=search,86398,3,154.2500,,NORMAL"});
    pro("search hold shows its start", {"Text3=shown", "@12:00:05", "2:+", "2:DSN"}, {"Text3=43205", "tbDATA=DATA"});

    // A modulation reply fills only an empty field; its alignment tells the modulation.
    pro("modulation AM left", {"tbModMode=", "0:RM AM"}, {"tbModMode=AM", "align:tbModMode=1"});
    pro("modulation NFM centred", {"0:RM AM", "tbModMode=", "0:RM NFM"}, {"tbModMode=NFM", "align:tbModMode=4"});
    pro("modulation WFM right", {"0:RM WFM"}, {"tbModMode=WFM", "align:tbModMode=2"});
    pro("modulation already showing", {"tbModMode=AM", "0:RM WFM"}, {"tbModMode=AM", "align:tbModMode=4"});
    pro("not a modulation reply", {"0:RX NFM"}, {"tbModMode="});

    // Trunk calls: a long line puts the ID in the channel field, a short one on the main line.
    pro("trunk long line", {"auxOpen=1", "tbModMode=NFM", "9:ID S 001234 08515625"},
        {"tbChan=1234", "tbfreq=851.5625", "lookups=talkgroup 1234", "tbModMode=", "sent=RM|TB|DL"});
    pro("trunk short line", {"tbChan=keep", "9:ID S 12  "}, {"tbChan=keep", "tbfreq=12", "talkgroup=12", "lookups="});
    pro("trunk all-zero ID and frequency", {"tbChan=keep", "tbfreq=keep", "9:ID S 000000 00000000"},
        {"tbChan=keep", "tbfreq=keep", "sent=RM|TB|DL"});
    pro("mode 13 reads like trunk", {"13:ID S 000042 00453250"}, {"tbChan=42", "tbfreq=45.3250"});
    pro("trunk end of call logs", (tags + ";auxOpen=1;" + trunkShown + ";9:ID E").split(';'),
        {"log=trunk,1234,MOT2,NFM,CITY PD,DISPATCH", "tbfreq=    -- --- "});
    pro("trunk ID scan list", {"9:IS AC"}, {"numbers=1,3"});
    pro("trunk hold end of call logs", (tags + ";auxOpen=1;" + trunkShown + ";10:ID E").split(';'),
        {"log=trunk,1234,MOT2,NFM,CITY PD,DISPATCH", "tbfreq=1234"});
    pro("trunk hold other status ignored", {"tbfreq=1234", "10:ID X 005678"}, {"tbfreq=1234", "sent="});
    // The hold picture is refreshed only when the ID bank letter changes; typed digits stay.
    pro("trunk hold first call", {"10:ID S 123456"}, {"tbHOLD=HOLD", "tbfreq=123456", "sent=RM|TB|DL"});
    pro("trunk hold same ID bank", {"10:ID S 001234", "tbHOLD=keep", "10:ID S 012345"},
        {"tbHOLD=keep", "tbfreq=12345"});
    pro("trunk hold call with its frequency", {"auxOpen=1", "10:ID S 001234 08510125"},
        {"tbfreq=1234 08510125", "talkgroup=1234", "lookups=talkgroup 1234"});
    pro("trunk hold typed digits stay", {"keyEntry=42", "tbfreq=42", "10:ID S 005678"},
        {"tbfreq=42", "talkgroup=5678"});

    // ID scan and ID hold.
    pro("id scan channel", {"11:IC C05"}, {"lit=3", "tbChan=05", "sent="});
    pro("id scan call", {"auxOpen=1", "11:IC C05", "11:ID S 001234"},
        {"lit=", "sent=IC|RM|TB|DL|IS", "tbfreq=1234", "tbBank=LIST", "lookups=talkgroup 1234"});
    pro("id scan end of call", {"11:IC C05", "11:ID S 001234", "11:IC C05", "11:ID E"},
        {"log=trunk,1234, TRUNK ,,,", "sent=IC|RM|TB|DL|IS|IS", "tbfreq=Id SCAN", "lit="});
    pro("id hold bank T", {"12:IC T100001234"}, {"tbChan=10", "tbfreq=1234", "lit=20"});
    pro("id hold delay reply ignored", {"tbDELAY=on", "12:DLN"}, {"tbDELAY=on"});
    pro("id hold end of call", {"12:IC B0300123", "12:ID E"}, {"lit=", "log=trunk,123,,,,"});
    pro("id hold next call", {"12:IC B0300123", "12:ID E", "12:ID S 004321"},
        {"sent=IS|RM|TB|IS", "tbfreq=4321", "tbHOLD=HOLD"});
}

void TestParsers::replies() {
    QFETCH(int, model);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);
    MonitorRig rig{quint8(model)};
    static const QRegularExpression feed(QStringLiteral("^(\\d+):(.*)$"));
    for (const QString& step : steps) {
        const QRegularExpressionMatch m = feed.match(step);
        const QString key = step.section(QLatin1Char('='), 0, 0);
        const QString value = step.section(QLatin1Char('='), 1);
        if (m.hasMatch())
            rig.parse(quint8(m.captured(1).toInt()), m.captured(2));
        else if (step.startsWith(QLatin1Char('@')))
            rig.clock.set(QDate(2001, 2, 15), QTime::fromString(step.mid(1), Qt::ISODateWithMs));
        else if (key == QLatin1String("auxOpen"))
            rig.aux.setWindowVisible(true);
        else if (key == QLatin1String("keyEntry"))
            rig.state.gKeyEntry = value;
        else if (key.startsWith(QLatin1String("aux:")))
            rig.aux.setText(key.mid(4), value);
        else if (key == QLatin1String("Text3"))
            rig.display.setVisible(key, true);
        else
            rig.display.setText(key, value);
    }
    expectObserved(rig, expected);
    QCOMPARE(rig.boxes('?'), QString()); // no box is ever left half lit
}

// Steps: "list=letters", "active=n" ("active=all" lights every box), "inactive=n", "clear" (digits and markers).
// Expected: the boxes that show a number; that are lit; on the LCD, that show a listed bank's look.
void TestParsers::bankBoxes_data() {
    QTest::addColumn<int>("model");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("expected");
    const auto pro = [](const char* name, const QStringList& steps, const char* expected) {
        QTest::newRow(name) << int(ScannerModel::Pro2052) << steps << QString::fromLatin1(expected);
    };
    const auto lcd = [](const char* name, const QStringList& steps, const char* expected) {
        QTest::newRow(name) << int(ScannerModel::Bc780xlt) << steps << QString::fromLatin1(expected);
    };
    const char* const allLit = ";1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20;";
    pro("list A, C and T", {"list=ACT"}, "1,3,20;;");
    pro("earlier list reset, letters without a box passed over", {"list=BDQ", "list=A Za!\u00e9"}, "1;;");
    pro("empty list empties every box", {"list=ABC", "list="}, ";;");
    lcd("lcd list keeps active bank 2 inverted", {"active=2", "list=ABC"}, "1,2,3,4,5,6,7,8,9,10;2;1,3");
    pro("banks out of range change nothing", {"active=all", "inactive=0", "inactive=21", "active=21"}, allLit);
    lcd("lcd banks out of range change nothing", {"active=0", "active=11", "inactive=11"}, "1,2,3,4,5,6,7,8,9,10;;");
    pro("bank 20 lights and goes out", {"active=20", "inactive=20"}, ";;");
    lcd("lcd bank 10 goes out to the listed look", {"active=10", "inactive=10"}, "1,2,3,4,5,6,7,8,9,10;;10");
    pro("clear undoes list and active bank", {"list=ABE", "active=5", "clear"}, ";;");
}

void TestParsers::bankBoxes() {
    QFETCH(int, model);
    QFETCH(QStringList, steps);
    QFETCH(QString, expected);
    MonitorRig rig{quint8(model)};
    for (const QString& step : steps) {
        const QString key = step.section(QLatin1Char('='), 0, 0);
        const QString value = step.section(QLatin1Char('='), 1);
        if (key == QLatin1String("list")) {
            rig.panel.showBankList(value);
        } else if (value == QLatin1String("all")) {
            for (int n = 1; n <= 20; ++n)
                rig.panel.showBankActive(n);
        } else if (key == QLatin1String("active")) {
            rig.panel.showBankActive(value.toInt());
        } else if (key == QLatin1String("inactive")) {
            rig.panel.showBankInactive(value.toInt());
        } else {
            rig.panel.clearBankDigits();
            rig.panel.clearBankMarkers();
        }
    }
    QCOMPARE(QStringList({rig.boxes('#'), rig.boxes('L'), rig.boxes('S')}).join(QLatin1Char(';')), expected);
    QCOMPARE(rig.boxes('?'), QString()); // no box is ever left half lit
}

// Before the clear the main line shows 154.2500 (or the typed digits), the channel 12, the LCD's SCAN segment is lit
// and its name lines show CITY PD and DISPATCH. Expected: "field=text", "aux:field=text" or "fore:field".
void TestParsers::clearPanel_data() {
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("keyEntry");
    QTest::addColumn<bool>("auxOpen");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("typing, aux closed") << int(ScannerModel::Pro2052) << "15" << false
                                        << QStringList{"tbfreq=15", "tbChan=", "aux:Text2(3)=SERVICE DESCRIPTION"};
    QTest::newRow("not typing, aux open") << int(ScannerModel::Pro2052) << "" << true
                                          << QStringList{"tbfreq=", "aux:Text2(3)=", "aux:Text2(5)=Aux Display #5"};
    QTest::newRow("lcd dims segments") << int(ScannerModel::Bc780xlt) << "" << false
                                       << QStringList{"tbfreq= ", "tbSCAN=SCAN", "fore:tbSCAN=unlit",
                                                      "Text2(4)=", "Text2(3)=CITY PD"};
}

void TestParsers::clearPanel() {
    QFETCH(int, model);
    QFETCH(QString, keyEntry);
    QFETCH(bool, auxOpen);
    QFETCH(QStringList, expected);
    MonitorRig rig{quint8(model)};
    rig.aux.setWindowVisible(auxOpen);
    rig.state.gKeyEntry = keyEntry;
    rig.display.setText(QStringLiteral("tbfreq"), keyEntry.isEmpty() ? QStringLiteral("154.2500") : keyEntry);
    rig.display.setText(QStringLiteral("tbChan"), QStringLiteral("12"));
    rig.display.setForeColor(QStringLiteral("tbSCAN"), Panel::kLcdLit);
    rig.display.setText(QStringLiteral("Text2(3)"), QStringLiteral("CITY PD"));
    rig.display.setText(QStringLiteral("Text2(4)"), QStringLiteral("DISPATCH"));
    rig.panel.clearPanel();
    expectObserved(rig, expected);
}

// Expected: what the client got, then gRemoteLast and gRemoteOut after the last call.
void TestParsers::notifyRemote_sendsEachNewTextOnce_data() {
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QStringList>("texts"); // a null text leaves gRemoteOut as it is
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("same text twice goes once")
        << true << QStringList{"154.2500", "154.2500"} << QStringList{"154.2500\r", "154.2500\r", "154.2500\r"};
    QTest::newRow("two texts go in order") << true << QStringList{"154.2500", "AUX2CHAN: 12"}
                                           << QStringList{"154.2500\r|AUX2CHAN: 12\r", "AUX2CHAN: 12\r", ""};
    QTest::newRow("no client: nothing sent, CR kept")
        << false << QStringList{"154.2500"} << QStringList{"", "earlier\r", "154.2500\r"};
    QTest::newRow("call without a new text sends a lone CR")
        << true << QStringList{"154.2500", QString()} << QStringList{"154.2500\r|\r", "\r", ""};
}

void TestParsers::notifyRemote_sendsEachNewTextOnce() {
    QFETCH(bool, connected);
    QFETCH(QStringList, texts);
    QFETCH(QStringList, expected);
    MonitorRig rig;
    rig.remote.connected = connected;
    rig.state.gRemoteLast = QStringLiteral("earlier\r");
    for (const QString& text : texts) {
        if (!text.isNull())
            rig.state.gRemoteOut = text;
        rig.panel.notifyRemote();
    }
    QCOMPARE(QStringList({rig.remote.sent.join(QLatin1Char('|')), rig.state.gRemoteLast, rig.state.gRemoteOut}),
             expected);
}

QTEST_GUILESS_MAIN(TestParsers)
#include "test_parsers.moc"
