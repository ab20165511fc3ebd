#include "shell/HelpWindow.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {
constexpr int kBlockRole = Qt::UserRole;
} // namespace

QString HelpWindow::manualResource() {
    return QStringLiteral(":/manual/manual.md");
}

HelpWindow::HelpWindow(const QString& title, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(title);
    m_contents = new QTreeWidget(this);
    m_contents->setObjectName(QStringLiteral("treeContents"));
    m_contents->setHeaderHidden(true);
    m_contents->setRootIsDecorated(false);
    m_text = new QTextBrowser(this);
    m_text->setObjectName(QStringLiteral("txtManual"));
    m_text->setOpenExternalLinks(true);

    QFile manual(manualResource());
    if (manual.open(QIODevice::ReadOnly))
        m_text->setMarkdown(QString::fromUtf8(manual.readAll()));
    else
        m_text->setPlainText(tr("The manual is missing from this build of the program."));

    // The table of contents is the document's own headings, so it never disagrees with the text.
    QList<std::pair<int, QTreeWidgetItem*>> open; // the headings a deeper one goes under, with their levels
    for (QTextBlock block = m_text->document()->begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level <= 0)
            continue;
        auto* item = new QTreeWidgetItem({block.text()});
        item->setData(0, kBlockRole, block.blockNumber());
        while (!open.isEmpty() && open.last().first >= level)
            open.removeLast();
        if (open.isEmpty())
            m_contents->addTopLevelItem(item);
        else
            open.last().second->addChild(item);
        open.append({level, item});
    }
    m_contents->expandAll();
    m_contents->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(m_contents);
    split->addWidget(m_text);
    split->setStretchFactor(1, 1);
    split->setSizes({fontMetrics().averageCharWidth() * 30, fontMetrics().averageCharWidth() * 80});
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(split);
    resize(fontMetrics().averageCharWidth() * 120, fontMetrics().height() * 40);

    connect(m_contents, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { scrollToBlock(item->data(0, kBlockRole).toInt()); });
}

bool HelpWindow::showHeading(const QString& title) {
    for (QTreeWidgetItemIterator it(m_contents); *it; ++it) {
        if ((*it)->text(0).compare(title, Qt::CaseInsensitive) == 0) {
            m_contents->setCurrentItem(*it);
            scrollToBlock((*it)->data(0, kBlockRole).toInt());
            return true;
        }
    }
    return false;
}

QStringList HelpWindow::contents() const {
    QStringList headings;
    for (QTreeWidgetItemIterator it(m_contents); *it; ++it) {
        int depth = 0;
        for (QTreeWidgetItem* up = (*it)->parent(); up; up = up->parent())
            ++depth;
        headings << QString(depth * 2, QLatin1Char(' ')) + (*it)->text(0);
    }
    return headings;
}

void HelpWindow::scrollToBlock(int blockNumber) {
    const QTextBlock block = m_text->document()->findBlockByNumber(blockNumber);
    if (!block.isValid())
        return;
    // From the end back to the heading: the view scrolls up just far enough to put the heading at its top.
    QTextCursor cursor(m_text->document());
    cursor.movePosition(QTextCursor::End);
    m_text->setTextCursor(cursor);
    m_text->ensureCursorVisible();
    m_text->setTextCursor(QTextCursor(block));
    m_text->ensureCursorVisible();
}
