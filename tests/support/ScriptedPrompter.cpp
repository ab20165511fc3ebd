#include "ScriptedPrompter.h"

#include <QTimer>

bool ScriptedPrompter::acknowledgePending() {
    if (m_pending.isEmpty())
        return false;
    auto done = m_pending.takeFirst();
    if (done)
        done();
    return true;
}

int ScriptedPrompter::count(const QString& kind) const {
    int n = 0;
    for (const Call& c : m_calls)
        n += c.kind == kind;
    return n;
}

void ScriptedPrompter::askText(const QString& title, const QString& prompt, const QString& defaultText,
                               std::function<void(std::optional<QString>)> done) {
    m_calls.append({QStringLiteral("askText"), title, prompt, defaultText, Icon::Question});
    const std::optional<QString> answer = m_texts.isEmpty() ? std::nullopt : m_texts.takeFirst();
    QTimer::singleShot(0, [done, answer] {
        if (done)
            done(answer);
    });
}

void ScriptedPrompter::inform(const QString& title, const QString& text, Icon icon, std::function<void()> done) {
    m_calls.append({QStringLiteral("inform"), title, text, QString(), icon});
    if (!m_ackInform) {
        m_pending.append(done);
        return;
    }
    QTimer::singleShot(0, [done] {
        if (done)
            done();
    });
}

void ScriptedPrompter::confirm(const QString& title, const QString& text, Icon icon, std::function<void(bool)> done) {
    m_calls.append({QStringLiteral("confirm"), title, text, QString(), icon});
    const bool answer = m_confirms.isEmpty() ? false : m_confirms.takeFirst();
    QTimer::singleShot(0, [done, answer] {
        if (done)
            done(answer);
    });
}
