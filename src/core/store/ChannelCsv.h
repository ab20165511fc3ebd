#pragma once

#include "CsvTransfer.h"

#include <QStringList>

class LocalDatabase;

/**
 * A backup set (BACKUP_CHANNELS) as CHIRP's generic CSV file: Location is the channel, Name the
 * second alpha tag, Frequency in MHz, Skip "S" for a locked-out channel, Comment the licensee.
 * docs/csv.md maps every column.
 */
namespace ChannelCsv {

/// The header written; an import needs Location and Frequency, takes Name, Skip and Comment when
/// present, and ignores every other column (CHIRP writes more of them than this).
const QStringList& header();

/// Writes the set's channels that hold a frequency, by channel.
CsvReport exportSet(LocalDatabase& database, const QString& set, const QString& path);
/**
 * Adds or replaces the set's rows by channel in one transaction (a new name makes a new set). A bad
 * file (a header without Location or Frequency, a frequency that is not a number, a channel outside
 * 1 to 1000 or twice in the file, an unknown Skip, a broken quote) is refused with its line number
 * and nothing is written.
 */
CsvReport importSet(LocalDatabase& database, const QString& path, const QString& set);

} // namespace ChannelCsv
