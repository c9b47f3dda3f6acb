// vbltool: inspect, pack and unpack level archives without the game's window.
// It links the game's own library; formats are never coded twice.
#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <vector>

#include "core/replace.h"
#include "level/archive.h"
#include "level/grid.h"
#include "core/input.h"
#include "level/movie.h"
#include "level/repair.h"
#include "level/stored.h"
#include "level/textformat.h"
#include "level/titles.h"
#include "game/replay.h"
#include <algorithm>
#include <chrono>
#include "leveledit/validate.h"
#include "solver/solver.h"
#include "solver/shorten.h"
#include "core/flags.h"
#include "frontend/config.h"
#include "display/screen.h"
#include "display/status.h"
#include "display/tiles.h"
#include "game/game.h"
#include "view/view.h"
#include "picture/artwork.h"
#include "picture/gfxset.h"
#include "picture/png.h"
#include <SDL/SDL.h>

namespace {

const char USAGE[] =
    "usage: vbltool [--kv] COMMAND ...   (--kv: one key=value line a result)\n"
    "       vbltool list ARCHIVE\n"
    "       vbltool show ARCHIVE LEVEL        (LEVEL 0: the built-in level, ARCHIVE -)\n"
    "       vbltool pack -o ARCHIVE FILE...   (levelNNN.txt levels, levelNNN.movie movies)\n"
    "       vbltool unpack ARCHIVE DIR\n"
    "       vbltool check [--relaxed] [--solve SECONDS] ARCHIVE|FILE...   (--solve: is each level winnable?)\n"
    "       vbltool replay ARCHIVE LEVEL [--repeat N]   (LEVEL 0: ARCHIVE is -)\n"
    "       vbltool verify ARCHIVE\n"
    "       vbltool solve ARCHIVE|FILE LEVEL [--seed N] [--budget SECONDS] [--first] [-o FILE.movie]\n"
    "                     [--opening FILE.movie [--opening-ticks N]]   (the search goes on from where\n"
    "                     the movie's inputs, or its first N, end)\n"
    "       vbltool render ARCHIVE|FILE LEVEL -o FILE.png [--movie FILE --tick N]\n"
    "       vbltool render ARCHIVE all -o FILE.png   (a sheet of every level)\n"
    "       vbltool repair ARCHIVE -o NEW       (salvages the readable records)\n"
    "       vbltool titles -o FILE LEVEL.txt...  (the table of the levels' titles)\n"
    "       vbltool shorten LEVEL.txt MOVIE -o FILE.movie [--budget TICKS]\n"
    "                       [--shortcut-states N] [--shortcut-budget TICKS]\n"
    "       vbltool measure ARCHIVE             (ticks, cell moves, back-steps, standing still)\n"
    "       vbltool measure LEVEL.txt MOVIE     (the same for one movie)\n";

// The longest search and the most replays one command runs: a week of
// searching, a million replays (larger numbers overflow the clocks and
// counters, or never end).
constexpr double MAX_BUDGET_SECONDS = 7 * 24 * 3600;
constexpr long MAX_REPEAT = 1000000;

int usage()
{
    fputs(USAGE, stderr);
    return 2;
}

// Machine lines (--kv): one line on stdout for each result, `key=value`
// pairs with one space between them, every line with a `result` key. Scripts
// read them by key, never by position or wording (docs/vbltool.md).
bool machine_lines = false;

// A value with no space in it, escaped the way player names are (bytes
// outside printable ASCII, the space and the backslash as \xNN), so that a
// line splits at its spaces and every byte survives.
std::string kv_value(const std::string& text) { return escape_text(text); }

void kv(std::string& line, const char* key, const std::string& value)
{
    line += (line.empty() ? "" : " ") + std::string(key) + "=" + kv_value(value);
}

void kv(std::string& line, const char* key, long long value) { kv(line, key, std::to_string(value)); }

void kv(std::string& line, const char* key, double value, int decimals)
{
    char text[64];
    snprintf(text, sizeof text, "%.*f", decimals, value);
    kv(line, key, std::string(text));
}

void print_line(const std::string& line, FILE* to = stdout)
{
    fprintf(to, "%s\n", line.c_str());
}

// The message of a failure on stderr, without the machine line.
void tell(const std::string& file, const std::string& problem)
{
    fprintf(stderr, "vbltool: %s: %s\n", file.c_str(), problem.c_str());
}

// A failure on an input (a file or an argument): the message, and with --kv
// its line "input=... result=error problem=...".
int fail(const std::string& file, const std::string& problem)
{
    tell(file, problem);
    if (machine_lines) {
        std::string line;
        kv(line, "input", file);
        kv(line, "result", "error");
        kv(line, "problem", problem);
        print_line(line);
        fflush(stdout);
    }
    return 1;
}

bool use_archive(const char* path)
{
    if (strlen(path) + 5 >= PATH_BUFFER_SIZE)
        return false;
    snprintf(archive_path, sizeof archive_path, "%s", path);
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

// Judges the archive as the game does at start-up: false, after the game's
// reason, when it is no archive or a damaged one (the count of its index
// cut short or grown, records outside the file or overlapping, bytes no
// record holds), so that no command reports on what it cannot trust.
bool check_archive(const char* path)
{
    const Archive archive = read_archive(path);
    if (!archive.damage.empty())
        return fail(path, archive.damage), false;
    return true;
}

// Why read_text_file failed, naming the limit when the file was too large.
std::string read_failure(size_t limit)
{
    if (errno == EFBIG)
        return "larger than " + std::to_string(limit) + " bytes, the most vbltool reads of this kind";
    return strerror(errno);
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
        std::string line;
        kv(line, "level", level);
        if (length < MOVIE_HEADER_SIZE) {
            kv(line, "result", "no_movie");
            if (machine_lines)
                print_line(line);
            else
                printf("%3d  no movie\n", level);
            continue;
        }
        int ticks = movie_ticks(buffer.data(), length);
        if (machine_lines) {
            kv(line, "result", "movie");
            kv(line, "score", movie_score(buffer.data()));
            kv(line, "ticks", ticks);
            line += " name=" + escape_name(buffer.data() + 4);   // escaped already
            print_line(line);
            continue;
        }
        printf("%3d  movie  score=%d  time=%d.%02d  ticks=%d  name=%s\n", level, movie_score(buffer.data()),
               ticks / 60, ticks % 60, ticks, escape_name(buffer.data() + 4).c_str());
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

// Writes the output file whole (core/replace.h): a failure leaves an older
// file of the name as it was, a device or FIFO is written as it is. The
// status, after a message when it failed.
int write_output(const std::string& path, const void* bytes, size_t length, int flags = REPLACE_FOLLOW_LINK)
{
    const char* reason = nullptr;
    if (replace_file_bytes(path.c_str(), bytes, length, 0666, &reason, flags) == REPLACE_FAILED)
        return fail(path, std::string("cannot write: ") + reason);
    return 0;
}

// Builds an archive at `archive` from records and puts it in place whole.
int build_archive_file(const char* archive, const std::vector<std::pair<int, std::vector<uint8_t>>>& records)
{
    std::vector<uint8_t> bytes;
    for (const auto& [number, data] : records) {
        const RecordWrite write{number, data.data(), int(data.size())};
        if (int result = apply_records(&bytes, &write, 1))
            return fail(archive, std::string("cannot write: ") + archive_failure_reason(result));
    }
    return write_output(archive, bytes.data(), bytes.size());
}

int command_pack(const char* archive, const std::vector<std::string>& files)
{
    // Every input is read and checked before the archive is touched.
    std::vector<std::pair<int, std::vector<uint8_t>>> records;
    std::vector<std::string> source_of(ARCHIVE_MAX_RECORDS);
    for (const std::string& file : files) {
        int level;
        if (!level_of_file_name(file, &level))
            return fail(file, "the file name names no level 1..400");
        const int number = ends_with(file, ".movie") ? movie_record(level) : level_record(level);
        if (!source_of[size_t(number)].empty())
            return fail(file, "a second file for " + std::string(number % 2 ? "the movie of " : "") + "level " +
                                  std::to_string(level) + " (the first is " + source_of[size_t(number)] + ")");
        source_of[size_t(number)] = file;
        std::string text;
        if (!read_text_file(file, &text))
            return fail(file, read_failure(TEXT_FILE_MAX_BYTES));
        std::string problem;
        std::vector<uint8_t> record;
        if (ends_with(file, ".movie")) {
            problem = parse_movie_text(text, &record);
            records.push_back({movie_record(level), record});
        } else {
            record.resize(LEVEL_RECORD_SIZE);
            problem = parse_level_text(text, record.data());
            records.push_back({level_record(level), record});
        }
        if (!problem.empty())
            return fail(file, problem);
    }
    return build_archive_file(archive, records);
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
            // Fresh files: a symbolic link found in the folder is replaced,
            // never written through.
            if (int status = write_output(std::string(directory) + name, text.data(), text.size(), REPLACE_LINK_ITSELF))
                return status;
        }
        int length = read_record(movie_record(level), buffer.data(), MOVIE_BUFFER_SIZE);
        if (length >= MOVIE_HEADER_SIZE) {
            snprintf(name, sizeof name, "/level%03d.movie", level);
            std::string text = movie_text(buffer.data(), length, ("movie of " + comment).c_str());
            if (int status = write_output(std::string(directory) + name, text.data(), text.size(), REPLACE_LINK_ITSELF))
                return status;
        }
    }
    return 0;
}

// Salvages the records of a damaged archive into a new, sound archive; one
// line for each record kept or dropped (level/repair.h).
int command_repair(const char* archive, const char* output)
{
    std::string bytes;
    if (!read_text_file(archive, &bytes, size_t(ARCHIVE_MAX_BYTES)))
        return fail(archive, "cannot read: " + read_failure(size_t(ARCHIVE_MAX_BYTES)));
    const RepairResult r = repair_archive_bytes(bytes);
    if (!r.problem.empty())
        return fail(archive, r.problem);
    fputs(r.report.c_str(), stdout);
    fflush(stdout);
    if (int status = build_archive_file(output, r.kept))
        return status;
    printf("%s: %zu records kept, %d dropped\n", output, r.kept.size(), r.dropped);
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

// One line per level: "NAME: ok" or "NAME: the rule it breaks". With a
// search budget (solve_seconds > 0) a level that keeps to the rules is also
// searched for a way out: "NAME: ok, proven ticks=N score=N" or "NAME: ok,
// unproven"; an unproven level fails the check. With --kv: "input=FILE
// [level=N] result=ok|broken|proven|unproven" and the figures or the problem.
// The level is 0 for a text file.
bool report_check(const std::string& input, int level, const PlayGrid& grid, bool relaxed, double solve_seconds)
{
    const std::string name = level ? input + " level " + std::to_string(level) : input;
    std::string line;
    kv(line, "input", input);
    if (level)
        kv(line, "level", level);
    const char* message = validate_level(grid, relaxed);
    if (message || solve_seconds <= 0) {
        kv(line, "result", message ? "broken" : "ok");
        if (message)
            kv(line, "problem", message);
        if (machine_lines)
            print_line(line);
        else
            printf("%s: %s\n", name.c_str(), message ? message : "ok");
        return message == nullptr;
    }
    SolveOptions options;
    options.budget_seconds = solve_seconds;
    const SolveResult r = solve_level(grid, options);
    kv(line, "result", r.status == SOLVE_FOUND ? "proven" : "unproven");
    if (r.status == SOLVE_FOUND) {
        kv(line, "ticks", r.ticks);
        kv(line, "score", r.score);
    } else if (r.status == SOLVE_REFUSED) {
        kv(line, "problem", r.problem);
    } else {
        kv(line, "seconds", r.seconds, 1);
        kv(line, "expanded", static_cast<long long>(r.expanded));
    }
    if (machine_lines)
        print_line(line);
    else if (r.status == SOLVE_FOUND)
        printf("%s: ok, proven ticks=%d score=%d\n", name.c_str(), r.ticks, r.score);
    else if (r.status == SOLVE_REFUSED)
        printf("%s: ok, unproven: %s\n", name.c_str(), r.problem.c_str());
    else
        printf("%s: ok, unproven (no way out found in %.1f seconds)\n", name.c_str(), r.seconds);
    return r.status == SOLVE_FOUND;
}

// The search budget of --solve: seconds above 0, at most a week.
bool parse_budget(const char* text, double* seconds)
{
    char* end;
    const double budget = strtod(text, &end);
    if (*end || end == text || !(budget > 0) || !(budget <= MAX_BUDGET_SECONDS))
        return false;
    *seconds = budget;
    return true;
}

int command_check(const std::vector<std::string>& args)
{
    std::vector<std::string> inputs;
    bool relaxed = false;
    double solve_seconds = 0;
    for (size_t i = 0; i < args.size(); i++) {
        const std::string& a = args[i];
        if (a == "--relaxed") {
            relaxed = true;
        } else if (a == "--solve") {
            if (i + 1 == args.size())
                return usage();
            if (!parse_budget(args[++i].c_str(), &solve_seconds))
                return fail(args[i], "the budget is a number of seconds above 0, at most " +
                                         std::to_string(int(MAX_BUDGET_SECONDS))), 2;
        } else {
            inputs.push_back(a);
        }
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
                PlayGrid grid;
                unpack_record(record.data(), grid);
                all_pass &= report_check(input, level, grid, relaxed, solve_seconds);
            }
            continue;
        }
        std::string text;
        if (!read_text_file(input, &text))
            return fail(input, read_failure(TEXT_FILE_MAX_BYTES));
        LevelRecord record;
        std::string problem = parse_level_text(text, record.data());
        if (!problem.empty())
            return fail(input, problem);
        PlayGrid grid;
        unpack_record(record.data(), grid);
        all_pass &= report_check(input, 0, grid, relaxed, solve_seconds);
    }
    return all_pass ? 0 : 1;
}

