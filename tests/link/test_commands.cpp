#include "link/Commands.h"

#include <QTest>

class TestCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void builder_writesTheScannersText_data();
    void builder_writesTheScannersText();
};

void TestCommands::builder_writesTheScannersText_data() {
    QTest::addColumn<QString>("built");
    QTest::addColumn<QString>("expected");

    using namespace Commands;
    QTest::newRow("SCAN key") << key(Key::Scan) << "KEY00";
    QTest::newRow("E key") << key(Key::Enter) << "KEY04";
    QTest::newRow("SRCH key") << key(Key::Search) << "KEY09";
    QTest::newRow("SHIFT key") << key(Key::Shift) << "KEY14";
    QTest::newRow("digit 7 has a space") << digitKey(7) << "KEY02 7";
    QTest::newRow("digit 0") << digitKey(0) << "KEY02 0";
    QTest::newRow("current channel") << memoryChannel() << "MA";
    QTest::newRow("channel 1") << memoryChannel(1) << "MA001";
    QTest::newRow("channel 57") << memoryChannel(57) << "MA057";
    QTest::newRow("channel 1000 is 000") << memoryChannel(1000) << "MA000";
    QTest::newRow("channel text 999") << channelText(999) << "999";
    QTest::newRow("bank 1 is A") << bankLetter(1) << "A";
    QTest::newRow("bank 20 is T") << bankLetter(20) << "T";
    QTest::newRow("lower limit 29") << lowerLimit(29.0) << "LL00290000";
    QTest::newRow("lower limit 155.5") << lowerLimit(155.5) << "LL01555000";
    QTest::newRow("upper limit 1300") << upperLimit(1300.0) << "LU13000000";
    QTest::newRow("limit rounds to 100 Hz") << upperLimit(154.24999999) << "LU01542500";
    QTest::newRow("pattern keeps leading zeros") << frequencyPattern(29.0) << "0029.0000";
    QTest::newRow("program channel 1000") << programChannel(1000, 154.5) << "PM000 01545000";
    QTest::newRow("program channel 12") << programChannel(12, 462.5625) << "PM012 04625625";
    QTest::newRow("empty channel: eight zeros") << programChannel(3, 0.0) << "PM003 00000000";
    QTest::newRow("priority first channel") << priorityChannel(1, 1) << "PC A001";
    QTest::newRow("priority channel 1000") << priorityChannel(20, 50) << "PC T050";
    QTest::newRow("trunk type decimal") << trunkType(2, 12) << "TR B12";
    QTest::newRow("trunk type single digit") << trunkType(20, 3) << "TR T3";
    QTest::newRow("lcd field") << lcdField(QStringLiteral("LINE1")) << "LCD LINE1";
    QTest::newRow("switch on") << switchCommand(QStringLiteral("QU"), true) << "QUN";
    QTest::newRow("switch off") << switchCommand(QStringLiteral("ID"), false) << "IDF";
    QTest::newRow("mode query") << Mode << "MD";
    QTest::newRow("mute auto") << MuteAuto << "MUA";
    QTest::newRow("clear memory") << ClearAllMemory << "AC";
}

void TestCommands::builder_writesTheScannersText() {
    QFETCH(QString, built);
    QFETCH(QString, expected);
    QCOMPARE(built, expected);
}

QTEST_GUILESS_MAIN(TestCommands)
#include "test_commands.moc"
