#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "framework/exceptions.h"
#include "launcher/path_helpers.h"

TEST(PathRules, DirectoryProductPathAndNativeForm)
{
    struct Case {
        const wchar_t* reported;  // what the system reports for the launcher
        const wchar_t* directory; // GetModuleDirectory's answer
        const wchar_t* product;   // native product path
        const wchar_t* workingDirectory;
    } const cases[] = {
        {LR"(C:\Apps\Backup\launcher.exe)", LR"(C:\Apps\Backup\)", LR"(C:\Apps\Backup\orlix.bim)",
         LR"(C:\Apps\Backup\)"},
        {LR"(C:\My Apps\launcher.exe)", LR"(C:\My Apps\)", LR"(C:\My Apps\orlix.bim)", LR"(C:\My Apps\)"},
        {LR"(\\server\share\Backup\launcher.exe)", LR"(\\server\share\Backup\)", LR"(\\server\share\Backup\orlix.bim)",
         LR"(\\server\share\Backup\)"},
        {LR"(\\?\C:\Apps\launcher.exe)", LR"(\\?\C:\Apps\)", LR"(\\?\C:\Apps\orlix.bim)", LR"(\\?\C:\Apps\)"},
        {LR"(\\?\UNC\server\share\launcher.exe)", LR"(\\?\UNC\server\share\)", LR"(\\?\UNC\server\share\orlix.bim)",
         LR"(\\?\UNC\server\share\)"},
        // Slashes count as separators and come out as backslashes.
        {L"C:/Apps/Backup/launcher.exe", L"C:/Apps/Backup/", LR"(C:\Apps\Backup\orlix.bim)", LR"(C:\Apps\Backup\)"},
        {L"//server/share/launcher.exe", L"//server/share/", LR"(\\server\share\orlix.bim)", LR"(\\server\share\)"},
        {LR"(C:\Apps/launcher.exe)", LR"(C:\Apps/)", LR"(C:\Apps\orlix.bim)", LR"(C:\Apps\)"},
        // Separators repeated right after the root collapse.
        {LR"(C:\\\Apps\launcher.exe)", LR"(C:\\\Apps\)", LR"(C:\Apps\orlix.bim)", LR"(C:\Apps\)"},
        {LR"(\\server\\/share\launcher.exe)", LR"(\\server\\/share\)", LR"(\\server\share\orlix.bim)",
         LR"(\\server\share\)"},
        {LR"(C:\launcher.exe)", LR"(C:\)", LR"(C:\orlix.bim)", LR"(C:\)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.reported)));
        const std::wstring directory = PathHelpers::DirectoryOf(c.reported);
        EXPECT_EQ(c.directory, directory);
        const std::wstring product = PathHelpers::ToNativeForm(GetProductPath(directory));
        EXPECT_EQ(c.product, product);
        EXPECT_EQ(c.workingDirectory, PathHelpers::ToNativeForm(PathHelpers::DirectoryOf(product)));
    }
}

TEST(PathRules, ProductPathInsertsASeparatorOnlyWhenNeeded)
{
    struct Case {
        const wchar_t* directory;
        const wchar_t* product;
    } const cases[] = {
        {LR"(C:\Apps)", LR"(C:\Apps\orlix.bim)"},
        {LR"(C:\Apps\)", LR"(C:\Apps\orlix.bim)"},
        {L"C:/Apps/", L"C:/Apps/orlix.bim"},
        {L"C:", L"C:orlix.bim"},
        {L"", L"orlix.bim"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.product, GetProductPath(c.directory)) << testing::PrintToString(std::wstring(c.directory));
}

TEST(PathRules, NoSeparatorGivesAnEmptyDirectory)
{
    EXPECT_EQ(L"", PathHelpers::DirectoryOf(L"launcher.exe"));
}

namespace {

// Answers like GetModuleFileNameW for a path of the given length: the name
// cut to the buffer, and the buffer size when it was cut.
struct FakeModuleName {
    std::wstring path;
    std::vector<DWORD> sizesAsked;

    DWORD operator()(wchar_t* buffer, DWORD size)
    {
        sizesAsked.push_back(size);
        const size_t copied = std::min<size_t>(path.size(), size - 1);
        path.copy(buffer, copied);
        buffer[copied] = L'\0';
        return path.size() >= size ? size : static_cast<DWORD>(path.size());
    }
};

} // namespace

TEST(GetModuleFileName, GrowsTheBufferIn260CharacterSteps)
{
    struct Case {
        size_t length;
        std::vector<DWORD> sizes;
    } const cases[] = {
        {30, {260}},
        {259, {260}},
        {260, {260, 520}}, // a name that exactly fills the buffer was cut
        {600, {260, 520, 780}},
        {1040, {260, 520, 780, 1040, 1300}},
    };
    for (const Case& c : cases) {
        FakeModuleName fake{L"C:\\" + std::wstring(c.length - 3, L'a'), {}};
        const std::wstring path = PathHelpers::ReadModuleFileName(std::ref(fake));
        EXPECT_EQ(fake.path, path) << c.length;
        EXPECT_EQ(c.sizes, fake.sizesAsked) << c.length;
    }
}

TEST(GetModuleFileName, FailureRaisesTheRuntimeError)
{
    try {
        PathHelpers::ReadModuleFileName([](wchar_t*, DWORD) -> DWORD { return 0; });
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ("PathHelpers::GetModuleFileName fail", e.what());
    }
}

TEST(GetModuleFileName, ASizeBeyond32BitBytesIsAnAllocationFailure)
{
    EXPECT_EQ(520u, PathHelpers::NextModuleBufferSize(260));
    const DWORD largest = 0xFFFFFFFFu / sizeof(wchar_t); // the last size whose bytes fit
    EXPECT_EQ(largest, PathHelpers::NextModuleBufferSize(largest - 260));
    EXPECT_THROW(PathHelpers::NextModuleBufferSize(largest - 259), CMemoryException);
    EXPECT_THROW(PathHelpers::NextModuleBufferSize(0xFFFFFFFFu), CMemoryException);
}

TEST(GetModuleFileName, ReportsTheRunningExecutable)
{
    const std::wstring path = PathHelpers::GetModuleFileName();
    ASSERT_GT(path.size(), 4u);
    EXPECT_EQ(L".exe", path.substr(path.size() - 4));
    EXPECT_EQ(path.substr(0, path.find_last_of(L'\\') + 1), PathHelpers::GetModuleDirectory());
}
