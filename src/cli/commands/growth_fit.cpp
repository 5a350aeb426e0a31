#include <map>

#include "cli/commands/commands.h"

namespace velmora {

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
        GrowthFit fit{alphabet, points.front()->length, points.back()->length, 0, 0, {}};
        double sn = 0, sy = 0, snn = 0, sny = 0;
        for (const GrowthRow* point : points) {
            const auto n = static_cast<double>(point->length);
            sn += n, sy += point->log2Median, snn += n * n, sny += n * point->log2Median;
        }
        const auto count = static_cast<double>(points.size());
        const double spread = count * snn - sn * sn;
        fit.slope = spread > 0 ? (count * sny - sn * sy) / spread : 0;
        fit.intercept = (sy - fit.slope * sn) / count;
        for (std::size_t k = 1; k < points.size(); ++k)
            fit.localSlopes.push_back((points[k]->log2Median - points[k - 1]->log2Median) /
                                      static_cast<double>(points[k]->length - points[k - 1]->length));
        fits.push_back(std::move(fit));
    }
    return fits;
}

}  // namespace velmora
