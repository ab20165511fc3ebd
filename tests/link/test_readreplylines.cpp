#include "link/MemoryTransport.h"
#include "link/SerialLink.h"
#include "monitor/ScannerState.h"

#include <QTest>

class TestReadReplyLines : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readReplyLines_data();
    void readReplyLines();
};

void TestReadReplyLines::readReplyLines_data() {
    QTest::addColumn<QString>("buffer");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("prevReply");
    QTest::addColumn<QString>("rest");

    QTest::newRow("two lines: last one wins") << "ABC\rDEF\r"
                                              << "DEF"
                                              << "ABC"
                                              << "";
    QTest::newRow("ten letters after CR become a line") << "\rABCDEFGHIJ"
                                                        << "ABCDEFGHIJ"
                                                        << ""
                                                        << "";
    QTest::newRow("eight letters after CR wait") << "\rABCDEFGH"
                                                 << ""
                                                 << "older"
                                                 << "ABCDEFGH";
    QTest::newRow("two leading CRs dropped") << "\r\rX\r"
                                             << "X"
                                             << ""
                                             << "";
    QTest::newRow("line then empty line: discarded") << "ABC\r\r"
                                                     << ""
                                                     << "old"
                                                     << "";
    QTest::newRow("no CR: nothing happens") << "ABCDEFGHIJKL"
                                            << "old"
                                            << "older"
                                            << "ABCDEFGHIJKL";
}

void TestReadReplyLines::readReplyLines() {
    QFETCH(QString, buffer);
    QFETCH(QString, reply);
    QFETCH(QString, prevReply);
    QFETCH(QString, rest);

    ScannerState state;
    state.gReply = QStringLiteral("old");
    state.gPrevReply = QStringLiteral("older");
    state.gRxBuffer = buffer;
    SerialLink link(state);
    link.readReplyLines();
    QCOMPARE(state.gReply, reply);
    QCOMPARE(state.gPrevReply, prevReply);
    QCOMPARE(state.gRxBuffer, rest);
}

QTEST_GUILESS_MAIN(TestReadReplyLines)
#include "test_readreplylines.moc"
