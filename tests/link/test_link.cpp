#include "MemoryTransport.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "link/LinkLamps.h"
#include "link/PortSetup.h"
#include "link/SerialLink.h"
#include "protocol/Commands.h"
#include "state/ScannerState.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using Lamp = LinkLamps::Lamp;

namespace {
struct Rig {
    ScannerState state;
    SerialLink link{state};
    MemoryTransport* transport = new MemoryTransport;
    LinkLamps lamps{link};

    explicit Rig(bool open = true) {
        link.setTransport(transport);
        if (open)
            link.openPort();
    }
};

const QString kNone = QStringLiteral("<none>");
const QString kCancel = QStringLiteral("<cancel>");

QString portQuestion() {
    return QStringLiteral("Select a COM port|Enter a COM port 1 thru 4|2");
}
QString speedQuestion(int port, const QString& defaultText) {
    return QStringLiteral("Select a bps rate|Select a bps rate for COM%1\r\n19200, 9600, 4800, or 2400|%2")
        .arg(port)
        .arg(defaultText);
}

// A port set-up on a closed link, with the settings in a temporary INI file.
struct SetupRig : Rig {
    QTemporaryDir dir;
    Settings settings{QStringLiteral("Valdoria2052/Pro"), dir.filePath(QStringLiteral("settings.ini"))};
    ScriptedPrompter prompter;
    PortSetup setup{state, link, settings, prompter};
    QStringList status;
    QSignalSpy started{&setup, &PortSetup::startupFinished};
    QSignalSpy detect{&setup, &PortSetup::modeDetectionRequested};
    QSignalSpy speeds{&setup, &PortSetup::speedChosen};

    SetupRig()
        : Rig(false) {
        QObject::connect(&setup, &PortSetup::statusLine, [this](const QString& line) { status << line; });
    }
    void answer(const QStringList& answers) {
        for (const QString& a : answers)
            prompter.queueText(a == kCancel ? std::nullopt : std::optional<QString>(a));
    }
    QStringList questions() const {
        QStringList out;
        for (const auto& call : prompter.calls())
            out << call.title + QLatin1Char('|') + call.text + QLatin1Char('|') + call.defaultText;
        return out;
    }
    // The stored set-up of an earlier run, port 2 at 9600, open; a device path overrides the port.
    bool startOpen(const QString& device = {}) {
        settings.setComPort(QStringLiteral("2"));
        settings.setComSpeed(QStringLiteral("9600"));
        setup.start(device);
        if (!QTest::qWaitFor([this] { return started.count() == 1; }))
            return false;
        status.clear();
        prompter.clear();
        return link.isOpen();
    }
};
} // namespace

class TestLink : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void builder_writesTheScannersText_data();
    void builder_writesTheScannersText();
    void sendToScanner_followsTheCommandRules_data();
    void sendToScanner_followsTheCommandRules();
    void receive_appendsCapsAndDropsOneLeadingCr_data();
    void receive_appendsCapsAndDropsOneLeadingCr();
    void readReplyLines_takesTheLastWholeLine_data();
    void readReplyLines_takesTheLastWholeLine();
    void lamps_showThePortState_data();
    void lamps_showThePortState();
    void lostDevice_closesThePortAndDarkensTheLamp();
    void start_asksUntilTheSettingsAreValid_data();
    void start_asksUntilTheSettingsAreValid();
    void start_withDevicePath_asksNothingAndRemembersIt();
    void start_portThatWillNotOpen_saysWhichAndWhy();
    void menu_choosesOrKeepsAndReopens_data();
    void menu_choosesOrKeepsAndReopens();
    void lostPort_isReportedAndReopenBringsItBack();
    void menu_whileAQuestionIsOpen_isIgnored();
};

void TestLink::builder_writesTheScannersText_data() {
    QTest::addColumn<QString>("built");
    QTest::addColumn<QString>("expected");

    using namespace Commands;
    QTest::newRow("key code has two digits") << key(Key::Scan) << "KEY00";
    QTest::newRow("two-digit key code") << key(Key::Shift) << "KEY14";
    QTest::newRow("digit key has a space") << digitKey(7) << "KEY02 7";
    QTest::newRow("bank 1 is A") << bankLetter(1) << "A";
    QTest::newRow("bank 20 is T") << bankLetter(20) << "T";
    QTest::newRow("lower limit 155.5") << lowerLimit(155.5) << "LL01555000";
    QTest::newRow("upper limit 1300") << upperLimit(1300.0) << "LU13000000";
    QTest::newRow("limit rounds to 100 Hz") << upperLimit(154.24999999) << "LU01542500";
    QTest::newRow("pattern keeps leading zeros") << frequencyPattern(29.0) << "0029.0000";
}

