// A bound on the end of the process: whatever the shutdown waits for (a
// thread, a device), the process ends.
#pragma once

// From now on the process ends at once: with `status` when it is still
// running after `seconds`, and with 128 + the signal's number (as a shell
// reports a process the signal ended) when SIGTERM or SIGINT comes, which
// would otherwise lead back into the same shutdown.
void arm_exit_watchdog(unsigned seconds, int status);
