#include "IcecastStreamer.h"

#include "AudioCapture.h"
#include "StreamEncoder.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <QUrlQuery>

#include <shout/shout.h>

#include <algorithm>
#include <csignal>
#include <mutex>

namespace {

constexpr int kTickMs = 50;
// A server that accepts the connection but never answers is given this long.
constexpr int kConnectTimeoutMs = 10000;
// Ten seconds of MP3 at 16 kbit/s: more queued than this means the server stopped reading.
constexpr qint64 kMaxQueueBytes = 20000;

void initShout() {
    static std::once_flag once;
    std::call_once(once, [] {
        shout_init();
        // A server that goes away must show as a failed send, not end the program with SIGPIPE.
        std::signal(SIGPIPE, SIG_IGN);
    });
}

} // namespace

IcecastStreamer::IcecastStreamer(const StreamTarget& target, int inputRate, QObject* parent)
    : QObject(parent)
    , m_target(target)
    , m_rate(inputRate)
    , m_network(std::make_unique<QNetworkAccessManager>()) {
    initShout();
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, &IcecastStreamer::onTick);
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &IcecastStreamer::connectNow);
}

IcecastStreamer::~IcecastStreamer() {
    stop();
}

void IcecastStreamer::setBackoff(int firstMs, int maxMs) {
    m_firstBackoffMs = std::max(firstMs, 1);
    m_maxBackoffMs = std::max(maxMs, m_firstBackoffMs);
    m_backoffMs = m_firstBackoffMs;
}

void IcecastStreamer::start() {
    if (m_state != State::Stopped)
        return;
    m_backoffMs = m_firstBackoffMs;
    m_failureSaid = false;
    connectNow();
}

void IcecastStreamer::stop() {
    m_retry.stop();
    if (closeConnection(State::Stopped))
        Q_EMIT connectedChanged(false);
}

bool IcecastStreamer::closeConnection(State next) {
    m_tick.stop();
    const bool was = m_state == State::Connected;
    if (m_shout) {
        shout_close(m_shout);
        shout_free(m_shout);
        m_shout = nullptr;
    }
    m_encoder.reset();
    m_state = next;
    return was;
}

void IcecastStreamer::connectNow() {
    m_shout = shout_new();
    const QByteArray host = m_target.host.toUtf8();
    const QByteArray user = m_target.user.toUtf8();
    const QByteArray password = m_target.password.toUtf8();
    const QByteArray mount = m_target.mount.toUtf8();
    m_encoder = StreamEncoder::create(m_target.format, m_rate, m_title);
    shout_set_host(m_shout, host.constData());
    shout_set_port(m_shout, m_target.port);
    shout_set_user(m_shout, user.constData());
    shout_set_password(m_shout, password.constData());
    shout_set_mount(m_shout, mount.constData());
    shout_set_protocol(m_shout, SHOUT_PROTOCOL_HTTP);
    shout_set_tls(m_shout, m_target.tls ? SHOUT_TLS_AUTO_NO_PLAIN : SHOUT_TLS_DISABLED);
    shout_set_content_format(m_shout, m_encoder->shoutFormat(), SHOUT_USAGE_AUDIO, nullptr);
    shout_set_agent(m_shout, "Valdoria/" VALDORIA_VERSION);
    shout_set_meta(m_shout, SHOUT_META_NAME, "Scanner");
    shout_set_audio_info(m_shout, SHOUT_AI_CHANNELS, "1");
    if (m_target.format == StreamTarget::Format::Mp3) {
        shout_set_audio_info(m_shout, SHOUT_AI_BITRATE, "16");
        shout_set_audio_info(m_shout, SHOUT_AI_SAMPLERATE, "22050");
    }
    shout_set_nonblocking(m_shout, 1);
    m_sent = 0;
    const int result = shout_open(m_shout);
    if (result == SHOUTERR_SUCCESS || result == SHOUTERR_CONNECTED) {
        onConnected();
        return;
    }
    if (result != SHOUTERR_BUSY) {
        drop(QString::fromUtf8(shout_get_error(m_shout)));
        return;
    }
    m_state = State::Connecting;
    m_connecting.start();
    m_tick.start();
}

