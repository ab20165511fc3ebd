#include "shell/PleaseWaitWindow.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

PleaseWaitWindow::PleaseWaitWindow(const QString& appTitle, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmPleaseWait"));
    setWindowTitle(appTitle);
    auto* label = new QLabel(QStringLiteral("PLEASE WAIT..."), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setAlignment(Qt::AlignCenter);
    // A bar with no range keeps moving on its own, so a slow server still shows the program alive.
    auto* bar = new QProgressBar(this);
    bar->setObjectName(QStringLiteral("barBusy"));
    bar->setRange(0, 0);
    bar->setTextVisible(false);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("btnCANCEL"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(bar);
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
    connect(cancel, &QPushButton::clicked, this, &PleaseWaitWindow::cancelRequested);
    // Escape or the window's close box mean Cancel as well.
    connect(this, &QDialog::rejected, this, &PleaseWaitWindow::cancelRequested);
    setMinimumWidth(260);
}
