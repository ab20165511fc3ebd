#pragma once

#include <QString>
#include <QUrl>

class QLabel;

/**
 * The product's page that the splash and About windows link to: the user's manual shipped with
 * the program (a local file, so a click never leaves the machine).
 */
class ProductPage {
public:
    static QUrl url();
    /// Makes a label a link to the page, opened in the desktop's browser or viewer when clicked.
    static void linkLabel(QLabel* label, const QString& text);
};
