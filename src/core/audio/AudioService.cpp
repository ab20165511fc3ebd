#include "AudioService.h"

#include "IcecastStreamer.h"
#include "Settings.h"
#include "monitor/Monitor.h"

namespace {

// Retention runs hourly, and after a recording when it last ran more than a minute before.
constexpr int kRetentionIntervalMs = 60 * 60 * 1000;
constexpr qint64 kRetentionAfterRecordingMs = 60 * 1000;

} // namespace

AudioConfig AudioConfig::fromSettings(const Settings& settings) {
    AudioConfig c;
    c.device = settings.audioDevice();
    c.record = settings.recordAudio();
    c.vox = settings.recordVox();
    c.minimumMs = settings.recordMinimumMs();
    c.streamUrl = settings.streamUrl();
    c.retention.keepDays = settings.recordingsDays();
    c.retention.maxBytes = qint64(settings.recordingsMaxGb() * 1024.0 * 1024.0 * 1024.0);
    return c;
}

AudioService::AudioService(const QString& dataFolder, LocalDatabase& database, QObject* parent)
    : QObject(parent)
    , m_recordings(dataFolder, database)
    , m_recorder(m_recordings, AudioCapture::kSampleRate) {
    // Nothing is recorded until a configuration asks for it.
    m_recorder.setEnabled(false);
    connect(&m_capture, &AudioCapture::samples, &m_recorder, &HitRecorder::onSamples);
    connect(&m_capture, &AudioCapture::statusLine, this, &AudioService::statusLine);
    connect(&m_recorder, &HitRecorder::statusLine, this, &AudioService::statusLine);
    connect(&m_recorder, &HitRecorder::recorded, this, [this] {
        if (!m_sinceRetention.isValid() || m_sinceRetention.elapsed() > kRetentionAfterRecordingMs)
            applyRetention();
    });
    m_retentionTimer.setInterval(kRetentionIntervalMs);
    connect(&m_retentionTimer, &QTimer::timeout, this, &AudioService::applyRetention);
}

AudioService::~AudioService() {
    stop();
}

void AudioService::attach(Monitor& monitor) {
    connect(&monitor, &Monitor::hitStarted, this, &AudioService::onHitStarted);
    connect(&monitor, &Monitor::hitEnded, this, &AudioService::onHitEnded);
    connect(&monitor, &Monitor::readingChanged, &m_recorder, &HitRecorder::onReading);
}

bool AudioService::start(const AudioConfig& config, QString* error) {
    stop();
    m_config = config;
    bool ok = true;
    m_recorder.setEnabled(config.record);
    m_recorder.setVox(config.vox);
    m_recorder.setMinimumMs(config.minimumMs);
    m_recorder.setHangMs(config.hangMs);
    if (!config.streamUrl.isEmpty()) {
        QString why;
        const auto target = StreamTarget::parse(config.streamUrl, &why);
        if (target) {
            m_streamer = std::make_unique<IcecastStreamer>(*target, AudioCapture::kSampleRate);
            connect(&m_capture, &AudioCapture::samples, m_streamer.get(), &IcecastStreamer::onSamples);
            connect(m_streamer.get(), &IcecastStreamer::statusLine, this, &AudioService::statusLine);
            m_streamer->start();
        } else {
            ok = false;
            Q_EMIT statusLine(QStringLiteral("No live stream: %1").arg(why));
            if (error)
                *error = why;
        }
    }
    if (config.record || m_streamer) {
        m_capture.setDeviceName(config.device);
        m_capture.start();
    }
    if (config.record) {
        applyRetention();
        m_retentionTimer.start();
    }
    return ok;
}

void AudioService::stop() {
    m_retentionTimer.stop();
    m_recorder.setEnabled(false);
    m_capture.stop();
    m_streamer.reset();
}

void AudioService::onHitStarted(const Hit& hit) {
    m_recorder.onHitStarted(hit);
    if (m_streamer)
        m_streamer->setTitle(Recordings::titleFor(hit.reading));
}

void AudioService::onHitEnded(const Hit& hit) {
    m_recorder.onHitEnded(hit);
}

void AudioService::applyRetention() {
    m_sinceRetention.start();
    const int removed = m_config.retention.apply(m_recordings, QDateTime::currentDateTime());
    if (removed > 0)
        qCInfo(lcAudio) << "retention removed" << removed << "recordings";
}
