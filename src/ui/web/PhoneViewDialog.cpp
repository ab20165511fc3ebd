#include "web/PhoneViewDialog.h"

#include "remote/WebServer.h"
#include "session/Session.h"
#include "web/QrCode.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

PhoneViewDialog::PhoneViewDialog(Session& session, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("PhoneViewDialog"));
    setWindowTitle(tr("Phone View"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(this);
    intro->setObjectName(QStringLiteral("intro"));
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    WebServer& web = session.web();
    if (!web.isListening()) {
        intro->setText(tr("The phone view is off. Start Valdoria with --web-port 8080 (or set Web_Port in the "
                          "settings) and open this window again: it will show the address and a code to scan."));
        layout->addWidget(buttons);
        return;
    }
    // The token is made the first time anyone asks for it.
    session.webToken();
    intro->setText(tr("Scan the code with a phone on the same network, or open the address in a browser. The "
                      "address holds the key that lets the page press the scanner's keys: share it only with "
                      "people who may. Watching from this computer needs no key."));
    m_url = new QLineEdit(web.pageUrl(true), this);
    m_url->setObjectName(QStringLiteral("url"));
    m_url->setReadOnly(true);
    layout->addWidget(m_url);
    m_code = new QLabel(this);
    m_code->setObjectName(QStringLiteral("qrcode"));
    m_code->setAlignment(Qt::AlignCenter);
    m_code->setPixmap(QPixmap::fromImage(QrCode::image(m_url->text())));
    layout->addWidget(m_code);
    QPushButton* copy = buttons->addButton(tr("Copy Address"), QDialogButtonBox::ActionRole);
    connect(copy, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(m_url->text()); });
    layout->addWidget(buttons);
}

QString PhoneViewDialog::url() const {
    return m_url ? m_url->text() : QString();
}
