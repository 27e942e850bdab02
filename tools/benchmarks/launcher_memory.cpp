// Peak memory of the real launcher for answers of every size: an ordinary
// check against answers of 1, 16 and 64 MB, endless ones, a short body that
// is not XML and response header lines without end. Each start runs the
// launcher beside the recording product, waits for its box (the check is
// over by then), reads the process's peak working set, holds the box open
// as long as the case says and answers it.
//
//   launcher_memory PORT LAUNCHER_EXE PRODUCT_EXE
//
// PORT is where the update service tool listens: the launcher's own endpoint
// (run_launcher_memory.sh starts it there).
#include "framework/scoped_handle.h"
#include "tools/benchmarks/service_control.h"
#include "tools/driver/process_driver.h"

#include <psapi.h>

#include <cstdio>
#include <string>

namespace {

const std::string kResultStart =
    "<soap:Envelope xmlns:soap=\\\"http://schemas.xmlsoap.org/soap/envelope/\\\"><soap:Body>"
    "<GetVersionInfoResponse xmlns=\\\"http://tempuri.org/\\\"><GetVersionInfoResult>";
const std::string kResultEnd = "</GetVersionInfoResult></GetVersionInfoResponse></soap:Body></soap:Envelope>";
const std::string kHeaderStart =
    "<soap:Envelope xmlns:soap=\\\"http://schemas.xmlsoap.org/soap/envelope/\\\"><soap:Header><h:A "
    "xmlns:h=\\\"urn:h\\\">";

// A generated answer body: `megabytes` of `piece` between prefix and suffix,
// or without end for 0.
std::string Stream(const std::string& prefix, const std::string& piece, int megabytes, const std::string& suffix,
                   const std::string& more = "")
{
    std::string json = "{\"stream\": {\"prefix\": \"" + prefix + "\", \"piece\": \"" + piece + "\"";
    if (megabytes > 0)
        json += ", \"size\": " + std::to_string(megabytes * 1048576) + ", \"suffix\": \"" + suffix + "\"";
    return json + "}" + more + "}";
}

// An answer of exactly these bytes (JSON string content), then the connection closes.
std::string Raw(const std::string& bytes)
{
    return "{\"raw\": \"" + bytes + "\"}";
}

struct Result {
    bool box = false;
    bool ended = false; // ended without a box (an answer read as up to date)
    double seconds = 0;
    double peakMb = 0;
    double boxMb = 0; // the working set when the box showed
};

double Megabytes(SIZE_T bytes)
{
    return static_cast<double>(bytes) / 1048576.0;
}

PROCESS_MEMORY_COUNTERS Counters(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(process, &counters, sizeof counters);
    return counters;
}

// Starts the launcher and follows its peak working set until its box shows
// (the check is over then) or it ends; holds the box open `holdMs`, then
// answers it.
Result RunLauncher(const std::wstring& launcher, DWORD holdMs)
{
    Result result;
    const ULONGLONG begin = ::GetTickCount64();
    driver::RunningProcess process(launcher, L"launcher.exe");
    const ScopedKernelHandle owned(
        process.Started() ? ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process.Id()) : nullptr);
    const HANDLE handle = owned.get();
    if (!handle)
        return result;
    HWND dialog = nullptr;
    while (!dialog && ::GetTickCount64() - begin < 60000) {
        // Once ended, a process reports no counters: the last reading stands.
        if (process.Wait(0)) {
            result.ended = true;
            break;
        }
        const double peak = Megabytes(Counters(handle).PeakWorkingSetSize);
        if (peak > result.peakMb)
            result.peakMb = peak;
        dialog = driver::WaitForDialog(process.Id(), 25);
    }
    result.seconds = static_cast<double>(::GetTickCount64() - begin) / 1000.0;
    if (dialog) {
        result.box = true;
        result.boxMb = Megabytes(Counters(handle).WorkingSetSize);
        ::Sleep(holdMs);
        const double peak = Megabytes(Counters(handle).PeakWorkingSetSize);
        if (peak > result.peakMb)
            result.peakMb = peak;
        // "No" for the question, "Close" for the error box: both end it.
        const std::vector<driver::Button> buttons = driver::Buttons(dialog);
        if (!buttons.empty())
            driver::Press(buttons.back());
        process.Wait(30000);
    }
    return result;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: launcher_memory PORT LAUNCHER_EXE PRODUCT_EXE\n");
        return 2;
    }
    const unsigned short port = static_cast<unsigned short>(_wtoi(argv[1]));

    // An installation of its own, whose product records instead of showing a window.
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"launcher memory " + std::to_wstring(::GetCurrentProcessId()) + L"\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring launcher = folder + L"launcher.exe";
    if (!::CopyFileW(argv[2], launcher.c_str(), FALSE) ||
        !::CopyFileW(argv[3], (folder + L"orlix.bim").c_str(), FALSE)) {
        std::fprintf(stderr, "cannot install the launcher in %ls\n", folder.c_str());
        return 1;
    }
    ::SetEnvironmentVariableW(L"ORLIX_RECORD_FILE", (folder + L"record.txt").c_str());

    const std::string headerFlood = R"({"framing": "raw", "stream": {"prefix": "HTTP/1.1 200 OK\r\n",)"
                                    R"( "piece": "X-Flood: aaaaaaaaaaaaaaaa\r\n"}})";
    struct Case {
        const char* name;
        std::string answer;
        DWORD holdMs = 0; // how long the box stays open
    } const cases[] = {
        {"ordinary check (newer build)", R"({"version": "1.1.1.1", "url": "http://example.test/download"})"},
        {"answer text 1 MB", Stream(kResultStart, "abcdefgh", 1, kResultEnd)},
        {"answer text 16 MB", Stream(kResultStart, "abcdefgh", 16, kResultEnd)},
        {"answer text 64 MB", Stream(kResultStart, "abcdefgh", 64, kResultEnd)},
        {"answer text endless", Stream(kResultStart, "abcdefgh", 0, "")},
        {"answer text endless, chunked", Stream(kResultStart, "abcdefgh", 0, "", R"(, "framing": "chunked")")},
        {"skipped Header 64 MB",
         Stream(kHeaderStart, "<b>x</b>", 64, "</h:A></soap:Header><soap:Body/></soap:Envelope>")},
        {"skipped Header endless", Stream(kHeaderStart, "<b>x</b>", 0, "")},
        {"fault endless", Stream("<soap:Envelope xmlns:soap=\\\"http://schemas.xmlsoap.org/soap/envelope/\\\">"
                                 "<soap:Body><soap:Fault><detail>",
                                 "<e>x</e>", 0, "", R"(, "status": 500)")},
        // About 50 bytes, neither XML nor ended by a length: the connection closes.
        {"short non-XML body", Raw("HTTP/1.1 500 oops garbage garbage garbage garbage")},
        {"header lines endless", headerFlood},
        {"header lines endless, box 30 s", headerFlood, 30000},
    };
    std::printf("%-32s %-10s %10s %12s %22s\n", "answer", "outcome", "after", "peak WS", "WS at the box");
    double ordinary = 0;
    for (const Case& c : cases) {
        if (!SetDefaultAnswer(port, c.answer)) {
            std::fprintf(stderr, "the update service does not answer on port %u\n", port);
            return 1;
        }
        const Result r = RunLauncher(launcher, c.holdMs);
        if (ordinary == 0)
            ordinary = r.peakMb;
        const char* outcome = r.box ? "box" : r.ended ? "no box" : "still runs";
        std::printf("%-32s %-10s %8.1f s %9.1f MB  (%+.1f MB) %9.1f MB\n", c.name, outcome, r.seconds, r.peakMb,
                    r.peakMb - ordinary, r.boxMb);
        std::fflush(stdout);
    }
    SetDefaultAnswer(port, R"({"version": "1.1.1.0"})");
    ::DeleteFileW((folder + L"record.txt").c_str());
    ::DeleteFileW((folder + L"orlix.bim").c_str());
    ::DeleteFileW(launcher.c_str());
    ::RemoveDirectoryW(folder.c_str());
    return 0;
}
