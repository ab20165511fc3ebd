#include "MonitorRig.h"
#include "monitor/ReplyRules.h"

#include <QTest>

namespace {
// A channel reply: number at 2-4, eight frequency digits at 7-14, flags at 20, 23 and 29.
QString channelReply(const QString& chan, const QString& freq, char delay = 'F', char lockout = 'F', char pri = 'F') {
    return QStringLiteral("C%1  %2     %3  %4     %5")
        .arg(chan, freq, QString(QLatin1Char(delay)), QString(QLatin1Char(lockout)), QString(QLatin1Char(pri)));
}

const QString kWanted = QStringLiteral("keep");
} // namespace

class TestStatusParser : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void textRules_data();
    void textRules();

    void scanChannelReply_showsChannelBankAndFrequency_data();
    void scanChannelReply_showsChannelBankAndFrequency();
    void scanSquelch_oneChannelQueryPerTransmission_data();
    void scanSquelch_oneChannelQueryPerTransmission();
    void scanEnd_writesOneLogLineAndRestoresScanPicture_data();
    void scanEnd_writesOneLogLineAndRestoresScanPicture();
    void channelFlags_showTheirTexts_data();
    void channelFlags_showTheirTexts();
    void manualChannelReply_respectsTypedDigits_data();
    void manualChannelReply_respectsTypedDigits();

    void searchFrequency_dependsOnHold_data();
    void searchFrequency_dependsOnHold();
    void searchHold_logsStartAndEndSeconds_data();
    void searchHold_logsStartAndEndSeconds();
    void modulation_fillsOnlyAnEmptyField_data();
    void modulation_fillsOnlyAnEmptyField();

    void trunkCall_showsTalkgroupAndFrequency_data();
    void trunkCall_showsTalkgroupAndFrequency();
    void trunkReplies_endOfCallLogsAndOtherKinds_data();
    void trunkReplies_endOfCallLogsAndOtherKinds();
    void trunkHold_refreshesOnlyWhenIdBankChanges();
    void idScan_channelCallAndEnd();
    void idHold_channelReplies_data();
    void idHold_channelReplies();
    void idHold_endOfCallUnlightsBankAndLogs();
    void lcdTrunkCall_usesToneFieldAndLcdQueries();
    void lcdChannelReply_colouringAndLookup();

    void oddLines_neverCrashAndSendOnlyKnownQueries_data();
    void oddLines_neverCrashAndSendOnlyKnownQueries();
};

void TestStatusParser::textRules_data() {
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected"); // null: the rule gives no value
    const auto row = [](const char* name, const char* rule, const char* line, const char* expected) {
        QTest::newRow(name) << QString::fromLatin1(rule) << QString::fromLatin1(line) << QString::fromLatin1(expected);
    };
    row("channel, two leading zeros", "channel", "C001  00453250", "45.3250");
    row("channel, one leading zero", "channel", "C001  01542500", "154.2500");
    row("channel, no leading zero", "channel", "C001  12400000", "1240.0000");
    row("short fraction drops a zero", "short", "WI    01542500", "154.250");
    row("short fraction keeps a digit", "short", "WI    01542525", "154.2525");
    row("short fraction, line ends early", "short", "WI    015425", "154.25");
    row("search hit", "hit", "WI    01542500", "154.2500");
    row("search hit keeps whole tail", "hit", "WI    0045325012", "45.325012");
    row("search hit below 1 MHz", "hit", "WI    00002500", ".2500");
    row("search hit, all zeros", "hit", "WI    00000000", nullptr);
    row("scanned talkgroup", "scanned", "ID S 001234 0851", "1234");
    row("scanned talkgroup keeps blanks", "scanned", "ID S 12  ", "12  ");
    row("scanned talkgroup, all zeros", "scanned", "ID S 000000", nullptr);
    row("position talkgroup, two zeros", "position", "ID S 001234", "1234");
    row("position talkgroup, one zero", "position", "ID S 012345", "12345");
    row("position talkgroup, no zero", "position", "ID S 123456", "123456");
    row("position talkgroup, short line", "position", "ID S", "");
    row("id channel talkgroup", "idchannel", "IC B0300123", "123");
    row("id channel, zeros run out", "idchannel", "IC B030001234", "1234");
    row("call frequency", "call", "ID S 001234 08515625", "851.5625");
    row("call frequency, two zeros", "call", "ID S 001234 00453250", "45.3250");
    row("call frequency, all zeros", "call", "ID S 001234 00000000", nullptr);
}

