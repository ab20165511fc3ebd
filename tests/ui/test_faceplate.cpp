// The faceplate window on its own: rendering, check marks and keyboard handling. What its keys and
// menu entries do over a live session is covered by test_faceplatecontroller.
#include "faceplate/Bc780Faceplate.h"
#include "faceplate/FaceplateDisplayWidget.h"
#include "faceplate/FaceplateMenus.h"
#include "faceplate/LampWidget.h"
#include "faceplate/Pro2052Faceplate.h"
#include "monitor/DisplayModel.h"
#include "monitor/Panel.h"
#include "state/Switches.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include <algorithm>
#include <memory>
#include <tuple>

namespace {
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
    Pro2052Faceplate* m_window = nullptr;

private Q_SLOTS:
    void init() {
        m_rig = std::make_unique<Rig>();
        m_window = &m_rig->window;
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }

    void cleanup() { m_rig.reset(); }

    // Choosing a check-mark entry only reports it: the mark follows its owner (switch, aux window). The delay
    // slider and its switch follow each other both ways; the tooltip names the delay. Closing is reported.
    void checkMarksSliderAndCompanionEntry_followTheirOwners() {
        using Set = void (Switches::*)(bool);
        const std::pair<const char*, Set> switched[] = {
            {"ScanLogging", &Switches::setScanLogging},
            {"SearchLogging", &Switches::setSearchLogging},
            {"TrunkLogging", &Switches::setTrunkLogging},
            {"mnuShow_Freq_and_Talkgroup", &Switches::setShowFreqAndTalkgroup}};
        for (const auto& [entry, set] : switched) {
            QAction* action = m_window->menus()->action(QString::fromLatin1(entry));
            (m_rig->switches.*set)(true);
            action->trigger();
            QVERIFY2(action->isChecked(), entry);
            (m_rig->switches.*set)(false);
            QVERIFY2(!action->isChecked(), entry);
        }
        QAction* aux = m_window->menus()->action(QStringLiteral("mnuAuxDisp"));
        aux->trigger(); // nothing opened the aux window here
        QVERIFY(!aux->isChecked());
        m_rig->aux.setWindowVisible(true);
        Q_EMIT m_window->menus()->menu(QStringLiteral("mnuView"))->aboutToShow();
        QVERIFY(aux->isChecked());
        QAction* load = m_window->menus()->action(QStringLiteral("LoadPellwick"));
        QVERIFY(!load->isEnabled());
        m_window->setCompanionAvailable(true);
        QVERIFY(load->isEnabled());
        QSlider* slider = m_window->scanDelaySlider();
        QCOMPARE(slider->value(), m_rig->switches.scanDelay());
        slider->setValue(20);
        QCOMPARE(m_rig->switches.scanDelay(), 20);
        m_rig->switches.setScanDelay(3);
        QCOMPARE(slider->value(), 3);
        QCOMPARE(slider->toolTip(), QStringLiteral("Scan Delay is: 3"));
        QSignalSpy closing(m_window, &Pro2052Faceplate::closing);
        QVERIFY(m_window->close());
        QCOMPARE(closing.count(), 1);
    }

    // Each lamp lights and darkens alone (their tooltips are checked over a live session).
    void lamps_lightAndDarkenAlone() {
        for (const char* lamp : {"lampBuffer", "lampCTS", "lampDSR", "lampPort"}) {
            const QString name = QString::fromLatin1(lamp);
            m_window->setLamp(name, true, QString());
            for (LampWidget* other : m_window->findChildren<LampWidget*>())
                QCOMPARE(other->isLit(), other->objectName() == name);
            m_window->setLamp(name, false, QString());
            QVERIFY(!m_window->lamp(name)->isLit());
        }
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
        m_rig->model.setText(field, QString::fromLatin1(r.text));
        m_rig->model.setForeColor(field, r.fore);
        m_rig->model.setBackColor(field, r.back);
        QCOMPARE(label->text(), QString::fromUtf8(r.shown));
        QCOMPARE(label->palette().color(QPalette::Window), QColor::fromRgb(r.backShown));
        QVERIFY(label->autoFillBackground());
        // The text colour really reaches the pixels.
        const QImage image = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constBits());
        QVERIFY(std::count(pixels, pixels + image.width() * image.height(), QColor::fromRgb(r.foreShown).rgb()) > 0);
    }

    void alignmentVisibilityAndSideFields_followTheModel() {
        const QString status = QStringLiteral("COMM PORT #2 OPENED at 19200,N,8,1"), diag = QStringLiteral("+\rC012");
        QLabel* bank = m_window->displayWidget()->fieldLabel(QStringLiteral("tbBank"));
        m_rig->model.setAlignment(QStringLiteral("tbBank"), Qt::AlignRight);
        QCOMPARE(bank->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        m_rig->model.setVisible(QStringLiteral("tbBank"), false);
        QVERIFY(!bank->isVisible());
        m_rig->model.setText(QStringLiteral("StatusLine"), status);
        QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("StatusLine"))->text(), status);
        auto* box = m_window->findChild<QLineEdit*>(QStringLiteral("Text3"));
        QVERIFY(!box->isVisible());
        m_rig->model.setText(QStringLiteral("Text3"), diag);
        m_rig->model.setVisible(QStringLiteral("Text3"), true);
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
        m_rig->model.setVisible(QStringLiteral("Text1"), true);
        auto* target = m_window->findChild<QWidget*>(focused);
        target->setFocusPolicy(Qt::StrongFocus); // even a key that somehow got the focus is not pressed
        m_window->activateWindow();
        target->setFocus();
        QTRY_VERIFY(target->hasFocus());
        QSignalSpy clicks(m_window, &Pro2052Faceplate::keyClicked);
        QSignalSpy downs(m_window, &Pro2052Faceplate::keyDown);
        QSignalSpy presses(m_window, &Pro2052Faceplate::keyPress);
        QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        if (auto* box = qobject_cast<QLineEdit*>(target))
            QCOMPARE(box->text(), QString());
        QCOMPARE(std::tuple(clicks.count(), downs.count(), presses.count()), std::tuple(0, 1, 1));
        QCOMPARE(
            std::tuple(downs[0][0].toInt(), int(downs[0][1].value<Qt::KeyboardModifiers>()), presses[0][0].toString()),
            std::tuple(key, modifiers, text));
    }

    // A key's caption keeps clear of its edges on both faceplates (MANUAL is the widest).
    void keys_captionsKeepClearOfTheirEdges() {
        DisplayModel model, aux;
        Switches switches;
        Panel::addBc780xltFields(model);
        Bc780Faceplate bc780(model, aux, switches);
        bc780.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bc780));
        QStringList tight;
        for (FaceplateWindow* window :
             {static_cast<FaceplateWindow*>(m_window), static_cast<FaceplateWindow*>(&bc780)}) {
            QVERIFY(window->findChild<QPushButton*>(QStringLiteral("btnMAN")));
            for (QPushButton* key : window->findChildren<QPushButton*>()) {
                const int text = key->fontMetrics().horizontalAdvance(key->text());
                if (key->width() < text + 12)
                    tight << QStringLiteral("%1 (%2 of %3 px)").arg(key->text()).arg(text).arg(key->width());
            }
        }
        QCOMPARE(tight, QStringList());
    }
};

QTEST_MAIN(TestFaceplate)
#include "test_faceplate.moc"
