#include "faceplate/KeypadWidget.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
struct Key {
    const char* name;
    const char* caption;
    const char* labelName; ///< the printed caption above the key, if any
    const char* labelText;
    bool accent; ///< the orange mode keys
};

// Five rows of five keys, the way the scanner's keypad sits beside its display.
const Key kKeys[5][5] = {
    {{"btnSCAN", "SCAN", nullptr, nullptr, true},
     {"btnMAN", "MANUAL", nullptr, nullptr, true},
     {"btnTRUNK", "TRUNK", nullptr, nullptr, true},
     {"btnSRCH", "SRCH", nullptr, nullptr, true},
     {"btnSVC", "SVC", nullptr, nullptr, true}},
    {{"btnNUM1", "1", "label11", "11", false},
     {"btnNUM2", "2", "label12", "12", false},
     {"btnNUM3", "3", "label13", "13", false},
     {"btnHOLD", "HOLD", nullptr, nullptr, false},
     {"btnLIMIT", "LIMIT", nullptr, nullptr, false}},
    {{"btnNUM4", "4", "label14", "14", false},
     {"btnNUM5", "5", "label15", "15", false},
     {"btnNUM6", "6", "label16", "16", false},
     {"btnSPD", "SPEED", nullptr, nullptr, false},
     {"btnSKIP", "SKIP", "labelLO", "L/O", false}},
    {{"btnNUM7", "7", "label17", "17", false},
     {"btnNUM8", "8", "label18", "18", false},
     {"btnNUM9", "9", "label19", "19", false},
     {"btnDATA", "DATA", "labelPRI", "PRI", false},
     {"btnDLY", "DELAY", "labelALERT", "ALERT", false}},
    {{"btnNUMDEC", "\xE2\x80\xA2", "labelCLR", "CLR", false},
     {"btnNUM0", "0", "label20", "20", false},
     {"btnNUME", "E", nullptr, nullptr, false},
     {"btnSHFT", "SHIFT", "labelREMOTE", "REMOTE", false},
     {"btnMUTE", "MUTE", nullptr, nullptr, false}},
};

const char* kKeyStyle = R"(
QPushButton {
    color: #f2f2f2; font-family: "DejaVu Sans"; font-weight: bold; font-size: 12px;
    border: 1px solid #0c0c0c; border-radius: 7px; min-width: 56px; min-height: 30px; padding: 0px 8px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #5b5d62, stop:1 #35363a);
}
QPushButton:pressed { background: #232427; padding-top: 2px; }
QPushButton[accent="true"] {
    color: #1b1408;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f0a848, stop:1 #c5751d);
}
QPushButton[accent="true"]:pressed { background: #9c5a12; }
QLabel { color: #d8b24a; font-family: "DejaVu Sans"; font-size: 9px; font-weight: bold; }
)";
} // namespace

KeypadWidget::KeypadWidget(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("keypad"));
    setStyleSheet(QString::fromLatin1(kKeyStyle));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(2);

    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < 5; ++column) {
            const Key& key = kKeys[row][column];
            auto* caption = new QLabel(this);
            caption->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
            caption->setFixedHeight(12);
            if (key.labelName) {
                caption->setObjectName(QString::fromLatin1(key.labelName));
                caption->setText(QString::fromLatin1(key.labelText));
            }
            auto* button = new QPushButton(QString::fromUtf8(key.caption), this);
            const QString name = QString::fromLatin1(key.name);
            button->setObjectName(name);
            button->setProperty("accent", key.accent);
            // Keys are for the mouse; the faceplate turns the PC keyboard into key presses itself.
            button->setFocusPolicy(Qt::NoFocus);
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this, [this, name] { Q_EMIT keyClicked(name); });
            m_buttons.insert(name, button);
            grid->addWidget(caption, row * 2, column);
            grid->addWidget(button, row * 2 + 1, column);
        }
    }
}
