#pragma once

#include <functional>
#include <string>
#include <vector>

namespace nocturo {

// Delta debugging over a list of script lines: the shortest list it can find for which
// `fails` still answers true, by removing ever smaller runs of lines until no single line can
// go. Gives up refining after `budget` tries and returns the best list found so far.
class Shrinker {
public:
    using Test = std::function<bool(const std::vector<std::string>&)>;

    Shrinker(Test fails, long budget) : fails_(std::move(fails)), budget_(budget) {}

    std::vector<std::string> shrink(std::vector<std::string> lines);
    long tries() const { return tries_; }
    bool exhausted() const { return tries_ >= budget_; }

private:
    Test fails_;
    long budget_;
    long tries_ = 0;
};

} // namespace nocturo
