#pragma once

#include <QStringList>

/// valdoria-cli recordings [--date YYYY-MM-DD] [--json] [--data-dir DIR]: the recorded hits of a day.
int runRecordings(const QStringList& arguments);
