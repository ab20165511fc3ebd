#include "FaceplateDisplayWidget.h"
#include "FaceplateMenus.h"
#include "KeypadWidget.h"
#include "LampWidget.h"
#include "Pro2052Faceplate.h"
#include "monitor/DisplayModel.h"
#include "monitor/Panel.h"
#include "monitor/Switches.h"

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

class TestFaceplate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void everyKey_isAButtonThatNeverTakesFocus_data();
    void everyKey_isAButtonThatNeverTakesFocus();
    void clickingAKey_reportsItsName_data();
    void clickingAKey_reportsItsName();
    void menuBar_headingsInOrderWithAccessKeys();
    void menuEntries_namedAndCaptionedUnderTheirHeading_data();
    void menuEntries_namedAndCaptionedUnderTheirHeading();
    void choosingAnEntry_reportsItsName();
    void logChecks_mirrorTheSwitches_data();
    void logChecks_mirrorTheSwitches();
    void auxCheck_followsTheAuxWindowWhenViewOpens();
    void loadPellwick_enabledOnlyWithTheCompanion();
    void lamps_lightDarkenAndCarryTooltips_data();
    void lamps_lightDarkenAndCarryTooltips();
    void lampCaptions_carryTheirTooltips();
    void modelChange_repaintsTheField_data();
    void modelChange_repaintsTheField();
    void activeBankMarker_isAFilledSquare();
    void fieldAlignmentAndVisibility_followTheModel();
    void display_drawnInDejaVuMono();
    void statusLineAndDiagnosticBoxes_followTheModel();
    void typedKeys_neverReachAFocusedTextBox();
    void spaceAndEnter_neverPressAKey_data();
    void spaceAndEnter_neverPressAKey();
    void keypadKeys_reportTheKeypadModifier();
    void slider_tooltipAndSwitch_data();
    void slider_tooltipAndSwitch();
    void closingTheWindow_isReported();
    void screenshot_savedAsFaceplatePng();

private:
    std::unique_ptr<DisplayModel> m_model;
    std::unique_ptr<DisplayModel> m_aux;
    std::unique_ptr<Switches> m_switches;
    std::unique_ptr<Pro2052Faceplate> m_window;
};

void TestFaceplate::init() {
    m_model = std::make_unique<DisplayModel>();
    Panel::addPro2052Fields(*m_model, FaceplateDisplayWidget::kLcdBack, FaceplateDisplayWidget::kLcdFore);
    m_aux = std::make_unique<DisplayModel>();
    m_switches = std::make_unique<Switches>();
    m_window = std::make_unique<Pro2052Faceplate>(*m_model, *m_aux, *m_switches);
    m_window->setWindowTitle(QStringLiteral("Valdoria2052/Pro"));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestFaceplate::cleanup() {
    m_window.reset();
    m_switches.reset();
    m_aux.reset();
    m_model.reset();
}

void TestFaceplate::everyKey_isAButtonThatNeverTakesFocus_data() {
    QTest::addColumn<QString>("name");
    const QStringList names = {
        "btnSCAN", "btnMAN", "btnNUMDEC", "btnNUME", "btnSPD",   "btnSKIP", "btnHOLD", "btnLIMIT",
        "btnSRCH", "btnSVC", "btnDATA",   "btnDLY",  "btnTRUNK", "btnSHFT", "btnMUTE",
    };
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << name;
    for (int digit = 0; digit <= 9; ++digit)
        QTest::newRow(qPrintable(QStringLiteral("btnNUM%1").arg(digit))) << QStringLiteral("btnNUM%1").arg(digit);
}

void TestFaceplate::everyKey_isAButtonThatNeverTakesFocus() {
    QFETCH(QString, name);
    auto* button = m_window->findChild<QPushButton*>(name);
    QVERIFY2(button, qPrintable(name));
    QVERIFY(button->isVisible());
    QVERIFY(!button->text().isEmpty());
    QCOMPARE(button->focusPolicy(), Qt::NoFocus);
}

void TestFaceplate::clickingAKey_reportsItsName_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("SCAN") << "btnSCAN";
    QTest::newRow("digit 0") << "btnNUM0";
    QTest::newRow("decimal point") << "btnNUMDEC";
    QTest::newRow("MUTE") << "btnMUTE";
}

