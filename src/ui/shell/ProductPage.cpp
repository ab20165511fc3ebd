#include "shell/ProductPage.h"

#include "shell/StartupInfo.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcUi, "valdoria.ui")

QUrl ProductPage::url() {
    const QString folder = StartupInfo::manualFolder(QCoreApplication::applicationDirPath());
    return QUrl::fromLocalFile(QDir(folder).filePath(StartupInfo::manualFileName()));
}

void ProductPage::linkLabel(QLabel* label, const QString& text) {
    label->setText(QStringLiteral("<a href=\"%1\">%2</a>").arg(url().toString(), text.toHtmlEscaped()));
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    label->setOpenExternalLinks(false);
    QObject::connect(label, &QLabel::linkActivated, label, [](const QString& link) {
        if (!QDesktopServices::openUrl(QUrl(link)))
            qCWarning(lcUi) << "could not open" << link;
    });
}
