#pragma once

#include <QHash>
#include <QMainWindow>
#include <QString>

class FaceplateMenus;
class LampWidget;
class QHBoxLayout;
class QLabel;
class QVBoxLayout;

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

    FaceplateMenus* menus() const { return m_menus; }
    LampWidget* lamp(const QString& name) const { return m_lamps.value(name); }

public Q_SLOTS:
    /// Lights or darkens lampBuffer, lampCTS, lampDSR or lampPort and gives it a tooltip.
    void setLamp(const QString& name, bool lit, const QString& tooltip);
    /// Sets the tooltip of a lamp caption (Label7, Label8, Label9).
    void setLabelTooltip(const QString& name, const QString& text);
    /// Enables LoadPellwick: only when the companion program is installed.
    void setCompanionAvailable(bool available);

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
    /// The parts every faceplate is built from: the body (the central widget, with the faceplate's style
    /// sheet), the header with the brand and model captions, and the bezel that frames the display.
    struct Frame {
        QWidget* body;
        QHBoxLayout* header;
        QWidget* bezel;
        QVBoxLayout* bezelLayout;
    };
    Frame buildFrame(const char* styleSheet, const QString& brand, const QString& modelName, int bezelMargin);
    /// A caption on the faceplate, named for the style sheet when name is given.
    static QLabel* caption(const QString& text, QWidget* parent, const QString& name = {});
    /// Adds the link lamps to a faceplate's link row: lampBuffer (Label7 "BUFFER"), lampCTS and lampDSR
    /// (Label8 "CTS / DSR"), lampPort (Label9 "PORT").
    void addLinkLamps(QWidget* row, QHBoxLayout* layout);

    /// The faceplate's menus, made by the faceplate on its menu bar.
    FaceplateMenus* m_menus = nullptr;

private:
    QHash<QString, LampWidget*> m_lamps;
    QHash<QString, QLabel*> m_lampLabels;
};
