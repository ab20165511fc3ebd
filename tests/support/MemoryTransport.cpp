#include "MemoryTransport.h"

#include <QTimer>

MemoryTransport::MemoryTransport(QObject* parent)
    : Transport(parent) {}

bool MemoryTransport::open() {
    if (!m_failReason.isEmpty()) {
        m_error = QStringLiteral("Cannot open %1: %2").arg(m_device, m_failReason);
        m_failReason.clear();
        return false;
    }
    m_error.clear();
    m_open = true;
    return true;
}

void MemoryTransport::close() {
    m_open = false;
}

bool MemoryTransport::write(const QByteArray& bytes) {
    if (!m_open)
        return false;
    m_written += bytes;
    m_allWritten += bytes;
    Q_EMIT written(bytes);
    return true;
}

QByteArray MemoryTransport::readAll() {
    QByteArray out;
    out.swap(m_incoming);
    return out;
}

void MemoryTransport::feed(const QByteArray& bytes) {
    m_incoming += bytes;
    if (m_notifyPending)
        return;
    m_notifyPending = true;
    QTimer::singleShot(0, this, [this] {
        m_notifyPending = false;
        if (!m_incoming.isEmpty())
            Q_EMIT readyRead();
    });
}

void MemoryTransport::feedNow(const QByteArray& bytes) {
    m_incoming += bytes;
    Q_EMIT readyRead();
}

QByteArray MemoryTransport::takeWritten() {
    QByteArray out;
    out.swap(m_written);
    return out;
}

QStringList MemoryTransport::writtenLines() const {
    QStringList lines = QString::fromLatin1(m_allWritten).split(QLatin1Char('\r'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void MemoryTransport::setModemLines(bool cts, bool dsr) {
    m_cts = cts;
    m_dsr = dsr;
}

void MemoryTransport::loseDevice(const QString& reason) {
    if (!m_open)
        return;
    m_open = false;
    Q_EMIT lost(reason);
}
