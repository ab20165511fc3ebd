#pragma once

#include "Prompter.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <optional>

/**
 * A Prompter that answers from a script. Every call is recorded; askText() takes the next
 * scripted answer (no value = cancel), confirm() the next scripted yes/no. Answers are given
 * from the event loop, as a real dialog would. When the script runs dry, askText() cancels
 * and confirm() says no.
 */
class ScriptedPrompter final : public Prompter {
public:
    struct Call {
        QString kind; ///< "askText", "inform" or "confirm"
        QString title;
        QString text;
        QString defaultText;
        Icon icon = Icon::Information;
    };

    void queueText(const std::optional<QString>& answer) { m_texts.append(answer); }
    void queueConfirm(bool answer) { m_confirms.append(answer); }
    /// When false, inform() records the call but never acknowledges it (an unanswered box).
    void setAcknowledgeInform(bool on) { m_ackInform = on; }
    /// Acknowledges the oldest unanswered inform() box.
    bool acknowledgePending() {
        if (m_pending.isEmpty())
            return false;
        if (const auto done = m_pending.takeFirst())
            done();
        return true;
    }

    const QList<Call>& calls() const { return m_calls; }
    int count(const QString& kind) const {
        return int(std::count_if(m_calls.cbegin(), m_calls.cend(), [&](const Call& c) { return c.kind == kind; }));
    }

    void askText(const QString& title, const QString& prompt, const QString& defaultText,
                 std::function<void(std::optional<QString>)> done) override {
        m_calls.append({QStringLiteral("askText"), title, prompt, defaultText, Icon::Question});
        later(done, m_texts.isEmpty() ? std::nullopt : m_texts.takeFirst());
    }
    void inform(const QString& title, const QString& text, Icon icon, std::function<void()> done = {}) override {
        m_calls.append({QStringLiteral("inform"), title, text, QString(), icon});
        if (m_ackInform)
            later(done);
        else
            m_pending.append(done);
    }
    void confirm(const QString& title, const QString& text, Icon icon, std::function<void(bool)> done) override {
        m_calls.append({QStringLiteral("confirm"), title, text, QString(), icon});
        later(done, !m_confirms.isEmpty() && m_confirms.takeFirst());
    }

private:
    /// Calls done (if any) with the answer from the event loop.
    template <typename Done, typename... Answer> static void later(const Done& done, Answer... answer) {
        if (done)
            QTimer::singleShot(0, [done, answer...] { done(answer...); });
    }

    QList<std::optional<QString>> m_texts;
    QList<bool> m_confirms;
    QList<Call> m_calls;
    QList<std::function<void()>> m_pending;
    bool m_ackInform = true;
};
