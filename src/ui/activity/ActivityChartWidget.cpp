#include "activity/ActivityChartWidget.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace {
constexpr ActivityLogKind kLogs[] = {ActivityLogKind::Scan, ActivityLogKind::Search, ActivityLogKind::Trunk};
constexpr int kLeft = 64;
constexpr int kRight = 12;
constexpr int kTop = 28;
constexpr int kBottom = 42;
} // namespace

ActivityChartWidget::ActivityChartWidget(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("activityChart"));
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ActivityChartWidget::setSummary(const ActivitySummary& summary) {
    m_summary = summary;
    update();
}

void ActivityChartWidget::setEmptyText(const QString& text) {
    m_emptyText = text;
    update();
}

QColor ActivityChartWidget::colour(ActivityLogKind log) {
    switch (log) {
    case ActivityLogKind::Scan:
        return QColor(0x3b, 0x7d, 0xd8);
    case ActivityLogKind::Search:
        return QColor(0x3f, 0xa3, 0x4d);
    case ActivityLogKind::Trunk:
        break;
    }
    return QColor(0xe0, 0x8a, 0x1e);
}

QRect ActivityChartWidget::plotRect() const {
    return rect().adjusted(kLeft, kTop, -kRight, -kBottom);
}

QRect ActivityChartWidget::hourRect(int hour) const {
    const QRect plot = plotRect();
    const double slot = plot.width() / double(ActivitySummary::kHours);
    const int left = plot.left() + int(hour * slot);
    const int right = plot.left() + int((hour + 1) * slot);
    return QRect(QPoint(left, plot.top()), QPoint(right - 1, plot.bottom()));
}

int ActivityChartWidget::scaleMax() const {
    int most = 0;
    for (int hour = 0; hour < ActivitySummary::kHours; ++hour)
        most = std::max(most, m_summary.hitsInHour(hour));
    // A round top for the scale: 1, 2, 5, 10, 20, 50 ...
    for (int decade = 1;; decade *= 10) {
        for (const int step : {1, 2, 5}) {
            if (step * decade >= most)
                return step * decade;
        }
    }
}

void ActivityChartWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    const QRect plot = plotRect();
    const int top = scaleMax();
    const QColor ink = palette().color(QPalette::Text);
    if (m_summary.hits() == 0) {
        // Nothing to scale: a 0-to-1 axis over an empty day would only look like a chart of nothing.
        p.setPen(ink);
        p.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, m_emptyText);
        return;
    }
    QColor grid = ink;
    grid.setAlpha(40);

    // Grid lines at whole numbers of hits: 1, 2, 5 or 4 steps up to the round top of the scale.
    int lead = top;
    while (lead >= 10)
        lead /= 10;
    const int steps = top <= 2 ? top : (lead == 2 ? 4 : 5);
    const QFontMetrics fm(font());
    for (int i = 0; i <= steps; ++i) {
        const int y = plot.bottom() - int(plot.height() * double(i) / steps);
        p.setPen(i == 0 ? ink : grid);
        p.drawLine(plot.left(), y, plot.right(), y);
        p.setPen(ink);
        p.drawText(QRect(fm.height() + 4, y - fm.height() / 2, kLeft - fm.height() - 10, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(top / steps * i));
    }

    // The bars, stacked scan at the bottom, then search, then trunk.
    for (int hour = 0; hour < ActivitySummary::kHours; ++hour) {
        const QRect slot = hourRect(hour);
        const int gap = std::max(1, slot.width() / 6);
        int base = plot.bottom();
        for (const ActivityLogKind log : kLogs) {
            const int count = m_summary.hitsInHour(log, hour);
            if (count == 0)
                continue;
            const int height = std::max(1, int(double(count) * plot.height() / top + 0.5));
            p.fillRect(QRect(slot.left() + gap, base - height + 1, slot.width() - 2 * gap, height), colour(log));
            base -= height;
        }
        // Hour labels every hour when there is room, otherwise every third.
        const bool labelled = fm.horizontalAdvance(QStringLiteral("00")) + 4 < slot.width() || hour % 3 == 0;
        if (labelled) {
            p.setPen(ink);
            p.drawText(QRect(slot.left() - 10, plot.bottom() + 3, slot.width() + 20, fm.height()),
                       Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("%1").arg(hour, 2, 10, QLatin1Char('0')));
        }
    }

    // Legend along the top, with each log's total.
    int x = plot.left();
    for (const ActivityLogKind log : kLogs) {
        const QString text = QStringLiteral("%1 %2").arg(ActivityHit::title(log)).arg(m_summary.hits(log));
        p.fillRect(QRect(x, 8, 12, 12), colour(log));
        p.setPen(ink);
        p.drawText(QPoint(x + 16, 8 + fm.ascent() - (fm.height() - 12) / 2), text);
        x += 16 + fm.horizontalAdvance(text) + 18;
    }

    // Axis titles: hits up the left, the hour of the day under the hour labels.
    p.setPen(ink);
    p.drawText(QRect(plot.left(), plot.bottom() + 3 + fm.height(), plot.width(), fm.height() + 4),
               Qt::AlignHCenter | Qt::AlignTop, tr("Hour of the day"));
    p.save();
    p.translate(fm.height() / 2 + 2, plot.center().y());
    p.rotate(-90);
    p.drawText(QRect(-plot.height() / 2, -fm.height() / 2, plot.height(), fm.height()), Qt::AlignCenter,
               tr("Hits per hour"));
    p.restore();
}

bool ActivityChartWidget::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const QPoint pos = static_cast<QHelpEvent*>(event)->pos();
    for (int hour = 0; hour < ActivitySummary::kHours; ++hour) {
        if (!hourRect(hour).adjusted(0, -kTop, 0, kBottom).contains(pos))
            continue;
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(),
                           tr("%1:00 to %2:59: %3 hits (scan %4, search %5, trunk %6)")
                               .arg(hour, 2, 10, QLatin1Char('0'))
                               .arg(hour, 2, 10, QLatin1Char('0'))
                               .arg(m_summary.hitsInHour(hour))
                               .arg(m_summary.hitsInHour(ActivityLogKind::Scan, hour))
                               .arg(m_summary.hitsInHour(ActivityLogKind::Search, hour))
                               .arg(m_summary.hitsInHour(ActivityLogKind::Trunk, hour)),
                           this);
        return true;
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}
