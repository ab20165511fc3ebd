#pragma once

#include "CsvTransfer.h"

#include <QStringList>

class LocalDatabase;

/**
 * The TALKGROUPS table as a RadioReference talkgroup file: Decimal,Hex,Alpha Tag,Mode,Description,
 * Tag,Category. docs/csv.md maps every column. The talkgroup editor's Import and Export buttons
 * and `valdoria-cli import-talkgroups` / `export-talkgroups` call these.
 */
namespace TalkgroupCsv {

/// The header written, and the columns an import needs (in any order, other columns ignored).
const QStringList& header();

/// Writes every TALKGROUPS row to the file.
CsvReport exportTable(LocalDatabase& database, const QString& path);
/**
 * Adds or updates TALKGROUPS rows by ID (Decimal) in one transaction. A bad file (wrong header, an
 * ID that is not a whole number, an ID twice, a broken quote) is refused with its line number and
 * nothing is written.
 */
CsvReport importTable(LocalDatabase& database, const QString& path);

} // namespace TalkgroupCsv
