#pragma once

#include "Pro2052Model.h"
#include "SimulatedScanner.h"

#include <QHash>
#include <QString>

/**
 * The Uniden BC780XLT: the PRO-2052's PC-control command set and activity over 500 memory
 * channels in 10 banks, plus its liquid-crystal display, read segment by segment with "LCD "
 * and a field name. It acknowledges the commands that change something with "OK" (and refuses
 * what it does not know with "NG"), answers the light switches with the light's state ("LTN"),
 * and shows a CTCSS tone on channel 5 and a DCS code on channel 14 of the built-in memory.
 */
class Bc780Model final : public SimulatedScanner {
public:
    static constexpr int kChannels = 500;
    static constexpr int kBanks = 10;
    /// Bank markers on the display.
    static constexpr int kMarkers = 30;

    QString name() const override { return QStringLiteral("bc780xlt"); }
    int mode() const override { return m_core.mode(); }
    QStringList answer(const QString& command) override;
    bool configure(const QStringList& words, QString* error) override;
    bool beginActivity(const ActivityEvent& event, QStringList& lines) override;
    void endActivity(QStringList& lines) override;
    bool activityRunning() const override { return m_core.activityRunning(); }
    QString describe(const ActivityEvent& event) const override { return m_core.describe(event); }

    /// The memory and mode the display shows.
    Pro2052Model& core() { return m_core; }
    /// 'N' on, 'D' dimmed, 'F' off.
    QChar light() const { return m_light; }
    /// The answer to "LCD " + field; empty for a field the display does not have.
    QString lcdReply(const QString& field);

private:
    /// What the display shows now.
    enum class Shows { Nothing, Channel, SearchHit, Call };
    Shows shows() const;
    QString lineText(int line) const;
    QString toneText() const;
    QString channelLine(const QString& proLine) const;
    QString signalBars() const;
    QString bankMarkers() const;

    Pro2052Model m_core;
    QChar m_light = QLatin1Char('N');
    QHash<int, QString> m_talkgroupNames;
    int m_callTalkgroup = 0;
    int m_callSteps = 0;
};
