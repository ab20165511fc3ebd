#include "search/TransmitterDbDialog.h"

#include "Settings.h"
#include "search/RemoteDbUrl.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

TransmitterDbDialog::TransmitterDbDialog(Settings& settings, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings) {
    setObjectName(QStringLiteral("frmTransmitterDb"));
    setWindowTitle(QStringLiteral("Transmitter Database"));
    auto* help = new QLabel(
        QStringLiteral("Where Freq Mgmt / Connect to OrvFreqs searches for transmitters:\n"
                       "  postgresql://user@host:5432/dbname   (or ?host=/socket/folder)\n"
                       "  odbc:DRIVER={ODBC Driver 18 for SQL Server};SERVER=host;DATABASE=name;UID=user\n"
                       "  sqlite:/path/to/transmitters.sqlite\n"
                       "Leave it empty for the built-in sample. valdoria-cli import-uls fills a database from the "
                       "public licence files."),
        this);
    help->setObjectName(QStringLiteral("lblHelp"));
    help->setWordWrap(true);
    m_url = new QLineEdit(this);
    m_url->setObjectName(QStringLiteral("tbUrl"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("tbPassword"));
    m_password->setEchoMode(QLineEdit::Password);
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("lblProblem"));
    m_problem->setStyleSheet(QStringLiteral("color: #b00000"));
    if (const auto stored = RemoteDbUrl::parse(settings.remoteDb())) {
        m_url->setText(stored->withoutPassword());
        m_password->setText(stored->password());
    } else {
        m_url->setText(settings.remoteDb());
    }
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Database:"), m_url);
    form->addRow(QStringLiteral("Password:"), m_password);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(help);
    layout->addLayout(form);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    setMinimumWidth(560);
}

void TransmitterDbDialog::accept() {
    QString error;
    const auto url = RemoteDbUrl::parse(m_url->text(), &error);
    if (!url) {
        m_problem->setText(error);
        return;
    }
    m_settings.setRemoteDb(url->isSample() ? QString() : url->withPassword(m_password->text()));
    QDialog::accept();
}
