// The test main of the suites that drive COM objects (the SAX reader, the
// update service proxy): COM for the test process's one thread.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

namespace {

class ComEnvironment : public testing::Environment {
public:
    void SetUp() override { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { ::CoUninitialize(); }
};

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(new ComEnvironment);
    return RUN_ALL_TESTS();
}