void TestFaceplate::clickingAKey_reportsItsName() {
    QFETCH(QString, name);
    QSignalSpy spy(m_window.get(), &Pro2052Faceplate::keyClicked);
    QTest::mouseClick(m_window->findChild<QPushButton*>(name), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), name);
}

void TestFaceplate::menuBar_headingsInOrderWithAccessKeys() {
    QStringList shown;
    QStringList names;
    for (QAction* action : m_window->menuBar()->actions()) {
        shown << action->text();
        names << action->menu()->objectName();
    }
    QCOMPARE(shown, (QStringList{"&File", "&Edit", "&View", "&Scan Modes", "Freq &Mgmt", "&Broadcast", "&Config",
                                 "&Logs", "&HELP!"}));
    QCOMPARE(names, (QStringList{"File", "Edit", "mnuView", "SCAN_FUNCTIONS", "Backup_Restore", "Broadcast",
                                 "COM_Options", "Logs", "mnuHelp"}));
}

void TestFaceplate::menuEntries_namedAndCaptionedUnderTheirHeading_data() {
    QTest::addColumn<QString>("heading");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("checkable");
    const struct {
        const char* heading;
        int position;
        const char* entry;
        const char* caption;
        bool checkable;
    } rows[] = {
        {"File", 0, "File_Exit", "Exit", false},
        {"Edit", 0, "EditBanks", "Edit Channel Banks", false},
        {"Edit", 1, "EditTalkGroups", "Edit Talkgroups", false},
        {"Edit", 2, "TrunkType", "Edit TrunkType", false},
        {"mnuView", 0, "mnuAuxDisp", "Aux Display", true},
        {"SCAN_FUNCTIONS", 0, "Manual", "Manual Mode", false},
        {"SCAN_FUNCTIONS", 1, "ScanMode", "Scan Mode", false},
        {"SCAN_FUNCTIONS", 2, "Search", "Search Mode", false},
        {"Backup_Restore", 0, "GetRemoteFreqs", "Connect to OrvFreqs", false},
        {"Backup_Restore", 1, "Backup", "Backup Scanner to PC", false},
        {"Backup_Restore", 2, "Restore", "Restore PC to Scanner", false},
        {"Backup_Restore", 3, "SetTrunkedBankType", "Set Trunked Bank Type", false},
        {"Backup_Restore", 4, "ClearMemory", "Delete All Scanner Memory (USE WITH CAUTION!)", false},
        {"Broadcast", 0, "LoadPellwick", "Load &Pellwick", false},
        {"COM_Options", 0, "mnuCom_Port", "Set Com Port", false},
        {"COM_Options", 1, "mnuCom_Speed", "Set Port Speed", false},
        {"COM_Options", 2, "mnuShow_Freq_and_Talkgroup", "Show Freq and Talkgroup", true},
        {"Logs", 0, "ScanLogging", "Enable Scan Log", true},
        {"Logs", 1, "SearchLogging", "Enable Search Log", true},
        {"Logs", 2, "TrunkLogging", "Enable Trunk Log", true},
        {"mnuHelp", 0, "mnuGettingStarted", "Getting Started", false},
        {"mnuHelp", 1, "mnuTroubleShoot", "Troubleshooting Ideas", false},
        {"mnuHelp", 2, "About", "About", false},
        {"mnuHelp", 3, "CHECKCODES", "CHECK CODES", false},
    };
    for (const auto& r : rows)
        QTest::newRow(r.entry) << QString::fromLatin1(r.heading) << r.position << QString::fromLatin1(r.entry)
                               << QString::fromLatin1(r.caption) << r.checkable;
}

void TestFaceplate::menuEntries_namedAndCaptionedUnderTheirHeading() {
    QFETCH(QString, heading);
    QFETCH(int, position);
    QFETCH(QString, entry);
    QFETCH(QString, caption);
    QFETCH(bool, checkable);
    auto* menu = m_window->findChild<QMenu*>(heading);
    QVERIFY2(menu, qPrintable(heading));
    QVERIFY(position < menu->actions().size());
    QAction* action = menu->actions().at(position);
    QCOMPARE(action->objectName(), entry);
    QCOMPARE(action->text(), caption);
    QCOMPARE(action->isCheckable(), checkable);
}