void TestLink::builder_writesTheScannersText() {
    QFETCH(QString, built);
    QFETCH(QString, expected);
    QCOMPARE(built, expected);
}

void TestLink::sendToScanner_followsTheCommandRules_data() {
    QTest::addColumn<QString>("via");
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QString>("lastSent");

    // gCommand was "SI" before each call, gLastSent "MA".
    QTest::newRow("open port: command and CR in one write") << "send" << true << "MD" << QByteArray("MD\r") << "MD";
    QTest::newRow("empty command writes nothing") << "send" << true << "" << QByteArray() << "SI";
    QTest::newRow("closed port drops silently") << "send" << false << "MD" << QByteArray() << "SI";
    QTest::newRow("gCommand itself can be sent")
        << "gCommand" << true << "KEY02 3" << QByteArray("KEY02 3\r") << "KEY02 3";
    QTest::newRow("direct write leaves the members alone") << "direct" << true << "MD" << QByteArray("MD\r") << "MA";
}

void TestLink::sendToScanner_followsTheCommandRules() {
    QFETCH(QString, via);
    QFETCH(bool, open);
    QFETCH(QString, command);
    QFETCH(QByteArray, wire);
    QFETCH(QString, lastSent);

    Rig rig(open);
    rig.state.gCommand = QStringLiteral("SI");
    rig.state.gLastSent = QStringLiteral("MA");
    QSignalSpy writtenSpy(rig.transport, &MemoryTransport::written);
    if (via == QLatin1String("direct")) {
        rig.link.directWrite(command);
    } else if (via == QLatin1String("gCommand")) {
        rig.state.gCommand = command;
        rig.link.sendToScanner(rig.state.gCommand);
    } else {
        rig.link.sendToScanner(command);
    }

    QCOMPARE(rig.transport->takeWritten(), wire);
    QCOMPARE(writtenSpy.count(), wire.isEmpty() ? 0 : 1);
    QCOMPARE(rig.state.gCommand, via == QLatin1String("direct") ? QStringLiteral("SI") : command);
    QCOMPARE(rig.state.gLastSent, lastSent);
}

void TestLink::receive_appendsCapsAndDropsOneLeadingCr_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<QString>("after");

    QTest::newRow("only one CR dropped") << "" << QByteArray("\r\rX\r") << "\rX\r";
    QTest::newRow("CR inside the buffer kept") << "ABC" << QByteArray("\rDEF") << "ABC\rDEF";

    const int cap = SerialLink::kRxBufferCap;
    QTest::newRow("over the cap without CR: oldest characters go")
        << QString(cap, QLatin1Char('x')) << QByteArray("ABC") << QString(cap - 3, QLatin1Char('x')) + "ABC";
    // A cut inside the first line drops that whole line, never leaves its tail.
    const QString rest = QString(cap - 101, QLatin1Char('b')) + QLatin1Char('\r');
    QTest::newRow("cut inside a line drops that line")
        << QString(100, QLatin1Char('a')) + QLatin1Char('\r') + rest << QByteArray("SB A\r") << rest + "SB A\r";
    const QString full(cap - 3, QLatin1Char('y'));
    QTest::newRow("exactly at the cap nothing dropped") << full << QByteArray("MD\r") << full + "MD\r";
}

void TestLink::receive_appendsCapsAndDropsOneLeadingCr() {
    QFETCH(QString, before);
    QFETCH(QByteArray, chunk);
    QFETCH(QString, after);

    Rig rig;
    rig.state.gRxBuffer = before;
    rig.transport->feedNow(chunk);

    QCOMPARE(rig.state.gRxChunk, QString::fromLatin1(chunk));
    QCOMPARE(rig.state.gRxBuffer, after);
    // Arriving characters light the buffer lamp at once; the port is drained, so the next refresh puts it out.
    QVERIFY(rig.lamps.isLit(Lamp::Buffer));
    rig.lamps.refresh();
    QVERIFY(!rig.lamps.isLit(Lamp::Buffer));
}

