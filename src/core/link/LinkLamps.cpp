#include "LinkLamps.h"

#include "SerialLink.h"
#include "Transport.h"

LinkLamps::LinkLamps(SerialLink& link, QObject* parent)
    : QObject(parent)
    , m_link(link) {
    // Arriving characters light the buffer lamp at once; the next refresh reads the counts.
    connect(&m_link, &SerialLink::received, this, [this] { set(true, m_cts, m_dsr, m_port); });
    connect(&m_link, &SerialLink::portOpenChanged, this, &LinkLamps::refresh);
}

QString LinkLamps::lampName(Lamp lamp) {
    switch (lamp) {
    case Lamp::Buffer:
        return QStringLiteral("lampBuffer");
    case Lamp::Cts:
        return QStringLiteral("lampCTS");
    case Lamp::Dsr:
        return QStringLiteral("lampDSR");
    case Lamp::Port:
        return QStringLiteral("lampPort");
    }
    return {};
}

bool LinkLamps::isLit(Lamp lamp) const {
    switch (lamp) {
    case Lamp::Buffer:
        return m_buffer;
    case Lamp::Cts:
        return m_cts;
    case Lamp::Dsr:
        return m_dsr;
    case Lamp::Port:
        return m_port;
    }
    return false;
}

quint32 LinkLamps::color(const QString& name) const {
    for (Lamp lamp : {Lamp::Buffer, Lamp::Cts, Lamp::Dsr, Lamp::Port}) {
        if (lampName(lamp) == name)
            return color(lamp);
    }
    return kDark;
}

QString LinkLamps::toolTip(Lamp lamp) const {
    const bool lit = isLit(lamp);
    switch (lamp) {
    case Lamp::Buffer:
        return lit ? QStringLiteral("Data is in the COM buffer") : QStringLiteral("COM buffer is empty");
    case Lamp::Cts:
        return lit ? QStringLiteral("CTS Signal is high") : QStringLiteral("CTS Signal is low");
    case Lamp::Dsr:
        return lit ? QStringLiteral("DSR Signal is high") : QStringLiteral("DSR Signal is low");
    case Lamp::Port:
        return lit ? QStringLiteral("COM Port is open") : QStringLiteral("COM Port is closed");
    }
    return {};
}

QString LinkLamps::toolTip(const QString& labelName) const {
    // Label8 captions both modem lamps; the DSR text, set last, is the one it keeps.
    if (labelName == QLatin1String("Label7"))
        return toolTip(Lamp::Buffer);
    if (labelName == QLatin1String("Label8"))
        return toolTip(Lamp::Dsr);
    if (labelName == QLatin1String("Label9"))
        return toolTip(Lamp::Port);
    return {};
}

void LinkLamps::refresh() {
    const Transport* t = m_link.transport();
    if (!t || !t->isOpen()) {
        set(false, false, false, false);
        return;
    }
    set(t->bytesAvailable() > 0 || t->bytesToWrite() > 0, t->cts(), t->dsr(), true);
}

void LinkLamps::set(bool buffer, bool cts, bool dsr, bool port) {
    if (buffer == m_buffer && cts == m_cts && dsr == m_dsr && port == m_port)
        return;
    m_buffer = buffer;
    m_cts = cts;
    m_dsr = dsr;
    m_port = port;
    Q_EMIT changed();
}
