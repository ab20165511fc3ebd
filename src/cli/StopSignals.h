#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

/**
 * SIGINT, SIGTERM and SIGHUP as an event: the handler only writes the signal's number into a socket
 * pair, and a QSocketNotifier on the other end emits stopRequested() from the event loop, where the
 * command can end its work as it would end it itself. One watcher at a time; the default handling
 * comes back when it goes.
 */
class StopSignals : public QObject {
    Q_OBJECT

public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    /// False when the handlers could not be installed (the signals then end the program as usual).
    bool isWatching() const { return m_notifier != nullptr; }
    /// "SIGINT", "SIGTERM", "SIGHUP".
    static QString name(int signal);

Q_SIGNALS:
    void stopRequested(int signal);

private:
    void onReadable();

    QSocketNotifier* m_notifier = nullptr;
};
