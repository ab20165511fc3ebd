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
    /// Slider1, 0 to scanDelayMax().
    int scanDelay() const { return m_scanDelay; }
    /// 20 on the PRO-2052's slider, 100 on the BC780XLT's.
    int scanDelayMax() const { return m_scanDelayMax; }
    /// Use_BC780XLT_Tags ticked: display lines 3 and 4 show the scanner's own tags and no names are
    /// looked up; otherwise (Use_VDPro_Tags, the default) the local database names them first.
    bool useScannerTags() const { return m_useScannerTags; }

    void setScanLogging(bool on);
    void setSearchLogging(bool on);
    void setTrunkLogging(bool on);
    void setShowFreqAndTalkgroup(bool on);
    void setScanDelay(int value);
    /// A value above the new maximum is pulled down to it.
    void setScanDelayMax(int max);
    void setUseScannerTags(bool on);

Q_SIGNALS:
    void changed();

private:
    bool m_scanLogging = false;
    bool m_searchLogging = false;
    bool m_trunkLogging = false;
    bool m_showFreqAndTalkgroup = false;
    int m_scanDelay = 2;
    int m_scanDelayMax = 20;
    bool m_useScannerTags = false;
};
