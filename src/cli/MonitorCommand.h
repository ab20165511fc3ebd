#pragma once

#include <QStringList>

/// valdoria-cli monitor: follows the scanner without a window until Ctrl+C or SIGTERM.
int runMonitor(const QStringList& arguments);
