#pragma once

#include "timed/Tone.h"

#include <SDL.h>
#include <cstdint>
#include <vector>

namespace nocturo {

// Plays the timed light's tones on the default sound device, through SDL's audio queue. Without
// a sound device (or with SDL's audio refusing) it stays silent: a light needs no sound.
class ToneSpeaker {
public:
    ToneSpeaker();
    ~ToneSpeaker();
    ToneSpeaker(const ToneSpeaker&) = delete;
    ToneSpeaker& operator=(const ToneSpeaker&) = delete;

    bool hasDevice() const { return device_ != 0; }
    // Safe from any thread: SDL's queue takes its own lock.
    void play(ToneKind kind);

    // The samples of a tone, 16-bit mono at `rate`: a sine with short fades, so it clicks not.
    static std::vector<std::int16_t> samples(ToneKind kind, int rate);

private:
    SDL_AudioDeviceID device_ = 0;
    bool subsystem_ = false;
    int rate_ = 48000;
};

} // namespace nocturo
