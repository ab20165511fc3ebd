#include "ScannerProfile.h"

#include "ScannerState.h"

#include <QStringList>

#include <algorithm>

bool ScannerProfile::receives(qint64 hz) const {
    return std::any_of(bands.cbegin(), bands.cend(), [hz](const Band& b) { return hz >= b.lowHz && hz <= b.highHz; });
}

const QList<ScannerProfile>& ScannerProfile::all() {
    static const QList<ScannerProfile> rows = {
        {ScannerModel::Pro2052,
         QStringLiteral("pro2052"),
         QStringLiteral("PRO-2052"),
         QStringLiteral("RadioShack\u00AE"),
         QStringLiteral("Pro-2052"),
         1000,
         20,
         50,
         {{29'000'000, 54'000'000}, {108'000'000, 174'000'000}, {406'000'000, 512'000'000}, {806'000'000, 956'000'000}},
         {5'000},
         QStringLiteral("Valdoria2052/Pro"),
         20,
         Parser::StatusLines,
         Faceplate::Pro2052},
        {ScannerModel::Bc780xlt,
         QStringLiteral("bc780xlt"),
         QStringLiteral("BC780XLT"),
         QStringLiteral("Uniden\u00AE"),
         QStringLiteral("BC780XLT"),
         500,
         10,
         50,
         {{25'000'000, 512'000'000}, {806'000'000, 956'000'000}, {1240'000'000, 1300'000'000}},
         {5'000},
         QStringLiteral("VDPro2052"),
         100,
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
    // Codes 2 and 4 are BC780XLT variants too; they share its row.
    if (model >= 2 && model <= 4)
        return *byKey(QStringLiteral("bc780xlt"));
    return standard();
}

const ScannerProfile* ScannerProfile::byKey(const QString& key) {
    for (const ScannerProfile& p : all()) {
        if (p.key.compare(key, Qt::CaseInsensitive) == 0)
            return &p;
    }
    return nullptr;
}

const ScannerProfile& ScannerProfile::of(const ScannerState& state) {
    return forModel(state.gScannerModel);
}

QString ScannerProfile::keyList() {
    QStringList keys;
    for (const ScannerProfile& p : all())
        keys.append(p.key);
    if (keys.size() < 2)
        return keys.join(QString());
    const QString last = keys.takeLast();
    return keys.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}
