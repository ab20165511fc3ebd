#include "faceplate/Bc780LcdWidget.h"

#include "monitor/DisplayModel.h"
#include "monitor/Panel.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kWidth = 620;
constexpr int kHeight = 316;
constexpr int kBankX = 76;
constexpr int kBankStep = 34;
// A display line holds sixteen characters, drawn wide enough to span the glass.
constexpr int kLineCells = 16;
constexpr int kLineStretch = 175;

struct Place {
    const char* name;
    int x, y, w, h;
    int pixelSize;
};

// The small segment words of the display, in the places the scanner has them.
const Place kSegments[] = {
    {"tbSCAN", 14, 10, 44, 16, 12},     {"tbSEARCH", 60, 10, 44, 16, 12},      {"tbHOLD", 106, 10, 44, 16, 12},
    {"tbLIST", 152, 10, 40, 16, 12},    {"tbPRI", 194, 10, 34, 16, 12},        {"tbDELAY", 230, 10, 34, 16, 12},
    {"tbLOCKOUT", 266, 10, 34, 16, 12}, {"tbDATA", 302, 10, 44, 16, 12},       {"tbALPHA", 348, 10, 52, 16, 12},
    {"tbAUTO", 402, 10, 44, 16, 12},    {"tbTRUNKTYPE", 460, 10, 146, 16, 12}, {"tbBank", 14, 38, 56, 20, 13},
    {"tbCHANlbl", 440, 44, 30, 18, 13}, {"tbFRQ", 14, 104, 40, 18, 13},        {"tbModMode", 520, 104, 86, 18, 13},
    {"tbCTCSS", 14, 160, 52, 16, 12},   {"tbDCS", 70, 160, 36, 16, 12},        {"tbSIG", 300, 160, 34, 16, 12},
    {"tbLINE", 440, 160, 44, 16, 12},   {"tbMANUAL", 14, 130, 60, 16, 12},     {"tbPRIlbl", 440, 64, 30, 16, 12},
    {"tbMHZ", 520, 130, 40, 18, 13},
};

const QString kLcdFontFile = QStringLiteral(":/fonts/DSEG14Classic-Regular.ttf");
} // namespace

Bc780LcdWidget::Bc780LcdWidget(DisplayModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model) {
    setObjectName(QStringLiteral("lcdDisplay"));
    setFixedSize(kWidth, kHeight);
    // Any change repaints: the display is small and painted whole.
    connect(&m_model, &DisplayModel::fieldChanged, this, [this] { update(); });
    connect(&m_model, &DisplayModel::dimmedChanged, this, [this] { update(); });
}

QSize Bc780LcdWidget::sizeHint() const {
    return {kWidth, kHeight};
}

QString Bc780LcdWidget::lcdFontFamily() {
    static const QString family = [] {
        const int id = QFontDatabase::addApplicationFont(kLcdFontFile);
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        return families.isEmpty() ? QStringLiteral("DejaVu Sans Mono") : families.first();
    }();
    return family;
}

QColor Bc780LcdWidget::color(quint32 bgr) const {
    QColor c = QColor::fromRgb(DisplayModel::toRgb(bgr));
    // Without backlight the glass is darker; a scanner that does not answer looks switched off.
    const QString light = m_model.text(QStringLiteral("btnLIGHT"));
    if (light == QLatin1String("LCD OFF"))
        c = c.darker(150);
    else if (light == QLatin1String("LCD DIM"))
        c = c.darker(115);
    if (m_model.isDimmed())
        c = QColor::fromHsv(c.hsvHue(), c.hsvSaturation() / 4, c.value() * 3 / 4);
    return c;
}

void Bc780LcdWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath glass;
    glass.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 10, 10);
    p.fillPath(glass, color(Panel::kLcdBack));

    for (const Place& place : kSegments) {
        drawSegment(p, QLatin1String(place.name), QRect(place.x, place.y, place.w, place.h), place.pixelSize,
                    Qt::AlignLeft | Qt::AlignVCenter);
    }
    drawBanks(p);
    drawMarkers(p);
    drawLcdText(p, QStringLiteral("tbChan"), QRect(474, 34, 132, 46), 38, 3, Qt::AlignRight | Qt::AlignVCenter);
    drawLcdText(p, QStringLiteral("tbfreq"), QRect(60, 88, 450, 62), 48, 9, Qt::AlignRight | Qt::AlignVCenter);
    drawLcdText(p, QStringLiteral("tbTONES"), QRect(112, 156, 150, 24), 18, 7, Qt::AlignLeft | Qt::AlignVCenter);
    drawSignal(p);
    for (int line = 1; line <= 4; ++line) {
        drawLcdText(p, DisplayModel::element(QStringLiteral("Text2"), line), QRect(16, 186 + (line - 1) * 31, 590, 28),
                    24, kLineCells, Qt::AlignLeft | Qt::AlignVCenter, kLineStretch);
    }
}

void Bc780LcdWidget::drawSegment(QPainter& p, const QString& field, const QRect& box, int pixelSize,
                                 Qt::Alignment align) {
    if (!m_model.hasField(field) || !m_model.isVisible(field))
        return;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    p.setFont(font);
    p.setPen(color(m_model.foreColor(field)));
    p.drawText(box, align, m_model.text(field));
}

