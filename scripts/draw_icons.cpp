// Draws Kestrum's twelve toolbar images and its application icon with QPainter and writes
// them as PNG files (the application icon also as SVG).
//
// Every toolbar image is drawn once on a 24 x 24 grid and rendered at scale 1 ("name.png")
// and scale 2 ("name@2x.png"), so both sizes come from the same vector drawing. Outlines are
// one grid unit wide and lie on half units, which keeps them sharp at both scales.
// The application icon is drawn on a 48 x 48 grid and rendered at the desktop's icon sizes
// 48, 64, 128 and 256 ("NxN.png") and as "scalable.svg".
// Light comes from above: fills run from a lighter top to their base colour.
//
// Usage: draw_icons OUTPUT_DIR [--app APP_ICON_DIR] [--sheet SHEET.png]
//   --app also writes the application icon into APP_ICON_DIR.
//   --sheet also writes a contact sheet of all toolbar images, enlarged, for review.
//
// Not part of the program: the CMake target kestrum_draw_icons, which scripts/draw-icons.sh
// builds and runs.

#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QSvgGenerator>

#include <array>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <numbers>
#include <utility>

namespace {

inline constexpr int kGrid = 24;  // design grid and 1x size in device-independent pixels

// One palette for the whole family.
namespace ink {
inline const QColor kOutline{0x2b, 0x3a, 0x4a};
inline const QColor kTextLine{0x7d, 0x8d, 0xa0};
inline const QColor kPaperTop{0xff, 0xff, 0xff};
inline const QColor kPaper{0xe6, 0xec, 0xf3};
inline const QColor kMetalTop{0xf2, 0xf5, 0xf8};
inline const QColor kMetal{0xb4, 0xc0, 0xcc};
inline const QColor kBlueTop{0x5c, 0x9d, 0xf0};
inline const QColor kBlue{0x1e, 0x6f, 0xd9};
inline const QColor kBlueDark{0x15, 0x52, 0xa6};
inline const QColor kGreenTop{0x6c, 0xcc, 0x7d};
inline const QColor kGreen{0x2e, 0x9e, 0x44};
inline const QColor kRedTop{0xe8, 0x6a, 0x5f};
inline const QColor kRed{0xc8, 0x38, 0x2e};
inline const QColor kAmberTop{0xff, 0xd8, 0x70};
inline const QColor kAmber{0xf0, 0xb4, 0x3c};
inline const QColor kAmberDark{0xd9, 0x95, 0x1f};
inline const QColor kWood{0xf6, 0xdc, 0xaa};
}  // namespace ink

// Gap left around a shape that overlaps another, so the two read apart.
inline constexpr qreal kHaloWidth = 3.0;

QBrush Shaded(const QColor& top, const QColor& base, qreal y0, qreal y1) {
    QLinearGradient gradient(0, y0, 0, y1);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, base);
    return gradient;
}

