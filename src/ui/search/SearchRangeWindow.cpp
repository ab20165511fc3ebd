#include "search/SearchRangeWindow.h"

#include "Prompter.h"
#include "Settings.h"
#include "monitor/Monitor.h"
#include "search/RangeSearchSettings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

SearchRangeWindow::SearchRangeWindow(Settings& settings, Monitor& monitor, Prompter& prompter, const QString& appTitle,
                                     int holdLimit, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_settings(settings)
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
    // Shown without choices: the scanner's search step is not set from here.
    auto* step = new QComboBox(frame);
    step->setObjectName(QStringLiteral("listStepSize"));
    m_logging = new QCheckBox(frame);
    m_logging->setObjectName(QStringLiteral("chkEnableLogging"));
    QLabel* skipBirdies = label("lblSkipBirdies", QStringLiteral("Resume search after"));
    skipBirdies->installEventFilter(this);
    m_30Seconds = new QRadioButton(QStringLiteral("30 Seconds"), frame);
    m_30Seconds->setObjectName(QStringLiteral("rb30Seconds"));
    m_60Seconds = new QRadioButton(QStringLiteral("1 Minute"), frame);
    m_60Seconds->setObjectName(QStringLiteral("rb60Seconds"));
    m_30Seconds->setEnabled(false);
    m_60Seconds->setEnabled(false);
    grid->addWidget(label("lblLowLimit", QStringLiteral("Lower Limit Frequency:")), 0, 0);
    grid->addWidget(m_low, 0, 1);
    grid->addWidget(label("Label1", QStringLiteral("Upper Limit Frequency:")), 1, 0);
    grid->addWidget(m_high, 1, 1);
    grid->addWidget(label("Label3", QStringLiteral("Resume search after:")), 2, 0);
    grid->addWidget(m_dwell, 2, 1);
    grid->addWidget(label("Label2", QStringLiteral("Frequency Step Size:")), 3, 0);
    grid->addWidget(step, 3, 1);
    grid->addWidget(label("lblEnableLogging", QStringLiteral("Enable logging of active frequencies")), 4, 0);
    grid->addWidget(m_logging, 4, 1);
    auto* birdies = new QHBoxLayout;
    birdies->addWidget(m_30Seconds);
    birdies->addWidget(m_60Seconds);
    grid->addWidget(skipBirdies, 5, 0);
    grid->addLayout(birdies, 5, 1);

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
    } else if (event->type() == QEvent::MouseButtonRelease &&
               watched->objectName() == QLatin1String("lblSkipBirdies")) {
        m_30Seconds->setEnabled(true);
        m_60Seconds->setEnabled(true);
        m_60Seconds->setChecked(true);
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
