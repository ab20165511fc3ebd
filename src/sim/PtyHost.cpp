#include "PtyHost.h"

#include "Simulator.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/timerfd.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {

// Output nobody reads (no program on the slave) is kept up to this size, then the oldest goes.
constexpr qsizetype kMaxUnsent = 65536;

qint64 monotonicNs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

} // namespace

PtyHost::PtyHost(Simulator* simulator, QObject* parent)
    : QObject(parent)
    , m_simulator(simulator) {
    connect(m_simulator, &Simulator::output, this, &PtyHost::onOutput);
    connect(m_simulator, &Simulator::hangUp, this, &PtyHost::onHangUp);
}

PtyHost::~PtyHost() {
    close();
}

bool PtyHost::fail(const QString& what) {
    m_error = QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
    close();
    return false;
}

bool PtyHost::open() {
    if (isOpen())
        return true;
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0)
        return fail(QStringLiteral("cannot create a pseudo-terminal"));
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        return fail(QStringLiteral("cannot unlock the pseudo-terminal"));
    const char* name = ::ptsname(m_master);
    if (!name)
        return fail(QStringLiteral("cannot name the pseudo-terminal"));
    m_path = QString::fromLocal8Bit(name);

    // Holding the slave open keeps the master from reporting a hang-up (EIO) whenever the program
    // closes its side, and lets the line be set raw before anybody opens it.
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0)
        return fail(QStringLiteral("cannot open %1").arg(m_path));
    termios tio{};
    if (::tcgetattr(m_slave, &tio) != 0)
        return fail(QStringLiteral("cannot read the line settings"));
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B19200);
    ::cfsetospeed(&tio, B19200);
    if (::tcsetattr(m_slave, TCSANOW, &tio) != 0)
        return fail(QStringLiteral("cannot set the line raw"));

    const int flags = ::fcntl(m_master, F_GETFL);
    if (flags < 0 || ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail(QStringLiteral("cannot make the pseudo-terminal non-blocking"));

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyHost::onReadable);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyHost::onWritable);
    m_error.clear();
    return true;
}

void PtyHost::setLineRate(int baud) {
    m_baud = qMax(0, baud);
    // 8N1: a start bit, eight data bits and a stop bit.
    m_byteNs = m_baud > 0 ? 10 * qint64(1000000000) / m_baud : 0;
}

void PtyHost::setReplyDelay(double ms) {
    m_delayNs = qint64(qMax(0.0, ms) * 1e6);
}

void PtyHost::armPaceTimer() {
    if (m_paceTimer < 0) {
        // A timer file descriptor wakes at the nanosecond asked for; QTimer rounds to whole milliseconds,
        // which at 19200 baud would add several per cent to every exchange.
        m_paceTimer = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        if (m_paceTimer < 0)
            return;
        m_paceNotifier = new QSocketNotifier(m_paceTimer, QSocketNotifier::Read, this);
        connect(m_paceNotifier, &QSocketNotifier::activated, this, &PtyHost::onPaceTimer);
    }
    qint64 due = -1;
    if (!m_toScanner.empty())
        due = m_toScanner.front().due;
    if (!m_toProgram.empty() && (due < 0 || m_toProgram.front().due < due))
        due = m_toProgram.front().due;
    itimerspec wake{};
    if (due >= 0) {
        // Zero would disarm the timer, so a time already past is asked as one nanosecond.
        due = qMax<qint64>(due, 1);
        wake.it_value.tv_sec = due / 1000000000;
        wake.it_value.tv_nsec = due % 1000000000;
    }
    ::timerfd_settime(m_paceTimer, TFD_TIMER_ABSTIME, &wake, nullptr);
}

void PtyHost::onPaceTimer() {
    quint64 expirations = 0;
    while (::read(m_paceTimer, &expirations, sizeof(expirations)) > 0) {
    }
    const qint64 now = monotonicNs();
    bool wrote = false;
    // Answers first: a command due at the same moment cannot have been answered earlier.
    while (!m_toProgram.empty() && m_toProgram.front().due <= now) {
        m_unsent += m_toProgram.front().bytes;
        m_toProgram.pop_front();
        wrote = true;
    }
    if (wrote)
        flush();
    while (isOpen() && !m_toScanner.empty() && m_toScanner.front().due <= now) {
        const InFlight command = m_toScanner.front();
        m_toScanner.pop_front();
        m_answeringAt = command.due;
        m_simulator->receive(command.bytes);
        m_answeringAt = -1;
    }
    if (isOpen())
        armPaceTimer();
}

void PtyHost::close() {
    delete m_paceNotifier;
    m_paceNotifier = nullptr;
    if (m_paceTimer >= 0)
        ::close(m_paceTimer);
    m_paceTimer = -1;
    m_toScanner.clear();
    m_toProgram.clear();
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = -1;
    m_slave = -1;
    m_unsent.clear();
}

void PtyHost::onReadable() {
    char buffer[1024];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof(buffer));
        if (n > 0 && paced()) {
            // The bytes are on the line now and reach the scanner one after another.
            m_inLineFree = qMax(m_inLineFree, monotonicNs()) + n * m_byteNs;
            m_toScanner.push_back({m_inLineFree, QByteArray(buffer, int(n))});
            armPaceTimer();
            continue;
        }
        if (n > 0) {
            m_simulator->receive(QByteArray(buffer, int(n)));
            // receive() may have hung the line up.
            if (!isOpen())
                return;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return;
    }
}

void PtyHost::onOutput(const QByteArray& bytes) {
    if (!isOpen())
        return;
    if (paced()) {
        // An answer starts when the scanner has thought and the line is free, and arrives with its last byte.
        const qint64 ready = (m_answeringAt >= 0 ? m_answeringAt : monotonicNs()) + m_delayNs;
        m_outLineFree = qMax(m_outLineFree, ready) + bytes.size() * m_byteNs;
        m_toProgram.push_back({m_outLineFree, bytes});
        armPaceTimer();
        return;
    }
    m_unsent += bytes;
    if (m_unsent.size() > kMaxUnsent)
        m_unsent.remove(0, m_unsent.size() - kMaxUnsent);
    flush();
}

void PtyHost::onWritable() {
    flush();
}

void PtyHost::flush() {
    while (!m_unsent.isEmpty()) {
        const ssize_t n = ::write(m_master, m_unsent.constData(), size_t(m_unsent.size()));
        if (n > 0) {
            m_unsent.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    // The kernel buffer is full: wait until the program reads.
    m_writeNotifier->setEnabled(!m_unsent.isEmpty());
}

void PtyHost::onHangUp() {
    if (!isOpen())
        return;
    close();
    Q_EMIT hungUp();
}
