#pragma once

#include "remote/WebServer.h"

#include <QAbstractHttpServer>
#include <QDate>
#include <QHttpServerResponder>
#include <QJsonArray>

class RecordingLibrary;

/// The HTTP side of the web server: QAbstractHttpServer hands each request to WebServer::handleRequest.
class WebServer::Http final : public QAbstractHttpServer {
public:
    explicit Http(WebServer& owner)
        : m_owner(owner) {}

    static QHttpServerResponder responder(const QHttpServerRequest& request, QTcpSocket* socket) {
        return makeResponder(request, socket);
    }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
        return m_owner.handleRequest(request, socket);
    }
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override {
        makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
    }

private:
    WebServer& m_owner;
};

namespace WebServerHttp {

/// True for the faceplate control names a page may press ("btnSCAN", ...).
bool isKeyName(const QString& name);
/// The recordings of day, newest first: [{"id", "url", "start", "duration_ms", "label"}]; [] without a library.
QJsonArray recordingsJson(const RecordingLibrary* library, const QDate& day);
/// True for a recording id that can stand in a URL path: letters, digits, '-', '_' and '.', not starting with '.'.
bool isSafeId(const QString& id);

} // namespace WebServerHttp
