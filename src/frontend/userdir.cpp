#include "frontend/userdir.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/fatal.h"
#include "core/openread.h"
#include "core/replace.h"
#include "frontend/config.h"
#include "level/archive.h"
#include "picture/datafile.h"

UserDirLock user_dir_lock;

namespace {

bool lock_user_dir(const char* directory)
{
    user_dir_lock.fd = open(directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (user_dir_lock.fd < 0)
        return true;   // no lock to be had: nothing to share it with either
    if (flock(user_dir_lock.fd, LOCK_EX | LOCK_NB) == 0)
        return true;
    const bool held = errno == EWOULDBLOCK;
    if (!held) {
        close(user_dir_lock.fd);
        user_dir_lock.fd = -1;
    }
    return !held;
}

// Removes what replacements of earlier runs left when they were killed:
// NAME.new-PID-N of a process that is gone (the lock is ours, so no other
// game writes here now).
void remove_stale_temporaries(const char* directory)
{
    DIR* folder = opendir(directory);
    if (!folder)
        return;
    while (const dirent* entry = readdir(folder)) {
        const char* mark = strstr(entry->d_name, ".new-");
        if (!mark)
            continue;
        char* end;
        const long pid = strtol(mark + 5, &end, 10);
        if (pid <= 0 || *end != '-' || pid == long(getpid()) || kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue;
        char path[PATH_BUFFER_SIZE];
        if (!user_file_path(path, entry->d_name))
            continue;
        struct stat info;
        if (lstat(path, &info) == 0 && S_ISREG(info.st_mode) && unlink(path) == 0)
            log_message("Removed %s, left by a run that ended during a write\n", entry->d_name);
    }
    closedir(folder);
}

// Something stands at path that opens for reading. Not waiting for a writer
// when it is a FIFO: the readers refuse it later as no regular file.
bool can_open(const char* path)
{
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

// A start that cannot go on: the reason on the terminal (no window is open
// yet to say it) and in the log, then status 1.
[[noreturn]] __attribute__((format(printf, 1, 2))) void fail_start(const char* format, ...)
{
    char text[3 * PATH_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    fputs(text, stdout);
    // The lock is not ours (yet): the log is this run's all the same, the
    // one place that keeps why it ended.
    release_log();
    log_message("%s", text);
    fatal_exit(1);
}

[[noreturn]] void path_too_long(const char* what)
{
    // The home directory itself is left out: the log line holds 127 characters.
    fail_start("The path of %s in the home directory is longer than %d characters, exiting\n", what,
               PATH_BUFFER_SIZE - 1);
}

} // namespace

bool copy_file(const char* source, const char* destination)
{
    int in = open_for_reading(source);
    if (in < 0)
        return false;
    // The copy is put in place whole: a start killed during it leaves no
    // partial archive that every later start would take for damaged.
    ReplaceFile copy;
    if (!replace_begin(&copy, destination, 0600)) {
        close(in);
        errno = copy.error ? copy.error : EINVAL;
        return false;
    }
    char block[4096];
    bool copied = true;
    for (;;) {
        ssize_t n = read(in, block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            break;
        if (n < 0 || !write_fully(copy.fd, block, size_t(n))) {
            copied = false;
            break;
        }
    }
    const int error = errno;
    close(in);
    errno = error;
    return copied && replace_commit(&copy) != REPLACE_FAILED;
}

bool write_player_name()
{
    char path[PATH_BUFFER_SIZE];
    return user_file_path(path, "player.nam") &&
           replace_file_bytes(path, player_name, PLAYER_NAME_LENGTH, 0600) != REPLACE_FAILED;
}

namespace {

// home_directory from HOME, without trailing slashes ("." without HOME).
void take_home_directory()
{
    const char* home = getenv("HOME");
    if (home) {
        if (strlen(home) >= PATH_BUFFER_SIZE)
            fail_start("HOME is longer than %d characters, exiting\n", PATH_BUFFER_SIZE - 1);
        strcpy(home_directory, home);
        size_t n = strlen(home_directory);
        while (n > 0 && home_directory[n - 1] == '/')
            home_directory[--n] = 0;
    } else {
        log_message("Cannot find %s environment variable!\n", "HOME");
        strcpy(home_directory, ".");
    }
}

// The user directory's path into directory, the directory made when missing.
void make_user_dir(char (&directory)[PATH_BUFFER_SIZE])
{
    if (strlen(home_directory) + 1 + strlen(USER_DIR_NAME) >= PATH_BUFFER_SIZE)
        path_too_long(USER_DIR_NAME);
    snprintf(directory, sizeof directory, "%s/%s", home_directory, USER_DIR_NAME);
    struct stat info;
    if (stat(directory, &info) != 0) {
        log_message("No directory %s/!!! Setting one up...\n", directory);
        if (mkdir(directory, 0700) != 0)
            fail_start("Failed to create directory %s: %s, exiting\n", directory, strerror(errno));
    }
}

// A missing level archive copied in from the first data place that has one.
void set_up_archive(const char* directory)
{
    if (can_open(archive_path))
        return;
    log_message("No %s, setting one up...\n", archive_path);
    log_message("Trying to copy %s...", directory);
    char candidate[PATH_BUFFER_SIZE];
    // Why the first place that has the archive could not give it: the
    // reason the start ends with (none: no place has it).
    char source[PATH_BUFFER_SIZE] = "";
    int error = 0;
    bool copied = false;
    for (int n = 0; !copied && data_path_candidate(candidate, archive_file_name, n); n++) {
        if (!candidate[0])
            continue;
        copied = copy_file(candidate, archive_path);
        if (!copied && errno != ENOENT && !error) {
            error = errno;
            strcpy(source, candidate);
        }
    }
    if (!copied) {
        if (error)
            fail_start("failed to copy %s to %s: %s\n", source, archive_path, open_failure_reason(error));
        fail_start("failed to copy %s to %s: no data folder holds it\n", archive_file_name, archive_path);
    }
    log_message("...copied.\n");
}

// The configuration file checked, and written for a first start when missing.
void set_up_config()
{
    char config[PATH_BUFFER_SIZE];
    if (!config_path(config))
        path_too_long(config_file_name);
    // A file named by -c that holds something else is never turned into a
    // configuration: the game's own vrbxrc is taken instead.
    if (strcmp(config_file_name, "vrbxrc") != 0 && can_open(config) && !is_config_file(config)) {
        printf("\n%s is not a configuration file: using vrbxrc\n\n", config_file_name);
        log_message("%s is not a configuration file, using vrbxrc\n", config_file_name);
        strcpy(config_file_name, "vrbxrc");
        if (!config_path(config))
            path_too_long(config_file_name);
    }
    if (!can_open(config)) {
        log_message("No %s, setting one up...\n", config);
        set_first_start_config();
        errno = 0;
        if (!write_config(config))
            fail_start("Couldn't create %s: %s\n", config, errno ? strerror(errno) : "its settings cannot be written");
    }
}

} // namespace

void setup_user_dir()
{
    take_home_directory();
    char directory[PATH_BUFFER_SIZE];
    make_user_dir(directory);
    if (!user_file_path(archive_path, archive_file_name))
        path_too_long(archive_file_name);
    if (!lock_user_dir(directory)) {
        // The log in the working folder may be the running game's: this
        // one keeps none (it says why it ends on the terminal and screen).
        disable_log();
        user_dir_in_use = true;
        return;
    }
    release_log();
    remove_stale_temporaries(directory);
    set_up_archive(directory);
    set_up_config();
}
