#include "memory/MemoryProgressWindow.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QPushButton* button(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

// A value the window shows, not a box to type into.
QLabel* value(const char* name, QWidget* parent) {
    auto* v = new QLabel(parent);
    v->setObjectName(QLatin1String(name));
    v->setTextFormat(Qt::PlainText);
    QFont bold = v->font();
    bold.setBold(true);
    v->setFont(bold);
    return v;
}

// Room for the longest line the window shows unwrapped, in characters of the window's font.
constexpr int kTextColumns = 56;
} // namespace

MemoryProgressWindow::MemoryProgressWindow(const QString& name, const QString& appTitle, const QString& firstText,
                                           QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_firstText(firstText) {
    setObjectName(name);
    auto* bankLabel = new QLabel(tr("Bank"), this);
    bankLabel->setObjectName(QStringLiteral("Text1"));
    auto* channelLabel = new QLabel(tr("Channel"), this);
    channelLabel->setObjectName(QStringLiteral("Text2"));
    m_bank = value("tbBank", this);
    m_channel = value("tbChan", this);
    m_text5 = new QLabel(this);
    m_text5->setObjectName(QStringLiteral("Text5"));
    m_text5->setWordWrap(true);
    m_text5->setMinimumWidth(fontMetrics().averageCharWidth() * kTextColumns);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progressChannels"));
    m_timeLeft = new QLabel(this);
    m_timeLeft->setObjectName(QStringLiteral("lblTimeLeft"));
    m_stop = button(tr("Stop"), "btnStop", this);
    m_stop->setToolTip(tr("End here; what is done stays done"));

    m_stall = new QWidget(this);
    m_stallText = new QLabel(m_stall);
    m_stallText->setObjectName(QStringLiteral("lblStall"));
    m_stallText->setWordWrap(true);
    auto* stallLayout = new QHBoxLayout(m_stall);
    stallLayout->setContentsMargins(0, 0, 0, 0);
    stallLayout->addWidget(m_stallText, 1);
    QPushButton* retry = button(tr("Retry"), "btnRetry", m_stall);
    stallLayout->addWidget(retry, 0, Qt::AlignTop);

    m_failures = new QWidget(this);
    auto* failuresLayout = new QVBoxLayout(m_failures);
    failuresLayout->setContentsMargins(0, 0, 0, 0);
    failuresLayout->addWidget(new QLabel(tr("These channels did not take:"), m_failures));
    m_failedList = new QListWidget(m_failures);
    m_failedList->setObjectName(QStringLiteral("lstFailed"));
    failuresLayout->addWidget(m_failedList);
    QPushButton* retryFailures = button(tr("Try these channels again"), "btnRetryFailed", m_failures);
    failuresLayout->addWidget(retryFailures, 0, Qt::AlignLeft);

    m_finished = button(tr("Finished"), "Finished1", this);

    auto* where = new QGridLayout;
    where->addWidget(bankLabel, 0, 0);
    where->addWidget(m_bank, 0, 1);
    where->addWidget(channelLabel, 1, 0);
    where->addWidget(m_channel, 1, 1);
    where->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_timeLeft, 1);
    buttons->addWidget(m_stop);
    buttons->addWidget(m_finished);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(where);
    layout->addWidget(m_text5);
    layout->addWidget(m_progress);
    layout->addWidget(m_stall);
    layout->addWidget(m_failures);
    layout->addLayout(buttons);
    // The window is never smaller than what it holds, at any font size or scale.
    layout->setSizeConstraint(QLayout::SetMinimumSize);

    // One way to stop: while a reply is missing it ends there, otherwise after the channel in hand.
    connect(m_stop, &QPushButton::clicked, this, [this] {
        if (m_stall->isVisible())
            Q_EMIT stopRequested();
        else
            Q_EMIT cancelRequested();
    });
    connect(retry, &QPushButton::clicked, this, &MemoryProgressWindow::retryRequested);
    connect(retryFailures, &QPushButton::clicked, this, &MemoryProgressWindow::retryFailuresRequested);
    connect(m_finished, &QPushButton::clicked, this, &MemoryProgressWindow::finishedClicked);
    reset(appTitle);
}

void MemoryProgressWindow::reset(const QString& appTitle) {
    setWindowTitle(appTitle);
    m_bank->setText(tr("Bank #"));
    m_channel->setText(tr("Chan #"));
    m_bank->setEnabled(false);
    m_channel->setEnabled(false);
    m_text5->setText(m_firstText);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setFormat(tr("Not started yet"));
    m_timeLeft->clear();
    m_stall->hide();
    m_failures->hide();
    m_failedList->clear();
    m_finished->hide();
    m_stop->show();
    m_stop->setEnabled(true);
    fitContents();
}

void MemoryProgressWindow::setText5(const QString& text) {
    m_text5->setText(text);
    fitContents();
}

void MemoryProgressWindow::setChannel(int bank, int channel) {
    m_bank->setEnabled(true);
    m_channel->setEnabled(true);
    m_bank->setText(QString::number(bank));
    m_channel->setText(QStringLiteral("%1").arg(channel, 3, 10, QLatin1Char('0')));
}

void MemoryProgressWindow::setProgress(int done, int total, int secondsLeft) {
    m_progress->setFormat(tr("%v of %m channels"));
    m_progress->setRange(0, qMax(total, 1));
    m_progress->setValue(qMin(done, qMax(total, 1)));
    if (secondsLeft < 0)
        m_timeLeft->clear();
    else if (secondsLeft < 60)
        m_timeLeft->setText(tr("About %1 s left").arg(secondsLeft));
    else
        m_timeLeft->setText(tr("About %1 min %2 s left").arg(secondsLeft / 60).arg(secondsLeft % 60));
}

void MemoryProgressWindow::showStall(const QString& message) {
    m_stallText->setText(message);
    m_stall->show();
    fitContents();
}

void MemoryProgressWindow::hideStall() {
    m_stall->hide();
}

void MemoryProgressWindow::showFailures(const QStringList& channels) {
    m_failedList->clear();
    m_failedList->addItems(channels);
    m_failures->setVisible(!channels.isEmpty());
    fitContents();
}

void MemoryProgressWindow::showFinished() {
    m_stall->hide();
    m_timeLeft->clear();
    m_stop->hide();
    m_finished->show();
}

void MemoryProgressWindow::fitContents() {
    // Wrapped texts need their height for the window's width; a window on screen only ever grows.
    layout()->activate();
    const int width = qMax(this->width(), sizeHint().width());
    const int height = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width) : sizeHint().height();
    resize(width, qMax(isVisible() ? this->height() : 0, height));
}

void MemoryProgressWindow::closeEvent(QCloseEvent* event) {
    // The close box means Stop while the work runs, Finished once it is over.
    if (m_finished->isVisible())
        Q_EMIT finishedClicked();
    else
        m_stop->click();
    QWidget::closeEvent(event);
}
