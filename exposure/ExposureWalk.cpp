#include "exposure/ExposureWalk.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace nocturo {

ExposureWalk ExposureWalk::sideways(double pace, double seconds) {
    const bool moves = std::isfinite(pace) && pace > 0.0 && std::isfinite(seconds) && seconds > 0.0;
    return ExposureWalk({{0.0, 0.0}, {moves ? pace * seconds : 0.0, 0.0}}, moves ? pace : 0.0);
}

ExposureWalk::ExposureWalk(std::vector<Place> path, double pace)
    : pace_(std::isfinite(pace) && pace > 0.0 ? pace : 0.0) {
    for (const Place& p : path)
        if (std::isfinite(p.x) && std::isfinite(p.y))
            path_.push_back(p);
    if (path_.empty())
        path_.push_back({});
    double time = 0.0;
    reached_.push_back(0.0);
    for (std::size_t i = 1; i < path_.size(); ++i) {
        const double step = std::hypot(path_[i].x - path_[i - 1].x, path_[i].y - path_[i - 1].y);
        time += pace_ > 0.0 ? step / pace_
                            : (step > 0.0 ? std::numeric_limits<double>::infinity() : 0.0);
        reached_.push_back(time);
    }
}

double ExposureWalk::length() const {
    double total = 0.0;
    for (std::size_t i = 1; i < path_.size(); ++i)
        total += std::hypot(path_[i].x - path_[i - 1].x, path_[i].y - path_[i - 1].y);
    return total;
}

ExposureWalk::Place ExposureWalk::at(double seconds) const {
    if (!(seconds > 0.0))
        return path_.front();
    auto next = std::upper_bound(reached_.begin(), reached_.end(), seconds);
    if (next == reached_.end())
        return path_.back();
    const auto i = static_cast<std::size_t>(next - reached_.begin());
    const double span = reached_[i] - reached_[i - 1];
    const double t = span > 0.0 && std::isfinite(span) ? (seconds - reached_[i - 1]) / span : 0.0;
    return {path_[i - 1].x + (path_[i].x - path_[i - 1].x) * t,
            path_[i - 1].y + (path_[i].y - path_[i - 1].y) * t};
}

std::vector<double> ExposureWalk::turnsBetween(double from, double to) const {
    std::vector<double> turns;
    for (double t : reached_)
        if (t > from && t < to)
            turns.push_back(t);
    return turns;
}

ExposureWalk::Place ExposureWalk::minimum() const {
    Place m = path_.front();
    for (const Place& p : path_)
        m = {std::min(m.x, p.x), std::min(m.y, p.y)};
    return m;
}

ExposureWalk::Place ExposureWalk::maximum() const {
    Place m = path_.front();
    for (const Place& p : path_)
        m = {std::max(m.x, p.x), std::max(m.y, p.y)};
    return m;
}

} // namespace nocturo
