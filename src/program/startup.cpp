#include "program/startup.h"

#include <SDL/SDL.h>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <csignal>
#include <getopt.h>
#include <memory>
#include <unistd.h>

#include "program/frame.h"
#include "core/fatal.h"
#include "core/openread.h"
#include "core/input.h"
#include "program/script.h"
#include "core/settings.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "frontend/config.h"
#include "frontend/modes.h"
#include "frontend/userdir.h"
#include "view/view.h"
#include "gfxedit/gfxedit.h"
#include "level/archive.h"
#include "level/grid.h"
#include "leveledit/leveledit.h"
#include "picture/gfxset.h"
#include "picture/datafile.h"
#include "picture/ilbm.h"
#include "platform/video.h"
#include "platform/watchdog.h"
#include "sound/sound.h"

namespace {

const char HELP_TEXT[] =
    "\n"
    "SDL Vorbix command line options:\n"
    "\n"
    "-h, --help    Show this help text and exit.\n"
    "\n"
    "-c file, --config file\n"
    "              Use alternate file for vorbix configuration.\n"
    "              See vrbxrc in your ~/.zuzezodov directory for the\n"
    "              proper config file format.\n"
    "\n"
    "-w, --window  Run vorbix in a window instead of full screen.\n"
    "\n"
    "-l 125,\n"
    "--level 125   Start the game on level 125. Press F4 when the\n"
    "              game starts to jump to this level.  The maximum\n"
    "              level number is 400, but only 200 levels are\n"
    "              predefined.  Levels 201 through 400 are available\n"
    "              for user defined levels.\n"
    "\n"
    "-v, --version Show the vorbix version and exit.\n"
    "\n"
    "-s, --stuck   Play vorbix with the pre-solved movies included\n"
    "              If you are convinced that a level is impossible, use\n"
    "              this option to see how the Masters do it. This option\n"
    "              can be used with the -l option to go straight to the\n"
    "              level you are stuck on.  See if you can best the score,\n"
    "              or playing time of the Masters!\n"
    "\n"
    "-q, --quiet   Play vorbix without sound.\n"
    "\n";

// The longest the shutdown may take before the process ends without it.
constexpr unsigned SHUTDOWN_SECONDS = 10;

// How long a second game on one user directory shows why it ends.
constexpr uint32_t SECOND_GAME_NOTICE_MS = 5000;

const char VERSION_TEXT[] = "\nSDL Vorbix version 1.4.5.4 (1/5/2015)\n\n";
const char LEVEL_MESSAGE[] = "\nLevel numbers must be numeric, ranging from 1 to 400\n\n";

int print_help()
{
    fputs(HELP_TEXT, stdout);
    return 0;
}

// 1 to 3 decimal digits with a value of 1..MAX_LEVEL.
int parse_level(const char* text)
{
    size_t length = strlen(text);
    if (length < 1 || length > 3)
        return -1;
    for (size_t i = 0; i < length; i++)
        if (!isdigit(static_cast<unsigned char>(text[i])))
            return -1;
    int level = atoi(text);
    return (level >= 1 && level <= MAX_LEVEL) ? level : -1;
}

// A name that does not fit its 256-byte buffer is refused like a bad option.
bool store_name(char* target, const char* value)
{
    if (strlen(value) >= PATH_BUFFER_SIZE)
        return false;
    strcpy(target, value);
    return true;
}

} // namespace

int parse_command_line(int argc, char** argv, Session& session)
{
    // getopt's table, the parse's own: it holds pointers, so as a file-level
    // array it would be written at load time rather than be read-only.
    const option LONG_OPTIONS[] = {
        {"window", no_argument, nullptr, 'w'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'v'},
        {"config", required_argument, nullptr, 'c'},
        {"level", required_argument, nullptr, 'l'},
        {"Level", required_argument, nullptr, 'l'},
        {"stuck", no_argument, nullptr, 's'},
        {"quiet", no_argument, nullptr, 'q'},
        {nullptr, 0, nullptr, 0},
    };
    opterr = 0;
    optind = 0;   // a fresh scan, also when called more than once
    int c;
    while ((c = getopt_long(argc, argv, "hvwsqc:l:L:", LONG_OPTIONS, nullptr)) != -1) {
        switch (c) {
        case 'w':
            full_screen = false;
            break;
        case 'v':
            fputs(VERSION_TEXT, stdout);
            return 0;
        case 'c':
            if (!store_name(config_file_name, optarg))
                return print_help();
            // Only a file of the user directory: a path elsewhere or one of
            // the game's own files would be overwritten with settings.
            if (!plain_user_file_name(config_file_name)) {
                printf("\n%s is not a file name of the user directory: using vrbxrc\n\n", optarg);
                log_message("-c %s refused (not a plain file name), using vrbxrc\n", optarg);
                strcpy(config_file_name, "vrbxrc");
            }
            break;
        case 'l':
        case 'L': {
            int level = parse_level(optarg);
            if (level < 0) {
                fputs(LEVEL_MESSAGE, stdout);
                return 1;
            }
            session.level = session.start_level = level;
            break;
        }
        case 's':
            store_name(archive_file_name, "masters.vbl");
            break;
        case 'q':
            sound_enabled = 0;
            break;
        default:   // -h, an unknown option, a missing argument
            return print_help();
        }
    }
    return -1;
}

