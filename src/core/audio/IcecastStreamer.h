#pragma once

#include "StreamTarget.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QNetworkAccessManager;
class StreamEncoder;
struct shout;

/**
 * The live audio to an Icecast server, with the title of the current hit. The connection never
 * blocks the program: it is opened and fed without waiting, checked on a timer, and when the
 * server goes away it is tried again after 1 s, 2 s, 4 s ... up to half a minute. The password
 * reaches only the server: the log and the status line name the server by host, port and mount.
 */
class IcecastStreamer : public QObject {
    Q_OBJECT

public:
    IcecastStreamer(const StreamTarget& target, int inputRate, QObject* parent = nullptr);
    ~IcecastStreamer() override;

    void start();
    void stop();
    bool isConnected() const { return m_state == State::Connected; }
    const StreamTarget& target() const { return m_target; }

    /// The wait before the first retry and the longest wait between retries.
    void setBackoff(int firstMs, int maxMs);
    /// The wait before the next retry (for tests and the status line).
    int nextRetryMs() const { return m_backoffMs; }
    /// Bytes handed to the server on this connection.
    qint64 bytesSent() const { return m_sent; }

    /// Live audio: mono signed 16-bit samples at the input rate.
    void onSamples(const QByteArray& pcm);
    /// The title listeners see ("County fire dispatch - 154.2500"), sent now and on every reconnection.
    void setTitle(const QString& title);
    QString title() const { return m_title; }

Q_SIGNALS:
    void connectedChanged(bool connected);
    void statusLine(const QString& text);

private:
    enum class State { Stopped, Waiting, Connecting, Connected };

    void connectNow();
    void onTick();
    void onConnected();
    void drop(const QString& why);
    /// Closes the server connection and the encoder and moves to next; whether the stream had been connected.
    bool closeConnection(State next);
    void send(const QByteArray& bytes);
    void sendTitle();

    StreamTarget m_target;
    int m_rate;
    State m_state = State::Stopped;
    shout* m_shout = nullptr;
    std::unique_ptr<StreamEncoder> m_encoder;
    std::unique_ptr<QNetworkAccessManager> m_network;
    QTimer m_tick;
    QTimer m_retry;
    QElapsedTimer m_connecting;
    int m_firstBackoffMs = 1000;
    int m_maxBackoffMs = 30000;
    int m_backoffMs = 1000;
    bool m_failureSaid = false;
    qint64 m_sent = 0;
    QString m_title;
};
