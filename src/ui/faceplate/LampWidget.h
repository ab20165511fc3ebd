#pragma once

#include <QWidget>

/**
 * A small round link lamp: bright green when lit (colour value 65280), dark green when not
 * (16384).
 */
class LampWidget : public QWidget {
    Q_OBJECT

public:
    static constexpr quint32 kLit = 65280;
    static constexpr quint32 kDark = 16384;

    explicit LampWidget(const QString& name, QWidget* parent = nullptr);

    bool isLit() const { return m_lit; }
    void setLit(bool lit);
    /// The colour the lamp is drawn in now.
    QColor color() const;

    QSize sizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_lit = false;
};
