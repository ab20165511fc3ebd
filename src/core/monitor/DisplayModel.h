#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <deque>

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

    struct Entry {
        QString name;
        DisplayField field;
    };

public:
    /**
     * The elements of one array, looked up once: the panel routines walk the bank boxes through
     * it, so a pass over twenty boxes costs one name lookup, not sixty. An index the display has
     * no element for reads as a default field and ignores writes. Valid until fields are added.
     */
    class Array {
    public:
        bool has(int index) const { return entry(index) != nullptr; }
        QString text(int index) const;
        quint32 foreColor(int index) const;
        quint32 backColor(int index) const;
        void setText(int index, const QString& text);
        void setForeColor(int index, quint32 color);
        void setBackColor(int index, quint32 color);

    private:
        friend class DisplayModel;
        Array(DisplayModel& model, const QList<Entry*>* entries)
            : m_model(&model)
            , m_entries(entries) {}
        Entry* entry(int index) const;

        DisplayModel* m_model;
        const QList<Entry*>* m_entries;
    };

    explicit DisplayModel(QObject* parent = nullptr);

    /// The name of element index of an array: element("tbBANKNUM", 3) is "tbBANKNUM(3)".
    static QString element(const QString& array, int index);
    /// The elements of an array, however they were added ("tbBANKNUM(3)" is element 3 of tbBANKNUM).
    Array array(const QString& name);

    void addField(const QString& name, const DisplayField& initial = {});
    void addArray(const QString& array, int first, int last, const DisplayField& initial = {});
    bool hasField(const QString& name) const { return m_fields.contains(name); }
    QStringList fieldNames() const { return m_order; }
    DisplayField field(const QString& name) const { return fieldOrDefault(name); }

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
    QString text(const QString& array, int index) const;
    void setText(const QString& array, int index, const QString& text);

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
    /// Applies change to the field; fieldChanged() only when it says the field changed.
    template <typename F> void update(Entry* entry, F change);
    Entry* find(const QString& name) const { return m_fields.value(name); }
    /// The field, or a default one (what a missing field reads as) without copying either.
    const DisplayField& fieldOrDefault(const QString& name) const;
    const QList<Entry*>* elements(const QString& array) const;

    /// The fields, at addresses that stay put as more are added.
    std::deque<Entry> m_store;
    QHash<QString, Entry*> m_fields;
    QStringList m_order;
    /// Per array, its elements by index (null where the display has none).
    QHash<QString, QList<Entry*>> m_elements;
    bool m_windowVisible = false;
    bool m_dimmed = false;
};
