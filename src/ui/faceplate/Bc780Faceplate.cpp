#include "faceplate/Bc780Faceplate.h"

#include "faceplate/Bc780LcdWidget.h"
#include "faceplate/FaceplateMenus.h"
#include "faceplate/LampWidget.h"
#include "monitor/DisplayModel.h"
#include "state/Switches.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {
const char* kBodyStyle = R"(
#faceplateBody {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #4a4c50, stop:0.06 #323437, stop:1 #1c1d1f);
}
#bezel { background: #101011; border: 2px solid #5a5b60; border-radius: 12px; }
#brand { color: #f0f0f0; font-family: "DejaVu Sans"; font-size: 20px; font-weight: bold; }
#modelName { color: #d0d0d0; font-family: "DejaVu Sans"; font-size: 13px; font-weight: bold; }
#linkRow QLabel, #indicators QLabel { color: #c8c8c8; font-family: "DejaVu Sans"; font-size: 10px; font-weight: bold; }
#StatusLine {
    color: #ffcf5a; background: #101010; border: 1px solid #444; border-radius: 3px;
    font-family: "DejaVu Sans Mono"; font-size: 12px; padding: 2px 6px;
}
#keypad QPushButton {
    color: #f2f2f2; font-family: "DejaVu Sans"; font-weight: bold; font-size: 11px;
    border: 1px solid #0c0c0c; border-radius: 6px; min-width: 54px; min-height: 28px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #65676c, stop:1 #3a3b3f);
}
#keypad QPushButton:pressed { background: #232427; padding-top: 2px; }
#keypad QPushButton[accent="true"] {
    color: #0c1a2c; background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #9cc4ec, stop:1 #4f86c0);
}
#Text3, #Text6 { font-family: "DejaVu Sans Mono"; font-size: 11px; }
QSlider::groove:horizontal { height: 6px; background: #0b0b0b; border: 1px solid #555; border-radius: 3px; }
QSlider::handle:horizontal {
    width: 14px; margin: -6px 0; border-radius: 4px; border: 1px solid #111;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #d9d9d9, stop:1 #8c8c8c);
}
)";

struct Key {
    const char* name;
    const char* caption;
    bool accent; ///< the blue mode keys
};

// Five rows of five keys beside the display; the BC780XLT has no SVC key and puts SELECT, LIGHT,
// WX and MENU where the PRO-2052 has SVC and MUTE.
const Key kKeys[5][5] = {
    {{"btnSCAN", "SCAN", true},
     {"btnMAN", "MANUAL", true},
     {"btnTRUNK", "TRUNK", true},
     {"btnSRCH", "SRCH", true},
     {"btnMENU", "MENU", true}},
    {{"btnNUM1", "1", false},
     {"btnNUM2", "2", false},
     {"btnNUM3", "3", false},
     {"btnHOLD", "HOLD", false},
     {"btnLIMIT", "LIMIT", false}},
    {{"btnNUM4", "4", false},
     {"btnNUM5", "5", false},
     {"btnNUM6", "6", false},
     {"btnSPD", "SPEED", false},
     {"btnSKIP", "L/O", false}},
    {{"btnNUM7", "7", false},
     {"btnNUM8", "8", false},
     {"btnNUM9", "9", false},
     {"btnDATA", "DATA", false},
     {"btnDLY", "DELAY", false}},
    {{"btnNUMDEC", "\xE2\x80\xA2", false},
     {"btnNUM0", "0", false},
     {"btnNUME", "E", false},
     {"btnSHFT", "FUNC", false},
     {"btnWX", "WX", false}},
};

} // namespace

