// The serial link: the command text it writes, the receive buffer, the port set-up and its questions, the serial
// transport on a real device or pseudo-terminal, and the command-code check over the link.
#include "MemoryTransport.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "link/CommandCodeCheck.h"
#include "link/LinkLamps.h"
#include "link/PortSetup.h"
#include "link/SerialLink.h"
#include "link/SerialTransport.h"
#include "protocol/Commands.h"
#include "state/ScannerState.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <fcntl.h>
#include <grp.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Opens the master side of a pseudo-terminal, standing in for the scanner end of the cable; -1 when none.
int openPtyMaster(QString* slavePath) {
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0 || ::grantpt(fd) != 0 || ::unlockpt(fd) != 0)
        return -1;
    *slavePath = QString::fromLocal8Bit(::ptsname(fd));
    return fd;
}

// The error text of opening the device; as the user "nobody", who is in no group, when asked (root ignores rights).
QString openError(const QString& device, bool asNobody) {
    SerialTransport transport;
    transport.setDevice(device);
    if (!asNobody)
        return transport.open() ? QStringLiteral("opened") : transport.errorText();
    int out[2];
    if (::pipe(out) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0) {
            const QByteArray text = transport.open() ? QByteArray("opened") : transport.errorText().toUtf8();
            [[maybe_unused]] const auto n = ::write(out[1], text.constData(), size_t(text.size()));
        }
        ::_exit(0);
    }
    ::close(out[1]);
    char buf[512];
    const ssize_t n = ::read(out[0], buf, sizeof buf); // one write far below the pipe's atomic size
    ::close(out[0]);
    ::waitpid(child, nullptr, 0);
    return QString::fromUtf8(buf, qMax<ssize_t>(n, 0));
}

constexpr int kPairWaitMs = 200;

// A scanner that answers "MD" with a scripted text and every other pair with "<pair>=OK", unless told to stay silent.
struct CheckRig {
    QTemporaryDir dir;
    ScannerState state;
    SerialLink link{state};
    MemoryTransport* transport = new MemoryTransport;
    CommandCodeCheck check{state, link};
    QSignalSpy finished{&check, &CommandCodeCheck::finished};
    QSignalSpy cancelled{&check, &CommandCodeCheck::cancelled};
    QSignalSpy failed{&check, &CommandCodeCheck::failed};
    QSignalSpy progress{&check, &CommandCodeCheck::progress};
    QByteArray modeAnswer;
    QStringList silent;
    int silentAfter = -1; // pairs answered before the scanner falls silent; -1 never
    int answered = 0;

