#include "CliPrompter.h"

#include "CliCommand.h"

#include <QTimer>

namespace {
// Message boxes use CR LF between lines; one log line each reads better.
QString oneLine(const QString& text) {
    return text.simplified();
}
} // namespace

void CliPrompter::askText(const QString& title, const QString& prompt, const QString& defaultText,
                          std::function<void(std::optional<QString>)> done) {
    Cli::say(QStringLiteral("%1: %2 [answering %3]").arg(title, oneLine(prompt), defaultText));
    QTimer::singleShot(0, [done, defaultText] { done(defaultText); });
}

void CliPrompter::inform(const QString& title, const QString& text, Icon, std::function<void()> done) {
    Cli::say(QStringLiteral("%1: %2").arg(title, oneLine(text)));
    if (done)
        QTimer::singleShot(0, done);
}

void CliPrompter::confirm(const QString& title, const QString& text, Icon, std::function<void(bool)> done) {
    Cli::say(QStringLiteral("%1: %2 [answering Cancel]").arg(title, oneLine(text)));
    QTimer::singleShot(0, [done] { done(false); });
}