void TestFaceplate::choosingAnEntry_reportsItsName() {
    QSignalSpy spy(m_window.get(), &Pro2052Faceplate::menuTriggered);
    m_window->menus()->action(QStringLiteral("ClearMemory"))->trigger();
    m_window->menus()->action(QStringLiteral("About"))->trigger();
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("ClearMemory"));
    QCOMPARE(spy.at(1).at(0).toString(), QStringLiteral("About"));
}

void TestFaceplate::logChecks_mirrorTheSwitches_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("handled"); // the application toggles the switch when told
    for (bool handled : {false, true}) {
        const char* suffix = handled ? " handled" : " unhandled";
        for (const char* entry : {"ScanLogging", "SearchLogging", "TrunkLogging", "mnuShow_Freq_and_Talkgroup"})
            QTest::newRow(qPrintable(QString::fromLatin1(entry) + QLatin1String(suffix)))
                << QString::fromLatin1(entry) << handled;
    }
}

void TestFaceplate::logChecks_mirrorTheSwitches() {
    QFETCH(QString, entry);
    QFETCH(bool, handled);
    Switches& sw = *m_switches;
    auto read = [&] {
        if (entry == QLatin1String("ScanLogging"))
            return sw.scanLogging();
        if (entry == QLatin1String("SearchLogging"))
            return sw.searchLogging();
        if (entry == QLatin1String("TrunkLogging"))
            return sw.trunkLogging();
        return sw.showFreqAndTalkgroup();
    };
    auto write = [&](bool on) {
        if (entry == QLatin1String("ScanLogging"))
            sw.setScanLogging(on);
        else if (entry == QLatin1String("SearchLogging"))
            sw.setSearchLogging(on);
        else if (entry == QLatin1String("TrunkLogging"))
            sw.setTrunkLogging(on);
        else
            sw.setShowFreqAndTalkgroup(on);
    };
    QAction* action = m_window->menus()->action(entry);
    QVERIFY(!action->isChecked());
    write(true);
    QVERIFY(action->isChecked());
    write(false);
    QVERIFY(!action->isChecked());

    if (handled)
        connect(m_window.get(), &Pro2052Faceplate::menuTriggered, this, [&](const QString& name) {
            if (name == entry)
                write(!read());
        });
    action->trigger();
    QCOMPARE(action->isChecked(), handled);
    QCOMPARE(read(), handled);
}

void TestFaceplate::auxCheck_followsTheAuxWindowWhenViewOpens() {
    QAction* aux = m_window->menus()->action(QStringLiteral("mnuAuxDisp"));
    QVERIFY(!aux->isChecked());
    // Choosing the entry leaves the mark to the aux window: nothing opened it here.
    aux->trigger();
    QVERIFY(!aux->isChecked());
    m_aux->setWindowVisible(true);
    QMenu* view = m_window->menus()->menu(QStringLiteral("mnuView"));
    Q_EMIT view->aboutToShow();
    QVERIFY(aux->isChecked());
    m_aux->setWindowVisible(false);
    Q_EMIT view->aboutToShow();
    QVERIFY(!aux->isChecked());
}

void TestFaceplate::loadPellwick_enabledOnlyWithTheCompanion() {
    QAction* load = m_window->menus()->action(QStringLiteral("LoadPellwick"));
    QVERIFY(!load->isEnabled());
    m_window->setCompanionAvailable(true);
    QVERIFY(load->isEnabled());
    m_window->setCompanionAvailable(false);
    QVERIFY(!load->isEnabled());
}

void TestFaceplate::lamps_lightDarkenAndCarryTooltips_data() {
    QTest::addColumn<QString>("lamp");
    QTest::addColumn<QString>("litTip");
    QTest::addColumn<QString>("darkTip");
    QTest::newRow("buffer") << "lampBuffer"
                            << "Data is in the COM buffer"
                            << "COM buffer is empty";
    QTest::newRow("CTS") << "lampCTS"
                         << "CTS Signal is high"
                         << "CTS Signal is low";
    QTest::newRow("DSR") << "lampDSR"
                         << "DSR Signal is high"
                         << "DSR Signal is low";
    QTest::newRow("port") << "lampPort"
                          << "COM Port is open"
                          << "COM Port is closed";
}

