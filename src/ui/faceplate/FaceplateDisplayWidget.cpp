#include "faceplate/FaceplateDisplayWidget.h"

#include "monitor/DisplayModel.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kWidth = 640;
constexpr int kHeight = 222;

struct Place {
    const char* name;
    int x, y, w, h;
    int pixelSize;
    bool bold;
};

// The segment layout of the scanner's display: indicators along the top, the main line and the
// channel in large digits, then two rows of ten bank boxes with their markers underneath.
const Place kPlaces[] = {
    {"tbSCAN", 12, 8, 52, 18, 13, true},         {"tbMANUAL", 66, 8, 70, 18, 13, true},
    {"tbSEARCH", 138, 8, 70, 18, 13, true},      {"tbSRCHUP", 210, 8, 34, 18, 13, true},
    {"tbSRCHDN", 246, 8, 34, 18, 13, true},      {"tbHOLD", 282, 8, 50, 18, 13, true},
    {"tbTRUNKTYPE", 334, 8, 96, 18, 13, true},   {"tbDATA", 432, 8, 50, 18, 13, true},
    {"tbDELAY", 484, 8, 60, 18, 13, true},       {"tbLOCKOUT", 546, 8, 40, 18, 13, true},
    {"tbPRI", 588, 8, 40, 18, 13, true},         {"tbSVC_PUB", 12, 30, 52, 16, 11, false},
    {"tbSVC_POLICE", 66, 30, 70, 16, 11, false}, {"tbSVC_FIRE_EMG", 138, 30, 96, 16, 11, false},
    {"tbSVC_AIR", 236, 30, 46, 16, 11, false},   {"tbSVC_WX", 284, 30, 46, 16, 11, false},
    {"tbSHIFT", 334, 30, 60, 16, 11, true},      {"tbMUTE", 396, 30, 96, 16, 11, true},
    {"tbAlert", 494, 30, 134, 16, 11, true},     {"tbfreq", 10, 52, 420, 66, 50, true},
    {"tbModMode", 434, 58, 60, 22, 15, true},    {"tbMHZ", 434, 90, 60, 22, 15, true},
    {"tbCHANlbl", 500, 56, 36, 20, 14, true},    {"tbChan", 500, 74, 128, 44, 36, true},
};

QColor fromBgr(quint32 bgr) {
    return QColor::fromRgb(DisplayModel::toRgb(bgr));
}

// A dimmed display looks like one without power: grey glass, faint segments that stay readable.
QColor dimmed(const QColor& color) {
    const QColor glass = fromBgr(FaceplateDisplayWidget::kLcdBack).darker(135);
    return QColor::fromRgbF(0.35f * color.redF() + 0.65f * glass.redF(),
                            0.35f * color.greenF() + 0.65f * glass.greenF(),
                            0.35f * color.blueF() + 0.65f * glass.blueF());
}
} // namespace

FaceplateDisplayWidget::FaceplateDisplayWidget(DisplayModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model) {
    setObjectName(QStringLiteral("lcdDisplay"));
    setFixedSize(kWidth, kHeight);
    for (const Place& p : kPlaces)
        addLabel(QString::fromLatin1(p.name), QRect(p.x, p.y, p.w, p.h), p.pixelSize, p.bold);

    addLabel(QStringLiteral("tbBank"), QRect(12, 126, 62, 22), 14, true);
    for (int bank = 1; bank <= 20; ++bank) {
        const int column = (bank - 1) % 10;
        const int row = (bank - 1) / 10;
        const int x = 80 + column * 54;
        const int y = 124 + row * 48;
        addLabel(DisplayModel::element(QStringLiteral("tbBANKNUM"), bank), QRect(x, y, 48, 26), 18, true);
        addLabel(DisplayModel::element(QStringLiteral("tbACTIVEBANK"), bank), QRect(x, y + 26, 48, 16), 16, false);
    }

    connect(&m_model, &DisplayModel::fieldChanged, this, &FaceplateDisplayWidget::refresh);
    connect(&m_model, &DisplayModel::dimmedChanged, this, [this] {
        refreshAll();
        update();
    });
    refreshAll();
}

QString FaceplateDisplayWidget::fontFamily() {
    return QStringLiteral("DejaVu Sans Mono");
}

QString FaceplateDisplayWidget::shownText(const QString& field, const QString& text) {
    // The marker was a symbol-font "n"; any filled square stands in for it.
    if (field.startsWith(QLatin1String("tbACTIVEBANK(")) && text == QLatin1String("n"))
        return QString(QChar(0x25A0));
    return text;
}

void FaceplateDisplayWidget::addLabel(const QString& name, const QRect& geometry, int pixelSize, bool bold) {
    auto* label = new QLabel(this);
    label->setObjectName(name);
    label->setGeometry(geometry);
    QFont font(fontFamily());
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    m_labels.insert(name, label);
}

void FaceplateDisplayWidget::refreshAll() {
    for (auto it = m_labels.cbegin(); it != m_labels.cend(); ++it)
        refresh(it.key());
}

void FaceplateDisplayWidget::refresh(const QString& name) {
    QLabel* label = m_labels.value(name);
    if (!label)
        return;
    if (!m_model.hasField(name)) {
        label->hide();
        return;
    }
    const DisplayField f = m_model.field(name);
    label->setText(shownText(name, f.text));
    QPalette palette = label->palette();
    const bool dim = m_model.isDimmed();
    palette.setColor(QPalette::WindowText, dim ? dimmed(fromBgr(f.foreColor)) : fromBgr(f.foreColor));
    palette.setColor(QPalette::Window, dim ? dimmed(fromBgr(f.backColor)) : fromBgr(f.backColor));
    label->setPalette(palette);
    // A field in the glass's own colour lets the glass show through; an inverted box fills.
    label->setAutoFillBackground(f.backColor != kLcdBack);
    Qt::Alignment alignment = f.alignment;
    if (!(alignment & Qt::AlignVertical_Mask))
        alignment |= Qt::AlignVCenter;
    label->setAlignment(alignment);
    label->setVisible(f.visible);
}

void FaceplateDisplayWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF glass = QRectF(rect()).adjusted(1, 1, -1, -1);
    QPainterPath path;
    path.addRoundedRect(glass, 10, 10);
    const QColor back = m_model.isDimmed() ? dimmed(fromBgr(kLcdBack)) : fromBgr(kLcdBack);
    QLinearGradient shade(glass.topLeft(), glass.bottomLeft());
    shade.setColorAt(0.0, back.darker(112));
    shade.setColorAt(0.12, back);
    shade.setColorAt(1.0, back.lighter(104));
    painter.fillPath(path, shade);
    painter.setPen(QPen(QColor(20, 20, 20), 2));
    painter.drawPath(path);
}
