#include "ScriptedPrompter.h"
#include "Settings.h"
#include "link/MemoryTransport.h"
#include "link/PortSetup.h"
#include "link/SerialLink.h"
#include "monitor/ScannerState.h"
#include "monitor/Switches.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kNone = QStringLiteral("<none>");
const QString kCancel = QStringLiteral("<cancel>");
const QString kSpeedPrompt2 = QStringLiteral("Select a bps rate for COM2\r\n19200, 9600, 4800, or 2400");

// Everything a port set-up works on, with the settings in a temporary INI file.
struct Rig {
    QTemporaryDir dir;
    ScannerState state;
    SerialLink link{state};
    MemoryTransport* transport = new MemoryTransport;
    Settings settings{QStringLiteral("Valdoria2052/Pro"), dir.filePath(QStringLiteral("settings.ini"))};
    ScriptedPrompter prompter;
    Switches switches;
    PortSetup setup{state, link, settings, prompter, switches};
    QSignalSpy status{&setup, &PortSetup::statusLine};
    QSignalSpy started{&setup, &PortSetup::startupFinished};
    QSignalSpy detect{&setup, &PortSetup::modeDetectionRequested};

    Rig() { link.setTransport(transport); }

    void answer(const QStringList& answers) {
        for (const QString& a : answers)
            prompter.queueText(a == kCancel ? std::nullopt : std::optional<QString>(a));
    }
    QStringList questions() const {
        QStringList out;
        for (const auto& call : prompter.calls()) {
            if (call.kind == QLatin1String("askText"))
                out << call.title + QLatin1Char('|') + call.text + QLatin1Char('|') + call.defaultText;
        }
        return out;
    }
    QStringList statusLines() const {
        QStringList out;
        for (const auto& args : status)
            out << args.at(0).toString();
        return out;
    }
    // The stored set-up of an earlier run: port 2 at 19200, open.
    bool startOnPort2() {
        settings.setComPort(QStringLiteral("2"));
        settings.setComSpeed(QStringLiteral("19200"));
        setup.start();
        if (!QTest::qWaitFor([this] { return started.count() == 1; }))
            return false;
        status.clear();
        prompter.clear();
        return link.isOpen();
    }
};

QString portQuestion(const QString& defaultText = QStringLiteral("2")) {
    return QStringLiteral("Select a COM port|Enter a COM port 1 thru 4|") + defaultText;
}
} // namespace

class TestPortSetup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void start_asksUntilTheSettingsAreValid_data();
    void start_asksUntilTheSettingsAreValid();
    void start_withDevicePath_asksNothingAndRemembersIt();
    void start_portThatWillNotOpen_saysWhichAndWhy();
    void portMenu_choosesAndReopens_data();
    void portMenu_choosesAndReopens();
    void portMenu_numberReplacesADevicePath();
    void speedMenu_choosesOrKeepsTheSpeed_data();
    void speedMenu_choosesOrKeepsTheSpeed();
    void lostPort_isReportedAndReopenBringsItBack();
    void menu_whileAQuestionIsOpen_isIgnored();
};

void TestPortSetup::start_asksUntilTheSettingsAreValid_data() {
    QTest::addColumn<QString>("storedPort");
    QTest::addColumn<QString>("storedSpeed");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("speed");
    QTest::addColumn<int>("scanDelay");

    QTest::newRow("stored port and speed: no question") << "2"
                                                        << "9600" << QStringList() << QStringList() << 2 << "9600" << 3;
    // A port that has to be asked for brings the speed question with it, whatever speed is stored.
    const QString speedQuestion = QStringLiteral("Select a bps rate|") + kSpeedPrompt2 + QStringLiteral("|19200");
    const QString speedQuestion3 = QString(speedQuestion).replace(QStringLiteral("COM2"), QStringLiteral("COM3"));
    QTest::newRow("stored 0 asks port and speed")
        << "0"
        << "9600" << QStringList{"3", "19200"} << QStringList{portQuestion(), speedQuestion3} << 3 << "19200" << 2;
    QTest::newRow("nothing stored asks port and speed")
        << kNone << kNone << QStringList{"1", "4800"}
        << QStringList{portQuestion(), QString(speedQuestion).replace(QStringLiteral("COM2"), QStringLiteral("COM1"))}
        << 1 << "4800" << 3;
    QTest::newRow("stored port outside 1 to 4 asks")
        << "9"
        << "19200" << QStringList{"3", "9600"} << QStringList{portQuestion(), speedQuestion3} << 3 << "9600" << 3;
    QTest::newRow("invalid and cancelled answers ask again")
        << "0" << kNone << QStringList{"7", kCancel, "abc", " 2 ", "2400"}
        << QStringList{portQuestion(), portQuestion(), portQuestion(), portQuestion(), speedQuestion} << 2 << "2400"
        << 3;
    QTest::newRow("stored speed that is no line speed asks")
        << "2"
        << "1234" << QStringList{"300", kCancel, "2400"} << QStringList{speedQuestion, speedQuestion, speedQuestion}
        << 2 << "2400" << 3;
}