void TestFaceplate::lamps_lightDarkenAndCarryTooltips() {
    QFETCH(QString, lamp);
    QFETCH(QString, litTip);
    QFETCH(QString, darkTip);
    auto* widget = m_window->findChild<LampWidget*>(lamp);
    QVERIFY(widget);
    QCOMPARE(widget->color(), QColor(0, 64, 0));
    m_window->setLamp(lamp, true, litTip);
    QVERIFY(widget->isLit());
    QCOMPARE(widget->color(), QColor(0, 255, 0));
    QCOMPARE(widget->toolTip(), litTip);
    // Only the named lamp changed.
    for (LampWidget* other : m_window->findChildren<LampWidget*>())
        QCOMPARE(other->isLit(), other == widget);
    m_window->setLamp(lamp, false, darkTip);
    QVERIFY(!widget->isLit());
    QCOMPARE(widget->toolTip(), darkTip);
}

void TestFaceplate::lampCaptions_carryTheirTooltips() {
    for (const char* name : {"Label7", "Label8", "Label9"}) {
        auto* label = m_window->findChild<QLabel*>(QString::fromLatin1(name));
        QVERIFY2(label, name);
        const QString tip = QStringLiteral("tip of ") + QString::fromLatin1(name);
        m_window->setLabelTooltip(QString::fromLatin1(name), tip);
        QCOMPARE(label->toolTip(), tip);
    }
}

void TestFaceplate::modelChange_repaintsTheField_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint32>("fore"); // &HBBGGRR
    QTest::addColumn<quint32>("back");
    QTest::addColumn<QColor>("foreShown");
    QTest::addColumn<QColor>("backShown");
    QTest::newRow("main line in red on blue")
        << "tbfreq"
        << " 154.2500" << 0x0000FFu << 0xFF0000u << QColor(255, 0, 0) << QColor(0, 0, 255);
    QTest::newRow("channel") << "tbChan"
                             << "123" << 0x00FF00u << 0x000000u << QColor(0, 255, 0) << QColor(0, 0, 0);
    QTest::newRow("bank box 20 inverted")
        << "tbBANKNUM(20)"
        << "20" << 0x123456u << 0x654321u << QColor(0x56, 0x34, 0x12) << QColor(0x21, 0x43, 0x65);
    QTest::newRow("trunk type") << "tbTRUNKTYPE"
                                << " TRUNK " << 0x000000u << 0xFFFFFFu << QColor(0, 0, 0) << QColor(255, 255, 255);
}

void TestFaceplate::modelChange_repaintsTheField() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(quint32, fore);
    QFETCH(quint32, back);
    QFETCH(QColor, foreShown);
    QFETCH(QColor, backShown);
    QLabel* label = m_window->displayWidget()->fieldLabel(field);
    QVERIFY(label);
    m_model->setText(field, text);
    m_model->setForeColor(field, fore);
    m_model->setBackColor(field, back);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->palette().color(QPalette::WindowText), foreShown);
    QCOMPARE(label->palette().color(QPalette::Window), backShown);
    QVERIFY(label->autoFillBackground());
    // Pixels of the text colour really appear where the label is drawn.
    const QImage image = label->grab().toImage();
    bool inked = false;
    for (int y = 0; y < image.height() && !inked; ++y)
        for (int x = 0; x < image.width() && !inked; ++x)
            inked = image.pixelColor(x, y) == foreShown;
    QVERIFY(inked);
}

void TestFaceplate::activeBankMarker_isAFilledSquare() {
    QLabel* marker = m_window->displayWidget()->fieldLabel(QStringLiteral("tbACTIVEBANK(7)"));
    QVERIFY(marker);
    QCOMPARE(marker->text(), QString());
    m_model->setText(QStringLiteral("tbACTIVEBANK"), 7, QStringLiteral("n"));
    QCOMPARE(marker->text(), QString(QChar(0x25A0)));
    m_model->setText(QStringLiteral("tbACTIVEBANK"), 7, QString());
    QCOMPARE(marker->text(), QString());
    // An "n" elsewhere is just a letter.
    m_model->setText(QStringLiteral("tbfreq"), QStringLiteral("n"));
    QCOMPARE(m_window->displayWidget()->fieldLabel(QStringLiteral("tbfreq"))->text(), QStringLiteral("n"));
}