void TestLink::readReplyLines_takesTheLastWholeLine_data() {
    QTest::addColumn<QString>("buffer");
    QTest::addColumn<QStringList>("replyPrevRest");

    // gReply was "old" and gPrevReply "older" before each call.
    QTest::newRow("two lines: last one wins") << "ABC\rDEF\r" << QStringList{"DEF", "ABC", ""};
    QTest::newRow("nine letters after CR become a line") << "\rABCDEFGHI" << QStringList{"ABCDEFGHI", "", ""};
    QTest::newRow("eight letters after CR wait") << "\rABCDEFGH" << QStringList{"", "older", "ABCDEFGH"};
    QTest::newRow("two leading CRs dropped") << "\r\rX\r" << QStringList{"X", "", ""};
    QTest::newRow("line then empty line: discarded") << "ABC\r\r" << QStringList{"", "old", ""};
    QTest::newRow("no CR: nothing happens") << "ABCDEFGHIJKL" << QStringList{"old", "older", "ABCDEFGHIJKL"};
}

void TestLink::readReplyLines_takesTheLastWholeLine() {
    QFETCH(QString, buffer);
    QFETCH(QStringList, replyPrevRest);

    Rig rig;
    rig.state.gReply = QStringLiteral("old");
    rig.state.gPrevReply = QStringLiteral("older");
    rig.state.gRxBuffer = buffer;
    rig.link.readReplyLines();
    QCOMPARE(QStringList({rig.state.gReply, rig.state.gPrevReply, rig.state.gRxBuffer}), replyPrevRest);
}

void TestLink::lamps_showThePortState_data() {
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("cts");
    QTest::addColumn<bool>("dsr");
    QTest::addColumn<bool>("waiting");
    QTest::addColumn<QStringList>("tips"); // Label7, Label8, Label9
    QTest::addColumn<QStringList>("lit");

    const QString empty = QStringLiteral("COM buffer is empty");
    const QString low = QStringLiteral("DSR Signal is low");
    const QString open = QStringLiteral("COM Port is open");
    QTest::newRow("closed: all dark, whatever the lines say")
        << false << true << true << true << QStringList{empty, low, "COM Port is closed"} << QStringList();
    QTest::newRow("CTS high only: Label8 keeps the DSR text")
        << true << true << false << false << QStringList{empty, low, open} << QStringList{"lampCTS", "lampPort"};
    QTest::newRow("DSR high") << true << false << true << false << QStringList{empty, "DSR Signal is high", open}
                              << QStringList{"lampDSR", "lampPort"};
    QTest::newRow("characters waiting in the port")
        << true << false << false << true << QStringList{"Data is in the COM buffer", low, open}
        << QStringList{"lampBuffer", "lampPort"};
}

void TestLink::lamps_showThePortState() {
    QFETCH(bool, open);
    QFETCH(bool, cts);
    QFETCH(bool, dsr);
    QFETCH(bool, waiting);
    QFETCH(QStringList, tips);
    QFETCH(QStringList, lit);

    Rig rig(open);
    rig.transport->setModemLines(cts, dsr);
    if (waiting)
        rig.transport->feed("MD00\r"); // queued, not yet read by the link
    rig.lamps.refresh();

    QStringList shown;
    for (const char* label : {"Label7", "Label8", "Label9"})
        shown << rig.lamps.toolTip(QLatin1String(label));
    QCOMPARE(shown, tips);
    // The CTS lamp names its own line, whatever its caption says.
    QCOMPARE(rig.lamps.toolTip(Lamp::Cts),
             cts && open ? QStringLiteral("CTS Signal is high") : QStringLiteral("CTS Signal is low"));
    for (const char* name : {"lampBuffer", "lampCTS", "lampDSR", "lampPort"})
        QCOMPARE(rig.lamps.color(QLatin1String(name)), lit.contains(QLatin1String(name)) ? 65280u : 16384u);
}

