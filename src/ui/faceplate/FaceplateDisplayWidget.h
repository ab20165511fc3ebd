#pragma once

#include <QHash>
#include <QString>
#include <QWidget>

class DisplayModel;
class QLabel;

/**
 * The PRO-2052's liquid-crystal display: one label per display field (tbfreq, tbChan, the mode
 * indicators, tbBANKNUM(1..20) and the tbACTIVEBANK(1..20) markers under them), drawn at fixed
 * places on an LCD-coloured panel. Texts, colours, alignment, visibility and dimming come from the
 * model; the widget keeps no display state of its own.
 */
class FaceplateDisplayWidget : public QWidget {
    Q_OBJECT

public:
    /// The LCD's own colours (&HBBGGRR); the faceplate's fields are declared in them.
    static constexpr quint32 kLcdBack = 0x86BEA8; // a pale green-amber segment glass
    static constexpr quint32 kLcdFore = 0x1E2A1C; // dark segments

    explicit FaceplateDisplayWidget(DisplayModel& model, QWidget* parent = nullptr);

    /// The label that shows a field, or nullptr when the display has no place for it.
    QLabel* fieldLabel(const QString& name) const { return m_labels.value(name); }
    QStringList fieldNames() const { return m_labels.keys(); }

    /// What the display draws for a field's text: an active-bank marker "n" is a filled square.
    static QString shownText(const QString& field, const QString& text);
    /// The monospace family the display is drawn in.
    static QString fontFamily();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void addLabel(const QString& name, const QRect& geometry, int pixelSize, bool bold);
    void refresh(const QString& name);
    void refreshAll();

    DisplayModel& m_model;
    QHash<QString, QLabel*> m_labels;
};
