// The effects as mixed: SDL's disk audio driver writes the mixed output to a
// file, which the test reads back.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "core/modal.h"
#include "core/settings.h"
#include "frontend/userdir.h"
#include "sound/sound.h"
#include "support/pictures.h"
#include "support/process.h"
#include "support/fixtures.h"
#include "view/session.h"

namespace {

class Sound : public ::testing::Test {
protected:
    TempUserDir home;
    const TempDir& dir = home.dir;
    void SetUp() override
    {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", dir.file("out.raw").c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "1", 1);
        sound_enabled = 1;
        ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO | SDL_INIT_TIMER), 0);
    }
    void TearDown() override
    {
        close_sound();
        SDL_Quit();
    }
    // The wait for the effects to end, stepped as the frame loop steps it;
    // the steps it took.
    static int wait_sounds()
    {
        static int ended;
        ended = 0;
        static Session session;
        wait_sounds_then(session, [](Session&, int arg) { ended = arg; }, 7);
        int steps = 0;
        while (modal_screen_open()) {
            SDL_Delay(10);
            step_modal_screen(session, false);
            steps++;
        }
        EXPECT_EQ(ended, 7) << "the end action ran with its argument";
        return steps;
    }
    size_t loud_bytes_before_any()
    {
        SDL_Delay(100);   // a few silent buffers
        return loud_bytes();
    }
    // Bytes away from silence in the mixed output. The driver writes the
    // device's own format (SDL converts from ours), whose silence is zero.
    size_t loud_bytes()
    {
        close_sound();
        size_t n = 0;
        for (char c : read_file(dir.file("out.raw")))
            n += c != 0;
        return n;
    }
};

TEST_F(Sound, AnEffectMixesItsOwnLength)
{
    ASSERT_TRUE(open_sound());   // the shipped effects, from data/
    EXPECT_EQ(loud_bytes_before_any(), 0u);
    ASSERT_TRUE(open_sound());
    play_sound(SOUND_POP);
    EXPECT_NEAR(double(sound_channels[SOUND_POP].length), 1213, 4);   // 0.11 s at 11025 Hz
    EXPECT_FALSE(sounds_done());
    EXPECT_GT(wait_sounds(), 0) << "a screen waits while the effect plays";
    EXPECT_TRUE(sounds_done());
    EXPECT_EQ(sound_channels[SOUND_POP].position, sound_channels[SOUND_POP].length);   // mixed to its end
    EXPECT_GT(loud_bytes(), 500u);
}

TEST_F(Sound, RestartingAndOverlapping)
{
    // A dig of five seconds, found first in the user directory, still plays
    // when it is started again.
    ASSERT_EQ(shell("sox -n -r 11025 -b 8 -c 1 " + dir.file(".zuzezodov/dig.wav") + " synth 5 sine 440 2>/dev/null"), 0);
    ASSERT_TRUE(open_sound());
    play_sound(SOUND_DIG);
    const SoundChannel& dig = sound_channels[SOUND_DIG];
    for (int i = 0; i < 2000 && dig.position < 4096; i++)
        SDL_Delay(1);
    SDL_LockAudio();
    const uint32_t before = dig.position;
    play_sound(SOUND_DIG);   // starts again from its first sample
    const uint32_t after = dig.position;
    SDL_UnlockAudio();
    ASSERT_GE(before, 4096u);
    ASSERT_LT(before, dig.length) << "the first dig is still playing";
    EXPECT_EQ(after, 0u);
    play_sound(SOUND_POP);   // mixed over the dig
    EXPECT_NE(sound_channels[SOUND_POP].length, 0u);
    EXPECT_NE(dig.length, 0u);
    stop_sound(SOUND_FALL);  // not playing: harmless
    wait_sounds();
    EXPECT_EQ(dig.position, dig.length);
}

TEST_F(Sound, OtherFormatsAreConverted)
{
    // Half a second in each of several formats, found first in the user directory.
    const struct {
        const char* name;
        const char* format;
    } files[] = {
        {"fall.wav", "-r 22050 -b 16 -c 2"},
        {"dig.wav", "-r 44100 -b 16 -c 1"},
        {"pop.wav", "-r 8000 -b 8 -c 1"},
        {"victory.wav", "-r 11025 -b 16 -c 2"},
        {"death.wav", "-r 11025 -b 8 -c 1"},
    };
    for (const auto& f : files)
        ASSERT_EQ(shell("sox -n " + std::string(f.format) + " " + dir.file(".zuzezodov/") + f.name +
                        " synth 0.5 sine 440 2>/dev/null"),
                  0)
            << f.name;
    ASSERT_TRUE(open_sound());
    for (int effect = 0; effect < SOUND_COUNT; effect++)
        EXPECT_NEAR(double(sound_channels[effect].length), 0.0, 1.0);   // nothing played yet
    play_sound(SOUND_FALL);
    EXPECT_NEAR(double(sound_channels[SOUND_FALL].length), 5512, 40);   // converted to 11025 Hz mono 8-bit
    play_sound(SOUND_DIG);
    EXPECT_NEAR(double(sound_channels[SOUND_DIG].length), 5512, 40);
    wait_sounds();
    EXPECT_GT(loud_bytes(), 4000u);
}

TEST_F(Sound, QuietMeansNothingAtAll)
{
    ASSERT_TRUE(open_sound());
    sound_enabled = 0;
    play_sound(SOUND_VICTORY);
    for (const SoundChannel& channel : sound_channels)
        EXPECT_EQ(channel.length, 0u);
    EXPECT_TRUE(sounds_done());
    EXPECT_EQ(wait_sounds(), 0) << "no wait: the end action runs at once";
    EXPECT_EQ(loud_bytes(), 0u);
}

} // namespace
