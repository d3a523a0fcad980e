#include "editor/pictures.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace zelvane {

namespace {

QPixmap Blank(int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void DrawPage(QPainter& p, const QRectF& r)
{
    const qreal fold = r.width() * 0.35;
    QPainterPath page;
    page.moveTo(r.left(), r.top());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.right(), r.bottom());
    page.lineTo(r.left(), r.bottom());
    page.closeSubpath();
    p.setPen(QPen(QColor(64, 64, 64), 1));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void DrawSparkle(QPainter& p, QPointF c, qreal s)
{
    p.setPen(QPen(QColor(230, 170, 0), 1.2));
    p.drawLine(QPointF(c.x() - s, c.y()), QPointF(c.x() + s, c.y()));
    p.drawLine(QPointF(c.x(), c.y() - s), QPointF(c.x(), c.y() + s));
    p.setPen(QPen(QColor(255, 210, 40), 1));
    p.drawLine(QPointF(c.x() - s * 0.6, c.y() - s * 0.6), QPointF(c.x() + s * 0.6, c.y() + s * 0.6));
    p.drawLine(QPointF(c.x() - s * 0.6, c.y() + s * 0.6), QPointF(c.x() + s * 0.6, c.y() - s * 0.6));
}

void DrawFolder(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(QColor(120, 90, 0), 1));
    p.setBrush(QColor(230, 190, 60));
    QPainterPath back;
    back.moveTo(r.left(), r.bottom());
    back.lineTo(r.left(), r.top() + 2);
    back.lineTo(r.left() + 4, r.top() + 2);
    back.lineTo(r.left() + 5, r.top() + 3.5);
    back.lineTo(r.right() - 2, r.top() + 3.5);
    back.lineTo(r.right() - 2, r.bottom());
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(QColor(250, 220, 110));
    QPainterPath front;
    front.moveTo(r.left(), r.bottom());
    front.lineTo(r.left() + 3, r.top() + r.height() * 0.45);
    front.lineTo(r.right(), r.top() + r.height() * 0.45);
    front.lineTo(r.right() - 3, r.bottom());
    front.closeSubpath();
    p.drawPath(front);
}

void DrawFloppy(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(QColor(20, 20, 60), 1));
    p.setBrush(QColor(40, 60, 150));
    p.drawRect(r);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(r.left() + r.width() * 0.25, r.top(), r.width() * 0.5, r.height() * 0.35));
    p.setBrush(QColor(40, 60, 150));
    p.drawRect(QRectF(r.left() + r.width() * 0.55, r.top() + 1, r.width() * 0.12, r.height() * 0.25));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(r.left() + r.width() * 0.15, r.top() + r.height() * 0.55, r.width() * 0.7, r.height() * 0.45 - 1));
}

void DrawGlyph(QPainter& p, const QRectF& r, const QString& text, const QColor& colour, qreal pixelSize,
               QFont::Weight weight = QFont::Bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(qRound(pixelSize));
    font.setWeight(weight);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(r, Qt::AlignCenter, text);
}

