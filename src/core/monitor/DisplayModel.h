#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

/// One field of a display: what a text box of the faceplate shows.
struct DisplayField {
    QString text;
    quint32 foreColor = 0x000000; ///< &HBBGGRR: red + 256 x green + 65536 x blue
    quint32 backColor = 0xFFFFFF;
    Qt::Alignment alignment = Qt::AlignHCenter;
    bool visible = true;
};

/**
 * A display as named fields (tbfreq, tbChan, StatusLine ...) and indexed arrays (tbBANKNUM(1)
 * to tbBANKNUM(20)). Panel routines and parsers write here; windows render it and hold no
 * display state of their own. Writing to a field the display does not have is ignored, the
 * way a routine skips a control the faceplate lacks.
 *
 * The auxiliary display window is a DisplayModel too (fields Text2(1) to Text2(8)); its
 * windowVisible() says whether that window is on screen.
 */
class DisplayModel : public QObject {
    Q_OBJECT

public:
    explicit DisplayModel(QObject* parent = nullptr);

    /// The name of element index of an array: element("tbBANKNUM", 3) is "tbBANKNUM(3)".
    static QString element(const QString& array, int index);
    /// The same name, for an element this display has; empty text when it has no such element.
    /// Built once when the field is added, so the panel routines' loops over the bank boxes
    /// build no strings.
    const QString& elementName(const QString& array, int index) const;

    void addField(const QString& name, const DisplayField& initial = {});
    void addArray(const QString& array, int first, int last, const DisplayField& initial = {});
    bool hasField(const QString& name) const { return m_fields.contains(name); }
    QStringList fieldNames() const { return m_order; }
    DisplayField field(const QString& name) const { return m_fields.value(name); }

    QString text(const QString& name) const;
    quint32 foreColor(const QString& name) const;
    quint32 backColor(const QString& name) const;
    Qt::Alignment alignment(const QString& name) const;
    bool isVisible(const QString& name) const;

    void setText(const QString& name, const QString& text);
    void setForeColor(const QString& name, quint32 color);
    void setBackColor(const QString& name, quint32 color);
    void setAlignment(const QString& name, Qt::Alignment alignment);
    void setVisible(const QString& name, bool visible);

    // Array shorthands.
    QString text(const QString& array, int index) const { return text(elementName(array, index)); }
    void setText(const QString& array, int index, const QString& text) { setText(elementName(array, index), text); }

    bool windowVisible() const { return m_windowVisible; }
    void setWindowVisible(bool visible);

    /// Converts &HBBGGRR to a 0xRRGGBB value for QColor::fromRgb.
    static quint32 toRgb(quint32 bgr);

Q_SIGNALS:
    void fieldChanged(const QString& name);
    void windowVisibleChanged(bool visible);

private:
    template <typename F> void update(const QString& name, F change);
    /// The field, or a default one (what a missing field reads as) without copying either.
    const DisplayField& fieldOrDefault(const QString& name) const;

    QHash<QString, DisplayField> m_fields;
    QStringList m_order;
    /// Per array, the names of its elements by index (empty where the display has none).
    QHash<QString, QStringList> m_elements;
    bool m_windowVisible = false;
};
