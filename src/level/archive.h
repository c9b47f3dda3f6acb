// The indexed level archive: record 2k-2 holds level k, record 2k-1 its
// movie. Every call opens, uses and closes the file; the archive is replaced
// by writing a complete new file and renaming it over the old one.
#pragma once
#include <cstdint>

#include "core/settings.h"

constexpr int ARCHIVE_MAX_RECORDS = 800;

// Results of read_record (bytes read when >= 0) and write_record (0 = done).
enum ArchiveResult {
    ARCHIVE_OK = 0,
    ARCHIVE_REPLACE_FAILED = -1,   // read: cannot open; write: rename failed
    ARCHIVE_SHORT_HEADER = -2,
    ARCHIVE_BAD_MAGIC = -3,        // also: a damaged index refused by a rewrite
    ARCHIVE_CANNOT_OPEN = -4,
    ARCHIVE_BAD_RECORD = -5,
    ARCHIVE_NO_TEMPORARY = -6,
    ARCHIVE_NOT_SYNCED = -7,       // renamed into place, but the directory
                                   // could not be flushed to the disk
    ARCHIVE_IO_ERROR = -200,
};

// Composed once at start-up in the user directory.
extern char archive_path[PATH_BUFFER_SIZE];
extern char temp_path[PATH_BUFFER_SIZE];

int read_record(int record, uint8_t* buffer, int max_length);
int write_record(int record, const uint8_t* data, int length);

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

// printf-style diagnostics into "VRBXINFO.LOG" of the working directory,
// created afresh by the first message of a run; 127 characters at most.
void log_message(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Closes the log so that the next message starts a new file (tests).
void close_log();
// Drops every later message: tools that work on archives keep no log.
void disable_log();
