#include "res/bitmaps.h"

#include <QCoreApplication>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <map>

#include "res/resource_ids.h"

namespace tramlet {
namespace {

// The transparent colour of masked pictures; it never appears in a drawing.
const QColor kKey(255, 0, 255);
const QColor kWindow(41, 48, 56);
const QColor kStrip(30, 35, 42);
const QColor kStripEdge(62, 70, 80);
const QColor kGroove(18, 21, 26);
const QColor kLight(182, 183, 187);
const QColor kGlyph(226, 228, 232);
const QColor kMark(11, 138, 0);
const QColor kAccent(52, 190, 36);

constexpr QSize kButtonSize(38, 37);

enum class Face { kNormal, kPressed, kFocused, kDisabled };
enum class Glyph { kPlay, kPause, kRewind, kForward, kCapture, kFolder, kBackup, kReset };

QImage Blank(QSize size, const QColor& fill) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

void Antialiased(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
}

void Triangle(QPainter& p, QPointF tip, double width, double height, bool right) {
    const double back = right ? tip.x() - width : tip.x() + width;
    p.drawPolygon(QPolygonF{tip, {back, tip.y() - height / 2}, {back, tip.y() + height / 2}});
}

void DrawGlyph(QPainter& p, Glyph glyph, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const QPointF c(19, 18.5);
    switch (glyph) {
        case Glyph::kPlay:
            Triangle(p, {c.x() + 7, c.y()}, 13, 15, true);
            break;
        case Glyph::kPause:
            p.drawRoundedRect(QRectF(c.x() - 6, c.y() - 7, 4.5, 14), 1, 1);
            p.drawRoundedRect(QRectF(c.x() + 1.5, c.y() - 7, 4.5, 14), 1, 1);
            break;
        case Glyph::kRewind:
            Triangle(p, {c.x() - 9, c.y()}, 9, 13, false);
            Triangle(p, {c.x(), c.y()}, 9, 13, false);
            break;
        case Glyph::kForward:
            Triangle(p, {c.x() + 9, c.y()}, 9, 13, true);
            Triangle(p, {c.x(), c.y()}, 9, 13, true);
            break;
        case Glyph::kCapture:
            p.drawRoundedRect(QRectF(c.x() - 10, c.y() - 6, 20, 14), 2.5, 2.5);
            p.drawRect(QRectF(c.x() - 4, c.y() - 9, 8, 3));
            p.setBrush(kStrip);
            p.drawEllipse(c + QPointF(0, 1), 4.5, 4.5);
            p.setBrush(colour);
            p.drawEllipse(c + QPointF(0, 1), 2.5, 2.5);
            break;
        case Glyph::kFolder:
            p.drawRoundedRect(QRectF(c.x() - 10, c.y() - 8, 9, 5), 1.5, 1.5);
            p.drawRoundedRect(QRectF(c.x() - 10, c.y() - 5, 20, 13), 2, 2);
            break;
        case Glyph::kBackup:
            p.drawRect(QRectF(c.x() - 2, c.y() - 9, 4, 8));
            p.drawPolygon(
                QPolygonF{{c.x() - 6, c.y() - 2}, {c.x() + 6, c.y() - 2}, {c.x(), c.y() + 4}});
            p.drawRect(QRectF(c.x() - 10, c.y() + 6, 20, 3));
            break;
        case Glyph::kReset: {
            QPen pen(colour, 3, Qt::SolidLine, Qt::FlatCap);
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(c.x() - 8, c.y() - 8, 16, 16), 100 * 16, 290 * 16);
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawPolygon(
                QPolygonF{{c.x() - 1, c.y() - 12}, {c.x() + 6, c.y() - 8}, {c.x() - 1, c.y() - 3}});
            break;
        }
    }
}

QImage ButtonFace(Glyph glyph, Face face) {
    QImage image = Blank(kButtonSize, kStrip);
    QPainter p(&image);
    // The faces stand on the button strip and carry on its top edge.
    p.setPen(kStripEdge);
    p.drawLine(0, 0, kButtonSize.width() - 1, 0);
    Antialiased(p);
    const QRectF body(1.5, 1.5, 35, 34);
    QLinearGradient shade(0, 0, 0, kButtonSize.height());
    const bool pressed = face == Face::kPressed;
    shade.setColorAt(0, pressed ? QColor(38, 44, 52) : QColor(78, 87, 99));
    shade.setColorAt(1, pressed ? QColor(52, 60, 70) : QColor(48, 55, 64));
    const QColor rim = face == Face::kFocused ? kAccent : QColor(96, 105, 117);
    p.setPen(QPen(rim, face == Face::kFocused ? 1.6 : 1.0));
    p.setBrush(shade);
    p.drawRoundedRect(body, 6, 6);
    if (pressed)
        p.translate(0.5, 1);
    DrawGlyph(p, glyph, face == Face::kDisabled ? QColor(96, 102, 110) : kGlyph);
    return image;
}

// The pointer of a time slider: an outlined cell that lets the marks show.
QImage CellThumb(QSize size, bool active) {
    QImage image = Blank(size, kKey);
    QPainter p(&image);
    const QColor edge = active ? QColor(255, 214, 10) : QColor(255, 255, 255);
    p.setPen(Qt::NoPen);
    p.setBrush(edge);
    // The corners stay in the key colour: the frame reads as rounded, and the
    // top-left pixel names the transparent colour.
    const int w = size.width();
    const int h = size.height();
    p.drawRect(1, 0, w - 2, 2);
    p.drawRect(1, h - 2, w - 2, 2);
    p.drawRect(0, 1, 2, h - 2);
    p.drawRect(w - 2, 1, 2, h - 2);
    return image;
}

QImage RoundThumb(QSize size, bool active) {
    QImage image = Blank(size, kKey);
    QPainter p(&image);
    // Smoothing would blend edge pixels with the key colour into a pink rim.
    p.setPen(QPen(active ? kAccent : QColor(120, 128, 138), 1));
    p.setBrush(active ? QColor(255, 255, 255) : kGlyph);
    p.drawEllipse(QRect(1, 1, size.width() - 3, size.height() - 3));
    return image;
}

QImage Channel(QSize size, const QColor& background, bool active) {
    QImage image = Blank(size, background);
    QPainter p(&image);
    Antialiased(p);
    p.setPen(Qt::NoPen);
    p.setBrush(active ? kMark : kGroove);
    const double h = 6;
    p.drawRoundedRect(QRectF(1, (size.height() - h) / 2, size.width() - 2, h), 3, 3);
    if (active) {
        p.setBrush(kAccent);
        p.drawRect(QRectF(2, size.height() / 2.0 - 2, size.width() - 4, 1.5));
    }
    return image;
}

// A masked picture must not smooth into its key colour, so the channel of the
// small sliders is drawn with square edges.
QImage MaskedChannel(QSize size, bool active) {
    QImage image = Blank(size, kKey);
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    p.setBrush(active ? kMark : kGroove);
    p.drawRect(QRect(1, size.height() / 2 - 3, size.width() - 2, 6));
    return image;
}

QImage Strip() {
    const QSize size(733, 42);
    QImage image = Blank(size, kStrip);
    QPainter p(&image);
    p.setPen(kStripEdge);
    p.drawLine(0, 0, size.width() - 1, 0);
    p.setPen(QColor(20, 24, 29));
    p.drawLine(0, size.height() - 1, size.width() - 1, size.height() - 1);
    return image;
}

QImage Caption(const char* utf8) {
    QImage image = Blank(QSize(46, 16), kStrip);
    QPainter p(&image);
    QFont font;
    font.setPixelSize(12);
    p.setFont(font);
    p.setPen(kLight);
    p.drawText(image.rect(), Qt::AlignRight | Qt::AlignVCenter,
               QCoreApplication::translate("Bitmaps", utf8));
    return image;
}

QImage Draw(int id) {
    using namespace res;
    static const Glyph kLowGlyphs[] = {Glyph::kPlay, Glyph::kPause, Glyph::kRewind, Glyph::kForward,
                                       Glyph::kCapture};
    static const Glyph kHighGlyphs[] = {Glyph::kFolder, Glyph::kBackup, Glyph::kReset};
    if (id >= 200 && id <= 219)
        return ButtonFace(kLowGlyphs[(id - 200) / 4], Face((id - 200) % 4));
    if (id >= 303 && id <= 314)
        return ButtonFace(kHighGlyphs[(id - 303) / 4], Face((id - 303) % 4));
    switch (id) {
        case kTimelineChannel:
            return Channel({733, 14}, kWindow, false);
        case kTimelineActive:
            return Channel({733, 14}, kWindow, true);
        case kTimelineThumb:
            return RoundThumb({14, 14}, false);
        case kTimelineThumbActive:
            return RoundThumb({14, 14}, true);
        case kSmallChannel:
            return MaskedChannel({120, 14}, false);
        case kSmallChannelActive:
            return MaskedChannel({120, 14}, true);
        case kSmallThumb:
            return RoundThumb({13, 14}, false);
        case kSmallThumbActive:
            return RoundThumb({13, 14}, true);
        case kHourThumb:
            return CellThumb({29, 14}, false);
        case kHourThumbActive:
            return CellThumb({29, 14}, true);
        case kMinuteThumb:
            return CellThumb({11, 14}, false);
        case kMinuteThumbActive:
            return CellThumb({11, 14}, true);
        case kButtonStrip:
            return Strip();
        case kRateCaption:
            return Caption(QT_TRANSLATE_NOOP("Bitmaps", "배속"));
        case kVolumeCaption:
            return Caption(QT_TRANSLATE_NOOP("Bitmaps", "볼륨"));
        case kAppIcon:
            return AppIconImage(32);
        default:
            return {};
    }
}

}  // namespace

QImage LoadBitmapResource(int id) {
    static std::map<int, QImage> cache;
    auto found = cache.find(id);
    if (found == cache.end())
        found = cache.emplace(id, Draw(id)).first;
    return found->second;
}

QImage AppIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    Antialiased(p);
    p.scale(size / 64.0, size / 64.0);
    p.setPen(Qt::NoPen);
    p.setBrush(kWindow);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    // Four camera views, one playing.
    p.setBrush(QColor(72, 82, 94));
    for (int i = 0; i < 4; ++i)
        p.drawRoundedRect(QRectF(10 + i % 2 * 23, 10 + i / 2 * 23, 21, 21), 3, 3);
    p.setBrush(kAccent);
    p.drawRoundedRect(QRectF(10, 10, 21, 21), 3, 3);
    p.setBrush(QColor(255, 255, 255));
    p.drawPolygon(QPolygonF{{17, 14}, {17, 27}, {27, 20.5}});
    return image;
}

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(AppIconImage(size)));
    return icon;
}

}  // namespace tramlet
