#include "Switches.h"

namespace {
template <typename T> bool assign(T& member, T value) {
    if (member == value)
        return false;
    member = value;
    return true;
}
} // namespace

void Switches::setScanLogging(bool on) {
    if (assign(m_scanLogging, on))
        Q_EMIT changed();
}

void Switches::setSearchLogging(bool on) {
    if (assign(m_searchLogging, on))
        Q_EMIT changed();
}

void Switches::setTrunkLogging(bool on) {
    if (assign(m_trunkLogging, on))
        Q_EMIT changed();
}

void Switches::setShowFreqAndTalkgroup(bool on) {
    if (assign(m_showFreqAndTalkgroup, on))
        Q_EMIT changed();
}

void Switches::setScanDelay(int value) {
    if (assign(m_scanDelay, qBound(0, value, m_scanDelayMax)))
        Q_EMIT changed();
}

void Switches::setScanDelayMax(int max) {
    const bool changedMax = assign(m_scanDelayMax, qMax(0, max));
    const bool changedValue = assign(m_scanDelay, qMin(m_scanDelay, m_scanDelayMax));
    if (changedMax || changedValue)
        Q_EMIT changed();
}

void Switches::setUseScannerTags(bool on) {
    if (assign(m_useScannerTags, on))
        Q_EMIT changed();
}
