// The web server's HTTP requests: the page's files (built in, from a fixed list), the state and today's
// hits as JSON, and the recordings. Nothing here maps a URL onto the file system.
#include "WebServerHttp.h"

#include "monitor/KeyHandlers.h"
#include "remote/RecordingLibrary.h"
#include "remote/WebActivity.h"

#include <QFile>
#include <QFileInfo>
#include <QHttpServerRequest>
#include <QJsonDocument>
#include <QTcpSocket>
#include <QUrlQuery>

#include <algorithm>

namespace {

using Status = QHttpServerResponder::StatusCode;

struct PageFile {
    const char* path;
    const char* resource;
    const char* type;
};

// Everything the page is made of; any other path is not found.
const PageFile kPageFiles[] = {
    {"/", ":/web/index.html", "text/html; charset=utf-8"},
    {"/index.html", ":/web/index.html", "text/html; charset=utf-8"},
    {"/style.css", ":/web/style.css", "text/css; charset=utf-8"},
    {"/app.js", ":/web/app.js", "text/javascript; charset=utf-8"},
    {"/icon.svg", ":/web/icon.svg", "image/svg+xml"},
};

const char kRecordingsPath[] = "/recordings/";

QByteArray mimeFor(const QString& file) {
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix == QLatin1String("ogg") || suffix == QLatin1String("oga") || suffix == QLatin1String("opus"))
        return "audio/ogg";
    if (suffix == QLatin1String("mp3"))
        return "audio/mpeg";
    if (suffix == QLatin1String("flac"))
        return "audio/flac";
    if (suffix == QLatin1String("wav"))
        return "audio/wav";
    return "application/octet-stream";
}

// Headers every answer carries: the page loads nothing from elsewhere and is framed by nobody, and
// nothing it links to learns the address it came from (which may hold the token).
void writeCommonHeaders(QHttpServerResponder& responder) {
    responder.writeHeader("Content-Security-Policy",
                          "default-src 'self'; connect-src 'self' ws: wss:; media-src 'self'; img-src 'self' data:; "
                          "style-src 'self'; script-src 'self'; frame-ancestors 'none'");
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    responder.writeHeader("Referrer-Policy", "no-referrer");
    responder.writeHeader("Cache-Control", "no-store");
}

void reply(QHttpServerResponder& responder, Status status, const QByteArray& type, const QByteArray& body,
           const QList<QPair<QByteArray, QByteArray>>& extra = {}) {
    responder.writeStatusLine(status);
    writeCommonHeaders(responder);
    for (const auto& header : extra)
        responder.writeHeader(header.first, header.second);
    responder.writeHeader("Content-Type", type);
    responder.writeHeader("Content-Length", QByteArray::number(body.size()));
    responder.writeBody(body);
}

void replyText(QHttpServerResponder& responder, Status status, const QString& text) {
    reply(responder, status, "text/plain; charset=utf-8", text.toUtf8() + '\n');
}

void replyJson(QHttpServerResponder& responder, const QJsonObject& object) {
    reply(responder, Status::Ok, "application/json", QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QByteArray headerValue(const QHttpServerRequest& request, const QByteArray& name) {
    const auto headers = request.headers();
    for (const auto& header : headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0)
            return header.second;
    }
    return {};
}

} // namespace

bool WebServerHttp::isKeyName(const QString& name) {
    return KeyHandlers::buttonNamed(name).has_value();
}

