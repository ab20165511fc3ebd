#pragma once

#include <QString>

class LocalDatabase;

/**
 * Names for the simulator's channels in the local database, so a demonstration with
 * valdoria --simulate shows named channels on the aux display and to remote clients. Reads the
 * "program" lines of an activity script; channels that already have a row keep it.
 */
namespace DemoNames {

/// Adds a bank-table row for every programmed channel without one; returns how many were added.
int seed(LocalDatabase& database, const QString& script);

} // namespace DemoNames
