#include "SimulatorTransport.h"

#include "Simulator.h"

namespace {

// How often the paced line hands over what it has carried meanwhile.
constexpr int kThrottleTickMs = 5;

} // namespace

SimulatorTransport::SimulatorTransport(Simulator* simulator, QObject* parent)
    : Transport(parent)
    , m_simulator(simulator) {
    m_deliveryTimer.setSingleShot(true);
    connect(&m_deliveryTimer, &QTimer::timeout, this, &SimulatorTransport::deliver);
    connect(m_simulator, &Simulator::output, this, &SimulatorTransport::onOutput);
    connect(m_simulator, &Simulator::hangUp, this, &SimulatorTransport::onHangUp);
}

bool SimulatorTransport::open() {
    m_error.clear();
    m_open = true;
    m_inFlight.clear();
    m_incoming.clear();
    return true;
}

void SimulatorTransport::close() {
    m_open = false;
    m_deliveryTimer.stop();
    m_inFlight.clear();
}

bool SimulatorTransport::write(const QByteArray& bytes) {
    if (!m_open)
        return false;
    // The simulator answers at once; onOutput only queues, so nothing is delivered re-entrantly.
    m_simulator->receive(bytes);
    return true;
}

QByteArray SimulatorTransport::readAll() {
    QByteArray out;
    out.swap(m_incoming);
    return out;
}

void SimulatorTransport::setThrottled(bool throttled) {
    m_throttled = throttled;
}

void SimulatorTransport::onOutput(const QByteArray& bytes) {
    // A scanner whose cable is unplugged talks to nobody.
    if (!m_open)
        return;
    if (m_inFlight.isEmpty()) {
        m_lineClock.start();
        m_credit = 0.0;
    }
    m_inFlight += bytes;
    if (!m_deliveryTimer.isActive())
        m_deliveryTimer.start(m_throttled ? kThrottleTickMs : 0);
}

void SimulatorTransport::deliver() {
    if (!m_open || m_inFlight.isEmpty())
        return;
    qsizetype count = m_inFlight.size();
    if (m_throttled) {
        // Ten bits per byte on an 8N1 line.
        m_credit += m_lineClock.restart() * (m_baud / 10.0) / 1000.0;
        count = std::min<qsizetype>(count, qsizetype(m_credit));
        m_credit -= count;
    }
    if (count > 0) {
        m_incoming += m_inFlight.left(count);
        m_inFlight.remove(0, count);
    }
    if (!m_inFlight.isEmpty())
        m_deliveryTimer.start(kThrottleTickMs);
    if (count > 0)
        Q_EMIT readyRead();
}

void SimulatorTransport::onHangUp() {
    if (!m_open)
        return;
    close();
    Q_EMIT lost(QStringLiteral("the simulated scanner hung up"));
}
