// The phone view's web server on real sockets: who may watch and press keys, what the HTTP side serves and
// refuses, the WebSocket pushes to many pages, and the pages that misbehave. Last, the phone view inside a whole
// session on the in-process simulator: a key pressed on the page reaches the scanner by the faceplate's own path,
// and the page follows what the monitor reads and the link.
#include "ManualClock.h"
#include "SessionRig.h"
#include "Settings.h"
#include "link/SerialLink.h"
#include "monitor/Monitor.h"
#include "remote/RecordingLibrary.h"
#include "remote/WebAccess.h"
#include "remote/WebServer.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QWebSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

const QString kToken = QStringLiteral("0123456789abcdef0123456789abcdef");

// A request to the web server and what its answer must hold.
struct Request {
    QString listen; ///< "any": listening everywhere
    QByteArray target, headers;
    int status;
    QByteArray expect; ///< a text of the answer's head or body
    QByteArray method = "GET";
};

struct HttpAnswer {
    int status = 0;
    QByteArray head;
    QByteArray body;
};

// Whether all of an answer has come: its head, then Content-Length bytes or the last chunk.
bool wholeAnswer(const QByteArray& all) {
    const qsizetype end = all.indexOf("\r\n\r\n");
    if (end < 0)
        return false;
    const QByteArray head = all.left(end).toLower();
    const qsizetype length = head.indexOf("content-length: ");
    if (length >= 0)
        return all.size() - end - 4 >= head.mid(length + 16).split('\r').first().toLongLong();
    return all.endsWith("0\r\n\r\n");
}

// One request written byte for byte, so paths reach the server exactly as typed; the event loop runs
// while the answer comes, since the server lives on this thread.
HttpAnswer rawGet(quint16 port, const QByteArray& target, const QByteArray& extraHeaders = {},
                  const QByteArray& method = "GET", bool tls = false) {
    QSslSocket socket;
    QSignalSpy arrived(&socket, &QTcpSocket::readyRead);
    if (tls) {
        // The test certificate is self-signed.
        socket.setPeerVerifyMode(QSslSocket::VerifyNone);
        socket.connectToHostEncrypted(QStringLiteral("127.0.0.1"), port);
    } else {
        socket.connectToHost(QHostAddress::LocalHost, port);
    }
    socket.write(method + ' ' + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extraHeaders + "\r\n");
    QByteArray all;
    for (int round = 0; round < 50 && !wholeAnswer(all); ++round) {
        arrived.wait(100);
        all += socket.readAll();
    }
    HttpAnswer answer;
    const qsizetype end = all.indexOf("\r\n\r\n");
    answer.head = all.left(end);
    answer.body = end < 0 ? QByteArray() : all.mid(end + 4);
    answer.status = all.mid(9, 3).toInt();
    return answer;
}

QJsonObject activity(quint16 port) {
    return QJsonDocument::fromJson(rawGet(port, "/api/activity").body).object();
}

QJsonObject json(const QString& text) {
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

Reading readingAt(qint64 hz) {
    Reading reading;
    reading.mode = 0;
    reading.modeName = QStringLiteral("SCAN");
    reading.frequencyHz = hz;
    reading.channel = 5;
    reading.bank = 1;
    reading.modulation = Reading::Modulation::Nfm;
    reading.channelName = QStringLiteral("City police dispatch");
    return reading;
}

// A page: a real QWebSocket that keeps every text message it gets.
struct Page {
    QWebSocket socket;
    QStringList messages;
    bool closed = false;
    QWebSocketProtocol::CloseCode closeCode = QWebSocketProtocol::CloseCodeNormal;
    QString closeReason;

    explicit Page(quint16 port, const QByteArray& cookie = {}, const QByteArray& origin = {}) {
        QObject::connect(&socket, &QWebSocket::textMessageReceived, [this](const QString& m) { messages << m; });
        QObject::connect(&socket, &QWebSocket::disconnected, [this] {
            closed = true;
            closeCode = socket.closeCode();
            closeReason = socket.closeReason();
        });
        QNetworkRequest request(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(port)));
        if (!cookie.isEmpty())
            request.setRawHeader("Cookie", cookie);
        if (!origin.isEmpty())
            request.setRawHeader("Origin", origin);
        socket.open(request);
    }
    int count(const QString& type) const {
        int n = 0;
        for (const QString& m : messages)
            n += json(m).value(QStringLiteral("type")).toString() == type;
        return n;
    }
    QJsonObject last() const { return messages.isEmpty() ? QJsonObject() : json(messages.last()); }
};

