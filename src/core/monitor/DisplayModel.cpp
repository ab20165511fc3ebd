#include "DisplayModel.h"

namespace {
// What a field the display does not have reads as.
const DisplayField kAbsent;

// Each setter changes one member and says whether it changed.
template <typename T> auto assign(T DisplayField::*member, const T& value) {
    return [member, &value](DisplayField& f) {
        if (f.*member == value)
            return false;
        f.*member = value;
        return true;
    };
}
} // namespace

DisplayModel::DisplayModel(QObject* parent)
    : QObject(parent) {}

QString DisplayModel::element(const QString& array, int index) {
    return array + QLatin1Char('(') + QString::number(index) + QLatin1Char(')');
}

void DisplayModel::addField(const QString& name, const DisplayField& initial) {
    if (Entry* existing = find(name)) {
        existing->field = initial;
        return;
    }
    m_store.push_back(Entry{name, initial});
    Entry* entry = &m_store.back();
    m_fields.insert(name, entry);
    m_order.append(name);
    // "tbBANKNUM(3)" is element 3 of tbBANKNUM, however it was added.
    const qsizetype open = name.indexOf(QLatin1Char('('));
    if (open < 1 || !name.endsWith(QLatin1Char(')')))
        return;
    bool isNumber = false;
    const int index = name.mid(open + 1, name.size() - open - 2).toInt(&isNumber);
    if (!isNumber || index < 0)
        return;
    QList<Entry*>& entries = m_elements[name.left(open)];
    if (entries.size() <= index)
        entries.resize(index + 1, nullptr);
    entries[index] = entry;
}

void DisplayModel::addArray(const QString& array, int first, int last, const DisplayField& initial) {
    for (int i = first; i <= last; ++i)
        addField(element(array, i), initial);
}

const QList<DisplayModel::Entry*>* DisplayModel::elements(const QString& array) const {
    static const QList<Entry*> none;
    const auto it = m_elements.constFind(array);
    return it == m_elements.cend() ? &none : &*it;
}

DisplayModel::Array DisplayModel::array(const QString& name) {
    return Array(*this, elements(name));
}

const DisplayField& DisplayModel::fieldOrDefault(const QString& name) const {
    const Entry* entry = find(name);
    return entry ? entry->field : kAbsent;
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

template <typename F> void DisplayModel::update(Entry* entry, F change) {
    // Writing to a field the display does not have is ignored; an unchanged field stays quiet.
    if (entry && change(entry->field))
        Q_EMIT fieldChanged(entry->name);
}

void DisplayModel::setText(const QString& name, const QString& text) {
    update(find(name), assign(&DisplayField::text, text));
}

void DisplayModel::setForeColor(const QString& name, quint32 color) {
    update(find(name), assign(&DisplayField::foreColor, color));
}

void DisplayModel::setBackColor(const QString& name, quint32 color) {
    update(find(name), assign(&DisplayField::backColor, color));
}

void DisplayModel::setAlignment(const QString& name, Qt::Alignment alignment) {
    update(find(name), assign(&DisplayField::alignment, alignment));
}

void DisplayModel::setVisible(const QString& name, bool visible) {
    update(find(name), assign(&DisplayField::visible, visible));
}

QString DisplayModel::text(const QString& array, int index) const {
    const QList<Entry*>& entries = *elements(array);
    return index >= 0 && index < entries.size() && entries.at(index) ? entries.at(index)->field.text : QString();
}

void DisplayModel::setText(const QString& array, int index, const QString& text) {
    this->array(array).setText(index, text);
}

DisplayModel::Entry* DisplayModel::Array::entry(int index) const {
    return index >= 0 && index < m_entries->size() ? m_entries->at(index) : nullptr;
}

QString DisplayModel::Array::text(int index) const {
    const Entry* s = entry(index);
    return s ? s->field.text : QString();
}

quint32 DisplayModel::Array::foreColor(int index) const {
    const Entry* s = entry(index);
    return s ? s->field.foreColor : kAbsent.foreColor;
}

quint32 DisplayModel::Array::backColor(int index) const {
    const Entry* s = entry(index);
    return s ? s->field.backColor : kAbsent.backColor;
}

void DisplayModel::Array::setText(int index, const QString& text) {
    m_model->update(entry(index), assign(&DisplayField::text, text));
}

void DisplayModel::Array::setForeColor(int index, quint32 color) {
    m_model->update(entry(index), assign(&DisplayField::foreColor, color));
}

void DisplayModel::Array::setBackColor(int index, quint32 color) {
    m_model->update(entry(index), assign(&DisplayField::backColor, color));
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
