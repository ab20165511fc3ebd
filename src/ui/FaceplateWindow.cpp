#include "FaceplateWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>

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