void TestStatusParser::textRules() {
    QFETCH(QString, rule);
    QFETCH(QString, line);
    QFETCH(QString, expected);
    const ReplyText reply(line);
    std::optional<QString> got;
    if (rule == QLatin1String("channel"))
        got = ReplyRules::channelFrequency(reply);
    else if (rule == QLatin1String("short"))
        got = ReplyRules::shortFractionFrequency(reply);
    else if (rule == QLatin1String("hit"))
        got = ReplyRules::searchHitFrequency(reply);
    else if (rule == QLatin1String("scanned"))
        got = ReplyRules::scannedTalkgroup(reply);
    else if (rule == QLatin1String("position"))
        got = ReplyRules::positionTalkgroup(reply);
    else if (rule == QLatin1String("idchannel"))
        got = ReplyRules::idChannelTalkgroup(reply);
    else
        got = ReplyRules::callFrequency(reply, reply.length());
    QCOMPARE(got.has_value(), !expected.isNull());
    if (got)
        QCOMPARE(*got, expected);
}

void TestStatusParser::scanChannelReply_showsChannelBankAndFrequency_data() {
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("freqDigits");
    QTest::addColumn<QString>("chan");
    QTest::addColumn<int>("bank");
    QTest::addColumn<QString>("freq");
    const auto row = [](const char* name, const char* digits, const char* freqDigits, const char* chan, int bank,
                        const char* freq) {
        QTest::newRow(name) << QString::fromLatin1(digits) << QString::fromLatin1(freqDigits)
                            << QString::fromLatin1(chan) << bank << QString::fromLatin1(freq);
    };
    row("000 is channel 1000 in bank 20", "000", "01542500", "1000", 20, "154.2500");
    row("051 is in bank 2", "051", "00453250", "051", 2, "45.3250");
    row("050 is in bank 1", "050", "12400000", "050", 1, "1240.0000");
}

void TestStatusParser::scanChannelReply_showsChannelBankAndFrequency() {
    QFETCH(QString, digits);
    QFETCH(QString, freqDigits);
    QFETCH(QString, chan);
    QFETCH(int, bank);
    QFETCH(QString, freq);
    MonitorRig rig;
    rig.parse(ModeCode::Scan, channelReply(digits, freqDigits));

    QCOMPARE(rig.text(QStringLiteral("tbChan")), chan);
    QCOMPARE(rig.state.gChannelText, chan);
    QCOMPARE(rig.display.backColor(rig.boxName(bank)), MonitorRig::kFore);
    QCOMPARE(rig.display.foreColor(rig.boxName(bank)), MonitorRig::kBack);
    QCOMPARE(rig.marker(bank), QStringLiteral("n"));
    QCOMPARE(rig.text(QStringLiteral("tbfreq")), freq);
    QCOMPARE(rig.state.gFreqText, freq);
    QCOMPARE(rig.remote.sent, QStringList{freq + QLatin1Char('\r')});
    QCOMPARE(rig.takeCommands(), (QStringList{"RM", "SB"}));
    QVERIFY(rig.state.gSignalActive);
    // The aux display is closed: no channel lookup on the PRO-2052.
    QVERIFY(rig.lookups.calls.isEmpty());
}

void TestStatusParser::scanSquelch_oneChannelQueryPerTransmission_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<int>("logLines");
    const QString chan = channelReply("012", "01542500");
    QTest::newRow("plus while idle asks the channel") << QStringList{"+"} << QStringList{"MA"} << 0;
    QTest::newRow("second plus while showing sends nothing")
        << QStringList{chan, "+", "+"} << QStringList{"RM", "SB"} << 0;
    QTest::newRow("minus while idle writes nothing") << QStringList{"-", "-"} << QStringList{} << 0;
    QTest::newRow("whole stop: one query, one log line")
        << QStringList{"+", chan, "+", "-", "-", "+"} << QStringList{"MA", "RM", "SB", "MA"} << 1;
    QTest::newRow("no-change reply does nothing") << QStringList{"N"} << QStringList{} << 0;
}

void TestStatusParser::scanSquelch_oneChannelQueryPerTransmission() {
    QFETCH(QStringList, lines);
    QFETCH(QStringList, commands);
    QFETCH(int, logLines);
    MonitorRig rig;
    for (const QString& line : lines)
        rig.parse(ModeCode::Scan, line);
    QCOMPARE(rig.takeCommands(), commands);
    QCOMPARE(rig.log.lines.size(), logLines);
}

void TestStatusParser::scanEnd_writesOneLogLineAndRestoresScanPicture_data() {
    QTest::addColumn<bool>("auxOpen");
    QTest::addColumn<QString>("logLine");
    QTest::addColumn<QStringList>("lookups");
    QTest::newRow("aux open: tags from it")
        << true << "scan,012,154.2500,NFM,CITY PD,DISPATCH" << QStringList{"channel 154.2500"};
    QTest::newRow("aux closed: empty tags") << false << "scan,012,154.2500,NFM,," << QStringList{};
}