void TestPortSetup::start_asksUntilTheSettingsAreValid() {
    QFETCH(QString, storedPort);
    QFETCH(QString, storedSpeed);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, questions);
    QFETCH(int, port);
    QFETCH(QString, speed);
    QFETCH(int, scanDelay);

    Rig rig;
    if (storedPort != kNone)
        rig.settings.setComPort(storedPort);
    if (storedSpeed != kNone)
        rig.settings.setComSpeed(storedSpeed);
    rig.switches.setScanDelay(10);
    rig.answer(answers);

    rig.setup.start();
    QTRY_COMPARE(rig.started.count(), 1);

    QCOMPARE(rig.questions(), questions);
    QCOMPARE(int(rig.state.gComPort), port);
    QCOMPARE(rig.state.gComSpeed, speed);
    QCOMPARE(rig.settings.comPort(), QString::number(port));
    QCOMPARE(rig.settings.comSpeed(), speed);
    QCOMPARE(rig.settings.comDevice(), QString());
    QVERIFY(rig.link.isOpen());
    QCOMPARE(rig.transport->device(), QStringLiteral("/dev/ttyS%1").arg(port - 1));
    QCOMPARE(rig.transport->baudRate(), speed.toInt());
    QCOMPARE(rig.statusLines(), QStringList{QStringLiteral("COMM PORT #%1 OPENED at %2,N,8,1").arg(port).arg(speed)});
    QCOMPARE(rig.switches.scanDelay(), scanDelay);
    QCOMPARE(rig.detect.count(), 0);
}

