#pragma once

#include "Prompter.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

/**
 * The Prompter for the windows: window-modal Qt dialogs opened with open(), never exec(); the
 * callback runs when the operator answers. A confirmation with a Warning or Critical icon guards
 * something that cannot be undone (wiping the scanner's memory): its default button is Cancel.
 */
class QtPrompter final : public Prompter {
public:
    explicit QtPrompter(QWidget* parent = nullptr);

    void setParent(QWidget* parent) { m_parent = parent; }

    void askText(const QString& title, const QString& prompt, const QString& defaultText,
                 std::function<void(std::optional<QString>)> done) override;
    void inform(const QString& title, const QString& text, Icon icon, std::function<void()> done = {}) override;
    void confirm(const QString& title, const QString& text, Icon icon, std::function<void(bool)> done) override;
    void askYesNo(const QString& title, const QString& text, Icon icon, std::function<void(bool)> done) override;

    static QMessageBox::Icon messageIcon(Icon icon);

private:
    QMessageBox* messageBox(const QString& title, const QString& text, Icon icon, QMessageBox::StandardButtons);

    QPointer<QWidget> m_parent;
};
