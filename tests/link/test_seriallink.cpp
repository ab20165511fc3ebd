#include "link/MemoryTransport.h"
#include "link/SerialLink.h"
#include "monitor/ScannerState.h"

#include <QSignalSpy>
#include <QTest>

class TestSerialLink : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sendToScanner_followsTheCommandRules_data();
    void sendToScanner_followsTheCommandRules();
    void sendToScanner_acceptsGCommandItself();
    void directWrite_leavesCommandMembersAlone();
    void receive_appendsAndDropsOneLeadingCr_data();
    void receive_appendsAndDropsOneLeadingCr();
    void receive_capsTheBufferAtALineBoundary_data();
    void receive_capsTheBufferAtALineBoundary();
    void lostDevice_closesThePortAndSaysWhy();
    void openPort_reportsFailureAndStaysClosed();
};

void TestSerialLink::sendToScanner_followsTheCommandRules_data() {
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QString>("lastSent");

    // gCommand was "SI" before each call, gLastSent "MA".
    QTest::newRow("open port: command and CR in one write") << true << "MD" << QByteArray("MD\r") << "MD";
    QTest::newRow("digit key keeps its space") << true << "KEY02 7" << QByteArray("KEY02 7\r") << "KEY02 7";
    QTest::newRow("empty command writes nothing") << true << "" << QByteArray() << "SI";
    QTest::newRow("closed port drops silently") << false << "MD" << QByteArray() << "SI";
}

void TestSerialLink::sendToScanner_followsTheCommandRules() {
    QFETCH(bool, open);
    QFETCH(QString, command);
    QFETCH(QByteArray, wire);
    QFETCH(QString, lastSent);

    ScannerState state;
    state.gCommand = QStringLiteral("SI");
    state.gLastSent = QStringLiteral("MA");
    SerialLink link(state);
    auto* transport = new MemoryTransport;
    link.setTransport(transport);
    if (open)
        QVERIFY(link.openPort());
    QSignalSpy writtenSpy(transport, &MemoryTransport::written);

    link.sendToScanner(command);

    QCOMPARE(transport->takeWritten(), wire);
    QCOMPARE(writtenSpy.count(), wire.isEmpty() ? 0 : 1);
    QCOMPARE(state.gCommand, command);
    QCOMPARE(state.gLastSent, lastSent);
}

void TestSerialLink::sendToScanner_acceptsGCommandItself() {
    ScannerState state;
    SerialLink link(state);
    auto* transport = new MemoryTransport;
    link.setTransport(transport);
    QVERIFY(link.openPort());
    link.sendToScanner(QStringLiteral("SI"));

    state.gCommand = QStringLiteral("KEY02 3");
    link.sendToScanner(state.gCommand);

    QCOMPARE(transport->writtenLines(), QStringList({"SI", "KEY02 3"}));
    QCOMPARE(state.gCommand, QStringLiteral("KEY02 3"));
    QCOMPARE(state.gLastSent, QStringLiteral("KEY02 3"));
}

void TestSerialLink::directWrite_leavesCommandMembersAlone() {
    ScannerState state;
    state.gCommand = QStringLiteral("SI");
    state.gLastSent = QStringLiteral("SI");
    SerialLink link(state);
    auto* transport = new MemoryTransport;
    link.setTransport(transport);
    link.directWrite(QStringLiteral("MD"));
    QCOMPARE(transport->takeWritten(), QByteArray()); // closed: nothing
    QVERIFY(link.openPort());
    link.directWrite(QStringLiteral("MD"));
    QCOMPARE(transport->takeWritten(), QByteArray("MD\r"));
    QCOMPARE(state.gCommand, QStringLiteral("SI"));
    QCOMPARE(state.gLastSent, QStringLiteral("SI"));
}

void TestSerialLink::receive_appendsAndDropsOneLeadingCr_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<QString>("after");

    QTest::newRow("plain append") << "MD" << QByteArray("00\r") << "MD00\r";
    QTest::newRow("leading CR of an empty buffer dropped") << "" << QByteArray("\rSB A\r") << "SB A\r";
    QTest::newRow("only one CR dropped") << "" << QByteArray("\r\rX\r") << "\rX\r";
    QTest::newRow("CR inside the buffer kept") << "ABC" << QByteArray("\rDEF") << "ABC\rDEF";
}

