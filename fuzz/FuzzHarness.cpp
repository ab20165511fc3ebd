#include "FuzzHarness.h"

#include <QCoreApplication>
#include <QList>
#include <QLoggingCategory>

#include <cstdio>
#include <cstdlib>

namespace {

void onMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    std::fprintf(stderr, "Qt warning [%s]: %s\n", context.category ? context.category : "", qPrintable(text));
    std::abort();
}

} // namespace

namespace FuzzHarness {

void start(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    QLoggingCategory::setFilterRules(QStringLiteral("valdoria.*=false"));
    qInstallMessageHandler(onMessage);
}

void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QByteArray bytes(const uint8_t* data, size_t size) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
}

QList<QByteArray> reads(const QByteArray& bytes) {
    QList<QByteArray> out;
    qsizetype from = 0;
    while (from < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', from);
        const qsizetype end = lf < 0 ? bytes.size() : lf;
        out.append(bytes.mid(from, end - from));
        from = end + 1;
    }
    return out;
}

} // namespace FuzzHarness
