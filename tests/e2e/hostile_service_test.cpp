// Whatever the update service sends, the product starts: exactly once, after
// the box the answer calls for, with the launcher ending cleanly and soon,
// no other program started and the shell asked to open only a plain web
// address. Answers as an attacker or a broken network would send them.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "framework/scoped_handle.h"
#include "tests/e2e/installation.h"
#include "tests/support/files.h"
#include "tests/support/shell_log.h"
#include "tests/support/update_service_client.h"
#include "tools/driver/process_driver.h"

#include <psapi.h>

namespace {

using test::NewerBuild;

const std::string kEnvelope = "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">";
const std::string kResultStart = kEnvelope + "<soap:Body><GetVersionInfoResponse xmlns=\"http://tempuri.org/\">"
                                             "<GetVersionInfoResult>";
const std::string kHeaderStart = kEnvelope + "<soap:Header><h:A xmlns:h=\"urn:h\">";
const std::string kHttpHead = "HTTP/1.1 200 OK\r\nContent-Type: text/xml; charset=utf-8\r\nConnection: close\r\n\r\n";
const std::string kHeaderFlood =
    R"({"framing": "raw", "stream": {"prefix": "HTTP/1.1 200 OK\r\n", "piece": "X-Flood: aaaaaaaaaaaaaaaa\r\n"}})";

// The bytes as JSON code points 0-255, as the service's "raw" takes them.
std::string Json(const std::string& bytes)
{
    std::wstring points;
    for (const unsigned char b : bytes)
        points += static_cast<wchar_t>(b);
    return test::JsonString(points);
}

// An answer of exactly these bytes, after which the connection closes.
std::string Raw(const std::string& body)
{
    return "{\"raw\": " + Json(kHttpHead + body) + "}";
}

// A body of `prefix` and then `piece` without end; `more` adds answer fields.
std::string Endless(const std::string& prefix, const std::string& piece, const std::string& more)
{
    return "{\"stream\": {\"prefix\": " + Json(prefix) + ", \"piece\": " + Json(piece) + "}" + more + "}";
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The launcher run as a debuggee, to read what it tells a debugger. The
// thread that starts a debuggee must be the one that serves its events, so
// a thread of this object does both while the test drives the dialogs.
class DebuggedLauncher {
public:
    DebuggedLauncher(const std::wstring& application, const std::wstring& commandLine)
        : m_thread([this, application, commandLine] { Serve(application, commandLine); })
    {
        const DWORD begin = ::GetTickCount();
        while (!m_ready && ::GetTickCount() - begin < 30000)
            ::Sleep(10);
    }
    ~DebuggedLauncher()
    {
        m_stop = true;
        m_thread.join();
    }
    DebuggedLauncher(const DebuggedLauncher&) = delete;
    DebuggedLauncher& operator=(const DebuggedLauncher&) = delete;

    DWORD Id() const { return m_id; }
    bool Wait(DWORD timeoutMilliseconds, DWORD* exitCode)
    {
        const DWORD begin = ::GetTickCount();
        while (!m_exited && ::GetTickCount() - begin < timeoutMilliseconds)
            ::Sleep(10);
        *exitCode = m_exitCode;
        return m_exited;
    }
    std::vector<std::wstring> DebugStrings()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_strings;
    }

private:
    void Serve(const std::wstring& application, std::wstring commandLine)
    {
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!::CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS,
                              nullptr, nullptr, &startup, &info)) {
            m_ready = true;
            return;
        }
        const ScopedKernelHandle thread(info.hThread);
        const ScopedKernelHandle process(info.hProcess);
        m_id = info.dwProcessId;
        m_ready = true;
        const DWORD begin = ::GetTickCount();
        while (!m_exited) {
            DEBUG_EVENT event = {};
            if (!::WaitForDebugEvent(&event, 50)) {
                if (m_stop || ::GetTickCount() - begin > 120000)
                    break;
                continue;
            }
            DWORD status = DBG_CONTINUE;
            switch (event.dwDebugEventCode) {
            // Of the handles an event hands over, only the image files are the
            // debugger's to close; the system closes the process and thread ones.
            case CREATE_PROCESS_DEBUG_EVENT: {
                const ScopedKernelHandle image(event.u.CreateProcessInfo.hFile);
                break;
            }
            case LOAD_DLL_DEBUG_EVENT: {
                const ScopedKernelHandle image(event.u.LoadDll.hFile);
                break;
            }
            case OUTPUT_DEBUG_STRING_EVENT: Record(process.get(), event.u.DebugString); break;
            case EXCEPTION_DEBUG_EVENT:
                // The loader's breakpoint is ours to pass; any other exception is the program's.
                if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                    status = DBG_EXCEPTION_NOT_HANDLED;
                break;
            case EXIT_PROCESS_DEBUG_EVENT:
                m_exitCode = event.u.ExitProcess.dwExitCode;
                m_exited = true;
                break;
            default: break;
            }
            ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
        }
        if (!m_exited)
            ::TerminateProcess(process.get(), 1);
        ::DebugActiveProcessStop(info.dwProcessId);
    }

    void Record(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& string)
    {
        const size_t units = string.nDebugStringLength;
        std::wstring text;
        if (string.fUnicode) {
            text.resize(units);
            ::ReadProcessMemory(process, string.lpDebugStringData, text.data(), units * sizeof(wchar_t), nullptr);
        } else {
            std::string bytes(units, '\0');
            ::ReadProcessMemory(process, string.lpDebugStringData, bytes.data(), units, nullptr);
            text.assign(bytes.begin(), bytes.end());
        }
        while (!text.empty() && text.back() == L'\0')
            text.pop_back();
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_strings.push_back(text);
    }

    std::atomic<bool> m_ready{false};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_exited{false};
    std::atomic<DWORD> m_id{0};
    std::atomic<DWORD> m_exitCode{STILL_ACTIVE};
    std::mutex m_mutex;
    std::vector<std::wstring> m_strings;
    std::thread m_thread;
};