// Replays the movie of a level of the archive in use (level 0: the built-in
// one). False when the level or its movie cannot be read.
bool replay_stored_movie(int level, ReplayResult* result)
{
    PlayGrid grid;
    std::vector<uint8_t> record(MOVIE_BUFFER_SIZE);
    const int length = read_level_movie(level, record.data());
    return length >= MOVIE_HEADER_SIZE && unpack_level(level, grid) &&
           replay_movie(grid, record.data(), length, result);
}

// The replay's line; with --kv it begins with the result word (for verify
// "ok" or what went wrong, for replay the outcome) and adds the stored score.
void print_replay(int level, const ReplayResult& r, const char* result)
{
    if (!machine_lines) {
        printf("level=%d outcome=%s ticks=%d score=%d seconds=%d\n", level, replay_outcome_name(r.outcome), r.ticks,
               r.score, r.seconds);
        return;
    }
    std::string line;
    kv(line, "level", level);
    kv(line, "result", result);
    kv(line, "outcome", replay_outcome_name(r.outcome));
    kv(line, "ticks", r.ticks);
    kv(line, "score", r.score);
    kv(line, "stored", r.stored_score);
    kv(line, "seconds", r.seconds);
    print_line(line);
}

int command_replay(const char* archive, const char* level_arg, int repeat)
{
    int level;
    if (!parse_level_number(level_arg, &level))
        return fail(level_arg, "not a level number 0..400");
    if (level != 0 && (!use_archive(archive) || !check_archive(archive)))
        return 1;
    ReplayResult result{};
    const auto start = std::chrono::steady_clock::now();
    long total_ticks = 0;
    for (int i = 0; i < repeat; i++) {
        if (!replay_stored_movie(level, &result))
            return fail(archive, "has no level " + std::to_string(level) + " with a movie");
        total_ticks += result.ticks;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    print_replay(level, result, replay_outcome_name(result.outcome));
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
        ReplayResult result{};
        if (!replay_stored_movie(level, &result)) {
            std::string line;
            kv(line, "level", level);
            kv(line, machine_lines ? "result" : "outcome", "unreadable");
            print_line(line);
            all_good = false;
            continue;
        }
        const bool good = result.outcome == REPLAY_EXIT && result.score == result.stored_score;
        print_replay(level, result, good ? "ok" : result.outcome != REPLAY_EXIT ? replay_outcome_name(result.outcome)
                                                                                : "wrong_score");
        all_good &= good;
    }
    return all_good ? 0 : 1;
}


