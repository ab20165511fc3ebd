#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class Settings;

/**
 * What the range-search window remembers: the two limits as typed and the dwell choice. Loading fills
 * in the defaults (154.000, 156.000, "10 seconds"); refusal() says why SEARCH NOW must not start.
 */
struct RangeSearchSettings {
    QString low;
    QString high;
    int dwell = 1; ///< position in dwellChoices()

    /// The texts of the dwell list, in list order; position n holds the scanner for PollCycle::dwellSeconds(n).
    static const QStringList& dwellChoices();
    /// The list position whose hold time is this many seconds, or -1.
    static int positionForSeconds(int seconds);
    /// The stored settings; a stored dwell position that is not a list position leaves the one matching holdLimit.
    static RangeSearchSettings load(const Settings& settings, int holdLimit);
    /// Stores the limits trimmed and the dwell position as decimal text.
    void save(Settings& settings) const;
    /// Why a search between these limits cannot start (not a number, outside the scanner's range, lower
    /// above upper), or no value when it can.
    std::optional<QString> refusal() const;
};
