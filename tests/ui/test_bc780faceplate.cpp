// frmBC780XLT: the LCD's lit text in the shipped font on an offscreen grab, and its own keys and
// tag choice over a session on the in-process simulator.
#include "SessionRig.h"
#include "faceplate/Bc780Faceplate.h"
#include "faceplate/Bc780LcdWidget.h"
#include "faceplate/FaceplateController.h"
#include "faceplate/FaceplateMenus.h"
#include "monitor/DisplayModel.h"
#include "monitor/Panel.h"
#include "state/Switches.h"

#include <QAction>
#include <QImage>
#include <QPushButton>
#include <QTest>

namespace {
// The faceplate over the LCD's fields alone.
struct Glass {
    Glass() { Panel::addBc780xltFields(model); }
    QImage shot() const { return window.lcd()->grab().toImage(); }
    DisplayModel model, aux;
    Switches switches;
    Bc780Faceplate window{model, aux, switches};
};

// Near-black pixels of the shot in the rectangle.
int darkPixels(const QImage& shot, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            count += qGray(shot.pixel(x, y)) < 60 ? 1 : 0;
    }
    return count;
}
} // namespace

class TestBc780Faceplate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // What the panel routines write shows on the glass: a lit line black in its own band, a dark one almost
    // invisible, and each segment word somewhere.
    void lcd_drawsLitTextBlack_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint32>("fore");
        QTest::addColumn<QRect>("area"); // empty: anywhere on the glass
        QTest::addColumn<bool>("black");
        const QRect line3(16, 186 + 2 * 31, 584, 28);
        QTest::newRow("lit line") << "Text2(3)"
                                  << "CITY PD" << quint32(Panel::kLcdLit) << line3 << true;
        QTest::newRow("dark line") << "Text2(3)"
                                   << "CITY PD" << quint32(Panel::kLcdUnlit) << line3 << false;
        for (const auto& [row, field, text] :
             {std::tuple("MANUAL", "tbMANUAL", "MANUAL"), std::tuple("PRI label", "tbPRIlbl", "PRI"),
              std::tuple("MHz", "tbMHZ", "MHz"), std::tuple("SCAN", "tbSCAN", "SCAN")})
            QTest::newRow(row) << QString::fromLatin1(field) << QString::fromLatin1(text) << quint32(Panel::kLcdLit)
                               << QRect() << true;
    }
    void lcd_drawsLitTextBlack() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(quint32, fore);
        QFETCH(QRect, area);
        Glass glass;
        QCOMPARE(Bc780LcdWidget::lcdFontFamily(), QStringLiteral("DSEG14 Classic"));
        const QImage before = glass.shot();
        glass.model.setText(field, text);
        glass.model.setForeColor(field, fore);
        const QImage after = glass.shot();
        if (area.isNull())
            area = after.rect();
        int darkened = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x)
                darkened += qGray(after.pixel(x, y)) < 60 && qGray(before.pixel(x, y)) >= 60 ? 1 : 0;
        }
        QTEST(darkened > 30, "black");
    }

    // "> SCANNING": the first cell of line 4 shows a chevron, its point at the middle of the right side.
    void lcd_drawsTheChevronAsTwoDiagonals() {
        Glass glass;
        glass.model.setText(QStringLiteral("Text2"), 4, QStringLiteral("> SCANNING"));
        const QImage shot = glass.shot();
        if (qEnvironmentVariableIsSet("VALDORIA_SAVE_LCD"))
            shot.save(qEnvironmentVariable("VALDORIA_SAVE_LCD"));
        // The first of sixteen cells across the glass, in the band of line 4; which thirds hold dark pixels.
        const QRect cell(16, 186 + 3 * 31, 590 / 16, 28);
        QString shape;
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                const int left = cell.left() + column * cell.width() / 3, top = cell.top() + row * cell.height() / 3;
                const QRect third(QPoint(left, top), QPoint(cell.left() + (column + 1) * cell.width() / 3 - 1,
                                                            cell.top() + (row + 1) * cell.height() / 3 - 1));
                shape += darkPixels(shot, third) > 0 ? '#' : '.';
            }
            shape += '|';
        }
        QCOMPARE(shape, "##.|.##|##.|");
    }

    void tagChoiceAndLightKey_reachTheSession() {
        SessionRig rig({}, QStringLiteral("bc780xlt"));
        Session& session = *rig.session;
        Bc780Faceplate window(session.display(), session.aux(), session.switches());
        FaceplateController controller(session, window, rig.prompter, QString());
        session.start();
        QTRY_COMPARE_WITH_TIMEOUT(session.display().text(QStringLiteral("btnLIGHT")), QStringLiteral("LCD DIM"), 5000);
        const auto checked = [&window](const char* name) {
            return window.menus()->action(QLatin1String(name))->isChecked();
        };
        QVERIFY(!checked("Use_BC780XLT_Tags") && checked("Use_VDPro_Tags"));
        window.menus()->action(QStringLiteral("Use_BC780XLT_Tags"))->trigger();
        QVERIFY(session.switches().useScannerTags());
        QVERIFY(checked("Use_BC780XLT_Tags") && !checked("Use_VDPro_Tags"));
        window.menus()->action(QStringLiteral("Use_VDPro_Tags"))->trigger();
        QVERIFY(!session.switches().useScannerTags());

        window.button(QStringLiteral("btnLIGHT"))->click();
        QTRY_VERIFY_WITH_TIMEOUT(rig.commands.contains(QStringLiteral("LTN")), 5000);
        QCOMPARE(window.button(QStringLiteral("btnLIGHT"))->text(), QStringLiteral("LCD ON"));
    }
};

QTEST_MAIN(TestBc780Faceplate)
#include "test_bc780faceplate.moc"
