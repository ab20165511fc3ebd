#pragma once

#include "logging/ActivitySummary.h"

#include <QColor>
#include <QString>
#include <QWidget>

/**
 * Hits per hour of a day as 24 bars, each stacked by log (scan, search, trunk) in the log's colour,
 * with a legend and an hour axis. A day without hits shows the empty axes and says so. Hovering a
 * bar shows its counts.
 */
class ActivityChartWidget : public QWidget {
    Q_OBJECT

public:
    explicit ActivityChartWidget(QWidget* parent = nullptr);

    void setSummary(const ActivitySummary& summary);
    /// What the chart says when the day has no hits.
    void setEmptyText(const QString& text);

    static QColor colour(ActivityLogKind log);
    /// The rectangle of the bar of hour (0 to 23) in widget coordinates, whole height of the plot.
    QRect hourRect(int hour) const;

    QSize sizeHint() const override { return {720, 240}; }
    QSize minimumSizeHint() const override { return {360, 160}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRect plotRect() const;
    int scaleMax() const;

    ActivitySummary m_summary;
    QString m_emptyText;
};
