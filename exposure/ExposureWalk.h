#pragma once

#include <vector>

namespace nocturo {

// Where the screen is while a run plays: a path in front of the camera, in metres across the
// photograph (x to the right, y down), walked from its first point at a steady pace. Past the
// path's end the screen stays at its last point.
class ExposureWalk {
public:
    struct Place {
        double x = 0.0;
        double y = 0.0;
    };

    // A straight sideways walk to the right at `pace` metres a second for `seconds`. A pace or a
    // time that is not a number above zero walks nowhere.
    static ExposureWalk sideways(double pace, double seconds);
    // A drawn path; points that are not finite are left out, and no points stand still at 0, 0.
    ExposureWalk(std::vector<Place> path, double pace);

    double pace() const { return pace_; }
    const std::vector<Place>& path() const { return path_; }
    double length() const;

    // The place at `seconds` from the walk's start.
    Place at(double seconds) const;
    // The times strictly between `from` and `to` at which the walk turns, in order: between two
    // of them it moves in a straight line.
    std::vector<double> turnsBetween(double from, double to) const;

    // The smallest box holding the whole path.
    Place minimum() const;
    Place maximum() const;

private:
    std::vector<Place> path_;
    std::vector<double> reached_; // the time each point is reached
    double pace_;
};

} // namespace nocturo