// Puts level LEVEL of an archive, or the level of a text file, into grid.
// Returns 0, or the exit status after a message.
int load_level_source(const char* source, const char* level_arg, int* level, PlayGrid* grid)
{
    if (!parse_level_number(level_arg, level))
        return fail(level_arg, "not a level number 0..400"), 2;
    LevelRecord record;
    archive_path[0] = 0;
    if (*level == 0 && strcmp(source, "-") == 0) {
        record = BUILTIN_LEVEL;
    } else if (is_archive_file(source)) {
        if (!use_archive(source) || !check_archive(source))
            return 2;
        if (*level == 0 || read_record(2 * *level - 2, record.data(), LEVEL_RECORD_SIZE) != LEVEL_RECORD_SIZE)
            return fail(source, "has no level " + std::to_string(*level)), 2;
    } else {
        std::string text;
        if (!read_text_file(source, &text))
            return fail(source, read_failure(TEXT_FILE_MAX_BYTES)), 2;
        std::string problem = parse_level_text(text, record.data());
        if (!problem.empty())
            return fail(source, problem), 2;
    }
    unpack_record(record.data(), *grid);
    return 0;
}

// The process's peak resident memory over the states the search expanded:
// what one stored state costs, the program and its tables included.
double peak_bytes_per_state(int64_t states)
{
    rusage usage{};
    if (states <= 0 || getrusage(RUSAGE_SELF, &usage) != 0)
        return 0;
    return double(usage.ru_maxrss) * 1024.0 / double(states);
}

