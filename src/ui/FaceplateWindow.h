#pragma once

#include <QMainWindow>
#include <QString>

class FaceplateMenus;

/**
 * What every faceplate window offers the controller: it reports key clicks, menu choices and
 * every key typed while it has the focus (no control of the window ever sees a key), and it shows
 * the link lamps. frmPro2052 and frmBC780XLT differ only in their display and keys.
 */
class FaceplateWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit FaceplateWindow(QWidget* parent = nullptr);
    ~FaceplateWindow() override;

    virtual FaceplateMenus* menus() const = 0;

public Q_SLOTS:
    /// Lights or darkens lampBuffer, lampCTS, lampDSR or lampPort and gives it a tooltip.
    virtual void setLamp(const QString& name, bool lit, const QString& tooltip) = 0;
    /// Sets the tooltip of a lamp caption (Label7, Label8, Label9).
    virtual void setLabelTooltip(const QString& name, const QString& text) = 0;
    /// Enables LoadPellwick: only when the companion program is installed.
    virtual void setCompanionAvailable(bool available) = 0;

Q_SIGNALS:
    void keyClicked(const QString& buttonName);
    void menuTriggered(const QString& entryName);
    /// A key went down while the faceplate had the focus (qtKey as in Qt::Key).
    void keyDown(int qtKey, Qt::KeyboardModifiers modifiers);
    /// The text a key typed, when it typed any.
    void keyPress(const QString& text);
    /// The operator closes the window; the program ends after it.
    void closing();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};