QPixmap Paint(int size, ToolbarPicture picture)
{
    QPixmap pixmap = Blank(size, size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF all(0, 0, size, size);
    const qreal u = size / 16.0;
    switch (picture) {
    case ToolbarPicture::NewPage:
        DrawPage(p, QRectF(2.5 * u, 1.5 * u, 9 * u, 13 * u));
        DrawSparkle(p, QPointF(12 * u, 4 * u), 3 * u);
        break;
    case ToolbarPicture::OpenFolder: {
        DrawFolder(p, QRectF(0.5 * u, 4.5 * u, 13 * u, 10 * u));
        p.setPen(QPen(QColor(0, 120, 0), 1.5 * u));
        p.setBrush(Qt::NoBrush);
        QPainterPath arrow;
        arrow.moveTo(7 * u, 5 * u);
        arrow.quadTo(9 * u, 0.5 * u, 14 * u, 2 * u);
        p.drawPath(arrow);
        p.setBrush(QColor(0, 120, 0));
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({QPointF(15.5 * u, 2.5 * u), QPointF(12 * u, 0), QPointF(12.5 * u, 4.5 * u)}));
        break;
    }
    case ToolbarPicture::Floppy:
        DrawFloppy(p, QRectF(1.5 * u, 1.5 * u, 13 * u, 13 * u));
        break;
    case ToolbarPicture::MarkSpecial:
        DrawGlyph(p, all, QStringLiteral("/0F"), Qt::black, 7.5 * u);
        break;
    case ToolbarPicture::UnmarkSpecial:
        DrawGlyph(p, all, QStringLiteral("/0F"), Qt::black, 7.5 * u);
        p.setPen(QPen(QColor(220, 0, 0), 1.8 * u, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(2 * u, 3 * u), QPointF(14 * u, 13 * u));
        p.drawLine(QPointF(14 * u, 3 * u), QPointF(2 * u, 13 * u));
        break;
    case ToolbarPicture::Capitals:
        DrawGlyph(p, all, QStringLiteral("A"), QColor(0, 0, 200), 14 * u);
        break;
    case ToolbarPicture::SmallLetters:
        DrawGlyph(p, all, QStringLiteral("a"), QColor(200, 0, 0), 14 * u);
        break;
    case ToolbarPicture::Digits:
        DrawGlyph(p, all, QStringLiteral("1"), Qt::black, 14 * u);
        break;
    case ToolbarPicture::Romaji:
        DrawGlyph(p, all, QStringLiteral("R"), QColor(0, 0, 200), 14 * u);
        break;
    case ToolbarPicture::Katakana: {
        // ア drawn as strokes: no font on the system needs to know it.
        p.setPen(QPen(QColor(0, 140, 0), 1.8 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath a;
        a.moveTo(2.5 * u, 3 * u);
        a.lineTo(13.5 * u, 3 * u);
        a.quadTo(12 * u, 6.5 * u, 9 * u, 8 * u);
        p.drawPath(a);
        QPainterPath stem;
        stem.moveTo(7.5 * u, 6 * u);
        stem.quadTo(7.5 * u, 11.5 * u, 3 * u, 14 * u);
        p.drawPath(stem);
        break;
    }
    case ToolbarPicture::Hiragana: {
        // あ drawn as strokes.
        p.setPen(QPen(QColor(210, 0, 0), 1.5 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(3 * u, 4 * u), QPointF(12 * u, 3.5 * u));
        QPainterPath stroke;
        stroke.moveTo(6.5 * u, 1.5 * u);
        stroke.quadTo(6 * u, 9 * u, 8 * u, 13 * u);
        p.drawPath(stroke);
        QPainterPath loop;
        loop.moveTo(10.5 * u, 6.5 * u);
        loop.quadTo(6 * u, 13.5 * u, 3.5 * u, 12 * u);
        loop.quadTo(2 * u, 9 * u, 8 * u, 7.5 * u);
        loop.quadTo(14.5 * u, 7.5 * u, 13.5 * u, 11 * u);
        loop.quadTo(12.5 * u, 13.5 * u, 10 * u, 14 * u);
        p.drawPath(loop);
        break;
    }
    }
    return pixmap;
}

} // namespace

QIcon ToolbarIcon(ToolbarPicture picture)
{
    return QIcon(Paint(16, picture));
}

QIcon MenuIcon(MenuPicture picture)
{
    QPixmap pixmap = Blank(13, 13);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (picture) {
    case MenuPicture::New:
        DrawPage(p, QRectF(2.5, 0.5, 8, 12));
        break;
    case MenuPicture::Open:
        DrawFolder(p, QRectF(0.5, 2.5, 12, 9));
        break;
    case MenuPicture::Save:
        DrawFloppy(p, QRectF(0.5, 0.5, 12, 12));
        break;
    }
    return QIcon(pixmap);
}

QIcon WindowIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128}) {
        QPixmap pixmap = Blank(size, size);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal u = size / 16.0;
        // A small table: a white sheet ruled in cells, the header row blue.
        const QRectF sheet(0.5 * u, 2.5 * u, 12 * u, 11 * u);
        p.setPen(QPen(QColor(60, 60, 60), u * 0.8));
        p.setBrush(Qt::white);
        p.drawRect(sheet);
        p.fillRect(QRectF(sheet.left(), sheet.top(), sheet.width(), 2.5 * u), QColor(90, 130, 220));
        p.setPen(QPen(QColor(150, 150, 150), u * 0.6));
        for (int i = 1; i < 4; ++i) {
            p.drawLine(QPointF(sheet.left() + i * 3 * u, sheet.top()), QPointF(sheet.left() + i * 3 * u, sheet.bottom()));
            p.drawLine(QPointF(sheet.left(), sheet.top() + (i * 2.8 - 0.3) * u),
                       QPointF(sheet.right(), sheet.top() + (i * 2.8 - 0.3) * u));
        }
        // A pencil across its corner.
        p.save();
        p.translate(10.5 * u, 10 * u);
        p.rotate(45);
        p.setPen(QPen(QColor(80, 50, 0), u * 0.6));
        p.setBrush(QColor(250, 200, 40));
        p.drawRect(QRectF(-1.3 * u, -6 * u, 2.6 * u, 8 * u));
        p.setBrush(QColor(240, 200, 160));
        p.drawPolygon(QPolygonF({QPointF(-1.3 * u, 2 * u), QPointF(1.3 * u, 2 * u), QPointF(0, 5 * u)}));
        p.setBrush(QColor(230, 120, 140));
        p.drawRect(QRectF(-1.3 * u, -7.5 * u, 2.6 * u, 1.5 * u));
        p.restore();
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPixmap StatusFigure()
{
    QPixmap pixmap = Blank(16, 18);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(QColor(250, 210, 170));
    p.drawEllipse(QRectF(5.5, 0.5, 5, 5));
    p.setBrush(QColor(50, 100, 200));
    p.drawRoundedRect(QRectF(4.5, 6, 7, 6), 1.5, 1.5);
    p.drawLine(QPointF(4.5, 7), QPointF(2.5, 11));
    p.drawLine(QPointF(11.5, 7), QPointF(13.5, 11));
    p.setPen(QPen(QColor(40, 40, 40), 1.5));
    p.drawLine(QPointF(6.5, 12), QPointF(6, 17));
    p.drawLine(QPointF(9.5, 12), QPointF(10, 17));
    return pixmap;
}

QPixmap AboutPicture()
{
    QPixmap pixmap = Blank(52, 160);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 160);
    sky.setColorAt(0, QColor(70, 110, 200));
    sky.setColorAt(1, QColor(190, 215, 250));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(0, 0, 52, 160), 4, 4);
    // A column of code cells, one of them marked yellow.
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    const char* labels[] = {"41=A", "42=B", "/00", "43=C", "*FF"};
    for (int i = 0; i < 5; ++i) {
        const QRectF cell(6, 8 + i * 22, 40, 18);
        p.setPen(QPen(QColor(40, 40, 40), 1));
        p.setBrush(i == 2 || i == 4 ? QColor(255, 255, 0) : QColor(Qt::white));
        p.drawRect(cell);
        p.drawText(cell, Qt::AlignCenter, QString::fromLatin1(labels[i]));
    }
    return pixmap;
}

} // namespace zelvane
