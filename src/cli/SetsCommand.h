#pragma once

#include <QStringList>

/// valdoria-cli sets: the backup sets, one a line: the name, a tab, its channel count.
int runSets(const QStringList& arguments);
