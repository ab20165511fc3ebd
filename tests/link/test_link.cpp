#include "MemoryTransport.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "link/LinkLamps.h"
#include "link/PortSetup.h"
#include "link/SerialLink.h"
#include "protocol/Commands.h"
#include "state/ScannerState.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using Lamp = LinkLamps::Lamp;
using Strings = QStringList;

namespace {
const QString kCancel = QStringLiteral("<cancel>");
const QString kPortQuestion = QStringLiteral("Select a COM port|Enter a COM port 1 thru 4|2");

QString speedQuestion(int port, const QString& defaultText) {
    return QStringLiteral("Select a bps rate|Select a bps rate for COM%1\r\n19200, 9600, 4800, or 2400|%2")
        .arg(port)
        .arg(defaultText);
}

// A link on a memory transport, with its lamps and a port set-up whose settings live in a temporary INI file.
struct Rig {
    ScannerState state;
    SerialLink link{state};
    MemoryTransport* transport = new MemoryTransport;
    LinkLamps lamps{link};
    QTemporaryDir dir;
    Settings settings{QStringLiteral("Valdoria2052/Pro"), dir.filePath(QStringLiteral("settings.ini"))};
    ScriptedPrompter prompter;
    PortSetup setup{state, link, settings, prompter};
    QStringList status;
    QSignalSpy started{&setup, &PortSetup::startupFinished};
    QSignalSpy detect{&setup, &PortSetup::modeDetectionRequested};

    explicit Rig(bool open = true) {
        link.setTransport(transport);
        if (open)
            link.openPort();
        QObject::connect(&setup, &PortSetup::statusLine, [this](const QString& line) { status << line; });
    }
    void store(const QString& port, const QString& speed, const QString& device = {}) {
        settings.setComPort(port);
        settings.setComSpeed(speed);
        settings.setComDevice(device);
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
};

// gCommand was "SI" before each call, gLastSent "MA".
struct Send {
    QString via; // "send", "gCommand" (sends gCommand itself) or "direct"
    bool open;
    QString command;
    QByteArray wire;
    QString lastSent;
};

// gReply was "old" and gPrevReply "older" before each step.
struct Rx {
    QString buffer;
    QByteArray chunk; // received; empty: the reply lines are read instead
    QStringList replyPrevRest;
};

struct Setup {
    QString via;                            // "start", or the "port" or "speed" menu once the port is open
    QStringList stored, answers, questions; // stored: port, speed and device path of an earlier run
    int port;
    QString speed;
};

// The device path stored by an earlier run and the one given with --port; failure "": the port opens; hint: what
// the warning box tells the user to do.
struct Opening {
    QString stored, path, failure, status, remembered, hint;
};
} // namespace

Q_DECLARE_METATYPE(Send)
Q_DECLARE_METATYPE(Rx)
Q_DECLARE_METATYPE(Setup)
Q_DECLARE_METATYPE(Opening)

class TestLink : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void builder_writesTheScannersText() {
        using namespace Commands;
        // Rounded to 100 Hz, pinned to the pattern's top and to zero; bank letters both ways.
        QCOMPARE(Strings({upperLimit(154.24999999), upperLimit(999999999999999.0), frequencyPattern(-1.5),
                          bankLetter(20) + QString::number(bankNumber('T'))}),
                 Strings({"LU01542500", "LU99999999", "0000.0000", "T20"}));
    }

