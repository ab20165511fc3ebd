#include "MonitorRig.h"
#include "monitor/NotifyRemote.h"

#include <QTest>

namespace {
// Every field of a display with its whole state, for "nothing changed" checks.
QStringList snapshot(const DisplayModel& d) {
    QStringList out;
    for (const QString& name : d.fieldNames()) {
        const DisplayField f = d.field(name);
        out.append(QStringLiteral("%1=%2|%3|%4|%5|%6")
                       .arg(name, f.text)
                       .arg(f.foreColor)
                       .arg(f.backColor)
                       .arg(int(f.alignment))
                       .arg(f.visible));
    }
    return out;
}

QStringList bankTexts(const MonitorRig& rig, int count) {
    QStringList out;
    for (int n = 1; n <= count; ++n)
        out.append(rig.bank(n));
    return out;
}
} // namespace

class TestPanel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bankList_proShowsOnlyListedBanks_data();
    void bankList_proShowsOnlyListedBanks();
    void bankList_lcdKeepsActiveBankInverted();
    void bankInactive_outsideBoxRangeChangesNothing_data();
    void bankInactive_outsideBoxRangeChangesNothing();
    void bankActive_bankWithoutBoxChangesNothing_data();
    void bankActive_bankWithoutBoxChangesNothing();
    void bankActiveThenInactive_restoresPanelColours_data();
    void bankActiveThenInactive_restoresPanelColours();
    void clearPanel_typedDigitsStayOnMainLine_data();
    void clearPanel_typedDigitsStayOnMainLine();
    void clearPanel_lcdDimsSegmentsInsteadOfEmptying();
    void modePictures_showExactTexts_data();
    void modePictures_showExactTexts();
    void clearBankDigits_undoesListAndActiveBank();
    void notifyRemote_sendsEachNewTextOnce_data();
    void notifyRemote_sendsEachNewTextOnce();
};

void TestPanel::bankList_proShowsOnlyListedBanks_data() {
    QTest::addColumn<QString>("earlier");
    QTest::addColumn<QString>("letters");
    QTest::addColumn<QStringList>("shown");

    QStringList act(20);
    act[0] = "1";
    act[2] = "3";
    act[19] = "20";
    QTest::newRow("A, C and T") << ""
                                << "ACT" << act;
    QStringList onlyA(20);
    onlyA[0] = "1";
    QTest::newRow("earlier list is reset") << "BDQ"
                                           << "A" << onlyA;
    QTest::newRow("letters without a box are passed over") << ""
                                                           << "A Za!\u00e9" << onlyA;
    QTest::newRow("empty list empties every box") << "ABC"
                                                  << "" << QStringList(20);
}

void TestPanel::bankList_proShowsOnlyListedBanks() {
    QFETCH(QString, earlier);
    QFETCH(QString, letters);
    QFETCH(QStringList, shown);
    MonitorRig rig;
    rig.panel.showBankList(earlier);
    rig.panel.showBankList(letters);
    QCOMPARE(bankTexts(rig, 20), shown);
}

void TestPanel::bankList_lcdKeepsActiveBankInverted() {
    MonitorRig rig(ScannerModel::Bc780xlt);
    rig.panel.showBankActive(2);
    rig.panel.showBankList(QStringLiteral("ABC"));

    // The active bank stays on its black back, its number drawn in the LCD colour.
    QCOMPARE(rig.display.backColor(rig.boxName(2)), Panel::kLcdLit);
    QCOMPARE(rig.display.foreColor(rig.boxName(2)), Panel::kLcdBack);
    for (int n : {1, 3}) {
        QCOMPARE(rig.display.foreColor(rig.boxName(n)), Panel::kLcdLit);
        QCOMPARE(rig.display.backColor(rig.boxName(n)), Panel::kLcdBack);
    }
    for (int n = 4; n <= 10; ++n)
        QCOMPARE(rig.display.foreColor(rig.boxName(n)), Panel::kLcdUnlit);
    const QStringList numbers = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
    QCOMPARE(bankTexts(rig, 10), numbers);
}

