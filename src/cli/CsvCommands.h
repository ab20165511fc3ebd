#pragma once

#include <QStringList>

/// valdoria-cli export --set NAME FILE.csv: a backup set as CHIRP's generic CSV.
int runExport(const QStringList& arguments);
/// valdoria-cli import FILE.csv --set NAME: a CHIRP CSV file into a backup set.
int runImport(const QStringList& arguments);
/// valdoria-cli export-talkgroups FILE.csv: the talkgroup table in RadioReference's layout.
int runExportTalkgroups(const QStringList& arguments);
/// valdoria-cli import-talkgroups FILE.csv: RadioReference talkgroups into the talkgroup table.
int runImportTalkgroups(const QStringList& arguments);