    void sendToScanner_followsTheCommandRules_data() {
        QTest::addColumn<Send>("row");
        const auto row = [](const char* name, const Send& s) { QTest::newRow(name) << s; };
        row("open port: command and CR", {"send", true, "MD", "MD\r", "MD"});
        row("empty command writes nothing", {"send", true, "", "", "SI"});
        row("closed port drops silently", {"send", false, "MD", "", "SI"});
        row("gCommand itself", {"gCommand", true, "KEY02 3", "KEY02 3\r", "KEY02 3"});
        row("direct write leaves the members alone", {"direct", true, "MD", "MD\r", "MA"});
    }
    void sendToScanner_followsTheCommandRules() {
        QFETCH(Send, row);
        Rig rig(row.open);
        rig.state.gCommand = QStringLiteral("SI");
        rig.state.gLastSent = QStringLiteral("MA");
        if (row.via == QLatin1String("direct"))
            rig.link.directWrite(row.command);
        else
            rig.link.sendToScanner(row.via == QLatin1String("gCommand") ? (rig.state.gCommand = row.command)
                                                                        : row.command);
        QCOMPARE(rig.transport->takeWritten(), row.wire);
        QCOMPARE(rig.state.gCommand, row.via == QLatin1String("direct") ? QStringLiteral("SI") : row.command);
        QCOMPARE(rig.state.gLastSent, row.lastSent);
    }

    void rxBuffer_capsAndCutsWholeLines_data() {
        QTest::addColumn<Rx>("row");
        const auto row = [](const char* name, const Rx& r) { QTest::newRow(name) << r; };
        row("receive: only one CR dropped", {"", "\r\rX\r", {"old", "older", "\rX\r"}});
        row("receive: CR inside the buffer kept", {"ABC", "\rDEF", {"old", "older", "ABC\rDEF"}});
        const int cap = SerialLink::kRxBufferCap;
        row("receive: over the cap without CR, oldest characters go",
            {QString(cap, QLatin1Char('x')), "ABC", {"old", "older", QString(cap - 3, QLatin1Char('x')) + "ABC"}});
        // A cut inside the first line drops that whole line, never leaves its tail.
        const QString rest = QString(cap - 101, QLatin1Char('b')) + QLatin1Char('\r');
        row("receive: cut inside a line drops that line",
            {QString(100, QLatin1Char('a')) + QLatin1Char('\r') + rest, "SB A\r", {"old", "older", rest + "SB A\r"}});
        const QString full(cap - 3, QLatin1Char('y'));
        row("receive: exactly at the cap nothing dropped", {full, "MD\r", {"old", "older", full + "MD\r"}});
        row("read: two lines, last one wins", {"ABC\rDEF\r", {}, {"DEF", "ABC", ""}});
        row("read: nine letters after CR become a line", {"\rABCDEFGHI", {}, {"ABCDEFGHI", "", ""}});
        row("read: eight letters after CR wait", {"\rABCDEFGH", {}, {"", "older", "ABCDEFGH"}});
        row("read: two leading CRs dropped", {"\r\rX\r", {}, {"X", "", ""}});
        row("read: line then empty line, discarded", {"ABC\r\r", {}, {"", "old", ""}});
        row("read: no CR, nothing happens", {"ABCDEFGHIJKL", {}, {"old", "older", "ABCDEFGHIJKL"}});
    }
    void rxBuffer_capsAndCutsWholeLines() {
        QFETCH(Rx, row);
        Rig rig;
        rig.state.gReply = QStringLiteral("old");
        rig.state.gPrevReply = QStringLiteral("older");
        rig.state.gRxBuffer = row.buffer;
        if (row.chunk.isEmpty())
            rig.link.readReplyLines();
        else
            rig.transport->feedNow(row.chunk);
        QCOMPARE(Strings({rig.state.gReply, rig.state.gPrevReply, rig.state.gRxBuffer}), row.replyPrevRest);
        // Arriving characters light the buffer lamp at once; the port is drained, so the next refresh puts it out.
        QCOMPARE(rig.lamps.isLit(Lamp::Buffer), !row.chunk.isEmpty());
        rig.lamps.refresh();
        QVERIFY(!rig.lamps.isLit(Lamp::Buffer));
    }