void TestPanel::bankInactive_outsideBoxRangeChangesNothing_data() {
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("bank");
    QTest::newRow("pro bank 0") << int(ScannerModel::Pro2052) << 0;
    QTest::newRow("pro bank 21") << int(ScannerModel::Pro2052) << 21;
    QTest::newRow("pro bank -1") << int(ScannerModel::Pro2052) << -1;
    QTest::newRow("lcd bank 11") << int(ScannerModel::Bc780xlt) << 11;
    QTest::newRow("lcd bank 0") << int(ScannerModel::Bc780xlt) << 0;
}

void TestPanel::bankInactive_outsideBoxRangeChangesNothing() {
    QFETCH(int, model);
    QFETCH(int, bank);
    MonitorRig rig{quint8(model)};
    for (int n = 1; n <= 20; ++n)
        rig.panel.showBankActive(n);
    const QStringList before = snapshot(rig.display);
    rig.panel.showBankInactive(bank);
    QCOMPARE(snapshot(rig.display), before);
}

void TestPanel::bankActive_bankWithoutBoxChangesNothing_data() {
    bankInactive_outsideBoxRangeChangesNothing_data();
}

void TestPanel::bankActive_bankWithoutBoxChangesNothing() {
    QFETCH(int, model);
    QFETCH(int, bank);
    MonitorRig rig{quint8(model)};
    const QStringList before = snapshot(rig.display);
    rig.panel.showBankActive(bank);
    QCOMPARE(snapshot(rig.display), before);
}

void TestPanel::bankActiveThenInactive_restoresPanelColours_data() {
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("bank");
    QTest::addColumn<quint32>("activeFore");
    QTest::addColumn<quint32>("activeBack");
    QTest::addColumn<quint32>("normalFore");
    QTest::addColumn<quint32>("normalBack");
    QTest::newRow("pro bank 1") << int(ScannerModel::Pro2052) << 1 << MonitorRig::kBack << MonitorRig::kFore
                                << MonitorRig::kFore << MonitorRig::kBack;
    QTest::newRow("pro bank 20") << int(ScannerModel::Pro2052) << 20 << MonitorRig::kBack << MonitorRig::kFore
                                 << MonitorRig::kFore << MonitorRig::kBack;
    QTest::newRow("lcd bank 10") << int(ScannerModel::Bc780xlt) << 10 << Panel::kLcdBack << Panel::kLcdLit
                                 << Panel::kLcdLit << Panel::kLcdBack;
}

void TestPanel::bankActiveThenInactive_restoresPanelColours() {
    QFETCH(int, model);
    QFETCH(int, bank);
    QFETCH(quint32, activeFore);
    QFETCH(quint32, activeBack);
    QFETCH(quint32, normalFore);
    QFETCH(quint32, normalBack);
    MonitorRig rig{quint8(model)};
    const bool pro = model == ScannerModel::Pro2052;

    rig.panel.showBankActive(bank);
    QCOMPARE(rig.display.foreColor(rig.boxName(bank)), activeFore);
    QCOMPARE(rig.display.backColor(rig.boxName(bank)), activeBack);
    if (pro)
        QCOMPARE(rig.marker(bank), QStringLiteral("n"));

    rig.panel.showBankInactive(bank);
    QCOMPARE(rig.display.foreColor(rig.boxName(bank)), normalFore);
    QCOMPARE(rig.display.backColor(rig.boxName(bank)), normalBack);
    if (pro)
        QCOMPARE(rig.marker(bank), QString());
}

void TestPanel::clearPanel_typedDigitsStayOnMainLine_data() {
    QTest::addColumn<QString>("keyEntry");
    QTest::addColumn<bool>("auxOpen");
    QTest::addColumn<QString>("freq");
    QTest::addColumn<QString>("auxLine3");
    QTest::newRow("typing, aux closed") << "15" << false << "15"
                                        << "SERVICE DESCRIPTION";
    QTest::newRow("not typing, aux open") << "" << true << ""
                                          << "";
}

