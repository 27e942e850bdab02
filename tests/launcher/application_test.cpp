#include <gtest/gtest.h>

#include "launcher/application.h"

// The Help command is the application's one entry; the framework's own map
// carries no second copy of it.
TEST(Application, HelpCommandIsInTheApplicationsMap)
{
    Application app;
    EXPECT_NE(nullptr, FindMessageEntry(app.GetMessageMap(), WM_COMMAND, ID_HELP));
    EXPECT_EQ(nullptr, FindMessageEntry(app.GetMessageMap(), WM_COMMAND, ID_HELP + 1));
    EXPECT_EQ(nullptr, FindMessageEntry(app.GetMessageMap(), WM_PAINT, 0));
    EXPECT_EQ(nullptr, FindMessageEntry(&CWinApp::s_messageMap, WM_COMMAND, ID_HELP));
}