Bc780Faceplate::Bc780Faceplate(DisplayModel& display, DisplayModel& aux, Switches& switches, QWidget* parent)
    : FaceplateWindow(parent)
    , m_model(display)
    , m_aux(aux)
    , m_switches(switches) {
    setObjectName(QStringLiteral("frmBC780XLT"));
    m_menus = new FaceplateMenus(menuBar(), this);
    // The PRO-2052's menus, with the tag choice in place of its frequency-and-talkgroup switch.
    m_menus->action(QStringLiteral("mnuShow_Freq_and_Talkgroup"))->setVisible(false);
    // Choosing one tag source ticks it and clears the other.
    m_menus->addEntry(QStringLiteral("COM_Options"), QStringLiteral("Use_BC780XLT_Tags"),
                      QStringLiteral("Use BC780XLT Tags"), true,
                      [this](FaceplateController&) { m_switches.setUseScannerTags(true); });
    m_menus->addEntry(QStringLiteral("COM_Options"), QStringLiteral("Use_VDPro_Tags"),
                      QStringLiteral("Use ValdoriaPro Tags"), true,
                      [this](FaceplateController&) { m_switches.setUseScannerTags(false); });

    const Frame frame = buildFrame(kBodyStyle, QStringLiteral("UNIDEN  BEARCAT"),
                                   QStringLiteral("BC780XLT  \u2022  500 CHANNEL TRUNKTRACKER III"), 10);
    QWidget* body = frame.body;
    QWidget* bezel = frame.bezel;
    auto* bezelLayout = frame.bezelLayout;
    m_lcd = new Bc780LcdWidget(m_model, bezel);
    bezelLayout->addWidget(m_lcd);

    auto* front = new QHBoxLayout;
    front->setSpacing(16);
    front->addWidget(bezel, 0, Qt::AlignTop);
    front->addWidget(buildKeypad(), 0, Qt::AlignTop);

    auto* diagnostics = new QHBoxLayout;
    for (const char* name : {"Text3", "Text6"}) {
        auto* box = new QLineEdit(body);
        box->setObjectName(QLatin1String(name));
        box->setContextMenuPolicy(Qt::NoContextMenu);
        box->hide();
        m_diagnostics.insert(QLatin1String(name), box);
        diagnostics->addWidget(box);
    }

    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(18, 12, 18, 12);
    column->setSpacing(10);
    column->addLayout(frame.header);
    column->addLayout(front);
    column->addWidget(buildLinkRow());
    column->addLayout(diagnostics);
    column->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_menus, &FaceplateMenus::triggered, this, &Bc780Faceplate::onMenuTriggered);
    connect(m_menus, &FaceplateMenus::aboutToShow, this, [this] { syncChecks(); });
    connect(&m_switches, &Switches::changed, this, &Bc780Faceplate::syncChecks);
    connect(&m_aux, &DisplayModel::windowVisibleChanged, this, &Bc780Faceplate::syncChecks);
    connect(&m_model, &DisplayModel::fieldChanged, this, &Bc780Faceplate::refreshSideField);
    for (const char* name : {"StatusLine", "Text3", "Text6", "tbMUTE", "tbSHIFT", "tbAlert", "btnLIGHT"})
        refreshSideField(QString::fromLatin1(name));
    syncChecks();
    setCompanionAvailable(false);
}

Bc780Faceplate::~Bc780Faceplate() = default;

QWidget* Bc780Faceplate::buildKeypad() {
    auto* keypad = new QWidget(centralWidget());
    keypad->setObjectName(QStringLiteral("keypad"));
    auto* grid = new QGridLayout(keypad);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(8);
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < 5; ++column) {
            const Key& key = kKeys[row][column];
            const QString name = QString::fromLatin1(key.name);
            auto* button = new QPushButton(QString::fromUtf8(key.caption), keypad);
            button->setObjectName(name);
            button->setProperty("accent", key.accent);
            // Keys are for the mouse; the faceplate turns the PC keyboard into key presses itself.
            button->setFocusPolicy(Qt::NoFocus);
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this, [this, name] { Q_EMIT keyClicked(name); });
            m_buttons.insert(name, button);
            grid->addWidget(button, row, column);
        }
    }
    // SELECT (the mute key) and LIGHT run along the bottom; LIGHT's caption shows the light.
    int column = 0;
    for (const char* name : {"btnSELECT", "btnLIGHT"}) {
        auto* button = new QPushButton(
            name == QLatin1String("btnSELECT") ? QStringLiteral("SELECT") : QStringLiteral("LIGHT"), keypad);
        button->setObjectName(QLatin1String(name));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
        const QString buttonName = QLatin1String(name);
        connect(button, &QPushButton::clicked, this, [this, buttonName] { Q_EMIT keyClicked(buttonName); });
        m_buttons.insert(buttonName, button);
        grid->addWidget(button, 5, column, 1, column == 0 ? 2 : 3);
        column += 2;
    }
    return keypad;
}

