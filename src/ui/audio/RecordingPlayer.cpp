#include "audio/RecordingPlayer.h"

#include <QAudioOutput>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaPlayer>
#include <QPushButton>
#include <QSlider>
#include <QStyle>

namespace {

QString clockText(qint64 ms) {
    const qint64 s = ms / 1000;
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

RecordingPlayer::RecordingPlayer(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("recordingPlayer"));

    m_playPause = new QPushButton(style()->standardIcon(QStyle::SP_MediaPlay), QString(), this);
    m_playPause->setObjectName(QStringLiteral("btnPlayPause"));
    m_playPause->setToolTip(tr("Play / pause"));
    m_playPause->setEnabled(false);
    m_position = new QSlider(Qt::Horizontal, this);
    m_position->setObjectName(QStringLiteral("sldPosition"));
    m_position->setEnabled(false);
    m_time = new QLabel(QStringLiteral("0:00 / 0:00"), this);
    m_next = new QPushButton(tr("Next hit"), this);
    m_next->setObjectName(QStringLiteral("btnNextRecording"));
    m_next->setEnabled(false);
    m_caption = new QLabel(tr("Double-click a hit with a recording to hear it."), this);
    m_caption->setObjectName(QStringLiteral("lblPlaying"));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_playPause);
    row->addWidget(m_position, 1);
    row->addWidget(m_time);
    row->addWidget(m_next);
    row->addWidget(m_caption, 1);

    connect(m_playPause, &QPushButton::clicked, this, &RecordingPlayer::onPlayPause);
    connect(m_next, &QPushButton::clicked, this, &RecordingPlayer::nextRequested);
}

RecordingPlayer::~RecordingPlayer() = default;

void RecordingPlayer::ensurePlayer() {
    // Made on the first play: the media framework is loaded only by someone who listens.
    if (m_player)
        return;
    m_player = new QMediaPlayer(this);
    m_output = new QAudioOutput(this);
    m_player->setAudioOutput(m_output);
    connect(m_position, &QSlider::sliderMoved, m_player, [this](int ms) { m_player->setPosition(ms); });
    connect(m_player, &QMediaPlayer::positionChanged, this, &RecordingPlayer::onPosition);
    connect(m_player, &QMediaPlayer::durationChanged, this, &RecordingPlayer::onDuration);
    connect(m_player, &QMediaPlayer::playbackStateChanged, this, [this](QMediaPlayer::PlaybackState state) {
        m_playPause->setIcon(
            style()->standardIcon(state == QMediaPlayer::PlayingState ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    });
    connect(m_player, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error, const QString& text) { m_caption->setText(tr("Cannot play: %1").arg(text)); });
}

void RecordingPlayer::play(const QString& path, const QString& caption) {
    ensurePlayer();
    m_player->stop();
    m_player->setSource(QUrl::fromLocalFile(path));
    m_caption->setText(caption);
    m_playPause->setEnabled(true);
    m_position->setEnabled(true);
    m_player->play();
}

QString RecordingPlayer::currentFile() const {
    return m_player ? m_player->source().toLocalFile() : QString();
}

bool RecordingPlayer::isPlaying() const {
    return m_player && m_player->playbackState() == QMediaPlayer::PlayingState;
}

void RecordingPlayer::setNextAvailable(bool available) {
    m_next->setEnabled(available);
}

void RecordingPlayer::onPlayPause() {
    if (!m_player)
        return;
    if (isPlaying())
        m_player->pause();
    else
        m_player->play();
}

void RecordingPlayer::onPosition(qint64 ms) {
    if (!m_position->isSliderDown())
        m_position->setValue(int(ms));
    m_time->setText(QStringLiteral("%1 / %2").arg(clockText(ms), clockText(m_durationMs)));
}

void RecordingPlayer::onDuration(qint64 ms) {
    m_durationMs = ms;
    m_position->setRange(0, int(ms));
    onPosition(m_player->position());
}
