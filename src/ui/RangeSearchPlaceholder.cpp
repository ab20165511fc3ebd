#include "RangeSearchPlaceholder.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

RangeSearchPlaceholder::RangeSearchPlaceholder(const QString& appTitle, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmSearchRange"));
    setWindowTitle(appTitle);
    auto* text = new QLabel(tr("The range search between two frequencies is not available in this version yet.\n"
                               "The scanner is in search mode; press Back to return to the faceplate."),
                            this);
    text->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* back = buttons->addButton(tr("Back to faceplate"), QDialogButtonBox::AcceptRole);
    back->setObjectName(QStringLiteral("btnBack"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    // Closing the window any way at all gives the scanner back.
    connect(this, &QDialog::finished, this, &RangeSearchPlaceholder::handBack);
}