bool WebServerHttp::isSafeId(const QString& id) {
    if (id.isEmpty() || id.size() > 200 || id.startsWith(QLatin1Char('.')))
        return false;
    return std::all_of(id.begin(), id.end(), [](QChar c) {
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
               (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') || c == QLatin1Char('_') ||
               c == QLatin1Char('.');
    });
}

QJsonArray WebServerHttp::recordingsJson(const RecordingLibrary* library, const QDate& day) {
    QJsonArray out;
    if (!library)
        return out;
    QList<RecordingLibrary::Recording> recordings = library->recordingsOn(day);
    std::sort(recordings.begin(), recordings.end(), [](const auto& a, const auto& b) { return a.start > b.start; });
    for (const RecordingLibrary::Recording& recording : std::as_const(recordings)) {
        if (!isSafeId(recording.id))
            continue;
        out.append(QJsonObject{{QStringLiteral("id"), recording.id},
                               {QStringLiteral("url"), QLatin1String(kRecordingsPath) + recording.id},
                               {QStringLiteral("start"), recording.start.toString(Qt::ISODate)},
                               {QStringLiteral("duration_ms"), recording.durationMs},
                               {QStringLiteral("label"), recording.label}});
    }
    return out;
}

bool WebServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    // Qt hands a WebSocket upgrade to this function before it upgrades: an answer written here would
    // reach the page ahead of the handshake. The socket's own checks follow in onNewWebSocket().
    if (headerValue(request, "upgrade").compare("websocket", Qt::CaseInsensitive) == 0)
        return true;
    QHttpServerResponder responder = Http::responder(request, socket);
    if (request.method() != QHttpServerRequest::Method::Get) {
        replyText(responder, Status::MethodNotAllowed, QStringLiteral("Only GET is served here."));
        return true;
    }
    const QString path = request.url().path(QUrl::FullyDecoded);
    const QUrlQuery query(request.url());
    const bool tokenInUrl = query.hasQueryItem(QStringLiteral("token"));
    const QByteArray given = tokenInUrl ? query.queryItemValue(QStringLiteral("token")).toUtf8()
                                        : WebAccess::tokenFromCookies(headerValue(request, "cookie"));
    const WebAccess::Level level = m_access.levelFor(socket->peerAddress(), given);

    if (tokenInUrl) {
        if (level != WebAccess::Level::Control) {
            replyText(responder, Status::Forbidden,
                      QStringLiteral("This link's token is not valid. Open the link from Config > Phone View again."));
            return true;
        }
        // The first visit with the link: the token moves into a cookie and out of the address bar.
        const QByteArray cookie = QByteArray(WebAccess::kCookieName) + '=' + given +
                                  "; Path=/; HttpOnly; SameSite=Strict; Max-Age=31536000" +
                                  (usesTls() ? "; Secure" : "");
        reply(responder, Status::SeeOther, "text/plain; charset=utf-8", "See /\n",
              {{"Set-Cookie", cookie}, {"Location", "/"}});
        return true;
    }
    if (level == WebAccess::Level::None) {
        replyText(responder, Status::Unauthorized,
                  QStringLiteral("The phone view needs its token: open the link from Config > Phone View."));
        return true;
    }

    for (const PageFile& file : kPageFiles) {
        if (path == QLatin1String(file.path)) {
            QFile resource(QString::fromLatin1(file.resource));
            if (!resource.open(QIODevice::ReadOnly)) {
                replyText(responder, Status::InternalServerError, QStringLiteral("The page is missing."));
                return true;
            }
            reply(responder, Status::Ok, file.type, resource.readAll());
            return true;
        }
    }
    if (path == QLatin1String("/api/state")) {
        replyJson(responder, {{QStringLiteral("keys"), level == WebAccess::Level::Control},
                              {QStringLiteral("link"), linkJson()},
                              {QStringLiteral("reading"), m_reading.toJson()}});
        return true;
    }
    if (path == QLatin1String("/api/activity")) {
        replyJson(responder, activityJson());
        return true;
    }
    if (path.startsWith(QLatin1String(kRecordingsPath))) {
        const QString id = path.mid(int(qstrlen(kRecordingsPath)));
        // Only ids the library listed are served, and only through the library's own path for them.
        const QString file = m_recordings && WebServerHttp::isSafeId(id) ? m_recordings->filePath(id) : QString();
        auto* audio = new QFile(file);
        if (file.isEmpty() || !audio->open(QIODevice::ReadOnly)) {
            delete audio;
            replyText(responder, Status::NotFound, QStringLiteral("No such recording."));
            return true;
        }
        responder.write(
            audio,
            {{"Content-Type", mimeFor(file)}, {"Cache-Control", "no-store"}, {"X-Content-Type-Options", "nosniff"}});
        return true;
    }
    replyText(responder, Status::NotFound, QStringLiteral("Not found."));
    return true;
}