void TestFaceplate::fieldAlignmentAndVisibility_followTheModel() {
    QLabel* bank = m_window->displayWidget()->fieldLabel(QStringLiteral("tbBank"));
    m_model->setAlignment(QStringLiteral("tbBank"), Qt::AlignLeft);
    QCOMPARE(bank->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    m_model->setAlignment(QStringLiteral("tbBank"), Qt::AlignRight);
    QCOMPARE(bank->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    m_model->setVisible(QStringLiteral("tbBank"), false);
    QVERIFY(!bank->isVisible());
    m_model->setVisible(QStringLiteral("tbBank"), true);
    QVERIFY(bank->isVisible());
}

void TestFaceplate::display_drawnInDejaVuMono() {
    for (const char* field : {"tbfreq", "tbChan", "tbBANKNUM(1)", "tbSCAN"}) {
        QLabel* label = m_window->displayWidget()->fieldLabel(QString::fromLatin1(field));
        QVERIFY2(label, field);
        QCOMPARE(QFontInfo(label->font()).family(), QStringLiteral("DejaVu Sans Mono"));
    }
}

void TestFaceplate::statusLineAndDiagnosticBoxes_followTheModel() {
    auto* status = m_window->findChild<QLabel*>(QStringLiteral("StatusLine"));
    QVERIFY(status);
    m_model->setText(QStringLiteral("StatusLine"), QStringLiteral("COMM PORT #2 OPENED at 19200,N,8,1"));
    QCOMPARE(status->text(), QStringLiteral("COMM PORT #2 OPENED at 19200,N,8,1"));

    for (const char* name : {"Text1", "Text3"}) {
        auto* box = m_window->findChild<QLineEdit*>(QString::fromLatin1(name));
        QVERIFY2(box, name);
        QVERIFY(!box->isVisible());
        m_model->setText(QString::fromLatin1(name), QStringLiteral("+\rC012"));
        m_model->setVisible(QString::fromLatin1(name), true);
        QVERIFY(box->isVisible());
        QCOMPARE(box->text(), QStringLiteral("+\rC012"));
    }
}

void TestFaceplate::typedKeys_neverReachAFocusedTextBox() {
    m_model->setVisible(QStringLiteral("Text1"), true);
    auto* box = m_window->findChild<QLineEdit*>(QStringLiteral("Text1"));
    m_window->activateWindow();
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    QSignalSpy downs(m_window.get(), &Pro2052Faceplate::keyDown);
    QSignalSpy presses(m_window.get(), &Pro2052Faceplate::keyPress);
    QTest::keyClicks(box, QStringLiteral("ab"));
    QCOMPARE(box->text(), QString());
    QCOMPARE(presses.count(), 2);
    QCOMPARE(presses.at(0).at(0).toString(), QStringLiteral("a"));
    QCOMPARE(presses.at(1).at(0).toString(), QStringLiteral("b"));
    QCOMPARE(downs.count(), 2);
    QCOMPARE(downs.at(0).at(0).toInt(), int(Qt::Key_A));
}

void TestFaceplate::spaceAndEnter_neverPressAKey_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::newRow("space") << int(Qt::Key_Space) << " ";
    QTest::newRow("enter") << int(Qt::Key_Return) << "\r";
}

void TestFaceplate::spaceAndEnter_neverPressAKey() {
    QFETCH(int, key);
    QFETCH(QString, text);
    auto* scan = m_window->findChild<QPushButton*>(QStringLiteral("btnSCAN"));
    // Even a key that somehow got the focus is not pressed by the keyboard.
    scan->setFocusPolicy(Qt::StrongFocus);
    m_window->activateWindow();
    scan->setFocus();
    QTRY_VERIFY(scan->hasFocus());
    QSignalSpy clicks(m_window.get(), &Pro2052Faceplate::keyClicked);
    QSignalSpy presses(m_window.get(), &Pro2052Faceplate::keyPress);
    QTest::keyClick(scan, Qt::Key(key));
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(presses.count(), 1);
    QCOMPARE(presses.at(0).at(0).toString(), text);
}

void TestFaceplate::keypadKeys_reportTheKeypadModifier() {
    QSignalSpy downs(m_window.get(), &Pro2052Faceplate::keyDown);
    QTest::keyClick(m_window.get(), Qt::Key_5, Qt::KeypadModifier);
    QCOMPARE(downs.count(), 1);
    QCOMPARE(downs.at(0).at(0).toInt(), int(Qt::Key_5));
    QVERIFY(downs.at(0).at(1).value<Qt::KeyboardModifiers>() & Qt::KeypadModifier);
}

void TestFaceplate::slider_tooltipAndSwitch_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("fromSwitches");
    QTest::newRow("operator drags to 0") << 0 << false;
    QTest::newRow("operator drags to 20") << 20 << false;
    QTest::newRow("start-up sets 3 for a slow port") << 3 << true;
    QTest::newRow("start-up sets 7") << 7 << true;
}

