// Reads a screenshot region for the end-to-end test: how many pixels carry the gap
// colour, the selection colour or dark ink, and the left-to-right order of green and
// black glyphs ("GKGK": green, black, green, black).
//
//   pixel_probe SHOT.png X Y WIDTH HEIGHT
//
// Or finds a window on a screenshot by a line of its own: the top-left of the first run of
// at least LENGTH pixels of one colour, and the run's length ("x=103 y=118 length=755").
//
//   pixel_probe SHOT.png --find-line RED GREEN BLUE LENGTH

#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <string>

namespace {

bool isGap(QRgb p) { return qRed(p) == 100 && qGreen(p) == 220 && qBlue(p) == 100; }
bool isInk(QRgb p) { return qRed(p) < 90 && qGreen(p) < 90 && qBlue(p) < 90; }
bool isSelection(QRgb p) { return qBlue(p) > 150 && qRed(p) < 110 && qGreen(p) < 190 && !isGap(p); }

int findLine(const QImage& image, QRgb colour, int length)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width();) {
            int end = x;
            while (end < image.width() && (image.pixel(end, y) & 0xffffff) == (colour & 0xffffff)) ++end;
            if (end - x >= length) {
                std::printf("x=%d y=%d length=%d\n", x, y, end - x);
                return 0;
            }
            x = end + 1;
        }
    std::printf("x= y= length=0\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool finding = argc == 7 && std::string(argv[2]) == "--find-line";
    if (argc != 6 && !finding) {
        std::fprintf(stderr, "usage: pixel_probe SHOT.png X Y WIDTH HEIGHT\n"
                             "       pixel_probe SHOT.png --find-line RED GREEN BLUE LENGTH\n");
        return 2;
    }
    const QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull()) {
        std::fprintf(stderr, "pixel_probe: cannot read %s\n", argv[1]);
        return 2;
    }
    if (finding) return findLine(image, qRgb(atoi(argv[3]), atoi(argv[4]), atoi(argv[5])), atoi(argv[6]));
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
