#pragma once

#include <QWidget>

/**
 * frmAbout: the product title, the version line, the system the program runs on and a link to
 * the product page. Not modal; OK closes it.
 */
class AboutWindow : public QWidget {
    Q_OBJECT

public:
    AboutWindow(const QString& appTitle, const QString& buildDateText, QWidget* parent = nullptr);

    /// "Running On: " and the operating system's name.
    static QString runningOnText();
};
