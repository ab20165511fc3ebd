#pragma once

#include "RemoteDbUrl.h"
#include "TransmitterDatabase.h"
#include "TransmitterRow.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class QThread;

/**
 * Runs one request on the transmitter database on a thread of its own (with its own connection), so the
 * window keeps drawing while a server answers slowly or not at all. cancel() lets go of the request at
 * once: its thread finishes in the background and its answer is dropped.
 */
class TransmitterQuery : public QObject {
    Q_OBJECT

public:
    explicit TransmitterQuery(QObject* parent = nullptr);
    ~TransmitterQuery() override;

    /// Reads the service list (RS_CODES); serviceCodesLoaded() or failed().
    void loadServiceCodes(const RemoteDbUrl& url);
    /// Runs the search; searchFinished() or failed().
    void search(const RemoteDbUrl& url, const SearchCriteria& criteria);
    /// Connects and counts the transmitters; counted() or failed().
    void countTransmitters(const RemoteDbUrl& url);
    /// Drops the running request; nothing is emitted for it.
    void cancel();
    bool isRunning() const { return !m_thread.isNull(); }

Q_SIGNALS:
    void serviceCodesLoaded(const QStringList& entries);
    void searchFinished(const QList<TransmitterRow>& rows);
    void counted(int transmitters);
    /// The request failed: the message names the server, never the password.
    void failed(const QString& message);

private:
    struct Answer {
        bool ok = false;
        QString error;
        QStringList entries;
        QList<TransmitterRow> rows;
        int count = 0;
    };
    void run(std::function<Answer()> work, std::function<void(const Answer&)> deliver);

    QPointer<QThread> m_thread;
};
