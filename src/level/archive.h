// The indexed level archive: record 2k-2 holds level k, record 2k-1 its
// movie. Every call opens, uses and closes the file; the archive is replaced
// by writing a complete new file and renaming it over the old one.
#pragma once
#include <cstdint>
#include <vector>

#include "core/settings.h"

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

// Results of read_record (bytes read when >= 0) and write_record (0 = done).
// Two codes carry one meaning for each call, named once for each.
enum ArchiveResult {
    ARCHIVE_OK = 0,
    ARCHIVE_NOT_READABLE = -1,     // read_record: the archive cannot be opened
    ARCHIVE_REPLACE_FAILED = -1,   // write_record: flushing, closing or renaming the
                                   // new archive failed; the old one is in place
    ARCHIVE_SHORT_HEADER = -2,
    ARCHIVE_BAD_MAGIC = -3,
    ARCHIVE_BAD_INDEX = -3,        // write_record: an index that runs past the file
    ARCHIVE_CANNOT_OPEN = -4,      // write_record only
    ARCHIVE_BAD_RECORD = -5,
    ARCHIVE_NO_TEMPORARY = -6,     // the new archive cannot be created beside the old
    ARCHIVE_NOT_SYNCED = -7,       // renamed into place, but the directory
                                   // could not be flushed to the disk
    ARCHIVE_TOO_LARGE = -8,        // longer than ARCHIVE_MAX_BYTES
    ARCHIVE_IO_ERROR = -200,
};

// Composed once at start-up in the user directory.
extern char archive_path[PATH_BUFFER_SIZE];

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
// Changes several records in one rewrite of the archive (a level and its
// movie): afterwards all of them or none are changed. The new archive is
// written beside the old one (a temporary name of its own) and renamed over
// it. 0, or a code as for write_record.
int write_records(const RecordWrite* writes, int count);
// The same change on an archive held in memory (an empty vector is an
// archive without records): 0, or a code as for write_record, and then the
// archive is left part-way.
int apply_records(std::vector<uint8_t>* archive, const RecordWrite* writes, int count);

// The system's error number behind the last failed write_record; 0 when the
// archive's own content was refused (damaged, record number out of range).
extern int archive_errno;
// Why write_record failed, in a few lower-case words for a message line:
// the system's reason, or what is wrong with the archive.
const char* archive_failure_reason(int result);
// Checks the whole archive at archive_path: null when it is sound, else what
// is wrong with it (it cannot be opened, a short header, no magic, an index
// past the end, a record outside the data area, two records that overlap).
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
