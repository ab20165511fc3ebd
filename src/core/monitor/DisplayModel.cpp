#include "DisplayModel.h"

DisplayModel::DisplayModel(QObject* parent)
    : QObject(parent) {}

QString DisplayModel::element(const QString& array, int index) {
    return array + QLatin1Char('(') + QString::number(index) + QLatin1Char(')');
}

const QString& DisplayModel::elementName(const QString& array, int index) const {
    static const QString none;
    const auto it = m_elements.constFind(array);
    if (it == m_elements.cend() || index < 0 || index >= it->size())
        return none;
    return it->at(index);
}

void DisplayModel::addField(const QString& name, const DisplayField& initial) {
    if (!m_fields.contains(name)) {
        m_order.append(name);
        // "tbBANKNUM(3)" is element 3 of tbBANKNUM, however it was added.
        const qsizetype open = name.indexOf(QLatin1Char('('));
        bool isNumber = false;
        const int index = open > 0 && name.endsWith(QLatin1Char(')'))
                              ? name.mid(open + 1, name.size() - open - 2).toInt(&isNumber)
                              : -1;
        if (isNumber && index >= 0) {
            QStringList& names = m_elements[name.left(open)];
            while (names.size() <= index)
                names.append(QString());
            names[index] = name;
        }
    }
    m_fields.insert(name, initial);
}

void DisplayModel::addArray(const QString& array, int first, int last, const DisplayField& initial) {
    for (int i = first; i <= last; ++i)
        addField(element(array, i), initial);
}

const DisplayField& DisplayModel::fieldOrDefault(const QString& name) const {
    static const DisplayField absent;
    const auto it = m_fields.constFind(name);
    return it == m_fields.cend() ? absent : *it;
}

QString DisplayModel::text(const QString& name) const {
    return fieldOrDefault(name).text;
}

quint32 DisplayModel::foreColor(const QString& name) const {
    return fieldOrDefault(name).foreColor;
}

quint32 DisplayModel::backColor(const QString& name) const {
    return fieldOrDefault(name).backColor;
}

Qt::Alignment DisplayModel::alignment(const QString& name) const {
    return fieldOrDefault(name).alignment;
}

bool DisplayModel::isVisible(const QString& name) const {
    return fieldOrDefault(name).visible;
}

template <typename F> void DisplayModel::update(const QString& name, F change) {
    auto it = m_fields.find(name);
    if (it == m_fields.end())
        return;
    if (change(*it))
        Q_EMIT fieldChanged(name);
}

void DisplayModel::setText(const QString& name, const QString& text) {
    update(name, [&](DisplayField& f) { return f.text != text ? (f.text = text, true) : false; });
}

void DisplayModel::setForeColor(const QString& name, quint32 color) {
    update(name, [&](DisplayField& f) { return f.foreColor != color ? (f.foreColor = color, true) : false; });
}

void DisplayModel::setBackColor(const QString& name, quint32 color) {
    update(name, [&](DisplayField& f) { return f.backColor != color ? (f.backColor = color, true) : false; });
}

void DisplayModel::setAlignment(const QString& name, Qt::Alignment alignment) {
    update(name, [&](DisplayField& f) { return f.alignment != alignment ? (f.alignment = alignment, true) : false; });
}

void DisplayModel::setVisible(const QString& name, bool visible) {
    update(name, [&](DisplayField& f) { return f.visible != visible ? (f.visible = visible, true) : false; });
}

void DisplayModel::setWindowVisible(bool visible) {
    if (m_windowVisible == visible)
        return;
    m_windowVisible = visible;
    Q_EMIT windowVisibleChanged(visible);
}

quint32 DisplayModel::toRgb(quint32 bgr) {
    const quint32 r = bgr & 0xFF;
    const quint32 g = (bgr >> 8) & 0xFF;
    const quint32 b = (bgr >> 16) & 0xFF;
    return (r << 16) | (g << 8) | b;
}
