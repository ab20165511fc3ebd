#include "DisplayModel.h"

DisplayModel::DisplayModel(QObject* parent)
    : QObject(parent) {}

QString DisplayModel::element(const QString& array, int index) {
    return array + QLatin1Char('(') + QString::number(index) + QLatin1Char(')');
}

void DisplayModel::addField(const QString& name, const DisplayField& initial) {
    if (!m_fields.contains(name))
        m_order.append(name);
    m_fields.insert(name, initial);
}

void DisplayModel::addArray(const QString& array, int first, int last, const DisplayField& initial) {
    for (int i = first; i <= last; ++i)
        addField(element(array, i), initial);
}

QString DisplayModel::text(const QString& name) const {
    return m_fields.value(name).text;
}

quint32 DisplayModel::foreColor(const QString& name) const {
    return m_fields.value(name).foreColor;
}

quint32 DisplayModel::backColor(const QString& name) const {
    return m_fields.value(name).backColor;
}

Qt::Alignment DisplayModel::alignment(const QString& name) const {
    return m_fields.value(name).alignment;
}

bool DisplayModel::isVisible(const QString& name) const {
    return m_fields.value(name).visible;
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

void DisplayModel::setDimmed(bool dimmed) {
    if (m_dimmed == dimmed)
        return;
    m_dimmed = dimmed;
    Q_EMIT dimmedChanged(dimmed);
}

quint32 DisplayModel::toRgb(quint32 bgr) {
    const quint32 r = bgr & 0xFF;
    const quint32 g = (bgr >> 8) & 0xFF;
    const quint32 b = (bgr >> 16) & 0xFF;
    return (r << 16) | (g << 8) | b;
}
