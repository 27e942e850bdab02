// The message as readers and the clipboard get it, and the copied layout.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "message/message_dialog.h"
#include "message/readable_text.h"

namespace {

TEST(ReadableText, DropsTheMarkupAndPutsALinksTargetAfterItsLastLine)
{
    const struct {
        const wchar_t* message;
        const wchar_t* read;        // for screen readers
        const wchar_t* withTargets; // for the clipboard
    } cases[] = {
        {L"Plain.", L"Plain.", L"Plain."},
        {L"See {hl}the notes{hl=http://x.test/n?a=1&b=2} now.", L"See the notes now.",
         L"See the notes <http://x.test/n?a=1&b=2> now."},
        {L"{hl}first line\nsecond line{hl=http://x.test/}", L"first line\r\nsecond line",
         L"first line\r\nsecond line <http://x.test/>"},
        {L"{hl}http://x.test/{hl=http://x.test/}", L"http://x.test/", L"http://x.test/"},
        {L"{hl}a{hl=http://x.test/a}{hl}b{hl=http://x.test/b}", L"ab", L"a <http://x.test/a>b <http://x.test/b>"},
        {L"One\r\n\r\nThree\x2029"
         L"Four\n",
         L"One\r\n\r\nThree\r\nFour", L"One\r\n\r\nThree\r\nFour"},
    };
    for (const auto& c : cases) {
        Message::Elements elements;
        Message::Dialog::ParseMarkup(elements, c.message);
        EXPECT_EQ(c.read, Message::ReadableText(elements, false)) << testing::PrintToString(std::wstring(c.message));
        EXPECT_EQ(c.withTargets, Message::ReadableText(elements, true))
            << testing::PrintToString(std::wstring(c.message));
    }
}

TEST(ClipboardLayout, FramesCaptionMessageAndLabelsWithoutAccessKeys)
{
    const std::wstring dashes = L"---------------------------\r\n";
    EXPECT_EQ(dashes + L"\r\n" + dashes + L"Hi\r\n" + dashes + L"OK   Save & Exit   Cancel   \r\n" + dashes,
              Message::ClipboardLayout(L"", L"Hi", {L"&OK", L"Save && Exit", L"Cancel&"}));
    EXPECT_EQ(dashes + L"T\r\n" + dashes + L"Hi\r\n" + dashes + L"\r\n" + dashes,
              Message::ClipboardLayout(L"T", L"Hi", {}));
}

} // namespace
