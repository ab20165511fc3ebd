#pragma once

#include <QUrl>
#include <QWidget>

class QAudioOutput;
class QLabel;
class QMediaPlayer;
class QPushButton;
class QSlider;

/// A small player for one recording at a time: play/pause, position, and a button for the next hit's recording.
class RecordingPlayer : public QWidget {
    Q_OBJECT

public:
    explicit RecordingPlayer(QWidget* parent = nullptr);
    ~RecordingPlayer() override;

    /// Loads a file and plays it; caption says which hit it is.
    void play(const QString& path, const QString& caption);
    /// The file loaded (empty when none).
    QString currentFile() const;
    bool isPlaying() const;
    /// Whether the "Next hit" button is offered.
    void setNextAvailable(bool available);

Q_SIGNALS:
    /// The listener asked for the next hit's recording (or the current one ended).
    void nextRequested();

private:
    void ensurePlayer();
    void onPlayPause();
    void onPosition(qint64 ms);
    void onDuration(qint64 ms);

    QMediaPlayer* m_player = nullptr;
    QAudioOutput* m_output = nullptr;
    QPushButton* m_playPause = nullptr;
    QPushButton* m_next = nullptr;
    QSlider* m_position = nullptr;
    QLabel* m_time = nullptr;
    QLabel* m_caption = nullptr;
    qint64 m_durationMs = 0;
};
