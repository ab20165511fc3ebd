#include "shell/QtPrompter.h"

#include <QInputDialog>

QtPrompter::QtPrompter(QWidget* parent)
    : m_parent(parent) {}

QMessageBox::Icon QtPrompter::messageIcon(Icon icon) {
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

void QtPrompter::askText(const QString& title, const QString& prompt, const QString& defaultText,
                         std::function<void(std::optional<QString>)> done) {
    auto* dialog = new QInputDialog(m_parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(title);
    dialog->setLabelText(prompt);
    dialog->setTextValue(defaultText);
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, done = std::move(done)](int result) {
        if (done)
            done(result == QDialog::Accepted ? std::optional<QString>(dialog->textValue()) : std::nullopt);
    });
    dialog->open();
}

QMessageBox* QtPrompter::messageBox(const QString& title, const QString& text, Icon icon,
                                    QMessageBox::StandardButtons buttons) {
    auto* box = new QMessageBox(messageIcon(icon), title, text, buttons, m_parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    return box;
}

void QtPrompter::inform(const QString& title, const QString& text, Icon icon, std::function<void()> done) {
    QMessageBox* box = messageBox(title, text, icon, QMessageBox::Ok);
    QObject::connect(box, &QDialog::finished, box, [done = std::move(done)](int) {
        if (done)
            done();
    });
    box->open();
}

void QtPrompter::confirm(const QString& title, const QString& text, Icon icon, std::function<void(bool)> done) {
    QMessageBox* box = messageBox(title, text, icon, QMessageBox::Ok | QMessageBox::Cancel);
    // An OK that cannot be undone takes a deliberate click; Enter alone answers Cancel.
    const bool dangerous = icon == Icon::Warning || icon == Icon::Critical;
    box->setDefaultButton(dangerous ? QMessageBox::Cancel : QMessageBox::Ok);
    box->setEscapeButton(QMessageBox::Cancel);
    QObject::connect(box, &QDialog::finished, box, [box, done = std::move(done)](int) {
        if (done)
            done(box->clickedButton() == box->button(QMessageBox::Ok));
    });
    box->open();
}

void QtPrompter::askYesNo(const QString& title, const QString& text, Icon icon, std::function<void(bool)> done) {
    QMessageBox* box = messageBox(title, text, icon, QMessageBox::Yes | QMessageBox::No);
    box->setDefaultButton(QMessageBox::Yes);
    box->setEscapeButton(QMessageBox::No);
    QObject::connect(box, &QDialog::finished, box, [box, done = std::move(done)](int) {
        if (done)
            done(box->clickedButton() == box->button(QMessageBox::Yes));
    });
    box->open();
}
