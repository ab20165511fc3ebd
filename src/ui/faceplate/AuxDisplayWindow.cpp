#include "faceplate/AuxDisplayWindow.h"

#include "faceplate/FaceplateDisplayWidget.h"
#include "monitor/DisplayModel.h"

#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int kLines = 8;
}

AuxDisplayWindow::AuxDisplayWindow(DisplayModel& aux, const QString& title, QWidget* anchor)
    : QWidget(nullptr)
    , m_aux(aux)
    , m_anchor(anchor) {
    setObjectName(QStringLiteral("frmAuxDisplay"));
    setWindowTitle(title);
    setAttribute(Qt::WA_StyledBackground);
    const QColor back = QColor::fromRgb(DisplayModel::toRgb(FaceplateDisplayWidget::kLcdBack));
    const QColor fore = QColor::fromRgb(DisplayModel::toRgb(FaceplateDisplayWidget::kLcdFore));
    setStyleSheet(QStringLiteral("#frmAuxDisplay { background: #1c1d20; }"
                                 "QLabel { background: %1; color: %2; border: 1px solid #0b0b0b;"
                                 " border-radius: 4px; padding: 3px 8px; font-family: \"%3\";"
                                 " font-size: 15px; font-weight: bold; }")
                      .arg(back.name(), fore.name(), FaceplateDisplayWidget::fontFamily()));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(4);
    for (int i = 1; i <= kLines; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(DisplayModel::element(QStringLiteral("Text2"), i));
        label->setTextFormat(Qt::PlainText);
        label->setMinimumWidth(420);
        m_lines.append(label);
        layout->addWidget(label);
        refresh(label->objectName());
    }
    connect(&m_aux, &DisplayModel::fieldChanged, this, &AuxDisplayWindow::refresh);
    connect(&m_aux, &DisplayModel::windowVisibleChanged, this, &AuxDisplayWindow::onWindowVisibleChanged);
    onWindowVisibleChanged(m_aux.windowVisible());
}

QPoint AuxDisplayWindow::placementBeside(const QRect& anchor, const QSize& size, const QRect& screen) {
    if (anchor.right() + 1 + size.width() <= screen.right() + 1)
        return {anchor.right() + 1, anchor.top()};
    if (anchor.bottom() + 1 + size.height() <= screen.bottom() + 1)
        return {anchor.left(), anchor.bottom() + 1};
    return anchor.topLeft();
}

void AuxDisplayWindow::refresh(const QString& name) {
    for (QLabel* label : m_lines) {
        if (label->objectName() != name)
            continue;
        label->setText(m_aux.text(name));
        label->setVisible(!m_aux.hasField(name) || m_aux.isVisible(name));
    }
}

void AuxDisplayWindow::onWindowVisibleChanged(bool visible) {
    if (!visible) {
        hide();
        return;
    }
    if (isVisible())
        return;
    adjustSize();
    if (m_anchor) {
        QScreen* screen = m_anchor->screen();
        const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
        move(placementBeside(m_anchor->frameGeometry(), frameGeometry().size(), available));
    }
    show();
    raise();
}

void AuxDisplayWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    m_aux.setWindowVisible(false);
}