void TestSerialLink::receive_appendsAndDropsOneLeadingCr() {
    QFETCH(QString, before);
    QFETCH(QByteArray, chunk);
    QFETCH(QString, after);

    ScannerState state;
    state.gRxBuffer = before;
    SerialLink link(state);
    auto* transport = new MemoryTransport;
    link.setTransport(transport);
    QVERIFY(link.openPort());
    QSignalSpy received(&link, &SerialLink::received);
    transport->feedNow(chunk);

    QCOMPARE(received.count(), 1);
    QCOMPARE(state.gRxChunk, QString::fromLatin1(chunk));
    QCOMPARE(state.gRxBuffer, after);
}

void TestSerialLink::receive_capsTheBufferAtALineBoundary_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<QString>("after");

    const int cap = SerialLink::kRxBufferCap;
    const QString noCr(cap, QLatin1Char('x'));
    QTest::newRow("no CR ever: oldest characters go")
        << noCr << QByteArray("ABC") << QString(cap - 3, QLatin1Char('x')) + QStringLiteral("ABC");
    // The cap falls inside the first line: that whole line goes, never its tail alone.
    const QString firstLine = QString(100, QLatin1Char('a')) + QLatin1Char('\r');
    const QString rest = QString(cap - 101, QLatin1Char('b')) + QLatin1Char('\r');
    QTest::newRow("cut inside a line drops that line")
        << firstLine + rest << QByteArray("SB A\r") << rest + QStringLiteral("SB A\r");
    // Exactly at the cap nothing goes.
    const QString full(cap - 3, QLatin1Char('y'));
    QTest::newRow("at the cap nothing dropped") << full << QByteArray("MD\r") << full + QStringLiteral("MD\r");
}

void TestSerialLink::receive_capsTheBufferAtALineBoundary() {
    QFETCH(QString, before);
    QFETCH(QByteArray, chunk);
    QFETCH(QString, after);

    ScannerState state;
    state.gRxBuffer = before;
    SerialLink link(state);
    auto* transport = new MemoryTransport;
    link.setTransport(transport);
    QVERIFY(link.openPort());
    transport->feedNow(chunk);

    QVERIFY(state.gRxBuffer.size() <= SerialLink::kRxBufferCap);
    QCOMPARE(state.gRxBuffer.size(), after.size());
    QCOMPARE(state.gRxBuffer, after);
}

void TestSerialLink::lostDevice_closesThePortAndSaysWhy() {
    ScannerState state;
    SerialLink link(state);
    auto* transport = new MemoryTransport;
    link.setTransport(transport);
    QVERIFY(link.openPort());
    QSignalSpy lost(&link, &SerialLink::portLost);
    QSignalSpy openChanged(&link, &SerialLink::portOpenChanged);

    transport->loseDevice(QStringLiteral("adapter pulled"));

    QCOMPARE(lost.count(), 1);
    QCOMPARE(lost.at(0).at(0).toString(), QStringLiteral("adapter pulled"));
    QCOMPARE(openChanged.count(), 1);
    QCOMPARE(openChanged.at(0).at(0).toBool(), false);
    QVERIFY(!link.isOpen());
    // Commands after the loss are dropped without harm, and the port opens again.
    link.sendToScanner(QStringLiteral("MD"));
    QCOMPARE(transport->takeWritten(), QByteArray());
    QVERIFY(link.openPort());
    link.sendToScanner(QStringLiteral("MD"));
    QCOMPARE(transport->takeWritten(), QByteArray("MD\r"));
}

void TestSerialLink::openPort_reportsFailureAndStaysClosed() {
    ScannerState state;
    SerialLink link(state);
    auto* transport = new MemoryTransport;
    transport->setDevice(QStringLiteral("/dev/ttyS1"));
    link.setTransport(transport);
    transport->failNextOpen(QStringLiteral("Permission denied"));
    QSignalSpy openChanged(&link, &SerialLink::portOpenChanged);

    QVERIFY(!link.openPort());
    QVERIFY(!link.isOpen());
    QCOMPARE(openChanged.count(), 0);
    QCOMPARE(transport->errorText(), QStringLiteral("Cannot open /dev/ttyS1: Permission denied"));
}

QTEST_GUILESS_MAIN(TestSerialLink)
#include "test_seriallink.moc"
