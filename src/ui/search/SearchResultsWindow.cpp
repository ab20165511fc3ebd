#include "search/SearchResultsWindow.h"

#include "Prompter.h"
#include "search/OrvFreqs.h"
#include "search/SearchResultsSet.h"
#include "store/BackupSets.h"
#include "store/LocalDatabase.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

SearchResultsWindow::SearchResultsWindow(LocalDatabase& db, Prompter& prompter, const QString& appTitle,
                                         const QString& resultText, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_db(db)
    , m_prompter(prompter)
    , m_title(appTitle)
    , m_model(new QStandardItemModel(0, 7, this)) {
    setObjectName(QStringLiteral("frmSearchResults"));
    setWindowTitle(appTitle);
    setAttribute(Qt::WA_DeleteOnClose);
    m_model->setHorizontalHeaderLabels({QStringLiteral("FREQ"), QStringLiteral("CALLSIGN"),
                                        QStringLiteral("LICENSEE NAME"), QStringLiteral("RS"), QStringLiteral("CITY"),
                                        QStringLiteral("STATE"), QStringLiteral("COUNTY")});
    auto* caption = new QLabel(QStringLiteral("OrvFreqs Search Results"), this);
    caption->setObjectName(QStringLiteral("ssOrvFreqsCaption"));
    auto* grid = new QTableView(this);
    grid->setObjectName(QStringLiteral("ssOrvFreqs"));
    grid->setModel(m_model);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    m_text = new QPlainTextEdit(resultText, this);
    m_text->setObjectName(QStringLiteral("tbSearchResults"));
    m_text->setMaximumHeight(110);
    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    QPushButton* scan = button("btnSCANFREQS", QStringLiteral("SCAN FREQS"));
    QPushButton* save = button("btnSAVEFREQS", QStringLiteral("SAVE FREQS"));
    QPushButton* close = button("btnCLOSE", QStringLiteral("CLOSE"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(scan);
    buttons->addWidget(save);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(grid, 1);
    layout->addWidget(m_text);
    layout->addLayout(buttons);
    connect(save, &QPushButton::clicked, this, &SearchResultsWindow::onSave);
    connect(scan, &QPushButton::clicked, this, [this] { Q_EMIT scanRequested(m_rows); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    resize(760, 520);
    load();
}

void SearchResultsWindow::load() {
    const auto rows = OrvFreqs::read(m_db);
    if (!rows) {
        m_prompter.inform(m_title, QStringLiteral("The search results cannot be read from %1.").arg(m_db.path()),
                          Prompter::Icon::Warning);
        return;
    }
    m_rows = *rows;
    for (const TransmitterRow& row : m_rows) {
        QList<QStandardItem*> items;
        const QString freq = row.frequency.isNull() ? QString() : TransmitterRow::sfreqText(row.frequency.toDouble());
        for (const QString& text : {freq, row.callsign.toString(), row.licensee.toString(), row.service.toString(),
                                    row.city.toString(), row.state.toString(), row.county.toString()})
            items.append(new QStandardItem(text));
        m_model->appendRow(items);
    }
}

void SearchResultsWindow::onSave() {
    QPointer self(this);
    m_prompter.askText(QStringLiteral("Name This Backup"), SearchResultsSet::namePrompt(),
                       SearchResultsSet::defaultName(m_rows), [self](const std::optional<QString>& name) {
                           if (!self)
                               return;
                           // An empty answer or Cancel closes the window as CLOSE does; nothing is saved.
                           if (!name || name->isEmpty()) {
                               self->close();
                               return;
                           }
                           self->save(*name);
                       });
}

void SearchResultsWindow::save(const QString& name) {
    BackupSets sets(m_db);
    if (!SearchResultsSet::save(sets, name, m_rows)) {
        m_prompter.inform(m_title,
                          QStringLiteral("The backup set %1 could not be stored in %2.").arg(name, m_db.path()),
                          Prompter::Icon::Warning);
        return;
    }
    m_prompter.inform(QStringLiteral("Saved Freqs"), SearchResultsSet::savedText(name), Prompter::Icon::Information);
}
