// The BC780XLT monitor: its LCD replies mode by mode, its mode table, its poll counter and its own keys.
#include "Observed.h"
#include "monitor/Bc780LcdParser.h"
#include "monitor/KeyHandlers.h"
#include "monitor/Keyboard.h"
#include "monitor/ModeDetector.h"
#include "monitor/Monitor.h"
#include "monitor/PollCycle.h"

#include <QTest>

namespace {
using Button = KeyHandlers::Button;

// The 23 display queries of a whole refresh, in the order the scanner is asked.
const QString kRefresh = QStringLiteral(
    "LCD FRQ|LCD BANK|LCD LIST|LCD SCAN|LCD TRUNK|LCD CTCSS|LCD DCS|LCD SRCH|LCD HOLD|LCD CHAN|LCD SMT|LCD PRI|"
    "LCD ALPHA|LCD AUTO|LCD FREQ|LCD S|LCD LINE|LCD ALT|LCD DATA|LCD CTC|LCD CHN|LCD LINE1|LCD LINE2");

struct Bc780Rig : MonitorContextRig {
    Bc780Rig()
        : MonitorContextRig(ScannerModel::Bc780xlt) {}
    Monitor monitor{ctx};

    // "9 count=27 tags=scanner entry=42 aux Text3 searchlog sig": the mode first, then what else is so.
    void given(const QString& setup) {
        const QStringList words = setup.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        state.gMode = quint8(words.value(0).toInt());
        for (const QString& w : words.mid(1)) {
            const QString value = w.section(QLatin1Char('='), 1);
            if (w.startsWith(QLatin1String("count=")))
                state.gPollCount = quint8(value.toInt());
            else if (w == QLatin1String("tags=scanner"))
                switches.setUseScannerTags(true);
            else if (w.startsWith(QLatin1String("entry=")))
                state.gKeyEntry = value;
            else if (w == QLatin1String("aux"))
                aux.setWindowVisible(true);
            else if (w.startsWith(QLatin1String("Text")))
                display.setVisible(w, true);
            else if (w == QLatin1String("sig"))
                display.setForeColor(QStringLiteral("tbSIG"), Panel::kLcdLit);
            else if (w == QLatin1String("searchlog"))
                switches.setSearchLogging(true);
        }
    }
};

// Each row feeds its lines to ParseLcdReply one after another; "sent" is what the last line sent.
void addColumns() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("expected");
}

void runRow() {
    QFETCH(QString, setup);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, expected);
    Bc780Rig rig;
    rig.given(setup);
    for (const QString& line : lines) {
        rig.takeCommands();
        rig.state.gReply = line;
        rig.monitor.parser().parseReply();
    }
    expectObserved(rig, expected);
}

using Lines = QStringList;
using Expect = QStringList;
} // namespace