void TestLink::lostDevice_closesThePortAndDarkensTheLamp() {
    Rig rig;
    QVERIFY(rig.lamps.isLit(Lamp::Port));
    rig.transport->loseDevice();
    QVERIFY(!rig.link.isOpen());
    QVERIFY(!rig.lamps.isLit(Lamp::Port));
    // The same port opens again.
    QVERIFY(rig.link.openPort());
    QVERIFY(rig.lamps.isLit(Lamp::Port));
}

void TestLink::start_asksUntilTheSettingsAreValid_data() {
    QTest::addColumn<QStringList>("stored"); // port, speed
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("speed");

    const QString port = portQuestion();
    QTest::newRow("stored port and speed: no question")
        << QStringList{"2", "19200"} << QStringList() << QStringList() << 2 << "19200";
    // A port that has to be asked for brings the speed question with it, whatever speed is stored.
    QTest::newRow("nothing stored asks port and speed") << QStringList{kNone, kNone} << QStringList{"1", "4800"}
                                                        << QStringList{port, speedQuestion(1, "19200")} << 1 << "4800";
    QTest::newRow("stored 0 asks again after invalid and cancelled answers")
        << QStringList{"0", "9600"} << QStringList{"7", kCancel, "abc", " 2 ", "2400"}
        << QStringList{port, port, port, port, speedQuestion(2, "19200")} << 2 << "2400";
    QTest::newRow("stored speed that is no line speed asks")
        << QStringList{"2", "1234"} << QStringList{"300", kCancel, "9600"} << QStringList(3, speedQuestion(2, "19200"))
        << 2 << "9600";
}

void TestLink::start_asksUntilTheSettingsAreValid() {
    QFETCH(QStringList, stored);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, questions);
    QFETCH(int, port);
    QFETCH(QString, speed);

    SetupRig rig;
    if (stored.at(0) != kNone)
        rig.settings.setComPort(stored.at(0));
    if (stored.at(1) != kNone)
        rig.settings.setComSpeed(stored.at(1));
    rig.answer(answers);
    rig.setup.start();
    QTRY_COMPARE(rig.started.count(), 1);

    QCOMPARE(rig.questions(), questions);
    QCOMPARE(rig.settings.comPort(), QString::number(port));
    QCOMPARE(rig.settings.comSpeed(), speed);
    QCOMPARE(rig.transport->device(), QStringLiteral("/dev/ttyS%1").arg(port - 1));
    QCOMPARE(rig.transport->baudRate(), speed.toInt());
    QCOMPARE(rig.status, QStringList{QStringLiteral("COMM PORT #%1 OPENED at %2,N,8,1").arg(port).arg(speed)});
    QCOMPARE(rig.speeds.count(), 1);
    QCOMPARE(rig.speeds.at(0).at(0).toString(), speed);
}

void TestLink::start_withDevicePath_asksNothingAndRemembersIt() {
    SetupRig rig;
    rig.setup.start(QStringLiteral("/dev/pts/7"));
    QTRY_COMPARE(rig.started.count(), 1);
    QCOMPARE(rig.prompter.calls().size(), 0);
    QCOMPARE(rig.settings.comDevice(), QStringLiteral("/dev/pts/7"));
    QCOMPARE(rig.transport->device(), QStringLiteral("/dev/pts/7"));
    QCOMPARE(rig.status, QStringList{"COMM PORT /dev/pts/7 OPENED at 19200,N,8,1"});

    // The next start without a path takes the remembered one, again without a question.
    SetupRig next;
    next.settings.setComDevice(QStringLiteral("/dev/ttyUSB0"));
    next.setup.start();
    QTRY_COMPARE(next.started.count(), 1);
    QCOMPARE(next.prompter.calls().size(), 0);
    QCOMPARE(next.transport->device(), QStringLiteral("/dev/ttyUSB0"));
}

void TestLink::start_portThatWillNotOpen_saysWhichAndWhy() {
    SetupRig rig;
    rig.settings.setComPort(QStringLiteral("2"));
    rig.transport->failNextOpen(QStringLiteral("Permission denied"));
    rig.setup.start();
    QTRY_COMPARE(rig.started.count(), 1);

    QVERIFY(!rig.link.isOpen());
    QCOMPARE(rig.status, QStringList{"COMM PORT #2 FAILED: Cannot open /dev/ttyS1: Permission denied"});
    QCOMPARE(rig.prompter.count(QStringLiteral("inform")), 1);
    const auto& box = rig.prompter.calls().constLast();
    QVERIFY(box.text.startsWith(QStringLiteral("Cannot open /dev/ttyS1: Permission denied")));
    QCOMPARE(box.icon, Prompter::Icon::Warning);
}

