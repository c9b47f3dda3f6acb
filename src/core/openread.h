// Opening a file of the game's to read it, never waiting on what stands at
// its name.
#pragma once

// Opens path read-only (close-on-exec). A FIFO, device or socket at the name
// is refused with EINVAL without waiting for a writer (a FIFO nobody writes
// would hold the game for ever, and a device's bytes are no file of ours); a
// folder opens, and reading it fails with EISDIR as callers expect. -1 with
// errno on failure.
int open_for_reading(const char* path);
// Words for errno after open_for_reading failed: the refusal of a FIFO or
// device, or the system's text.
const char* open_failure_reason(int error);
