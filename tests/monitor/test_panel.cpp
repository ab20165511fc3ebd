#include "MonitorRig.h"

#include <QTest>

class TestPanel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bankBoxes_data();
    void bankBoxes();
    void clearPanel_data();
    void clearPanel();
    void notifyRemote_sendsEachNewTextOnce_data();
    void notifyRemote_sendsEachNewTextOnce();
};

// Steps: "list=letters", "active=n" ("active=all" lights every box), "inactive=n", "clear" (digits and markers).
// Expected: the boxes that show a number; that are lit; on the LCD, that show a listed bank's look.
void TestPanel::bankBoxes_data() {
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

void TestPanel::bankBoxes() {
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
void TestPanel::clearPanel_data() {
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

void TestPanel::clearPanel() {
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
    QStringList got;
    for (const QString& e : expected) {
        const QString key = e.section(QLatin1Char('='), 0, 0);
        if (key.startsWith(QLatin1String("aux:")))
            got << key + QLatin1Char('=') + rig.aux.text(key.mid(4));
        else if (key.startsWith(QLatin1String("fore:")))
            got << key + (rig.display.foreColor(key.mid(5)) == Panel::kLcdUnlit ? "=unlit" : "=lit");
        else
            got << key + QLatin1Char('=') + rig.text(key);
    }
    QCOMPARE(got, expected);
}

// Expected: what the client got, then gRemoteLast and gRemoteOut after the last call.
void TestPanel::notifyRemote_sendsEachNewTextOnce_data() {
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

void TestPanel::notifyRemote_sendsEachNewTextOnce() {
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

QTEST_GUILESS_MAIN(TestPanel)
#include "test_panel.moc"