void TestStatusParser::scanEnd_writesOneLogLineAndRestoresScanPicture() {
    QFETCH(bool, auxOpen);
    QFETCH(QString, logLine);
    QFETCH(QStringList, lookups);
    MonitorRig rig;
    rig.aux.setWindowVisible(auxOpen);
    rig.aux.setText(QStringLiteral("Text2(3)"), QStringLiteral("CITY PD"));
    rig.aux.setText(QStringLiteral("Text2(4)"), QStringLiteral("DISPATCH"));

    rig.parse(ModeCode::Scan, channelReply("012", "01542500"));
    rig.parse(ModeCode::Scan, QStringLiteral("RM NFM"));
    QCOMPARE(rig.text(QStringLiteral("tbModMode")), QStringLiteral("NFM"));
    rig.parse(ModeCode::Scan, QStringLiteral("-"));

    QCOMPARE(rig.log.lines, QStringList{logLine});
    QCOMPARE(rig.lookups.calls, lookups);
    QVERIFY(!rig.state.gSignalActive);
    QCOMPARE(rig.text(QStringLiteral("tbfreq")), QStringLiteral(" SCAN  "));
    QCOMPARE(rig.text(QStringLiteral("tbChan")), QString());
    QCOMPARE(rig.text(QStringLiteral("tbModMode")), QString());
    QCOMPARE(rig.display.backColor(rig.boxName(1)), MonitorRig::kBack);
    QCOMPARE(rig.marker(1), QString());
    // The end of the stop reaches the client as a lone CR.
    QCOMPARE(rig.remote.sent, (QStringList{"154.2500\r", "\r"}));
}

void TestStatusParser::channelFlags_showTheirTexts_data() {
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("delay");
    QTest::addColumn<quint32>("delayFore");
    QTest::addColumn<QString>("lockout");
    QTest::addColumn<QString>("pri");
    const auto row = [](const char* name, quint8 model, int mode, const QString& line, const QString& delay,
                        quint32 delayFore, const char* lockout, const char* pri) {
        QTest::newRow(name) << int(model) << mode << line << delay << delayFore << QString::fromLatin1(lockout)
                            << QString::fromLatin1(pri);
    };
    const quint8 pro = ScannerModel::Pro2052;
    const quint8 lcd = ScannerModel::Bc780xlt;
    const quint32 proFore = MonitorRig::kFore;
    const QString all = channelReply("012", "01542500", 'N', 'N', 'N');
    const QString none = channelReply("012", "01542500", 'F', 'F', 'F');
    const QString odd = channelReply("012", "01542500", 'X', '?', 'n');

    row("pro scan, all on", pro, 0, all, "DELAY", proFore, "L/O", "PRI");
    row("pro scan, all off", pro, 0, none, "", proFore, "", "");
    row("pro scan, odd flags", pro, 0, odd, "ERR", proFore, "ERR", "ERR");
    row("pro scan, line without flags", pro, 0, "C012  01542500", "ERR", proFore, "ERR", "ERR");
    row("pro manual, all on", pro, 1, all, "DELAY", proFore, "L/O", "PRI");
    row("pro manual, odd flags", pro, 1, odd, "ERR", proFore, "ERR", "ERR");
    row("lcd scan, delay on lights DLY", lcd, 0, all, "DLY", Panel::kLcdLit, "L/O", "PRI");
    row("lcd scan, delay off dims and keeps text", lcd, 0, none, kWanted, Panel::kLcdUnlit, "", "");
    row("lcd manual, delay on", lcd, 1, all, "DLY", Panel::kLcdUnlit, "L/O", "PRI");
}

void TestStatusParser::channelFlags_showTheirTexts() {
    QFETCH(int, model);
    QFETCH(int, mode);
    QFETCH(QString, line);
    QFETCH(QString, delay);
    QFETCH(quint32, delayFore);
    QFETCH(QString, lockout);
    QFETCH(QString, pri);
    MonitorRig rig{quint8(model)};
    rig.display.setText(QStringLiteral("tbDELAY"), kWanted);
    rig.parse(quint8(mode), line);
    QCOMPARE(rig.text(QStringLiteral("tbDELAY")), delay);
    QCOMPARE(rig.display.foreColor(QStringLiteral("tbDELAY")), delayFore);
    QCOMPARE(rig.text(QStringLiteral("tbLOCKOUT")), lockout);
    QCOMPARE(rig.text(QStringLiteral("tbPRI")), pri);
}

void TestStatusParser::manualChannelReply_respectsTypedDigits_data() {
    QTest::addColumn<QString>("keyEntry");
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("chan");
    QTest::addColumn<QString>("freq");
    QTest::addColumn<int>("bank");
    const auto row = [](const char* name, const char* keyEntry, const char* digits, const char* chan, const char* freq,
                        int bank) {
        QTest::newRow(name) << QString::fromLatin1(keyEntry) << QString::fromLatin1(digits) << QString::fromLatin1(chan)
                            << QString::fromLatin1(freq) << bank;
    };
    row("005 shows as 5", "", "005", "5", "154.2500", 1);
    row("000 shows as 1000 in bank 20", "", "000", "1000", "154.2500", 20);
    row("120 is in bank 3", "", "120", "120", "154.2500", 3);
    // Typed digits stay on the main line; the channel fields keep the earlier channel 7.
    row("typed 15 keeps the channel", "15", "005", "7", "15", 1);
}