    void setup_asksUntilValidStoresAndOpens_data() {
        QTest::addColumn<Setup>("row");
        const auto row = [](const char* name, const Setup& s) { QTest::newRow(name) << s; };
        const QString port = kPortQuestion;
        const QString menu = QStringLiteral("COM PORT|Select a COM Port|2");
        const Strings was{"2", "9600"};
        const QString speed2 = speedQuestion(2, "19200");
        row("start: stored port and speed, no question", {"start", {"2", "19200"}, {}, {}, 2, "19200"});
        // A port that has to be asked for brings the speed question with it, whatever speed is stored.
        row("start: nothing stored asks port and speed",
            {"start", {"", ""}, {"1", "4800"}, {port, speedQuestion(1, "19200")}, 1, "4800"});
        // Wrong, cancelled and junk ports ask again; blanks around the number are trimmed.
        const Strings portAnswers{"7", kCancel, "abc", " 2 "};
        row("start: stored 0 asks until a port is given",
            {"start", {"0", "9600"}, portAnswers + Strings{"2400"}, {port, port, port, port, speed2}, 2, "2400"});
        row("start: stored speed that is no line speed asks",
            {"start", {"2", "1234"}, {"300", kCancel, "9600"}, {speed2, speed2, speed2}, 2, "9600"});
        row("port: cancel keeps the port", {"port", was, {kCancel}, {menu}, 2, "9600"});
        // The first answer is read as a number, a repeated question takes only the first character.
        row("port: out of range asks again", {"port", was, {"12", "31"}, {menu, port}, 3, "9600"});
        row("port: a number replaces a device path", {"port", {"2", "9600", "/dev/pts/4"}, {"1"}, {menu}, 1, "9600"});
        row("speed: cancel keeps the speed", {"speed", was, {kCancel}, {speedQuestion(2, "9600")}, 2, "9600"});
        const QString notASpeed = QStringLiteral(
            "Select a bps rate|300 is not a speed the scanner can use: type 19200, 9600, 4800 or 2400.|");
        row("speed: invalid asks again with 19200",
            {"speed", was, {"300", "2400"}, {speedQuestion(2, "9600"), notASpeed, speed2}, 2, "2400"});
    }
    void setup_asksUntilValidStoresAndOpens() {
        QFETCH(Setup, row);
        Rig rig(false);
        rig.store(row.stored.at(0), row.stored.at(1), row.stored.value(2));
        // The stored port and speed are good in the menu rows, so start asks nothing there.
        rig.answer(row.answers);
        rig.setup.start();
        const bool menu = row.via != QLatin1String("start");
        QStringList status;
        if (menu) {
            QTRY_VERIFY(rig.link.isOpen());
            rig.status.clear();
            const QString device = row.stored.value(2);
            status << QStringLiteral("COMM PORT %1 CLOSED at 9600,N,8,1")
                          .arg(device.isEmpty() ? QStringLiteral("#2") : device);
            if (row.via == QLatin1String("port"))
                rig.setup.choosePort();
            else
                rig.setup.chooseSpeed();
            // The port menu closes the port before asking; the speed menu only after the answer.
            QCOMPARE(rig.link.isOpen(), row.via == QLatin1String("speed"));
            // Menus and reopening are ignored while a question is open.
            rig.setup.choosePort();
            rig.setup.chooseSpeed();
            rig.setup.reopenPort();
        }
        QTRY_COMPARE((menu ? rig.detect : rig.started).count(), 1);
        QVERIFY(!rig.setup.isBusy());

        QCOMPARE(rig.questions(), row.questions);
        // What is stored (port, speed, device), then the device and speed the port was opened with.
        const QString device = QStringLiteral("/dev/ttyS%1").arg(row.port - 1);
        QCOMPARE(Strings({rig.settings.comPort(), rig.settings.comSpeed(), rig.settings.comDevice(),
                          rig.transport->device(), QString::number(rig.transport->baudRate())}),
                 Strings({QString::number(row.port), row.speed, QString(), device, row.speed}));
        QCOMPARE(rig.status, status << QStringLiteral("COMM PORT #%1 OPENED at %2,N,8,1").arg(row.port).arg(row.speed));
    }

