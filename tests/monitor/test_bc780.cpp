// The BC780XLT monitor: LCD replies, its mode table, its poll cycle and its own keys.
#include "MonitorRig.h"
#include "monitor/Bc780LcdParser.h"
#include "monitor/KeyHandlers.h"
#include "monitor/Keyboard.h"
#include "monitor/ModeDetector.h"
#include "monitor/Monitor.h"
#include "monitor/PollCycle.h"
#include "protocol/Commands.h"

#include <QTest>

namespace {
using Button = KeyHandlers::Button;

struct Bc780Rig : MonitorContextRig {
    Bc780Rig()
        : MonitorContextRig(ScannerModel::Bc780xlt) {}
    Monitor monitor{ctx};

    // Lit segments read "#", dark ones ".", a lit "w" marker "w".
    QString look(const QString& array, int count) const {
        QString out;
        for (int i = 1; i <= count; ++i) {
            const QString name = DisplayModel::element(array, i);
            const bool lit = display.foreColor(name) == Panel::kLcdLit;
            out += !lit                                       ? QLatin1Char('.')
                   : display.text(name) == QLatin1String("w") ? QLatin1Char('w')
                                                              : QLatin1Char('#');
        }
        return out;
    }
    QString observe(const QString& key) {
        const QString field = key.section(QLatin1Char(':'), 1);
        if (key == QLatin1String("sent"))
            return takeCommands().join(QLatin1Char('|'));
        if (key == QLatin1String("log"))
            return log.lines.join(QLatin1Char('|'));
        if (key == QLatin1String("mode"))
            return QString::number(state.gMode);
        if (key == QLatin1String("markers"))
            return look(QStringLiteral("tbACTIVEBANK"), 30);
        if (key == QLatin1String("bars"))
            return look(QStringLiteral("SigStrength"), 6);
        if (key.startsWith(QLatin1String("lit:")))
            return display.foreColor(field) == Panel::kLcdLit ? QStringLiteral("lit") : QStringLiteral("dark");
        return display.text(key);
    }
};
} // namespace