void TestStatusParser::manualChannelReply_respectsTypedDigits() {
    QFETCH(QString, keyEntry);
    QFETCH(QString, digits);
    QFETCH(QString, chan);
    QFETCH(QString, freq);
    QFETCH(int, bank);
    MonitorRig rig;
    rig.state.gChannelText = QStringLiteral("007");
    rig.display.setText(QStringLiteral("tbChan"), QStringLiteral("7"));
    rig.panel.showBankList(QStringLiteral("ABCDT"));
    rig.state.gKeyEntry = keyEntry;

    rig.parse(ModeCode::Manual, channelReply(digits, "01542500"));
    QCOMPARE(rig.text(QStringLiteral("tbChan")), chan);
    QCOMPARE(rig.text(QStringLiteral("tbfreq")), freq);
    QCOMPARE(rig.state.gFreqText, QStringLiteral("154.2500"));
    QCOMPARE(rig.remote.sent, QStringList{"154.2500\r"});
    QStringList boxes(20);
    boxes[bank - 1] = QString::number(bank);
    QStringList shown;
    for (int n = 1; n <= 20; ++n)
        shown.append(rig.bank(n));
    QCOMPARE(shown, boxes);
    QVERIFY(rig.takeCommands().isEmpty());
}

void TestStatusParser::searchFrequency_dependsOnHold_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("freq");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QStringList>("remote");
    QTest::newRow("search: full fraction") << 2 << "WI    01542500"
                                           << "154.2500" << QStringList{} << QStringList{};
    QTest::newRow("held: short fraction to client") << 3 << "WI    01542500"
                                                    << "154.250" << QStringList{} << QStringList{"154.250\r"};
    QTest::newRow("held: fourth digit kept") << 3 << "WI    01542525"
                                             << "154.2525" << QStringList{} << QStringList{"154.2525\r"};
    QTest::newRow("search: ten characters show nothing")
        << 2 << "WI    0154" << kWanted << QStringList{} << QStringList{};
    QTest::newRow("held: ten characters ask again")
        << 3 << "WI    0154" << kWanted << QStringList{"WI"} << QStringList{};
    QTest::newRow("held: bare W asks again") << 3 << "W" << kWanted << QStringList{"WI"} << QStringList{};
    QTest::newRow("search: only zeros") << 2 << "WI    00000000" << kWanted << QStringList{} << QStringList{};
}

void TestStatusParser::searchFrequency_dependsOnHold() {
    QFETCH(int, mode);
    QFETCH(QString, line);
    QFETCH(QString, freq);
    QFETCH(QStringList, commands);
    QFETCH(QStringList, remote);
    MonitorRig rig;
    rig.display.setText(QStringLiteral("tbfreq"), kWanted);
    rig.parse(quint8(mode), line);
    QCOMPARE(rig.text(QStringLiteral("tbfreq")), freq);
    QCOMPARE(rig.takeCommands(), commands);
    QCOMPARE(rig.remote.sent, remote);
}

void TestStatusParser::searchHold_logsStartAndEndSeconds_data() {
    QTest::addColumn<QTime>("start");
    QTest::addColumn<QTime>("end");
    QTest::addColumn<QString>("logLine");
    QTest::newRow("start rounds up") << QTime(12, 0, 0, 600) << QTime(12, 0, 10)
                                     << "search,43201,43210,154.2500,NFM,"
                                        "NORMAL";
    // The writer is the one that measures a hold across midnight.
    QTest::newRow("across midnight passes both as they are")
        << QTime(23, 59, 58) << QTime(0, 0, 3) << "search,86398,3,154.2500,NFM,NORMAL";
}