class HostileService : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_service.Reset()) << "the update service does not answer";
        m_folder = m_temp.MakeFolder(L"Velto Backup");
        e2e::Install(m_folder);
        // Where a URL with dot segments points: a program nobody may start.
        test::CopyFileOrFail(test::WindowsPath(RECORDING_PRODUCT_EXE), m_folder + L"marker.exe");
    }

    struct Case {
        const char* name;
        std::string answer;
        const wchar_t* press;             // a label of the box that must show
        std::vector<std::wstring> opened; // what the shell is asked to open
    };

    // The launcher's working set while its box is held open, in MB.
    struct Memory {
        double atBox = 0;
        double mostWhileOpen = 0;
        double peak = 0; // of the whole run
    };

    // Runs the launcher against `c`: the box shows in time and is answered,
    // the launcher ends with code 0, the product (and nothing else) starts
    // once, and the shell opens what the case says. With `memory`, the box
    // is held open a few seconds first while the working set is sampled.
    void Run(const Case& c, Memory* memory = nullptr)
    {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(m_service.SetDefault(c.answer));
        test::ClearShellLog();
        const std::wstring startLog = m_temp.Path() + L"starts.txt";
        ::DeleteFileW(startLog.c_str());
        const test::ScopedEnvironment logStarts(L"ORLIX_START_LOG", startLog);
        e2e::RecordFile record(m_temp.Path());

        const DWORD begin = ::GetTickCount();
        driver::RunningProcess launcher(m_folder + L"launcher.exe", L"launcher.exe -x");
        ASSERT_TRUE(launcher.Started());
        // About 12 s at most whatever the service does; 30 s leaves room for
        // a slow machine without letting a hang pass.
        const HWND dialog = driver::WaitForDialog(launcher.Id(), 30000);
        ASSERT_NE(nullptr, dialog) << "no box after " << ::GetTickCount() - begin << " ms";
        EXPECT_FALSE(record.Wait(0)) << "the product starts only after the check";
        if (memory)
            *memory = HoldOpen(launcher.Id());
        bool pressed = false;
        for (const driver::Button& button : driver::Buttons(dialog)) {
            if (button.text == c.press) {
                driver::Press(button);
                pressed = true;
            }
        }
        ASSERT_TRUE(pressed) << "no button " << testing::PrintToString(std::wstring(c.press));
        DWORD exitCode = 1234;
        ASSERT_TRUE(launcher.Wait(30000, &exitCode)) << "the launcher did not end";
        EXPECT_EQ(0u, exitCode) << std::hex << "0x" << exitCode;
        EXPECT_TRUE(record.Wait(10000)) << "the product did not start";
        EXPECT_EQ(c.opened, test::WaitForShellLog(c.opened.size()));
        const std::vector<std::string> starts = Lines(test::ReadWholeFile(startLog).value_or(""));
        ASSERT_EQ(1u, starts.size()) << test::ReadWholeFile(startLog).value_or("");
        EXPECT_EQ("\\orlix.bim", starts[0].substr(starts[0].rfind('\\')));
    }

    static Memory HoldOpen(DWORD processId)
    {
        Memory memory;
        const ScopedKernelHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof counters;
        for (int sample = 0; sample <= 40; ++sample) {
            if (sample > 0)
                ::Sleep(100);
            if (!::GetProcessMemoryInfo(process.get(), &counters, sizeof counters)) {
                ADD_FAILURE() << "cannot read the launcher's memory";
                break;
            }
            const double mb = static_cast<double>(counters.WorkingSetSize) / 1048576.0;
            if (sample == 0)
                memory.atBox = mb;
            memory.mostWhileOpen = std::max(memory.mostWhileOpen, mb);
            memory.peak = static_cast<double>(counters.PeakWorkingSetSize) / 1048576.0;
        }
        return memory;
    }

    test::TempFolder m_temp;
    std::wstring m_folder;
    test::UpdateServiceControl m_service;
};

