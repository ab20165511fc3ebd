#pragma once

#include <QStringList>

/// valdoria-cli backup: reads the scanner's banks into a backup set.
int runBackup(const QStringList& arguments);
