// The phone view inside a whole session on the in-process simulator: a key pressed on the page reaches the
// scanner by the faceplate's own path, and the page follows what the monitor reads and the link.
#include "SessionRig.h"
#include "Settings.h"
#include "link/SerialLink.h"
#include "monitor/Monitor.h"
#include "remote/WebServer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QWebSocket>

class TestWebSession : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void phoneViewIsOffUnlessAskedFor_itsTokenIsMadeOnceAndKept() {
        SessionRig rig;
        rig.session->start();
        QVERIFY(!rig.session->webEnabled());
        QVERIFY(!rig.session->web().isListening());
        QVERIFY(rig.session->settings().webToken().isEmpty());
        const QString token = rig.session->webToken();
        QCOMPARE(token.size(), 32);
        QCOMPARE(rig.session->settings().webToken(), token);
        QCOMPARE(rig.session->webToken(), token);
    }

    void thePage_pressesKeysAsTheFaceplatesDo_andFollowsReadingsHitsAndTheLink() {
        SessionRig rig({}, QStringLiteral("pro2052"), 0);
        rig.session->start();
        QVERIFY(rig.session->web().isListening());
        QTRY_COMPARE_WITH_TIMEOUT(int(rig.session->state().gMode), 0, 5000);
        QWebSocket page;
        QList<QJsonObject> messages;
        connect(&page, &QWebSocket::textMessageReceived, this,
                [&messages](const QString& m) { messages << QJsonDocument::fromJson(m.toUtf8()).object(); });
        QNetworkRequest request(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(rig.session->web().serverPort())));
        request.setRawHeader("Cookie", "valdoria_token=" + rig.session->webToken().toUtf8());
        page.open(request);
        QTRY_VERIFY(!messages.isEmpty());
        QCOMPARE(messages.first().value("keys").toBool(), true);
        QCOMPARE(messages.first().value("link").toObject().value("text").toString(),
                 QStringLiteral("Scanner connected"));
        for (const auto& [key, command] :
             {std::pair("btnHOLD", "KEY07"), {"btnNUM5", "KEY02 5"}, {"btnSCAN", "KEY00"}}) {
            rig.commands.clear();
            page.sendTextMessage(QStringLiteral("{\"type\":\"key\",\"key\":\"%1\"}").arg(QLatin1String(key)));
            QTRY_VERIFY2(rig.commands.contains(QLatin1String(command)),
                         qPrintable(rig.commands.join(QLatin1Char('|'))));
        }
        const auto lastOf = [&messages](const QString& type) {
            for (qsizetype i = messages.size() - 1; i >= 0; --i)
                if (messages.at(i).value("type").toString() == type)
                    return messages.at(i);
            return QJsonObject();
        };
        Reading reading;
        reading.modeName = QStringLiteral("SCAN");
        reading.frequencyHz = 460'125'000;
        reading.channel = 5;
        Q_EMIT rig.session->monitor().readingChanged(reading);
        QTRY_COMPARE(lastOf(QStringLiteral("reading")).value("reading").toObject().value("frequency_hz").toInteger(),
                     460125000);
        Q_EMIT rig.session->monitor().hitEnded(Hit{reading, QDateTime::currentDateTime(), 4200});
        QTRY_COMPARE(lastOf(QStringLiteral("hit")).value("duration_ms").toInteger(), 4200);
        QCOMPARE(lastOf(QStringLiteral("hit")).value("event").toString(), QStringLiteral("end"));
        rig.session->link().closePort();
        QTRY_COMPARE(lastOf(QStringLiteral("link")).value("link").toObject().value("text").toString(),
                     QStringLiteral("Serial port closed"));
    }
};

QTEST_GUILESS_MAIN(TestWebSession)
#include "test_websession.moc"
