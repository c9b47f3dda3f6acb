// Ending the process on a failure that leaves no way on.
#pragma once

// How the process ends, one record because there is one process. Each part
// keeps its own name, an alias of its place in the record.
struct ProcessEnd {
    // Set by start-up: frees the program's buffers before a fatal exit.
    void (*cleanup)();
    // The status the process is ending with (fatal_exit's, or what main
    // returns): a shutdown cut short still ends with it.
    int status;
};

extern ProcessEnd process_end;

inline constexpr auto& fatal_cleanup = process_end.cleanup;
inline constexpr auto& exit_status = process_end.status;

// Runs fatal_cleanup (when set), flushes the streams and exits with status.
[[noreturn]] void fatal_exit(int status);
