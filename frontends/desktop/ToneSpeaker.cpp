#include "frontends/desktop/ToneSpeaker.h"

#include <algorithm>
#include <cmath>

namespace nocturo {

namespace {
struct Shape {
    double frequency;
    double seconds;
};

// A short high tick each second, a longer higher tone as the light comes on, a low one as it
// goes off.
Shape shapeOf(ToneKind kind) {
    switch (kind) {
    case ToneKind::Tick:
        return {880.0, 0.06};
    case ToneKind::Start:
        return {1320.0, 0.25};
    case ToneKind::End:
        return {660.0, 0.4};
    }
    return {880.0, 0.06};
}
} // namespace

ToneSpeaker::ToneSpeaker() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return;
    subsystem_ = true;
    SDL_AudioSpec want{};
    want.freq = rate_;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 1024;
    SDL_AudioSpec have{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ != 0)
        SDL_PauseAudioDevice(device_, 0);
}

ToneSpeaker::~ToneSpeaker() {
    if (device_ != 0)
        SDL_CloseAudioDevice(device_);
    if (subsystem_)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void ToneSpeaker::play(ToneKind kind) {
    if (device_ == 0)
        return;
    std::vector<std::int16_t> wave = samples(kind, rate_);
    SDL_QueueAudio(device_, wave.data(), static_cast<Uint32>(wave.size() * sizeof wave[0]));
}

std::vector<std::int16_t> ToneSpeaker::samples(ToneKind kind, int rate) {
    const Shape shape = shapeOf(kind);
    const auto count = static_cast<std::size_t>(shape.seconds * rate);
    const double fade = 0.005 * rate;
    constexpr double twoPi = 6.283185307179586;
    std::vector<std::int16_t> wave(count);
    for (std::size_t i = 0; i < count; ++i) {
        double edge =
            std::min({1.0, static_cast<double>(i) / fade, static_cast<double>(count - i) / fade});
        double v = std::sin(twoPi * shape.frequency * static_cast<double>(i) / rate);
        wave[i] = static_cast<std::int16_t>(v * edge * 12000.0);
    }
    return wave;
}

} // namespace nocturo
