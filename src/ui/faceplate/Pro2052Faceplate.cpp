#include "faceplate/Pro2052Faceplate.h"

#include "faceplate/FaceplateDisplayWidget.h"
#include "faceplate/FaceplateMenus.h"
#include "faceplate/KeypadWidget.h"
#include "faceplate/LampWidget.h"
#include "monitor/DisplayModel.h"
#include "state/Switches.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>
#include <QVBoxLayout>

namespace {
const char* kBodyStyle = R"(
#faceplateBody {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #3a3b3f, stop:0.05 #2a2b2e, stop:1 #17181a);
}
#bezel { background: #0e0e0f; border: 2px solid #4a4b50; border-radius: 14px; }
#brand { color: #e8e8e8; font-family: "DejaVu Sans"; font-size: 20px; font-weight: bold; font-style: italic; }
#modelName { color: #c9c9c9; font-family: "DejaVu Sans"; font-size: 13px; font-weight: bold; }
#linkRow QLabel { color: #bdbdbd; font-family: "DejaVu Sans"; font-size: 10px; font-weight: bold; }
#StatusLine {
    color: #ffcf5a; background: #101010; border: 1px solid #444; border-radius: 3px;
    font-family: "DejaVu Sans Mono"; font-size: 12px; padding: 2px 6px;
}
#Text1, #Text3 { font-family: "DejaVu Sans Mono"; font-size: 11px; }
QSlider::groove:horizontal { height: 6px; background: #0b0b0b; border: 1px solid #555; border-radius: 3px; }
QSlider::handle:horizontal {
    width: 14px; margin: -6px 0; border-radius: 4px; border: 1px solid #111;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #d9d9d9, stop:1 #8c8c8c);
}
)";

} // namespace

Pro2052Faceplate::Pro2052Faceplate(DisplayModel& display, DisplayModel& aux, Switches& switches, QWidget* parent)
    : FaceplateWindow(parent)
    , m_model(display)
    , m_aux(aux)
    , m_switches(switches) {
    setObjectName(QStringLiteral("frmPro2052"));
    m_menus = new FaceplateMenus(menuBar(), this);

    const Frame frame = buildFrame(kBodyStyle, QStringLiteral("RadioShack"),
                                   QStringLiteral("PRO-2052  \u2022  1000-CHANNEL TRUNKING SCANNER"), 12);
    QWidget* body = frame.body;
    QWidget* bezel = frame.bezel;
    auto* bezelLayout = frame.bezelLayout;
    m_display = new FaceplateDisplayWidget(m_model, bezel);
    bezelLayout->addWidget(m_display);

    m_keypad = new KeypadWidget(body);
    auto* front = new QHBoxLayout;
    front->setSpacing(18);
    front->addWidget(bezel, 0, Qt::AlignTop);
    front->addWidget(m_keypad, 0, Qt::AlignTop);

    m_text1 = new QLineEdit(body);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text3 = new QLineEdit(body);
    m_text3->setObjectName(QStringLiteral("Text3"));
    for (QLineEdit* box : {m_text1, m_text3}) {
        box->setContextMenuPolicy(Qt::NoContextMenu);
        box->hide();
    }
    auto* diagnostics = new QHBoxLayout;
    diagnostics->addWidget(m_text1, 3);
    diagnostics->addWidget(m_text3, 1);

    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(18, 12, 18, 12);
    column->setSpacing(10);
    column->addLayout(frame.header);
    column->addLayout(front);
    column->addWidget(buildLinkRow());
    column->addLayout(diagnostics);
    column->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_keypad, &KeypadWidget::keyClicked, this, &Pro2052Faceplate::keyClicked);
    connect(m_menus, &FaceplateMenus::triggered, this, &Pro2052Faceplate::onMenuTriggered);
    connect(m_menus, &FaceplateMenus::aboutToShow, this, [this](const QString& heading) {
        if (heading == QLatin1String("mnuView"))
            syncAuxCheck();
    });
    connect(&m_switches, &Switches::changed, this, &Pro2052Faceplate::syncChecks);
    connect(&m_aux, &DisplayModel::windowVisibleChanged, this, &Pro2052Faceplate::syncAuxCheck);
    connect(&m_model, &DisplayModel::fieldChanged, this, &Pro2052Faceplate::refreshSideField);
    for (const char* name : {"StatusLine", "Text1", "Text3"})
        refreshSideField(QString::fromLatin1(name));
    syncChecks();
    syncAuxCheck();
    setCompanionAvailable(false);
}

Pro2052Faceplate::~Pro2052Faceplate() = default;

QWidget* Pro2052Faceplate::buildLinkRow() {
    auto* row = new QWidget(centralWidget());
    row->setObjectName(QStringLiteral("linkRow"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);

    addLinkLamps(row, layout);
    layout->addSpacing(14);
    layout->addWidget(caption(QStringLiteral("SCAN DELAY"), row));
    m_slider = new QSlider(Qt::Horizontal, row);
    m_slider->setObjectName(QStringLiteral("Slider1"));
    m_slider->setRange(0, 20);
    m_slider->setPageStep(1);
    m_slider->setFixedWidth(150);
    m_slider->setFocusPolicy(Qt::NoFocus);
    m_slider->setValue(m_switches.scanDelay());
    updateSliderTooltip(m_slider->value());
    connect(m_slider, &QSlider::valueChanged, this, [this](int value) {
        updateSliderTooltip(value);
        m_switches.setScanDelay(value);
    });
    layout->addWidget(m_slider);
    layout->addSpacing(14);

    m_statusLine = new QLabel(row);
    m_statusLine->setObjectName(QStringLiteral("StatusLine"));
    m_statusLine->setTextFormat(Qt::PlainText);
    m_statusLine->setMinimumWidth(330);
    layout->addWidget(m_statusLine, 1);
    return row;
}

void Pro2052Faceplate::updateSliderTooltip(int value) {
    m_slider->setToolTip(QStringLiteral("Scan Delay is: ") + QString::number(value));
}

void Pro2052Faceplate::onMenuTriggered(const QString& entryName) {
    Q_EMIT menuTriggered(entryName);
    // Qt flips a check mark on its own when the entry is chosen; the marks show the switches
    // (and the aux window's visibility), whatever the handler made of the choice.
    syncChecks();
    syncAuxCheck();
}

void Pro2052Faceplate::syncChecks() {
    const std::pair<const char*, bool> marks[] = {
        {"ScanLogging", m_switches.scanLogging()},
        {"SearchLogging", m_switches.searchLogging()},
        {"TrunkLogging", m_switches.trunkLogging()},
        {"mnuShow_Freq_and_Talkgroup", m_switches.showFreqAndTalkgroup()},
    };
    for (const auto& [name, on] : marks)
        m_menus->action(QString::fromLatin1(name))->setChecked(on);
    if (m_slider && m_slider->value() != m_switches.scanDelay())
        m_slider->setValue(m_switches.scanDelay());
}

void Pro2052Faceplate::syncAuxCheck() {
    m_menus->action(QStringLiteral("mnuAuxDisp"))->setChecked(m_aux.windowVisible());
}

void Pro2052Faceplate::refreshSideField(const QString& name) {
    if (name == QLatin1String("StatusLine")) {
        m_statusLine->setText(m_model.text(name));
        return;
    }
    QLineEdit* box = name == QLatin1String("Text1") ? m_text1 : name == QLatin1String("Text3") ? m_text3 : nullptr;
    if (!box)
        return;
    box->setText(m_model.text(name));
    box->setVisible(m_model.hasField(name) && m_model.isVisible(name));
}
