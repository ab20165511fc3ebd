#pragma once

#include <QHash>
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

/**
 * The scanner's keypad: one button per key (btnSCAN, btnMAN, btnNUM0..9, btnNUMDEC, btnNUME,
 * btnSPD, btnSKIP, btnHOLD, btnLIMIT, btnSRCH, btnSVC, btnDATA, btnDLY, btnTRUNK, btnSHFT,
 * btnMUTE) with the secondary captions printed above some keys. A click only reports the key's
 * name; the keys never take the keyboard focus.
 */
class KeypadWidget : public QWidget {
    Q_OBJECT

public:
    explicit KeypadWidget(QWidget* parent = nullptr);

    QPushButton* button(const QString& name) const { return m_buttons.value(name); }
    QStringList buttonNames() const { return m_buttons.keys(); }

Q_SIGNALS:
    void keyClicked(const QString& buttonName);

private:
    QHash<QString, QPushButton*> m_buttons;
};
