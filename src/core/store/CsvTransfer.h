#pragma once

#include "CsvTable.h"

#include <QString>

#include <optional>

/// What an import or export did, for the command line and the editor windows.
struct CsvReport {
    bool ok = false;
    QString error;   ///< why nothing was written, with the line number for a bad file
    int added = 0;   ///< rows new to the table or set
    int updated = 0; ///< rows that replaced one with the same channel or ID
    int written = 0; ///< rows written to the file (export)

    /// "12 added, 3 updated" or "15 rows written".
    QString summary() const;
};

namespace CsvTransfer {
/// Reads and parses a CSV file; an unreadable or malformed file gives no value and the reason.
std::optional<CsvTable> readFile(const QString& path, QString* error);
/// Writes the whole text or nothing (the old file stays until the new one is complete).
bool writeFile(const QString& path, const QString& text, QString* error);
} // namespace CsvTransfer
