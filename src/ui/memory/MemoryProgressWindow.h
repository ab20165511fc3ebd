#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

/**
 * Backup1 and Restore1: the bank and channel being worked on, channels done of channels chosen with
 * the time left, and one Stop; Retry beside the message when a channel's reply does not come; the
 * channels that did not take with an offer to try them again; Finished at the end. It shows what it
 * is told, grows to fit its texts, and reports the clicks.
 */
class MemoryProgressWindow : public QWidget {
    Q_OBJECT

public:
    /// name: "Backup1" or "Restore1"; firstText: what Text5 shows first.
    MemoryProgressWindow(const QString& name, const QString& appTitle, const QString& firstText,
                         QWidget* parent = nullptr);

    /// Back to the start: the first text, no progress, only Stop offered.
    void reset(const QString& appTitle);
    void setText5(const QString& text);
    /// The bank and the channel (shown with at least three digits) being worked on.
    void setChannel(int bank, int channel);
    /// Channels done of channels chosen; secondsLeft below 0 when not yet known.
    void setProgress(int done, int total, int secondsLeft);
    /// A channel's reply did not come: the message, with Retry and Stop.
    void showStall(const QString& message);
    void hideStall();
    /// The channels that did not take, with the offer to try them again (empty: nothing to offer).
    void showFailures(const QStringList& channels);
    /// The work is over: Finished replaces Stop.
    void showFinished();

Q_SIGNALS:
    /// Stop while the work runs: end after the channel in hand.
    void cancelRequested();
    void retryRequested();
    /// Stop while a channel's reply is missing: end there.
    void stopRequested();
    void retryFailuresRequested();
    void finishedClicked();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    /// Lets the window grow (never shrink below what it shows) after its texts changed.
    void fitContents();

    QString m_firstText;
    QLabel* m_bank = nullptr;
    QLabel* m_channel = nullptr;
    QLabel* m_text5 = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_timeLeft = nullptr;
    QPushButton* m_stop = nullptr;
    QWidget* m_stall = nullptr;
    QLabel* m_stallText = nullptr;
    QWidget* m_failures = nullptr;
    QListWidget* m_failedList = nullptr;
    QPushButton* m_finished = nullptr;
};