class TestBc780 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Mode 4 has no status rules: only the display replies act.
    void displayReplies_lightSegmentsAndFillFields_data() {
        addColumns();
        const struct {
            const char* reply;
            const char* field;
        } segments[] = {{"ALPHA +", "tbALPHA"}, {"AUTO +", "tbAUTO"}, {"BANK +", "tbBank"},   {"CHAN +", "tbCHANlbl"},
                        {"DATA +", "tbDATA"},   {"FREQ +", "tbFRQ"},  {"HOLD +", "tbHOLD"},   {"LIST +", "tbLIST"},
                        {"PRI +", "tbPRI"},     {"SCAN +", "tbSCAN"}, {"SRCH +", "tbSEARCH"}, {"LINE +", "tbLINE"}};
        for (const auto& s : segments) {
            const QString lit = QStringLiteral("lit:") + QLatin1String(s.field);
            QTest::newRow(s.reply) << "4" << Lines{s.reply} << Expect{lit + "=lit", "sent="};
            const QString dark = QString::fromLatin1(s.reply).replace(QLatin1Char('+'), QLatin1Char('-'));
            QTest::addRow("%s then -", s.reply) << "4" << Lines{s.reply, dark} << Expect{lit + "=dark"};
        }
        const QString bar = "BAR +*-" + QString(27, QLatin1Char('-'));
        QTest::newRow("BAR: + lit n, * lit w, the rest dark")
            << "4" << Lines{"BAR " + QString(30, QLatin1Char('+')), bar} << Expect{"markers=#w" + QString(28, '.')};
        QTest::newRow("SMT lights four bars") << "4" << Lines{"S -", "SMT ++++--"} << Expect{"bars=####.."};
        QTest::newRow("S - darkens the bars")
            << "4" << Lines{"SMT ++++++", "S +", "S -"} << Expect{"bars=......", "lit:tbSIG=dark"};
        QTest::newRow("S + lights SIG") << "4" << Lines{"S +"} << Expect{"lit:tbSIG=lit", "bars=......"};
        QTest::newRow("LINE1 to line 3, LINE unchanged")
            << "4" << Lines{"LINE +", "LINE1 [CITY PD]"} << Expect{"Text2(3)=CITY PD", "lit:tbLINE=lit", "Text2(4)="};
        QTest::newRow("LINE2 to line 4") << "4" << Lines{"LINE2 [DISPATCH]"} << Expect{"Text2(4)=DISPATCH"};
        QTest::newRow("CHN shows the channel") << "4" << Lines{"CHN [005]"} << Expect{"tbChan=005"};
        QTest::newRow("CHN without brackets empties it") << "4" << Lines{"CHN [005]", "CHN"} << Expect{"tbChan="};
        QTest::newRow("FRQ shows the frequency") << "4" << Lines{"FRQ [ 154.2500]"} << Expect{"tbfreq=154.2500"};
        QTest::newRow("CTCSS + asks the tone") << "4" << Lines{"CTCSS +"} << Expect{"lit:tbCTCSS=lit", "sent=LCD CTC"};
        QTest::newRow("CTCSS * lights, asks nothing") << "4" << Lines{"CTCSS *"} << Expect{"lit:tbCTCSS=lit", "sent="};
        QTest::newRow("CTCSS - darkens") << "4" << Lines{"CTCSS +", "CTCSS -"} << Expect{"lit:tbCTCSS=dark", "sent="};
        QTest::newRow("CTC shows the tone")
            << "4" << Lines{"CTC [127.3]"} << Expect{"tbTONES=127.3", "lit:tbTONES=lit"};
        QTest::newRow("DCS + asks the code") << "4" << Lines{"DCS +"} << Expect{"lit:tbDCS=lit", "sent=LCD CTC"};
        QTest::newRow("DCS * asks the code") << "4" << Lines{"DCS *"} << Expect{"lit:tbDCS=lit", "sent=LCD CTC"};
        QTest::newRow("DCS - darkens") << "4" << Lines{"DCS +", "DCS -"} << Expect{"lit:tbDCS=dark", "sent="};
        QTest::newRow("TRUNK + asks the type")
            << "4" << Lines{"TRUNK +"} << Expect{"tbTRUNKTYPE=TRUNK", "sent=LCD E|LCD L|LCD M"};
        QTest::newRow("TRUNK - changes nothing") << "4" << Lines{"L +", "TRUNK -"} << Expect{"tbTRUNKTYPE=L   TRUNK"};
        QTest::newRow("E +") << "4" << Lines{"E +"} << Expect{"tbTRUNKTYPE=  E TRUNK", "lit:tbTRUNKTYPE=lit"};
        QTest::newRow("M +") << "4" << Lines{"M +"} << Expect{"tbTRUNKTYPE= M  TRUNK"};
        QTest::newRow("RM shows the modulation") << "4" << Lines{"RM NFM"} << Expect{"tbModMode=NFM", "sent="};
        QTest::newRow("ID E clears the panel") << "4" << Lines{"SCAN +", "ID E"} << Expect{"lit:tbSCAN=dark"};
        QTest::newRow("MD09 clears and sets the mode")
            << "0" << Lines{"SCAN +", "MD09"} << Expect{"mode=9", "lit:tbSCAN=dark"};
        QTest::newRow("MD00 in mode 0 keeps the panel") << "0" << Lines{"SCAN +", "MD00"} << Expect{"lit:tbSCAN=lit"};
        QTest::newRow("LTF") << "4" << Lines{"LTF"} << Expect{"light=0", "btnLIGHT=LCD OFF"};
        QTest::newRow("LTD") << "4" << Lines{"LTD"} << Expect{"light=1", "btnLIGHT=LCD DIM"};
        QTest::newRow("LTN") << "4" << Lines{"LTF", "LTN"} << Expect{"light=2", "btnLIGHT=LCD ON"};
        QTest::newRow("no status rules in mode 4")
            << "4" << Lines{"FRQ [X]", "C005 F04601250"} << Expect{"sent=", "tbfreq=X"};
    }
    void displayReplies_lightSegmentsAndFillFields() { runRow(); }

    void scanAndManual_followTheChannel_data() {
        addColumns();
        QTest::newRow("scan -: > SCANNING and a refresh")
            << "0" << Lines{"-"} << Expect{"Text2(4)=> SCANNING", "sent=" + kRefresh};
        QTest::newRow("scan +: cleared and a refresh")
            << "0" << Lines{"SCAN +", "+"} << Expect{"lit:tbSCAN=dark", "sent=" + kRefresh};
        QTest::newRow("scan stop: tags, modulation and banks")
            << "0" << Lines{"C005 F04601250"}
            << Expect{"sent=LCD LINE1|LCD LINE2|RM|SB", "lookups=channel 460.1250", "signal=yes", "tbChan=5",
                      "remote=460.1250\r"};
        QTest::newRow("scan stop with the scanner's tags looks nothing up")
            << "0 tags=scanner" << Lines{"C005 F04601250"} << Expect{"lookups=", "sent=LCD LINE1|LCD LINE2|RM|SB"};
        QTest::newRow("46.2625") << "0" << Lines{"C001 F00462625"} << Expect{"tbfreq=46.2625"};
        // Delay at 20, lockout at 23, the LINE segment at 26: N lights, F darkens, anything else leaves.
        QTest::newRow("delay flag") << "0" << Lines{"C005 F04601250 TF DN LF AF PF"}
                                    << Expect{"lit:tbDELAY=lit", "lit:tbLOCKOUT=dark", "lit:tbLINE=dark"};
        QTest::newRow("lockout flag") << "0" << Lines{"C005 F04601250 TF DF LN AF PF"}
                                      << Expect{"lit:tbDELAY=dark", "lit:tbLOCKOUT=lit", "lit:tbLINE=dark"};
        QTest::newRow("LINE flag") << "0" << Lines{"C005 F04601250 TN DF LF AN PN"}
                                   << Expect{"lit:tbDELAY=dark", "lit:tbLOCKOUT=dark", "lit:tbLINE=lit"};
        QTest::newRow("flags F darken") << "0" << Lines{"C005 F04601250 TN DN LN AN", "C005 F04601250 TN DF LF AF"}
                                        << Expect{"lit:tbDELAY=dark", "lit:tbLOCKOUT=dark", "lit:tbLINE=dark"};
        QTest::newRow("no flags leave them") << "0" << Lines{"C005 F04601250 TN DN LN AN", "C005 F04601250"}
                                             << Expect{"lit:tbDELAY=lit", "lit:tbLOCKOUT=lit", "lit:tbLINE=lit"};
        // CHN, CHAN, CTC and CTCSS begin with "C" too; read as a channel they would show garbage.
        QTest::newRow("CHN is no channel")
            << "0" << Lines{"C001 F01542500", "CHN [005]"} << Expect{"tbfreq=154.2500", "sent="};
        // Which banks are lit is the bank list's to say; a stop only names its bank.
        QTest::newRow("a stop lights no bank box")
            << "1" << Lines{"C051 F08515000"} << Expect{"tbBANKNUM(2)=2", "boxes=..........", "tbfreq=851.5000"};
        QTest::newRow("SB lights the scanned banks") << "0" << Lines{"SB ACJ"} << Expect{"boxes=#.#......#"};
        QTest::newRow("manual +: MA and a refresh") << "1" << Lines{"+"} << Expect{"sent=MA|" + kRefresh};
        QTest::newRow("manual -: cleared, refreshed")
            << "1" << Lines{"SCAN +", "-"} << Expect{"lit:tbSCAN=dark", "sent=" + kRefresh};
        QTest::newRow("manual stop") << "1" << Lines{"C005 F04601250"}
                                     << Expect{"sent=LCD LINE1|LCD LINE2|RM|SB", "signal=no", "tbfreq=460.1250"};
        QTest::newRow("manual shows the entry") << "1 entry=42" << Lines{"RM NFM"} << Expect{"Text2(3)=42"};
        QTest::newRow("manual with the scanner's tags asks for them")
            << "1 tags=scanner" << Lines{"RM NFM"} << Expect{"sent=LCD LINE1|LCD LINE2"};
        QTest::newRow("but not after a tag") << "1 tags=scanner" << Lines{"LINE1 [CITY PD]"} << Expect{"sent="};
    }
    void scanAndManual_followTheChannel() { runRow(); }

    // The manual clock stands at 12:00:00, second 43200 of the day.
    void search_holdsLogsAndAsksForTheHit_data() {
        addColumns();
        QTest::newRow("2 +: the hold starts, RM and SMT")
            << "2 Text3" << Lines{"+"} << Expect{"hold=43200", "Text3=43200", "sent=RM|LCD SMT"};
        QTest::newRow("3 +: RM and WI") << "3 Text3" << Lines{"+"} << Expect{"hold=43200", "Text3=", "sent=RM|WI"};
        QTest::newRow("2 -: logged and cleared")
            << "2 searchlog" << Lines{"WI F  01542500", "RM NFM", "SRCH +", "+", "-"}
            << Expect{"log=search,43200,43200,154.250,NFM,NORMAL", "hold=0", "lit:tbSEARCH=dark"};
        QTest::newRow("3 -: logged, not cleared")
            << "3 searchlog" << Lines{"FRQ [146.5200]", "SRCH +", "+", "-"}
            << Expect{"log=search,43200,43200,146.5200,,NORMAL", "lit:tbSEARCH=lit"};
        QTest::newRow("no log unless ticked") << "2" << Lines{"+", "-"} << Expect{"log=", "hold=0"};
        QTest::newRow("DSN") << "2" << Lines{"DSN"} << Expect{"lit:tbDATA=lit"};
        QTest::newRow("DSF") << "3" << Lines{"DSN", "DSF"} << Expect{"lit:tbDATA=dark"};
        QTest::newRow("2 RM asks WI") << "2" << Lines{"RM NFM"} << Expect{"sent=WI"};
        QTest::newRow("2 other R asks nothing") << "2" << Lines{"RX"} << Expect{"sent="};
        QTest::newRow("3 any R asks WI") << "3" << Lines{"RX"} << Expect{"sent=WI"};
        QTest::newRow("hit 154.250") << "2" << Lines{"WI F  01542500"} << Expect{"tbfreq=154.250", "sent=WI"};
        QTest::newRow("hit 154.2525") << "3" << Lines{"WI F  01542525"}
                                      << Expect{"tbfreq=154.2525", "sent=WI", "remote=154.2525\r"};
        QTest::newRow("a short W only asks") << "2" << Lines{"FRQ [X]", "WI F"} << Expect{"tbfreq=X", "sent=WI"};
        QTest::newRow("2 shows the entry") << "2 entry=146" << Lines{"DSN"} << Expect{"Text2(3)=146"};
        QTest::newRow("3 does not") << "3 entry=146" << Lines{"DSN"} << Expect{"Text2(3)="};
    }
    void search_holdsLogsAndAsksForTheHit() { runRow(); }

    void trunk_followsTheCall_data() {
        addColumns();
        QTest::newRow("9 asks BAR at count 27") << "9 count=27" << Lines{"RM NFM"} << Expect{"sent=LCD BAR"};
        QTest::newRow("and at 77") << "9 count=77" << Lines{"RM NFM"} << Expect{"sent=LCD BAR"};
        QTest::newRow("not at 28") << "9 count=28" << Lines{"RM NFM"} << Expect{"sent="};
        QTest::newRow("nor for its own reply") << "9 count=27" << Lines{"BAR ---"} << Expect{"sent="};
        QTest::newRow("DLN") << "9" << Lines{"DLN"} << Expect{"lit:tbDELAY=lit"};
        QTest::newRow("DLF") << "10" << Lines{"DLN", "DLF"} << Expect{"lit:tbDELAY=dark"};
        QTest::newRow("IS lights the banks") << "9" << Lines{"IS B"} << Expect{"boxes=.#........"};
        QTest::newRow("9 call") << "9" << Lines{"LINE2 [OLD]", "ID S 001234 08515000"}
                                << Expect{"sent=LCD SMT|LCD BAR|LCD LINE1|LCD LINE2|RM|TB|DL",
                                          "tbTONES=1234",
                                          "lit:tbTONES=lit",
                                          "talkgroup=1234",
                                          "tbfreq=851.5000",
                                          "lookups=talkgroup 1234",
                                          "Text2(4)="};
        QTest::newRow("9 call end") << "9"
                                    << Lines{"ID S 001234 08515000", "LINE1 [FIRE]", "LINE2 [DISPATCH]", "TB A EDACS",
                                             "ID E 001234 08515000"}
                                    << Expect{"log=trunk,851.5000,EDACS,,FIRE,DISPATCH",
                                              "Text2(4)=> SCANNING",
                                              "sent=LCD SMT|LCD BAR",
                                              "tbTONES=----- -",
                                              "lit:tbTONES=dark",
                                              "tbChan=",
                                              "tbfreq="};
        QTest::newRow("9 TB") << "9" << Lines{"TB A EDACS"} << Expect{"tbTRUNKTYPE=EDACS", "lit:tbTRUNKTYPE=lit"};
        QTest::newRow("10 asks BAR for every line") << "10" << Lines{"RM NFM"} << Expect{"sent=LCD BAR"};
        QTest::newRow("but not for BAR") << "10" << Lines{"BAR ---"} << Expect{"sent="};
        QTest::newRow("10 ID S") << "10" << Lines{"ID S 001234"}
                                 << Expect{"sent=LCD BAR|LCD LINE1|LCD LINE2|RM|TB", "talkgroup=1234", "tbfreq=1234",
                                           "lookups=talkgroup 1234"};
        QTest::newRow("10 ID S 0 at 6 only") << "10" << Lines{"ID S 012345"} << Expect{"tbfreq=12345"};
        // The call's frequency after the talkgroup is shown, never looked up as part of the ID.
        QTest::newRow("10 ID S with frequency")
            << "10" << Lines{"ID S 001234 08510125"}
            << Expect{"tbfreq=1234 08510125", "talkgroup=1234", "lookups=talkgroup 1234"};
        QTest::newRow("10 end logs the tags with the aux display")
            << "10 aux" << Lines{"ID S 001234", "LINE1 [FIRE]", "LINE2 [DISPATCH]", "ID E"}
            << Expect{"log=trunk,1234,,,FIRE,DISPATCH"};
        QTest::newRow("and without them when it is hidden")
            << "10" << Lines{"ID S 001234", "LINE1 [FIRE]", "LINE2 [DISPATCH]", "ID E"} << Expect{"log=trunk,1234,,,,"};
    }
    void trunk_followsTheCall() { runRow(); }

    void idScan_followsTheCall_data() {
        addColumns();
        QTest::newRow("11 asks BAR for every line") << "11" << Lines{"RM NFM"} << Expect{"sent=LCD BAR"};
        QTest::newRow("12 does not") << "12" << Lines{"RM NFM"} << Expect{"sent="};
        QTest::newRow("IC: bank B, channel 012")
            << "11" << Lines{"IC B012"} << Expect{"idbank=2", "tbChan=012", "tbBANKNUM(2)=2"};
        QTest::newRow("12 IC too") << "12" << Lines{"IC T500"} << Expect{"idbank=20", "tbChan=500"};
        QTest::newRow("11 call") << "11" << Lines{"ID S 001234 08515000"}
                                 << Expect{"sent=LCD BAR|LCD LINE1|LCD LINE2|RM|TB|DL", "tbTONES=1234",
                                           "tbfreq=851.5000", "Text2(4)="};
        QTest::newRow("12 call") << "12" << Lines{"SCAN +", "ID S 001234 08515000"}
                                 << Expect{"sent=LCD SMT|LCD LINE1|LCD LINE2", "tbTONES=1234", "lit:tbSCAN=dark"};
        QTest::newRow("11 call end") << "11" << Lines{"ID S 001234 08515000", "LINE1 [FIRE]", "ID E"}
                                     << Expect{"log=trunk,851.5000,,,FIRE,", "Text2(4)=> ID SCAN", "Text2(3)=FIRE",
                                               "tbTONES=----- -", "sent=LCD BAR|LCD SMT"};
        QTest::newRow("12 call end") << "12" << Lines{"ID S 001234 08515000", "LINE1 [FIRE]", "ID E"}
                                     << Expect{"log=trunk,851.5000,,,FIRE,", "Text2(4)=> ID SCAN",
                                               "Text2(3)=", "sent=LCD SMT|" + kRefresh};
        QTest::newRow("11 TB names the bank")
            << "11" << Lines{"TB C MOT"} << Expect{"tbBANKNUM(3)=3", "tbTRUNKTYPE=MOT"};
        QTest::newRow("12 TB does nothing") << "12" << Lines{"TB C MOT"} << Expect{"tbTRUNKTYPE="};
    }
    void idScan_followsTheCall() { runRow(); }

    void newMode_laysOutTheLcd_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("line4");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("sent");
        const auto row = [](const char* name, int mode, const char* line4, const char* status, const char* sent) {
            QTest::newRow(name) << mode << QString::fromLatin1(line4) << QString::fromLatin1(status)
                                << QString::fromLatin1(sent);
        };
        row("ID hold", 12, ">ID HOLD", "", "MD|SB|IC");
        row("trunk hold", 10, "> ID HOLD", "", "MD|SB|TB");
        row("ID scan", 11, "> ID SCAN", "", "MD|SB");
        row("unsupported", 13, "", "Mode #13 is unsupported at this time.", "MD|SB");
    }
    void newMode_laysOutTheLcd() {
        QFETCH(int, mode);
        QFETCH(QString, line4);
        QFETCH(QString, status);
        QFETCH(QString, sent);
        Bc780Rig rig;
        rig.state.gMode = ModeCode::Scan;
        // The layout only: no poll cycle afterwards.
        QObject::disconnect(&rig.monitor.detector(), &ModeDetector::modeDetected, nullptr, nullptr);
        rig.monitor.detector().checkMode();
        rig.transport->feedNow(QStringLiteral("MD%1\r").arg(mode).toLatin1());
        QTRY_COMPARE(int(rig.state.gMode), mode);
        QCOMPARE(rig.display.text(QStringLiteral("Text2"), 4), line4);
        QCOMPARE(rig.display.text(QStringLiteral("StatusLine")), status);
        QCOMPARE(rig.takeCommands().join(QLatin1Char('|')), sent);
    }

    // "start" rows: what starting the cycle sends and sets. The others run one pass after the start, with the
    // counter, the SIG segment and the port's input as given; the status line said mode 13 was unsupported.
    void pollCycle_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("expected");
        const auto row = [](const char* name, const char* setup, const QStringList& expected) {
            QTest::newRow(name) << QString::fromLatin1(setup) << QByteArray() << expected;
        };
        row("scan start", "0 start", {"sent=MUA|IDN|QUN|" + kRefresh + "|LTD", "btnLIGHT=LCD DIM", "delay=2"});
        row("trunk start", "9 start", {"sent=MUA|QUN|IDN|" + kRefresh + "|LTD"});
        row("ID hold start", "12 start", {"sent=MUA|QUF|IDN|" + kRefresh + "|LTD"});
        row("100 wraps to 0: MD", "0 count=100", {"count=0", "sent=MD"});
        row("0 to 1: nothing", "0 count=0", {"count=1", "sent="});
        row("4 to 5: refresh", "0 count=4", {"sent=" + kRefresh});
        row("5 to 6: nothing", "0 count=5 sig", {"sent="});
        row("9 to 10, signal shown: SMT", "0 count=9 sig", {"sent=LCD SMT"});
        row("9 to 10, no signal: nothing", "0 count=9", {"sent="});
        row("14 to 15: SMT", "0 count=14", {"sent=LCD SMT"});
        row("15 to 16: nothing", "0 count=15 sig", {"sent="});
        // The status line names the mode, but leaves the message that the mode is unsupported.
        row("unsupported 13 stays", "13", {"StatusLine=Mode #13 is unsupported at this time."});
        row("mode 1 is named", "1", {"StatusLine=Mode #1"});
        QTest::newRow("acknowledgements never reach the parser")
            << "0 Text6" << QByteArray("OK\rNG\rC001 F01542500\rOK\r")
            << QStringList{"Text6=C001 F01542500", "tbfreq=154.2500"};
    }
    void pollCycle() {
        QFETCH(QString, setup);
        QFETCH(QByteArray, input);
        QFETCH(QStringList, expected);
        Bc780Rig rig;
        rig.switches.setScanDelay(40);
        rig.display.setText(QStringLiteral("StatusLine"), QStringLiteral("Mode #13 is unsupported at this time."));
        rig.given(setup.section(QLatin1Char(' '), 0, 0));
        rig.monitor.poll().start();
        if (!setup.endsWith(QLatin1String("start"))) {
            rig.given(setup);
            rig.takeCommands();
            rig.transport->feedNow(input);
            rig.monitor.poll().runPass();
        }
        expectObserved(rig, expected);
    }

    void bcKeys_sendAndShow_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("LIGHT") << int(Button::Light) << "btnLIGHT" << QStringList{"LTN", "LTF", "LTD"}
                               << QStringList{"LCD ON", "LCD OFF", "LCD DIM"};
        QTest::newRow("SELECT") << int(Button::Select) << "tbMUTE" << QStringList{"MUN", "MUF", "MUA"}
                                << QStringList{"MUTE ON", "MUTE OFF", "MUTE AUTO"};
        // The decimal point asks for nothing after it, and DLY leaves the segment to the scanner.
        QTest::newRow("decimal") << int(Button::Decimal) << "tbDELAY" << QStringList{"KEY03", "KEY03", "KEY03"}
                                 << QStringList{"DLY", "DLY", "DLY"};
        QTest::newRow("DLY") << int(Button::Delay) << "tbDELAY" << QStringList{"KEY12", "KEY12", "KEY12"}
                             << QStringList{"DLY", "DLY", "DLY"};
    }
    void bcKeys_sendAndShow() {
        QFETCH(int, button);
        QFETCH(QString, field);
        QFETCH(QStringList, sent);
        QFETCH(QStringList, shown);
        Bc780Rig rig;
        rig.state.gMode = ModeCode::Scan;
        rig.monitor.poll().start();
        rig.takeCommands();
        QStringList got;
        for (int press = 0; press < 3; ++press) {
            rig.monitor.keys().press(Button(button));
            got << rig.display.text(field);
        }
        QCOMPARE(rig.takeCommands(), sent);
        QCOMPARE(got, shown);
    }

    void keypadPlusAndMinus_stepThroughTheChannels_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("status");
        const auto row = [](const char* name, int channel, const char* typed, int key, const char* sent,
                            const char* status) {
            QTest::newRow(name) << channel << QString::fromLatin1(typed) << key << QString::fromLatin1(sent)
                                << QString::fromLatin1(status);
        };
        row("minus from 1 to 500", 1, "", 109, "MA500|MA", "");
        row("plus from 500 to 1", 500, "", 107, "MA001|MA001|SB", "");
        row("plus goes to the typed channel", 3, "42", 107, "MA042|MA042|SB", "");
        row("typed 500", 3, "500", 107, "MA500|MA500|SB", "");
        // Four digits would reach the scanner as the last three: another channel.
        row("typed 0042 is refused", 3, "0042", 107, "",
            "There is no channel 0042: the BC780XLT has channels 1 to 500.");
        row("typed 501 is refused", 3, "501", 107, "", "There is no channel 501: the BC780XLT has channels 1 to 500.");
    }
    void keypadPlusAndMinus_stepThroughTheChannels() {
        QFETCH(int, channel);
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(QString, sent);
        QFETCH(QString, status);
        Bc780Rig rig;
        rig.state.gMode = ModeCode::Manual;
        rig.state.gChannelNum = qint16(channel);
        rig.state.gKeyEntry = typed;
        rig.monitor.keyboard().keyDown(key);
        QCOMPARE(rig.takeCommands().join(QLatin1Char('|')), sent);
        QCOMPARE(rig.display.text(QStringLiteral("StatusLine")), status);
        QVERIFY(rig.state.gKeyEntry.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestBc780)
#include "test_bc780.moc"
