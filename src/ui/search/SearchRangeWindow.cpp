#include "search/SearchRangeWindow.h"

#include "Prompter.h"
#include "Settings.h"
#include "monitor/Monitor.h"
#include "search/RangeSearchSettings.h"
#include "state/Switches.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

SearchRangeWindow::SearchRangeWindow(Settings& settings, Switches& switches, Monitor& monitor, Prompter& prompter,
                                     const QString& appTitle, int holdLimit, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_settings(settings)
    , m_switches(switches)
    , m_monitor(monitor)
    , m_prompter(prompter)
    , m_title(appTitle) {
    setObjectName(QStringLiteral("frmSearchRange"));
    setWindowTitle(appTitle);
    setAttribute(Qt::WA_DeleteOnClose);
    // The window has the scanner: the faceplate waits until it hands it back.
    setWindowModality(Qt::WindowModal);
    auto* frame = new QGroupBox(QStringLiteral("Enter the Search Criteria"), this);
    frame->setObjectName(QStringLiteral("frameSearch"));
    auto* grid = new QGridLayout(frame);
    auto label = [frame](const char* name, const QString& text) {
        auto* l = new QLabel(text, frame);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    m_low = new QLineEdit(frame);
    m_low->setObjectName(QStringLiteral("tbLowLimit"));
    m_high = new QLineEdit(frame);
    m_high->setObjectName(QStringLiteral("tbUpperLimit"));
    m_dwell = new QComboBox(frame);
    m_dwell->setObjectName(QStringLiteral("listDwellTime"));
    m_dwell->addItems(RangeSearchSettings::dwellChoices());
    // The scanner keeps its own search step and resumes by the dwell list: the window offers neither a step
    // list nor a second resume choice that nothing would read.
    m_logging = new QCheckBox(QStringLiteral("Enable logging of active frequencies"), frame);
    m_logging->setObjectName(QStringLiteral("chkEnableLogging"));
    m_logging->setToolTip(QStringLiteral("The search log (Logs / Enable Search Log): every frequency the search stops "
                                         "on is written to the day's search log"));
    m_logging->setChecked(m_switches.searchLogging());
    grid->addWidget(label("lblLowLimit", QStringLiteral("Lower Limit Frequency:")), 0, 0);
    grid->addWidget(m_low, 0, 1);
    grid->addWidget(label("Label1", QStringLiteral("Upper Limit Frequency:")), 1, 0);
    grid->addWidget(m_high, 1, 1);
    grid->addWidget(label("Label3", QStringLiteral("Resume search after:")), 2, 0);
    grid->addWidget(m_dwell, 2, 1);
    grid->addWidget(m_logging, 3, 0, 1, 2);

    auto* search = new QPushButton(QStringLiteral("SEARCH NOW"), this);
    search->setObjectName(QStringLiteral("btnSEARCH"));
    search->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("CANCEL"), this);
    cancel->setObjectName(QStringLiteral("btnCANCEL"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(search);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    const RangeSearchSettings stored = RangeSearchSettings::load(settings, holdLimit);
    m_low->setText(stored.low);
    m_high->setText(stored.high);
    m_dwell->setCurrentIndex(stored.dwell);
    // Typing into a limit replaces it.
    m_low->installEventFilter(this);
    m_high->installEventFilter(this);
    connect(search, &QPushButton::clicked, this, &SearchRangeWindow::onSearch);
    connect(cancel, &QPushButton::clicked, this, &SearchRangeWindow::onCancel);
}

bool SearchRangeWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && (watched == m_low || watched == m_high)) {
        // After the click that gave the focus has placed the caret.
        QTimer::singleShot(0, static_cast<QLineEdit*>(watched), &QLineEdit::selectAll);
    }
    return QWidget::eventFilter(watched, event);
}

void SearchRangeWindow::onSearch() {
    const RangeSearchSettings chosen{m_low->text().trimmed(), m_high->text().trimmed(), m_dwell->currentIndex()};
    chosen.save(m_settings);
    if (const auto reason = chosen.refusal()) {
        m_prompter.inform(m_title, *reason + QStringLiteral("\r\nThe search was not started."),
                          Prompter::Icon::Warning);
        return;
    }
    m_handedOver = true;
    hide();
    m_switches.setSearchLogging(m_logging->isChecked());
    m_monitor.searchRange(m_low->text(), m_high->text(), chosen.dwell, m_logging->isChecked() ? -1 : 0);
    close();
}

void SearchRangeWindow::onCancel() {
    close();
}

void SearchRangeWindow::closeEvent(QCloseEvent* event) {
    // However the window goes, the scanner goes back to the faceplate unless the search has it.
    if (!m_handedOver) {
        m_handedOver = true;
        hide();
        m_monitor.checkMode();
    }
    QWidget::closeEvent(event);
}
