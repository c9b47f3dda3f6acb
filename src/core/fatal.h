// Ending the process on a failure that leaves no way on.
#pragma once

// Set by start-up: frees the program's buffers before a fatal exit.
extern void (*fatal_cleanup)();

// The status the process is ending with (fatal_exit's, or what main returns):
// a shutdown cut short still ends with it.
extern int exit_status;

// Runs fatal_cleanup (when set), flushes the streams and exits with status.
[[noreturn]] void fatal_exit(int status);