TEST_F(HostileService, BrokenOrEndlessAnswersEndInTheErrorBox)
{
    const Case cases[] = {
        // The connection ends, or a wrong end tag comes, inside a skipped
        // Header element: the launcher crashed before any box.
        {"cut off in a skipped Header", Raw(kHeaderStart + "<b>"), L"Close", {}},
        {"wrong end tag in a skipped Header", Raw(kHeaderStart + "<b></c>"), L"Close", {}},
        // Endless at full speed: the chunked body held the launcher past
        // 40 s; the others grew the process to about 1 GB.
        {"endless chunked answer text", Endless(kResultStart, "abcdefgh", R"(, "framing": "chunked")"), L"Close", {}},
        {"endless close-delimited answer text",
         Endless(kResultStart, "abcdefgh", R"(, "framing": "close")"),
         L"Close",
         {}},
        {"endless fault",
         Endless(kEnvelope + "<soap:Body><soap:Fault><detail>", "<e>x</e>", R"(, "status": 500)"),
         L"Close",
         {}},
        // Header content without end, paced so that only the total limit
        // ends it, chunked: the launcher crashed after 11 s.
        {"endless skipped Header, paced and chunked",
         Endless(kHeaderStart, "<b>x</b>", R"(, "framing": "chunked", "rate": 40000)"),
         L"Close",
         {}},
    };
    for (const Case& c : cases)
        Run(c);
}

TEST_F(HostileService, HeaderLinesWithoutEndLeaveTheLauncherBounded)
{
    // They grew the launcher by megabytes a second, also while the box was
    // open. Measured against the same box after an ordinary broken answer;
    // the check may grow it by its memory budget (16 MB) and a little more.
    Memory ordinary, flood;
    Run({"cut off in a skipped Header", Raw(kHeaderStart + "<b>"), L"Close", {}}, &ordinary);
    Run({"endless header lines", kHeaderFlood, L"Close", {}}, &flood);
    EXPECT_LT(flood.mostWhileOpen - flood.atBox, 4.0) << "grows while the box is open";
    EXPECT_LT(flood.peak - ordinary.peak, 32.0) << "ordinary " << ordinary.peak << " MB";
}

