#include "shell/AboutWindow.h"

#include "shell/ProductPage.h"
#include "shell/ProgramIcon.h"
#include "shell/StartupInfo.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>

AboutWindow::AboutWindow(const QString& appTitle, const QString& buildDateText, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ") + appTitle);
    setWindowModality(Qt::NonModal);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(8);
    auto add = [&](const QString& name, const QString& text) {
        auto* label = new QLabel(text, this);
        label->setObjectName(name);
        layout->addWidget(label);
        return label;
    };
    // The program's own icon beside its name, as in the desktop menu.
    auto* head = new QHBoxLayout;
    head->setSpacing(12);
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("imgIcon"));
    icon->setPixmap(ProgramIcon::icon().pixmap(64, 64));
    head->addWidget(icon);
    auto* title = new QLabel(appTitle, this);
    title->setObjectName(QStringLiteral("Label1"));
    QFont big = title->font();
    big.setPixelSize(22);
    big.setBold(true);
    title->setFont(big);
    head->addWidget(title, 1);
    layout->addLayout(head);
    add(QStringLiteral("Label4"), StartupInfo::versionLine(buildDateText));
    add(QStringLiteral("lblRunningOn"), runningOnText());
    ProductPage::linkLabel(add(QStringLiteral("Label5"), {}), QStringLiteral("Valdoria user's manual"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOk"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    layout->addLayout(buttons);
}

QString AboutWindow::runningOnText() {
    return QStringLiteral("Running On: ") + QSysInfo::prettyProductName();
}
