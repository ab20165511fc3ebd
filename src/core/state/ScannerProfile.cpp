#include "ScannerProfile.h"

#include "ScannerState.h"

#include <algorithm>

bool ScannerProfile::receives(qint64 hz) const {
    return std::any_of(bands.cbegin(), bands.cend(), [hz](const Band& b) { return hz >= b.lowHz && hz <= b.highHz; });
}

const QList<ScannerProfile>& ScannerProfile::all() {
    static const QList<ScannerProfile> rows = {
        {ScannerModel::Pro2052,
         QStringLiteral("pro2052"),
         QStringLiteral("PRO-2052"),
         1000,
         20,
         50,
         {{29'000'000, 54'000'000}, {108'000'000, 174'000'000}, {406'000'000, 512'000'000}, {806'000'000, 956'000'000}},
         {5'000, 12'500, 50'000},
         QStringLiteral("Valdoria2052/Pro"),
         Parser::StatusLines,
         Faceplate::Pro2052},
        {ScannerModel::Bc780xlt,
         QStringLiteral("bc780xlt"),
         QStringLiteral("BC780XLT"),
         500,
         10,
         50,
         {{25'000'000, 512'000'000}, {806'000'000, 956'000'000}, {1240'000'000, 1300'000'000}},
         {5'000, 12'500, 50'000},
         QStringLiteral("VDPro2052"),
         Parser::LcdSegments,
         Faceplate::Bc780xlt},
    };
    return rows;
}

const ScannerProfile& ScannerProfile::forModel(quint8 model) {
    for (const ScannerProfile& p : all()) {
        if (p.model == model)
            return p;
    }
    return all().first();
}

const ScannerProfile* ScannerProfile::byKey(const QString& key) {
    for (const ScannerProfile& p : all()) {
        if (p.key.compare(key, Qt::CaseInsensitive) == 0)
            return &p;
    }
    return nullptr;
}
