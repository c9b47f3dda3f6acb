// Fuzz target for the configuration scanner: any text leaves every setting
// usable, and what write_config then writes reads back whole.
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "core/settings.h"
#include "frontend/config.h"
#include "frontend/userdir.h"
#include "fuzz_files.h"
#include "level/archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        disable_log();
        snprintf(home_directory, sizeof home_directory, "%s", fuzz_directory().c_str());
        mkdir((fuzz_directory() + "/" + USER_DIR_NAME).c_str(), 0700);
        strcpy(config_file_name, "vrbxrc");
        return true;
    }();
    (void)ready;
    std::string text(reinterpret_cast<const char*>(data), std::min(size, size_t(CONFIG_TEXT_SIZE - 1)));
    apply_config_text(text.c_str(), "fuzz");
    const int32_t keys[6] = {upkey, downkey, leftkey, rightkey, digleftkey, digrightkey};
    char names[4][PATH_BUFFER_SIZE];
    memcpy(names, artwork_names, sizeof names);
    for (int32_t key : keys)
        FUZZ_CHECK(key > 0 && key < 323);
    for (const auto& name : names)
        FUZZ_CHECK(name[0] != 0 && strlen(name) <= size_t(ARTWORK_NAME_MAX));

    char path[PATH_BUFFER_SIZE];
    FUZZ_CHECK(config_path(path));
    FUZZ_CHECK(write_config(path));
    FUZZ_CHECK(read_bytes(path).size() <= size_t(CONFIG_TEXT_SIZE - 1));
    upkey = downkey = leftkey = rightkey = digleftkey = digrightkey = 0;
    read_config();
    const int32_t back[6] = {upkey, downkey, leftkey, rightkey, digleftkey, digrightkey};
    FUZZ_CHECK(memcmp(keys, back, sizeof keys) == 0);
    FUZZ_CHECK(memcmp(names, artwork_names, sizeof names) == 0);
    return 0;
}