QPen Outline(const QColor& colour = ink::kOutline, qreal width = 1.0) {
    return QPen(colour, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
}

QPen RoundOutline(const QColor& colour = ink::kOutline, qreal width = 1.0) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void DrawShape(QPainter& p, const QPainterPath& path, const QBrush& fill,
               const QPen& pen = Outline()) {
    p.setPen(pen);
    p.setBrush(fill);
    p.drawPath(path);
}

// Clears a band around `path` so that what is drawn next stands free of what lies below.
void PunchHalo(QPainter& p, const QPainterPath& path, qreal width = kHaloWidth) {
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setPen(QPen(Qt::black, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::black);
    p.drawPath(path);
    p.restore();
}

QPainterPath Polygon(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

QPainterPath RoundedRect(const QRectF& rect, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

void FillRect(QPainter& p, const QRectF& rect, const QColor& colour) {
    p.fillRect(rect, colour);
}

// A sheet of paper with its top-right corner folded over.
QPainterPath PageOutline(const QRectF& r, qreal fold) {
    return Polygon({r.topLeft(),
                    {r.right() - fold, r.top()},
                    {r.right(), r.top() + fold},
                    r.bottomRight(),
                    r.bottomLeft()});
}

void DrawPage(QPainter& p, const QRectF& r, qreal fold) {
    DrawShape(p, PageOutline(r, fold), Shaded(ink::kPaperTop, ink::kPaper, r.top(), r.bottom()));
    const QPainterPath corner = Polygon({{r.right() - fold, r.top()},
                                         {r.right() - fold, r.top() + fold},
                                         {r.right(), r.top() + fold}});
    DrawShape(p, corner, ink::kMetal);
}

// Command buttons as on the main window's bank: a small key with a caption line.
void DrawCommandKey(QPainter& p, const QRectF& r) {
    DrawShape(p, RoundedRect(r, 1.0), Shaded(ink::kPaperTop, ink::kPaper, r.top(), r.bottom()));
    const qreal y = std::floor(r.center().y());
    FillRect(p, QRectF(r.left() + 1.5, y, r.width() - 3, 1), ink::kBlue);
}

// Filled arrow pointing right, its tip at `tip`.
QPainterPath RightArrow(QPointF tip, qreal length, qreal shaftHalf, qreal headHalf,
                        qreal headLength) {
    const qreal x0 = tip.x() - length;
    const qreal xh = tip.x() - headLength;
    const qreal y = tip.y();
    return Polygon({{x0, y - shaftHalf},
                    {xh, y - shaftHalf},
                    {xh, y - headHalf},
                    tip,
                    {xh, y + headHalf},
                    {xh, y + shaftHalf},
                    {x0, y + shaftHalf}});
}

// 1. Open Com Set: an open folder holding a sheet of command keys.
void DrawOpen(QPainter& p) {
    const QPainterPath back = Polygon({{2.5, 20.5},
                                       {2.5, 4.5},
                                       {3.5, 3.5},
                                       {8.5, 3.5},
                                       {10.5, 5.5},
                                       {19.5, 5.5},
                                       {20.5, 6.5},
                                       {20.5, 20.5}});
    DrawShape(p, back, Shaded(ink::kAmber, ink::kAmberDark, 3.5, 20.5));

    const QRectF sheet(5.5, 7.5, 13, 10);
    DrawShape(p, RoundedRect(sheet, 0.0), Shaded(ink::kPaperTop, ink::kPaper, 7.5, 17.5));
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 3; ++col) {
            FillRect(p, QRectF(7 + col * 4, 9 + row * 3, 2, 2), ink::kBlue);
        }
    }

    const QPainterPath front = Polygon({{6.5, 12.5}, {23.5, 12.5}, {20.5, 20.5}, {1.5, 20.5}});
    DrawShape(p, front, Shaded(ink::kAmberTop, ink::kAmber, 12.5, 20.5));
}

// 2. Save Data: a diskette.
void DrawSave(QPainter& p) {
    const QPainterPath body =
        Polygon({{3.5, 3.5}, {17.5, 3.5}, {20.5, 6.5}, {20.5, 20.5}, {3.5, 20.5}});
    DrawShape(p, body, Shaded(ink::kBlueTop, ink::kBlue, 3.5, 20.5));

    const QRectF shutter(7.5, 3.5, 9, 6);
    DrawShape(p, RoundedRect(shutter, 0.0), Shaded(ink::kMetalTop, ink::kMetal, 3.5, 9.5));
    FillRect(p, QRectF(13, 5, 2, 3), ink::kOutline);

    const QRectF label(6.5, 12.5, 11, 8);
    DrawShape(p, RoundedRect(label, 0.0), Shaded(ink::kPaperTop, ink::kPaper, 12.5, 20.5));
    FillRect(p, QRectF(8, 15, 8, 1), ink::kTextLine);
    FillRect(p, QRectF(8, 17, 6, 1), ink::kTextLine);
}

// 3. Print Data: a printer with a printed page coming out.
void DrawPrint(QPainter& p) {
    DrawShape(p, RoundedRect(QRectF(6.5, 2.5, 11, 7), 0.0), ink::kPaperTop);

    const QRectF body(2.5, 8.5, 19, 9);
    DrawShape(p, RoundedRect(body, 1.5), Shaded(ink::kMetalTop, ink::kMetal, 8.5, 17.5));
    FillRect(p, QRectF(18, 10, 2, 2), ink::kGreen);

    const QRectF slot(4.5, 13.5, 15, 2);
    DrawShape(p, RoundedRect(slot, 0.0), ink::kOutline);

    const QRectF page(6.5, 14.5, 11, 7);
    DrawShape(p, RoundedRect(page, 0.0), Shaded(ink::kPaperTop, ink::kPaper, 14.5, 21.5));
    FillRect(p, QRectF(8, 17, 8, 1), ink::kBlue);
    FillRect(p, QRectF(8, 19, 6, 1), ink::kBlue);
}

// 4. Clear Data: an eraser wiping a line.
void DrawClear(QPainter& p) {
    FillRect(p, QRectF(11, 20, 11, 1), ink::kOutline);

    p.save();
    p.translate(12.0, 12.0);
    p.rotate(-45.0);
    constexpr qreal halfLength = 9.0;
    constexpr qreal halfWidth = 4.0;
    constexpr qreal joint = -2.0;  // where the sleeve meets the rubber, along the eraser
    const QRectF rubber(-halfLength, -halfWidth, joint + halfLength, 2 * halfWidth);
    const QRectF sleeve(joint, -halfWidth, halfLength - joint, 2 * halfWidth);
    p.setPen(Qt::NoPen);
    p.setBrush(Shaded(ink::kPaperTop, ink::kPaper, -halfWidth, halfWidth));
    p.drawRect(rubber);
    p.setBrush(Shaded(ink::kRedTop, ink::kRed, -halfWidth, halfWidth));
    p.drawRect(sleeve);
    p.setPen(RoundOutline());
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(-halfLength, -halfWidth, 2 * halfLength, 2 * halfWidth), 1.0, 1.0);
    p.drawLine(QPointF(joint, -halfWidth), QPointF(joint, halfWidth));
    p.restore();
}

// 5. Send String: a paper plane taking off.
void DrawSend(QPainter& p) {
    const QPointF nose(21.5, 2.5);
    const QPointF wing(2.5, 10.5);
    const QPointF fold(10.5, 13.5);
    const QPointF tail(13.5, 21.5);
    const QPointF keel(10.5, 18.5);

    DrawShape(p, Polygon({nose, fold, keel}), ink::kBlueDark, RoundOutline());
    DrawShape(p, Polygon({nose, wing, fold}), Shaded(ink::kBlueTop, ink::kBlue, 2.5, 13.5),
              RoundOutline());
    DrawShape(p, Polygon({nose, fold, tail}), Shaded(ink::kBlue, ink::kBlueDark, 2.5, 21.5),
              RoundOutline());

    // Trail behind the plane.
    p.setPen(QPen(ink::kTextLine, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(2.5, 21.5), QPointF(7, 17));
    p.drawLine(QPointF(2.5, 16.5), QPointF(4.5, 14.5));
}

// 6. Edit Com Set: a pencil over a bank of command keys.
void DrawEdit(QPainter& p) {
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 2; ++col) {
            if (row == 2 && col == 1) {
                continue;  // where the pencil lies
            }
            DrawCommandKey(p, QRectF(1.5 + col * 10, 2.5 + row * 6, 8, 4));
        }
    }

    // The pencil lies along the diagonal, drawn along x from its point at 0 to its end.
    p.save();
    p.translate(10.5, 22.0);
    p.rotate(-45.0);
    constexpr qreal kLength = 16.0;
    constexpr qreal kHalf = 2.5;
    constexpr qreal kCone = 5.0;
    constexpr qreal kGraphite = 1.8;
    constexpr qreal kRubber = 2.5;
    const QPainterPath body =
        Polygon({{kCone, -kHalf}, {kLength, -kHalf}, {kLength, kHalf}, {kCone, kHalf}});
    const QPainterPath cone = Polygon({{kCone, -kHalf}, {kCone, kHalf}, {0, 0}});
    PunchHalo(p, body.united(cone), 2 * kHaloWidth);
    DrawShape(p, body, Shaded(ink::kAmberTop, ink::kAmber, -kHalf, kHalf), RoundOutline());
    DrawShape(p, RoundedRect(QRectF(kLength - kRubber, -kHalf, kRubber, 2 * kHalf), 0.0),
              Shaded(ink::kRedTop, ink::kRed, -kHalf, kHalf), RoundOutline());
    DrawShape(p, cone, ink::kWood, RoundOutline());
    const qreal graphiteHalf = kHalf * kGraphite / kCone;
    DrawShape(p, Polygon({{kGraphite, -graphiteHalf}, {kGraphite, graphiteHalf}, {0, 0}}),
              ink::kOutline, RoundOutline());
    p.restore();
}

