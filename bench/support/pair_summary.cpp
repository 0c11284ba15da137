#include "bench/support/pair_summary.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace bench {

namespace {

std::string format(const char* pattern, double a, double b, double c) {
    char line[160];
    std::snprintf(line, sizeof line, pattern, a, b, c);
    return line;
}

}  // namespace

Spread spreadOf(std::vector<double> samples) {
    if (samples.empty()) return {};
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    const double median = n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    return {samples.front(), median, samples.back()};
}

PairSummary::PairSummary(std::string name, std::string unit, bool referenceOverProject)
    : name_(std::move(name)), unit_(std::move(unit)), referenceOverProject_(referenceOverProject) {}

void PairSummary::add(double project, double reference) {
    if (!(project > 0) || !(reference > 0)) {
        throw std::invalid_argument(name_ + ": a pair needs two positive figures, got " +
                                    std::to_string(project) + " and " + std::to_string(reference));
    }
    project_.push_back(project);
    reference_.push_back(reference);
}

std::vector<double> PairSummary::ratios() const {
    std::vector<double> r;
    for (size_t i = 0; i < project_.size(); ++i) {
        r.push_back(referenceOverProject_ ? reference_[i] / project_[i]
                                          : project_[i] / reference_[i]);
    }
    return r;
}

double PairSummary::medianRatio() const {
    return spreadOf(ratios()).median;
}

std::string PairSummary::report(const std::string& projectLabel,
                                const std::string& referenceLabel) const {
    const Spread p = spreadOf(project_);
    const Spread r = spreadOf(reference_);
    const Spread q = spreadOf(ratios());
    const std::string figures = "min %.4g / median %.4g / max %.4g " + unit_ + "\n";
    std::string text = "  " + name_ + ", " + std::to_string(size()) + " interleaved pairs\n";
    text += "    " + projectLabel + ": " + format(figures.c_str(), p.min, p.median, p.max);
    text += "    " + referenceLabel + ": " + format(figures.c_str(), r.min, r.median, r.max);
    text += format("    pair ratios: min %.2f / median %.2f / max %.2f\n", q.min, q.median, q.max);
    char line[200];
    std::snprintf(line, sizeof line, "ratio %s %.2f (%.4g vs %.4g)\n", name_.c_str(), q.median,
                  p.median, r.median);
    return text + line;
}

}  // namespace bench
