#include "MemoryJob.h"

#include "link/SerialLink.h"
#include "monitor/Monitor.h"
#include "protocol/Commands.h"
#include "protocol/MemoryReply.h"
#include "state/ScannerState.h"

#include <cmath>

Q_LOGGING_CATEGORY(lcMemory, "valdoria.memory")

MemoryJob::MemoryJob(const MemoryJobContext& context, QObject* parent)
    : QObject(parent)
    , m_ctx(context) {
    qRegisterMetaType<MemoryJobResult>();
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, &MemoryJob::onTimeout);
    m_lockRetry.setSingleShot(true);
    connect(&m_lockRetry, &QTimer::timeout, this, &MemoryJob::tryStore);
}

MemoryJob::~MemoryJob() {
    for (const QMetaObject::Connection& c : std::as_const(m_connections))
        disconnect(c);
}

bool MemoryJob::begin(int total) {
    m_total = total;
    m_done = 0;
    m_cancelRequested = false;
    m_waitingForOperator = false;
    m_readChannel = 0;
    m_ahead = 0;
    if (m_ctx.monitor)
        m_ctx.monitor->suspend();
    m_running = true;
    if (!m_ctx.link.isOpen()) {
        finish(result(MemoryJobResult::Outcome::Failed, QStringLiteral("The scanner's port is not open.")));
        return false;
    }
    m_connections.append(connect(&m_ctx.link, &SerialLink::received, this, &MemoryJob::onReceived));
    m_connections.append(connect(&m_ctx.link, &SerialLink::portLost, this, &MemoryJob::onPortLost));
    m_elapsed.start();
    Q_EMIT progress(0, m_total, -1);
    return true;
}

void MemoryJob::send(const QString& command) {
    m_ctx.link.sendToScanner(command);
}

void MemoryJob::read(int channel, std::function<void(const MemoryReply&)> onAnswer) {
    m_readChannel = channel;
    m_onAnswer = std::move(onAnswer);
    m_sends = 0;
    if (m_ahead == channel) {
        m_ahead = 0;
        m_sends = 1;
        m_timeout.start(m_timeoutMs);
        return;
    }
    sendRead();
}

void MemoryJob::sendAhead(int channel) {
    m_ahead = channel;
    send(Commands::memoryRead(channel));
}

void MemoryJob::sendRead() {
    ++m_sends;
    send(Commands::memoryRead(m_readChannel));
    m_timeout.start(m_timeoutMs);
}

void MemoryJob::drain() {
    while (m_ctx.link.cutOneLine()) {
    }
}

void MemoryJob::store(std::function<LocalDatabase::WriteResult()> attempt, std::function<void()> stored,
                      const QString& what) {
    m_storeAttempt = std::move(attempt);
    m_onStored = std::move(stored);
    m_storeWhat = what;
    m_lockedSince.invalidate();
    tryStore();
}

void MemoryJob::tryStore() {
    if (!m_running || !m_storeAttempt)
        return;
    const LocalDatabase::WriteResult outcome = m_storeAttempt();
    if (outcome == LocalDatabase::WriteResult::Locked) {
        if (!m_lockedSince.isValid()) {
            m_lockedSince.start();
            qCInfo(lcMemory) << "the local database is locked by another program; waiting up to" << m_lockWaitMs
                             << "ms";
        }
        if (m_lockedSince.elapsed() < m_lockWaitMs) {
            m_lockRetry.start(kLockRetryMs);
            return;
        }
    }
    m_storeAttempt = nullptr;
    const auto onStored = std::move(m_onStored);
    m_onStored = nullptr;
    if (outcome == LocalDatabase::WriteResult::Stored) {
        const bool waited = m_lockedSince.isValid();
        onStored();
        // Answers that came in while the row waited are in the buffer already; no new text will announce them.
        if (waited)
            onReceived();
        return;
    }
    const QString reason =
        outcome == LocalDatabase::WriteResult::Locked
            ? QStringLiteral("another program has held the file locked for %1 s").arg((m_lockWaitMs + 999) / 1000)
            : m_ctx.database.lastError();
    finish(result(MemoryJobResult::Outcome::Failed, QStringLiteral("%1: %2.").arg(m_storeWhat, reason)));
}

