#include "CsvTransfer.h"

#include "TextFiles.h"

#include <QFile>
#include <QSaveFile>

QString CsvReport::summary() const {
    if (written > 0 || (added == 0 && updated == 0))
        return QStringLiteral("%1 %2 written").arg(written).arg(written == 1 ? "row" : "rows");
    return QStringLiteral("%1 added, %2 updated").arg(added).arg(updated);
}

namespace CsvTransfer {

std::optional<CsvTable> readFile(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QString reason;
    // UTF-8, or the Windows code page of a file saved by an older spreadsheet, as the day logs are read.
    std::optional<CsvTable> table = CsvTable::parse(TextFiles::decode(file.readAll()), &reason);
    if (!table)
        *error = QStringLiteral("%1, %2").arg(path, reason);
    return table;
}

bool writeFile(const QString& path, const QString& text, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace CsvTransfer
