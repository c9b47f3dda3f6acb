// The indexed level archive: record 2k-2 holds level k, record 2k-1 its
// movie. An archive is read whole into a value and judged once; the records,
// levels and movies are read from that value. Every call on a file opens,
// uses and closes it; the archive is replaced by writing a complete new file
// and renaming it over the old one.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/settings.h"
#include "level/grid.h"

constexpr int ARCHIVE_MAX_RECORDS = 800;
// The first four bytes of every archive.
constexpr char ARCHIVE_MAGIC[4] = {'V', 'R', 'B', 'X'};
constexpr int ARCHIVE_HEADER_SIZE = 8;   // the magic and the entry count
// The largest archive read or written: 400 levels and 400 movies of the
// longest kind fit more than twice over.
constexpr long long ARCHIVE_MAX_BYTES = 4 << 20;

// The archive's records of level k (1..MAX_LEVEL): the level, then its movie.
constexpr int level_record(int level) { return 2 * level - 2; }
constexpr int movie_record(int level) { return 2 * level - 1; }

// What reading an archive gives. Only ARCHIVE_READ_OK is sound; with
// ARCHIVE_BAD_INDEX the header is good and the records are read as the
// index gives them (clipped to the file): the game plays what it can,
// tells the damage, and writes nothing into it; vbltool refuses it.
enum ArchiveReadResult {
    ARCHIVE_READ_OK = 0,
    ARCHIVE_NOT_READABLE = -1,   // cannot be opened or read, or not a regular file
    ARCHIVE_SHORT_HEADER = -2,
    ARCHIVE_BAD_MAGIC = -3,
    ARCHIVE_TOO_LARGE = -4,      // longer than ARCHIVE_MAX_BYTES
    ARCHIVE_BAD_INDEX = -5,      // records outside the data area or overlapping,
                                 // too many entries, or bytes behind the last record
};

// What changing an archive gives (write_record, write_records, apply_records).
enum ArchiveWriteResult {
    ARCHIVE_OK = 0,
    ARCHIVE_CANNOT_OPEN = -11,     // the archive to change cannot be opened or read
    ARCHIVE_DAMAGED = -12,         // its header or index is damaged, or the change
                                   // would grow it past ARCHIVE_MAX_BYTES; left alone
    ARCHIVE_OVERSIZED = -13,       // it is already longer than ARCHIVE_MAX_BYTES
    ARCHIVE_BAD_RECORD = -14,      // a record number outside 0..ARCHIVE_MAX_RECORDS-1
    ARCHIVE_NO_TEMPORARY = -15,    // the new archive cannot be created beside the old
    ARCHIVE_IO_ERROR = -16,        // writing the new archive failed; the old one is in place
    ARCHIVE_REPLACE_FAILED = -17,  // flushing, closing or renaming the new archive
                                   // failed; the old one is in place
    ARCHIVE_NOT_SYNCED = -18,      // renamed into place, but the directory could
                                   // not be flushed to the disk
};

// An archive read whole and judged once, as the game judges it.
struct Archive {
    std::vector<uint8_t> bytes;
    ArchiveReadResult result = ARCHIVE_NOT_READABLE;
    // "" when sound, otherwise what is wrong, in the game's words ("it does
    // not start with VRBX", "60306 bytes lie beyond its last record").
    std::string damage;
    int error = 0;   // the system's error number behind ARCHIVE_NOT_READABLE
};

// The archive held in bytes.
Archive archive_from_bytes(std::span<const uint8_t> bytes);
// The archive in a file: a regular file only (never a FIFO or a device), at
// most ARCHIVE_MAX_BYTES of it.
Archive read_archive(const char* path);
// The bytes of a record as the index gives them, clipped to the file;
// empty when the archive has no such record (or no readable header).
std::span<const uint8_t> archive_record(const Archive& archive, int record);
// Level k's grid (1..MAX_LEVEL), border ring included: null, or why not.
const char* archive_level(const Archive& archive, int level, PlayGrid* grid);
// Level k's movie record, at most MOVIE_BUFFER_SIZE bytes: null, or why not
// (none, or shorter than a movie's header).
const char* archive_movie(const Archive& archive, int level, std::vector<uint8_t>* record);

// The archive in use, composed once at start-up in the user directory: what
// the record wrappers below read and write.
extern char archive_path[PATH_BUFFER_SIZE];

// Up to max_length bytes of a record of the archive in use: the count (0
// when there is no such record), or a negative ArchiveReadResult when its
// header cannot be read. A damaged index still gives what it can.
int read_record(int record, uint8_t* buffer, int max_length);
// Whether the archive holds at least min_length bytes of the record (1: any
// content at all); false also when the archive cannot be read.
bool record_holds(int record, int min_length);
int write_record(int record, const uint8_t* data, int length);

// One record's new content for write_records; a length of 0 removes it.
struct RecordWrite {
    int record;
    const uint8_t* data;
    int length;
};
// Changes several records in one rewrite of the archive in use (a level and
// its movie): afterwards all of them or none are changed. The new archive is
// written beside the old one (a temporary name of its own) and renamed over
// it. ARCHIVE_OK, or why not.
int write_records(const RecordWrite* writes, int count);
// The same change on an archive held in memory (an empty vector is an
// archive without records): ARCHIVE_OK, or why not, and then the archive is
// left part-way.
int apply_records(std::vector<uint8_t>* archive, const RecordWrite* writes, int count);

// Why the last write_record failed, for archive_failure_reason.
struct ArchiveFailure {
    // The system's error number; 0 when the archive's own content was
    // refused (damaged, record number out of range).
    int error;
    // A failure of the replacement that has no error number (the archive's
    // name is taken by a folder); null when there was none.
    const char* problem;
};
extern ArchiveFailure archive_failure;
inline constexpr auto& archive_errno = archive_failure.error;
// Why write_record failed, in a few lower-case words for a message line:
// the system's reason, or what is wrong with the archive.
const char* archive_failure_reason(int result);
// The damage of the archive in use (read_archive's judgement): null when it
// is sound.
const char* archive_damage();

constexpr char LOG_FILE_NAME[] = "VRBXINFO.LOG";
constexpr int LOG_LINE_SIZE = 128;
// printf-style diagnostics into "VRBXINFO.LOG" of the working directory,
// created afresh by the first message of a run; 127 characters at most (a
// longer line is cut and still ends in a newline).
void log_message(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Closes the log so that the next message starts a new file (tests).
void close_log();
// Drops every later message (and the held ones): tools that work on
// archives keep no log, nor does a second game on one user directory.
void disable_log();
// Keeps the messages in memory instead of creating the log: a start that
// turns out to be a second game on one user directory must not replace the
// running game's log. release_log ends the hold.
void hold_log();
// Writes the held messages to a fresh log; later messages go there too.
void release_log();