void TestStatusParser::searchHold_logsStartAndEndSeconds() {
    QFETCH(QTime, start);
    QFETCH(QTime, end);
    QFETCH(QString, logLine);
    MonitorRig rig;
    rig.display.setVisible(QStringLiteral("Text3"), true);
    rig.clock.set(QDate(2001, 2, 15), start);

    rig.parse(ModeCode::Search, QStringLiteral("+"));
    const int startSecond = rig.clock.secondsSinceMidnight();
    QCOMPARE(rig.state.gSearchHoldStart, startSecond);
    QCOMPARE(rig.text(QStringLiteral("Text3")), QString::number(startSecond));
    rig.parse(ModeCode::Search, QStringLiteral("+"));
    QCOMPARE(rig.takeCommands(), QStringList{"RM"});

    rig.parse(ModeCode::Search, QStringLiteral("RM NFM"));
    QCOMPARE(rig.takeCommands(), QStringList{"WI"});
    rig.parse(ModeCode::Search, QStringLiteral("WI    01542500"));
    rig.parse(ModeCode::Search, QStringLiteral("DSN"));
    QCOMPARE(rig.text(QStringLiteral("tbDATA")), QStringLiteral("DATA"));

    rig.clock.set(QDate(2001, 2, 16), end);
    rig.parse(ModeCode::Search, QStringLiteral("-"));
    rig.parse(ModeCode::Search, QStringLiteral("-"));
    QCOMPARE(rig.log.lines, QStringList{logLine});
    QCOMPARE(rig.state.gSearchHoldStart, 0);
    QVERIFY(!rig.state.gSignalActive);
    QCOMPARE(rig.text(QStringLiteral("tbfreq")), QStringLiteral(" SEARCH "));
    QCOMPARE(rig.text(QStringLiteral("tbSEARCH")), QStringLiteral("SEARCH"));
    QCOMPARE(rig.text(QStringLiteral("tbDATA")), QString());
}

void TestStatusParser::modulation_fillsOnlyAnEmptyField_data() {
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("clearFirst");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("mod");
    QTest::addColumn<int>("alignment");
    QTest::newRow("AM left") << "" << false << "RM AM"
                             << "AM" << int(Qt::AlignLeft);
    QTest::newRow("NFM centred") << "" << false << "RM NFM"
                                 << "NFM" << int(Qt::AlignHCenter);
    QTest::newRow("WFM right") << "" << false << "RM WFM"
                               << "WFM" << int(Qt::AlignRight);
    QTest::newRow("already showing AM") << "AM" << false << "RM NFM"
                                        << "AM" << int(Qt::AlignLeft);
    QTest::newRow("after the panel was cleared") << "AM" << true << "RM NFM"
                                                 << "NFM" << int(Qt::AlignHCenter);
    QTest::newRow("not a modulation reply") << "" << false << "RX NFM"
                                            << "" << int(Qt::AlignLeft);
}

void TestStatusParser::modulation_fillsOnlyAnEmptyField() {
    QFETCH(QString, shown);
    QFETCH(bool, clearFirst);
    QFETCH(QString, line);
    QFETCH(QString, mod);
    QFETCH(int, alignment);
    MonitorRig rig;
    rig.display.setText(QStringLiteral("tbModMode"), shown);
    rig.display.setAlignment(QStringLiteral("tbModMode"), Qt::AlignLeft);
    if (clearFirst)
        rig.panel.clearPanel();
    rig.parse(ModeCode::Scan, line);
    QCOMPARE(rig.text(QStringLiteral("tbModMode")), mod);
    QCOMPARE(int(rig.display.alignment(QStringLiteral("tbModMode"))), alignment);
}

void TestStatusParser::trunkCall_showsTalkgroupAndFrequency_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("auxOpen");
    QTest::addColumn<QString>("chan");
    QTest::addColumn<QString>("freq");
    QTest::addColumn<QStringList>("lookups");
    QTest::newRow("long line: ID in channel field") << 9 << "ID S 001234 08515625" << true << "1234"
                                                    << "851.5625" << QStringList{"talkgroup 1234"};
    QTest::newRow("short line: ID on main line") << 9 << "ID S 001234" << false << kWanted << "1234" << QStringList{};
    QTest::newRow("all-zero ID changes nothing")
        << 9 << "ID S 000000" << true << kWanted << kWanted << QStringList{"talkgroup old"};
    QTest::newRow("mode 13 reads the same way") << 13 << "ID S 000042 00453250" << false << "42"
                                                << "45.3250" << QStringList{};
}

void TestStatusParser::trunkCall_showsTalkgroupAndFrequency() {
    QFETCH(int, mode);
    QFETCH(QString, line);
    QFETCH(bool, auxOpen);
    QFETCH(QString, chan);
    QFETCH(QString, freq);
    QFETCH(QStringList, lookups);
    MonitorRig rig;
    rig.aux.setWindowVisible(auxOpen);
    rig.state.gTalkgroupId = QStringLiteral("old");
    rig.display.setText(QStringLiteral("tbChan"), kWanted);
    rig.display.setText(QStringLiteral("tbfreq"), kWanted);
    rig.display.setText(QStringLiteral("tbModMode"), QStringLiteral("NFM"));
    rig.parse(quint8(mode), line);
    QCOMPARE(rig.text(QStringLiteral("tbChan")), chan);
    QCOMPARE(rig.text(QStringLiteral("tbfreq")), freq);
    QCOMPARE(rig.lookups.calls, lookups);
    QCOMPARE(rig.text(QStringLiteral("tbModMode")), QString());
    QCOMPARE(rig.takeCommands(), (QStringList{"RM", "TB", "DL"}));
}

