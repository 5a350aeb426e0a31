// Reads a screenshot region for the end-to-end test: how many pixels carry the gap
// colour, the selection colour or dark ink, and the left-to-right order of green and
// black glyphs ("GKGK": green, black, green, black).
//
//   pixel_probe SHOT.png X Y WIDTH HEIGHT

#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <cstdio>

namespace {

bool isGap(QRgb p) { return qRed(p) == 100 && qGreen(p) == 220 && qBlue(p) == 100; }
bool isInk(QRgb p) { return qRed(p) < 90 && qGreen(p) < 90 && qBlue(p) < 90; }
bool isSelection(QRgb p) { return qBlue(p) > 150 && qRed(p) < 110 && qGreen(p) < 190 && !isGap(p); }

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: pixel_probe SHOT.png X Y WIDTH HEIGHT\n");
        return 2;
    }
    const QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull()) {
        std::fprintf(stderr, "pixel_probe: cannot read %s\n", argv[1]);
        return 2;
    }
    const QRect region = QRect(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5])) & image.rect();
    long gap = 0, ink = 0, selection = 0;
    int inkTop = region.bottom() + 1, inkBottom = region.top() - 1;
    std::string pattern;
    for (int x = region.left(); x <= region.right(); ++x) {
        bool columnGap = false, columnInk = false;
        for (int y = region.top(); y <= region.bottom(); ++y) {
            const QRgb p = image.pixel(x, y);
            gap += isGap(p);
            ink += isInk(p);
            if (isInk(p)) inkTop = std::min(inkTop, y), inkBottom = std::max(inkBottom, y);
            selection += isSelection(p);
            columnGap = columnGap || isGap(p);
            columnInk = columnInk || isInk(p);
        }
        const char kind = columnGap ? 'G' : columnInk ? 'K' : 0;
        if (kind && (pattern.empty() || pattern.back() != kind)) pattern += kind;
    }
    std::printf("gap=%ld ink=%ld selection=%ld pattern=%s inkheight=%d\n", gap, ink, selection, pattern.c_str(),
                std::max(0, inkBottom - inkTop + 1));
    return 0;
}
