// Replacing a file whole: the one way every writer of the system puts a file
// in place. The new content goes into a temporary file created new and
// exclusive in the target's folder (never through a symbolic link planted at
// the temporary name), is flushed to the disk, renamed over the target and
// the folder flushed, so at every moment the old or the new file is complete
// under the target's name. The replaced file's permission bits are kept. A
// symbolic link at the target is followed to its final target, which is
// replaced and the link kept. A target that is a device or a FIFO is written
// directly, as other command-line tools do; a directory or any other kind of
// file is refused, never replaced.
#pragma once
#include <cstddef>

// The longest path the helper handles (the target after following links and
// the temporary name beside it).
constexpr int REPLACE_PATH_SIZE = 4096;
// Symbolic links followed from the named path to the final target.
constexpr int REPLACE_MAX_LINKS = 16;

enum ReplaceResult {
    REPLACE_OK = 0,
    REPLACE_FAILED = -1,       // nothing changed: the old file (or none) is in place
    REPLACE_NOT_SYNCED = -2,   // the new file is in place, but its folder could not
                               // be flushed: a crash may still bring back the old one
};

enum ReplaceFlags {
    REPLACE_FOLLOW_LINK = 0,   // a link at the target: its final target is replaced
    REPLACE_LINK_ITSELF = 1,   // a link, FIFO or device at the target is itself
                               // replaced, never written through (the log)
};

// One replacement in progress. replace_begin opens `fd` for writing; the
// holder removes the temporary file when it goes out of scope uncommitted.
struct ReplaceFile {
    int fd = -1;
    bool direct = false;    // fd is the target itself (a device or FIFO)
    bool committed = false;
    int error = 0;          // the system's error number behind a failure, or 0
    const char* problem = nullptr;   // words for a refusal (a folder at the target)
    char target[REPLACE_PATH_SIZE] = {};
    char temporary[REPLACE_PATH_SIZE + 32] = {};

    ReplaceFile() = default;
    ~ReplaceFile();
    ReplaceFile(const ReplaceFile&) = delete;
    ReplaceFile& operator=(const ReplaceFile&) = delete;
};

// Opens the file to write for replacing path. new_mode is the mode a file
// that does not exist yet is created with (the umask applies); an existing
// file's permission bits are kept. False with the reason in r (see
// replace_reason) when it cannot start; then nothing was created.
bool replace_begin(ReplaceFile* r, const char* path, int new_mode, int flags = REPLACE_FOLLOW_LINK);
// Flushes and closes the written file and puts it in place. With keep_open
// the descriptor stays open for more writes after the rename (the log).
// REPLACE_OK, REPLACE_FAILED (the temporary file is gone, the old file
// untouched) or REPLACE_NOT_SYNCED.
int replace_commit(ReplaceFile* r, bool keep_open = false);
// Drops an uncommitted replacement: the temporary file is removed.
void replace_abandon(ReplaceFile* r);
// Why the last step failed, in a few lower-case words for a message line.
const char* replace_reason(const ReplaceFile* r);

// The whole replacement for bytes in memory. REPLACE_OK, REPLACE_FAILED or
// REPLACE_NOT_SYNCED; on failure errno holds the reason (EISDIR or EINVAL
// for a refused target), and reason, when given, receives it in words.
int replace_file_bytes(const char* path, const void* bytes, size_t length, int new_mode,
                       const char** reason = nullptr, int flags = REPLACE_FOLLOW_LINK);

// Writes all of n bytes, going on after interruptions; false with errno set.
bool write_fully(int fd, const void* bytes, size_t n);
// Flushes the folder that holds path; false with errno set.
bool sync_folder_of(const char* path);
