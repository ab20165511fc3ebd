#pragma once

#include <QAudioDevice>
#include <QByteArray>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcAudio)

class QAudioSource;
class QIODevice;
class QMediaDevices;

/**
 * The scanner's audio from a sound card input: mono, 16-bit, kSampleRate samples a second, handed
 * on in the chunks the sound system delivers.
 *
 * The input is named by its description as the sound system lists it (or its id); an empty name
 * takes the default input. When the input is missing, disappears, or stops delivering, the status
 * line says so once and capture starts again by itself as soon as the input is listed again. Nothing
 * here ever waits: every change arrives as a signal or a timer.
 */
class AudioCapture : public QObject {
    Q_OBJECT

public:
    static constexpr int kSampleRate = 16000;

    explicit AudioCapture(QObject* parent = nullptr);
    ~AudioCapture() override;

    /// The descriptions of the input devices, the default one first.
    static QStringList inputNames();

    /// The input to capture from (description or id); empty: the default input.
    void setDeviceName(const QString& name);
    QString deviceName() const { return m_deviceName; }

    /// Starts capturing (or waiting for the input to appear). stop() ends both.
    void start();
    void stop();
    /// True while samples arrive from the input.
    bool isRunning() const { return m_running; }
    /// The description of the input in use; empty while none is.
    QString activeDescription() const { return m_active.description(); }

    /// How long without a sample before a running input counts as gone.
    void setStallTimeout(int ms) { m_stallMs = ms; }

Q_SIGNALS:
    /// Samples as they arrive: signed 16-bit, native byte order, mono, kSampleRate a second.
    void samples(const QByteArray& pcm);
    /// The loudest sample of the last chunk, 0 to 1 (for a level meter and the VOX choice).
    void level(double peak);
    /// Capture started (true) or stopped delivering (false).
    void runningChanged(bool running);
    /// For the status line: the input missing, gone or back.
    void statusLine(const QString& text);

private:
    void tryOpen();
    void close();
    void onReadyRead();
    void onInputsChanged();
    void onWatch();
    void lose(const QString& why);
    QAudioDevice findDevice() const;

    QString m_deviceName;
    bool m_wanted = false;
    bool m_running = false;
    bool m_missingSaid = false;
    int m_stallMs = 2000;
    QAudioDevice m_active;
    std::unique_ptr<QMediaDevices> m_devices;
    std::unique_ptr<QAudioSource> m_source;
    QIODevice* m_io = nullptr;
    QElapsedTimer m_lastData;
    QTimer m_watch;
};
