#include "link/LinkLamps.h"
#include "link/MemoryTransport.h"
#include "link/SerialLink.h"
#include "monitor/ScannerState.h"

#include <QSignalSpy>
#include <QTest>

using Lamp = LinkLamps::Lamp;

class TestLinkLamps : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void refresh_showsThePortState_data();
    void refresh_showsThePortState();
    void receive_lightsTheBufferLampAtOnce();
    void lostDevice_turnsThePortLampDark();
    void refresh_withoutChange_staysQuiet();
};

void TestLinkLamps::refresh_showsThePortState_data() {
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("cts");
    QTest::addColumn<bool>("dsr");
    QTest::addColumn<QByteArray>("waiting");
    QTest::addColumn<QString>("label7");
    QTest::addColumn<QString>("label8");
    QTest::addColumn<QString>("label9");
    QTest::addColumn<QList<bool>>("lit"); // buffer, CTS, DSR, port

    QTest::newRow("closed: all dark") << false << true << true << QByteArray() << "COM buffer is empty"
                                      << "DSR Signal is low"
                                      << "COM Port is closed" << QList<bool>{false, false, false, false};
    QTest::newRow("open, quiet, no modem lines") << true << false << false << QByteArray() << "COM buffer is empty"
                                                 << "DSR Signal is low"
                                                 << "COM Port is open" << QList<bool>{false, false, false, true};
    QTest::newRow("CTS high only: Label8 keeps the DSR text")
        << true << true << false << QByteArray() << "COM buffer is empty"
        << "DSR Signal is low"
        << "COM Port is open" << QList<bool>{false, true, false, true};
    QTest::newRow("DSR high") << true << false << true << QByteArray() << "COM buffer is empty"
                              << "DSR Signal is high"
                              << "COM Port is open" << QList<bool>{false, false, true, true};
    QTest::newRow("characters waiting in the port")
        << true << true << true << QByteArray("MD00\r") << "Data is in the COM buffer"
        << "DSR Signal is high"
        << "COM Port is open" << QList<bool>{true, true, true, true};
}

void TestLinkLamps::refresh_showsThePortState() {
    QFETCH(bool, open);
    QFETCH(bool, cts);
    QFETCH(bool, dsr);
    QFETCH(QByteArray, waiting);
    QFETCH(QString, label7);
    QFETCH(QString, label8);
    QFETCH(QString, label9);
    QFETCH(QList<bool>, lit);

    ScannerState state;
    SerialLink link(state);
    auto* transport = new MemoryTransport;
    link.setTransport(transport);
    LinkLamps lamps(link);
    if (open)
        QVERIFY(link.openPort());
    transport->setModemLines(cts, dsr);
    if (!waiting.isEmpty())
        transport->feed(waiting); // queued, not yet read by the link
    lamps.refresh();

    QCOMPARE(lamps.toolTip(QStringLiteral("Label7")), label7);
    QCOMPARE(lamps.toolTip(QStringLiteral("Label8")), label8);
    QCOMPARE(lamps.toolTip(QStringLiteral("Label9")), label9);
    const QList<Lamp> order{Lamp::Buffer, Lamp::Cts, Lamp::Dsr, Lamp::Port};
    for (int i = 0; i < order.size(); ++i) {
        const QString name = LinkLamps::lampName(order.at(i));
        QCOMPARE(lamps.isLit(order.at(i)), lit.at(i));
        QCOMPARE(lamps.color(name), lit.at(i) ? quint32(65280) : quint32(16384));
    }
}

void TestLinkLamps::receive_lightsTheBufferLampAtOnce() {
    ScannerState state;
    SerialLink link(state);
    auto* transport = new MemoryTransport;
    link.setTransport(transport);
    LinkLamps lamps(link);
    QVERIFY(link.openPort());
    QVERIFY(!lamps.isLit(Lamp::Buffer));
    QSignalSpy changed(&lamps, &LinkLamps::changed);

    transport->feedNow("SB A\r");
    QVERIFY(lamps.isLit(Lamp::Buffer));
    QCOMPARE(lamps.toolTip(QStringLiteral("Label7")), QStringLiteral("Data is in the COM buffer"));
    QCOMPARE(changed.count(), 1);

    // The receive path drained the port: the next refresh puts the lamp out.
    lamps.refresh();
    QVERIFY(!lamps.isLit(Lamp::Buffer));
    QCOMPARE(lamps.color(QStringLiteral("lampBuffer")), LinkLamps::kDark);
}

void TestLinkLamps::lostDevice_turnsThePortLampDark() {
    ScannerState state;
    SerialLink link(state);
    auto* transport = new MemoryTransport;
    link.setTransport(transport);
    LinkLamps lamps(link);
    QVERIFY(link.openPort());
    QVERIFY(lamps.isLit(Lamp::Port));

    transport->loseDevice();
    QVERIFY(!lamps.isLit(Lamp::Port));
    QCOMPARE(lamps.toolTip(QStringLiteral("Label9")), QStringLiteral("COM Port is closed"));

    QVERIFY(link.openPort());
    QVERIFY(lamps.isLit(Lamp::Port));
}

void TestLinkLamps::refresh_withoutChange_staysQuiet() {
    ScannerState state;
    SerialLink link(state);
    link.setTransport(new MemoryTransport);
    LinkLamps lamps(link);
    QVERIFY(link.openPort());
    QSignalSpy changed(&lamps, &LinkLamps::changed);
    lamps.refresh();
    lamps.refresh();
    QCOMPARE(changed.count(), 0);
}

QTEST_GUILESS_MAIN(TestLinkLamps)
#include "test_linklamps.moc"