void MemoryJob::onReceived() {
    // Lines wait in the buffer until a read wants them; between reads nothing is cut.
    while (m_running && m_readChannel != 0 && !m_waitingForOperator && m_ctx.link.cutOneLine()) {
        const QString& line = m_ctx.state.gReply;
        if (!MemoryReply::answers(line, m_readChannel))
            continue;
        const std::optional<MemoryReply> reply = MemoryReply::decode(line, m_readChannel);
        // A garbled answer is no answer: the time-out asks again.
        if (!reply) {
            qCDebug(lcMemory) << "garbled answer for channel" << m_readChannel << line;
            continue;
        }
        m_timeout.stop();
        m_readChannel = 0;
        const auto onAnswer = std::move(m_onAnswer);
        m_onAnswer = nullptr;
        onAnswer(*reply);
    }
}

void MemoryJob::onTimeout() {
    if (!m_running || m_readChannel == 0)
        return;
    // A read sent ahead may have gone the same way; the next channel asks afresh.
    m_ahead = 0;
    if (m_sends < m_attempts) {
        qCInfo(lcMemory) << "no answer for channel" << m_readChannel << "- asking again";
        sendRead();
        return;
    }
    m_waitingForOperator = true;
    Q_EMIT replyMissing(m_readChannel);
}

void MemoryJob::retry() {
    if (!m_running || !m_waitingForOperator)
        return;
    m_waitingForOperator = false;
    m_sends = 0;
    sendRead();
}

void MemoryJob::stop() {
    if (!m_running || !m_waitingForOperator)
        return;
    finish(result(MemoryJobResult::Outcome::Stopped,
                  QStringLiteral("The scanner did not answer for channel %1.").arg(m_readChannel)));
}

void MemoryJob::cancel() {
    if (!m_running)
        return;
    m_cancelRequested = true;
    finish(result(MemoryJobResult::Outcome::Cancelled, QString()));
}

void MemoryJob::onPortLost(const QString& reason) {
    if (!m_running)
        return;
    // The reason is a transport's phrase ("the device hung up"); the sentence after it needs its full stop.
    QString why = QStringLiteral("The scanner's port went away: %1").arg(reason.trimmed());
    if (!why.endsWith(QLatin1Char('.')) && !why.endsWith(QLatin1Char('!')) && !why.endsWith(QLatin1Char('?')))
        why += QLatin1Char('.');
    finish(result(MemoryJobResult::Outcome::Failed, why));
}

void MemoryJob::setDone(int done) {
    m_done = done;
    int secondsLeft = -1;
    if (done > 0) {
        const double perChannel = double(m_elapsed.elapsed()) / done;
        secondsLeft = int(std::ceil(perChannel * (m_total - done) / 1000.0));
    }
    Q_EMIT progress(done, m_total, secondsLeft);
}

void MemoryJob::finish(MemoryJobResult result) {
    m_running = false;
    m_waitingForOperator = false;
    m_readChannel = 0;
    m_onAnswer = nullptr;
    m_timeout.stop();
    // A row still waiting for a locked file is not stored and not counted.
    m_lockRetry.stop();
    m_storeAttempt = nullptr;
    m_onStored = nullptr;
    for (const QMetaObject::Connection& c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    qCInfo(lcMemory) << result.message;
    Q_EMIT finished(result);
}

void MemoryJob::handBack() {
    if (m_running)
        cancel();
    // Whatever the scanner said while the job ran is of no use to the monitor.
    drain();
    for (const QString& command : closingCommands())
        send(command);
    if (m_ctx.monitor)
        m_ctx.monitor->goBackToFacePlate();
}
