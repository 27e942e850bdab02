// Prints how long a start through the launcher takes, against the start-up
// floor (floor.exe: the launcher's imports and manifest, only the platform
// calls of a run) and against starting the product directly, interleaved in
// one run; and how long it takes until the error box appears when the
// service cannot be reached. Run it through scripts/benchmark-startup.sh,
// which installs the programs and sets up the service for each phase.
//
//   startup_benchmark launch <folder> <runs>    service answers "up to date"
//   startup_benchmark errorbox <folder> <runs>  service port closed
//
// <folder> holds launcher.exe, floor.exe and the recording product as
// orlix.bim.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/driver/process_driver.h"

namespace {

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

bool Exists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Milliseconds from starting `application` until the product's record file
// appears (the product is running); negative when it does not within 30 s.
double TimeUntilProductRuns(const std::wstring& application, const std::wstring& record)
{
    ::DeleteFileW(record.c_str());
    const double begin = Now();
    driver::RunningProcess process(application, L"\"" + application + L"\" -benchmark");
    if (!process.Started())
        return -1;
    while (!Exists(record)) {
        if (Now() - begin > 30000)
            return -1;
        ::Sleep(1);
    }
    const double elapsed = Now() - begin;
    process.Wait(30000);
    return elapsed;
}

struct Summary {
    double median = 0, minimum = 0, maximum = 0;
};

Summary Summarize(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    if (samples.empty())
        return {};
    return {samples[samples.size() / 2], samples.front(), samples.back()};
}

void Print(const char* what, const Summary& s, size_t runs)
{
    std::printf("%-44s median %8.1f ms  min %8.1f  max %8.1f  (%zu runs)\n", what, s.median, s.minimum, s.maximum,
                runs);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: startup_benchmark launch|errorbox <folder> <runs>\n");
        return 2;
    }
    const std::wstring mode = argv[1];
    std::wstring folder = argv[2];
    if (folder.back() != L'\\')
        folder += L'\\';
    const int runs = std::max(1, _wtoi(argv[3]));
    const std::wstring record = folder + L"benchmark-record.txt";
    ::SetEnvironmentVariableW(L"ORLIX_RECORD_FILE", record.c_str());

    if (mode == L"launch") {
        const wchar_t* const programs[] = {L"launcher.exe", L"floor.exe", L"orlix.bim"};
        std::vector<double> samples[3];
        for (int i = 0; i < runs; ++i) {
            for (int p = 0; p < 3; ++p) {
                const double elapsed = TimeUntilProductRuns(folder + programs[p], record);
                if (elapsed < 0) {
                    std::fprintf(stderr, "run %d: the product did not start through %ls\n", i, programs[p]);
                    return 1;
                }
                samples[p].push_back(elapsed);
            }
        }
        const Summary launcher = Summarize(samples[0]), floor = Summarize(samples[1]), direct = Summarize(samples[2]);
        Print("launcher.exe until the product runs", launcher, samples[0].size());
        Print("floor.exe (platform calls only) until then", floor, samples[1].size());
        Print("orlix.bim started directly", direct, samples[2].size());
        std::printf("%-44s %8.2f\n", "launcher / floor (medians)", launcher.median / floor.median);
        std::printf("%-44s %8.2f\n", "launcher / direct (medians)", launcher.median / direct.median);
        return 0;
    }
    if (mode == L"errorbox") {
        std::vector<double> samples;
        for (int i = 0; i < runs; ++i) {
            const double begin = Now();
            driver::RunningProcess process(folder + L"launcher.exe", L"launcher.exe");
            const HWND dialog = driver::WaitForDialog(process.Id(), 30000);
            if (!dialog) {
                std::fprintf(stderr, "run %d: no error box\n", i);
                return 1;
            }
            samples.push_back(Now() - begin);
            for (const driver::Button& button : driver::Buttons(dialog))
                driver::Press(button);
            process.Wait(10000);
        }
        Print("launcher.exe until the error box shows", Summarize(samples), samples.size());
        return 0;
    }
    std::fprintf(stderr, "unknown mode\n");
    return 2;
}