void TestLink::menu_choosesOrKeepsAndReopens_data() {
    QTest::addColumn<bool>("speedMenu");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("speed");

    const QString first = QStringLiteral("COM PORT|Select a COM Port|2");
    QTest::newRow("port: cancel keeps the port")
        << false << "" << QStringList{kCancel} << QStringList{first} << 2 << "9600";
    // The first answer is read as a number, a repeated question takes only the first character.
    QTest::newRow("port: out of range asks again")
        << false << "" << QStringList{"12", "31"} << QStringList{first, portQuestion()} << 3 << "9600";
    QTest::newRow("port: a number replaces a device path")
        << false << "/dev/pts/4" << QStringList{"1"} << QStringList{first} << 1 << "9600";
    QTest::newRow("speed: cancel keeps the speed")
        << true << "" << QStringList{kCancel} << QStringList{speedQuestion(2, "9600")} << 2 << "9600";
    QTest::newRow("speed: invalid asks again with 19200")
        << true << "" << QStringList{"300", "2400"} << QStringList{speedQuestion(2, "9600"), speedQuestion(2, "19200")}
        << 2 << "2400";
}

void TestLink::menu_choosesOrKeepsAndReopens() {
    QFETCH(bool, speedMenu);
    QFETCH(QString, device);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, questions);
    QFETCH(int, port);
    QFETCH(QString, speed);

    SetupRig rig;
    QVERIFY(rig.startOpen(device));
    rig.answer(answers);
    if (speedMenu)
        rig.setup.chooseSpeed();
    else
        rig.setup.choosePort();
    // The port menu closes the port before asking; the speed menu only after the answer.
    QCOMPARE(rig.link.isOpen(), speedMenu);
    QTRY_COMPARE(rig.detect.count(), 1);

    QCOMPARE(rig.questions(), questions);
    QCOMPARE(rig.settings.comPort(), QString::number(port));
    QCOMPARE(rig.settings.comSpeed(), speed);
    QCOMPARE(rig.settings.comDevice(), QString());
    QCOMPARE(rig.transport->device(), QStringLiteral("/dev/ttyS%1").arg(port - 1));
    QCOMPARE(rig.transport->baudRate(), speed.toInt());
    const QString was = device.isEmpty() ? QStringLiteral("#2") : device;
    QCOMPARE(rig.status, QStringList({QStringLiteral("COMM PORT %1 CLOSED at 9600,N,8,1").arg(was),
                                      QStringLiteral("COMM PORT #%1 OPENED at %2,N,8,1").arg(port).arg(speed)}));
}

void TestLink::lostPort_isReportedAndReopenBringsItBack() {
    SetupRig rig;
    QVERIFY(rig.startOpen());
    rig.transport->loseDevice(QStringLiteral("the adapter was unplugged"));
    QVERIFY(!rig.link.isOpen());
    QCOMPARE(rig.status, QStringList{"COMM PORT #2 LOST: the adapter was unplugged"});

    rig.status.clear();
    rig.setup.reopenPort();
    QCOMPARE(rig.detect.count(), 1);
    QCOMPARE(rig.status, QStringList{"COMM PORT #2 OPENED at 9600,N,8,1"});
}

void TestLink::menu_whileAQuestionIsOpen_isIgnored() {
    SetupRig rig;
    QVERIFY(rig.startOpen());
    rig.answer({QStringLiteral("3")});
    rig.setup.choosePort();
    rig.setup.chooseSpeed(); // the port question is still open
    rig.setup.reopenPort();
    QTRY_COMPARE(rig.detect.count(), 1);
    QCOMPARE(rig.prompter.count(QStringLiteral("askText")), 1);
    QCOMPARE(int(rig.state.gComPort), 3);
    QVERIFY(!rig.setup.isBusy());
}

QTEST_GUILESS_MAIN(TestLink)
#include "test_link.moc"
