#include "tests/soap/test_handler.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(new test::ComEnvironment);
    return RUN_ALL_TESTS();
}
