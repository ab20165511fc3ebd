#pragma once

#include "MonitorRig.h"

#include <QTest>

/// Each "key=value" of expected against the rig's observe(key). Kept out of MonitorRig.h, which the fuzz
/// targets build without Qt Test.
inline void expectObserved(MonitorContextRig& rig, const QStringList& expected) {
    for (const QString& pair : expected) {
        const QString key = pair.section(QLatin1Char('='), 0, 0);
        QCOMPARE(key + QLatin1Char('=') + rig.observe(key), pair);
    }
}