class FakeRecordings final : public RecordingLibrary {
public:
    QString file;
    QList<Recording> recordingsOn(const QDate&) const override {
        return {{QStringLiteral("20010215-120000-ch5.ogg"), QDateTime(QDate(2001, 2, 15), QTime(12, 0)), 4200,
                 QStringLiteral("CH 5 460.1250")}};
    }
    QString filePath(const QString& id) const override {
        return id == QLatin1String("20010215-120000-ch5.ogg") ? file : QString();
    }
};

// Everything the program logs while the tests run: the token must never be among it.
QStringList g_logged;
QtMessageHandler g_previousHandler = nullptr;

void keepLogged(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    g_logged << text;
    if (g_previousHandler)
        g_previousHandler(type, context, text);
}

qint64 residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

int openDescriptors() {
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::System).size());
}

} // namespace

Q_DECLARE_METATYPE(Request)

class TestWeb : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    ManualClock m_clock;
    std::unique_ptr<WebServer> m_server;

    quint16 start(const QString& address = {}) {
        m_server = std::make_unique<WebServer>(m_dir.path(), m_clock);
        m_server->setToken(kToken);
        m_server->setListenAddress(address);
        return m_server->startListening() ? m_server->serverPort() : 0;
    }

private Q_SLOTS:
    void initTestCase() { g_previousHandler = qInstallMessageHandler(keepLogged); }
    void cleanup() { m_server.reset(); }
    void cleanupTestCase() {
        qInstallMessageHandler(g_previousHandler);
        QVERIFY(!g_logged.isEmpty());
        QVERIFY(g_logged.filter(kToken).isEmpty());
    }

    void accessLevel_data() {
        QTest::addColumn<QString>("listen");
        QTest::addColumn<QString>("peer");
        QTest::addColumn<QByteArray>("given");
        QTest::addColumn<WebAccess::Level>("level");
        const auto row = [](const char* name, const char* listen, const char* peer, const QByteArray& given,
                            WebAccess::Level level) {
            QTest::newRow(name) << QString::fromLatin1(listen) << QString::fromLatin1(peer) << given << level;
        };
        using enum WebAccess::Level;
        const QByteArray right = kToken.toUtf8();
        row("loopback watches freely", "127.0.0.1", "127.0.0.1", {}, Watch);
        row("IPv6 loopback too", "127.0.0.1", "::1", {}, Watch);
        row("the token presses keys", "127.0.0.1", "127.0.0.1", right, Control);
        row("a wrong token only watches", "127.0.0.1", "127.0.0.1", "nope", Watch);
        row("another machine needs the token", "127.0.0.1", "192.168.1.20", {}, None);
        row("listening everywhere: nothing without it", "0.0.0.0", "127.0.0.1", {}, None);
        row("listening everywhere: with it", "0.0.0.0", "192.168.1.20", right, Control);
        row("its last character differs", "0.0.0.0", "192.168.1.20", "0123456789abcdef0123456789abcdee", None);
        row("a prefix of it", "0.0.0.0", "192.168.1.20", "0123456789abcdef", None);
        row("longer than it", "0.0.0.0", "192.168.1.20", "0123456789abcdef0123456789abcdef0", None);
    }
    void accessLevel() {
        QFETCH(QString, listen);
        QFETCH(QString, peer);
        QFETCH(QByteArray, given);
        QFETCH(WebAccess::Level, level);
        WebAccess access;
        access.setToken(kToken);
        access.setListenAddress(QHostAddress(listen));
        QCOMPARE(access.levelFor(QHostAddress(peer), given), level);
    }

    void tokenCookie_isFoundAmongOthers() {
        QCOMPARE(WebAccess::tokenFromCookies("a=1; valdoria_token=abc; b=2"), QByteArray("abc"));
        QCOMPARE(WebAccess::tokenFromCookies("valdoria_tokenx=abc"), QByteArray());
        // With no token stored, an empty one given opens nothing.
        QVERIFY(!WebAccess::sameToken({}, {}));
        QVERIFY(WebAccess::makeToken() != WebAccess::makeToken());
        QCOMPARE(WebAccess::makeToken().size(), 32);
    }

    void http_data() {
        QTest::addColumn<Request>("row");
        const auto row = [](const char* name, const Request& request) { QTest::newRow(name) << request; };
        const QByteArray token = kToken.toUtf8();
        const QByteArray cookie = "Cookie: valdoria_token=" + token + "\r\n";
        row("the page", {"", "/", {}, 200, "<title>Valdoria</title>"});
        row("its script", {"", "/app.js", {}, 200, "new WebSocket"});
        row("the state", {"", "/api/state", {}, 200, "\"keys\":false"});
        row("the state with the cookie", {"", "/api/state", cookie, 200, "\"keys\":true"});
        // The first visit with the token keeps it in a cookie and drops it from the address.
        row("the token in the link",
            {"", "/?token=" + token, {}, 303, "Set-Cookie: valdoria_token=" + token + "; Path=/; HttpOnly"});
        row("dot-dot", {"", "/../../../../etc/passwd", {}, 404, "Not found"});
        row("encoded dot-dot", {"", "/%2e%2e/%2E%2E/etc/passwd", {}, 404, "Not found"});
        row("dot-dot in a recording", {"", "/recordings/..%2f..%2f..%2fetc%2fpasswd", {}, 404, "No such recording"});
        row("dot-dot behind a page file", {"", "/app.js/../../etc/passwd", {}, 404, "Not found"});
        row("POST", {"", "/api/state", {}, 405, "Only GET", "POST"});
        row("a wrong token in the link", {"", "/?token=nope", {}, 403, "not valid"});
        row("everywhere: nothing without the token", {"any", "/", {}, 401, "needs its token"});
        row("everywhere: the cookie", {"any", "/api/state", cookie, 200, "\"keys\":true"});
    }
    void http() {
        QFETCH(Request, row);
        const quint16 port = start(row.listen);
        QVERIFY(port);
        const HttpAnswer answer = rawGet(port, row.target, row.headers, row.method);
        QCOMPARE(answer.status, row.status);
        QVERIFY2(answer.head.contains(row.expect) || answer.body.contains(row.expect), answer.body.constData());
        QVERIFY(!answer.body.contains("root:"));
    }

    void tls_servesTheTokenOnlyEncrypted_andWithoutAReadableKeyListensNotAtAll() {
        m_server = std::make_unique<WebServer>(m_dir.path(), m_clock);
        m_server->setToken(kToken);
        QSignalSpy said(m_server.get(), &WebServer::statusLine);
        m_server->setTlsFiles(QFINDTESTDATA("data/web-test-cert.pem"), m_dir.filePath(QStringLiteral("none.pem")));
        QVERIFY(!m_server->startListening());
        QVERIFY(!m_server->isListening());
        QCOMPARE(said.count(), 1);
        QVERIFY(said.at(0).at(0).toString().contains(QLatin1String("certificate")));
        // A certificate file that holds no certificate is refused the same way, never served as plain HTTP.
        m_server->setTlsFiles(QFINDTESTDATA("data/web-test-key.pem"), QFINDTESTDATA("data/web-test-key.pem"));
        QVERIFY(!m_server->startListening());
        m_server->setTlsFiles(QFINDTESTDATA("data/web-test-cert.pem"), QFINDTESTDATA("data/web-test-key.pem"));
        QVERIFY(m_server->startListening());
        const quint16 port = m_server->serverPort();
        QVERIFY(m_server->pageUrl(false).startsWith(QLatin1String("https://127.0.0.1:")));
        const HttpAnswer first = rawGet(port, "/?token=" + kToken.toUtf8(), {}, "GET", true);
        QCOMPARE(first.status, 303);
        QVERIFY2(first.head.contains("; Secure") && first.head.contains("Location: /\r\n"), first.head.constData());
        QCOMPARE(rawGet(port, "/api/state", {}, "GET", true).status, 200);
        // Plain HTTP on the same port gets no page.
        QCOMPARE(rawGet(port, "/api/state").status, 0);
        QWebSocket page;
        QStringList messages;
        connect(&page, &QWebSocket::textMessageReceived, this, [&messages](const QString& m) { messages << m; });
        connect(&page, &QWebSocket::sslErrors, &page, [&page](const QList<QSslError>&) { page.ignoreSslErrors(); });
        page.open(QUrl(QStringLiteral("wss://127.0.0.1:%1/ws").arg(port)));
        QTRY_COMPARE(messages.size(), 1);
        QCOMPARE(json(messages.first()).value("type").toString(), QStringLiteral("hello"));
    }

    void activity_todaysHitsNewestFirstFromTheDayLogs_recordingsServedOnlyByTheirId() {
        QDir(m_dir.path()).mkpath(QStringLiteral("LOGS/SCAN"));
        QFile log(m_dir.filePath(QStringLiteral("LOGS/SCAN/20010215.log")));
        QVERIFY(log.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        log.write("5,460.1250,09:15:00,NFM,City police,\r\n12,155.1000,11:30:00,NFM,Fire,\r\n");
        const quint16 port = start();
        QCOMPARE(activity(port).value("total").toInt(), 2);
        // Lines written while the server runs are counted once, without reading the day again.
        for (const char* line : {"7,154.2500,11:45:10,AM,,", "7,154.2500,11:45:11,AM,,"}) {
            log.write(QByteArray(line) + "\r\n");
            m_server->addLogLine(ActivityLogKind::Scan, QDate(2001, 2, 15), QString::fromLatin1(line));
        }
        // A word the faceplate showed in place of a channel is no hit.
        m_server->addLogLine(ActivityLogKind::Scan, QDate(2001, 2, 15), QStringLiteral("SCAN,SCANNING,11:50:00,,,"));
        const QJsonObject today = activity(port);
        QCOMPARE(today.value("date").toString(), QStringLiteral("2001-02-15"));
        QCOMPARE(today.value("total").toInt(), 4);
        const QJsonArray hours = today.value("hours").toArray();
        QCOMPARE(hours.size(), 24);
        QCOMPARE(hours.at(9).toInt(), 1);
        QCOMPARE(hours.at(11).toInt(), 3);
        const QJsonArray hits = today.value("hits").toArray();
        QCOMPARE(hits.size(), 4);
        QCOMPARE(hits.at(0).toObject().value("time").toString(), QStringLiteral("11:45:11"));
        QCOMPARE(hits.at(3).toObject().value("key").toString(), QStringLiteral("5"));
        QCOMPARE(hits.at(3).toObject().value("name").toString(), QStringLiteral("City police"));

        FakeRecordings recordings;
        recordings.file = m_dir.filePath(QStringLiteral("take.ogg"));
        QFile file(recordings.file);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("OggS fake audio");
        file.close();
        QCOMPARE(rawGet(port, "/recordings/20010215-120000-ch5.ogg").status, 404);
        m_server->setRecordings(&recordings);
        const QJsonArray list = activity(port).value("recordings").toArray();
        QCOMPARE(list.size(), 1);
        QCOMPARE(list.at(0).toObject().value("url").toString(), QStringLiteral("/recordings/20010215-120000-ch5.ogg"));
        const HttpAnswer audio = rawGet(port, "/recordings/20010215-120000-ch5.ogg");
        QCOMPARE(audio.status, 200);
        QVERIFY(audio.head.contains("Content-Type: audio/ogg"));
        QVERIFY(audio.body.contains("OggS fake audio"));
        QCOMPARE(rawGet(port, "/recordings/other.ogg").status, 404);
        // The next day starts empty.
        m_clock.set(QDate(2001, 2, 16), QTime(0, 0, 5));
        QCOMPARE(activity(port).value("total").toInt(), 0);
        m_clock.set(QDate(2001, 2, 15), QTime(12, 0));
    }

    // The page with the token presses keys, a watcher only reads; a page opened from another site is closed even
    // with the cookie, and one that sends a frame far over the limit is dropped alone.
    void watcherGetsReadings_onlyThePageWithTheTokenPressesKeys() {
        const quint16 port = start();
        QSignalSpy keys(m_server.get(), &WebServer::keyPressed);
        const QByteArray cookie = "valdoria_token=" + kToken.toUtf8();
        Page watcher(port);
        Page owner(port, cookie, QStringLiteral("http://127.0.0.1:%1").arg(port).toUtf8());
        Page elsewhere(port, cookie, "http://example.com");
        Page samePortOtherHost(port, cookie, QStringLiteral("http://evil.example:%1").arg(port).toUtf8());
        QTRY_VERIFY(elsewhere.closed && samePortOtherHost.closed);
        QCOMPARE(elsewhere.closeReason, QStringLiteral("opened from another site"));
        QTRY_VERIFY(watcher.count("hello") == 1 && owner.count("hello") == 1);
        QCOMPARE(m_server->clientCount(), 2);
        QCOMPARE(json(watcher.messages.first()).value("keys").toBool(), false);
        QCOMPARE(json(owner.messages.first()).value("keys").toBool(), true);
        m_server->publishReading(readingAt(460'125'000));
        QTRY_COMPARE(watcher.count("reading"), 1);
        const QJsonObject reading = watcher.last().value("reading").toObject();
        QCOMPARE(reading.value("frequency_hz").toInteger(), 460125000);
        QCOMPARE(reading.value("channel_name").toString(), QStringLiteral("City police dispatch"));
        watcher.socket.sendTextMessage(QStringLiteral("{\"type\":\"key\",\"key\":\"btnSCAN\"}"));
        QTRY_COMPARE(watcher.count("error"), 1);
        QVERIFY(watcher.last().value("error").toString().contains(QLatin1String("token")));
        QCOMPARE(keys.count(), 0);
        owner.socket.sendTextMessage(QStringLiteral("{\"type\":\"key\",\"key\":\"btnSCAN\"}"));
        owner.socket.sendTextMessage(QStringLiteral("{\"type\":\"key\",\"key\":\"btnNUM5\"}"));
        QTRY_COMPARE(keys.count(), 2);
        QCOMPARE(keys.at(0).at(0).toString(), QStringLiteral("btnSCAN"));
        QCOMPARE(keys.at(1).at(0).toString(), QStringLiteral("btnNUM5"));

        owner.socket.sendTextMessage(QStringLiteral("{\"type\":\"key\",\"key\":\"btnSCAN\",\"pad\":\"%1\"}")
                                         .arg(QString(WebServer::kMaxMessageBytes * 4, QLatin1Char('x'))));
        QTRY_VERIFY(owner.closed);
        QCOMPARE(owner.closeCode, QWebSocketProtocol::CloseCodeTooMuchData);
        QCOMPARE(keys.count(), 2);
        m_server->publishReading(readingAt(155'100'000));
        QTRY_COMPARE(watcher.count(QStringLiteral("reading")), 2);
        QCOMPARE(m_server->clientCount(), 1);
    }

    void badMessages_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("error");
        const auto row = [](const char* name, const char* message, const char* error) {
            QTest::newRow(name) << QString::fromLatin1(message) << QString::fromLatin1(error);
        };
        row("garbage", "{\"type\":\"key\",\"key\":", "not a JSON object");
        row("an array", "[1,2,3]", "not a JSON object");
        row("no type", "{\"key\":\"btnSCAN\"}", "unknown message type");
        row("an unknown key", "{\"type\":\"key\",\"key\":\"btnSELF_DESTRUCT\"}", "no such key");
    }
    void badMessages() {
        QFETCH(QString, message);
        QFETCH(QString, error);
        const quint16 port = start();
        QSignalSpy keys(m_server.get(), &WebServer::keyPressed);
        Page page(port, "valdoria_token=" + kToken.toUtf8());
        QTRY_COMPARE(page.count(QStringLiteral("hello")), 1);
        for (int i = 1; i < WebServer::kMaxBadMessages; ++i)
            page.socket.sendTextMessage(message);
        QTRY_COMPARE(page.count(QStringLiteral("error")), WebServer::kMaxBadMessages - 1);
        QCOMPARE(page.last().value("error").toString(), error);
        QVERIFY(!page.closed);
        // One more and the page has shown it only sends nonsense.
        page.socket.sendTextMessage(message);
        QTRY_VERIFY(page.closed);
        QCOMPARE(keys.count(), 0);
        QTRY_COMPARE(m_server->clientCount(), 0);
    }

    void webSocketWithoutTheToken_closedWhenListeningEverywhere() {
        const quint16 port = start(QStringLiteral("any"));
        Page stranger(port);
        Page wrong(port, "valdoria_token=0000");
        Page owner(port, "valdoria_token=" + kToken.toUtf8());
        QTRY_VERIFY(stranger.closed && wrong.closed);
        QCOMPARE(stranger.closeCode, QWebSocketProtocol::CloseCodePolicyViolated);
        QCOMPARE(stranger.closeReason, QStringLiteral("the token is missing or wrong"));
        QCOMPARE(stranger.count(QStringLiteral("hello")), 0);
        QTRY_COMPARE(owner.count(QStringLiteral("hello")), 1);
        QCOMPARE(m_server->clientCount(), 1);
    }

    // Pages up to the limit each get every change once, one more is turned away, and when they have all
    // come and gone no descriptor stays open.
    void twoHundredPages_eachGetEveryChangeOnce_theNextIsTurnedAway() {
        const quint16 port = start();
        {
            // The first page loads what Qt loads once (the event dispatcher's and the resolver's files).
            Page warmUp(port);
            QTRY_COMPARE(warmUp.count("hello"), 1);
        }
        QTRY_COMPARE(m_server->clientCount(), 0);
        const int descriptors = openDescriptors();
        m_server->setMaxClients(200);
        std::vector<std::unique_ptr<Page>> pages;
        for (int i = 0; i < 200; ++i)
            pages.push_back(std::make_unique<Page>(port));
        QTRY_COMPARE_WITH_TIMEOUT(m_server->clientCount(), 200, 20000);
        {
            Page turnedAway(port);
            QTRY_VERIFY(turnedAway.closed);
            QCOMPARE(turnedAway.closeCode, QWebSocketProtocol::CloseCodePolicyViolated);
            QCOMPARE(turnedAway.closeReason, QStringLiteral("too many pages are watching"));
            QCOMPARE(m_server->clientCount(), 200);
        }
        m_server->publishReading(readingAt(460'125'000));
        // The same reading again is no change: nothing more is sent.
        m_server->publishReading(readingAt(460'125'000));
        m_server->publishReading(readingAt(155'100'000));
        const auto allHaveTwo = [&pages] {
            return std::all_of(pages.cbegin(), pages.cend(), [](const auto& p) { return p->count("reading") >= 2; });
        };
        QTRY_VERIFY_WITH_TIMEOUT(allHaveTwo(), 20000);
        for (const auto& page : pages) {
            QCOMPARE(page->count("reading"), 2);
            QCOMPARE(page->last().value("reading").toObject().value("frequency_hz").toInteger(), 155100000);
        }
        for (const auto& page : pages)
            page->socket.close();
        QTRY_COMPARE_WITH_TIMEOUT(m_server->clientCount(), 0, 10000);
        pages.clear();
        QTRY_COMPARE_WITH_TIMEOUT(openDescriptors(), descriptors, 10000);
    }

    void pageThatNeverReads_isDroppedAndMemoryStaysBounded() {
        const quint16 port = start();
        Page reader(port);
        // A page that shakes hands and then never reads a byte, with a small receive window.
        const int stalled = ::socket(AF_INET, SOCK_STREAM, 0);
        QVERIFY(stalled >= 0);
        const int window = 4096;
        ::setsockopt(stalled, SOL_SOCKET, SO_RCVBUF, &window, sizeof window);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QVERIFY(::connect(stalled, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
        const QByteArray handshake = "GET /ws HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: "
                                     "Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                                     "Sec-WebSocket-Version: 13\r\n\r\n";
        QCOMPARE(::write(stalled, handshake.constData(), size_t(handshake.size())), ssize_t(handshake.size()));
        QTRY_COMPARE(m_server->clientCount(), 2);

        const qint64 before = residentKb();
        qint64 hz = 100'000'000;
        qint64 sent = 0;
        // Readings in bursts, the event loop running between them as it does between poll passes.
        const auto burst = [&] {
            for (int i = 0; i < 100; ++i) {
                m_server->publishReading(readingAt(++hz));
                sent += WebServer::readingMessage(readingAt(hz)).size();
            }
            return m_server->clientCount() == 1;
        };
        QTRY_VERIFY_WITH_TIMEOUT(burst(), 30000);
        QVERIFY2(sent > WebServer::kMaxQueuedBytes, qPrintable(QString::number(sent)));
        // The page that reads is still there and kept up.
        QTRY_COMPARE(reader.count(QStringLiteral("reading")), int(hz - 100'000'000));
        QVERIFY(!reader.closed);
        QVERIFY2(residentKb() - before < 32 * 1024, qPrintable(QString::number(residentKb() - before)));
        ::close(stalled);
    }

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

QTEST_GUILESS_MAIN(TestWeb)
#include "test_web.moc"