void TestStatusParser::trunkReplies_endOfCallLogsAndOtherKinds_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("logged");
    const auto row = [](const char* name, int mode, const char* line, const char* field, const char* text,
                        bool logged = false) {
        QTest::newRow(name) << mode << QString::fromLatin1(line) << QString::fromLatin1(field)
                            << QString::fromLatin1(text) << logged;
    };
    row("trunk: end of call", 9, "ID E", "tbfreq", "    -- --- ", true);
    row("trunk: trunk type", 9, "TB A EDACS", "tbTRUNKTYPE", "EDACS");
    row("trunk: delay on", 9, "DLN", "tbDELAY", "DELAY");
    row("trunk: data off", 9, "DSF", "tbDATA", "");
    row("trunk: ID scan list", 9, "IS AC", "tbBANKNUM(3)", "3");
    row("trunk hold: end of call", 10, "ID E", "tbfreq", "1234", true);
    row("trunk hold: other status ignored", 10, "ID X 005678", "tbfreq", "1234");
    row("trunk hold: delay off", 10, "DLF", "tbDELAY", "");
    row("id scan: delay on", 11, "DLN", "tbDELAY", "DELAY");
    row("id scan: trunk reply lights its bank", 11, "TB D MOT2", "tbBANKNUM(4)", "4");
    row("id hold: delay reply ignored", 12, "DLN", "tbDELAY", "on");
}

void TestStatusParser::trunkReplies_endOfCallLogsAndOtherKinds() {
    QFETCH(int, mode);
    QFETCH(QString, line);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, logged);
    MonitorRig rig;
    rig.aux.setWindowVisible(true);
    rig.aux.setText(QStringLiteral("Text2(3)"), QStringLiteral("CITY PD"));
    rig.aux.setText(QStringLiteral("Text2(4)"), QStringLiteral("DISPATCH"));
    rig.display.setText(QStringLiteral("tbfreq"), QStringLiteral("1234"));
    rig.display.setText(QStringLiteral("tbTRUNKTYPE"), QStringLiteral("MOT2"));
    rig.display.setText(QStringLiteral("tbModMode"), QStringLiteral("NFM"));
    rig.display.setText(QStringLiteral("tbDELAY"), QStringLiteral("on"));
    rig.display.setText(QStringLiteral("tbDATA"), QStringLiteral("on"));
    rig.parse(quint8(mode), line);
    QCOMPARE(rig.text(field), text);
    const QStringList logLines = logged ? QStringList{"trunk,1234,MOT2,NFM,CITY PD,DISPATCH"} : QStringList{};
    QCOMPARE(rig.log.lines, logLines);
}

void TestStatusParser::trunkHold_refreshesOnlyWhenIdBankChanges() {
    MonitorRig rig;
    rig.parse(ModeCode::TrunkHold, QStringLiteral("ID S 001234"));
    QCOMPARE(rig.text(QStringLiteral("tbHOLD")), QStringLiteral("HOLD"));
    QCOMPARE(rig.text(QStringLiteral("tbfreq")), QStringLiteral("1234"));
    QCOMPARE(rig.state.gTalkgroupId, QStringLiteral("1234"));
    QCOMPARE(rig.state.gIdBankLetter, QStringLiteral("S"));
    QCOMPARE(rig.takeCommands(), (QStringList{"RM", "TB", "DL"}));

    // Same letter: no refresh, so a field the refresh would rewrite keeps its text.
    rig.display.setText(QStringLiteral("tbHOLD"), kWanted);
    rig.parse(ModeCode::TrunkHold, QStringLiteral("ID S 012345"));
    QCOMPARE(rig.text(QStringLiteral("tbHOLD")), kWanted);
    QCOMPARE(rig.text(QStringLiteral("tbfreq")), QStringLiteral("12345"));

    // Typed digits stay on the main line.
    rig.state.gKeyEntry = QStringLiteral("42");
    rig.display.setText(QStringLiteral("tbfreq"), QStringLiteral("42"));
    rig.parse(ModeCode::TrunkHold, QStringLiteral("ID S 005678"));
    QCOMPARE(rig.text(QStringLiteral("tbfreq")), QStringLiteral("42"));
    QCOMPARE(rig.state.gTalkgroupId, QStringLiteral("5678"));
}

