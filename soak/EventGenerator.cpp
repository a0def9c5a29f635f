#include "soak/EventGenerator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <vector>

namespace nocturo {

namespace {

std::string number(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(v));
    return text;
}

std::string seconds(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

std::string at(Point p) {
    return number(p.x) + " " + number(p.y);
}

// The largest float below `v`: the last point inside a maximum edge.
float below(float v) {
    return std::nextafter(v, 0.0f);
}

bool usable(const Control& c) {
    return c.isReachable() && c.isEnabled();
}

} // namespace

std::string EventGenerator::next(Nocturo* app) {
    if (!app) {
        fingers_.clear();
        return chance(0.8) ? "launch" : wait(nullptr);
    }
    double pick = uniform(0.0, 1.0);
    if (pick < 0.0008) {
        fingers_.clear();
        return "quit";
    }
    if (pick < 0.46)
        return touch(*app);
    if (pick < 0.60)
        return control(*app);
    if (pick < 0.64)
        return press(*app);
    if (pick < 0.65)
        return chance(0.5) ? "key space" : "key enter";
    return wait(app);
}

// A finger lands anywhere on the screen: on its edges and corners, on the centre, on the dead
// square's edges, on a control, or anywhere at all.
Point EventGenerator::anywhere(Nocturo& app) {
    double pick = uniform(0.0, 1.0);
    if (pick < 0.12) {
        static const Point special[] = {
            {160.0f, 240.0f},        {260.0f, 420.0f}, {below(260.0f), 450.0f},
            {below(320.0f), 450.0f}, {0.0f, 0.0f},     {below(320.0f), below(480.0f)},
            {300.0f, 450.0f},        {290.0f, 452.0f}, {303.0f, 465.0f},
            {160.0f, 0.0f},          {0.0f, 240.0f},   {160.0f, below(480.0f)},
        };
        return special[upTo(static_cast<int>(std::size(special)))];
    }
    if (pick < 0.30) {
        std::vector<const View*> targets;
        for (Object* o : app.interface().namedObjects())
            if (auto* c = dynamic_cast<Control*>(o); c && c->isReachable())
                targets.push_back(c);
        if (!targets.empty()) {
            const View* v =
                targets[static_cast<std::size_t>(upTo(static_cast<int>(targets.size())))];
            Rect b = v->bounds();
            Point p = v->convertToWindow({static_cast<float>(uniform(b.minX(), b.maxX())),
                                          static_cast<float>(uniform(b.minY(), b.maxY()))});
            return {std::clamp(p.x, 0.0f, below(320.0f)), std::clamp(p.y, 0.0f, below(480.0f))};
        }
    }
    return {static_cast<float>(uniform(0.0, 320.0)), static_cast<float>(uniform(0.0, 480.0))};
}

Point EventGenerator::near(Point p, double spread) {
    std::normal_distribution<> step(0.0, spread);
    double x = std::clamp(p.x + step(random_), 0.0, 319.0);
    double y = std::clamp(p.y + step(random_), 0.0, 479.0);
    return {static_cast<float>(x), static_cast<float>(y)};
}

std::string EventGenerator::touch(Nocturo& app) {
    Window* window = app.window();
    for (auto it = fingers_.begin(); it != fingers_.end();)
        it = window->hasTouch(it->first) ? std::next(it) : fingers_.erase(it);

    std::vector<int> down, free;
    for (int id = 1; id <= maxFingers; ++id)
        (fingers_.count(id) ? down : free).push_back(id);
    auto suffix = [](int id) {
        std::string text;
        if (id != 1)
            text.append(" ").append(std::to_string(id));
        return text;
    };

    double pick = uniform(0.0, 1.0);
    if (down.empty() || (pick < 0.12 && !free.empty())) {
        int id = down.empty() && chance(0.7)
                     ? 1
                     : free[static_cast<std::size_t>(upTo(static_cast<int>(free.size())))];
        Point p = anywhere(app);
        fingers_[id] = p;
        return "touch down " + at(p) + suffix(id);
    }
    int id = down[static_cast<std::size_t>(upTo(static_cast<int>(down.size())))];
    Point& p = fingers_[id];
    if (pick < 0.72) {
        double how = uniform(0.0, 1.0);
        if (how < 0.4) {
            p = near(p, 6.0);
        } else if (how < 0.7) {
            // Along the line from the screen's centre, to grow or shrink the spot.
            double dx = p.x - 160.0, dy = p.y - 240.0;
            double k = uniform(-1.2, 1.6);
            p = {static_cast<float>(std::clamp(160.0 + dx * (1.0 + k), 0.0, 319.0)),
                 static_cast<float>(std::clamp(240.0 + dy * (1.0 + k), 0.0, 479.0))};
        } else {
            p = anywhere(app);
        }
        return "touch move " + at(p) + suffix(id);
    }
    if (pick < 0.92) {
        if (chance(0.3))
            p = near(p, 3.0);
        std::string line = "touch up " + at(p) + suffix(id);
        fingers_.erase(id);
        return line;
    }
    fingers_.erase(id);
    return "touch cancel" + suffix(id);
}

std::string EventGenerator::control(Nocturo& app) {
    std::vector<Control*> controls;
    for (Object* o : app.interface().namedObjects())
        if (auto* c = dynamic_cast<Control*>(o); c && !dynamic_cast<Button*>(c) && usable(*c))
            controls.push_back(c);
    if (controls.empty())
        return touch(app);
    Control* c = controls[static_cast<std::size_t>(upTo(static_cast<int>(controls.size())))];
    std::string value;
    if (auto* s = dynamic_cast<SegmentedControl*>(c)) {
        value = std::to_string(upTo(std::max(1, s->numberOfSegments())));
    } else if (dynamic_cast<Switch*>(c)) {
        value = chance(0.5) ? "on" : "off";
    } else if (auto* slider = dynamic_cast<Slider*>(c)) {
        float lo = slider->minimumValue(), hi = slider->maximumValue();
        double how = uniform(0.0, 1.0);
        float v = how < 0.3   ? std::round(static_cast<float>(uniform(lo, hi)))
                  : how < 0.4 ? lo
                  : how < 0.5 ? hi
                  : how < 0.7 ? slider->value() + static_cast<float>(uniform(-2.0, 2.0))
                              : static_cast<float>(uniform(lo, hi));
        value = number(std::clamp(v, lo, hi));
    }
    return "control " + c->name() + " " + value;
}

std::string EventGenerator::press(Nocturo& app) {
    std::set<std::string> actions;
    for (const auto& o : app.interface().objects())
        if (auto* b = dynamic_cast<Button*>(o.get()); b && usable(*b) && !b->actionName().empty())
            actions.insert(b->actionName());
    if (actions.empty())
        return wait(&app);
    auto it = actions.begin();
    std::advance(it, upTo(static_cast<int>(actions.size())));
    return "press " + *it;
}

// Steps of every size: none, sub-microsecond, a frame, exactly a tick of the colour cycle or
// one of the fixed delays (and a hair either side), seconds, minutes, an hour.
std::string EventGenerator::wait(Nocturo* app) {
    double pick = uniform(0.0, 1.0);
    double s;
    if (pick < 0.04) {
        s = 0.0;
    } else if (pick < 0.12) {
        s = std::pow(10.0, uniform(-9.0, -4.0));
    } else if (pick < 0.45) {
        s = uniform(0.001, 0.05);
    } else if (pick < 0.55) {
        double tick = app && app->controller().colorFantasyTimer
                          ? app->controller().colorFantasyTimeInterval
                          : 0.02;
        static const double hair[] = {0.0, 1e-9, -1e-9, 1e-6};
        s = std::max(0.0, tick * (1 + upTo(5)) + hair[upTo(4)]);
    } else if (pick < 0.65) {
        static const double delays[] = {0.5, 0.8, 1.0, 1.3, 1.8, 2.0};
        static const double hair[] = {0.0, 0.0, 1e-9, -1e-9, 1e-6, -1e-6};
        s = delays[upTo(6)] + hair[upTo(6)];
    } else if (pick < 0.985) {
        s = uniform(0.05, 3.0);
    } else if (pick < 0.9985) {
        s = uniform(3.0, 120.0);
    } else {
        s = uniform(120.0, 3600.0);
    }
    return "wait " + seconds(s);
}

} // namespace nocturo
