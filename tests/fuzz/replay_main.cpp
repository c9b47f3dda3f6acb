// Runs the fuzz target once on each file named on the command line (or in
// each directory named), the way the regression corpus is kept as a test.
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int run_file(const std::string& path)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) {
        fprintf(stderr, "cannot open %s\n", path.c_str());
        return 1;
    }
    std::vector<uint8_t> bytes;
    int c;
    while ((c = fgetc(f)) != EOF)
        bytes.push_back(uint8_t(c));
    fclose(f);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    int failures = 0, inputs = 0;
    for (int i = 1; i < argc; i++) {
        struct stat info;
        if (stat(argv[i], &info) == 0 && S_ISDIR(info.st_mode)) {
            DIR* dir = opendir(argv[i]);
            while (dirent* entry = dir ? readdir(dir) : nullptr) {
                if (entry->d_name[0] == '.')
                    continue;
                failures += run_file(std::string(argv[i]) + "/" + entry->d_name);
                inputs++;
            }
            if (dir)
                closedir(dir);
        } else {
            failures += run_file(argv[i]);
            inputs++;
        }
    }
    printf("%d inputs replayed\n", inputs);
    return failures ? 1 : 0;
}