void TestPanel::clearPanel_typedDigitsStayOnMainLine() {
    QFETCH(QString, keyEntry);
    QFETCH(bool, auxOpen);
    QFETCH(QString, freq);
    QFETCH(QString, auxLine3);
    MonitorRig rig;
    rig.aux.setWindowVisible(auxOpen);
    rig.display.setText(QStringLiteral("tbfreq"), keyEntry.isEmpty() ? QStringLiteral("154.2500") : keyEntry);
    rig.display.setText(QStringLiteral("tbChan"), QStringLiteral("12"));
    rig.display.setText(QStringLiteral("tbModMode"), QStringLiteral("NFM"));
    rig.state.gKeyEntry = keyEntry;

    rig.panel.clearPanel();
    QCOMPARE(rig.text(QStringLiteral("tbfreq")), freq);
    QCOMPARE(rig.text(QStringLiteral("tbChan")), QString());
    QCOMPARE(rig.text(QStringLiteral("tbModMode")), QString());
    QCOMPARE(rig.text(QStringLiteral("tbCHANlbl")), QString());
    QCOMPARE(rig.aux.text(QStringLiteral("Text2(3)")), auxLine3);
    QCOMPARE(rig.aux.text(QStringLiteral("Text2(5)")), QStringLiteral("Aux Display #5"));
}

void TestPanel::clearPanel_lcdDimsSegmentsInsteadOfEmptying() {
    MonitorRig rig(ScannerModel::Bc780xlt);
    rig.display.setForeColor(QStringLiteral("tbSCAN"), Panel::kLcdLit);
    rig.display.setForeColor(QStringLiteral("tbTONES"), Panel::kLcdLit);
    rig.display.setText(QStringLiteral("tbfreq"), QStringLiteral("154.2500"));
    rig.display.setText(QStringLiteral("Text2(4)"), QStringLiteral("DISPATCH"));
    rig.display.setText(QStringLiteral("Text2(3)"), QStringLiteral("CITY PD"));

    rig.panel.clearPanel();
    QCOMPARE(rig.display.foreColor(QStringLiteral("tbSCAN")), Panel::kLcdUnlit);
    QCOMPARE(rig.text(QStringLiteral("tbSCAN")), QStringLiteral("SCAN"));
    QCOMPARE(rig.display.foreColor(QStringLiteral("tbTONES")), Panel::kLcdUnlit);
    QCOMPARE(rig.text(QStringLiteral("tbfreq")), QStringLiteral(" "));
    QCOMPARE(rig.text(QStringLiteral("tbChan")), QStringLiteral(" "));
    QCOMPARE(rig.text(QStringLiteral("Text2(4)")), QString());
    QCOMPARE(rig.text(QStringLiteral("Text2(3)")), QStringLiteral("CITY PD"));
}

void TestPanel::modePictures_showExactTexts_data() {
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("routine");
    QTest::addColumn<QString>("keyEntry");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    const auto row = [](const char* name, quint8 model, const char* routine, const char* keyEntry, const char* field,
                        const char* text) {
        QTest::newRow(name) << int(model) << QString::fromLatin1(routine) << QString::fromLatin1(keyEntry)
                            << QString::fromLatin1(field) << QString::fromLatin1(text);
    };
    row("scan banner", ScannerModel::Pro2052, "scan", "", "tbfreq", " SCAN  ");
    row("lcd search indicator", ScannerModel::Bc780xlt, "search", "", "tbSEARCH", "SRCH");
    row("trunk dashes", ScannerModel::Pro2052, "trunk", "", "tbfreq", "    -- --- ");
    row("id scan list label", ScannerModel::Pro2052, "idscan", "", "tbBank", "LIST");
    row("id hold banner", ScannerModel::Pro2052, "idhold", "", "tbfreq", "Id HOLD");
    row("id hold keeps typed digits", ScannerModel::Pro2052, "idhold", "42", "tbfreq", "typed");
}