    void start_opensOrSaysWhyAndRemembersOnlyAnOpenedPath_data() {
        QTest::addColumn<Opening>("row");
        const auto row = [](const char* name, const Opening& o) { QTest::newRow(name) << o; };
        const QString usb = QStringLiteral("/dev/ttyUSB0");
        const QString pts = QStringLiteral("/dev/pts/7");
        row("--port opens: remembered", {usb, pts, "", pts + " OPENED at 9600,N,8,1", pts, ""});
        // The port menu takes only the ports 1 to 4: the box also names the way to give a device.
        row("--port will not open: not remembered",
            {usb, pts, "not a serial device", pts + " FAILED: Cannot open " + pts + ": not a serial device", usb,
             "with --port"});
        row("port will not open: says which and why",
            {"", "", "Permission denied", "#2 FAILED: Cannot open /dev/ttyS1: Permission denied", "",
             "Choose another port"});
    }
    void start_opensOrSaysWhyAndRemembersOnlyAnOpenedPath() {
        QFETCH(Opening, row);
        Rig rig(false);
        rig.store(QStringLiteral("2"), QStringLiteral("9600"), row.stored);
        rig.transport->failNextOpen(row.failure);
        rig.setup.start(row.path);
        QTRY_COMPARE(rig.started.count(), 1);

        QCOMPARE(rig.link.isOpen(), row.failure.isEmpty());
        QCOMPARE(rig.status, Strings{QStringLiteral("COMM PORT ") + row.status});
        QCOMPARE(rig.settings.comDevice(), row.remembered);
        // No question; a failure brings one warning box.
        QCOMPARE(rig.prompter.count(QStringLiteral("inform")), rig.prompter.calls().size());
        QCOMPARE(rig.prompter.calls().size(), row.failure.isEmpty() ? 0 : 1);
        for (const auto& box : rig.prompter.calls())
            QVERIFY2(box.text.startsWith(rig.transport->errorText()) && box.text.contains(row.hint),
                     qPrintable(box.text));
    }

    void lampsShowTheOpenPort_andALostPortReopensWhenItsDeviceIsBack() {
        Rig rig(false);
        const QString device = rig.dir.filePath(QStringLiteral("ttyUSB0"));
        QFile node(device);
        QVERIFY(node.open(QIODevice::WriteOnly));
        rig.store(QStringLiteral("2"), QStringLiteral("9600"), device);
        rig.setup.start();
        QTRY_VERIFY(rig.link.isOpen());
        // The lamps show the open port's modem lines and characters waiting to be read.
        rig.transport->setModemLines(false, true);
        rig.transport->feed("MD00\r"); // queued, not yet read by the link
        rig.lamps.refresh();
        const auto lit = [&rig] {
            QStringList names;
            for (const char* name : {"lampBuffer", "lampCTS", "lampDSR", "lampPort"})
                if (rig.lamps.color(QLatin1String(name)) == 65280u)
                    names << QLatin1String(name);
            return names;
        };
        QCOMPARE(lit(), Strings({"lampBuffer", "lampDSR", "lampPort"}));
        rig.setup.setReconnectIntervalMs(10);
        rig.transport->loseDevice(QStringLiteral("the adapter was unplugged"));
        QVERIFY(node.remove());
        QVERIFY(!rig.lamps.isLit(Lamp::Port));

        // No open is tried while the device node is away.
        QVERIFY(!rig.detect.wait(200));
        QVERIFY(!rig.link.isOpen());
        QVERIFY(node.open(QIODevice::WriteOnly));
        QVERIFY(rig.detect.wait(2000));
        QVERIFY(rig.lamps.isLit(Lamp::Port));
        const QString opened = QStringLiteral("COMM PORT %1 OPENED at 9600,N,8,1").arg(device);
        QCOMPARE(rig.status,
                 Strings({opened, QStringLiteral("NO LINK - COMM PORT %1 LOST: the adapter was unplugged").arg(device),
                          opened}));
        QCOMPARE(rig.prompter.calls().size(), 0);
        // Closing the port puts every lamp out.
        rig.link.closePort();
        QCOMPARE(lit(), Strings());
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "test_link.moc"
