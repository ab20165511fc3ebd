#include "search/RemoteFreqsWindow.h"

#include "search/RemoteSearch.h"
#include "shell/PleaseWaitWindow.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

RemoteFreqsWindow::RemoteFreqsWindow(LocalDatabase& db, Prompter& prompter, const QString& appTitle,
                                     const RemoteDbUrl& url, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_search(new RemoteSearch(db, prompter, appTitle, url, this))
    , m_wait(new PleaseWaitWindow(appTitle, this)) {
    setObjectName(QStringLiteral("frmRemoteFreqs"));
    setWindowTitle(appTitle);
    setAttribute(Qt::WA_DeleteOnClose);
    auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label("Label1", QStringLiteral("Select any or all of the search criteria below.")));
    layout->addWidget(label("Label2", QStringLiteral("(The more specific the search, the faster it will be)")));
    if (url.isSample()) {
        QLabel* sample = label("lblSample", sampleText());
        sample->setWordWrap(true);
        sample->setStyleSheet(QStringLiteral("color: #a04000; font-weight: bold"));
        layout->addWidget(sample);
    }
    auto* grid = new QGridLayout;
    m_state = new QComboBox(this);
    m_state->setObjectName(QStringLiteral("listSTATE"));
    m_state->addItems(RemoteSearch::stateCodes());
    m_service = new QComboBox(this);
    m_service->setObjectName(QStringLiteral("listSVC"));
    m_county = new QLineEdit(this);
    m_county->setObjectName(QStringLiteral("tbCOUNTY"));
    m_city = new QLineEdit(this);
    m_city->setObjectName(QStringLiteral("tbCITY"));
    grid->addWidget(label("Label3", QStringLiteral("Transmitter State:")), 0, 0);
    grid->addWidget(m_state, 0, 1);
    grid->addWidget(label("Label6", QStringLiteral("Service Code:")), 1, 0);
    grid->addWidget(m_service, 1, 1);
    grid->addWidget(label("Label4", QStringLiteral("Transmitter County:")), 2, 0);
    grid->addWidget(m_county, 2, 1);
    grid->addWidget(label("Label5", QStringLiteral("Transmitter City:")), 3, 0);
    grid->addWidget(m_city, 3, 1);
    layout->addLayout(grid);
    layout->addWidget(label("Label7", QStringLiteral("(The more specific the search, the faster it will be)")));
    auto* getFreqs = new QPushButton(QStringLiteral("GET FREQS"), this);
    getFreqs->setObjectName(QStringLiteral("btnGETFREQS"));
    getFreqs->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("CANCEL"), this);
    cancel->setObjectName(QStringLiteral("btnCANCEL"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(getFreqs);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(getFreqs, &QPushButton::clicked, this, &RemoteFreqsWindow::onGetFreqs);
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);
    connect(m_wait, &PleaseWaitWindow::cancelRequested, m_search, &RemoteSearch::cancelWait);
    connect(m_search, &RemoteSearch::waitingChanged, this, &RemoteFreqsWindow::onWaitingChanged);
    connect(m_search, &RemoteSearch::serviceCodesLoaded, this, &RemoteFreqsWindow::onServiceCodesLoaded);
    connect(m_search, &RemoteSearch::resultsReady, this, &RemoteFreqsWindow::resultsReady);
    connect(m_search, &RemoteSearch::finished, this, &QWidget::close);
}

RemoteFreqsWindow::~RemoteFreqsWindow() = default;

QString RemoteFreqsWindow::sampleText() {
    return QStringLiteral("SAMPLE DATA: a few fictitious transmitters built into Valdoria. Load real licences with "
                          "valdoria-cli import-uls and choose the database in Config / Transmitter Database.");
}

void RemoteFreqsWindow::start() {
    m_search->start();
}

void RemoteFreqsWindow::onServiceCodesLoaded(const QStringList& entries) {
    m_service->clear();
    m_service->addItems(entries);
    m_service->setCurrentIndex(entries.isEmpty() ? -1 : 0);
    m_state->setCurrentIndex(0);
    show();
    raise();
}

void RemoteFreqsWindow::onGetFreqs() {
    // The fields show what is searched for: county and city in capitals.
    m_county->setText(m_county->text().toUpper());
    m_city->setText(m_city->text().toUpper());
    m_search->search({m_state->currentText(), m_service->currentText(), m_county->text(), m_city->text()});
}

void RemoteFreqsWindow::onWaitingChanged(bool waiting) {
    if (waiting) {
        hide();
        m_wait->show();
        m_wait->raise();
        return;
    }
    m_wait->hide();
    if (m_service->count() > 0)
        show();
}
