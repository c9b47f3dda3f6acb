#include <gtest/gtest.h>

#include <string>

#include "picture/screenshot.h"
#include "support/fixtures.h"

namespace {

TEST(ScreenshotName, GivesUpWithAReasonWhenEveryNameIsTaken)
{
    TempArchiveDir work;   // the working directory
    char name[32];
    for (int n = 0; n < SCREENSHOT_NAMES; n++) {
        snprintf(name, sizeof name, "cap%03d.lbm", n);
        write_file(name, "");
    }
    const char* failure = next_screenshot_name(name, sizeof name);
    ASSERT_NE(failure, nullptr);
    EXPECT_STREQ(failure, "cap000.lbm to cap9999.lbm are all taken");
}

} // namespace
