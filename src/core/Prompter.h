#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

/**
 * Every question and message the core puts to the operator. Calls return at once; the answer
 * arrives through the callback, later, from the event loop (the UI shows non-blocking dialogs,
 * tests answer from a script). Nothing in the core waits for an answer by spinning.
 */
class Prompter {
public:
    enum class Icon { Information, Warning, Critical, Question };

    virtual ~Prompter() = default;

    /// An input box. The callback gets the text typed, or no value when the operator cancelled.
    virtual void askText(const QString& title, const QString& prompt, const QString& defaultText,
                         std::function<void(std::optional<QString>)> done) = 0;
    /// A message box with one OK button. The callback runs when it has been acknowledged.
    virtual void inform(const QString& title, const QString& text, Icon icon, std::function<void()> done = {}) = 0;
    /// A message box with OK and Cancel. The callback gets true for OK.
    virtual void confirm(const QString& title, const QString& text, Icon icon, std::function<void(bool)> done) = 0;
    /// A question with Yes and No buttons. The callback gets true for Yes. Without a box of its own, an OK
    /// and Cancel box stands in.
    virtual void askYesNo(const QString& title, const QString& text, Icon icon, std::function<void(bool)> done) {
        confirm(title, text, icon, std::move(done));
    }
};