// 7. Send Text File: a text page with an arrow leaving it.
void DrawSendText(QPainter& p) {
    DrawPage(p, QRectF(2.5, 2.5, 13, 19), 4);
    for (const auto& [y, length] :
         std::array<std::pair<int, int>, 4>{{{8, 8}, {11, 9}, {14, 6}, {17, 7}}}) {
        FillRect(p, QRectF(5, y, length, 1), ink::kTextLine);
    }

    const QPainterPath arrow = RightArrow({22.5, 16.5}, 13, 2, 5, 6);
    PunchHalo(p, arrow);
    DrawShape(p, arrow, Shaded(ink::kBlueTop, ink::kBlue, 11.5, 21.5));
}

// A gear with `teeth` teeth.
QPainterPath Gear(QPointF centre, qreal outer, qreal inner, int teeth, qreal hole) {
    QPainterPath path;
    const int steps = teeth * 4;
    for (int i = 0; i < steps; ++i) {
        const qreal angle = 2 * std::numbers::pi * (i - 0.5) / steps;
        const qreal radius = (i % 4 == 0 || i % 4 == 1) ? outer : inner;
        const QPointF point = centre + QPointF(std::cos(angle), std::sin(angle)) * radius;
        if (i == 0) {
            path.moveTo(point);
        } else {
            path.lineTo(point);
        }
        const qreal next = 2 * std::numbers::pi * (i + 0.5) / steps;
        path.lineTo(centre + QPointF(std::cos(next), std::sin(next)) * radius);
    }
    path.closeSubpath();
    path.addEllipse(centre, hole, hole);
    return path;
}

