// The faceplate window over a live session on the in-process simulator: what a click, a key or
// a menu entry does; the range search's refusals and hand-over, the transmitter database's settings, and a
// search on the built-in sample viewed, then programmed into a bank with SCAN FREQS; the phone view's address
// with its token and QR code, or how to turn the phone view on.
#include "SessionRig.h"
#include "Settings.h"
#include "faceplate/FaceplateController.h"
#include "faceplate/FaceplateMenus.h"
#include "faceplate/KeypadWidget.h"
#include "faceplate/Pro2052Faceplate.h"
#include "link/PortSetup.h"
#include "remote/WebServer.h"
#include "search/TransmitterDbDialog.h"
#include "state/Switches.h"
#include "web/PhoneViewDialog.h"
#include "web/QrCode.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestFaceplateController : public QObject {
    Q_OBJECT

    std::unique_ptr<SessionRig> m_rig;
    std::unique_ptr<Pro2052Faceplate> m_window;
    std::unique_ptr<FaceplateController> m_controller;
    int m_mark = 0;

    QStringList commandsSinceMark() const { return m_rig->commands.mid(m_mark); }
    void mark() { m_mark = int(m_rig->commands.size()); }

    void waitForPolling() {
        QTRY_VERIFY_WITH_TIMEOUT(m_rig->commands.contains(QStringLiteral("SI")), 5000);
        QCOMPARE(int(m_rig->session->state().gMode), 0);
    }

    // The named child of the visible top-level window, or the window itself for an empty name.
    template <typename T> static T* find(const QString& window, const QString& name) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->objectName() == window)
                return name.isEmpty() ? qobject_cast<T*>(w) : w->findChild<T*>(name);
        }
        return nullptr;
    }
    void menu(const QString& entry) {
        waitForPolling();
        m_window->menus()->action(entry)->trigger();
    }
    QString lastMessage() const {
        return m_rig->prompter.calls().isEmpty() ? QString() : m_rig->prompter.calls().last().text;
    }

    // What can be seen of the program: the boxes it asked, the open windows and the check marks.
    QStringList seen() const {
        QStringList out;
        for (const ScriptedPrompter::Call& call : m_rig->prompter.calls())
            out << call.kind + QLatin1Char(':') + call.title + QLatin1Char(':') + call.text;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                out << QStringLiteral("window:") + w->objectName();
        for (QAction* a : m_window->findChildren<QAction*>())
            if (a->isChecked())
                out << QStringLiteral("checked:") + a->objectName();
        return out;
    }