// The opening of a search from a movie file: its inputs (the first `ticks`
// of them when that is 0 or more) and its seed, for the inputs only mean
// what they did from the same start; a seed given too must be the same.
// False with the reason told.
bool read_opening(const std::string& file, long ticks, bool seed_given, SolveOptions* options)
{
    std::string text;
    if (!read_text_file(file, &text))
        return fail(file, strerror(errno)), false;
    std::vector<uint8_t> record;
    const std::string problem = parse_movie_text(text, &record);
    if (!problem.empty())
        return fail(file, problem), false;
    const int seed = record[MOVIE_SEED_OFFSET];
    if (seed_given && seed != options->seed)
        return fail(file, "the opening was made with seed " + std::to_string(seed)), false;
    options->seed = seed;
    options->opening = inputs_of_movie(record.data(), int(record.size()));
    if (ticks >= 0 && size_t(ticks) < options->opening.size())
        options->opening.resize(size_t(ticks));
    return true;
}

int command_solve(const std::vector<std::string>& args)
{
    std::vector<std::string> positional;
    SolveOptions options;
    std::string output, opening;
    long opening_ticks = -1;   // all of the opening's inputs
    bool seed_given = false;
    for (size_t i = 0; i < args.size(); i++) {
        const std::string& a = args[i];
        const bool has_value = i + 1 < args.size();
        if (a == "--opening" && has_value) {
            opening = args[++i];
        } else if (a == "--opening-ticks" && has_value) {
            char* end;
            const char* text = args[++i].c_str();
            opening_ticks = strtol(text, &end, 10);
            if (*end || end == text || opening_ticks < 0)
                return fail(args[i], "the opening's ticks are a number from 0"), 2;
        } else if (a == "--seed" && has_value) {
            seed_given = true;
            char* end;
            const char* text = args[++i].c_str();
            long seed = strtol(text, &end, 10);
            if (*end || end == text || seed < 0 || seed > 23)
                return fail(args[i], "the seed is 0..23"), 2;
            options.seed = int(seed);
        } else if (a == "--budget" && has_value) {
            if (!parse_budget(args[++i].c_str(), &options.budget_seconds))
                return fail(args[i], "the budget is a number of seconds above 0, at most " +
                                         std::to_string(int(MAX_BUDGET_SECONDS))), 2;
        } else if (a == "-o" && has_value) {
            output = args[++i];
        } else if (a == "--first") {
            options.improve = false;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2)
        return usage();
    if (!opening.empty() && !read_opening(opening, opening_ticks, seed_given, &options))
        return 2;
    if (opening.empty() && opening_ticks >= 0)
        return fail("--opening-ticks", "needs --opening"), 2;
    int level;
    PlayGrid grid;
    if (int status = load_level_source(positional[0].c_str(), positional[1].c_str(), &level, &grid))
        return status;
    const SolveResult r = solve_level(grid, options);
    std::string line;
    kv(line, "level", level);
    if (r.status == SOLVE_REFUSED) {
        tell(positional[0] + " level " + std::to_string(level), r.problem);
        kv(line, "result", "refused");
        kv(line, "problem", r.problem);
        if (machine_lines)
            print_line(line);
        return 2;
    }
    if (r.status != SOLVE_FOUND) {
        // The search may end before its budget, with no states left that it
        // may keep: say so, so that no one raises a budget that is not the limit.
        const bool out_of_states = r.seconds < options.budget_seconds;
        char why[96];
        if (out_of_states)
            snprintf(why, sizeof why, "the search ran out of states after %.1f of %g seconds", r.seconds,
                     options.budget_seconds);
        else
            snprintf(why, sizeof why, "within %g seconds", options.budget_seconds);
        fprintf(stderr, "vbltool: level %d: no way out found: %s (%lld states expanded, %lld ticks simulated)\n",
                level, why, static_cast<long long>(r.expanded), static_cast<long long>(r.ticks_simulated));
        if (machine_lines) {
            kv(line, "result", "unsolved");
            kv(line, "limit", out_of_states ? "states" : "budget");
            kv(line, "expanded", static_cast<long long>(r.expanded));
            kv(line, "simulated", static_cast<long long>(r.ticks_simulated));
            kv(line, "seconds", r.seconds, 2);
            print_line(line);
        }
        return 1;
    }
    const std::vector<uint8_t> record = movie_record_of(r.inputs, r.score, options.seed, "VORBIX");
    if (record.empty())
        return fail("level " + std::to_string(level), "the movie needs more than 2047 pairs"), 1;
    // The second comment line keeps the search's effort with the movie: the
    // states to the first way out measure how hard the level is to solve.
    char effort[160];
    snprintf(effort, sizeof effort, "solver: first way out after %lld states in %.2f seconds; expanded %lld states in %.2f seconds",
             static_cast<long long>(r.first_expanded), r.first_seconds, static_cast<long long>(r.expanded), r.seconds);
    const std::string comment = "movie of level " + std::to_string(level) + ", found by vbltool solve (seed " +
                                std::to_string(options.seed) + ")\n; " + effort;
    const std::string text = movie_text(record.data(), int(record.size()), comment.c_str());
    kv(line, "result", "solved");
    kv(line, "ticks", r.ticks);
    kv(line, "score", r.score);
    kv(line, "expanded", static_cast<long long>(r.expanded));
    kv(line, "first", static_cast<long long>(r.first_expanded));
    kv(line, "simulated", static_cast<long long>(r.ticks_simulated));
    kv(line, "seconds", r.seconds, 2);
    kv(line, "states/s", r.seconds > 0 ? double(r.expanded) / r.seconds : 0.0, 0);
    kv(line, "bytes/state", peak_bytes_per_state(r.expanded), 0);
    // What a script keeps of the effort without reading the movie's comment.
    if (machine_lines) {
        kv(line, "first_seconds", r.first_seconds, 2);
        kv(line, "seed", options.seed);
        kv(line, "movie", output.empty() ? "-" : output);
    }
    if (output.empty()) {
        print_line(line, stderr);
        fputs(text.c_str(), stdout);
        return 0;
    }
    if (write_output(output, text.data(), text.size()))
        return 1;
    print_line(line);
    return 0;
}

// The shipped artwork on a frame buffer in memory; false after a message.
bool prepare_drawing()
{
    prepare_headless();
    clear_gfx_sets();
    set_first_start_config();   // the shipped artwork's names
    reset_shared_palette();
    for (int set = 0; set < GFX_SET_COUNT; set++) {
        if (const char* message = load_gfx_set(set)) {
            fprintf(stderr, "vbltool: %s\n", message);
            return false;
        }
        merge_set_palette(gfx_sets[set]);
    }
    apply_shared_palette();
    build_tile_cache();
    return true;
}

// Starts the session's level from seed as the game shows it, after the
// rules' own check; false with the problem.
bool start_shown_level(Session& session, int seed, std::string* problem)
{
    auto check = std::make_unique<LevelState>();
    if (!start_level_run(session.grid, seed, check.get(), problem))
        return false;
    release_game_sprites(session);
    clear_sprite_slots();
    start_running_level_seeded(session, session.grid, seed);
    session.game_active = true;
    session.recording = false;
    clear_dirty_list();
    return true;
}

int command_render_sheet(const char* archive, const std::string& output)
{
    if (!use_archive(archive) || !check_archive(archive))
        return 2;
    if (!prepare_drawing())
        return 2;
    // Each level's field at a third of its size, under a line with its number.
    constexpr int SCALE = 3, COLUMNS = 6, GAP = 8, LABEL = 12;
    constexpr int THUMB_W = FIELD_COLUMNS * SQUARE_SIZE / SCALE, THUMB_H = FIELD_ROWS * SQUARE_SIZE / SCALE;
    std::vector<int> levels;
    LevelRecord record;
    for (int level = 1; level <= MAX_LEVEL; level++)
        if (read_record(level_record(level), record.data(), LEVEL_RECORD_SIZE) == LEVEL_RECORD_SIZE)
            levels.push_back(level);
    if (levels.empty())
        return fail(archive, "holds no level"), 1;
    const int rows = (int(levels.size()) + COLUMNS - 1) / COLUMNS;
    const int width = GAP + COLUMNS * (THUMB_W + GAP);
    const int height = GAP + rows * (LABEL + THUMB_H + GAP);
    std::vector<uint8_t> sheet(size_t(width) * size_t(height), uint8_t(screen_palette.nearest_black));
    auto session_holder = std::make_unique<Session>();
    Session& session = *session_holder;
    for (size_t i = 0; i < levels.size(); i++) {
        read_record(level_record(levels[i]), record.data(), LEVEL_RECORD_SIZE);
        session.level = levels[i];
        unpack_record(record.data(), session.grid);
        std::string problem;
        const int left = GAP + int(i % COLUMNS) * (THUMB_W + GAP);
        const int top = GAP + int(i / COLUMNS) * (LABEL + THUMB_H + GAP);
        clear_screen();
        char label[16];
        snprintf(label, sizeof label, "%d", levels[i]);
        draw_text(label, 0, 0, screen_palette.nearest_white);
        for (int y = 0; y < LABEL - 2; y++)
            memcpy(&sheet[size_t(top + y) * size_t(width) + size_t(left)], screen_row(y), size_t(THUMB_W));
        if (start_shown_level(session, 0, &problem))
            draw_running_level(session);
        else
            draw_play_field(session.grid);
        session.game_active = false;
        for (int y = 0; y < THUMB_H; y++)
            for (int x = 0; x < THUMB_W; x++)
                sheet[size_t(top + LABEL + y) * size_t(width) + size_t(left + x)] =
                    screen_row(FIELD_Y + y * SCALE + 1)[FIELD_X + x * SCALE + 1];
    }
    if (const char* written = write_png(output, sheet.data(), width, height, width, screen_palette.colours.data()))
        return fail(output, written), 1;
    return 0;
}

int command_render(const std::vector<std::string>& args)
{
    std::vector<std::string> positional;
    std::string output, movie_file;
    long tick = -1;
    for (size_t i = 0; i < args.size(); i++) {
        const std::string& a = args[i];
        const bool has_value = i + 1 < args.size();
        if (a == "-o" && has_value) {
            output = args[++i];
        } else if (a == "--movie" && has_value) {
            movie_file = args[++i];
        } else if (a == "--tick" && has_value) {
            char* end;
            tick = strtol(args[++i].c_str(), &end, 10);
            if (*end || tick < 0)
                return fail(args[i], "the tick is a number from 0"), 2;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2 || output.empty() || (tick >= 0 && movie_file.empty()))
        return usage();
    if (positional[1] == "all")
        return command_render_sheet(positional[0].c_str(), output);
    auto session_holder = std::make_unique<Session>();
    Session& session = *session_holder;
    if (int status = load_level_source(positional[0].c_str(), positional[1].c_str(), &session.level, &session.grid))
        return status;
    std::vector<uint8_t> record;
    if (!movie_file.empty()) {
        std::string text;
        if (!read_text_file(movie_file, &text))
            return fail(movie_file, read_failure(TEXT_FILE_MAX_BYTES)), 2;
        std::string problem = parse_movie_text(text, &record);
        if (!problem.empty())
            return fail(movie_file, problem), 2;
    }
    if (!prepare_drawing())
        return 2;
    std::string problem;
    const int seed = record.empty() ? 0 : record[MOVIE_SEED_OFFSET];
    if (!start_shown_level(session, seed, &problem))
        return fail(positional[0] + " level " + std::to_string(session.level), problem), 2;
    if (!record.empty()) {
        const std::vector<uint8_t> inputs = inputs_of_movie(record.data(), int(record.size()));
        const size_t ticks = tick < 0 ? inputs.size() : std::min(inputs.size(), size_t(tick));
        const GameState& g = session.running.game;
        for (size_t i = 0; i < ticks && !g.exit_count && !g.death_count; i++)
            play_frame(session, inputs[i]);
    }
    draw_running_level(session);
    if (const char* written = write_png(output, screen_row(0), SCREEN_WIDTH, SCREEN_HEIGHT, display_state.pitch,
                                        screen_palette.colours.data()))
        return fail(output, written), 1;
    return 0;
}

// The title table the game shows level names from: one line for each level
// file whose first line names a title.
int command_titles(const char* output, const std::vector<std::string>& files)
{
    std::vector<std::pair<int, std::string>> lines;
    for (const std::string& file : files) {
        int level;
        if (!level_of_file_name(file, &level))
            return fail(file, "the file name names no level 1..400");
        std::string text;
        if (!read_text_file(file, &text))
            return fail(file, strerror(errno));
        LevelRecord record;
        const std::string problem = parse_level_text(text, record.data());
        if (!problem.empty())
            return fail(file, problem);
        const std::string title = title_of_level_text(text);
        if (title.size() > size_t(TITLE_LENGTH))
            return fail(file, "the title is longer than " + std::to_string(TITLE_LENGTH) + " characters");
        if (!title.empty())
            lines.push_back({level, title_line(level, record.data(), title)});
    }
    std::sort(lines.begin(), lines.end());
    std::string table = "# level, fingerprint of its record, title\n";
    for (const auto& line : lines)
        table += line.second;
    return write_output(output, table.data(), table.size());
}

// The movie file's inputs and seed, or a message; the level file's level
// unpacked into grid.
int read_level_and_movie(const std::string& level_file, const std::string& movie_file, PlayGrid* grid,
                         std::vector<uint8_t>* inputs, int* seed, std::string* comments)
{
    int level = 0;
    if (!level_of_file_name(level_file, &level))
        return fail(level_file, "the file name names no level 1..400");
    if (int status = load_level_source(level_file.c_str(), std::to_string(level).c_str(), &level, grid))
        return status;
    std::string text;
    if (!read_text_file(movie_file, &text))
        return fail(movie_file, strerror(errno));
    std::vector<uint8_t> record;
    const std::string problem = parse_movie_text(text, &record);
    if (!problem.empty())
        return fail(movie_file, problem);
    *inputs = inputs_of_movie(record.data(), int(record.size()));
    *seed = record[MOVIE_SEED_OFFSET];
    for (const std::string& line : split_lines(text))
        if (line.rfind("; ", 0) == 0)
            *comments += (comments->empty() ? "" : "\n; ") + line.substr(2);
    return 0;
}

// A whole number low..high for a count option (no sign, no other
// characters, no overflow).
bool parse_count(const std::string& text, long long low, long long high, long long* value)
{
    if (text.empty() || !isdigit(static_cast<unsigned char>(text[0])))
        return false;
    char* end;
    errno = 0;
    const long long n = strtoll(text.c_str(), &end, 10);
    if (errno || *end || n < low || n > high)
        return false;
    *value = n;
    return true;
}

// A master movie with its detours and idle waits cut, scoring at least as
// much as before.
int command_shorten(const std::vector<std::string>& args)
{
    std::string output;
    ShortenOptions options;
    std::vector<std::string> files;
    // The budgets are ticks the search may replay: a count that is no
    // number, or one past these bounds, is refused rather than taken as 0.
    constexpr long long MAX_TICKS = 1LL << 50;
    const struct {
        const char* name;
        long long low, high;
    } counts[] = {{"--budget", 1, MAX_TICKS}, {"--shortcut-states", 0, INT_MAX}, {"--shortcut-budget", 1, MAX_TICKS}};
    long long values[3] = {options.tick_budget, options.shortcut_states, options.shortcut_budget};
    for (size_t i = 0; i < args.size(); i++) {
        int option = -1;
        for (int k = 0; k < 3; k++)
            if (args[i] == counts[k].name && i + 1 < args.size())
                option = k;
        if (option >= 0) {
            const auto& c = counts[option];
            if (!parse_count(args[i + 1], c.low, c.high, &values[option]))
                return fail(args[i], "\"" + args[i + 1] + "\" is not a whole number from " + std::to_string(c.low) +
                                         " to " + std::to_string(c.high));
            i++;
        } else if (args[i] == "-o" && i + 1 < args.size()) {
            output = args[++i];
        } else {
            files.push_back(args[i]);
        }
    }
    options.tick_budget = values[0];
    options.shortcut_states = int(values[1]);
    options.shortcut_budget = values[2];
    if (files.size() != 2 || output.empty() || options.tick_budget <= 0 || options.shortcut_states < 0 ||
        options.shortcut_budget <= 0)
        return usage();
    std::vector<uint8_t> inputs;
    int seed = 0;
    std::string comments;
    PlayGrid grid;
    if (int status = read_level_and_movie(files[0], files[1], &grid, &inputs, &seed, &comments))
        return status;
    const ShortenResult r = shorten_movie(grid, inputs, seed, options);
    if (!r.won)
        return fail(files[1], "does not win its level"), 1;
    const std::vector<uint8_t> record = movie_record_of(r.inputs, r.score_after, seed, "VORBIX");
    if (record.empty())
        return fail(files[1], "the movie needs more than 2047 pairs"), 1;
    // The first shortening names the figures of the movie as it was found;
    // a later one keeps that line.
    char line[200];
    snprintf(line, sizeof line, "\n; shortened by vbltool shorten from %d ticks, score %d", r.ticks_before,
             r.score_before);
    if (comments.find("shortened by vbltool shorten") == std::string::npos)
        comments += line;
    const std::string text = movie_text(record.data(), int(record.size()), comments.c_str());
    if (write_output(output, text.data(), text.size()))
        return 1;
    if (!machine_lines) {
        printf("%s ticks=%d->%d score=%d->%d cuts=%d shortcuts=%d simulated=%lld\n", files[1].c_str(), r.ticks_before,
               r.ticks_after, r.score_before, r.score_after, r.cuts, r.shortcuts, static_cast<long long>(r.ticks_run));
        return 0;
    }
    std::string report;
    kv(report, "movie", files[1]);
    kv(report, "result", "shortened");
    kv(report, "ticks", r.ticks_after);
    kv(report, "score", r.score_after);
    kv(report, "ticks_before", r.ticks_before);
    kv(report, "score_before", r.score_before);
    kv(report, "cuts", r.cuts);
    kv(report, "shortcuts", r.shortcuts);
    kv(report, "simulated", static_cast<long long>(r.ticks_run));
    kv(report, "output", output);
    print_line(report);
    return 0;
}

// A movie's figures after what it is about ("movie", "level=N", "set=N",
// "all"); with --kv the subject is a key=value pair ("movie=FILE", "set=all")
// and the percentages, which a reader works out, are left out.
void print_figures(const char* what, const MovieFigures& f)
{
    if (machine_lines) {
        std::string line = what;
        kv(line, "result", strncmp(what, "set=", 4) == 0 ? "sum" : f.won ? "won" : "lost");
        kv(line, "ticks", f.ticks);
        kv(line, "score", f.score);
        kv(line, "moves", f.cell_moves);
        kv(line, "back", f.back_steps);
        kv(line, "fetch", f.fetch_steps);
        kv(line, "other", f.back_steps - f.fetch_steps);
        kv(line, "standing", f.standing);
        print_line(line);
        return;
    }
    auto percent = [](int part, int whole) { return whole ? 100.0 * part / whole : 0.0; };
    printf("%s ticks=%d score=%d moves=%d back=%d (%.1f%%) fetch=%d other=%d (%.1f%%) standing=%d (%.1f%%)\n", what,
           f.ticks, f.score, f.cell_moves, f.back_steps, percent(f.back_steps, f.cell_moves), f.fetch_steps,
           f.back_steps - f.fetch_steps, percent(f.back_steps - f.fetch_steps, f.cell_moves), f.standing,
           percent(f.standing, f.ticks));
}

// How one movie file of one level file moves.
int command_measure_movie(const std::string& level_file, const std::string& movie_file)
{
    std::vector<uint8_t> inputs;
    int seed = 0;
    std::string comments;
    PlayGrid grid;
    if (int status = read_level_and_movie(level_file, movie_file, &grid, &inputs, &seed, &comments))
        return status;
    const MovieFigures f = measure_movie(grid, inputs, seed);
    print_figures(machine_lines ? ("movie=" + kv_value(movie_file)).c_str() : f.won ? "movie" : "movie (no win)", f);
    return f.won ? 0 : 1;
}

// How the archive's movies move: per level, per set of twenty and in all.
int command_measure(const char* archive)
{
    if (!use_archive(archive) || !check_archive(archive))
        return 1;
    MovieFigures set{}, all{};
    int set_levels = 0;
    const auto print = print_figures;
    auto add = [](MovieFigures& to, const MovieFigures& f) {
        to.ticks += f.ticks;
        to.score += f.score;
        to.cell_moves += f.cell_moves;
        to.back_steps += f.back_steps;
        to.fetch_steps += f.fetch_steps;
        to.standing += f.standing;
    };
    std::vector<uint8_t> record(MOVIE_HEADER_SIZE + 2 * MOVIE_MAX_PAIRS);
    for (int level = 1; level <= MAX_LEVEL; level++) {
        const int length = read_record(movie_record(level), record.data(), int(record.size()));
        PlayGrid grid;
        if (length >= MOVIE_HEADER_SIZE && unpack_level(level, grid)) {
            const MovieFigures f = measure_movie(grid, inputs_of_movie(record.data(), length), record[MOVIE_SEED_OFFSET]);
            print(("level=" + std::to_string(level) + (f.won || machine_lines ? "" : " (no win)")).c_str(), f);
            add(set, f);
            add(all, f);
            set_levels++;
        }
        if (level % 20 == 0 && set_levels > 0) {
            print(("set=" + std::to_string(level / 20)).c_str(), set);
            set = MovieFigures{};
            set_levels = 0;
        }
    }
    print(machine_lines ? "set=all" : "all", all);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    disable_log();
    signal(SIGXFSZ, SIG_IGN);   // a write past a file-size limit fails with EFBIG
    // --kv, anywhere on the line, turns every result into a machine line.
    const int given = argc;
    argc = int(std::remove_if(argv + 1, argv + argc, [](const char* a) { return strcmp(a, "--kv") == 0; }) - argv);
    machine_lines = argc < given;
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
        long repeat = 1;
        if (argc == 6) {
            char* end;
            errno = 0;
            repeat = strtol(argv[5], &end, 10);
            if (errno || *end || end == argv[5] || repeat < 1 || repeat > MAX_REPEAT)
                return fail(argv[5], "the repeat count is 1.." + std::to_string(MAX_REPEAT)), 2;
        }
        return command_replay(argv[2], argv[3], int(repeat));
    }
    if (command == "repair" && argc == 5 && strcmp(argv[3], "-o") == 0)
        return command_repair(argv[2], argv[4]);
    if (command == "verify" && argc == 3)
        return command_verify(argv[2]);
    if (command == "check" && argc >= 3)
        return command_check(std::vector<std::string>(argv + 2, argv + argc));
    if (command == "render" && argc >= 4)
        return command_render(std::vector<std::string>(argv + 2, argv + argc));
    if (command == "solve" && argc >= 4)
        return command_solve(std::vector<std::string>(argv + 2, argv + argc));
    if (command == "shorten" && argc >= 5)
        return command_shorten(std::vector<std::string>(argv + 2, argv + argc));
    if (command == "measure" && argc == 3)
        return command_measure(argv[2]);
    if (command == "measure" && argc == 4)
        return command_measure_movie(argv[2], argv[3]);
    if (command == "titles" && argc >= 4 && strcmp(argv[2], "-o") == 0)
        return command_titles(argv[3], std::vector<std::string>(argv + 4, argv + argc));
    if (command == "pack" && argc >= 4 && strcmp(argv[2], "-o") == 0)
        return command_pack(argv[3], std::vector<std::string>(argv + 4, argv + argc));
    return usage();
}
