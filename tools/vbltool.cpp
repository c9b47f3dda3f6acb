// vbltool: inspect, pack and unpack level archives without the game's window.
// It links the game's own library; formats are never coded twice.
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "level/archive.h"
#include "level/grid.h"
#include "core/input.h"
#include "level/movie.h"
#include "level/textformat.h"
#include "game/replay.h"
#include <chrono>
#include "leveledit/validate.h"
#include <SDL/SDL.h>

namespace {

const char USAGE[] =
    "usage: vbltool list ARCHIVE\n"
    "       vbltool show ARCHIVE LEVEL        (LEVEL 0: the built-in level, ARCHIVE -)\n"
    "       vbltool pack -o ARCHIVE FILE...   (levelNNN.txt levels, levelNNN.movie movies)\n"
    "       vbltool unpack ARCHIVE DIR\n"
    "       vbltool check [--relaxed] ARCHIVE|FILE...\n"
    "       vbltool replay ARCHIVE LEVEL [--repeat N]   (LEVEL 0: ARCHIVE is -)\n"
    "       vbltool verify ARCHIVE\n";

int usage()
{
    fputs(USAGE, stderr);
    return 2;
}

int fail(const std::string& file, const std::string& problem)
{
    fprintf(stderr, "vbltool: %s: %s\n", file.c_str(), problem.c_str());
    return 1;
}

bool use_archive(const char* path)
{
    if (strlen(path) + 5 >= PATH_BUFFER_SIZE)
        return false;
    snprintf(archive_path, sizeof archive_path, "%s", path);
    snprintf(temp_path, sizeof temp_path, "%s.new", path);
    return true;
}

bool parse_level_number(const char* text, int* level)
{
    char* end;
    errno = 0;
    long value = strtol(text, &end, 10);
    if (errno || *end || end == text || value < 0 || value > MAX_LEVEL)
        return false;
    *level = int(value);
    return true;
}

// Reads the archive's header: false (with a message) when it is no archive.
bool check_archive(const char* path)
{
    uint8_t probe[1];
    int result = read_record(0, probe, 1);
    if (result == ARCHIVE_NOT_READABLE)
        return fail(path, std::string("cannot open: ") + strerror(errno)), false;
    if (result == ARCHIVE_SHORT_HEADER)
        return fail(path, "too short for an archive header"), false;
    if (result == ARCHIVE_BAD_MAGIC)
        return fail(path, "not a level archive (no VRBX magic)"), false;
    return true;
}

bool ends_with(const std::string& s, const char* suffix)
{
    size_t n = strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

int command_list(const char* archive)
{
    if (!use_archive(archive) || !check_archive(archive))
        return 1;
    std::vector<uint8_t> buffer(MOVIE_BUFFER_SIZE);
    for (int level = 1; level <= MAX_LEVEL; level++) {
        if (read_record(level_record(level), buffer.data(), LEVEL_RECORD_SIZE) != LEVEL_RECORD_SIZE)
            continue;
        int length = read_record(movie_record(level), buffer.data(), MOVIE_BUFFER_SIZE);
        if (length < MOVIE_HEADER_SIZE) {
            printf("%3d  no movie\n", level);
            continue;
        }
        int ticks = movie_ticks(buffer.data(), length);
        char name[17] = {};
        memcpy(name, buffer.data() + 4, 16);
        printf("%3d  movie  score=%d  time=%d.%02d  ticks=%d  name=%s\n", level, movie_score(buffer.data()),
               ticks / 60, ticks % 60, ticks, name);
    }
    return 0;
}

int command_show(const char* archive, const char* level_text_arg)
{
    int level;
    if (!parse_level_number(level_text_arg, &level))
        return fail(level_text_arg, "not a level number 0..400");
    LevelRecord record;
    if (level == 0) {
        record = BUILTIN_LEVEL;
    } else {
        if (!use_archive(archive) || !check_archive(archive))
            return 1;
        if (read_record(level_record(level), record.data(), LEVEL_RECORD_SIZE) != LEVEL_RECORD_SIZE)
            return fail(archive, "has no level " + std::to_string(level));
    }
    std::string comment = "level " + std::to_string(level);
    fputs(level_text(record.data(), comment.c_str()).c_str(), stdout);
    return 0;
}

bool write_empty_archive(const char* path)
{
    int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const char header[8] = {'V', 'R', 'B', 'X', 0, 0, 0, 0};
    bool ok = write(fd, header, 8) == 8;
    return close(fd) == 0 && ok;
}

int command_pack(const char* archive, const std::vector<std::string>& files)
{
    if (!use_archive(archive))
        return fail(archive, "path too long");
    std::string building = std::string(archive) + ".part";
    if (building.size() >= PATH_BUFFER_SIZE)
        return fail(archive, "path too long");
    // Build beside the target and rename at the end: a failed pack leaves the
    // old archive in place.
    snprintf(archive_path, sizeof archive_path, "%s", building.c_str());
    if (!write_empty_archive(archive_path))
        return fail(building, strerror(errno));
    for (const std::string& file : files) {
        int level;
        if (!level_of_file_name(file, &level)) {
            unlink(building.c_str());
            return fail(file, "the file name names no level 1..400");
        }
        std::string text;
        if (!read_text_file(file, &text)) {
            unlink(building.c_str());
            return fail(file, strerror(errno));
        }
        std::string problem;
        int result;
        if (ends_with(file, ".movie")) {
            std::vector<uint8_t> record;
            problem = parse_movie_text(text, &record);
            result = problem.empty() ? write_record(movie_record(level), record.data(), int(record.size())) : 0;
        } else {
            LevelRecord record;
            problem = parse_level_text(text, record.data());
            result = problem.empty() ? write_record(level_record(level), record.data(), LEVEL_RECORD_SIZE) : 0;
        }
        if (!problem.empty() || result != 0) {
            unlink(building.c_str());
            return fail(file, problem.empty() ? "archive write failed (" + std::to_string(result) + ")"
                                              : problem);
        }
    }
    if (rename(building.c_str(), archive) != 0) {
        unlink(building.c_str());
        return fail(archive, strerror(errno));
    }
    return 0;
}

int command_unpack(const char* archive, const char* directory)
{
    if (!use_archive(archive) || !check_archive(archive))
        return 1;
    mkdir(directory, 0755);
    std::vector<uint8_t> buffer(MOVIE_BUFFER_SIZE);
    for (int level = 1; level <= MAX_LEVEL; level++) {
        char name[32];
        std::string comment = "level " + std::to_string(level);
        if (read_record(level_record(level), buffer.data(), LEVEL_RECORD_SIZE) == LEVEL_RECORD_SIZE) {
            snprintf(name, sizeof name, "/level%03d.txt", level);
            std::string text = level_text(buffer.data(), comment.c_str());
            FILE* f = fopen((std::string(directory) + name).c_str(), "wb");
            if (!f || fwrite(text.data(), 1, text.size(), f) != text.size() || fclose(f) != 0)
                return fail(std::string(directory) + name, strerror(errno));
        }
        int length = read_record(movie_record(level), buffer.data(), MOVIE_BUFFER_SIZE);
        if (length >= MOVIE_HEADER_SIZE) {
            snprintf(name, sizeof name, "/level%03d.movie", level);
            std::string text = movie_text(buffer.data(), length, ("movie of " + comment).c_str());
            FILE* f = fopen((std::string(directory) + name).c_str(), "wb");
            if (!f || fwrite(text.data(), 1, text.size(), f) != text.size() || fclose(f) != 0)
                return fail(std::string(directory) + name, strerror(errno));
        }
    }
    return 0;
}

bool is_archive_file(const std::string& path)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    char magic[4] = {};
    bool archive = fread(magic, 1, 4, f) == 4 && memcmp(magic, ARCHIVE_MAGIC, 4) == 0;
    fclose(f);
    return archive;
}

// One line per level: "NAME: ok" or "NAME: the rule it breaks".
bool report_check(const std::string& name)
{
    const char* message = validate_level();
    printf("%s: %s\n", name.c_str(), message ? message : "ok");
    return message == nullptr;
}

int command_check(const std::vector<std::string>& args)
{
    std::vector<std::string> inputs;
    for (const std::string& a : args) {
        if (a == "--relaxed")
            key_event(SDLK_RALT, true);   // the rules as with Right Alt held
        else
            inputs.push_back(a);
    }
    if (inputs.empty())
        return usage();
    bool all_pass = true;
    for (const std::string& input : inputs) {
        if (is_archive_file(input)) {
            if (!use_archive(input.c_str()) || !check_archive(input.c_str()))
                return 1;
            LevelRecord record;
            for (int level = 1; level <= MAX_LEVEL; level++) {
                if (read_record(level_record(level), record.data(), LEVEL_RECORD_SIZE) != LEVEL_RECORD_SIZE)
                    continue;
                unpack_record(record.data());
                all_pass &= report_check(input + " level " + std::to_string(level));
            }
            continue;
        }
        std::string text;
        if (!read_text_file(input, &text))
            return fail(input, strerror(errno));
        LevelRecord record;
        std::string problem = parse_level_text(text, record.data());
        if (!problem.empty())
            return fail(input, problem);
        unpack_record(record.data());
        all_pass &= report_check(input);
    }
    return all_pass ? 0 : 1;
}

void print_replay(int level, const ReplayResult& r)
{
    printf("level=%d outcome=%s ticks=%d score=%d seconds=%d\n", level, replay_outcome_name(r.outcome), r.ticks,
           r.score, r.seconds);
}

int command_replay(const char* archive, const char* level_arg, int repeat)
{
    int level;
    if (!parse_level_number(level_arg, &level))
        return fail(level_arg, "not a level number 0..400");
    if (level != 0 && (!use_archive(archive) || !check_archive(archive)))
        return 1;
    current_level = level;
    ReplayResult result{};
    const auto start = std::chrono::steady_clock::now();
    long total_ticks = 0;
    for (int i = 0; i < repeat; i++) {
        current_level = level;
        if (!replay_movie(&result))
            return fail(archive, "has no level " + std::to_string(level) + " with a movie");
        total_ticks += result.ticks;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    print_replay(level, result);
    fflush(stdout);
    if (repeat > 1)
        fprintf(stderr, "%d replays, %ld ticks in %.3f s: %.0f ticks per second\n", repeat, total_ticks, seconds,
                seconds > 0 ? total_ticks / seconds : 0.0);
    return 0;
}

int command_verify(const char* archive)
{
    if (!use_archive(archive) || !check_archive(archive))
        return 1;
    bool all_good = true;
    std::vector<uint8_t> buffer(MOVIE_HEADER_SIZE);
    for (int level = 1; level <= MAX_LEVEL; level++) {
        if (read_record(movie_record(level), buffer.data(), MOVIE_HEADER_SIZE) < MOVIE_HEADER_SIZE)
            continue;
        current_level = level;
        ReplayResult result{};
        if (!replay_movie(&result)) {
            printf("level=%d outcome=unreadable\n", level);
            all_good = false;
            continue;
        }
        print_replay(level, result);
        all_good &= result.outcome == REPLAY_EXIT && result.score == result.stored_score;
    }
    return all_good ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    disable_log();
    if (argc < 2)
        return usage();
    std::string command = argv[1];
    if (command == "list" && argc == 3)
        return command_list(argv[2]);
    if (command == "show" && argc == 4)
        return command_show(argv[2], argv[3]);
    if (command == "unpack" && argc == 4)
        return command_unpack(argv[2], argv[3]);
    if (command == "replay" && (argc == 4 || (argc == 6 && strcmp(argv[4], "--repeat") == 0))) {
        int repeat = argc == 6 ? atoi(argv[5]) : 1;
        if (repeat < 1)
            return usage();
        return command_replay(argv[2], argv[3], repeat);
    }
    if (command == "verify" && argc == 3)
        return command_verify(argv[2]);
    if (command == "check" && argc >= 3)
        return command_check(std::vector<std::string>(argv + 2, argv + argc));
    if (command == "pack" && argc >= 4 && strcmp(argv[2], "-o") == 0)
        return command_pack(argv[3], std::vector<std::string>(argv + 4, argv + argc));
    return usage();
}
