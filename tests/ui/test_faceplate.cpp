// The faceplate window on its own: names, rendering and keyboard handling. Its wiring to a live
// session is covered by test_faceplatecontroller.
#include "FaceplateDisplayWidget.h"
#include "FaceplateMenus.h"
#include "LampWidget.h"
#include "Pro2052Faceplate.h"
#include "monitor/DisplayModel.h"
#include "monitor/Panel.h"
#include "state/Switches.h"

#include <QAction>
#include <QDir>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include <memory>

namespace {
struct MenuRow {
    const char* heading; // empty for a heading on the menu bar
    const char* name;
    const char* caption;
    bool checkable;
};
constexpr MenuRow kMenus[] = {
    {"", "File", "&File", false},
    {"File", "File_Exit", "Exit", false},
    {"", "Edit", "&Edit", false},
    {"Edit", "EditBanks", "Edit Channel Banks", false},
    {"Edit", "EditTalkGroups", "Edit Talkgroups", false},
    {"Edit", "TrunkType", "Edit TrunkType", false},
    {"", "mnuView", "&View", false},
    {"mnuView", "mnuAuxDisp", "Aux Display", true},
    {"", "SCAN_FUNCTIONS", "&Scan Modes", false},
    {"SCAN_FUNCTIONS", "Manual", "Manual Mode", false},
    {"SCAN_FUNCTIONS", "ScanMode", "Scan Mode", false},
    {"SCAN_FUNCTIONS", "Search", "Search Mode", false},
    {"", "Backup_Restore", "Freq &Mgmt", false},
    {"Backup_Restore", "GetRemoteFreqs", "Connect to OrvFreqs", false},
    {"Backup_Restore", "Backup", "Backup Scanner to PC", false},
    {"Backup_Restore", "Restore", "Restore PC to Scanner", false},
    {"Backup_Restore", "SetTrunkedBankType", "Set Trunked Bank Type", false},
    {"Backup_Restore", "ClearMemory", "Delete All Scanner Memory (USE WITH CAUTION!)", false},
    {"", "Broadcast", "&Broadcast", false},
    {"Broadcast", "LoadPellwick", "Load &Pellwick", false},
    {"", "COM_Options", "&Config", false},
    {"COM_Options", "mnuCom_Port", "Set Com Port", false},
    {"COM_Options", "mnuCom_Speed", "Set Port Speed", false},
    {"COM_Options", "mnuShow_Freq_and_Talkgroup", "Show Freq and Talkgroup", true},
    {"", "Logs", "&Logs", false},
    {"Logs", "ScanLogging", "Enable Scan Log", true},
    {"Logs", "SearchLogging", "Enable Search Log", true},
    {"Logs", "TrunkLogging", "Enable Trunk Log", true},
    {"", "mnuHelp", "&HELP!", false},
    {"mnuHelp", "mnuGettingStarted", "Getting Started", false},
    {"mnuHelp", "mnuTroubleShoot", "Troubleshooting Ideas", false},
    {"mnuHelp", "About", "About", false},
    {"mnuHelp", "CHECKCODES", "CHECK CODES", false},
};
struct FieldRow {
    const char *row, *field, *text, *shown;
    quint32 fore, foreShown, back, backShown; // &HBBGGRR in the model, 0xRRGGBB on screen
};
constexpr FieldRow kFields[] = {
    {"main line red on blue", "tbfreq", " 154.2500", " 154.2500", 0x0000FF, 0xFF0000, 0xFF0000, 0x0000FF},
    {"array element, byte order", "tbBANKNUM(20)", "20", "20", 0x123456, 0x563412, 0x654321, 0x214365},
    {"active-bank n is a square", "tbACTIVEBANK(7)", "n", "\u25A0", 0x000000, 0x000000, 0xFFFFFF, 0xFFFFFF},
    {"n elsewhere is a letter", "tbChan", "n", "n", 0x00FF00, 0x00FF00, 0x000000, 0x000000},
};
} // namespace

class TestFaceplate : public QObject {
    Q_OBJECT

