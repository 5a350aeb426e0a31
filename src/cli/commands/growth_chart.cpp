// A small SVG writer for the growth chart: axes with plain-digit ticks and both ends
// labelled, a band from the smallest to the largest count (never thinner than a few
// pixels), a line through the medians with a marker on each, and the fitted line, one
// colour per alphabet. Every label is in Chinese with English beside it, so the chart reads
// where no Chinese face is installed.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "cli/commands/commands.h"
#include "cli/utf.h"

namespace velmora {
namespace {

constexpr double kWidth = 860, kHeight = 480;
constexpr double kLeft = 70, kRight = 290, kTop = 56, kBottom = 60;
constexpr double kThinnestBand = 4;  // pixels: a band of equal counts still shows
const char* const kColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e", "#8c564b"};

std::string escaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string number(double value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f", value);
    return buffer;
}

// A step of 1, 2 or 5 times a power of ten that gives at most about `count` ticks.
double tickStep(double span, int count)
{
    const double raw = std::max(span / count, 1e-9);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0})
        if (m * power >= raw) return m * power;
    return 10 * power;
}

std::string alphabetLabel(const GrowthRow& row)
{
    const std::u16string& alphabet = row.alphabet;
    const std::size_t letters = row.letters ? row.letters : alphabet.size();
    const std::u16string shown =
        alphabet.size() <= 6 ? alphabet : alphabet.substr(0, 3) + u"…" + alphabet.substr(alphabet.size() - 1);
    return utf16ToUtf8Lossy(shown) + "（" + std::to_string(letters) + " 个字符 · letters）";
}

}  // namespace

