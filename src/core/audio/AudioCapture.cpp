#include "AudioCapture.h"

#include <QAudioFormat>
#include <QAudioSource>
#include <QMediaDevices>

#include <algorithm>
#include <cstdlib>

Q_LOGGING_CATEGORY(lcAudio, "valdoria.audio")

namespace {

// Often enough that a returning input is picked up within a second or so, even where the sound
// system does not announce it.
constexpr int kWatchIntervalMs = 500;

QString shownName(const QString& name) {
    return name.isEmpty() ? QStringLiteral("the default audio input") : QStringLiteral("audio input \"%1\"").arg(name);
}

} // namespace

AudioCapture::AudioCapture(QObject* parent)
    : QObject(parent) {
    m_watch.setInterval(kWatchIntervalMs);
    connect(&m_watch, &QTimer::timeout, this, &AudioCapture::onWatch);
}

AudioCapture::~AudioCapture() {
    close();
}

QStringList AudioCapture::inputNames() {
    QStringList names;
    const QAudioDevice preferred = QMediaDevices::defaultAudioInput();
    if (!preferred.isNull())
        names.append(preferred.description());
    for (const QAudioDevice& device : QMediaDevices::audioInputs()) {
        if (!names.contains(device.description()))
            names.append(device.description());
    }
    return names;
}

void AudioCapture::setDeviceName(const QString& name) {
    if (name == m_deviceName)
        return;
    m_deviceName = name;
    if (m_wanted) {
        close();
        m_missingSaid = false;
        tryOpen();
    }
}

void AudioCapture::start() {
    // The sound system is reached only when audio is wanted: a program that never records never connects to it.
    if (!m_devices) {
        m_devices = std::make_unique<QMediaDevices>();
        connect(m_devices.get(), &QMediaDevices::audioInputsChanged, this, &AudioCapture::onInputsChanged);
    }
    m_wanted = true;
    m_missingSaid = false;
    m_watch.start();
    tryOpen();
}

void AudioCapture::stop() {
    m_wanted = false;
    m_watch.stop();
    close();
}

QAudioDevice AudioCapture::findDevice() const {
    if (m_deviceName.isEmpty())
        return QMediaDevices::defaultAudioInput();
    const QList<QAudioDevice> inputs = QMediaDevices::audioInputs();
    const auto match = [this](const QAudioDevice& d) {
        return d.description() == m_deviceName || QString::fromUtf8(d.id()) == m_deviceName;
    };
    const auto it = std::find_if(inputs.begin(), inputs.end(), match);
    return it == inputs.end() ? QAudioDevice() : *it;
}

void AudioCapture::tryOpen() {
    if (!m_wanted || m_source)
        return;
    const QAudioDevice device = findDevice();
    if (device.isNull()) {
        if (!m_missingSaid) {
            m_missingSaid = true;
            Q_EMIT statusLine(QStringLiteral("No %1: recording waits for it").arg(shownName(m_deviceName)));
        }
        return;
    }
    QAudioFormat format;
    format.setSampleRate(kSampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    m_source = std::make_unique<QAudioSource>(device, format);
    // Small buffers: the recorder's pre-roll and the stream both want the audio promptly.
    m_source->setBufferSize(kSampleRate * 2 / 10);
    connect(m_source.get(), &QAudioSource::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::StoppedState && m_source && m_source->error() != QAudio::NoError)
            lose(QStringLiteral("it stopped"));
    });
    m_io = m_source->start();
    if (!m_io || m_source->error() != QAudio::NoError) {
        m_source.reset();
        m_io = nullptr;
        if (!m_missingSaid) {
            m_missingSaid = true;
            Q_EMIT statusLine(QStringLiteral("Cannot open %1: recording waits for it").arg(shownName(m_deviceName)));
        }
        return;
    }
    connect(m_io, &QIODevice::readyRead, this, &AudioCapture::onReadyRead);
    m_active = device;
    m_lastData.start();
    m_running = true;
    qCInfo(lcAudio) << "capturing from" << device.description();
    if (m_missingSaid)
        Q_EMIT statusLine(QStringLiteral("Audio input \"%1\" is back: recording again").arg(device.description()));
    m_missingSaid = false;
    Q_EMIT runningChanged(true);
}

void AudioCapture::close() {
    if (m_source) {
        m_source->disconnect(this);
        if (m_io)
            m_io->disconnect(this);
        m_source->stop();
        m_source.reset();
    }
    m_io = nullptr;
    m_active = QAudioDevice();
    if (m_running) {
        m_running = false;
        Q_EMIT runningChanged(false);
    }
}

void AudioCapture::lose(const QString& why) {
    const QString name = m_active.isNull() ? m_deviceName : m_active.description();
    qCWarning(lcAudio) << "audio input" << name << "lost:" << why;
    close();
    if (!m_wanted)
        return;
    m_missingSaid = true;
    Q_EMIT statusLine(
        QStringLiteral("Audio input \"%1\" is gone (%2): recording resumes when it returns").arg(name, why));
}

void AudioCapture::onReadyRead() {
    if (!m_io)
        return;
    QByteArray pcm = m_io->readAll();
    // Whole samples only; an odd byte waits for the next chunk.
    if (pcm.size() % 2)
        pcm.chop(1);
    if (pcm.isEmpty())
        return;
    m_lastData.restart();
    const auto* s = reinterpret_cast<const qint16*>(pcm.constData());
    int peak = 0;
    for (qsizetype i = 0, n = pcm.size() / 2; i < n; ++i)
        peak = std::max(peak, std::abs(int(s[i])));
    Q_EMIT samples(pcm);
    Q_EMIT level(peak / 32768.0);
}

void AudioCapture::onInputsChanged() {
    if (!m_wanted)
        return;
    if (m_source) {
        // The input in use has left the list: it was unplugged, even if the sound system moved the
        // stream to another input on its own.
        const QList<QAudioDevice> inputs = QMediaDevices::audioInputs();
        if (!inputs.contains(m_active))
            lose(QStringLiteral("unplugged"));
        return;
    }
    tryOpen();
}

void AudioCapture::onWatch() {
    if (!m_wanted)
        return;
    if (m_source && m_running && m_lastData.elapsed() > m_stallMs) {
        lose(QStringLiteral("no sound for %1 s").arg(m_stallMs / 1000.0));
        return;
    }
    // Not every sound system announces a change of its inputs: look at the list as well.
    onInputsChanged();
}
