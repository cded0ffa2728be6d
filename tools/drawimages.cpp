// Draws the program's images into resources/res/ and, given a second folder, the
// program icon at the desktop's usual sizes into its hicolor tree. The PNGs are
// committed; run this only to change them:
//   g++ -std=c++17 -fPIC tools/drawimages.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/drawimages
//   QT_QPA_PLATFORM=offscreen /tmp/drawimages resources/res packaging/icons/hicolor
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

using Draw = std::function<void(QPainter &, const QRectF &)>;

bool save(const QString &folder, const QString &name, int width, int height, const Draw &draw)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter, QRectF(0, 0, width, height));
    painter.end();
    const QString path = QDir(folder).filePath(name);
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s %dx%d\n", qPrintable(path), width, height);
    return true;
}

// A silver disc with a centre hole, filling the square of side d at (x, y).
void disc(QPainter &p, qreal x, qreal y, qreal d, const QColor &tint)
{
    QRadialGradient shine(x + d * 0.35, y + d * 0.35, d * 0.7);
    shine.setColorAt(0, Qt::white);
    shine.setColorAt(0.5, tint.lighter(130));
    shine.setColorAt(1, tint.darker(140));
    p.setPen(QPen(tint.darker(200), qMax<qreal>(1, d / 24)));
    p.setBrush(shine);
    p.drawEllipse(QRectF(x + 0.5, y + 0.5, d - 1, d - 1));
    p.setBrush(QColor(60, 60, 60));
    const qreal hole = d * 0.22;
    p.drawEllipse(QRectF(x + (d - hole) / 2, y + (d - hole) / 2, hole, hole));
}

void folder(QPainter &p, const QRectF &r, const QColor &colour)
{
    QPainterPath path;
    const qreal tabW = r.width() * 0.4, tabH = r.height() * 0.18;
    path.moveTo(r.left(), r.top() + tabH);
    path.lineTo(r.left() + tabW * 0.15, r.top());
    path.lineTo(r.left() + tabW, r.top());
    path.lineTo(r.left() + tabW + tabH, r.top() + tabH);
    path.lineTo(r.right(), r.top() + tabH);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, colour.lighter(140));
    fill.setColorAt(1, colour);
    p.setPen(QPen(colour.darker(170), 1));
    p.setBrush(fill);
    p.drawPath(path);
}

// An arrow pointing down, centred in r.
void arrowDown(QPainter &p, const QRectF &r, const QColor &colour)
{
    const qreal cx = r.center().x(), w = r.width(), h = r.height();
    QPainterPath path;
    path.moveTo(cx - w * 0.18, r.top());
    path.lineTo(cx + w * 0.18, r.top());
    path.lineTo(cx + w * 0.18, r.top() + h * 0.5);
    path.lineTo(cx + w * 0.45, r.top() + h * 0.5);
    path.lineTo(cx, r.bottom());
    path.lineTo(cx - w * 0.45, r.top() + h * 0.5);
    path.lineTo(cx - w * 0.18, r.top() + h * 0.5);
    path.closeSubpath();
    p.setPen(QPen(colour.darker(180), 1));
    p.setBrush(colour);
    p.drawPath(path);
}

// A musical note (eighth note) with its head at the lower left of r.
void note(QPainter &p, const QRectF &r, const QColor &colour)
{
    const qreal headW = r.width() * 0.5, headH = r.height() * 0.3;
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QRectF(r.left(), r.bottom() - headH, headW, headH));
    const qreal stemX = r.left() + headW - 1.2;
    p.drawRect(QRectF(stemX, r.top(), 1.6, r.height() - headH / 2));
    QPainterPath flag;
    flag.moveTo(stemX + 1.6, r.top());
    flag.cubicTo(stemX + r.width() * 0.45, r.top() + r.height() * 0.2, stemX + r.width() * 0.5,
                 r.top() + r.height() * 0.35, stemX + r.width() * 0.35, r.top() + r.height() * 0.55);
    flag.lineTo(stemX + 1.6, r.top() + r.height() * 0.3);
    flag.closeSubpath();
    p.drawPath(flag);
}

