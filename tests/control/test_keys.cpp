#include "ControlRig.h"
#include "monitor/FaceplateActions.h"
#include "monitor/KeyHandlers.h"
#include "monitor/Keyboard.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using Button = KeyHandlers::Button;
Q_DECLARE_METATYPE(KeyHandlers::Button)

class TestKeys : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void button_sendsItsCodeWithItsRules_data();
    void button_sendsItsCodeWithItsRules();
    void digitsInManual_showEntryAndAskChannel();
    void digitsInSearch_showEntryAndSendNothingElse();
    void refreshAfterKey_asksWhatTheModeShows_data();
    void refreshAfterKey_asksWhatTheModeShows();
    void mute_cyclesAutoOnOff_data();
    void mute_cyclesAutoOnOff();
    void delayAndShift_toggleTheirIndicators();
    void keyDown_table_data();
    void keyDown_table();
    void keyPress_table_data();
    void keyPress_table();
    void qtKeyEvent_sendsWhatTheFaceplateKeyboardSends_data();
    void qtKeyEvent_sendsWhatTheFaceplateKeyboardSends();
    void clearMemory_okSendsAcCancelNothing_data();
    void clearMemory_okSendsAcCancelNothing();
    void showFreqAndTalkgroup_togglesAndSends();
    void auxDisplay_secondOpenSaysAlreadyOpen();
    void searchEntry_handsScannerToRangeSearch();
    void modeEntries_sendKeyAndDetect();
};

void TestKeys::button_sendsItsCodeWithItsRules_data() {
    QTest::addColumn<Button>("button");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("drained"); // stale replies gone before the key went out

    // Scan mode, entry "12", a stale reply waiting.
    QTest::newRow("SCAN") << Button::Scan << QStringList{"KEY00", "MD"} << "" << true;
    QTest::newRow("MAN") << Button::Manual << QStringList{"KEY01", "MD"} << "" << false;
    QTest::newRow("7") << Button::Num7 << QStringList{"KEY02 7", "SB"} << "127" << false;
    QTest::newRow("DEC") << Button::Decimal << QStringList{"KEY03", "SB"} << "12" << false;
    QTest::newRow("E") << Button::Enter << QStringList{"KEY04"} << "" << false;
    QTest::newRow("SPD") << Button::Speed << QStringList{"KEY05"} << "12" << true;
    QTest::newRow("SKIP keeps the entry") << Button::Skip << QStringList{"KEY06"} << "12" << true;
    QTest::newRow("HOLD") << Button::Hold << QStringList{"KEY07", "SB", "MD"} << "" << false;
    QTest::newRow("LIMIT") << Button::Limit << QStringList{"KEY08", "SB", "MD"} << "" << false;
    QTest::newRow("SRCH") << Button::Search << QStringList{"KEY09", "MD"} << "12" << true;
    QTest::newRow("SVC") << Button::Service << QStringList{"KEY10", "MD"} << "12" << true;
    QTest::newRow("DATA") << Button::Data << QStringList{"KEY11"} << "" << false;
    QTest::newRow("DLY") << Button::Delay << QStringList{"KEY12"} << "" << false;
    QTest::newRow("TRUNK") << Button::Trunk << QStringList{"KEY13", "MD"} << "12" << true;
    QTest::newRow("SHFT") << Button::Shift << QStringList{"KEY14"} << "12" << false;
}

void TestKeys::button_sendsItsCodeWithItsRules() {
    QFETCH(Button, button);
    QFETCH(QStringList, commands);
    QFETCH(QString, entry);
    QFETCH(bool, drained);

    ControlRig rig;
    rig.state.gMode = ModeCode::Scan;
    rig.state.gKeyEntry = QStringLiteral("12");
    rig.state.gRxBuffer = QStringLiteral("SBABC\r");
    bool emptyWhenSent = false;
    QObject::connect(&rig.link, &SerialLink::commandWritten, [&](const QString& command) {
        if (command == commands.constFirst())
            emptyWhenSent = rig.state.gRxBuffer.isEmpty();
    });
    rig.monitor.keys().press(button);
    QCOMPARE(rig.takeCommands(), commands);
    QCOMPARE(rig.state.gKeyEntry, entry);
    QCOMPARE(emptyWhenSent, drained);
}

