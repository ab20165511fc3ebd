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
    void lcd_drawsLitLinesBlackAndDarkOnesAlmostInvisible_data() {
        QTest::addColumn<quint32>("fore");
        QTest::addColumn<bool>("black");
        QTest::newRow("lit") << quint32(Panel::kLcdLit) << true;
        QTest::newRow("dark") << quint32(Panel::kLcdUnlit) << false;
    }
    void lcd_drawsLitLinesBlackAndDarkOnesAlmostInvisible() {
        QFETCH(quint32, fore);
        QFETCH(bool, black);
        Glass glass;
        QCOMPARE(Bc780LcdWidget::lcdFontFamily(), QStringLiteral("DSEG14 Classic"));
        glass.model.setText(QStringLiteral("Text2"), 3, QStringLiteral("CITY PD"));
        glass.model.setForeColor(QStringLiteral("Text2(3)"), fore);
        // Near-black pixels in the band of display line 3, and none in the empty line 1 above it.
        const QImage shot = glass.shot();
        QCOMPARE(darkPixels(shot, QRect(16, 186, 584, 28)), 0);
        QCOMPARE(darkPixels(shot, QRect(16, 186 + 2 * 31, 584, 28)) > 200, black);
    }

    // Words the panel routines write on this display too: each must show somewhere on the glass.
    void lcd_showsEverySegmentWord_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        for (const auto& [row, field, text] :
             {std::tuple("MANUAL", "tbMANUAL", "MANUAL"), std::tuple("PRI label", "tbPRIlbl", "PRI"),
              std::tuple("MHz", "tbMHZ", "MHz"), std::tuple("SCAN", "tbSCAN", "SCAN")})
            QTest::newRow(row) << QString::fromLatin1(field) << QString::fromLatin1(text);
    }
    void lcd_showsEverySegmentWord() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        Glass glass;
        const QImage before = glass.shot();
        glass.model.setText(field, text);
        glass.model.setForeColor(field, Panel::kLcdLit);
        const QImage after = glass.shot();
        int darkened = 0;
        for (int y = 0; y < after.height(); ++y) {
            for (int x = 0; x < after.width(); ++x)
                darkened += qGray(after.pixel(x, y)) < 60 && qGray(before.pixel(x, y)) >= 60 ? 1 : 0;
        }
        QVERIFY2(darkened > 30, qPrintable(QString::number(darkened)));
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
