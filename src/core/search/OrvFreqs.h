#pragma once

#include "TransmitterRow.h"

#include <QList>

#include <optional>

class LocalDatabase;

/// The local table OrvFreqs: the transmitters of the last search whose results were viewed.
class OrvFreqs {
public:
    /// Empties the table and stores these rows in their order. False when the database refused.
    static bool replace(LocalDatabase& db, const QList<TransmitterRow>& rows);
    /// Every row, lowest frequency first, or no value when the table cannot be read.
    static std::optional<QList<TransmitterRow>> read(LocalDatabase& db);
};
