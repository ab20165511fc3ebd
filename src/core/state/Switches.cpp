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
    if (assign(m_scanDelay, qBound(0, value, 20)))
        Q_EMIT changed();
}
