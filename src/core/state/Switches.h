#pragma once

#include <QObject>

/**
 * The faceplate's check-mark menu entries and the scan-delay slider, which the core reads at
 * the moment it needs them. The window mirrors them; nothing here is saved.
 */
class Switches : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    bool scanLogging() const { return m_scanLogging; }
    bool searchLogging() const { return m_searchLogging; }
    bool trunkLogging() const { return m_trunkLogging; }
    /// mnuShow_Freq_and_Talkgroup's check mark.
    bool showFreqAndTalkgroup() const { return m_showFreqAndTalkgroup; }
    /// Slider1, 0 to 20.
    int scanDelay() const { return m_scanDelay; }

    void setScanLogging(bool on);
    void setSearchLogging(bool on);
    void setTrunkLogging(bool on);
    void setShowFreqAndTalkgroup(bool on);
    void setScanDelay(int value);

Q_SIGNALS:
    void changed();

private:
    bool m_scanLogging = false;
    bool m_searchLogging = false;
    bool m_trunkLogging = false;
    bool m_showFreqAndTalkgroup = false;
    int m_scanDelay = 2;
};
