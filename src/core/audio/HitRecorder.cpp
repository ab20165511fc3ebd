#include "HitRecorder.h"

#include "AudioCapture.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <cstdlib>

HitRecorder::HitRecorder(Recordings& recordings, int sampleRate, QObject* parent)
    : QObject(parent)
    , m_recordings(recordings)
    , m_rate(sampleRate) {
    setPreRollMs(500);
    m_hang.setSingleShot(true);
    connect(&m_hang, &QTimer::timeout, this, &HitRecorder::finish);
}

HitRecorder::~HitRecorder() {
    if (m_writer)
        finish();
}

void HitRecorder::setPreRollMs(int ms) {
    m_ring.assign(size_t(qint64(m_rate) * std::max(ms, 0) / 1000), 0);
    m_ringHead = 0;
    m_ringFill = 0;
}

void HitRecorder::setEnabled(bool on) {
    m_enabled = on;
    if (!on && m_writer)
        finish();
}

bool HitRecorder::sameSource(const Reading& a, const Reading& b) {
    return a.talkgroup == b.talkgroup && a.channel == b.channel && a.bank == b.bank && a.frequencyHz == b.frequencyHz;
}

void HitRecorder::onHitStarted(const Hit& hit) {
    m_reading = hit.reading;
    if (m_vox || !m_enabled)
        return;
    if (m_writer && !m_hitOpen && m_hang.isActive() && sameSource(hit.reading, m_hit.reading)) {
        // Back on the same transmission within the hang time: one conversation, one file.
        m_hang.stop();
        m_hitOpen = true;
        return;
    }
    if (m_writer)
        finish();
    m_hit = hit;
    begin(hit);
}

void HitRecorder::onHitEnded(const Hit& hit) {
    if (m_vox || !m_writer || !m_hitOpen)
        return;
    m_hitOpen = false;
    m_hit.durationMs += hit.durationMs;
    if (m_hangMs <= 0)
        finish();
    else
        m_hang.start(m_hangMs);
}

bool HitRecorder::roomToRecord() {
    const QString folder = m_recordings.folder();
    QDir().mkpath(folder);
    const QStorageInfo disk(folder);
    const qint64 free = disk.isValid() ? disk.bytesAvailable() : -1;
    if (free >= 0 && free < m_reserveBytes) {
        stopForDisk(QStringLiteral("less than %1 MB free").arg(m_reserveBytes / (1024.0 * 1024.0), 0, 'f', 1));
        return false;
    }
    if (m_diskFull) {
        m_diskFull = false;
        Q_EMIT statusLine(QStringLiteral("Recording again: the disk has room"));
    }
    return true;
}

void HitRecorder::stopForDisk(const QString& why) {
    if (!m_diskFull)
        Q_EMIT statusLine(
            QStringLiteral("Recording stopped: the disk of %1 is full (%2)").arg(m_recordings.folder(), why));
    m_diskFull = true;
}

void HitRecorder::begin(const Hit& hit) {
    if (!roomToRecord())
        return;
    m_current = Recording();
    m_current.file = m_recordings.fileNameFor(hit);
    m_current.start = hit.start;
    const Reading& r = hit.reading;
    m_current.frequencyHz = r.frequencyHz;
    m_current.channel = r.channel;
    m_current.bank = r.bank;
    m_current.talkgroup = r.talkgroup;
    m_current.channelName = r.channelName;
    m_current.talkgroupName = r.talkgroupName;
    m_current.mode = r.modeName;

    const QString path = QDir(m_recordings.dataFolder()).filePath(m_current.file);
    QDir().mkpath(QFileInfo(path).path());
    const auto number = [](int n) { return n > 0 ? QString::number(n) : QString(); };
    const OpusFileWriter::Tags tags = {
        {QStringLiteral("TITLE"), Recordings::titleFor(r)},
        {QStringLiteral("START"), hit.start.toString(Qt::ISODateWithMs)},
        {QStringLiteral("FREQUENCY"), Recordings::frequencyText(r.frequencyHz)},
        {QStringLiteral("CHANNEL"), number(r.channel)},
        {QStringLiteral("BANK"), number(r.bank)},
        {QStringLiteral("TALKGROUP"), r.talkgroup},
        {QStringLiteral("CHANNEL_NAME"), r.channelName},
        {QStringLiteral("TALKGROUP_NAME"), r.talkgroupName},
        {QStringLiteral("MODE"), r.modeName},
    };
    auto writer = std::make_unique<OpusFileWriter>();
    if (!writer->open(path, m_rate, tags)) {
        stopForDisk(QStringLiteral("cannot write %1: %2").arg(m_current.file, writer->errorText()));
        return;
    }
    m_writer = std::move(writer);
    m_hitOpen = true;
    m_hit.durationMs = 0;
    Q_EMIT recordingStarted(m_current.file);

    // The pre-roll: the newest samples of the ring, but none that an earlier file already holds.
    const size_t take = size_t(std::min<qint64>(qint64(m_ringFill), m_sinceFile));
    m_preRollSamples = qint64(take);
    if (take > 0) {
        std::vector<qint16> preroll(take);
        const size_t cap = m_ring.size();
        const size_t first = (m_ringHead + cap - take) % cap;
        for (size_t i = 0; i < take; ++i)
            preroll[i] = m_ring[(first + i) % cap];
        writeSamples(preroll.data(), int(take));
    }
}

