#pragma once

#include "faceplate/FaceplateWindow.h"

#include <QHash>
#include <QString>

class Bc780LcdWidget;
class DisplayModel;
class FaceplateMenus;
class LampWidget;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class Switches;

/**
 * frmBC780XLT: the Uniden BC780XLT's front panel. It renders the LCD display model, the keypad
 * with the BC780XLT's own keys (SELECT, LIGHT, WX, MENU; no SVC, SELECT in MUTE's place), the
 * link lamps, the scan-delay slider (0 to 100), the mute and shift indicators and the status
 * line; its menus are the PRO-2052's plus the tag choice. Like frmPro2052 it only reports what
 * the operator does.
 */
class Bc780Faceplate : public FaceplateWindow {
    Q_OBJECT

public:
    Bc780Faceplate(DisplayModel& display, DisplayModel& aux, Switches& switches, QWidget* parent = nullptr);
    ~Bc780Faceplate() override;

    Bc780LcdWidget* lcd() const { return m_lcd; }
    QPushButton* button(const QString& name) const { return m_buttons.value(name); }
    QSlider* scanDelaySlider() const { return m_slider; }

private:
    QWidget* buildKeypad();
    QWidget* buildLinkRow();
    void onMenuTriggered(const QString& entryName);
    void syncChecks();
    void refreshSideField(const QString& name);

    DisplayModel& m_model;
    DisplayModel& m_aux;
    Switches& m_switches;
    Bc780LcdWidget* m_lcd = nullptr;
    QSlider* m_slider = nullptr;
    QLabel* m_statusLine = nullptr;
    QHash<QString, QLabel*> m_indicators;
    QHash<QString, QLineEdit*> m_diagnostics;
    QHash<QString, QPushButton*> m_buttons;
};
