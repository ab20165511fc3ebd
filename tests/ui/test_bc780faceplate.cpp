// frmBC780XLT on its own: the LCD's lit text in the shipped font, on an offscreen grab.
#include "Bc780Faceplate.h"
#include "Bc780LcdWidget.h"
#include "monitor/DisplayModel.h"
#include "monitor/Panel.h"
#include "state/Switches.h"

#include <QImage>
#include <QTest>

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
        DisplayModel model, aux;
        Panel::addBc780xltFields(model);
        Switches switches;
        Bc780Faceplate window(model, aux, switches);
        QCOMPARE(Bc780LcdWidget::lcdFontFamily(), QStringLiteral("DSEG14 Classic"));
        model.setText(QStringLiteral("Text2"), 3, QStringLiteral("CITY PD"));
        model.setForeColor(QStringLiteral("Text2(3)"), fore);

        const QImage shot = window.lcd()->grab().toImage();
        // Near-black pixels in the band of display line 3, and none in the empty line 1 above it.
        const auto darkPixels = [&shot](int top) {
            int count = 0;
            for (int y = top; y < top + 28; ++y) {
                for (int x = 16; x < 600; ++x)
                    count += qGray(shot.pixel(x, y)) < 60 ? 1 : 0;
            }
            return count;
        };
        QCOMPARE(darkPixels(186), 0);
        QCOMPARE(darkPixels(186 + 2 * 31) > 200, black);
    }
};

QTEST_MAIN(TestBc780Faceplate)
#include "test_bc780faceplate.moc"