void TestPanel::modePictures_showExactTexts() {
    QFETCH(int, model);
    QFETCH(QString, routine);
    QFETCH(QString, keyEntry);
    QFETCH(QString, field);
    QFETCH(QString, text);
    MonitorRig rig{quint8(model)};
    rig.state.gKeyEntry = keyEntry;
    rig.display.setText(QStringLiteral("tbfreq"), QStringLiteral("typed"));
    rig.display.setText(field, QStringLiteral("typed"));
    if (routine == QLatin1String("scan"))
        rig.panel.showScanPanel();
    else if (routine == QLatin1String("manual"))
        rig.panel.showManualPanel();
    else if (routine == QLatin1String("search"))
        rig.panel.showSearchPanel();
    else if (routine == QLatin1String("trunk"))
        rig.panel.showTrunkPanel();
    else if (routine == QLatin1String("idscan"))
        rig.panel.showIdScanPanel();
    else
        rig.panel.showIdHoldPanel();
    QCOMPARE(rig.text(field), text);
    if (routine.startsWith(QLatin1String("id")))
        QCOMPARE(rig.display.alignment(QStringLiteral("tbBank")), Qt::AlignLeft);
}

void TestPanel::clearBankDigits_undoesListAndActiveBank() {
    MonitorRig rig;
    rig.panel.showBankList(QStringLiteral("ABE"));
    rig.panel.showBankActive(5);
    rig.panel.clearBankDigits();
    rig.panel.clearBankMarkers();
    QCOMPARE(bankTexts(rig, 20), QStringList(20));
    QCOMPARE(rig.display.backColor(rig.boxName(5)), MonitorRig::kBack);
    QCOMPARE(rig.display.foreColor(rig.boxName(5)), MonitorRig::kFore);
    QCOMPARE(rig.marker(5), QString());
}

void TestPanel::notifyRemote_sendsEachNewTextOnce_data() {
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("pending");

    QTest::newRow("same text twice goes once")
        << true << QStringList{"154.2500", "154.2500"} << QStringList{"154.2500\r"} << "154.2500\r"
        << "154.2500\r";
    QTest::newRow("two texts go in order") << true << QStringList{"154.2500", "AUX2CHAN: 12"}
                                           << QStringList{"154.2500\r", "AUX2CHAN: 12\r"} << "AUX2CHAN: 12\r"
                                           << "";
    QTest::newRow("no client: nothing sent, CR kept")
        << false << QStringList{"154.2500"} << QStringList{} << "earlier\r"
        << "154.2500\r";
    // The end of a scan stop calls without a fresh text: after a send that is a lone CR.
    QTest::newRow("call without a new text sends a lone CR")
        << true << QStringList{"154.2500", QString()} << QStringList{"154.2500\r", "\r"} << "\r"
        << "";
}

void TestPanel::notifyRemote_sendsEachNewTextOnce() {
    QFETCH(bool, connected);
    QFETCH(QStringList, texts);
    QFETCH(QStringList, sent);
    QFETCH(QString, last);
    QFETCH(QString, pending);
    MonitorRig rig;
    rig.remote.connected = connected;
    rig.state.gRemoteLast = QStringLiteral("earlier\r");
    for (const QString& text : texts) {
        // A null text stands for a call that leaves gRemoteOut as it is.
        if (!text.isNull())
            rig.state.gRemoteOut = text;
        rig.panel.notifyRemote();
    }
    QCOMPARE(rig.remote.sent, sent);
    QCOMPARE(rig.state.gRemoteLast, last);
    QCOMPARE(rig.state.gRemoteOut, pending);
}

QTEST_GUILESS_MAIN(TestPanel)
#include "test_panel.moc"
