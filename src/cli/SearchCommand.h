#pragma once

#include <QStringList>

/// valdoria-cli search --state XX --service CODE [...]: the online frequency search, results on stdout.
int runSearch(const QStringList& arguments);