void TestFaceplate::slider_tooltipAndSwitch() {
    QFETCH(int, value);
    QFETCH(bool, fromSwitches);
    QSlider* slider = m_window->findChild<QSlider*>(QStringLiteral("Slider1"));
    QVERIFY(slider);
    QCOMPARE(slider->minimum(), 0);
    QCOMPARE(slider->maximum(), 20);
    QCOMPARE(slider->value(), m_switches->scanDelay());
    QCOMPARE(slider->toolTip(), QStringLiteral("Scan Delay is: %1").arg(slider->value()));
    if (fromSwitches)
        m_switches->setScanDelay(value);
    else
        slider->setValue(value);
    QCOMPARE(slider->value(), value);
    QCOMPARE(m_switches->scanDelay(), value);
    QCOMPARE(slider->toolTip(), QStringLiteral("Scan Delay is: %1").arg(value));
}

void TestFaceplate::closingTheWindow_isReported() {
    QSignalSpy spy(m_window.get(), &Pro2052Faceplate::closing);
    QVERIFY(m_window->close());
    QCOMPARE(spy.count(), 1);
}

void TestFaceplate::screenshot_savedAsFaceplatePng() {
    DisplayModel& m = *m_model;
    m.setText(QStringLiteral("tbfreq"), QStringLiteral(" 154.2500"));
    m.setText(QStringLiteral("tbChan"), QStringLiteral("12"));
    m.setText(QStringLiteral("tbCHANlbl"), QStringLiteral("CH"));
    m.setText(QStringLiteral("tbMHZ"), QStringLiteral("MHz"));
    m.setText(QStringLiteral("tbModMode"), QStringLiteral("NFM"));
    m.setText(QStringLiteral("tbBank"), QStringLiteral("BANK"));
    m.setText(QStringLiteral("tbSCAN"), QStringLiteral("SCAN"));
    m.setText(QStringLiteral("tbDELAY"), QStringLiteral("DELAY"));
    m.setText(QStringLiteral("tbMUTE"), QStringLiteral("MUTE AUTO"));
    m.setText(QStringLiteral("StatusLine"), QStringLiteral("COMM PORT #2 OPENED at 19200,N,8,1"));
    for (int bank : {1, 3, 5, 8, 11, 20})
        m.setText(QStringLiteral("tbBANKNUM"), bank, QString::number(bank));
    m.setBackColor(QStringLiteral("tbBANKNUM(1)"), FaceplateDisplayWidget::kLcdFore);
    m.setForeColor(QStringLiteral("tbBANKNUM(1)"), FaceplateDisplayWidget::kLcdBack);
    m.setText(QStringLiteral("tbACTIVEBANK"), 1, QStringLiteral("n"));
    m_window->setLamp(QStringLiteral("lampPort"), true, QStringLiteral("COM Port is open"));
    m_window->setLamp(QStringLiteral("lampBuffer"), true, QStringLiteral("Data is in the COM buffer"));

    const QString folder = qEnvironmentVariable("VALDORIA_SCREENSHOT_DIR", QDir::currentPath());
    const QString path = QDir(folder).filePath(QStringLiteral("faceplate.png"));
    const QPixmap shot = m_window->grab();
    QVERIFY(shot.width() > 600 && shot.height() > 250);
    QVERIFY(shot.save(path));
    QImage saved(path);
    QCOMPARE(saved.size(), shot.size());
}

QTEST_MAIN(TestFaceplate)
#include "test_faceplate.moc"