void take_player_name()
{
    memset(player_name, 0, sizeof player_name);
    const char* user = getenv("USER");
    strncpy(player_name, user ? user : "anonymous", PLAYER_NAME_LENGTH);
    char path[PATH_BUFFER_SIZE];
    if (!user_file_path(path, "player.nam"))
        return;
    int fd = open_for_reading(path);
    if (fd < 0)
        return;
    // Bytes the file does not supply keep the name from USER.
    ssize_t got = read(fd, player_name, PLAYER_NAME_LENGTH);
    (void)got;
    close(fd);
    player_name[PLAYER_NAME_LENGTH] = 0;
}

void free_buffers()
{
    free_display_buffers();
    free_gfx_sets();
}

namespace {

// The window icon, kept until the window goes.
SDL_Surface* window_icon;

} // namespace

void shutdown_handler()
{
    // Nothing below may keep the process from ending: a device or thread
    // that does not let go is cut short, and so is a signal now.
    arm_exit_watchdog(SHUTDOWN_SECONDS, exit_status);
    if (sound_enabled)
        stop_all_sounds();
    fputs("End.\n", stdout);
    fflush(nullptr);
    stop_frame_timer();
    if (sound_enabled)
        close_sound();
    if (window_icon)
        SDL_FreeSurface(window_icon);
    window_icon = nullptr;
    SDL_Quit();
    free_buffers();
}

namespace {

void set_window_icon()
{
    char path[PATH_BUFFER_SIZE];
    if (!find_data_file(path, "vrbx.bmp"))
        return;
    window_icon = SDL_LoadBMP_RW(SDL_RWFromFile(path, "rb"), 1);
    if (window_icon)
        SDL_WM_SetIcon(window_icon, nullptr);
}

void open_joysticks()
{
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) < 0) {
        fprintf(stderr, "Couldn't initialize SDL Joystick SubSystem: %s\n", SDL_GetError());
        return;
    }
    int count = SDL_NumJoysticks();
    if (count == 0) {
        fputs("No joystick/joypad found !\n", stderr);
        return;
    }
    for (int i = 0; i < count; i++)
        if (!SDL_JoystickOpen(i))
            fprintf(stderr, "Failed to open this joystick/joypad (%d)...\n", i);
    SDL_JoystickEventState(SDL_ENABLE);
}

// Another game holds the user directory: this one says so on the screen and
// on stdout, waits a few seconds (or for a key) and ends without writing.
[[noreturn]] void end_as_second_game()
{
    const char* lines[] = {"ANOTHER VORBIX IS USING THE USER DIRECTORY ~/.zuzezodov",
                           "THIS ONE ENDS WITHOUT WRITING ANYTHING"};
    printf("Another vorbix is using the user directory %s/%s: ending without writing anything\n",
           home_directory, USER_DIR_NAME);
    clear_screen();
    text_y = 200;
    for (const char* line : lines)
        print_centred(line);
    update_whole_screen();
    pass_notice(lines[0]);
    const uint32_t start = SDL_GetTicks();
    begin_input_frame();
    while (!fast_frames() && SDL_GetTicks() - start < SECOND_GAME_NOTICE_MS) {
        if (poll_events() || pressed_count() > 0)
            break;
        SDL_Delay(20);
    }
    fatal_exit(EXIT_USER_DIR_IN_USE);
}

} // namespace