void TestKeys::digitsInManual_showEntryAndAskChannel() {
    ControlRig rig;
    rig.state.gMode = ModeCode::Manual;
    QStringList shown;
    for (int digit : {1, 2, 3}) {
        rig.monitor.keys().pressDigit(digit);
        shown.append(rig.display.text("tbfreq"));
    }
    QCOMPARE(shown, (QStringList{"1", "12", "123"}));
    QCOMPARE(rig.takeCommands(), (QStringList{"KEY02 1", "MA", "KEY02 2", "MA", "KEY02 3", "MA"}));
    QCOMPARE(rig.state.gKeyEntry, QStringLiteral("123"));
}

void TestKeys::digitsInSearch_showEntryAndSendNothingElse() {
    ControlRig rig;
    rig.state.gMode = ModeCode::Search;
    rig.monitor.keys().pressDigit(4);
    QCOMPARE(rig.display.text("tbfreq"), QStringLiteral("4"));
    rig.monitor.keys().press(Button::Enter);
    rig.monitor.keys().refreshAfterKey();
    QCOMPARE(rig.display.text("tbfreq"), QStringLiteral(" SEARCH "));
    QCOMPARE(rig.takeCommands(), (QStringList{"KEY02 4", "KEY04"}));
}

void TestKeys::refreshAfterKey_asksWhatTheModeShows_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("model");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QString>("freq");

    const int pro = ScannerModel::Pro2052;
    const int bc = ScannerModel::Bc780xlt;
    QTest::newRow("pick trunk") << 8 << pro << QStringList{"KEY02 5", "IDN", "IS"} << "x";
    QTest::newRow("trunk") << 9 << pro << QStringList{"KEY02 5", "IDN"} << "x";
    QTest::newRow("id scan") << 11 << pro << QStringList{"KEY02 5", "IDN", "IS"} << "x";
    QTest::newRow("id scan, other model") << 11 << bc << QStringList{"KEY02 5", "IDN"} << "x";
    QTest::newRow("id hold: digit joins the display") << 12 << pro << QStringList{"KEY02 5", "IC", "IDN"} << "x5";
    QTest::newRow("id hold, other model") << 12 << bc << QStringList{"KEY02 5", "IC", "IDN"} << "x";
    QTest::newRow("manual, other model: nothing") << 1 << bc << QStringList{"KEY02 5"} << "x";
}

void TestKeys::refreshAfterKey_asksWhatTheModeShows() {
    QFETCH(int, mode);
    QFETCH(int, model);
    QFETCH(QStringList, commands);
    QFETCH(QString, freq);

    ControlRig rig;
    rig.state.gMode = quint8(mode);
    rig.state.gScannerModel = quint8(model);
    rig.display.setText("tbfreq", QStringLiteral("x"));
    rig.monitor.keys().pressDigit(5);
    QCOMPARE(rig.takeCommands(), commands);
    QCOMPARE(rig.display.text("tbfreq"), freq);
    QCOMPARE(rig.state.gKeyEntry, QStringLiteral("5"));
}

void TestKeys::mute_cyclesAutoOnOff_data() {
    QTest::addColumn<int>("before");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("after");

    QTest::newRow("auto to on") << 1 << "MUN"
                                << "MUTE ON" << 2;
    QTest::newRow("on to off") << 2 << "MUF"
                               << "MUTE OFF" << 0;
    QTest::newRow("off to auto") << 0 << "MUA"
                                 << "MUTE AUTO" << 1;
    QTest::newRow("unknown to auto") << 7 << "MUA"
                                     << "MUTE AUTO" << 1;
}

void TestKeys::mute_cyclesAutoOnOff() {
    QFETCH(int, before);
    QFETCH(QString, command);
    QFETCH(QString, text);
    QFETCH(int, after);

    ControlRig rig;
    rig.state.gMuteState = quint8(before);
    rig.monitor.keys().press(Button::Mute);
    QCOMPARE(rig.takeCommands(), QStringList{command});
    QCOMPARE(rig.display.text("tbMUTE"), text);
    QCOMPARE(int(rig.state.gMuteState), after);
}

