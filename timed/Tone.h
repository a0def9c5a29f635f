#pragma once

namespace nocturo {

enum class ToneKind { Tick, Start, End };

// One tone of a timed light, at the run loop's time it was played.
struct Tone {
    double time = 0.0;
    ToneKind kind = ToneKind::Tick;
};

inline const char* toneName(ToneKind kind) {
    switch (kind) {
    case ToneKind::Tick:
        return "tick";
    case ToneKind::Start:
        return "start";
    case ToneKind::End:
        return "end";
    }
    return "tick";
}

} // namespace nocturo