QWidget* Bc780Faceplate::buildLinkRow() {
    auto* row = new QWidget(centralWidget());
    row->setObjectName(QStringLiteral("linkRow"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    addLinkLamps(row, layout);
    layout->addSpacing(10);
    layout->addWidget(caption(QStringLiteral("SCAN DELAY"), row));
    m_slider = new QSlider(Qt::Horizontal, row);
    m_slider->setObjectName(QStringLiteral("Slider1"));
    m_slider->setRange(0, 100);
    m_slider->setPageStep(5);
    m_slider->setFixedWidth(150);
    m_slider->setFocusPolicy(Qt::NoFocus);
    m_slider->setValue(m_switches.scanDelay());
    m_slider->setToolTip(QStringLiteral("Scan Delay is: ") + QString::number(m_slider->value()));
    connect(m_slider, &QSlider::valueChanged, this, [this](int value) {
        m_slider->setToolTip(QStringLiteral("Scan Delay is: ") + QString::number(value));
        m_switches.setScanDelay(value);
    });
    layout->addWidget(m_slider);
    layout->addSpacing(10);
    for (const char* name : {"tbMUTE", "tbSHIFT", "tbAlert"}) {
        QLabel* label = caption(QString(), row, QLatin1String(name));
        label->setMinimumWidth(name == QLatin1String("tbMUTE") ? 74 : 40);
        m_indicators.insert(QLatin1String(name), label);
        layout->addWidget(label);
    }
    m_statusLine = new QLabel(row);
    m_statusLine->setObjectName(QStringLiteral("StatusLine"));
    m_statusLine->setTextFormat(Qt::PlainText);
    m_statusLine->setMinimumWidth(280);
    layout->addWidget(m_statusLine, 1);
    return row;
}

void Bc780Faceplate::onMenuTriggered(const QString& entryName) {
    Q_EMIT menuTriggered(entryName);
    // Qt flips a check mark on its own; the marks show the switches, whatever the handler did.
    syncChecks();
}

void Bc780Faceplate::syncChecks() {
    const std::pair<const char*, bool> marks[] = {
        {"ScanLogging", m_switches.scanLogging()},        {"SearchLogging", m_switches.searchLogging()},
        {"TrunkLogging", m_switches.trunkLogging()},      {"Use_BC780XLT_Tags", m_switches.useScannerTags()},
        {"Use_VDPro_Tags", !m_switches.useScannerTags()}, {"mnuAuxDisp", m_aux.windowVisible()},
    };
    for (const auto& [name, on] : marks)
        m_menus->action(QString::fromLatin1(name))->setChecked(on);
    if (m_slider && m_slider->value() != m_switches.scanDelay())
        m_slider->setValue(m_switches.scanDelay());
}

void Bc780Faceplate::refreshSideField(const QString& name) {
    if (name == QLatin1String("StatusLine")) {
        m_statusLine->setText(m_model.text(name));
    } else if (QLabel* label = m_indicators.value(name)) {
        label->setText(m_model.text(name));
    } else if (QLineEdit* box = m_diagnostics.value(name)) {
        box->setText(m_model.text(name));
        box->setVisible(m_model.hasField(name) && m_model.isVisible(name));
    } else if (name == QLatin1String("btnLIGHT")) {
        m_buttons.value(name)->setText(m_model.text(name));
    }
}