void TestKeys::delayAndShift_toggleTheirIndicators() {
    ControlRig rig;
    KeyHandlers& keys = rig.monitor.keys();
    QStringList delay;
    QStringList shift;
    for (int i = 0; i < 2; ++i) {
        keys.press(Button::Delay);
        delay.append(rig.display.text("tbDELAY"));
        keys.press(Button::Shift);
        shift.append(rig.display.text("tbSHIFT") + (rig.state.gShift ? "+" : "-"));
    }
    QCOMPARE(delay, (QStringList{"DELAY", ""}));
    QCOMPARE(shift, (QStringList{"SHIFT+", "-"}));
    QCOMPARE(rig.takeCommands(), (QStringList{"KEY12", "KEY14", "KEY12", "KEY14"}));
}

namespace {
void keyboardColumns() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("channel");
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<bool>("detects");
}

struct KeyboardRow {
    int code;
    int mode;
    int channel;
    bool portOpen;
    QStringList commands;
    bool detects;
};

void runKeyboardRow(bool down) {
    QFETCH(int, code);
    QFETCH(int, mode);
    QFETCH(int, channel);
    QFETCH(bool, portOpen);
    QFETCH(QStringList, commands);
    QFETCH(bool, detects);

    ControlRig rig;
    rig.state.gMode = quint8(mode);
    rig.state.gChannelNum = qint16(channel);
    rig.state.gKeyEntry = QStringLiteral("9");
    rig.aux.setText("Text2", 4, QStringLiteral("tag"));
    if (!portOpen)
        rig.port->close();
    if (down)
        rig.monitor.keyboard().keyDown(code);
    else
        rig.monitor.keyboard().keyPress(code);
    QCOMPARE(rig.takeCommands(), commands);
    QCOMPARE(rig.monitor.detector().isRunning(), detects);
    QCOMPARE(rig.aux.text("Text2", 4), down ? QString() : QStringLiteral("tag"));
    if (!down)
        QVERIFY(rig.state.gKeyEntry.startsWith(QLatin1Char('9')));
}
} // namespace

void TestKeys::keyDown_table_data() {
    keyboardColumns();
    const QStringList none;
    QTest::newRow("keypad 5") << 101 << 0 << 0 << true << QStringList{"KEY02 5", "SB"} << false;
    QTest::newRow("Enter") << 13 << 0 << 0 << true << QStringList{"KEY04", "SB"} << false;
    QTest::newRow("keypad * in manual") << 106 << 1 << 0 << true << QStringList{"KEY00", "MA", "MD"} << true;
    QTest::newRow("keypad * in scan") << 106 << 0 << 0 << true << QStringList{"KEY00", "MA"} << false;
    QTest::newRow("keypad + in scan") << 107 << 0 << 0 << true << QStringList{"KEY01", "MA", "MD"} << true;
    QTest::newRow("keypad - at 120") << 109 << 1 << 120 << true
                                     << QStringList{"KEY02 1", "KEY02 1", "KEY02 9", "KEY01", "MA"} << false;
    QTest::newRow("keypad - at 1 wraps to 1000")
        << 109 << 1 << 1 << true << QStringList{"KEY02 1", "KEY02 0", "KEY02 0", "KEY02 0", "KEY01", "MA"} << false;
    QTest::newRow("keypad - outside manual") << 109 << 0 << 120 << true << QStringList{"KEY01", "MA", "MD"} << true;
    QTest::newRow("keypad - outside manual, port closed") << 109 << 0 << 120 << false << none << true;
    QTest::newRow("keypad .") << 110 << 0 << 0 << true << QStringList{"KEY03"} << false;
    QTest::newRow("keypad /") << 111 << 0 << 0 << true << QStringList{"KEY13", "MD"} << true;
    QTest::newRow("main 5") << 53 << 0 << 0 << true << none << false;
}

void TestKeys::keyDown_table() {
    runKeyboardRow(true);
}

