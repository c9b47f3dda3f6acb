// Driving the real program from a script of key events, for tests and
// recorded demonstrations of the interface:
//   VORBIX_SCRIPT=file   lines "FRAME press|down|up KEY",
//                        "modal [press|down|up] KEY" and "# comments"; KEY is
//                        an SDL key symbol (decimal). A press goes down and up
//                        in the same frame; a modal line acts in the next step
//                        of a modal screen (the level summary, the dialogues),
//                        one line a step. Key events carry the modifier
//                        keys the script holds down in keysym.mod.
//                        "FRAME motion X Y" moves the pointer;
//                        "FRAME mouse press|down|up B X Y" moves it to
//                        (X, Y), then button B (1 left, 2 middle, 3 right,
//                        4 and 5 the wheel) goes down, up, or both.
//   VORBIX_FAST=1        frames run back to back instead of every 20 ms.
// While a script runs, each change of mode or level is reported on stderr
// as "frame F: MODE level L".
#pragma once
#include <cstdint>

#include "core/flags.h"

// Reads the environment; false (and a message) when the script is unusable.
bool load_script();
void reset_script();
bool fast_frames();
// Called by poll_events before it takes SDL's events.
void inject_script_events(bool in_frame);
// Called at the end of every frame, with the session's mode and level; a
// frame that puts up a modal screen ends when the screen is taken down (no
// frame counts meanwhile).
void trace_frame(ModeHandler mode, int level);
// A problem the player is told about, reported as "frame F: notice TEXT".
void trace_notice(const char* text);
