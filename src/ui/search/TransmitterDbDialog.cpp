#include "search/TransmitterDbDialog.h"

#include "Settings.h"
#include "search/RemoteDbUrl.h"
#include "search/TransmitterDatabase.h"
#include "search/TransmitterQuery.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
constexpr int kPostgresPort = 5432;

QLineEdit* field(const char* name, QWidget* parent, bool secret = false) {
    auto* f = new QLineEdit(parent);
    f->setObjectName(QLatin1String(name));
    if (secret)
        f->setEchoMode(QLineEdit::Password);
    return f;
}

QWidget* page(QWidget* parent, QFormLayout** form, const QString& note) {
    auto* w = new QWidget(parent);
    *form = new QFormLayout(w);
    (*form)->setContentsMargins(0, 0, 0, 0);
    if (!note.isEmpty()) {
        auto* label = new QLabel(note, w);
        label->setWordWrap(true);
        (*form)->addRow(label);
    }
    return w;
}
} // namespace

TransmitterDbDialog::TransmitterDbDialog(Settings& settings, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings) {
    setObjectName(QStringLiteral("frmTransmitterDb"));
    setWindowTitle(tr("Transmitter Database"));
    auto* intro = new QLabel(tr("Where Freq Mgmt / Connect to OrvFreqs searches for transmitters. valdoria-cli "
                                "import-uls fills a database from the public licence files."),
                             this);
    intro->setWordWrap(true);
    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("listKind"));
    m_kind->addItems(
        {tr("The built-in sample"), tr("An SQLite file"), tr("A PostgreSQL server"), tr("An ODBC data source")});
    m_pages = new QStackedWidget(this);

    QFormLayout* form = nullptr;
    m_pages->addWidget(page(m_pages, &form,
                            tr("A small sample of transmitters that comes with the program, for trying the "
                               "search out.")));

    QWidget* sqlite = page(m_pages, &form, {});
    m_file = field("tbFile", sqlite);
    auto* browseButton = new QPushButton(tr("Browse..."), sqlite);
    browseButton->setObjectName(QStringLiteral("btnBrowse"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(browseButton);
    form->addRow(tr("File:"), fileRow);
    m_pages->addWidget(sqlite);

    QWidget* postgres = page(m_pages, &form, {});
    m_host = field("tbHost", postgres);
    m_host->setPlaceholderText(tr("localhost, a server name, or a socket folder"));
    m_port = new QSpinBox(postgres);
    m_port->setObjectName(QStringLiteral("tbPort"));
    m_port->setRange(1, 65535);
    m_port->setValue(kPostgresPort);
    m_database = field("tbDatabase", postgres);
    m_user = field("tbUser", postgres);
    m_password = field("tbPassword", postgres, true);
    form->addRow(tr("Host:"), m_host);
    form->addRow(tr("Port:"), m_port);
    form->addRow(tr("Database:"), m_database);
    form->addRow(tr("User:"), m_user);
    form->addRow(tr("Password:"), m_password);
    m_pages->addWidget(postgres);

    QWidget* odbc = page(m_pages, &form, {});
    m_source = field("tbDataSource", odbc);
    m_source->setPlaceholderText(tr("a data source name from odbc.ini, or a connection string"));
    m_odbcUser = field("tbOdbcUser", odbc);
    m_odbcPassword = field("tbOdbcPassword", odbc, true);
    form->addRow(tr("Data source:"), m_source);
    form->addRow(tr("User:"), m_odbcUser);
    form->addRow(tr("Password:"), m_odbcPassword);
    m_pages->addWidget(odbc);

    m_test = new QPushButton(tr("Test"), this);
    m_test->setObjectName(QStringLiteral("btnTest"));
    m_test->setAutoDefault(false);
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("lblTestResult"));
    m_result->setWordWrap(true);
    auto* testRow = new QHBoxLayout;
    testRow->addWidget(m_test, 0, Qt::AlignTop);
    testRow->addWidget(m_result, 1);
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("lblProblem"));
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("color: #b00000"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    auto* kindForm = new QFormLayout;
    kindForm->addRow(tr("Transmitters come from:"), m_kind);
    layout->addLayout(kindForm);
    layout->addWidget(m_pages);
    layout->addLayout(testRow);
    layout->addWidget(m_problem);
    layout->addStretch();
    layout->addWidget(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 72);

    m_query = new TransmitterQuery(this);
    connect(m_kind, &QComboBox::currentIndexChanged, m_pages, &QStackedWidget::setCurrentIndex);
    connect(m_kind, &QComboBox::currentIndexChanged, this, [this] {
        m_query->cancel();
        m_result->clear();
        m_problem->clear();
        m_test->setEnabled(true);
    });
    connect(browseButton, &QPushButton::clicked, this, &TransmitterDbDialog::browse);
    connect(m_test, &QPushButton::clicked, this, &TransmitterDbDialog::onTest);
    connect(m_query, &TransmitterQuery::counted, this, [this](int count) {
        m_test->setEnabled(true);
        m_result->setText(count == 1 ? tr("Connected: it holds 1 transmitter.")
                                     : tr("Connected: it holds %1 transmitters.").arg(count));
    });
    connect(m_query, &TransmitterQuery::failed, this, [this](const QString& message) {
        m_test->setEnabled(true);
        m_result->setText(message);
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    load(settings.remoteDb());
}

TransmitterDbDialog::~TransmitterDbDialog() {
    // A test still connecting finishes on its own thread; its answer is dropped.
    m_query->cancel();
}

void TransmitterDbDialog::load(const QString& stored) {
    const auto url = RemoteDbUrl::parse(stored);
    if (!url) {
        // A setting the dialog cannot read: shown as an ODBC connection string to mend or replace.
        m_kind->setCurrentIndex(Odbc);
        m_source->setText(stored);
        return;
    }
    switch (url->kind()) {
    case RemoteDbUrl::Kind::Sample:
        m_kind->setCurrentIndex(Sample);
        break;
    case RemoteDbUrl::Kind::Sqlite:
        m_kind->setCurrentIndex(SqliteFile);
        m_file->setText(url->databaseName());
        break;
    case RemoteDbUrl::Kind::Postgres:
        m_kind->setCurrentIndex(Postgres);
        m_host->setText(url->host());
        m_port->setValue(url->port() > 0 ? url->port() : kPostgresPort);
        m_database->setText(url->databaseName());
        m_user->setText(url->userName());
        m_password->setText(url->password());
        break;
    case RemoteDbUrl::Kind::Odbc: {
        m_kind->setCurrentIndex(Odbc);
        const QString connection = url->withoutPassword().mid(int(qstrlen("odbc:")));
        // "DSN=name;UID=user" reads back into its fields; anything else stays a connection string.
        static const QRegularExpression simple(QStringLiteral(R"(^DSN=([^;=]*)(?:;UID=([^;=]*))?$)"),
                                               QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch match = simple.match(connection);
        m_source->setText(match.hasMatch() ? match.captured(1) : connection);
        m_odbcUser->setText(match.hasMatch() ? match.captured(2) : QString());
        m_odbcPassword->setText(url->password());
        break;
    }
    }
}

QString TransmitterDbDialog::chosenUrl(QString* why) const {
    const auto refuse = [why](const QString& reason) {
        if (why)
            *why = reason;
        return QString();
    };
    switch (m_kind->currentIndex()) {
    case SqliteFile: {
        const QString path = m_file->text().trimmed();
        if (path.isEmpty())
            return refuse(tr("Choose the SQLite file."));
        if (!QFileInfo(path).isFile())
            return refuse(tr("There is no file %1.").arg(path));
        return RemoteDbUrl::sqliteText(QFileInfo(path).absoluteFilePath());
    }
    case Postgres:
        if (m_database->text().trimmed().isEmpty())
            return refuse(tr("Name the database on the PostgreSQL server."));
        return RemoteDbUrl::postgresText(m_host->text().trimmed(), m_port->value(), m_database->text().trimmed(),
                                         m_user->text().trimmed(), m_password->text());
    case Odbc:
        if (m_source->text().trimmed().isEmpty())
            return refuse(tr("Name the ODBC data source."));
        return RemoteDbUrl::odbcText(m_source->text(), m_odbcUser->text().trimmed(), m_odbcPassword->text());
    default:
        return QStringLiteral("");
    }
}

void TransmitterDbDialog::onTest() {
    QString why;
    const QString text = chosenUrl(&why);
    QString error;
    const auto url = text.isNull() ? std::nullopt : RemoteDbUrl::parse(text, &error);
    if (!url) {
        m_result->setText(why.isEmpty() ? error : why);
        return;
    }
    m_test->setEnabled(false);
    m_result->setText(tr("Connecting to %1 ...").arg(url->displayName()));
    m_query->countTransmitters(*url);
}

void TransmitterDbDialog::browse() {
    auto* dialog = new QFileDialog(this, tr("Transmitter database file"), QFileInfo(m_file->text()).absolutePath(),
                                   tr("SQLite databases (*.sqlite *.sqlite3 *.db);;All files (*)"));
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, m_file, &QLineEdit::setText);
    dialog->open();
}

void TransmitterDbDialog::accept() {
    QString why;
    const QString text = chosenUrl(&why);
    QString error;
    const auto url = text.isNull() ? std::nullopt : RemoteDbUrl::parse(text, &error);
    if (!url) {
        m_problem->setText(why.isEmpty() ? error : why);
        return;
    }
    if (url->kind() == RemoteDbUrl::Kind::Sqlite) {
        // A local file answers at once: one that holds no transmitter table would only fail at search time.
        TransmitterDatabase file(*url);
        if (!file.countTransmitters()) {
            m_problem->setText(file.error());
            return;
        }
    }
    m_settings.setRemoteDb(text);
    QDialog::accept();
}
