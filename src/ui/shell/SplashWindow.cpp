#include "shell/SplashWindow.h"

#include "shell/ProductPage.h"
#include "shell/StartupInfo.h"
#include "state/ScannerProfile.h"

#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace {
QLabel* addLabel(QVBoxLayout* layout, QWidget* parent, const QString& name, const QString& text, int pixelSize,
                 bool bold = true) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    label->setFont(font);
    layout->addWidget(label);
    return label;
}
} // namespace

SplashWindow::SplashWindow(int scannerModel, const QString& appTitle, const QString& buildDateText, int durationMs,
                           QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("#frmSplash { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
                                 " stop:0 #2f3035, stop:1 #121214); border: 2px solid #6b6c70; }"
                                 "QLabel { color: #e9e9e9; } #lblOnlineData { color: #f0a848; }"
                                 "#lblModel { color: #b7d79a; } a { color: #9cc4ff; }"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 30, 40, 24);
    layout->setSpacing(10);

    const auto [maker, model] = scannerNames(scannerModel);
    addLabel(layout, this, QStringLiteral("lblProductName1"), appTitle, 30);
    addLabel(layout, this, QStringLiteral("lblOnlineData"), QStringLiteral("Online Data Search Option ENABLED"), 14);
    layout->addSpacing(8);
    addLabel(layout, this, QStringLiteral("lblManuf"), maker, 20, false);
    addLabel(layout, this, QStringLiteral("lblModel"), model, 26);
    layout->addSpacing(8);
    addLabel(layout, this, QStringLiteral("lblVersion1"), StartupInfo::versionLine(buildDateText), 13, false);
    QLabel* site = addLabel(layout, this, QStringLiteral("LblWebSite"), {}, 12, false);
    ProductPage::linkLabel(site, QStringLiteral("Valdoria user's manual"));

    m_timer.setSingleShot(true);
    m_timer.setInterval(durationMs);
    connect(&m_timer, &QTimer::timeout, this, &SplashWindow::finished);
}

std::pair<QString, QString> SplashWindow::scannerNames(int scannerModel) {
    const ScannerProfile& profile = ScannerProfile::forModel(quint8(scannerModel));
    return {profile.maker, profile.splashName};
}

void SplashWindow::start() {
    show();
    raise();
    m_timer.start();
}

void SplashWindow::keyPressEvent(QKeyEvent* event) {
    event->accept();
}