TEST_F(HostileService, DownloadOpensOnlyAPlainWebAddress)
{
    const std::wstring fewHundred =
        L"http://downloads.example.test/velto/" + std::wstring(400, L'a') + L"?build=1.1.1.1";
    const std::wstring thousand = L"http://downloads.example.test/" + std::wstring(970, L'a');
    const Case cases[] = {
        // The shell ran the program the dot segments lead to.
        {"dot segments to a program beside the launcher",
         NewerBuild(L"http://x.test/../../marker.exe"),
         L"Download",
         {}},
        {"encoded dot segments", NewerBuild(L"http://x.test/%2e%2e/%2E%2E/marker.exe"), L"Download", {}},
        // Characters outside ASCII change nothing of that: encoded dots stay
        // as they are, and IDNA makes full-width slashes in the host plain.
        {"dot segments behind characters outside ASCII",
         NewerBuild(L"http://x.test/\u00fc/%2e%2e/%2E%2E/%2e%2e/marker.exe"),
         L"Download",
         {}},
        {"full-width slashes in the host",
         NewerBuild(L"http://x.test\uff0f..\uff0f..\uff0fmarker.exe"),
         L"Download",
         {}},
        // About 1000 characters overran the shell, and the product never started.
        {"a thousand characters", NewerBuild(thousand), L"Download", {}},
        {"a blank and a quote for the browser's command line", NewerBuild(L"http://x.test/ \"-new"), L"Download", {}},
        // Controls: an ordinary address and one of a few hundred characters open.
        {"an ordinary address",
         NewerBuild(L"http://downloads.example.test/velto/setup?build=1.1.1.1"),
         L"Download",
         {L"http://downloads.example.test/velto/setup?build=1.1.1.1"}},
        {"a few hundred characters", NewerBuild(fewHundred), L"Download", {fewHundred}},
    };
    for (const Case& c : cases)
        Run(c);
}