    struct Rig {
        Rig() { Panel::addPro2052Fields(model, FaceplateDisplayWidget::kLcdBack, FaceplateDisplayWidget::kLcdFore); }
        DisplayModel model, aux;
        Switches switches;
        Pro2052Faceplate window{model, aux, switches};
    };
    std::unique_ptr<Rig> m_rig;
    DisplayModel* m_model = nullptr;
    Switches* m_switches = nullptr;
    Pro2052Faceplate* m_window = nullptr;

private Q_SLOTS:
    void init() {
        m_rig = std::make_unique<Rig>();
        m_model = &m_rig->model;
        m_switches = &m_rig->switches;
        m_window = &m_rig->window;
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }

    void cleanup() { m_rig.reset(); }

    void namedControls_existWithTheirCaptions_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("row");
        for (const char* key :
             {"btnSCAN", "btnMAN",  "btnNUM0", "btnNUM1",   "btnNUM2",  "btnNUM3", "btnNUM4", "btnNUM5", "btnNUM6",
              "btnNUM7", "btnNUM8", "btnNUM9", "btnNUMDEC", "btnNUME",  "btnSPD",  "btnSKIP", "btnHOLD", "btnLIMIT",
              "btnSRCH", "btnSVC",  "btnDATA", "btnDLY",    "btnTRUNK", "btnSHFT", "btnMUTE"})
            QTest::newRow(key) << "key" << 0;
        for (int i = 0; i < int(std::size(kMenus)); ++i)
            QTest::newRow(kMenus[i].name) << "menu" << i;
    }

    void namedControls_existWithTheirCaptions() {
        QFETCH(QString, kind);
        QFETCH(int, row);
        const QString name = QString::fromLatin1(QTest::currentDataTag());
        if (kind == QLatin1String("key")) {
            auto* button = m_window->findChild<QPushButton*>(name);
            QVERIFY(button && button->isVisible() && !button->text().isEmpty());
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
            return;
        }
        // Position among the headings, or under its heading.
        const MenuRow& m = kMenus[row];
        int position = 0;
        for (int i = 0; i < row; ++i)
            position += qstrcmp(kMenus[i].heading, m.heading) == 0;
        const QList<QAction*> actions =
            *m.heading ? m_window->findChild<QMenu*>(m.heading)->actions() : m_window->menuBar()->actions();
        QVERIFY(position < actions.size());
        QAction* action = actions.at(position);
        QCOMPARE(action->menu() ? action->menu()->objectName() : action->objectName(), name);
        QCOMPARE(action->text(), QString::fromLatin1(m.caption));
        QCOMPARE(action->isCheckable(), m.checkable);
    }

    // Choosing a check-mark entry only reports it: the mark follows its owner (switch, aux window).
    void checkMarksAndCompanionEntry_followTheirOwners() {
        using Set = void (Switches::*)(bool);
        const std::pair<const char*, Set> switched[] = {
            {"ScanLogging", &Switches::setScanLogging},
            {"SearchLogging", &Switches::setSearchLogging},
            {"TrunkLogging", &Switches::setTrunkLogging},
            {"mnuShow_Freq_and_Talkgroup", &Switches::setShowFreqAndTalkgroup}};
        for (const auto& [entry, set] : switched) {
            QAction* action = m_window->menus()->action(QString::fromLatin1(entry));
            (m_switches->*set)(true);
            QVERIFY2(action->isChecked(), entry);
            action->trigger();
            QVERIFY2(action->isChecked(), entry);
            (m_switches->*set)(false);
            QVERIFY2(!action->isChecked(), entry);
        }
        QAction* aux = m_window->menus()->action(QStringLiteral("mnuAuxDisp"));
        QMenu* view = m_window->menus()->menu(QStringLiteral("mnuView"));
        aux->trigger(); // nothing opened the aux window here
        QVERIFY(!aux->isChecked());
        m_rig->aux.setWindowVisible(true);
        Q_EMIT view->aboutToShow();
        QVERIFY(aux->isChecked());
        m_rig->aux.setWindowVisible(false);
        Q_EMIT view->aboutToShow();
        QVERIFY(!aux->isChecked());
        QAction* load = m_window->menus()->action(QStringLiteral("LoadPellwick"));
        QVERIFY(!load->isEnabled());
        m_window->setCompanionAvailable(true);
        QVERIFY(load->isEnabled());
        m_window->setCompanionAvailable(false);
        QVERIFY(!load->isEnabled());
    }

    void lamps_lightDarkenAndCarryTooltips_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("litTip");
        QTest::addColumn<QString>("darkTip");
        const char* rows[][4] = {{"lampBuffer", "Label7", "Data is in the COM buffer", "COM buffer is empty"},
                                 {"lampCTS", "Label8", "CTS Signal is high", "CTS Signal is low"},
                                 {"lampDSR", "Label8", "DSR Signal is high", "DSR Signal is low"},
                                 {"lampPort", "Label9", "COM Port is open", "COM Port is closed"}};
        for (const auto& r : rows)
            QTest::newRow(r[0]) << QString(r[1]) << QString(r[2]) << QString(r[3]);
    }

    void lamps_lightDarkenAndCarryTooltips() {
        QFETCH(QString, label);
        QFETCH(QString, litTip);
        QFETCH(QString, darkTip);
        const QString lamp = QString::fromLatin1(QTest::currentDataTag());
        auto* widget = m_window->findChild<LampWidget*>(lamp);
        QCOMPARE(widget->color(), QColor(0, 64, 0));
        m_window->setLamp(lamp, true, litTip);
        QCOMPARE(widget->color(), QColor(0, 255, 0));
        QCOMPARE(widget->toolTip(), litTip);
        for (LampWidget* other : m_window->findChildren<LampWidget*>())
            QCOMPARE(other->isLit(), other == widget);
        m_window->setLamp(lamp, false, darkTip);
        QVERIFY(!widget->isLit());
        QCOMPARE(widget->toolTip(), darkTip);
        m_window->setLabelTooltip(label, litTip);
        QCOMPARE(m_window->findChild<QLabel*>(label)->toolTip(), litTip);
    }

    void modelChange_reachesTheRenderedField_data() {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(kFields)); ++i)
            QTest::newRow(kFields[i].row) << i;
    }

    void modelChange_reachesTheRenderedField() {
        QFETCH(int, row);
        const FieldRow& r = kFields[row];
        const QString field = QString::fromLatin1(r.field);
        QLabel* label = m_window->displayWidget()->fieldLabel(field);
        QCOMPARE(QFontInfo(label->font()).family(), QStringLiteral("DejaVu Sans Mono"));
        m_model->setText(field, QString::fromLatin1(r.text));
        m_model->setForeColor(field, r.fore);
        m_model->setBackColor(field, r.back);
        QCOMPARE(label->text(), QString::fromUtf8(r.shown));
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor::fromRgb(r.foreShown));
        QCOMPARE(label->palette().color(QPalette::Window), QColor::fromRgb(r.backShown));
        QVERIFY(label->autoFillBackground());
        // The text colour really reaches the pixels.
        const QImage image = label->grab().toImage();
        bool inked = false;
        for (int y = 0; y < image.height() && !inked; ++y)
            for (int x = 0; x < image.width() && !inked; ++x)
                inked = image.pixelColor(x, y) == QColor::fromRgb(r.foreShown);
        QVERIFY(inked);
    }

    void alignmentVisibilityAndSideFields_followTheModel() {
        const QString status = QStringLiteral("COMM PORT #2 OPENED at 19200,N,8,1"), diag = QStringLiteral("+\rC012");
        QLabel* bank = m_window->displayWidget()->fieldLabel(QStringLiteral("tbBank"));
        m_model->setAlignment(QStringLiteral("tbBank"), Qt::AlignRight);
        QCOMPARE(bank->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        m_model->setVisible(QStringLiteral("tbBank"), false);
        QVERIFY(!bank->isVisible());
        m_model->setText(QStringLiteral("StatusLine"), status);
        QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("StatusLine"))->text(), status);
        auto* box = m_window->findChild<QLineEdit*>(QStringLiteral("Text3"));
        QVERIFY(!box->isVisible());
        m_model->setText(QStringLiteral("Text3"), diag);
        m_model->setVisible(QStringLiteral("Text3"), true);
        QVERIFY(box->isVisible());
        QCOMPARE(box->text(), diag);
    }

    void keys_neverReachAFocusedControl_data() {
        QTest::addColumn<QString>("focused");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::newRow("letter in a text box") << "Text1" << int(Qt::Key_A) << int(Qt::NoModifier) << "a";
        QTest::newRow("keypad digit keeps its modifier") << "Text1" << int(Qt::Key_5) << int(Qt::KeypadModifier) << "5";
        QTest::newRow("space on a key") << "btnSCAN" << int(Qt::Key_Space) << int(Qt::NoModifier) << " ";
        QTest::newRow("enter on a key") << "btnSCAN" << int(Qt::Key_Return) << int(Qt::NoModifier) << "\r";
    }

    void keys_neverReachAFocusedControl() {
        QFETCH(QString, focused);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        m_model->setVisible(QStringLiteral("Text1"), true);
        auto* target = m_window->findChild<QWidget*>(focused);
        target->setFocusPolicy(Qt::StrongFocus); // even a key that somehow got the focus is not pressed
        m_window->activateWindow();
        target->setFocus();
        QTRY_VERIFY(target->hasFocus());
        QSignalSpy clicks(m_window, &Pro2052Faceplate::keyClicked);
        QSignalSpy downs(m_window, &Pro2052Faceplate::keyDown);
        QSignalSpy presses(m_window, &Pro2052Faceplate::keyPress);
        QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(clicks.count(), 0);
        if (auto* box = qobject_cast<QLineEdit*>(target))
            QCOMPARE(box->text(), QString());
        QCOMPARE(downs.count(), 1);
        QCOMPARE(downs.at(0).at(0).toInt(), key);
        QCOMPARE(int(downs.at(0).at(1).value<Qt::KeyboardModifiers>()), modifiers);
        QCOMPARE(presses.count(), 1);
        QCOMPARE(presses.at(0).at(0).toString(), text);
    }

    void slider_tooltipAndSwitch_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("fromSwitches");
        QTest::newRow("operator drags to the top") << 20 << false;
        QTest::newRow("start-up sets 3 for a slow port") << 3 << true;
    }

    void slider_tooltipAndSwitch() {
        QFETCH(int, value);
        QFETCH(bool, fromSwitches);
        auto* slider = m_window->findChild<QSlider*>(QStringLiteral("Slider1"));
        QCOMPARE(slider->minimum(), 0);
        QCOMPARE(slider->maximum(), 20);
        QCOMPARE(slider->value(), m_switches->scanDelay());
        fromSwitches ? m_switches->setScanDelay(value) : slider->setValue(value);
        QCOMPARE(slider->value(), value);
        QCOMPARE(m_switches->scanDelay(), value);
        QCOMPARE(slider->toolTip(), QStringLiteral("Scan Delay is: %1").arg(value));
    }

    void closingTheWindow_isReported() {
        QSignalSpy spy(m_window, &Pro2052Faceplate::closing);
        QVERIFY(m_window->close());
        QCOMPARE(spy.count(), 1);
    }

    void screenshot_savedAsFaceplatePng() {
        m_model->setText(QStringLiteral("tbfreq"), QStringLiteral(" 154.2500"));
        m_model->setText(QStringLiteral("tbACTIVEBANK"), 1, QStringLiteral("n"));
        m_window->setLamp(QStringLiteral("lampPort"), true, QStringLiteral("COM Port is open"));
        const QString path =
            QDir(qEnvironmentVariable("VALDORIA_SCREENSHOT_DIR", QDir::currentPath())).filePath("faceplate.png");
        const QPixmap shot = m_window->grab();
        QVERIFY(shot.width() > 600 && shot.height() > 250);
        QVERIFY(shot.save(path));
        QCOMPARE(QImage(path).size(), shot.size());
    }
};

QTEST_MAIN(TestFaceplate)
#include "test_faceplate.moc"