std::string growthChartSvg(const std::vector<GrowthRow>& rows)
{
    std::vector<std::u16string> order;  // alphabets in the order they came
    std::map<std::u16string, std::vector<const GrowthRow*>> byAlphabet;
    double nMin = 1e300, nMax = -1e300, yMax = 1;
    for (const GrowthRow& row : rows) {
        if (!byAlphabet.count(row.alphabet)) order.push_back(row.alphabet);
        byAlphabet[row.alphabet].push_back(&row);
        nMin = std::min(nMin, static_cast<double>(row.length));
        nMax = std::max(nMax, static_cast<double>(row.length));
        yMax = std::max(yMax, row.log2Max);
    }
    if (rows.empty()) nMin = 0, nMax = 1;
    if (nMax <= nMin) nMax = nMin + 1;
    const double yStep = tickStep(yMax, 6), xStep = tickStep(nMax - nMin, 8);
    yMax = std::ceil(yMax / yStep) * yStep;
    const double plotW = kWidth - kLeft - kRight, plotH = kHeight - kTop - kBottom;
    const auto x = [&](double n) { return kLeft + (n - nMin) / (nMax - nMin) * plotW; };
    const auto y = [&](double v) { return kTop + plotH - v / yMax * plotH; };

    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(kWidth) + "\" height=\"" + number(kHeight) +
           "\" viewBox=\"0 0 " + number(kWidth) + " " + number(kHeight) +
           "\" font-family=\"Noto Sans CJK SC, Noto Sans SC, WenQuanYi Micro Hei, sans-serif\" font-size=\"13\">\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    svg += "<text x=\"" + number(kLeft) +
           "\" y=\"24\" font-size=\"16\">函数调用次数随文本长度的增长 · growth of the call count with the text "
           "length</text>\n";
    // Grid and ticks.
    for (double v = 0; v <= yMax + 1e-9; v += yStep) {
        svg += "<line x1=\"" + number(kLeft) + "\" x2=\"" + number(kLeft + plotW) + "\" y1=\"" + number(y(v)) +
               "\" y2=\"" + number(y(v)) + "\" stroke=\"#dddddd\"/>\n";
        svg += "<text x=\"" + number(kLeft - 8) + "\" y=\"" + number(y(v) + 4) + "\" text-anchor=\"end\">" +
               std::to_string(static_cast<long long>(std::llround(v))) + "</text>\n";
    }
    // Ticks at round numbers, and at both ends of the axis whatever they are.
    std::vector<double> xTicks = {nMin};
    for (double n = std::ceil(nMin / xStep) * xStep; n <= nMax + 1e-9; n += xStep)
        if (x(n) - x(xTicks.back()) >= 24 && x(nMax) - x(n) >= 24) xTicks.push_back(n);
    if (nMax > nMin) xTicks.push_back(nMax);
    for (const double n : xTicks) {
        svg += "<line x1=\"" + number(x(n)) + "\" x2=\"" + number(x(n)) + "\" y1=\"" + number(kTop + plotH) +
               "\" y2=\"" + number(kTop + plotH + 5) + "\" stroke=\"black\"/>\n";
        svg += "<text x=\"" + number(x(n)) + "\" y=\"" + number(kTop + plotH + 20) + "\" text-anchor=\"middle\">" +
               std::to_string(static_cast<long long>(std::llround(n))) + "</text>\n";
    }
    svg += "<rect x=\"" + number(kLeft) + "\" y=\"" + number(kTop) + "\" width=\"" + number(plotW) + "\" height=\"" +
           number(plotH) + "\" fill=\"none\" stroke=\"black\"/>\n";
    svg += "<text x=\"" + number(kLeft + plotW / 2) + "\" y=\"" + number(kHeight - 12) +
           "\" text-anchor=\"middle\">文本长度 n（两段文本等长）· text length n, both texts</text>\n";
    svg += "<text transform=\"translate(18 " + number(kTop + plotH / 2) +
           ") rotate(-90)\" text-anchor=\"middle\">log₂（函数调用次数）· log₂ of the call count</text>\n";
    // One band, one median line with markers and one fitted line per alphabet, and its
    // legend entry with the fitted slope.
    const std::vector<GrowthFit> fits = fitGrowth(rows);
    for (std::size_t k = 0; k < order.size(); ++k) {
        const auto& series = byAlphabet[order[k]];
        const std::string colour = kColours[k % std::size(kColours)];
        std::string band, line;
        // The band's edges, held apart by at least kThinnestBand around the median.
        const auto upper = [&](const GrowthRow* row) {
            return std::min(y(row->log2Max), y(row->log2Median) - kThinnestBand / 2);
        };
        const auto lower = [&](const GrowthRow* row) {
            return std::max(y(row->log2Min), y(row->log2Median) + kThinnestBand / 2);
        };
        for (const GrowthRow* row : series) band += number(x(double(row->length))) + "," + number(upper(row)) + " ";
        for (auto it = series.rbegin(); it != series.rend(); ++it)
            band += number(x(double((*it)->length))) + "," + number(lower(*it)) + " ";
        for (const GrowthRow* row : series)
            line += number(x(double(row->length))) + "," + number(y(row->log2Median)) + " ";
        svg += "<polygon class=\"band\" points=\"" + band + "\" fill=\"" + colour +
               "\" fill-opacity=\"0.18\" stroke=\"none\"/>\n";
        svg += "<polyline class=\"median\" points=\"" + line + "\" fill=\"none\" stroke=\"" + colour +
               "\" stroke-width=\"2\"/>\n";
        for (const GrowthRow* row : series)
            svg += "<circle class=\"marker\" cx=\"" + number(x(double(row->length))) + "\" cy=\"" +
                   number(y(row->log2Median)) + "\" r=\"3\" fill=\"" + colour + "\"/>\n";
        const GrowthFit& fit = fits[k];
        const auto fitted = [&](double n) { return fit.linear.intercept + fit.linear.slope * n; };
        // Inside the plot: from where the line leaves zero, if that is after the first point.
        const double fitFrom =
            fit.linear.slope > 0
                ? std::max(double(fit.from), std::min(double(fit.to), -fit.linear.intercept / fit.linear.slope))
                : double(fit.from);
        svg += "<line class=\"fit\" x1=\"" + number(x(fitFrom)) + "\" y1=\"" + number(y(fitted(fitFrom))) + "\" x2=\"" +
               number(x(double(fit.to))) + "\" y2=\"" + number(y(fitted(double(fit.to)))) + "\" stroke=\"" + colour +
               "\" stroke-width=\"1\" stroke-dasharray=\"5 4\"/>\n";
        const double ly = kTop + 12 + 38 * static_cast<double>(k);
        svg += "<line x1=\"" + number(kWidth - kRight + 14) + "\" x2=\"" + number(kWidth - kRight + 38) + "\" y1=\"" +
               number(ly) + "\" y2=\"" + number(ly) + "\" stroke=\"" + colour + "\" stroke-width=\"3\"/>\n";
        char slope[64];
        std::snprintf(slope, sizeof slope, "斜率 slope %.2f bits/n", fit.linear.slope);
        svg += "<text x=\"" + number(kWidth - kRight + 44) + "\" y=\"" + number(ly + 4) + "\">" +
               escaped(alphabetLabel(*series.front())) + "</text>\n";
        svg += "<text x=\"" + number(kWidth - kRight + 44) + "\" y=\"" + number(ly + 19) +
               "\" font-size=\"11\" fill=\"#555555\">" + slope + "</text>\n";
    }
    const double notes = kTop + 12 + 38 * double(order.size()) + 8;
    const char* const legend[] = {"线·line：中位数 median", "带·band：最小到最大 min–max",
                                  "虚线·dashed：最小二乘拟合 least-squares fit"};
    for (std::size_t k = 0; k < std::size(legend); ++k)
        svg += "<text x=\"" + number(kWidth - kRight + 14) + "\" y=\"" + number(notes + 16 * double(k)) +
               "\" font-size=\"11\" fill=\"#555555\">" + legend[k] + "</text>\n";
    svg += "</svg>\n";
    return svg;
}

}  // namespace velmora