TEST_F(HostileService, FailedCheckTellsADebuggerWhy)
{
    ASSERT_TRUE(m_service.SetDefault(Endless(kResultStart, "abcdefgh", R"(, "framing": "chunked")")));
    e2e::RecordFile record(m_temp.Path());
    DebuggedLauncher launcher(m_folder + L"launcher.exe", L"launcher.exe");
    ASSERT_NE(0u, launcher.Id());
    const HWND dialog = driver::WaitForDialog(launcher.Id(), 30000);
    ASSERT_NE(nullptr, dialog);
    const std::vector<driver::Button> buttons = driver::Buttons(dialog);
    ASSERT_EQ(1u, buttons.size());
    driver::Press(buttons[0]);
    DWORD exitCode = 1234;
    ASSERT_TRUE(launcher.Wait(30000, &exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_TRUE(record.Wait(10000)) << "the product did not start";
    const std::wstring expected =
        L"Velto launcher: update check failed: ClientError ResponseParseFailed (10), HRESULT 0x8";
    const std::vector<std::wstring> strings = launcher.DebugStrings();
    size_t matching = 0;
    for (const std::wstring& s : strings)
        matching += s.compare(0, expected.size(), expected) == 0;
    EXPECT_EQ(1u, matching) << testing::PrintToString(strings);
}

// The bytes of `ascii` as UTF-16LE with its byte order mark, non-ASCII
// characters given as "\xC3\xA9" (é) only.
std::string Utf16(const std::string& ascii)
{
    std::string out = "\xFF\xFE";
    for (size_t i = 0; i < ascii.size(); ++i) {
        if (ascii.compare(i, 2, "\xC3\xA9") == 0) {
            out += std::string("\xE9\x00", 2);
            ++i;
        } else {
            out += ascii[i];
            out += '\0';
        }
    }
    return out;
}

std::string Repeat(const std::string& piece, size_t times)
{
    std::string text;
    for (size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

// A newer build's answer after `prolog`, with `header` in a Header and
// `attributes` on the Body element.
std::string AnswerWith(const std::string& prolog, const std::string& attributes, const std::string& header = "")
{
    return prolog + kEnvelope + "<soap:Header>" + header + "</soap:Header><soap:Body" + attributes + ">" +
           "<GetVersionInfoResponse xmlns=\"http://tempuri.org/\"><GetVersionInfoResult>"
           "&lt;main&gt;1&lt;/main&gt;&lt;minor&gt;1&lt;/minor&gt;&lt;build1&gt;1&lt;/build1&gt;&lt;build2&gt;1&lt;/"
           "build2&gt;"
           "&lt;url&gt;http://downloads.example.test/velto/setup&lt;/url&gt;"
           "</GetVersionInfoResult></GetVersionInfoResponse></soap:Body></soap:Envelope>";
}

// Long pieces of markup overran the reader's error message buffer on the
// stack and ended the launcher before any box: the guard keeps them from the
// reader. Each kind, in UTF-8 and in UTF-16.
TEST_F(HostileService, LongMarkupEndsInTheErrorBox)
{
    const std::string name = Repeat("n", 30000), wide = Repeat("\xC3\xA9", 600);
    const std::string uri = Repeat("%zz", 10000);
    const std::string declaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
    const struct {
        const char* name;
        std::string body;
    } kinds[] = {
        {"a namespace URI that is not one", AnswerWith(declaration, " xmlns:x=\"" + uri + "\"")},
        {"an element name", AnswerWith(declaration, "", "<" + name + "/>")},
        {"an end tag name", AnswerWith(declaration, "", "<a></" + name + ">")},
        {"an attribute name", AnswerWith(declaration, " " + name + "=\"1\"")},
        {"an attribute value", AnswerWith(declaration, " a=\"" + name + "\"")},
        {"a namespace prefix", AnswerWith(declaration, " xmlns:" + name + "=\"urn:x\"")},
        {"a processing instruction", AnswerWith(declaration, "", "<?" + name + "?>")},
        {"the declared encoding", AnswerWith("<?xml version=\"1.0\" encoding=\"" + name + "\"?>", "")},
        {"an entity reference", AnswerWith(declaration, "", "<a>&" + name + ";</a>")},
        {"a character reference", AnswerWith(declaration, "", "<a>&#" + Repeat("0", 30000) + "60;</a>")},
        {"a name of two-byte characters", AnswerWith(declaration, "", "<" + wide + "/>")},
    };
    std::vector<Case> cases;
    for (const auto& kind : kinds) {
        cases.push_back({kind.name, Raw(kind.body), L"Close", {}});
        std::string utf16 = kind.body;
        const size_t encoding = utf16.find("utf-8");
        if (encoding != std::string::npos)
            utf16.replace(encoding, 5, "utf-16");
        cases.push_back({kind.name, Raw(Utf16(utf16)), L"Close", {}});
    }
    // A body of about 50 bytes that is not XML, ended by the connection's close.
    cases.push_back(
        {"a short body that is not XML", Raw("HTTP/1.1 500 oops garbage garbage garbage garbage"), L"Close", {}});
    // Control: pieces of every kind as long as real services send them, and longer.
    const std::string ordinary = " xmlns:x=\"http://schemas.example.test/" + Repeat("u", 160) + "\" a=\"" +
                                 Repeat("v", 200) + "\" " + Repeat("n", 200) + "=\"1\"";
    for (const std::string& body : {AnswerWith(declaration, ordinary, "<" + Repeat("\xC3\xA9", 100) + "/>"),
                                    Utf16(AnswerWith("<?xml version=\"1.0\" encoding=\"utf-16\"?>", ordinary))})
        cases.push_back(
            {"pieces of ordinary length", Raw(body), L"Download", {L"http://downloads.example.test/velto/setup"}});
    for (const Case& c : cases)
        Run(c);
}

} // namespace
