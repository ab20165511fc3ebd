#pragma once

#include "faceplate/FaceplateWindow.h"

#include <QHash>
#include <QString>

class DisplayModel;
class FaceplateDisplayWidget;
class FaceplateMenus;
class KeypadWidget;
class LampWidget;
class QLabel;
class QLineEdit;
class QSlider;
class Switches;

/**
 * frmPro2052: the PRO-2052's front panel. It renders the faceplate display model, shows the
 * link lamps, the scan-delay slider and the status line, and reports what the operator does:
 * key clicks, menu choices and every key typed while it has the focus (no control of the panel
 * ever sees a key; see FaceplateWindow). It holds no scanner logic; the application connects its
 * signals to the core.
 */
class Pro2052Faceplate : public FaceplateWindow {
    Q_OBJECT

public:
    /// display: the faceplate's fields; aux: frmAuxDisplay's model (for the View menu's check
    /// mark); switches: the check-mark entries and the scan-delay slider.
    Pro2052Faceplate(DisplayModel& display, DisplayModel& aux, Switches& switches, QWidget* parent = nullptr);
    ~Pro2052Faceplate() override;

    FaceplateDisplayWidget* displayWidget() const { return m_display; }
    KeypadWidget* keypad() const { return m_keypad; }
    QSlider* scanDelaySlider() const { return m_slider; }

private:
    QWidget* buildLinkRow();
    void onMenuTriggered(const QString& entryName);
    void syncChecks();
    void syncAuxCheck();
    void refreshSideField(const QString& name);
    void updateSliderTooltip(int value);

    DisplayModel& m_model;
    DisplayModel& m_aux;
    Switches& m_switches;
    FaceplateDisplayWidget* m_display = nullptr;
    KeypadWidget* m_keypad = nullptr;
    QSlider* m_slider = nullptr;
    QLabel* m_statusLine = nullptr;
    QLineEdit* m_text1 = nullptr;
    QLineEdit* m_text3 = nullptr;
};