void HitRecorder::writeSamples(const qint16* pcm, int count) {
    if (!m_writer)
        return;
    if (!m_writer->write(pcm, count)) {
        const QString why = m_writer->errorText();
        m_writer->discard();
        m_writer.reset();
        m_hang.stop();
        m_hitOpen = false;
        m_sinceFile = 0;
        stopForDisk(QStringLiteral("cannot write %1: %2").arg(m_current.file, why));
        m_current = Recording();
    }
}

void HitRecorder::onSamples(const QByteArray& pcm) {
    const auto* s = reinterpret_cast<const qint16*>(pcm.constData());
    const int count = int(pcm.size() / 2);
    if (m_vox && m_enabled)
        onVoxLevel(s, count);
    if (m_writer) {
        writeSamples(s, count);
        m_sinceFile = 0;
    } else {
        m_sinceFile += count;
    }
    const size_t cap = m_ring.size();
    if (cap == 0)
        return;
    for (int i = 0; i < count; ++i) {
        m_ring[m_ringHead] = s[i];
        m_ringHead = (m_ringHead + 1) % cap;
    }
    m_ringFill = std::min(cap, m_ringFill + size_t(count));
}

void HitRecorder::onVoxLevel(const qint16* pcm, int count) {
    int peak = 0;
    for (int i = 0; i < count; ++i)
        peak = std::max(peak, std::abs(int(pcm[i])));
    const bool voice = peak >= m_voxThreshold * 32768.0;
    if (voice) {
        m_voxQuietSamples = 0;
        if (!m_writer) {
            Hit hit;
            hit.reading = m_reading;
            hit.start = QDateTime::currentDateTime();
            m_hit = hit;
            begin(hit);
        }
        return;
    }
    if (!m_writer)
        return;
    m_voxQuietSamples += count;
    if (m_voxQuietSamples * 1000 >= qint64(m_hangMs) * m_rate) {
        // The voice lasted from the start of the file to the start of the quiet.
        const qint64 voiced = m_writer->sampleCount() + count - m_voxQuietSamples - m_preRollSamples;
        m_hit.durationMs = std::max<qint64>(0, voiced) * 1000 / m_rate;
        m_hitOpen = false;
        // This chunk still belongs to the file's hang.
        writeSamples(pcm, count);
        finish();
        m_sinceFile = -count;
    }
}

void HitRecorder::finish() {
    m_hang.stop();
    if (!m_writer)
        return;
    std::unique_ptr<OpusFileWriter> writer = std::move(m_writer);
    m_sinceFile = 0;
    // A hit still open (recording switched off, program closing) counts what it has so far.
    const qint64 hitMs = m_hitOpen || m_hit.durationMs <= 0 ? (writer->sampleCount() - m_preRollSamples) * 1000 / m_rate
                                                            : m_hit.durationMs;
    m_hitOpen = false;
    if (hitMs < m_minimumMs) {
        writer->discard();
        Q_EMIT blipDropped(m_current.file);
        m_current = Recording();
        return;
    }
    if (!writer->finish()) {
        const QString why = writer->errorText();
        writer->discard();
        stopForDisk(QStringLiteral("cannot write %1: %2").arg(m_current.file, why));
        m_current = Recording();
        return;
    }
    Recording done = m_current;
    m_current = Recording();
    done.durationMs = writer->durationMs();
    done.bytes = QFileInfo(writer->path()).size();
    m_recordings.add(done);
    Q_EMIT recorded(done);
}