void TestStatusParser::idScan_channelCallAndEnd() {
    MonitorRig rig;
    rig.aux.setWindowVisible(true);
    rig.parse(ModeCode::IdScan, QStringLiteral("IC C05"));
    QCOMPARE(rig.state.gIdBank, qint16(3));
    QCOMPARE(rig.display.backColor(rig.boxName(3)), MonitorRig::kFore);
    QCOMPARE(rig.text(QStringLiteral("tbChan")), QStringLiteral("05"));

    rig.parse(ModeCode::IdScan, QStringLiteral("ID S 001234"));
    QCOMPARE(rig.takeCommands(), (QStringList{"IC", "RM", "TB", "DL", "IS"}));
    QCOMPARE(rig.text(QStringLiteral("tbfreq")), QStringLiteral("1234"));
    QCOMPARE(rig.text(QStringLiteral("tbBank")), QStringLiteral("LIST"));
    QCOMPARE(rig.lookups.calls, QStringList{"talkgroup 1234"});

    rig.parse(ModeCode::IdScan, QStringLiteral("IC C05"));
    rig.parse(ModeCode::IdScan, QStringLiteral("ID E"));
    QCOMPARE(rig.log.lines, QStringList{"trunk,1234, TRUNK ,,,"});
    QCOMPARE(rig.takeCommands(), QStringList{"IS"});
    QCOMPARE(rig.text(QStringLiteral("tbfreq")), QStringLiteral("Id SCAN"));
    QCOMPARE(rig.display.backColor(rig.boxName(3)), MonitorRig::kBack);
}

void TestStatusParser::idHold_channelReplies_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("chan");
    QTest::addColumn<QString>("talkgroup");
    QTest::addColumn<int>("bank");
    const auto row = [](const char* name, const char* line, const char* chan, const char* talkgroup, int bank) {
        QTest::newRow(name) << QString::fromLatin1(line) << QString::fromLatin1(chan) << QString::fromLatin1(talkgroup)
                            << bank;
    };
    row("lone 0 is channel 10", "IC A0", "10", "", 1);
    row("channel and talkgroup", "IC B0300123", "03", "123", 2);
    row("bank T", "IC T100001234", "10", "1234", 20);
}

void TestStatusParser::idHold_channelReplies() {
    QFETCH(QString, line);
    QFETCH(QString, chan);
    QFETCH(QString, talkgroup);
    QFETCH(int, bank);
    MonitorRig rig;
    rig.parse(ModeCode::IdHold, line);
    QCOMPARE(rig.text(QStringLiteral("tbChan")), chan);
    QCOMPARE(rig.state.gTalkgroupId, talkgroup);
    QCOMPARE(rig.text(QStringLiteral("tbfreq")), talkgroup);
    QCOMPARE(rig.state.gIdBank, qint16(bank));
    QCOMPARE(rig.marker(bank), QStringLiteral("n"));
    QCOMPARE(rig.takeCommands(), QStringList{"IS"});
}

void TestStatusParser::idHold_endOfCallUnlightsBankAndLogs() {
    MonitorRig rig;
    rig.parse(ModeCode::IdHold, QStringLiteral("IC B0300123"));
    rig.takeCommands();
    rig.parse(ModeCode::IdHold, QStringLiteral("ID E"));
    QCOMPARE(rig.marker(2), QString());
    QCOMPARE(rig.display.backColor(rig.boxName(2)), MonitorRig::kBack);
    QCOMPARE(rig.log.lines, QStringList{"trunk,123,,,,"});

    rig.parse(ModeCode::IdHold, QStringLiteral("ID S 004321"));
    QCOMPARE(rig.takeCommands(), (QStringList{"RM", "TB", "IS"}));
    QCOMPARE(rig.text(QStringLiteral("tbfreq")), QStringLiteral("4321"));
    QCOMPARE(rig.text(QStringLiteral("tbHOLD")), QStringLiteral("HOLD"));
}

void TestStatusParser::lcdTrunkCall_usesToneFieldAndLcdQueries() {
    MonitorRig rig(ScannerModel::Bc780xlt);
    rig.display.setText(QStringLiteral("Text2(3)"), QStringLiteral("FIRE"));
    rig.display.setText(QStringLiteral("Text2(4)"), QStringLiteral("DISPATCH"));
    rig.display.setText(QStringLiteral("tbTRUNKTYPE"), QStringLiteral("MOT2"));
    rig.parse(ModeCode::Trunk, QStringLiteral("ID S 001234 08515625"));
    QCOMPARE(rig.text(QStringLiteral("tbTONES")), QStringLiteral("1234"));
    QCOMPARE(rig.text(QStringLiteral("tbfreq")), QStringLiteral("851.5625"));
    QCOMPARE(rig.display.foreColor(QStringLiteral("tbfreq")), Panel::kLcdLit);
    QCOMPARE(rig.text(QStringLiteral("Text2(4)")), QString());
    // The LCD has no aux window: the talkgroup is always looked up.
    QCOMPARE(rig.lookups.calls, QStringList{"talkgroup 1234"});
    QCOMPARE(rig.takeCommands(), (QStringList{"LCD SMT", "LCD BAR", "RM", "TB", "DL"}));

    rig.display.setText(QStringLiteral("Text2(3)"), QStringLiteral("FIRE"));
    rig.display.setText(QStringLiteral("Text2(4)"), QStringLiteral("DISPATCH"));
    rig.parse(ModeCode::Trunk, QStringLiteral("ID E"));
    QCOMPARE(rig.log.lines, QStringList{"trunk,851.5625,MOT2,,FIRE,DISPATCH"});
    QCOMPARE(rig.text(QStringLiteral("tbTONES")), QStringLiteral("----- -"));
    QCOMPARE(rig.display.foreColor(QStringLiteral("tbfreq")), Panel::kLcdUnlit);
    QCOMPARE(rig.takeCommands(), (QStringList{"LCD SMT", "LCD BAR"}));

    // Held, every reply first refreshes the signal bars.
    rig.parse(ModeCode::TrunkHold, QStringLiteral("DLN"));
    QCOMPARE(rig.text(QStringLiteral("tbDELAY")), QStringLiteral("DLY"));
    QCOMPARE(rig.takeCommands(), QStringList{"LCD BAR"});
}

