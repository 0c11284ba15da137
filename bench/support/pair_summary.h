// Interleaved pairs of one measure: the project's figure and an outside reference's figure for
// the same work, taken one right after the other so that the machine's load falls on both.
#pragma once

#include <string>
#include <vector>

namespace bench {

struct Spread {
    double min = 0;
    double median = 0;
    double max = 0;
};

// Min, median (mean of the middle two for an even count) and max; all 0 for no samples.
Spread spreadOf(std::vector<double> samples);

class PairSummary {
public:
    // `name` is the measure's name in the closing "ratio" line; `unit` labels the figures.
    // With `referenceOverProject` a pair's ratio is reference / project (a speed-up), otherwise
    // project / reference (a cost).
    PairSummary(std::string name, std::string unit, bool referenceOverProject = false);

    void add(double project, double reference);
    size_t size() const { return project_.size(); }

    // The median of the pairs' ratios: each ratio compares two runs made side by side.
    double medianRatio() const;
    // Three lines (project, reference, pair ratios: min/median/max) and the closing line
    // "ratio <name> <median ratio> (<project median> vs <reference median>)".
    std::string report(const std::string& projectLabel, const std::string& referenceLabel) const;

private:
    std::vector<double> ratios() const;

    std::string name_;
    std::string unit_;
    bool referenceOverProject_;
    std::vector<double> project_;
    std::vector<double> reference_;
};

}  // namespace bench
