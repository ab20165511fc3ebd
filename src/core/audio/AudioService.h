#pragma once

#include "AudioCapture.h"
#include "HitRecorder.h"
#include "Recordings.h"
#include "Retention.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class IcecastStreamer;
class LocalDatabase;
class Monitor;
class Settings;

/// What the audio side does: where it listens, whether it records, where it streams.
struct AudioConfig {
    QString device;      ///< the input's description; empty: the default input
    bool record = false; ///< a file per hit
    bool vox = false;    ///< record on audio level alone
    int minimumMs = 1000;
    int hangMs = 500;
    QString streamUrl; ///< icecast://...; empty: no stream
    Retention retention;

    /// Audio_Device, Record_Audio, Record_Vox, Record_Min_Ms, Recordings_Days, Recordings_Max_GB, Stream_Url.
    static AudioConfig fromSettings(const Settings& settings);
};

/**
 * The scanner's audio: capture from the sound card, a recording per hit of the monitor, the
 * recordings kept within their limits, and the live stream with the current hit as its title.
 * Everything runs on the program's event loop; nothing here waits.
 */
class AudioService : public QObject {
    Q_OBJECT

public:
    AudioService(const QString& dataFolder, LocalDatabase& database, QObject* parent = nullptr);
    ~AudioService() override;

    /// Takes the hits (and the names of VOX recordings) from this monitor.
    void attach(Monitor& monitor);
    /// Starts what the configuration asks for. False with the reason in error when the stream URL
    /// is not usable (recording still starts).
    bool start(const AudioConfig& config, QString* error = nullptr);
    void stop();

    AudioCapture& capture() { return m_capture; }
    HitRecorder& recorder() { return m_recorder; }
    Recordings& recordings() { return m_recordings; }
    /// The live stream, or null when none was asked for.
    IcecastStreamer* streamer() { return m_streamer.get(); }

    void onHitStarted(const Hit& hit);
    void onHitEnded(const Hit& hit);

Q_SIGNALS:
    void statusLine(const QString& text);

private:
    void applyRetention();

    Recordings m_recordings;
    AudioCapture m_capture;
    HitRecorder m_recorder;
    std::unique_ptr<IcecastStreamer> m_streamer;
    AudioConfig m_config;
    QTimer m_retentionTimer;
    QElapsedTimer m_sinceRetention;
};
