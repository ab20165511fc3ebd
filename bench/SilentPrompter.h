#pragma once

#include "Prompter.h"

/// Nobody answers: a benchmark has no operator.
class SilentPrompter final : public Prompter {
public:
    void askText(const QString&, const QString&, const QString&, std::function<void(std::optional<QString>)>) override {
    }
    void inform(const QString&, const QString&, Icon, std::function<void()>) override {}
    void confirm(const QString&, const QString&, Icon, std::function<void(bool)>) override {}
};
