#include <cmath>
#include <map>

#include "cli/commands/commands.h"

namespace velmora {
namespace {

LineFit leastSquares(const std::vector<double>& xs, const std::vector<double>& ys)
{
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (std::size_t k = 0; k < xs.size(); ++k) sx += xs[k], sy += ys[k], sxx += xs[k] * xs[k], sxy += xs[k] * ys[k];
    const auto count = static_cast<double>(xs.size());
    const double spread = count * sxx - sx * sx;
    LineFit fit;
    fit.slope = spread > 0 ? (count * sxy - sx * sy) / spread : 0;
    fit.intercept = (sy - fit.slope * sx) / count;
    for (std::size_t k = 0; k < xs.size(); ++k) {
        const double residual = ys[k] - (fit.slope * xs[k] + fit.intercept);
        fit.residuals += residual * residual;
    }
    return fit;
}

}  // namespace

std::vector<GrowthFit> fitGrowth(const std::vector<GrowthRow>& rows)
{
    std::vector<std::u16string> order;  // alphabets in the order they came
    std::map<std::u16string, std::vector<const GrowthRow*>> byAlphabet;
    for (const GrowthRow& row : rows) {
        if (!byAlphabet.count(row.alphabet)) order.push_back(row.alphabet);
        byAlphabet[row.alphabet].push_back(&row);
    }
    std::vector<GrowthFit> fits;
    for (const std::u16string& alphabet : order) {
        const auto& points = byAlphabet[alphabet];
        GrowthFit fit{alphabet, points.front()->length, points.back()->length, {}, {}, {}};
        std::vector<double> ns, nLogNs, log2Medians;
        for (const GrowthRow* point : points) {
            const auto n = static_cast<double>(point->length);
            ns.push_back(n);
            nLogNs.push_back(n * std::log2(n));
            log2Medians.push_back(point->log2Median);
        }
        fit.linear = leastSquares(ns, log2Medians);
        fit.nLogN = leastSquares(nLogNs, log2Medians);
        for (std::size_t k = 1; k < points.size(); ++k)
            fit.localSlopes.push_back((points[k]->log2Median - points[k - 1]->log2Median) /
                                      static_cast<double>(points[k]->length - points[k - 1]->length));
        fits.push_back(std::move(fit));
    }
    return fits;
}

}  // namespace velmora
