#pragma once

#include "Prompter.h"

/**
 * The session's questions on a machine without a window: each question and message goes to stderr
 * and is answered at once with its default (an input box takes its default text, OK/Cancel answers
 * Cancel, so nothing destructive happens unattended). Answers still arrive from the event loop.
 */
class CliPrompter : public Prompter {
public:
    void askText(const QString& title, const QString& prompt, const QString& defaultText,
                 std::function<void(std::optional<QString>)> done) override;
    void inform(const QString& title, const QString& text, Icon icon, std::function<void()> done = {}) override;
    void confirm(const QString& title, const QString& text, Icon icon, std::function<void(bool)> done) override;
};