    CheckRig() {
        state.gAppPath = dir.path();
        link.setTransport(transport);
        link.openPort();
        check.setModeTimeoutMs(100);
        check.setPairWaitMs(kPairWaitMs);
        QObject::connect(transport, &MemoryTransport::written, transport, [this](const QByteArray& bytes) {
            const QByteArray command = bytes.chopped(1);
            if (command == "MD")
                transport->feed(modeAnswer);
            else if (command.size() == 2 && !silent.contains(QLatin1String(command)) &&
                     (silentAfter < 0 || answered++ < silentAfter))
                transport->feed(command + "=OK\r");
        });
    }
    QByteArray log() const {
        QFile f(check.logPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

struct Run {
    QString end; // "finish", or "cancel" or "lost" after ten pairs
    QByteArray modeAnswer;
    QStringList silent;    // pairs the scanner does not answer
    QStringList spotLines; // the first log line, then lines that must follow in this order
    QString failure = {};  // in the reason the check gives when it fails
};
} // namespace

Q_DECLARE_METATYPE(Send)
Q_DECLARE_METATYPE(Rx)
Q_DECLARE_METATYPE(Setup)
Q_DECLARE_METATYPE(Opening)
Q_DECLARE_METATYPE(Run)

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

    void open_saysWhatTheUserCanDo_data() {
        QTest::addColumn<QString>("device"); // "file": a regular file; "denied": a pseudo-terminal of group dialout
        QTest::addColumn<QString>("error");  // "<dev>" stands for the device path; a final blank, for a reason

        const auto row = [](const char* name, const char* device, const char* error) {
            QTest::newRow(name) << QString::fromLatin1(device) << QString::fromLatin1(error);
        };
        row("missing device", "/dev/valdoria-no-such-port", "Cannot open <dev>: ");
        row("regular file", "file", "<dev> is not a serial device");
        row("/dev/null", "/dev/null", "<dev> is not a serial device");
        row("device of a group the user is not in", "denied",
            "Cannot open <dev>: permission denied. Add your user to the dialout group, then log in again "
            "(sudo adduser nobody dialout).");
    }
    void open_saysWhatTheUserCanDo() {
        QFETCH(QString, device);
        QFETCH(QString, error);

        QTemporaryFile file;
        const bool denied = device == QLatin1String("denied");
        if (device == QLatin1String("file")) {
            QVERIFY(file.open());
            device = file.fileName();
        } else if (denied) {
            if (::geteuid() != 0)
                QSKIP("handing the device to root and dialout needs root");
            const group* dialout = ::getgrnam("dialout");
            const int master = openPtyMaster(&device);
            QVERIFY(dialout && master >= 0);
            QVERIFY(::chown(QFile::encodeName(device).constData(), 0, dialout->gr_gid) == 0);
            QVERIFY(::chmod(QFile::encodeName(device).constData(), 0660) == 0);
        }
        const QString got = openError(device, denied);
        error.replace(QLatin1String("<dev>"), device);
        const bool reason = error.endsWith(QLatin1Char(' '));
        QVERIFY2(reason ? got.startsWith(error) && got.size() > error.size() : got == error, qPrintable(got));
    }

    void pseudoTerminal_roundTripsThenHangUpIsALostPort() {
        QString slave;
        const int master = openPtyMaster(&slave);
        QVERIFY(master >= 0);
        SerialTransport transport;
        transport.setDevice(slave);
        QVERIFY2(transport.open(), qPrintable(transport.errorText()));
        QSignalSpy lost(&transport, &Transport::lost);
        QSignalSpy ready(&transport, &Transport::readyRead);

        // Modem lines on a pseudo-terminal read as low and do not close the port.
        QVERIFY(!transport.cts() && !transport.dsr() && transport.isOpen());
        QVERIFY(transport.write("MD\r"));
        QByteArray out;
        const auto readMaster = [&] {
            char buf[64];
            const ssize_t n = ::read(master, buf, sizeof buf);
            return out.append(buf, qMax<ssize_t>(n, 0));
        };
        QTRY_COMPARE(readMaster(), QByteArray("MD\r"));
        QCOMPARE(::write(master, "MD02\r", 5), 5);
        QVERIFY(ready.wait());
        QByteArray in;
        QTRY_COMPARE(in += transport.readAll(), QByteArray("MD02\r"));

        ::close(master);
        QTRY_COMPARE(lost.count(), 1);
        QVERIFY(!transport.isOpen());
    }

    void run_logsTheModeAndEveryPairButAcUntilItEnds_data() {
        QTest::addColumn<Run>("row");
        const auto row = [](const char* name, const Run& r) { QTest::newRow(name) << r; };
        row("every pair answered",
            {"finish", "MD02\r", {}, {"MODE: MD02", "AA AA=OK", "AB AB=OK", "AD AD=OK", "ZZ ZZ=OK"}});
        row("a line before the mode reply is dropped", {"finish", "SB AB\rMD 1\r", {}, {"MODE: MD 1", "AA AA=OK"}});
        row("a silent pair repeats the reply before it",
            {"finish",
             "MD00\r",
             {"AB", "QR", "QS"},
             {"MODE: MD00", "AA AA=OK", "AB AA=OK", "AD AD=OK", "QQ QQ=OK", "QR QQ=OK", "QS QQ=OK"}});
        row("no mode answer", {"finish", "", {}, {"MODE: (no answer)", "AA AA=OK"}});
        row("cancelled", {"cancel", "MD02\r", {}, {"MODE: MD02", "AA AA=OK"}});
        row("port lost", {"lost", "MD02\r", {}, {"MODE: MD02", "AA AA=OK"}, "the port was lost (cable pulled)"});
    }
    void run_logsTheModeAndEveryPairButAcUntilItEnds() {
        QFETCH(Run, row);
        CheckRig rig;
        rig.modeAnswer = row.modeAnswer;
        rig.silent = row.silent;
        const bool finish = row.end == QLatin1String("finish");
        // Silent after ten pairs unless the run is to finish, so it is still waiting when it is ended.
        if (!finish)
            rig.silentAfter = 10;
        QVERIFY(rig.check.start());
        if (finish) {
            QTRY_COMPARE_WITH_TIMEOUT(rig.finished.count(), 1, 30000);
        } else {
            QTRY_VERIFY(rig.progress.count() >= 10);
            if (row.end == QLatin1String("lost"))
                rig.transport->loseDevice(QStringLiteral("cable pulled"));
            else
                rig.check.cancel();
        }
        QCOMPARE(rig.cancelled.count(), row.end == QLatin1String("cancel") ? 1 : 0);
        QCOMPARE(rig.failed.count(), row.failure.isEmpty() ? 0 : 1);
        QVERIFY(row.failure.isEmpty() || rig.failed.first().at(0).toString().contains(row.failure));

        // A late answer arrives; nothing may go out, not even when the pair wait would have run out.
        const QStringList written = rig.transport->writtenLines();
        QSignalSpy writes(rig.transport, &MemoryTransport::written);
        rig.transport->feed("ZZ=OK\r");
        QVERIFY(!writes.wait(3 * kPairWaitMs));
        QVERIFY(!rig.check.isRunning());
        QCOMPARE(rig.finished.count(), finish ? 1 : 0);

        // The mode line and one line per pair done, each ended by CR LF.
        const QByteArray log = rig.log();
        const QStringList lines = QString::fromLatin1(log).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        const int done = rig.progress.constLast().at(0).toInt();
        QCOMPARE(log.count("\r\n"), 1 + done);
        QCOMPARE(log.count('\r'), 1 + done); // no bare CR inside a line
        for (qsizetype i = 0, from = 0; i < row.spotLines.size(); ++i) {
            from = lines.indexOf(row.spotLines.at(i), from) + 1;
            QVERIFY2(from > 0 && (i > 0 || from == 1), qPrintable(row.spotLines.at(i)));
        }
        if (!finish)
            return;
        // Every pair from "AA" to "ZZ" but "AC".
        QCOMPARE(done, 675);
        QCOMPARE(written.first(3), QStringList({"QUF", "IDF", "MD"}));
        QCOMPARE(written.size(), 3 + 675);
        QVERIFY(!written.contains(QStringLiteral("AC")));

        // A second run appends to the log.
        QVERIFY(rig.check.start());
        QTRY_COMPARE_WITH_TIMEOUT(rig.finished.count(), 2, 30000);
        QCOMPARE(rig.log(), log + log);
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "test_link.moc"
