#pragma once

#include <QStringList>

/// valdoria-cli import-uls --db URL FILE...: loads the public licence files into a transmitter database.
int runImportUls(const QStringList& arguments);
