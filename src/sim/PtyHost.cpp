#include "PtyHost.h"

#include "Simulator.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Output nobody reads (no program on the slave) is kept up to this size, then the oldest goes.
constexpr qsizetype kMaxUnsent = 65536;

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
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
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
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
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

void PtyHost::close() {
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
