#include "faceplate/FaceplateWindow.h"

#include "faceplate/FaceplateMenus.h"
#include "faceplate/LampWidget.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

FaceplateWindow::FaceplateWindow(QWidget* parent)
    : QMainWindow(parent) {
    // The faceplate sees every key before its controls do (see eventFilter).
    qApp->installEventFilter(this);
}

FaceplateWindow::~FaceplateWindow() {
    qApp->removeEventFilter(this);
}

bool FaceplateWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return QMainWindow::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    // Keys for this window only: its menus and dialogs are windows of their own and keep theirs.
    if (!widget || (widget != this && !isAncestorOf(widget)))
        return QMainWindow::eventFilter(watched, event);
    if (type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        Q_EMIT keyDown(key->key(), key->modifiers());
        if (!key->text().isEmpty())
            Q_EMIT keyPress(key->text());
    }
    // Swallowed: no text box is typed into and no key is pressed by Space or Enter.
    return true;
}

void FaceplateWindow::closeEvent(QCloseEvent* event) {
    Q_EMIT closing();
    event->accept();
}

FaceplateWindow::Frame FaceplateWindow::buildFrame(const char* styleSheet, const QString& brand,
                                                   const QString& modelName, int bezelMargin) {
    auto* body = new QWidget(this);
    body->setObjectName(QStringLiteral("faceplateBody"));
    body->setAttribute(Qt::WA_StyledBackground);
    body->setStyleSheet(QString::fromLatin1(styleSheet));
    setCentralWidget(body);

    auto* header = new QHBoxLayout;
    header->addWidget(caption(brand, body, QStringLiteral("brand")));
    header->addStretch();
    header->addWidget(caption(modelName, body, QStringLiteral("modelName")));

    auto* bezel = new QWidget(body);
    bezel->setObjectName(QStringLiteral("bezel"));
    bezel->setAttribute(Qt::WA_StyledBackground);
    auto* bezelLayout = new QVBoxLayout(bezel);
    bezelLayout->setContentsMargins(bezelMargin, bezelMargin, bezelMargin, bezelMargin);
    return {body, header, bezel, bezelLayout};
}

QLabel* FaceplateWindow::caption(const QString& text, QWidget* parent, const QString& name) {
    auto* label = new QLabel(text, parent);
    if (!name.isEmpty())
        label->setObjectName(name);
    return label;
}

void FaceplateWindow::addLinkLamps(QWidget* row, QHBoxLayout* layout) {
    const char* const lamps[][3] = {{"lampBuffer", "Label7", "BUFFER"},
                                    {"lampCTS", "", ""},
                                    {"lampDSR", "Label8", "CTS / DSR"},
                                    {"lampPort", "Label9", "PORT"}};
    for (const auto& [lampName, labelName, text] : lamps) {
        auto* lamp = new LampWidget(QLatin1String(lampName), row);
        m_lamps.insert(QLatin1String(lampName), lamp);
        layout->addWidget(lamp);
        if (*labelName) {
            QLabel* label = caption(QLatin1String(text), row, QLatin1String(labelName));
            m_lampLabels.insert(QLatin1String(labelName), label);
            layout->addWidget(label);
            layout->addSpacing(10);
        }
    }
}

void FaceplateWindow::setLamp(const QString& name, bool lit, const QString& tooltip) {
    if (LampWidget* lamp = m_lamps.value(name)) {
        lamp->setLit(lit);
        lamp->setToolTip(tooltip);
    }
}

void FaceplateWindow::setLabelTooltip(const QString& name, const QString& text) {
    if (QLabel* label = m_lampLabels.value(name))
        label->setToolTip(text);
}

void FaceplateWindow::setCompanionAvailable(bool available) {
    m_menus->action(QStringLiteral("LoadPellwick"))->setEnabled(available);
}