void Bc780LcdWidget::drawLcdText(QPainter& p, const QString& field, const QRect& box, int pixelSize, int cells,
                                 Qt::Alignment align, int stretch) {
    if (!m_model.hasField(field))
        return;
    QFont font(lcdFontFamily());
    font.setPixelSize(pixelSize);
    font.setStretch(stretch);
    p.setFont(font);
    // The LCD font has no lower case: the scanner shows tags in capitals. Its "!" is a blank as
    // wide as a character (its space is narrower), and its point takes no cell of its own.
    QString text = m_model.isVisible(field) ? m_model.text(field).toUpper() : QString();
    text.replace(QLatin1Char(' '), QLatin1Char('!'));
    // The font's ">" is no segment shape the scanner has: its ">" is the two diagonal segments that
    // meet at the middle of the cell's right side. Those cells are left blank and drawn below.
    QList<int> chevronCells;
    int cell = 0;
    for (QChar& c : text) {
        if (c == QLatin1Char('>')) {
            chevronCells.append(cell);
            c = QLatin1Char('!');
        }
        cell += c == QLatin1Char('.') ? 0 : 1;
    }
    QString ghost;
    for (const QChar c : text)
        ghost += c == QLatin1Char('.') ? c : QLatin1Char('~');
    const qsizetype used = ghost.size() - ghost.count(QLatin1Char('.'));
    if (used < cells) {
        const QString pad(cells - used, QLatin1Char('~'));
        ghost = align.testFlag(Qt::AlignRight) ? pad + ghost : ghost + pad;
    }
    // The unlit cells: every segment of every character, in the unlit colour.
    p.setPen(color(Panel::kLcdUnlit));
    p.drawText(box, align, ghost);
    p.setPen(color(m_model.foreColor(field)));
    p.drawText(box, align, text);
    if (chevronCells.isEmpty())
        return;
    const QFontMetricsF metrics(p.font());
    const double advance = metrics.horizontalAdvance(QLatin1Char('~'));
    const double width = metrics.horizontalAdvance(ghost);
    const double left = align.testFlag(Qt::AlignRight) ? box.right() + 1 - width : box.left();
    const double bottom = box.center().y() + metrics.capHeight() / 2;
    const double top = bottom - metrics.capHeight();
    p.setPen(QPen(color(m_model.foreColor(field)), qMax(2.0, advance / 8), Qt::SolidLine, Qt::RoundCap));
    for (const int at : std::as_const(chevronCells)) {
        const double x = left + at * advance;
        const QPointF stroke[] = {
            {x + advance * 0.2, top}, {x + advance * 0.7, (top + bottom) / 2}, {x + advance * 0.2, bottom}};
        p.drawPolyline(stroke, 3);
    }
}

void Bc780LcdWidget::drawBanks(QPainter& p) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(15);
    font.setBold(true);
    p.setFont(font);
    for (int bank = 1; bank <= 10; ++bank) {
        const QString name = DisplayModel::element(QStringLiteral("tbBANKNUM"), bank);
        if (!m_model.hasField(name))
            continue;
        const QRect box(kBankX + (bank - 1) * kBankStep, 36, 30, 24);
        // The active bank is inverted: a dark box with the glass colour for its digits.
        const quint32 back = m_model.backColor(name);
        if (back != Panel::kLcdBack)
            p.fillRect(box, color(back));
        p.setPen(color(m_model.foreColor(name)));
        p.drawText(box, Qt::AlignCenter, m_model.text(name));
    }
}

void Bc780LcdWidget::drawMarkers(QPainter& p) {
    p.setPen(Qt::NoPen);
    for (int i = 1; i <= 30; ++i) {
        const QString name = DisplayModel::element(QStringLiteral("tbACTIVEBANK"), i);
        if (!m_model.hasField(name))
            continue;
        // Three markers under each bank box.
        const int x = kBankX + ((i - 1) / 3) * kBankStep + ((i - 1) % 3) * 10 + 1;
        const QRectF cell(x, 66, 8, 8);
        p.setBrush(color(m_model.foreColor(name)));
        if (m_model.text(name) == QLatin1String("w")) {
            const QPointF c = cell.center();
            const QPointF diamond[] = {{c.x(), cell.top() - 1},
                                       {cell.right() + 1, c.y()},
                                       {c.x(), cell.bottom() + 1},
                                       {cell.left() - 1, c.y()}};
            p.drawPolygon(diamond, 4);
        } else {
            p.drawRect(cell);
        }
    }
}

void Bc780LcdWidget::drawSignal(QPainter& p) {
    p.setPen(Qt::NoPen);
    for (int i = 1; i <= 6; ++i) {
        const QString name = DisplayModel::element(QStringLiteral("SigStrength"), i);
        if (!m_model.hasField(name) || !m_model.isVisible(name))
            continue;
        const int height = 4 + i * 3;
        p.setBrush(color(m_model.foreColor(name)));
        p.drawRect(QRect(340 + (i - 1) * 14, 176 - height, 10, height));
    }
}
