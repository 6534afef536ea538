#include <gtest/gtest.h>

#include "app/request_text.h"
#include "app/restart_text.h"

TEST(RestartRequest, OnlyTheRequestItselfIsOne)
{
    // The system puts the program's name before the arguments it was given.
    EXPECT_TRUE(IsRestartRequest(CommandLineTail("\"C:\\Program Files\\Vireo\\vireo.exe\" /restart")));
    EXPECT_TRUE(IsRestartRequest("/restart \r\n"));
    EXPECT_FALSE(IsRestartRequest("/restarted"));
    EXPECT_FALSE(IsRestartRequest("/Restart"));
    EXPECT_FALSE(IsRestartRequest("/restart C:\\a.wav"));
    EXPECT_FALSE(IsRestartRequest(" /restart"));
    EXPECT_FALSE(IsRestartRequest(""));
}