void init_video()
{
    reset_shared_palette();
    if (!alloc_display_buffers()) {
        fputs("No memory\n", stdout);
        fatal_exit(EXIT_NO_MEMORY);
    }
    prefer_software_framebuffer();
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO) < 0) {
        fprintf(stderr, "Couldn't initialize SDL: %s\n", SDL_GetError());
        fatal_exit(1);
    }
    atexit(shutdown_handler);
    set_window_icon();
    SDL_WM_SetCaption("ZuzEzodov", "ZuzEzodov");
    SDL_Surface* surface = SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, 8, (full_screen ? SDL_FULLSCREEN : 0) | SDL_HWPALETTE);
    if (!surface) {
        fprintf(stderr, "Couldn't set display mode: %s\n", SDL_GetError());
        fatal_exit(EXIT_NO_VIDEO_MODE);
    }
    // A new surface's pixels are whatever the allocator gave: the screen
    // starts black (index 0) everywhere, also in the rows no mode draws.
    // Cleared byte by byte: the browser's SDL cannot fill an 8-bit surface
    // before it has a palette.
    if (SDL_LockSurface(surface) == 0) {
        auto* pixels = static_cast<uint8_t*>(surface->pixels);
        for (int y = 0; y < surface->h; y++)
            memset(pixels + size_t(y) * surface->pitch, 0, size_t(surface->w));
        SDL_UnlockSurface(surface);
    }
    attach_screen_surface(surface);
    SDL_ShowCursor(SDL_DISABLE);
    open_joysticks();
}

namespace {

// The four graphics sets, their shared palette and the tile cache. A
// missing or damaged artwork file of the user's gives way to the shipped
// artwork, said on stdout and in the log (*replaced tells the caller to say
// it on the screen too); false only when no artwork at all can be loaded.
bool load_artwork(bool* replaced)
{
    reset_shared_palette();
    for (int set = 0; set < GFX_SET_COUNT; set++) {
        bool shipped = false;
        const char* message = load_gfx_set_or_shipped(set, &shipped);
        if (message) {
            printf("%s", message);
            log_message("%s", message);
            if (!shipped)
                return false;
            *replaced = true;
        }
        merge_set_palette(gfx_sets[set]);
    }
    apply_shared_palette();
    build_tile_cache();
    return true;
}

// The screen, the sound, the configuration, the editors and the tables
// the drawing works from.
void open_devices_and_tables()
{
    init_video();
    if (sound_enabled && !open_sound()) {
        SDL_Quit();
        fatal_exit(EXIT_NO_SOUND);
    }
    read_config();
    init_gfx_editor();
    init_level_editor();
    take_player_name();
    build_variant_table();
    clear_sprite_slots();
    clear_dirty_list();
}

// The working archive's damage (nullptr when none), said in the log with
// the way to salvage it and on the terminal.
const char* report_archive_damage()
{
    const char* damage = archive_damage();
    if (damage) {
        log_message("%s is damaged: %s. vbltool repair salvages its records\n", archive_file_name, damage);
        log_message("Remove or rename %s to get the shipped levels back at the next start\n", archive_file_name);
        printf("%s is damaged: %s.\nRemove or rename it to get the shipped levels back at the next start,\n"
               "or salvage its records with: vbltool repair %s -o NEW\n",
               archive_file_name, damage, archive_path);
    }
    return damage;
}

// After the frame loop's last step: nothing is left to do here. The exit
// handler (on the desktop when main returns, in the browser when the
// runtime exits) stops the tick source and the sound after "End.", under
// its watchdog.
void end_frame_loop(void*) {}

// The frame loop's step on the session it was given.
LoopStep step_session_frame(void* session) { return step_frame(*static_cast<Session*>(session)); }

} // namespace

int vorbix_main(int argc, char** argv)
{
    // Under a file-size limit a write past it fails with EFBIG instead of
    // ending the process, so a result that cannot be stored is reported and
    // the session goes on.
    signal(SIGXFSZ, SIG_IGN);
    fatal_cleanup = free_buffers;
    clear_gfx_sets();
    strcpy(config_file_name, "vrbxrc");
    strcpy(archive_file_name, "levels.vbl");
    // Until the user directory's lock is decided the log is kept in memory:
    // a second game on the directory leaves the running game's log alone.
    hold_log();
    // The session lives as long as the program runs.
    auto session = std::make_unique<Session>();
    int status = parse_command_line(argc, argv, *session);
    if (status >= 0) {
        release_log();
        fflush(stdout);
        return status;
    }
    if (!load_script()) {
        release_log();
        return 1;
    }
    setup_user_dir();
    open_devices_and_tables();
    bool artwork_replaced = false;
    if (!load_artwork(&artwork_replaced))
        return 1;
    if (user_dir_in_use)
        end_as_second_game();
    // A damaged working archive is said so at once: in the log, with the way
    // to salvage it, and in the message area of the first demonstration.
    const char* damage = report_archive_damage();
    demo_mode(*session);
    if (artwork_replaced) {
        show_message("ARTWORK DAMAGED", 600);
        pass_notice("ARTWORK DAMAGED");
    }
    if (damage) {
        show_message("ARCHIVE DAMAGED", 600);
        pass_notice("ARCHIVE DAMAGED");
    }
    start_frame_timer();
    run_main_loop(step_session_frame, end_frame_loop, session.get(), fast_frames());
    return 0;   // main returns it: the exit handler ends the session
}
