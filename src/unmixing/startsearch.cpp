#include "unmixing/componentfit.h"

#include "unmixing/continuousspectrum.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <limits>

namespace Demagora {

namespace {

// The most step temperatures taken as ends of the starting ranges.
constexpr std::size_t MaxEnds = 48;

} // namespace

struct StartSearch::Grid
{
    struct Range
    {
        SpectrumShape shape;
        int lowIndex; // into ends
        int highIndex;
    };
    std::vector<double> ends;
    std::vector<Range> ranges;
    Eigen::MatrixXd gram; // columns' inner products
    Eigen::MatrixXd cross; // columns against the weighted moments, one column per axis

    using Set = std::vector<int>;
    struct Scored
    {
        Set set;
        double explained;
    };

    double explained(const Set &set) const;
    bool similar(const Set &a, const Set &b) const;
    void keep(std::vector<Scored> &best, Scored candidate, int count) const;
    std::vector<Scored> pairs(int count) const;
    std::vector<Scored> grown(const std::vector<Scored> &seeds, int count) const;
    std::vector<ComponentParameters> parameters(const Set &set) const;
};

StartSearch::StartSearch(const FitData &data, UnmixShapes shapes)
    : m_grid(std::make_unique<Grid>())
{
    Grid &g = *m_grid;
    // The ranges' inner products take memory as the square of their count, which grows as the
    // square of the ends: past MaxEnds steps, every so many steps' temperatures are ends (the
    // first and the last always), so that a specimen of many steps stays within bounds.
    const std::size_t stride = (data.temperatures.size() + MaxEnds - 1) / MaxEnds;
    for (std::size_t i = 0; i < data.temperatures.size(); i += stride)
        g.ends.push_back(data.temperatures[i]);
    g.ends.push_back(data.temperatures.back());
    g.ends.push_back(data.lowBound);
    g.ends.push_back(data.highBound);
    std::sort(g.ends.begin(), g.ends.end());
    g.ends.erase(std::unique(g.ends.begin(), g.ends.end()), g.ends.end());
    const double first = data.temperatures.front();
    const double last = data.temperatures.back();
    std::vector<SpectrumShape> allowed;
    if (shapes != UnmixShapes::Rectangular)
        allowed.push_back(SpectrumShape::Gauss);
    if (shapes != UnmixShapes::Gauss)
        allowed.push_back(SpectrumShape::Rectangular);
    const int endCount = int(g.ends.size());
    for (const SpectrumShape shape : allowed)
        for (int a = 0; a < endCount; ++a)
            for (int b = a + 1; b < endCount; ++b) {
                // Ranges wholly below the first step leave nothing to measure; ranges wholly
                // above the last one are all alike: whole at every step.
                if (g.ends[b] <= first || g.ends[a] >= last
                    || g.ends[b] - g.ends[a] < data.minWidth)
                    continue;
                g.ranges.push_back({ shape, a, b });
            }
    const Eigen::Index n = Eigen::Index(data.temperatures.size());
    Eigen::MatrixXd columns(n, Eigen::Index(g.ranges.size()));
    Eigen::MatrixXd moments(n, 3);
    for (Eigen::Index i = 0; i < n; ++i) {
        const double w = data.weights[i];
        for (int a = 0; a < 3; ++a)
            moments(i, a) = w * data.moments[i][a];
        for (std::size_t r = 0; r < g.ranges.size(); ++r) {
            const Grid::Range &range = g.ranges[r];
            columns(i, Eigen::Index(r)) = w
                * continuousRemaining(range.shape, 1.0, g.ends[range.lowIndex],
                    g.ends[range.highIndex], data.temperatures[i]);
        }
    }
    g.gram = columns.transpose() * columns;
    g.cross = columns.transpose() * moments;
}

StartSearch::~StartSearch() = default;

// The part of the moments' sum of squares that the best moment vectors over the set's ranges
// explain; minus infinity for ranges that do not tell their moments apart.
double StartSearch::Grid::explained(const Set &set) const
{
    const Eigen::Index k = Eigen::Index(set.size());
    Eigen::MatrixXd g(k, k);
    Eigen::MatrixXd b(k, 3);
    for (Eigen::Index i = 0; i < k; ++i) {
        for (Eigen::Index j = 0; j < k; ++j)
            g(i, j) = gram(set[i], set[j]);
        b.row(i) = cross.row(set[i]);
    }
    const Eigen::LLT<Eigen::MatrixXd> llt(g);
    if (llt.info() != Eigen::Success)
        return -std::numeric_limits<double>::infinity();
    const double largest = g.diagonal().maxCoeff();
    const auto l = llt.matrixL();
    for (Eigen::Index i = 0; i < k; ++i)
        if (!(l(i, i) * l(i, i) > 1e-10 * largest))
            return -std::numeric_limits<double>::infinity();
    return (b.transpose() * llt.solve(b)).trace();
}

// Two sets are alike when every range of one has a range of the other of the same shape with
// ends at most one grid point away: both would lead the solver to the same place.
bool StartSearch::Grid::similar(const Set &a, const Set &b) const
{
    for (const int r : a) {
        const bool matched = std::any_of(b.begin(), b.end(), [&](int s) {
            return ranges[r].shape == ranges[s].shape
                && std::abs(ranges[r].lowIndex - ranges[s].lowIndex) <= 1
                && std::abs(ranges[r].highIndex - ranges[s].highIndex) <= 1;
        });
        if (!matched)
            return false;
    }
    return true;
}

void StartSearch::Grid::keep(std::vector<Scored> &best, Scored candidate, int count) const
{
    if (int(best.size()) >= count && !(candidate.explained > best.back().explained))
        return;
    for (std::size_t i = 0; i < best.size(); ++i) {
        if (!similar(best[i].set, candidate.set))
            continue;
        if (best[i].explained >= candidate.explained)
            return;
        best.erase(best.begin() + std::ptrdiff_t(i));
        break;
    }
    const auto at = std::find_if(best.begin(), best.end(),
        [&](const Scored &s) { return candidate.explained > s.explained; });
    best.insert(at, std::move(candidate));
    if (int(best.size()) > count)
        best.pop_back();
}

// Every pair of ranges, with the 2 x 2 normal equations solved in closed form.
std::vector<StartSearch::Grid::Scored> StartSearch::Grid::pairs(int count) const
{
    std::vector<Scored> best;
    const int r = int(ranges.size());
    for (int i = 0; i < r; ++i) {
        const double gii = gram(i, i);
        for (int j = i + 1; j < r; ++j) {
            const double gjj = gram(j, j);
            const double gij = gram(i, j);
            const double det = gii * gjj - gij * gij;
            if (!(det > 1e-10 * gii * gjj))
                continue;
            double sum = 0;
            for (int a = 0; a < 3; ++a) {
                const double bi = cross(i, a);
                const double bj = cross(j, a);
                sum += gjj * bi * bi - 2 * gij * bi * bj + gii * bj * bj;
            }
            const double score = sum / det;
            if (int(best.size()) >= count && !(score > best.back().explained))
                continue;
            keep(best, { { i, j }, score }, count);
        }
    }
    return best;
}

// Each seed grown by its best further range, then improved by swapping one range at a time
// for the best other until no swap helps.
std::vector<StartSearch::Grid::Scored> StartSearch::Grid::grown(
    const std::vector<Scored> &seeds, int count) const
{
    std::vector<Scored> best;
    const int r = int(ranges.size());
    for (const Scored &seed : seeds) {
        Scored current { seed.set, -std::numeric_limits<double>::infinity() };
        current.set.push_back(0);
        std::vector<int> slots(current.set.size());
        for (std::size_t s = 0; s < slots.size(); ++s)
            slots[s] = int(slots.size() - 1 - s); // the new range first
        for (int sweep = 0; sweep < 4; ++sweep) {
            bool improved = false;
            for (const int slot : slots) {
                Set trial = current.set;
                for (int c = 0; c < r; ++c) {
                    trial[slot] = c;
                    const double score = explained(trial);
                    if (score > current.explained * (1 + 1e-12) + 1e-300) {
                        current = { trial, score };
                        improved = true;
                    }
                }
                trial = current.set;
            }
            if (!improved)
                break;
        }
        if (std::isfinite(current.explained))
            keep(best, current, count);
    }
    return best;
}

std::vector<ComponentParameters> StartSearch::Grid::parameters(const Set &set) const
{
    const Eigen::Index k = Eigen::Index(set.size());
    Eigen::MatrixXd g(k, k);
    Eigen::MatrixXd b(k, 3);
    for (Eigen::Index i = 0; i < k; ++i) {
        for (Eigen::Index j = 0; j < k; ++j)
            g(i, j) = gram(set[i], set[j]);
        b.row(i) = cross.row(set[i]);
    }
    const Eigen::MatrixXd v = g.ldlt().solve(b);
    std::vector<ComponentParameters> components;
    for (Eigen::Index i = 0; i < k; ++i) {
        const Range &range = ranges[set[i]];
        const double low = ends[range.lowIndex];
        components.push_back(
            { range.shape, { v(i, 0), v(i, 1), v(i, 2), low, ends[range.highIndex] - low } });
    }
    return components;
}

std::vector<std::vector<ComponentParameters>> StartSearch::starts(int k, int count) const
{
    const Grid &g = *m_grid;
    std::vector<Grid::Scored> best;
    if (k <= 1 || g.ranges.size() < 2) {
        for (int r = 0; r < int(g.ranges.size()); ++r)
            g.keep(best, { { r }, g.explained({ r }) }, count);
        for (int grow = 1; grow < k && !best.empty(); ++grow)
            best = g.grown(best, count);
    } else {
        best = g.pairs(count);
        for (int grow = 2; grow < k && !best.empty(); ++grow)
            best = g.grown(best, count);
    }
    std::vector<std::vector<ComponentParameters>> starts;
    for (const Grid::Scored &s : best)
        starts.push_back(g.parameters(s.set));
    return starts;
}

} // namespace Demagora