void TestKeys::keyPress_table_data() {
    keyboardColumns();
    const QStringList none;
    QTest::newRow("` is 0") << 96 << 0 << 0 << true << QStringList{"KEY02 0"} << false;
    QTest::newRow("c is 3") << 99 << 0 << 0 << true << QStringList{"KEY02 3"} << false;
    QTest::newRow("C is nothing") << 67 << 0 << 0 << true << none << false;
    QTest::newRow("5 is nothing") << 53 << 0 << 0 << true << none << false;
    QTest::newRow("Enter") << 13 << 0 << 0 << true << QStringList{"KEY04"} << false;
    QTest::newRow("j in scan") << 106 << 0 << 0 << true << QStringList{"KEY00"} << false;
    QTest::newRow("j in manual") << 106 << 1 << 0 << true << QStringList{"KEY00", "MD"} << true;
    QTest::newRow("k in manual") << 107 << 1 << 0 << true << QStringList{"KEY01"} << false;
    QTest::newRow("m at 120") << 109 << 1 << 120 << true << QStringList{"KEY02 1", "KEY02 1", "KEY02 9", "KEY01"}
                              << false;
    QTest::newRow("m outside manual") << 109 << 2 << 120 << true << QStringList{"KEY01", "MD"} << true;
    QTest::newRow("n") << 110 << 0 << 0 << true << QStringList{"KEY03"} << false;
    QTest::newRow("o") << 111 << 0 << 0 << true << QStringList{"KEY13", "MA", "MD"} << true;
}

void TestKeys::keyPress_table() {
    runKeyboardRow(false);
}

void TestKeys::qtKeyEvent_sendsWhatTheFaceplateKeyboardSends_data() {
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<bool>("keypad");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("channel");
    QTest::addColumn<QStringList>("commands");

    QTest::newRow("Enter sends KEY04 twice")
        << int(Qt::Key_Return) << false << "\r" << 0 << 0 << QStringList{"KEY04", "SB", "KEY04"};
    QTest::newRow("keypad 5 once") << int(Qt::Key_5) << true << "5" << 0 << 0 << QStringList{"KEY02 5", "SB"};
    QTest::newRow("main 5 nothing") << int(Qt::Key_5) << false << "5" << 0 << 0 << QStringList{};
    QTest::newRow("c") << int(Qt::Key_C) << false << "c" << 0 << 0 << QStringList{"KEY02 3"};
    QTest::newRow("C") << int(Qt::Key_C) << false << "C" << 0 << 0 << QStringList{};
    QTest::newRow("keypad minus at channel 1")
        << int(Qt::Key_Minus) << true << "-" << 1 << 1
        << QStringList{"KEY02 1", "KEY02 0", "KEY02 0", "KEY02 0", "KEY01", "MA"};
    QTest::newRow("keypad star in scan") << int(Qt::Key_Asterisk) << true << "*" << 0 << 0
                                         << QStringList{"KEY00", "MA"};
    QTest::newRow("keypad slash") << int(Qt::Key_Slash) << true << "/" << 1 << 0 << QStringList{"KEY13", "MD"};
    QTest::newRow("keypad decimal") << int(Qt::Key_Period) << true << "." << 0 << 0 << QStringList{"KEY03"};
}

void TestKeys::qtKeyEvent_sendsWhatTheFaceplateKeyboardSends() {
    QFETCH(int, qtKey);
    QFETCH(bool, keypad);
    QFETCH(QString, text);
    QFETCH(int, mode);
    QFETCH(int, channel);
    QFETCH(QStringList, commands);

    ControlRig rig;
    rig.state.gMode = quint8(mode);
    rig.state.gChannelNum = qint16(channel);
    Keyboard& keyboard = rig.monitor.keyboard();
    const Qt::KeyboardModifiers modifiers = keypad ? Qt::KeypadModifier : Qt::NoModifier;
    keyboard.keyDown(Keyboard::vbKeyCodeFor(qtKey, modifiers));
    keyboard.keyPress(Keyboard::charCodeFor(text));
    QCOMPARE(rig.takeCommands(), commands);
}

