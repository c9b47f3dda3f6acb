// Helpers for tests that run the real programs as subprocesses.
#pragma once
#include <string>
#include <vector>

struct ProcessResult {
    int status;          // exit status, or 128 + signal
    std::string out;     // everything written to stdout
    std::string err;
};

// What the child runs under besides the test's own state.
struct ProcessLimits {
    long file_size = -1;          // RLIMIT_FSIZE in bytes; -1: the test's own
    bool obey_permissions = false; // drop root's right to ignore file modes
};

// Runs program with args; env entries "NAME=value" are added to (or replace
// those of) the test's own environment. stdin is /dev/null.
ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const std::vector<std::string>& env = {}, int timeout_seconds = 20,
                          const std::string& cwd = "", const ProcessLimits& limits = {});

// A fresh directory under the system's temporary folder, removed with its
// contents when the holder goes.
struct TempDir {
    std::string path;
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string file(const std::string& name) const { return path + "/" + name; }
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);


// The temporary files a replacement leaves in folder (none when every write
// finished or was cleaned up): the names holding ".new-".
std::vector<std::string> temporaries_in(const std::string& folder);