// 8. Port Settings: a nine-pin D connector with a gear.
void DrawPortSettings(QPainter& p) {
    const QRectF flange(1.5, 3.5, 22, 11);
    DrawShape(p, RoundedRect(flange, 2.0), Shaded(ink::kMetalTop, ink::kMetal, 3.5, 14.5));
    for (const qreal x : {4.0, 21.0}) {
        p.setPen(Outline());
        p.setBrush(ink::kPaperTop);
        p.drawEllipse(QPointF(x, 9.0), 1.0, 1.0);
    }

    const QPainterPath shell = Polygon({{6.5, 5.5}, {18.5, 5.5}, {16.5, 12.5}, {8.5, 12.5}});
    DrawShape(p, shell, ink::kOutline, RoundOutline());
    p.setPen(Qt::NoPen);
    p.setBrush(ink::kAmberTop);
    for (int i = 0; i < 5; ++i) {
        p.drawEllipse(QPointF(8.5 + i * 2, 7.5), 0.75, 0.75);
    }
    for (int i = 0; i < 4; ++i) {
        p.drawEllipse(QPointF(9.5 + i * 2, 10.5), 0.75, 0.75);
    }

    const QPainterPath gear = Gear({17.5, 17.5}, 5.5, 4.0, 8, 1.6);
    PunchHalo(p, gear);
    DrawShape(p, gear, Shaded(ink::kBlueTop, ink::kBlue, 12, 23), RoundOutline());
}

