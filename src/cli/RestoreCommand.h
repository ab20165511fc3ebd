#pragma once

#include <QStringList>

/// valdoria-cli restore: programs a backup set into the scanner, reading each channel back.
int runRestore(const QStringList& arguments);
