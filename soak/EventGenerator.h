#pragma once

#include "app/Nocturo.h"

#include <cstdint>
#include <map>
#include <random>
#include <string>

namespace nocturo {

// Random but legal events, as nocturo-sim lines: what a photographer could do to the
// application as it stands. Fingers (one or several) go down, move, lift and are cancelled
// anywhere on the screen; every reachable and enabled control is set and every reachable
// button pressed, by the rules of `control` and `press`; time passes in steps of every size;
// now and then the application quits and is launched again.
class EventGenerator {
public:
    static constexpr int maxFingers = 5;

    explicit EventGenerator(std::uint64_t seed) : random_(seed) {}

    // The next line for `app`, or for no running application when it is null.
    std::string next(Nocturo* app);

private:
    double uniform(double lo, double hi) {
        return std::uniform_real_distribution<>(lo, hi)(random_);
    }
    int upTo(int n) { return std::uniform_int_distribution<>(0, n - 1)(random_); }
    bool chance(double p) { return uniform(0.0, 1.0) < p; }

    std::string touch(Nocturo& app);
    std::string control(Nocturo& app);
    std::string press(Nocturo& app);
    std::string wait(Nocturo* app);
    Point anywhere(Nocturo& app);
    Point near(Point p, double spread);

    std::mt19937_64 random_;
    std::map<int, Point> fingers_;
};

} // namespace nocturo
