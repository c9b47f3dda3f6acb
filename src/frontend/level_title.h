// The level's number and title in the band above the top status line: in
// play while the level waits for the first key, all through a level of the
// demonstration. Levels without a title in the shipped table show nothing.
#pragma once

struct Session;

// Called once a frame, after the status lines are refreshed: draws, keeps or
// clears the band of the session's level as the game's state asks.
void show_level_title(const Session& session);
// The text the band shows now ("" when none), for the tests.
const char* level_title_text();
