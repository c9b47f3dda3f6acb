#include "sound/sound.h"

#include "core/settings.h"

SoundState sound_state;

namespace {

void lock_channels()
{
    if (sound_state.lock)
        sound_state.lock();
}

void unlock_channels()
{
    if (sound_state.unlock)
        sound_state.unlock();
}

void stop_channel(int effect)
{
    lock_channels();
    sound_channels[effect].length = 0;
    sound_channels[effect].position = 0;
    unlock_channels();
}

} // namespace

int play_sound(int effect)
{
    if (!sound_enabled || !sound_open || effect < 0 || effect >= SOUND_COUNT)
        return effect;
    if (channel_playing(sound_channels[effect]))
        stop_channel(effect);
    lock_channels();
    sound_channels[effect].data = sound_state.samples[effect].data;
    sound_channels[effect].length = sound_state.samples[effect].length;
    sound_channels[effect].position = 0;
    unlock_channels();
    return effect;
}

void stop_sound(int effect)
{
    if (!sound_enabled || effect < 0 || effect >= SOUND_COUNT)
        return;
    stop_channel(effect);
}

void stop_all_sounds()
{
    if (!sound_enabled)
        return;
    for (int effect = 0; effect < SOUND_COUNT; effect++)
        stop_channel(effect);
}