private Q_SLOTS:
    void init() {
        m_rig = std::make_unique<SessionRig>();
        m_mark = 0;
        Session& session = *m_rig->session;
        m_window = std::make_unique<Pro2052Faceplate>(session.display(), session.aux(), session.switches());
        m_controller = std::make_unique<FaceplateController>(session, *m_window, m_rig->prompter, QString());
        m_window->show();
        session.start();
    }

    void cleanup() {
        m_controller.reset();
        m_window.reset();
        m_rig.reset();
    }

    // Each key labelled on the faceplate sends the scanner's code for it; so does a typed key. The lamps carry
    // their own tooltips.
    void everyKey_putsItsCodeOnTheLine_andLampsCarryTheirTooltips() {
        const QStringList codes = QStringLiteral("btnSCAN=KEY00 btnMAN=KEY01 btnNUM0=KEY02 0 btnNUM1=KEY02 1 "
                                                 "btnNUM2=KEY02 2 btnNUM3=KEY02 3 btnNUM4=KEY02 4 btnNUM5=KEY02 5 "
                                                 "btnNUM6=KEY02 6 btnNUM7=KEY02 7 btnNUM8=KEY02 8 btnNUM9=KEY02 9 "
                                                 "btnNUMDEC=KEY03 btnNUME=KEY04 btnSPD=KEY05 btnSKIP=KEY06 "
                                                 "btnHOLD=KEY07 btnLIMIT=KEY08 btnSRCH=KEY09 btnSVC=KEY10 "
                                                 "btnDATA=KEY11 btnDLY=KEY12 btnTRUNK=KEY13 btnSHFT=KEY14 btnMUTE=MUN")
                                      .split(QRegularExpression(QStringLiteral(" (?=btn)")));
        QCOMPARE(m_window->keypad()->findChildren<QPushButton*>().size(), codes.size());
        waitForPolling();
        const QRegularExpression keyCode(QStringLiteral("^(KEY|MU)"));
        for (const QString& pair : codes) {
            const QString name = pair.section(QLatin1Char('='), 0, 0);
            auto* key = m_window->findChild<QPushButton*>(name);
            QVERIFY2(key, qPrintable(name));
            mark();
            QTest::mouseClick(key, Qt::LeftButton);
            QTRY_COMPARE(commandsSinceMark().filter(keyCode).value(0), pair.section(QLatin1Char('='), 1));
        }
        mark();
        QTest::keyClick(m_window.get(), Qt::Key_C);
        QTRY_VERIFY(commandsSinceMark().contains(QStringLiteral("KEY02 3")));
        // The in-process scanner raises both modem lines: each lamp names its own, Label8 the DSR.
        const char* tips[][2] = {{"lampCTS", "CTS Signal is high"},
                                 {"lampDSR", "DSR Signal is high"},
                                 {"Label8", "DSR Signal is high"},
                                 {"lampPort", "COM Port is open"}};
        for (const auto& [name, tip] : tips)
            QTRY_COMPARE(m_window->findChild<QWidget*>(QString::fromLatin1(name))->toolTip(), QString::fromLatin1(tip));
    }

    void menuEntry_doesItsJob_data() {
        QTest::addColumn<QString>("effect"); // part of what the entry newly did: "sent:" a command, a box, a window
        const char* rows[][2] = {{"File_Exit", "quit"},
                                 {"Manual", "sent:KEY01"},
                                 {"ScanMode", "sent:KEY00"},
                                 {"ClearMemory", "confirm:WIPE OUT SCANNER MEMORY?"},
                                 {"LoadPellwick", "Cannot start"},
                                 {"mnuCom_Port", "askText:COM PORT"},
                                 {"mnuCom_Speed", "askText:Select a bps rate"},
                                 {"mnuShow_Freq_and_Talkgroup", "sent:FIN"},
                                 {"ScanLogging", "checked:ScanLogging"},
                                 {"SearchLogging", "checked:SearchLogging"},
                                 {"TrunkLogging", "checked:TrunkLogging"},
                                 {"mnuActivity", "window:frmActivity"},
                                 {"mnuGettingStarted", "window:frmHelp"},
                                 {"mnuTroubleShoot", "window:frmHelp"},
                                 {"About", "window:frmAbout"},
                                 {"CHECKCODES", "sent:AA"},
                                 {"EditBanks", "window:frmEditBank2"},
                                 {"EditTalkGroups", "window:frmEditTrunkID"},
                                 {"TrunkType", "window:BankType"},
                                 {"SetTrunkedBankType", "window:BankType"},
                                 {"Backup", "window:BankBackup"},
                                 {"Restore", "window:BankRestore"},
                                 {"mnuPhoneView", "window:PhoneViewDialog"},
                                 {"mnuAudio", "window:frmAudio"}};
        for (const auto& [entry, effect] : rows)
            QTest::newRow(entry) << QString::fromLatin1(effect);
    }

    void menuEntry_doesItsJob() {
        QFETCH(QString, effect);
        waitForPolling();
        QAction* action = m_window->menus()->action(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(action);
        m_window->setCompanionAvailable(true);
        QSignalSpy quit(m_controller.get(), &FaceplateController::quitRequested);
        const QStringList before = seen();
        mark();
        action->trigger();
        const auto did = [&] {
            QStringList news;
            for (const QString& command : commandsSinceMark())
                news << QStringLiteral("sent:") + command;
            for (const QString& item : seen())
                if (!before.contains(item))
                    news << item;
            if (!quit.isEmpty())
                news << QStringLiteral("quit");
            return news;
        };
        QTRY_VERIFY2(!did().filter(effect).isEmpty(), qPrintable(did().join(QLatin1Char('|'))));
    }

    // Config, Serial Port lists the numbers 1 to 4 and the system's ports; a pick is stored and opened.
    void serialPortMenu_picksNumbersAndDevices() {
        waitForPolling();
        FaceplateMenus& menus = *m_window->menus();
        const QList<PortSetup::SystemPort> fake{{QStringLiteral("/dev/ttyFAKE0"), QStringLiteral("FT232R"),
                                                 QStringLiteral("FTDI"), QStringLiteral("0403:6001")}};
        menus.fillSerialPorts(fake);
        QStringList captions;
        for (QAction* action : menus.menu(QStringLiteral("mnuSerialPorts"))->actions())
            captions << action->text();
        QCOMPARE(captions, QStringList({"Port 1", "Port 2", "Port 3", "Port 4", "",
                                        "/dev/ttyFAKE0  FT232R, FTDI, USB 0403:6001"}));
        Settings& settings = m_rig->session->settings();
        menus.menu(QStringLiteral("mnuSerialPorts"))->actions().last()->trigger();
        QCOMPARE(settings.comDevice(), QStringLiteral("/dev/ttyFAKE0"));
        QCOMPARE(m_rig->session->portSetup().device(), QStringLiteral("/dev/ttyFAKE0"));
        QTRY_VERIFY(!m_rig->session->portSetup().isBusy());
        // The entry of the port in use carries the check mark.
        const auto marked = [&menus, &fake] {
            Q_EMIT menus.menu(QStringLiteral("COM_Options"))->aboutToShow();
            menus.fillSerialPorts(fake);
            QStringList checked;
            for (QAction* action : menus.menu(QStringLiteral("mnuSerialPorts"))->actions())
                if (action->isChecked())
                    checked << action->text();
            return checked;
        };
        QCOMPARE(marked(), QStringList({"/dev/ttyFAKE0  FT232R, FTDI, USB 0403:6001"}));
        menus.menu(QStringLiteral("mnuSerialPorts"))->actions().at(1)->trigger();
        QCOMPARE(settings.comDevice(), QString());
        QCOMPARE(settings.comPort(), QStringLiteral("2"));
        QTRY_VERIFY(!m_rig->session->portSetup().isBusy());
        QCOMPARE(marked(), QStringList({"Port 2"}));
    }

    // Backup hides the aux display; its View entry loses the tick with it, and gets it back when it opens again.
    // The window goes with the controller.
    void auxTick_followsTheWindow() {
        waitForPolling();
        QAction* aux = m_window->menus()->action(QStringLiteral("mnuAuxDisp"));
        const auto auxWindows = [](bool visibleOnly) {
            int count = 0;
            for (QWidget* w : QApplication::topLevelWidgets())
                count += w->objectName() == QLatin1String("frmAuxDisplay") && (!visibleOnly || w->isVisible());
            return count;
        };
        aux->trigger();
        QTRY_COMPARE(auxWindows(true), 1);
        QVERIFY(aux->isChecked());
        m_window->menus()->action(QStringLiteral("Backup"))->trigger();
        QTRY_COMPARE(auxWindows(true), 0);
        Q_EMIT m_window->menus()->menu(QStringLiteral("mnuView"))->aboutToShow();
        QVERIFY(!aux->isChecked());
        aux->trigger();
        QTRY_COMPARE(auxWindows(true), 1);
        QVERIFY(aux->isChecked());
        m_controller.reset();
        QCOMPARE(auxWindows(false), 0);
    }

    // A refusal of the limits is shown and keeps the window open (each refusal is checked with the limits).
    void searchNow_data() {
        QTest::addColumn<QString>("low");
        QTest::addColumn<QString>("refusal"); // empty: the search starts
        QTest::newRow("lower above upper") << "157"
                                           << "above the upper limit";
        QTest::newRow("accepted") << " 155.5 "
                                  << "";
    }
    void searchNow() {
        QFETCH(QString, low);
        QFETCH(QString, refusal);
        menu("Search");
        QTRY_VERIFY(find<QWidget>("frmSearchRange", {}));
        find<QLineEdit>("frmSearchRange", "tbLowLimit")->setText(low);
        // No controls that nothing reads; the logging box is the search-log switch.
        QVERIFY(!find<QWidget>("frmSearchRange", "listStepSize") && !find<QWidget>("frmSearchRange", "rb30Seconds"));
        auto* logging = find<QCheckBox>("frmSearchRange", "chkEnableLogging");
        QCOMPARE(logging->isChecked(), m_rig->session->switches().searchLogging());
        logging->setChecked(!logging->isChecked());
        const bool wanted = logging->isChecked();
        const qsizetype before = m_rig->commands.size();
        QTest::mouseClick(find<QPushButton>("frmSearchRange", "btnSEARCH"), Qt::LeftButton);
        // Stored as typed (trimmed), whether or not the search may start.
        QCOMPARE(m_rig->session->settings().lowSearch(), low.trimmed());
        if (refusal.isEmpty()) {
            QTRY_VERIFY(m_rig->commands.mid(before).contains(QStringLiteral("LL01555000")));
            QVERIFY(!find<QWidget>("frmSearchRange", {}));
            QCOMPARE(m_rig->session->switches().searchLogging(), wanted);
            return;
        }
        QVERIFY2(lastMessage().contains(refusal), qPrintable(lastMessage()));
        QTest::qWait(100);
        QVERIFY(!m_rig->commands.mid(before).join(' ').contains("LL"));
        QVERIFY(find<QWidget>("frmSearchRange", {}));
    }

    // The kinds are choices with fields of their own; what is stored is the URL, and it reads back into the
    // same fields with the password hidden.
    void transmitterDbDialog_storesTheUrlOfTheFields_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("fields"); // objectName=text
        QTest::addColumn<QString>("stored");
        QTest::newRow("PostgreSQL") << int(TransmitterDbDialog::Postgres)
                                    << QStringList{"tbHost=db.example.org", "tbDatabase=fcc", "tbUser=radio",
                                                   "tbPassword=pa:ss@word"}
                                    << "postgresql://radio:pa:ss%40word@db.example.org:5432/fcc";
        QTest::newRow("ODBC data source")
            << int(TransmitterDbDialog::Odbc)
            << QStringList{"tbDataSource=Licences", "tbOdbcUser=sa", "tbOdbcPassword=se;cret"}
            << "odbc:DSN=Licences;UID=sa;PWD={se;cret}";
        QTest::newRow("the sample") << int(TransmitterDbDialog::Sample) << QStringList{} << "";
    }

    void transmitterDbDialog_storesTheUrlOfTheFields() {
        QFETCH(int, kind);
        QFETCH(QStringList, fields);
        QFETCH(QString, stored);
        m_rig->session->settings().setRemoteDb("sqlite:/nowhere/else.sqlite");
        for (int round = 0; round < 2; ++round) {
            menu("mnuTransmitterDb");
            QTRY_VERIFY(find<QDialog>("frmTransmitterDb", {}));
            auto* kinds = find<QComboBox>("frmTransmitterDb", "listKind");
            if (round == 0)
                kinds->setCurrentIndex(kind);
            QCOMPARE(kinds->currentIndex(), kind);
            for (const QString& pair : fields) {
                auto* box = find<QLineEdit>("frmTransmitterDb", pair.section('=', 0, 0));
                QVERIFY2(box && box->isVisibleTo(find<QDialog>("frmTransmitterDb", {})), qPrintable(pair));
                if (round == 0)
                    box->setText(pair.section('=', 1));
                else
                    QCOMPARE(box->text(), pair.section('=', 1));
                if (box->objectName().contains("Password"))
                    QCOMPARE(box->echoMode(), QLineEdit::Password);
            }
            find<QDialog>("frmTransmitterDb", {})->accept();
            QTRY_VERIFY(!find<QDialog>("frmTransmitterDb", {}));
            QCOMPARE(m_rig->session->settings().remoteDb(), stored);
        }
    }

    // Test connects on a worker and says how many transmitters it sees: the sample holds 32. A file that is not
    // there, or holds no transmitters, is refused at OK, not at search time.
    void transmitterDbDialog_countsTheSample_andRefusesAFileThatCannotWork() {
        QTemporaryDir dir;
        QFile notADatabase(dir.filePath("notes.txt"));
        QVERIFY(notADatabase.open(QIODevice::WriteOnly) && notADatabase.write("just some notes\n") > 0);
        notADatabase.close();
        m_rig->session->settings().setRemoteDb("");
        menu("mnuTransmitterDb");
        QTRY_VERIFY(find<QDialog>("frmTransmitterDb", {}));
        find<QPushButton>("frmTransmitterDb", "btnTest")->click();
        QTRY_COMPARE_WITH_TIMEOUT(find<QLabel>("frmTransmitterDb", "lblTestResult")->text(),
                                  QStringLiteral("Connected: it holds 32 transmitters."), 10000);
        find<QComboBox>("frmTransmitterDb", "listKind")->setCurrentIndex(TransmitterDbDialog::SqliteFile);
        for (const QString& path : {dir.filePath("missing.sqlite"), notADatabase.fileName()}) {
            find<QLineEdit>("frmTransmitterDb", "tbFile")->setText(path);
            find<QDialog>("frmTransmitterDb", {})->accept();
            QVERIFY(find<QDialog>("frmTransmitterDb", {}));
            QVERIFY(!find<QLabel>("frmTransmitterDb", "lblProblem")->text().isEmpty());
            QCOMPARE(m_rig->session->settings().remoteDb(), QString());
        }
        find<QDialog>("frmTransmitterDb", {})->reject();
    }

    void sampleSearch_viewedThenScannedIntoChosenBank() {
        menu("GetRemoteFreqs");
        QTRY_VERIFY(find<QWidget>("frmRemoteFreqs", {}));
        find<QComboBox>("frmRemoteFreqs", "listSTATE")->setCurrentText("IA");
        find<QLineEdit>("frmRemoteFreqs", "tbCITY")->setText("des moines");
        m_rig->prompter.queueConfirm(true); // view them
        QTest::mouseClick(find<QPushButton>("frmRemoteFreqs", "btnGETFREQS"), Qt::LeftButton);
        QTRY_VERIFY(find<QWidget>("frmSearchResults", {}));
        QCOMPARE(find<QWidget>("frmSearchResults", "tbSearchResults")->property("plainText").toString().count("\n"), 1);

        m_rig->prompter.queueText(QStringLiteral("3"));
        m_rig->prompter.queueConfirm(true);
        const qsizetype before = m_rig->commands.size();
        QTest::mouseClick(find<QPushButton>("frmSearchResults", "btnSCANFREQS"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(lastMessage().contains("restore", Qt::CaseInsensitive), 20000);
        const QStringList sent = m_rig->commands.mid(before);
        // Bank 3 is channels 101 to 150: the two transmitters first, lowest frequency first, then empty channels.
        for (const char* program : {"PM101 01557750", "PM102 04532000", "PM150 00000000"})
            QVERIFY2(sent.contains(QLatin1String(program)), qPrintable(sent.join(' ')));
        QVERIFY2(lastMessage().contains("OrvFreqs_PW_DES MOINE_IA scan") && !lastMessage().contains("did not"),
                 qPrintable(lastMessage()));
    }

    // A version 1 code (21 modules) of a short text: the finder pattern's dark corner, its light ring and
    // its dark centre sit where a reader looks for them, inside the four-module quiet zone.
    void qrCode_hasTheFinderPatternInsideTheQuietZone() {
        const QImage code = QrCode::image(QStringLiteral("VALDORIA"), 4);
        QCOMPARE(code.size(), QSize((21 + 8) * 4, (21 + 8) * 4));
        const auto module = [&code](int x, int y) { return code.pixelColor(x * 4 + 2, y * 4 + 2) == Qt::black; };
        QVERIFY(!module(3, 3));
        QVERIFY(module(4, 4));
        QVERIFY(module(10, 4));
        QVERIFY(!module(5, 5));
        QVERIFY(module(7, 7));
        QVERIFY(module(28 - 8, 4));
        QVERIFY(!module(28 - 3, 4));
    }

    // With the phone view on, the dialog shows the address with its token and the code of it; with it off, it
    // says how to turn it on.
    void phoneViewDialog_showsTheAddressWithTheTokenAndItsCode_orHowToTurnItOn() {
        PhoneViewDialog off(*m_rig->session);
        QCOMPARE(off.url(), QString());
        QVERIFY(!off.findChild<QLabel*>(QStringLiteral("qrcode")));
        QVERIFY(off.findChild<QLabel*>(QStringLiteral("intro"))->text().contains(QLatin1String("--web-port")));
        QVERIFY(m_rig->session->settings().webToken().isEmpty());

        SessionRig rig({}, QStringLiteral("pro2052"), 0);
        rig.session->start();
        PhoneViewDialog dialog(*rig.session);
        const QString token = rig.session->settings().webToken();
        QCOMPARE(token.size(), 32);
        QCOMPARE(dialog.url(),
                 QStringLiteral("http://127.0.0.1:%1/?token=%2").arg(rig.session->web().serverPort()).arg(token));
        const QLabel* code = dialog.findChild<QLabel*>(QStringLiteral("qrcode"));
        QVERIFY(code);
        QVERIFY(!code->pixmap().isNull());
        QCOMPARE(code->pixmap().width(), code->pixmap().height());
    }
};

QTEST_MAIN(TestFaceplateController)
#include "test_faceplatecontroller.moc"
