#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QWidget>

class DisplayModel;
class QLabel;

/**
 * frmAuxDisplay: eight lines (Text2(1) to Text2(8)) naming what is heard. It is on screen
 * exactly while its model's windowVisible() is true; closing it sets that false. When it
 * appears it is placed beside its anchor (the faceplate) where the screen leaves room.
 */
class AuxDisplayWindow : public QWidget {
    Q_OBJECT

public:
    AuxDisplayWindow(DisplayModel& aux, const QString& title, QWidget* anchor = nullptr);

    QLabel* line(int index) const { return index >= 1 && index <= m_lines.size() ? m_lines.at(index - 1) : nullptr; }

    /// Where a window of frame size `size` goes next to a window whose frame is `anchor` on a
    /// screen with the available area `screen`: to its right when the width leaves room, else
    /// below it when the height does, else over the anchor's top-left corner.
    static QPoint placementBeside(const QRect& anchor, const QSize& size, const QRect& screen);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void refresh(const QString& name);
    void onWindowVisibleChanged(bool visible);

    DisplayModel& m_aux;
    QWidget* m_anchor = nullptr;
    QList<QLabel*> m_lines;
};