// The small coloured badge in the right part of a track icon.
void badge(QPainter &p, const QRectF &r, const QColor &colour)
{
    p.setPen(QPen(colour.darker(160), 1));
    p.setBrush(colour);
    p.drawRoundedRect(r, 2, 2);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("resources/res");
    QDir().mkpath(out);
    const QColor silver(170, 180, 195), green(40, 160, 60), red(200, 40, 40), amber(225, 170, 50);
    bool ok = true;

    // Drawn on a 32 x 32 grid and scaled, so every size is drawn anew rather than resampled.
    const Draw programIcon = [&](QPainter &p, const QRectF &r) {
        p.scale(r.width() / 32, r.height() / 32);
        disc(p, 1, 1, 30, silver);
        // a sound wave across the disc
        QPainterPath wave;
        wave.moveTo(3, 16);
        // one point per pixel of the image being drawn, so large icons stay smooth
        const int steps = qMax(26, int(26 * r.width() / 32));
        for (int i = 0; i <= steps; ++i) {
            const qreal x = 3 + 26.0 * i / steps;
            wave.lineTo(x, 16 - 6 * std::sin((x - 3) * 0.55) * (1 - std::abs(x - 16) / 16.0));
        }
        p.setPen(QPen(QColor(30, 90, 200), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
    };
    ok &= save(out, "Kestrova.png", 32, 32, programIcon);
    if (argc > 2) {
        const QDir hicolor(QString::fromLocal8Bit(argv[2]));
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QString apps = QStringLiteral("%1x%1/apps").arg(size);
            hicolor.mkpath(apps);
            ok &= save(hicolor.filePath(apps), "kestrova.png", size, size, programIcon);
        }
    }
    ok &= save(out, "open.png", 24, 24, [&](QPainter &p, const QRectF &) {
        folder(p, QRectF(2, 5, 20, 15), amber);
        disc(p, 11, 11, 11, silver);
    });
    ok &= save(out, "extract.png", 24, 24, [&](QPainter &p, const QRectF &) {
        disc(p, 1, 1, 16, silver);
        arrowDown(p, QRectF(11, 9, 12, 14), green);
    });
    ok &= save(out, "extract_cancel.png", 24, 24, [&](QPainter &p, const QRectF &) {
        p.setPen(QPen(red.darker(160), 1));
        p.setBrush(red);
        p.drawEllipse(QRectF(2, 2, 20, 20));
        p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 8), QPointF(16, 16));
        p.drawLine(QPointF(16, 8), QPointF(8, 16));
    });

    ok &= save(out, "tree_zone.png", 30, 20, [&](QPainter &p, const QRectF &) {
        disc(p, 6, 1, 18, silver);
    });
    ok &= save(out, "tree_titleset.png", 30, 20, [&](QPainter &p, const QRectF &) {
        folder(p, QRectF(4, 3, 22, 15), amber);
    });
    ok &= save(out, "tree_title.png", 30, 20, [&](QPainter &p, const QRectF &) {
        // a sheet with lines: a title's list of tracks
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(QColor(245, 245, 235));
        p.drawRect(QRectF(8.5, 1.5, 13, 17));
        p.setPen(QPen(QColor(40, 80, 170), 1.4));
        for (int y = 5; y <= 15; y += 3)
            p.drawLine(QPointF(11, y), QPointF(19, y));
    });
    const auto track = [&](const QColor &colour, const std::function<void(QPainter &)> &mark) {
        return [&, colour, mark](QPainter &p, const QRectF &) {
            note(p, QRectF(3, 2, 11, 16), QColor(235, 235, 235));
            badge(p, QRectF(15.5, 5.5, 13, 10), colour);
            mark(p);
        };
    };
    ok &= save(out, "tree_track_pcm.png", 30, 20, track(QColor(40, 110, 210), [](QPainter &p) {
        // square steps: plain samples
        p.setPen(QPen(Qt::white, 1.2));
        p.setBrush(Qt::NoBrush);
        QPolygonF steps;
        steps << QPointF(17, 13) << QPointF(17, 9) << QPointF(20, 9) << QPointF(20, 12)
              << QPointF(23, 12) << QPointF(23, 8) << QPointF(26, 8) << QPointF(26, 13);
        p.drawPolyline(steps);
    }));
    ok &= save(out, "tree_track_mlp.png", 30, 20, track(green, [](QPainter &p) {
        // a smooth wave: packed audio
        QPainterPath wave;
        wave.moveTo(17, 10.5);
        wave.cubicTo(19, 6, 21, 6, 22, 10.5);
        wave.cubicTo(23, 15, 25, 15, 27, 10.5);
        p.setPen(QPen(Qt::white, 1.4));
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
    }));
    ok &= save(out, "tree_track_unk.png", 30, 20, track(QColor(130, 130, 130), [](QPainter &p) {
        // a question mark drawn with strokes
        QPainterPath mark;
        mark.moveTo(19.5, 9);
        mark.cubicTo(19.5, 6.5, 25, 6.5, 24.5, 9);
        mark.cubicTo(24.2, 10.5, 22, 10.5, 22, 12.5);
        p.setPen(QPen(Qt::white, 1.4, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(mark);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(21.3, 13.3, 1.5, 1.5));
    }));
    ok &= save(out, "tree_index.png", 30, 20, [&](QPainter &p, const QRectF &) {
        // a bookmark flag
        QPainterPath flag;
        flag.moveTo(10, 3);
        flag.lineTo(20, 3);
        flag.lineTo(20, 17);
        flag.lineTo(15, 13);
        flag.lineTo(10, 17);
        flag.closeSubpath();
        p.setPen(QPen(QColor(150, 90, 0), 1));
        p.setBrush(amber);
        p.drawPath(flag);
    });

    ok &= save(out, "extract_run.png", 60, 40, [&](QPainter &p, const QRectF &) {
        disc(p, 2, 2, 36, silver);
        arrowDown(p, QRectF(36, 6, 22, 32), green);
    });
    ok &= save(out, "extract_dir.png", 16, 11, [&](QPainter &p, const QRectF &) {
        folder(p, QRectF(0.5, 0.5, 15, 10), amber);
    });
    return ok ? 0 : 1;
}