void IcecastStreamer::onTick() {
    if (m_state != State::Connecting || !m_shout)
        return;
    const int result = shout_get_connected(m_shout);
    if (result == SHOUTERR_CONNECTED) {
        onConnected();
    } else if (result != SHOUTERR_BUSY) {
        drop(QString::fromUtf8(shout_get_error(m_shout)));
    } else if (m_connecting.elapsed() > kConnectTimeoutMs) {
        drop(QStringLiteral("no answer"));
    }
}

void IcecastStreamer::onConnected() {
    m_tick.stop();
    m_state = State::Connected;
    m_backoffMs = m_firstBackoffMs;
    m_failureSaid = false;
    qCInfo(lcAudio) << "streaming to" << m_target.shown();
    Q_EMIT statusLine(QStringLiteral("Streaming to %1").arg(m_target.shown()));
    Q_EMIT connectedChanged(true);
    sendTitle();
}

void IcecastStreamer::drop(const QString& why) {
    const bool was = closeConnection(State::Waiting);
    const QString text = was ? QStringLiteral("Stream to %1 lost (%2): trying again in %3 s")
                             : QStringLiteral("Cannot stream to %1 (%2): trying again in %3 s");
    const QString line = text.arg(m_target.shown(), why).arg(m_backoffMs / 1000.0);
    qCWarning(lcAudio).noquote() << line;
    // Said once per outage; the retries that follow go to the log only.
    if (was || !m_failureSaid)
        Q_EMIT statusLine(line);
    m_failureSaid = true;
    m_retry.start(m_backoffMs);
    m_backoffMs = std::min(m_backoffMs * 2, m_maxBackoffMs);
    if (was)
        Q_EMIT connectedChanged(false);
}

void IcecastStreamer::send(const QByteArray& bytes) {
    if (bytes.isEmpty() || !m_shout)
        return;
    const int result =
        shout_send(m_shout, reinterpret_cast<const unsigned char*>(bytes.constData()), size_t(bytes.size()));
    if (result != SHOUTERR_SUCCESS && result != SHOUTERR_BUSY) {
        drop(QString::fromUtf8(shout_get_error(m_shout)));
        return;
    }
    m_sent += bytes.size();
    if (shout_queuelen(m_shout) > kMaxQueueBytes)
        drop(QStringLiteral("the server stopped reading"));
}

void IcecastStreamer::onSamples(const QByteArray& pcm) {
    if (m_state != State::Connected || !m_encoder)
        return;
    send(m_encoder->encode(reinterpret_cast<const qint16*>(pcm.constData()), int(pcm.size() / 2)));
}

void IcecastStreamer::setTitle(const QString& title) {
    if (title == m_title)
        return;
    m_title = title;
    if (m_state != State::Connected)
        return;
    if (m_encoder)
        send(m_encoder->retitle(title));
    sendTitle();
}

void IcecastStreamer::sendTitle() {
    if (m_title.isEmpty() || m_target.format != StreamTarget::Format::Mp3)
        return;
    // Icecast takes an MP3 stream's title on its admin page; the credentials go in a header, never
    // in the URL, so no error text can carry them.
    QUrl url;
    url.setScheme(m_target.tls ? QStringLiteral("https") : QStringLiteral("http"));
    url.setHost(m_target.host);
    url.setPort(m_target.port);
    url.setPath(QStringLiteral("/admin/metadata"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("mount"), m_target.mount);
    query.addQueryItem(QStringLiteral("mode"), QStringLiteral("updinfo"));
    query.addQueryItem(QStringLiteral("charset"), QStringLiteral("UTF-8"));
    query.addQueryItem(QStringLiteral("song"), QString::fromLatin1(QUrl::toPercentEncoding(m_title)));
    url.setQuery(query.query(QUrl::FullyEncoded), QUrl::StrictMode);
    QNetworkRequest request(url);
    const QByteArray credentials = (m_target.user + QLatin1Char(':') + m_target.password).toUtf8().toBase64();
    request.setRawHeader("Authorization", "Basic " + credentials);
    QNetworkReply* reply = m_network->get(request);
    connect(reply, &QNetworkReply::finished, reply, [reply, shown = m_target.shown()] {
        if (reply->error() != QNetworkReply::NoError)
            qCWarning(lcAudio) << "the stream title did not reach" << shown << ":" << reply->error();
        reply->deleteLater();
    });
}