// Plug and socket seen from the side, plug on the left. `plugNose` is the x of the plug's
// front face, `socketLeft` that of the socket's mouth; the plug is seated when its nose lies
// inside the mouth.
void DrawPlugAndSocket(QPainter& p, qreal plugNose, qreal socketLeft, const QColor& top,
                       const QColor& base) {
    const qreal plugBack = plugNose - 7;
    const qreal socketBack = socketLeft + 6;
    const QPen cable(ink::kOutline, 2.0, Qt::SolidLine, Qt::FlatCap);

    p.setPen(cable);
    p.drawLine(QPointF(0, 12), QPointF(plugBack, 12));
    p.drawLine(QPointF(socketBack + 1.5, 12), QPointF(24, 12));

    // Plug: two pins, a body with grip ridges, and a back tapering to its cable.
    for (const qreal y : {9.5, 13.5}) {
        DrawShape(p, RoundedRect(QRectF(plugNose, y, 3, 1), 0.0), ink::kMetal);
    }
    const QPainterPath plug = Polygon({{plugNose, 7.5},
                                       {plugNose, 16.5},
                                       {plugBack + 2, 16.5},
                                       {plugBack, 14.5},
                                       {plugBack, 9.5},
                                       {plugBack + 2, 7.5}});
    DrawShape(p, plug, Shaded(top, base, 7.5, 16.5));
    for (const qreal x : {plugNose - 4, plugNose - 2}) {
        FillRect(p, QRectF(x, 9, 1, 6), base.darker(130));
    }

    // Socket: a taller body with a short neck to its cable. Its mouth shows only while
    // empty; a seated plug's nose is hidden inside.
    DrawShape(p, RoundedRect(QRectF(socketBack - 1, 9.5, 2.5, 5), 0.0),
              Shaded(top, base, 9.5, 14.5));
    DrawShape(p, RoundedRect(QRectF(socketLeft, 5.5, 6, 13), 1.5), Shaded(top, base, 5.5, 18.5));
    if (plugNose < socketLeft) {
        DrawShape(p, RoundedRect(QRectF(socketLeft, 8.5, 2, 7), 0.0), ink::kOutline);
    }
}

// 9. Port connected: plug seated in its socket.
void DrawConnected(QPainter& p) {
    DrawPlugAndSocket(p, 12.5, 10.5, ink::kGreenTop, ink::kGreen);
}

// 10. Port disconnected: plug pulled out, the break marked in red.
void DrawDisconnected(QPainter& p) {
    DrawPlugAndSocket(p, 8.5, 15.5, ink::kMetalTop, ink::kMetal);
    p.setPen(QPen(ink::kRed, 1.5, Qt::SolidLine, Qt::RoundCap));
    for (const auto& [from, to] : std::array<std::pair<QPointF, QPointF>, 4>{{
             {{12.5, 6.5}, {11.5, 3.5}},
             {{14.5, 6.5}, {15.5, 3.5}},
             {{12.5, 17.5}, {11.5, 20.5}},
             {{14.5, 17.5}, {15.5, 20.5}},
         }}) {
        p.drawLine(from, to);
    }
}

