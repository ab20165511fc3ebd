// Config > Phone View: the address with the token and its QR code, or how to turn the phone view on.
#include "SessionRig.h"
#include "Settings.h"
#include "remote/WebServer.h"
#include "web/PhoneViewDialog.h"
#include "web/QrCode.h"

#include <QLabel>
#include <QTest>

class TestPhoneView : public QObject {
    Q_OBJECT

private Q_SLOTS:
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

    void dialog_showsTheAddressWithTheTokenAndItsCode() {
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

    void dialog_saysHowToTurnItOnWhenOff() {
        SessionRig rig;
        rig.session->start();
        PhoneViewDialog dialog(*rig.session);
        QCOMPARE(dialog.url(), QString());
        QVERIFY(!dialog.findChild<QLabel*>(QStringLiteral("qrcode")));
        QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("intro"))->text().contains(QLatin1String("--web-port")));
        QVERIFY(rig.session->settings().webToken().isEmpty());
    }
};

QTEST_MAIN(TestPhoneView)
#include "test_phoneview.moc"
