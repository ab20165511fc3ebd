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
    QString text(const QString& array, int index) const { return text(element(array, index)); }
    void setText(const QString& array, int index, const QString& text) { setText(element(array, index), text); }

    bool windowVisible() const { return m_windowVisible; }
    void setWindowVisible(bool visible);

    /// True while the scanner is not answering: the window draws the whole display dimmed, the
    /// way a scanner without power looks, and keeps the last texts readable.
    bool isDimmed() const { return m_dimmed; }
    void setDimmed(bool dimmed);

    /// Converts &HBBGGRR to a 0xRRGGBB value for QColor::fromRgb.
    static quint32 toRgb(quint32 bgr);

Q_SIGNALS:
    void fieldChanged(const QString& name);
    void windowVisibleChanged(bool visible);
    void dimmedChanged(bool dimmed);

private:
    template <typename F> void update(const QString& name, F change);

    QHash<QString, DisplayField> m_fields;
    QStringList m_order;
    bool m_windowVisible = false;
    bool m_dimmed = false;
};
