#pragma once

#include <QFont>
#include <QWidget>

class DisplayModel;
class QPainter;

/**
 * The BC780XLT's liquid-crystal display, painted segment by segment from the display model:
 * amber glass, lit segments black, dark segments in the glass's own colour so they barely show.
 * The four display lines and the main frequency are drawn in the LCD font the program ships
 * (DSEG14 Classic), over faint all-segments-on ghosts the way a real LCD shows its unlit cells.
 * The bank markers are a filled square ("n") or a diamond ("w"); six signal bars rise to the
 * right. The light state (btnLIGHT's caption) shades the glass; the widget keeps no display state.
 */
class Bc780LcdWidget : public QWidget {
    Q_OBJECT

public:
    explicit Bc780LcdWidget(DisplayModel& model, QWidget* parent = nullptr);

    /// The family of the shipped LCD font (loaded from the program's resources on first use).
    static QString lcdFontFamily();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color(quint32 bgr) const;
    void drawSegment(QPainter& p, const QString& field, const QRect& box, int pixelSize, Qt::Alignment align);
    void drawLcdText(QPainter& p, const QString& field, const QRect& box, int pixelSize, int cells, Qt::Alignment align,
                     int stretch = QFont::Unstretched);
    void drawBanks(QPainter& p);
    void drawMarkers(QPainter& p);
    void drawSignal(QPainter& p);

    DisplayModel& m_model;
};