void TestKeys::clearMemory_okSendsAcCancelNothing_data() {
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("commands");
    QTest::newRow("OK") << true << QStringList{"AC"};
    QTest::newRow("Cancel") << false << QStringList{};
}

void TestKeys::clearMemory_okSendsAcCancelNothing() {
    QFETCH(bool, ok);
    QFETCH(QStringList, commands);

    ControlRig rig;
    rig.prompter.queueConfirm(ok);
    rig.monitor.actions().clearMemory();
    QCOMPARE(rig.prompter.count("confirm"), 1);
    const ScriptedPrompter::Call box = rig.prompter.calls().constFirst();
    QCOMPARE(box.title, QStringLiteral("WIPE OUT SCANNER MEMORY?"));
    QCOMPARE(box.text, QStringLiteral("Are you ABSOLUTELY SURE\r\nthat you want to restore the scanner to\r\n"
                                      "FACTORY DEFAULTS?"));
    // The answer comes from the event loop; a zero timer posted now runs after it.
    bool answered = false;
    QTimer::singleShot(0, [&answered] { answered = true; });
    QTRY_VERIFY(answered);
    QCOMPARE(rig.port->writtenLines(), commands);
}

void TestKeys::showFreqAndTalkgroup_togglesAndSends() {
    ControlRig rig;
    FaceplateActions& actions = rig.monitor.actions();
    actions.toggleShowFreqAndTalkgroup();
    QVERIFY(rig.switches.showFreqAndTalkgroup());
    actions.toggleShowFreqAndTalkgroup();
    QVERIFY(!rig.switches.showFreqAndTalkgroup());
    QCOMPARE(rig.takeCommands(), (QStringList{"FIN", "FIF"}));
}

void TestKeys::auxDisplay_secondOpenSaysAlreadyOpen() {
    ControlRig rig;
    FaceplateActions& actions = rig.monitor.actions();
    actions.openAuxDisplay();
    QVERIFY(rig.aux.windowVisible());
    QCOMPARE(rig.prompter.count("inform"), 0);
    actions.openAuxDisplay();
    QCOMPARE(rig.prompter.count("inform"), 1);
    const ScriptedPrompter::Call box = rig.prompter.calls().constFirst();
    QCOMPARE(box.title, QStringLiteral("Aux Display Error!"));
    QCOMPARE(box.text, QStringLiteral("The Pro-2052 Aux Display is already open"));
    QVERIFY(rig.aux.windowVisible());
}

void TestKeys::searchEntry_handsScannerToRangeSearch() {
    ControlRig rig;
    QVERIFY(rig.detect(QStringLiteral("MD00\r")));
    QSignalSpy opened(&rig.monitor, &Monitor::rangeSearchRequested);
    rig.monitor.actions().searchMode();
    QCOMPARE(opened.count(), 1);
    QCOMPARE(rig.state.gModeName, QStringLiteral("0"));
    QCOMPARE(int(rig.state.gMode), int(ModeCode::RangeSearch));
    QVERIFY(rig.monitor.poll().isSuspended());
    QCOMPARE(rig.display.text("tbSEARCH"), QStringLiteral("SEARCH"));

    // The window hands back through SearchRange: detection and a fresh cycle in search mode.
    rig.modeAnswers = {QStringLiteral("MD02\r")};
    rig.monitor.searchRange(QStringLiteral("155.5"), QStringLiteral("156"), 2);
    QTRY_VERIFY(rig.monitor.poll().isRunning() && !rig.monitor.poll().isSuspended());
    QCOMPARE(int(rig.state.gMode), 2);
    QCOMPARE(int(rig.state.gSearchHoldLimit), 30);
}

void TestKeys::modeEntries_sendKeyAndDetect() {
    ControlRig rig;
    rig.monitor.actions().manualMode();
    QCOMPARE(rig.takeCommands(), (QStringList{"KEY01", "MD"}));
    rig.monitor.actions().scanMode();
    QCOMPARE(rig.takeCommands(), (QStringList{"KEY00", "MD"}));
    QVERIFY(rig.monitor.detector().isRunning());
}

QTEST_GUILESS_MAIN(TestKeys)
#include "test_keys.moc"
