// What the fuzz targets share: a scratch directory of the process, and files
// written from the input.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

// A directory of this process, made on first use: in memory where the
// system has /dev/shm, as every rewrite flushes its files.
inline const std::string& fuzz_directory()
{
    static const std::string path = [] {
        std::string p = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/vorbix-fuzz-" +
                        std::to_string(getpid());
        std::string command = "mkdir -p " + p;
        if (system(command.c_str()) != 0)
            abort();
        // Removed at exit, so that corpus runs in the tests leave nothing
        // behind. The command is kept in a plain array: this string is
        // destroyed before the handler runs.
        static char remove[128];
        snprintf(remove, sizeof remove, "rm -rf %s", p.c_str());
        atexit([] {
            if (system(remove) != 0)
                fprintf(stderr, "could not run: %s\n", remove);
        });
        return p;
    }();
    return path;
}

// Whether a replacement left a temporary file (a name holding ".new-").
inline bool has_temporaries(const std::string& folder)
{
    DIR* d = opendir(folder.c_str());
    bool found = false;
    while (const dirent* entry = d ? readdir(d) : nullptr)
        found |= strstr(entry->d_name, ".new-") != nullptr;
    if (d)
        closedir(d);
    return found;
}

inline void write_bytes(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        abort();
    if (size && fwrite(data, 1, size, f) != size)
        abort();
    fclose(f);
}

inline std::string read_bytes(const std::string& path)
{
    std::string out;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return out;
    char block[4096];
    size_t n;
    while ((n = fread(block, 1, sizeof block, f)) > 0)
        out.append(block, n);
    fclose(f);
    return out;
}

// A broken property: reported like a crash, so the fuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                         \
    do {                                                                              \
        if (!(condition)) {                                                           \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            abort();                                                                  \
        }                                                                             \
    } while (0)