// 11. Process Cr/Lf: a line of text broken by the return arrow onto the next line.
void DrawProcessCrLf(QPainter& p) {
    FillRect(p, QRectF(2, 4, 11, 2), ink::kTextLine);
    FillRect(p, QRectF(2, 19, 8, 2), ink::kTextLine);

    QPainterPath stroke;
    stroke.moveTo(19, 3);
    stroke.lineTo(19, 13);
    stroke.lineTo(9, 13);
    p.setPen(QPen(ink::kBlue, 2.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(stroke);
    p.setPen(Qt::NoPen);
    p.setBrush(ink::kBlue);
    p.drawPath(Polygon({{4, 13}, {10, 8.5}, {10, 17.5}}));
}

// Letters drawn as strokes on a 4 x 6 cell whose top left is `o`.
void DrawLetter(QPainter& p, char letter, QPointF o) {
    QPainterPath path;
    auto at = [o](qreal x, qreal y) { return o + QPointF(x, y); };
    switch (letter) {
        case 'C':
            path.moveTo(at(4, 0));
            path.lineTo(at(1, 0));
            path.quadTo(at(0, 0), at(0, 1));
            path.lineTo(at(0, 5));
            path.quadTo(at(0, 6), at(1, 6));
            path.lineTo(at(4, 6));
            break;
        case 'R':
            path.moveTo(at(0, 6));
            path.lineTo(at(0, 0));
            path.lineTo(at(3, 0));
            path.quadTo(at(4, 0), at(4, 1.5));
            path.quadTo(at(4, 3), at(3, 3));
            path.lineTo(at(0, 3));
            path.moveTo(at(2, 3));
            path.lineTo(at(4, 6));
            break;
        case 'L':
            path.moveTo(at(0, 0));
            path.lineTo(at(0, 6));
            path.lineTo(at(4, 6));
            break;
        case 'F':
            path.moveTo(at(4, 0));
            path.lineTo(at(0, 0));
            path.lineTo(at(0, 6));
            path.moveTo(at(0, 3));
            path.lineTo(at(3, 3));
            break;
        default:
            break;
    }
    p.drawPath(path);
}

// 12. Show Cr/Lf: the control characters themselves, "CR" and "LF", in a key.
void DrawShowCrLf(QPainter& p) {
    const QRectF key(2.5, 1.5, 19, 21);
    DrawShape(p, RoundedRect(key, 2.0), Shaded(ink::kPaperTop, ink::kPaper, 1.5, 22.5));
    p.setPen(QPen(ink::kBlue, 2.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    DrawLetter(p, 'C', {6, 4});
    DrawLetter(p, 'R', {14, 4});
    DrawLetter(p, 'L', {6, 14});
    DrawLetter(p, 'F', {14, 14});
}

struct Icon {
    const char* name;
    void (*draw)(QPainter&);
};

const std::array<Icon, 12> kIcons{{
    {"open", DrawOpen},
    {"save", DrawSave},
    {"print", DrawPrint},
    {"clear", DrawClear},
    {"send", DrawSend},
    {"edit", DrawEdit},
    {"send_text", DrawSendText},
    {"port_settings", DrawPortSettings},
    {"connected", DrawConnected},
    {"disconnected", DrawDisconnected},
    {"process_crlf", DrawProcessCrLf},
    {"show_crlf", DrawShowCrLf},
}};

// The application icon: a terminal whose screen shows bytes sent (dark blue) and received
// (red), as the Data Monitor colours them, above the nine-pin connector of a serial port.
inline constexpr int kAppGrid = 48;
inline constexpr std::array<int, 4> kAppIconSizes{48, 64, 128, 256};

void DrawAppIcon(QPainter& p) {
    const QRectF body(3.5, 3.5, 41, 41);
    DrawShape(p, RoundedRect(body, 7.0), Shaded(ink::kMetalTop, ink::kMetal, 3.5, 44.5));

    const QRectF screen(8.5, 8.5, 31, 21);
    DrawShape(p, RoundedRect(screen, 2.0), Shaded(ink::kPaperTop, ink::kPaper, 8.5, 29.5));
    // Rows of byte cells: sent, received, sent, received; the last row still arriving.
    const std::array<std::pair<QColor, int>, 4> rows{{
        {ink::kBlueDark, 4},
        {ink::kRed, 3},
        {ink::kBlueDark, 4},
        {ink::kRed, 2},
    }};
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const auto& [colour, cells] = rows[row];
        for (int cell = 0; cell < cells; ++cell) {
            FillRect(p, QRectF(11 + cell * 7, 11 + static_cast<int>(row) * 4.5, 5, 2.5), colour);
        }
    }

    const QPainterPath shell = Polygon({{13.5, 33.5}, {34.5, 33.5}, {31.5, 41.5}, {16.5, 41.5}});
    DrawShape(p, shell, ink::kOutline, RoundOutline());
    p.setPen(Qt::NoPen);
    p.setBrush(ink::kAmberTop);
    for (int i = 0; i < 5; ++i) {
        p.drawEllipse(QPointF(16.5 + i * 3.75, 36.0), 1.1, 1.1);
    }
    for (int i = 0; i < 4; ++i) {
        p.drawEllipse(QPointF(18.375 + i * 3.75, 39.25), 1.1, 1.1);
    }
}

QImage RenderAppIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(static_cast<qreal>(size) / kAppGrid, static_cast<qreal>(size) / kAppGrid);
    DrawAppIcon(painter);
    return image;
}

bool WriteAppIcon(const QDir& out) {
    for (const int size : kAppIconSizes) {
        const QString path = out.filePath(QStringLiteral("%1x%1.png").arg(size));
        if (!RenderAppIcon(size).save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return false;
        }
    }
    QSvgGenerator svg;
    svg.setFileName(out.filePath(QStringLiteral("scalable.svg")));
    svg.setSize(QSize(kAppGrid, kAppGrid));
    svg.setViewBox(QRectF(0, 0, kAppGrid, kAppGrid));
    svg.setTitle(QStringLiteral("Kestrum"));
    QPainter painter;
    if (!painter.begin(&svg)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(svg.fileName()));
        return false;
    }
    DrawAppIcon(painter);
    return painter.end();
}

QImage Render(const Icon& icon, int scale) {
    QImage image(kGrid * scale, kGrid * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    icon.draw(painter);
    return image;
}

// All images enlarged without smoothing, six to a band: 1x at 4x on the toolbar's grey,
// 2x at 2x on white, 1x at 4x on a dark ground, and both at their real size.
QImage ContactSheet() {
    constexpr int kCell = 112;
    constexpr int kPad = (kCell - 96) / 2;
    constexpr int kColumns = 6;
    constexpr int kBand = 20 + 3 * kCell + 60;
    const std::array<QColor, 3> grounds{QColor(0xf0, 0xf0, 0xf0), QColor(0xff, 0xff, 0xff),
                                        QColor(0x3a, 0x3f, 0x45)};
    const int bands = (static_cast<int>(kIcons.size()) + kColumns - 1) / kColumns;
    QImage sheet(kColumns * kCell, bands * kBand, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(0xe0, 0xe0, 0xe0));
    QPainter p(&sheet);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    p.setFont(font);
    for (int i = 0; i < static_cast<int>(kIcons.size()); ++i) {
        const QImage small = Render(kIcons[i], 1);
        const QImage large = Render(kIcons[i], 2);
        const int x = (i % kColumns) * kCell;
        const int top = (i / kColumns) * kBand;
        p.setPen(Qt::black);
        p.drawText(QRect(x, top + 2, kCell, 16), Qt::AlignCenter,
                   QString::fromLatin1(kIcons[i].name));
        const std::array<QImage, 3> views{small.scaled(96, 96), large.scaled(96, 96),
                                          small.scaled(96, 96)};
        for (int row = 0; row < 3; ++row) {
            const int y = top + 20 + row * kCell;
            p.fillRect(QRect(x + 1, y + 1, kCell - 2, kCell - 2), grounds[row]);
            p.drawImage(x + kPad, y + kPad, views[row]);
        }
        const int y = top + 20 + 3 * kCell;
        p.fillRect(QRect(x + 1, y + 1, kCell - 2, 58), grounds[0]);
        p.drawImage(x + 12, y + 18, small);
        p.drawImage(x + 48, y + 6, large);
    }
    return sheet;
}

bool MakeFolder(const QDir& out) {
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(out.path()));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    QString appIconFolder;
    QString sheet;
    bool usable = args.size() >= 2 && args.size() % 2 == 0;
    for (qsizetype i = 2; usable && i + 1 < args.size(); i += 2) {
        if (args[i] == QStringLiteral("--app")) {
            appIconFolder = args[i + 1];
        } else if (args[i] == QStringLiteral("--sheet")) {
            sheet = args[i + 1];
        } else {
            usable = false;
        }
    }
    if (!usable) {
        std::fprintf(stderr,
                     "usage: draw_icons OUTPUT_DIR [--app APP_ICON_DIR] [--sheet SHEET.png]\n");
        return 2;
    }
    const QDir out(args[1]);
    if (!MakeFolder(out)) {
        return 1;
    }
    for (const Icon& icon : kIcons) {
        const QString base = QString::fromLatin1(icon.name);
        for (const auto& [scale, suffix] :
             {std::pair{1, QStringLiteral(".png")}, std::pair{2, QStringLiteral("@2x.png")}}) {
            const QString path = out.filePath(base + suffix);
            if (!Render(icon, scale).save(path, "PNG")) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
    }
    if (!appIconFolder.isEmpty() &&
        !(MakeFolder(QDir(appIconFolder)) && WriteAppIcon(QDir(appIconFolder)))) {
        return 1;
    }
    if (!sheet.isEmpty() && !ContactSheet().save(sheet, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(sheet));
        return 1;
    }
    return 0;
}
