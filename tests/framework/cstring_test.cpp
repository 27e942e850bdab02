#include <gtest/gtest.h>

#include "framework/cstring.h"

TEST(CString, CopiesShareUntilChanged)
{
    const CString original(L"Close");
    CString copy = original;
    EXPECT_TRUE(copy.SharesBufferWith(original));

    copy += L'!';
    EXPECT_FALSE(copy.SharesBufferWith(original));
    EXPECT_EQ(CString(L"Close"), original);
    EXPECT_EQ(CString(L"Close!"), copy);
}

TEST(CString, DeleteAndFindStayInBounds)
{
    CString text(L"a\nb\nc");
    EXPECT_EQ(1, text.Find(L'\n'));
    EXPECT_EQ(3, text.Find(L'\n', 2));
    EXPECT_EQ(-1, text.Find(L'x'));
    EXPECT_EQ(3, text.Delete(0, 2));
    EXPECT_EQ(CString(L"b\nc"), text);
    EXPECT_EQ(0, text.Delete(0, 100));
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_STREQ(L"", text.GetString());
}

TEST(CString, AppendToItself)
{
    CString text(L"ab");
    text += text;
    EXPECT_EQ(CString(L"abab"), text);
}