class TestBc780 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Lines are fed to ParseLcdReply one after another in a mode; the last is the one that counts.
    void lcdReply_showsWhatTheScannerSays_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("observe");
        QTest::addColumn<QString>("expected");
        const QString bar = QStringLiteral("BAR +*-") + QString(27, QLatin1Char('-'));
        QTest::newRow("BAR: + and * lit, the rest dark")
            << 0 << QStringList{QStringLiteral("BAR ") + QString(30, QLatin1Char('+')), bar} << "markers"
            << QStringLiteral("#w") + QString(28, QLatin1Char('.'));
        QTest::newRow("SMT lights four bars") << 0 << QStringList{"S -", "SMT ++++--"} << "bars"
                                              << "####..";
        QTest::newRow("LINE1 goes to line 3") << 0 << QStringList{"LINE1 [CITY PD]"} << "Text2(3)"
                                              << "CITY PD";
        QTest::newRow("LINE1 leaves the LINE segment") << 0 << QStringList{"LINE +", "LINE1 [CITY PD]"} << "lit:tbLINE"
                                                       << "lit";
        QTest::newRow("CTCSS + asks the tone") << 0 << QStringList{"CTCSS +"} << "sent"
                                               << "LCD CTC";
        QTest::newRow("CTC shows the tone") << 0 << QStringList{"CTCSS +", "CTC [127.3]"} << "tbTONES"
                                            << "127.3";
        QTest::newRow("scan channel 154.2500") << 0 << QStringList{"C001 F01542500"} << "tbfreq"
                                               << "154.2500";
        QTest::newRow("scan channel 46.2625") << 0 << QStringList{"C001 F00462625"} << "tbfreq"
                                              << "46.2625";
        QTest::newRow("scan channel 851.5000 in bank 2")
            << 0 << QStringList{"C051 F08515000 TF DF LF AN PF"} << "tbfreq"
            << "851.5000";
        QTest::newRow("channel flags light DLY and LINE")
            << 0 << QStringList{"C005 F04601250 TF DN LF AN PF"} << "lit:tbDELAY"
            << "lit";
        QTest::newRow("a stop asks for the tags, modulation and banks") << 0 << QStringList{"C005 F04601250"} << "sent"
                                                                        << "LCD LINE1|LCD LINE2|RM|SB";
        // CHN, CHAN, CTC and CTCSS begin with "C" too; read as a channel they would show garbage.
        QTest::newRow("CHN is no channel reply") << 0 << QStringList{"C001 F01542500", "CHN [005]"} << "tbfreq"
                                                 << "154.2500";
        QTest::newRow("CHN shows the channel") << 0 << QStringList{"CHN [005]"} << "tbChan"
                                               << "005";
        QTest::newRow("search hit 154.250") << 2 << QStringList{"WI F  01542500"} << "tbfreq"
                                            << "154.250";
        QTest::newRow("search hit 154.2525") << 2 << QStringList{"WI F  01542525"} << "tbfreq"
                                             << "154.2525";
        QTest::newRow("ID 001234 is talkgroup 1234") << 9 << QStringList{"ID S 001234 08515000"} << "tbTONES"
                                                     << "1234";
        QTest::newRow("ID frequency 851.5000") << 9 << QStringList{"ID S 001234 08515000"} << "tbfreq"
                                               << "851.5000";
        QTest::newRow("MD09 in scan mode") << 0 << QStringList{"MD09"} << "mode"
                                           << "9";
        QTest::newRow("MD09 clears the panel") << 0 << QStringList{"SCAN +", "MD09"} << "lit:tbSCAN"
                                               << "dark";
        QTest::newRow("LTF turns the caption") << 0 << QStringList{"LTF"} << "btnLIGHT"
                                               << "LCD OFF";
        QTest::newRow("TRUNK + asks the type") << 9 << QStringList{"TRUNK +"} << "sent"
                                               << "LCD E|LCD L|LCD M";
        QTest::newRow("L + is an LTR system") << 9 << QStringList{"L +"} << "tbTRUNKTYPE"
                                              << "L   TRUNK";
        // The end of a call clears the panel first; the log still gets what was shown.
        QTest::newRow("a call's end logs the call")
            << 9 << QStringList{"ID S 001234 08515000", "LINE1 [FIRE]", "LINE2 [DISPATCH]", "ID E 001234 08515000"}
            << "log"
            << "trunk,851.5000,,,FIRE,DISPATCH";
        // The bank-marker and tag replies would otherwise ask for themselves for ever.
        QTest::newRow("BAR in trunk hold asks nothing") << 10 << QStringList{"BAR ---"} << "sent"
                                                        << "";
        QTest::newRow("ID S in trunk hold asks the marker") << 10 << QStringList{"ID S 001234"} << "sent"
                                                            << "LCD BAR|LCD LINE1|LCD LINE2|RM|TB";
    }
    void lcdReply_showsWhatTheScannerSays() {
        QFETCH(int, mode);
        QFETCH(QStringList, lines);
        QFETCH(QString, observe);
        QFETCH(QString, expected);
        Bc780Rig rig;
        for (const QString& line : lines) {
            rig.takeCommands();
            rig.state.gMode = quint8(mode);
            rig.state.gReply = line;
            rig.monitor.parser().parseReply();
        }
        QCOMPARE(rig.observe(observe), expected);
    }

    void scannerTags_inManualMode_askForTagsButNotAfterATag() {
        Bc780Rig rig;
        rig.switches.setUseScannerTags(true);
        rig.state.gMode = ModeCode::Manual;
        for (const char* line : {"RM NFM", "LINE1 [CITY PD]"}) {
            rig.state.gReply = QLatin1String(line);
            rig.monitor.parser().parseReply();
        }
        QCOMPARE(rig.takeCommands(), QStringList({"LCD LINE1", "LCD LINE2"}));
    }

    void newMode_laysOutTheLcd_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("line4");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("sent");
        QTest::newRow("ID hold") << 12 << ">ID HOLD"
                                 << ""
                                 << "MD|SB|IC";
        QTest::newRow("trunk hold") << 10 << "> ID HOLD"
                                    << ""
                                    << "MD|SB|TB";
        QTest::newRow("ID scan") << 11 << "> ID SCAN"
                                 << ""
                                 << "MD|SB";
        QTest::newRow("unsupported") << 13 << ""
                                     << "Mode #13 is unsupported at this time."
                                     << "MD|SB";
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

    void cycle_dropsAcknowledgements_andStartsDimmed() {
        Bc780Rig rig;
        rig.state.gMode = ModeCode::Scan;
        rig.monitor.poll().start();
        const QStringList sent = rig.takeCommands();
        QCOMPARE(sent.mid(0, 3), QStringList({"MUA", "IDN", "QUN"}));
        QCOMPARE(sent.mid(3, 23), Commands::lcdRefreshQueries());
        QCOMPARE(sent.mid(26), QStringList({"LTD"}));
        QCOMPARE(rig.display.text(QStringLiteral("btnLIGHT")), QStringLiteral("LCD DIM"));
        rig.transport->feedNow("OK\rNG\rC001 F01542500\r");
        rig.monitor.poll().runPass();
        QCOMPARE(rig.display.text(QStringLiteral("tbfreq")), QStringLiteral("154.2500"));
    }

    // The cycle names the mode in the status line, but leaves the message that the mode is unsupported.
    void statusLine_namesTheMode_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("status");
        QTest::newRow("unsupported 13 stays") << 13 << "Mode #13 is unsupported at this time.";
        QTest::newRow("mode 1 is named") << 1 << "Mode #1";
    }
    void statusLine_namesTheMode() {
        QFETCH(int, mode);
        QFETCH(QString, status);
        Bc780Rig rig;
        rig.display.setText(QStringLiteral("StatusLine"), ModeDetector::unsupportedText(13));
        rig.state.gMode = quint8(mode);
        rig.monitor.poll().start();
        rig.monitor.poll().runPass();
        QCOMPARE(rig.display.text(QStringLiteral("StatusLine")), status);
    }

    // From a fresh cycle (count 1) the passes up to count 15 of the next round.
    void pollCounter_rereadsModeAndDisplay_data() {
        QTest::addColumn<bool>("signal");
        QTest::addColumn<QString>("sent");
        const QString refresh = Commands::lcdRefreshQueries().join(QLatin1Char('|'));
        QTest::newRow("no signal") << false << "LCD SMT|MD|" + refresh + "|LCD SMT";
        QTest::newRow("signal shown") << true << "LCD SMT|LCD SMT|MD|" + refresh + "|LCD SMT|LCD SMT";
    }
    void pollCounter_rereadsModeAndDisplay() {
        QFETCH(bool, signal);
        QFETCH(QString, sent);
        Bc780Rig rig;
        rig.state.gMode = ModeCode::Scan;
        rig.monitor.poll().start();
        rig.display.setForeColor(QStringLiteral("tbSIG"), signal ? Panel::kLcdLit : Panel::kLcdUnlit);
        rig.takeCommands();
        // Passes to count 100, then 0 and on to 15; the refresh at 5 of the first round is dropped.
        for (int pass = 0; pass < 5; ++pass)
            rig.monitor.poll().runPass();
        rig.takeCommands();
        for (int pass = 5; pass < 115; ++pass)
            rig.monitor.poll().runPass();
        QCOMPARE(int(rig.state.gPollCount), 15);
        QCOMPARE(rig.takeCommands().join(QLatin1Char('|')), sent);
    }

    void bcKeys_cycleLightAndMute_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("LIGHT") << int(Button::Light) << QStringList{"LTN", "LTF", "LTD"}
                               << QStringList{"LCD ON", "LCD OFF", "LCD DIM"};
        QTest::newRow("SELECT") << int(Button::Select) << QStringList{"MUN", "MUF", "MUA"}
                                << QStringList{"MUTE ON", "MUTE OFF", "MUTE AUTO"};
    }
    void bcKeys_cycleLightAndMute() {
        QFETCH(int, button);
        QFETCH(QStringList, sent);
        QFETCH(QStringList, captions);
        Bc780Rig rig;
        rig.state.gMode = ModeCode::Scan;
        rig.monitor.poll().start();
        rig.takeCommands();
        const QString field = button == int(Button::Light) ? QStringLiteral("btnLIGHT") : QStringLiteral("tbMUTE");
        QStringList shown;
        for (int press = 0; press < 3; ++press) {
            rig.monitor.keys().press(Button(button));
            shown << rig.display.text(field);
        }
        QCOMPARE(rig.takeCommands(), sent);
        QCOMPARE(shown, captions);
    }

    void keypadPlusAndMinus_stepThrough500Channels_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("sent");
        QTest::newRow("minus from 1 to 500") << 1 << "" << 109 << "MA500|MA";
        QTest::newRow("plus from 500 to 1") << 500 << "" << 107 << "MA001|MA001|SB";
        QTest::newRow("plus goes to the typed channel") << 3 << "42" << 107 << "MA042|MA042|SB";
    }
    void keypadPlusAndMinus_stepThrough500Channels() {
        QFETCH(int, channel);
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(QString, sent);
        Bc780Rig rig;
        rig.state.gMode = ModeCode::Manual;
        rig.state.gChannelNum = qint16(channel);
        rig.state.gKeyEntry = typed;
        rig.monitor.keyboard().keyDown(key);
        QCOMPARE(rig.takeCommands().join(QLatin1Char('|')), sent);
        QVERIFY(rig.state.gKeyEntry.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestBc780)
#include "test_bc780.moc"