void TestStatusParser::lcdChannelReply_colouringAndLookup() {
    MonitorRig rig(ScannerModel::Bc780xlt);
    rig.display.setForeColor(QStringLiteral("tbfreq"), Panel::kLcdUnlit);
    rig.parse(ModeCode::Scan, channelReply("012", "01542500"));
    QCOMPARE(rig.display.foreColor(QStringLiteral("tbfreq")), Panel::kLcdLit);
    QCOMPARE(rig.text(QStringLiteral("tbfreq")), QStringLiteral("154.2500"));
    QCOMPARE(rig.display.foreColor(rig.boxName(1)), Panel::kLcdBack);
    QCOMPARE(rig.display.backColor(rig.boxName(1)), Panel::kLcdLit);
    QCOMPARE(rig.lookups.calls, QStringList{"channel 154.2500"});
}

void TestStatusParser::oddLines_neverCrashAndSendOnlyKnownQueries_data() {
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("services");
    QTest::newRow("pro with services") << int(ScannerModel::Pro2052) << true;
    QTest::newRow("pro without services") << int(ScannerModel::Pro2052) << false;
    QTest::newRow("lcd with services") << int(ScannerModel::Bc780xlt) << true;
    QTest::newRow("lcd without services") << int(ScannerModel::Bc780xlt) << false;
}

void TestStatusParser::oddLines_neverCrashAndSendOnlyKnownQueries() {
    QFETCH(int, model);
    QFETCH(bool, services);
    const QStringList lines = {
        "",
        "C",
        "C0",
        "C000",
        "+",
        "-",
        "ID",
        "IDE",
        "ID E",
        "ID S",
        "IC",
        "ICA",
        "IC@",
        "IC\x01",
        "IS",
        "TB",
        "TB",
        "TBZ",
        "TB\x7f 1",
        "W",
        "W123",
        "WI    ",
        "RM",
        "R",
        "D",
        "DL",
        "DS",
        "SB",
        "S",
        "SB\xff\xfe",
        "N",
        "ZZZZ",
        QString(300, QLatin1Char('9')),
        QString(40, QLatin1Char('0')),
        "C@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@",
        QStringLiteral("ID\u00ff\u4e2d"),
        QStringLiteral("IC \u0000\u0000"),
        "ID S 00000000000000000000000000",
        "W     99999999999999",
        "C999  99999999     N  N     N",
    };
    const QStringList known = {"MA", "RM", "SB", "WI", "TB", "DL", "IS", "IC", "LCD SMT", "LCD BAR"};
    const QList<int> modes = {0, 1, 2, 3, 4, 5, 8, 9, 10, 11, 12, 13, 15, 16, 21, 157, 255};

    MonitorRig rig{quint8(model)};
    rig.aux.setWindowVisible(true);
    if (!services) {
        rig.ctx.lookups = nullptr;
        rig.ctx.log = nullptr;
        rig.ctx.remote = nullptr;
    }
    // The parser never touches the memory jobs' loop indices.
    rig.state.gBankIdx = 7;
    rig.state.gChanIdx = 37;
    for (int mode : modes) {
        for (const QString& line : lines) {
            rig.state.gSignalActive = (line.size() % 2) == 0;
            rig.parse(quint8(mode), line);
            for (const QString& command : rig.takeCommands())
                QVERIFY2(known.contains(command),
                         qPrintable(QStringLiteral("mode %1, line '%2' sent '%3'").arg(mode).arg(line, command)));
            QCOMPARE(rig.state.gChanIdx, qint16(37));
            QCOMPARE(rig.state.gBankIdx, qint16(7));
        }
    }
}

QTEST_GUILESS_MAIN(TestStatusParser)
#include "test_statusparser.moc"
