// The program's entry point, its start-up order and its shutdown.
#pragma once

#include "core/fatal.h"

constexpr int EXIT_NO_SOUND = 4;
constexpr int EXIT_NO_VIDEO_MODE = 5;
constexpr int EXIT_USER_DIR_IN_USE = 6;
constexpr int EXIT_NO_MEMORY = 50;

struct Session;
// Reads the command line into the settings and the session (-l: its level
// and start level). Returns -1 when start-up is to go on, otherwise the exit
// status after the help text, the version or a message has been printed.
int parse_command_line(int argc, char** argv, Session& session);

// Fills player_name from USER (or "anonymous"), then lays the player-name
// file over its start.
void take_player_name();

int vorbix_main(int argc, char** argv);
void init_video();
void free_buffers();
void shutdown_handler();
