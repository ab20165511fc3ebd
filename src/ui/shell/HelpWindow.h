#pragma once

#include <QWidget>

class QTextBrowser;
class QTreeWidget;

/**
 * The manual, built into the program: its text on the right, its headings as a table of contents on
 * the left. A click on a heading, or showHeading(), brings that heading to the top of the text.
 */
class HelpWindow : public QWidget {
    Q_OBJECT

public:
    /// The manual in the program's resources.
    static QString manualResource();

    explicit HelpWindow(const QString& title, QWidget* parent = nullptr);

    /// Shows the section whose heading reads title (case does not matter); false when there is none.
    bool showHeading(const QString& title);
    /// The headings, in order, each indented two spaces per level below the first.
    QStringList contents() const;
    QTextBrowser* text() const { return m_text; }

private:
    void scrollToBlock(int blockNumber);

    QTextBrowser* m_text = nullptr;
    QTreeWidget* m_contents = nullptr;
};