void TestPortSetup::start_withDevicePath_asksNothingAndRemembersIt() {
    Rig rig;
    rig.setup.start(QStringLiteral("/dev/pts/7"));
    QTRY_COMPARE(rig.started.count(), 1);

    QCOMPARE(rig.prompter.calls().size(), 0);
    QCOMPARE(rig.state.gComSpeed, QStringLiteral("19200"));
    QCOMPARE(rig.settings.comDevice(), QStringLiteral("/dev/pts/7"));
    QCOMPARE(rig.transport->device(), QStringLiteral("/dev/pts/7"));
    QCOMPARE(rig.statusLines(), QStringList{"COMM PORT /dev/pts/7 OPENED at 19200,N,8,1"});

    // The next start without --port takes the remembered path, again without a question.
    Rig next;
    next.settings.setComDevice(QStringLiteral("/dev/ttyUSB0"));
    next.settings.setComSpeed(QStringLiteral("9600"));
    next.setup.start();
    QTRY_COMPARE(next.started.count(), 1);
    QCOMPARE(next.prompter.calls().size(), 0);
    QCOMPARE(next.transport->device(), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(next.transport->baudRate(), 9600);
}

void TestPortSetup::start_portThatWillNotOpen_saysWhichAndWhy() {
    Rig rig;
    rig.settings.setComPort(QStringLiteral("2"));
    rig.transport->failNextOpen(QStringLiteral("Permission denied"));
    rig.setup.start();
    QTRY_COMPARE(rig.started.count(), 1);

    QVERIFY(!rig.link.isOpen());
    QCOMPARE(rig.statusLines(), QStringList{"COMM PORT #2 FAILED: Cannot open /dev/ttyS1: Permission denied"});
    QCOMPARE(rig.prompter.count(QStringLiteral("inform")), 1);
    const auto& box = rig.prompter.calls().constLast();
    QCOMPARE(box.title, QStringLiteral("Valdoria2052/Pro"));
    QVERIFY(box.text.startsWith(QStringLiteral("Cannot open /dev/ttyS1: Permission denied")));
    QCOMPARE(box.icon, Prompter::Icon::Warning);
}

void TestPortSetup::portMenu_choosesAndReopens_data() {
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<int>("port");

    const QString first = QStringLiteral("COM PORT|Select a COM Port|2");
    QTest::newRow("valid number") << QStringList{"3"} << QStringList{first} << 3;
    QTest::newRow("cancel keeps the port") << QStringList{kCancel} << QStringList{first} << 2;
    QTest::newRow("empty answer keeps the port") << QStringList{""} << QStringList{first} << 2;
    QTest::newRow("out of range, then cancel keeps the port")
        << QStringList{"9", kCancel} << QStringList{first, portQuestion()} << 2;
    QTest::newRow("second answer: first character counts")
        << QStringList{"12", "4x"} << QStringList{first, portQuestion()} << 4;
    QTest::newRow("second answer 0 asks once more")
        << QStringList{"5", "0", "1"} << QStringList{first, portQuestion(), portQuestion()} << 1;
}

void TestPortSetup::portMenu_choosesAndReopens() {
    QFETCH(QStringList, answers);
    QFETCH(QStringList, questions);
    QFETCH(int, port);

    Rig rig;
    QVERIFY(rig.startOnPort2());
    rig.answer(answers);
    rig.setup.choosePort();
    QVERIFY(!rig.link.isOpen());
    QTRY_COMPARE(rig.detect.count(), 1);

    QCOMPARE(rig.questions(), questions);
    QCOMPARE(int(rig.state.gComPort), port);
    QCOMPARE(rig.settings.comPort(), QString::number(port));
    QVERIFY(rig.link.isOpen());
    QCOMPARE(rig.transport->device(), QStringLiteral("/dev/ttyS%1").arg(port - 1));
    QCOMPARE(rig.statusLines(), QStringList({QStringLiteral("COMM PORT #2 CLOSED at 19200,N,8,1"),
                                             QStringLiteral("COMM PORT #%1 OPENED at 19200,N,8,1").arg(port)}));
}

void TestPortSetup::portMenu_numberReplacesADevicePath() {
    Rig rig;
    rig.setup.start(QStringLiteral("/dev/pts/4"));
    QTRY_COMPARE(rig.started.count(), 1);
    rig.status.clear();

    rig.answer({QStringLiteral("1")});
    rig.setup.choosePort();
    QTRY_COMPARE(rig.detect.count(), 1);
    QCOMPARE(rig.settings.comDevice(), QString());
    QCOMPARE(rig.settings.comPort(), QStringLiteral("1"));
    QCOMPARE(rig.transport->device(), QStringLiteral("/dev/ttyS0"));
    QCOMPARE(rig.statusLines(),
             QStringList({"COMM PORT /dev/pts/4 CLOSED at 19200,N,8,1", "COMM PORT #1 OPENED at 19200,N,8,1"}));
}

void TestPortSetup::speedMenu_choosesOrKeepsTheSpeed_data() {
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("defaults");
    QTest::addColumn<QString>("speed");

    QTest::newRow("valid speed") << QStringList{"9600"} << QStringList{"19200"} << "9600";
    QTest::newRow("cancel keeps the speed") << QStringList{kCancel} << QStringList{"19200"} << "19200";
    QTest::newRow("invalid asks again with 19200")
        << QStringList{"300", "2400"} << QStringList{"19200", "19200"} << "2400";
    QTest::newRow("invalid, then cancel keeps the speed")
        << QStringList{"1200", kCancel} << QStringList{"19200", "19200"} << "19200";
}

void TestPortSetup::speedMenu_choosesOrKeepsTheSpeed() {
    QFETCH(QStringList, answers);
    QFETCH(QStringList, defaults);
    QFETCH(QString, speed);

    Rig rig;
    QVERIFY(rig.startOnPort2());
    rig.answer(answers);
    rig.setup.chooseSpeed();
    QTRY_COMPARE(rig.detect.count(), 1);

    QStringList expected;
    for (const QString& d : defaults)
        expected << QStringLiteral("Select a bps rate|") + kSpeedPrompt2 + QLatin1Char('|') + d;
    QCOMPARE(rig.questions(), expected);
    QCOMPARE(rig.state.gComSpeed, speed);
    QCOMPARE(rig.settings.comSpeed(), speed);
    QCOMPARE(rig.transport->baudRate(), speed.toInt());
    QCOMPARE(rig.statusLines(), QStringList({QStringLiteral("COMM PORT #2 CLOSED at 19200,N,8,1"),
                                             QStringLiteral("COMM PORT #2 OPENED at %1,N,8,1").arg(speed)}));
}

void TestPortSetup::lostPort_isReportedAndReopenBringsItBack() {
    Rig rig;
    QVERIFY(rig.startOnPort2());
    rig.transport->loseDevice(QStringLiteral("the adapter was unplugged"));
    QVERIFY(!rig.link.isOpen());
    QCOMPARE(rig.statusLines(), QStringList{"COMM PORT #2 LOST: the adapter was unplugged"});

    rig.status.clear();
    rig.setup.reopenPort();
    QCOMPARE(rig.detect.count(), 1);
    QVERIFY(rig.link.isOpen());
    QCOMPARE(rig.statusLines(), QStringList{"COMM PORT #2 OPENED at 19200,N,8,1"});
}

void TestPortSetup::menu_whileAQuestionIsOpen_isIgnored() {
    Rig rig;
    QVERIFY(rig.startOnPort2());
    rig.answer({QStringLiteral("3")});
    rig.setup.choosePort();
    rig.setup.chooseSpeed(); // the port question is still open
    rig.setup.reopenPort();
    QTRY_COMPARE(rig.detect.count(), 1);
    QCOMPARE(rig.prompter.count(QStringLiteral("askText")), 1);
    QCOMPARE(int(rig.state.gComPort), 3);
    QVERIFY(!rig.setup.isBusy());
}

QTEST_GUILESS_MAIN(TestPortSetup)
#include "test_portsetup.moc"
