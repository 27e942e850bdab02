// The answer fuzzer: seeded mutations of real services' answers, each sent
// through the update service proxy as one call (the SOAP layer, the real SAX
// reader behind its guard, the answer's reading) from memory, in process.
// Every case must end as a failed or successful call: no crash, no hang,
// memory bounded.
//
//   answer_fuzzer --corpus DIR [--seed N] [--cases N | --minutes M] [--out DIR]
//       runs cases in a worker process that it watches; a case that crashes
//       the worker, hangs or grows its memory is written to DIR (default: the
//       current folder) as failure-<seed>-<case>.http, and the run goes on
//       with the next case. Exit code 1 when any case failed.
//   answer_fuzzer --replay FILE|DIR ...
//       runs the given answers in this process: a test of fixed cases.
#include "framework/scoped_handle.h"
#include "tools/fuzz/http_answer.h"
#include "tools/fuzz/memory_transport.h"
#include "tools/fuzz/mutator.h"
#include "update/idn_host.h"
#include "update/service_impl.h"
#include "update/version_answer.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// A call may hold a 1 MiB body and what the reader builds of it; more than
// this above the worker's settled size is memory growing with the answer.
constexpr double kMemoryAllowanceMb = 64;
constexpr DWORD kHangMilliseconds = 30000; // three times a call's total limit
constexpr int kMemoryExitCode = 3;

std::wstring WindowsPath(const std::wstring& path)
{
    std::wstring out = !path.empty() && path[0] == L'/' ? L"Z:" : L"";
    for (const wchar_t c : path)
        out += c == L'/' ? L'\\' : c;
    return out;
}

bool ReadFile(const std::wstring& path, std::string& bytes)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return static_cast<bool>(in) || in.eof();
}

bool WriteFile(const std::wstring& path, const std::string& bytes)
{
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// The files of `path`, or `path` itself when it is a file, in name order.
std::vector<std::wstring> Files(const std::wstring& path)
{
    const std::wstring windows = WindowsPath(path);
    const DWORD attributes = ::GetFileAttributesW(windows.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return {};
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {windows};
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found;
    const ScopedFindHandle search(::FindFirstFileW((windows + L"\\*").c_str(), &found));
    if (search) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                files.push_back(windows + L"\\" + found.cFileName);
        } while (::FindNextFileW(search.get(), &found));
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> ReadCorpus(const std::wstring& folder)
{
    std::vector<std::string> seeds;
    for (const std::wstring& file : Files(folder)) {
        std::string bytes;
        if (ReadFile(file, bytes))
            seeds.push_back(bytes);
    }
    return seeds;
}

double PeakWorkingSetMb()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    return ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)
               ? static_cast<double>(counters.PeakWorkingSetSize) / 1048576.0
               : 0;
}

enum class Outcome { Answered, Failed };

// One call of the proxy over `raw`, and the answer read as the launcher reads it.
Outcome RunCase(const std::string& raw, unsigned split)
{
    const fuzz::HttpAnswer answer = fuzz::ReadHttpAnswer(raw, split);
    Service::CServiceT<fuzz::CMemoryTransport> service;
    service.SetAnswer(&answer);
    BSTR result = nullptr;
    if (service.GetVersionInfo(&result) != S_OK)
        return Outcome::Failed;
    const ScopedBstr owned(result);
    const std::wstring text = result ? std::wstring(result, ::SysStringLen(result)) : std::wstring();
    CompareAnswer(text, SplitVersion(kBuiltInVersion));
    IsOpenableDownloadUrl(ToPlainWebAddress(ReadDownloadUrl(text), IdnHostToAscii));
    return Outcome::Answered;
}

// What the watched worker shares with the fuzzer that watches it.
struct Progress {
    volatile LONG current; // the case being run
    volatile LONG finished;
};

std::wstring ProgressName(DWORD fuzzerId)
{
    return L"Local\\answer-fuzzer-" + std::to_wstring(fuzzerId);
}

// The worker: cases [first, last) of `seed`, its progress in shared memory.
int Work(const std::vector<std::string>& seeds, uint32_t seed, LONG first, LONG last, DWORD fuzzerId)
{
    const ScopedKernelHandle mapping(::OpenFileMappingW(FILE_MAP_WRITE, FALSE, ProgressName(fuzzerId).c_str()));
    auto* progress =
        mapping ? static_cast<Progress*>(::MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, 0)) : nullptr;
    if (!progress || seeds.empty())
        return 2;
    double settled = 0;
    for (LONG n = first; n < last; ++n) {
        progress->current = n;
        const uint32_t number = static_cast<uint32_t>(n);
        RunCase(fuzz::MutateAnswer(seeds[number % seeds.size()], seed, number), number);
        // The first cases load the reader and the heap settles.
        if (n == first + 20 || (settled == 0 && n + 1 == last))
            settled = PeakWorkingSetMb();
        if (settled != 0 && PeakWorkingSetMb() > settled + kMemoryAllowanceMb)
            return kMemoryExitCode;
    }
    progress->finished = 1;
    ::UnmapViewOfFile(progress);
    return 0;
}

struct Options {
    std::wstring corpus;
    std::wstring out = L".";
    uint32_t seed = 1;
    LONG cases = 1000;
    double minutes = 0;
    std::vector<std::wstring> replay;
    bool worker = false;
    LONG first = 0, last = 0;
    DWORD fuzzerId = 0;
};

bool ParseOptions(int argc, wchar_t** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        const bool more = i + 1 < argc;
        if (a == L"--corpus" && more)
            options.corpus = argv[++i];
        else if (a == L"--out" && more)
            options.out = WindowsPath(argv[++i]);
        else if (a == L"--seed" && more)
            options.seed = static_cast<uint32_t>(std::wcstoul(argv[++i], nullptr, 10));
        else if (a == L"--cases" && more)
            options.cases = std::wcstol(argv[++i], nullptr, 10);
        else if (a == L"--minutes" && more)
            options.minutes = std::wcstod(argv[++i], nullptr);
        else if (a == L"--worker" && i + 3 < argc) {
            options.worker = true;
            options.first = std::wcstol(argv[++i], nullptr, 10);
            options.last = std::wcstol(argv[++i], nullptr, 10);
            options.fuzzerId = std::wcstoul(argv[++i], nullptr, 10);
        } else if (a == L"--replay") {
            while (i + 1 < argc)
                options.replay.push_back(argv[++i]);
        } else {
            return false;
        }
    }
    return !options.corpus.empty() || !options.replay.empty();
}

int Replay(const std::vector<std::wstring>& paths)
{
    int answered = 0, failed = 0;
    for (const std::wstring& path : paths) {
        for (const std::wstring& file : Files(path)) {
            std::string raw;
            if (!ReadFile(file, raw)) {
                std::fprintf(stderr, "cannot read %ls\n", file.c_str());
                return 2;
            }
            const double before = PeakWorkingSetMb();
            const bool ok = RunCase(raw, 0) == Outcome::Answered;
            (ok ? answered : failed)++;
            const double grown = PeakWorkingSetMb() - before;
            std::printf("%-60ls %s\n", file.substr(file.find_last_of(L'\\') + 1).c_str(),
                        ok ? "answered" : "failed call");
            if (grown > kMemoryAllowanceMb) {
                std::fprintf(stderr, "memory grew by %.1f MB\n", grown);
                return 1;
            }
        }
    }
    std::printf("%d answered, %d failed calls, no crash\n", answered, failed);
    return answered + failed > 0 ? 0 : 2;
}

// Runs the worker over [first, last): the case it stopped at when it failed,
// or `last` when all ended as calls.
LONG Watch(const Options& options, Progress* progress, LONG first, LONG last, const char** why)
{
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --corpus \"" + options.corpus + L"\" --seed " +
                           std::to_wstring(options.seed) + L" --worker " + std::to_wstring(first) + L" " +
                           std::to_wstring(last) + L" " + std::to_wstring(::GetCurrentProcessId());
    progress->current = first;
    progress->finished = 0;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        *why = "the worker did not start";
        return first;
    }
    const ScopedKernelHandle process(info.hProcess);
    const ScopedKernelHandle thread(info.hThread);
    LONG seen = first;
    DWORD since = ::GetTickCount();
    while (::WaitForSingleObject(process.get(), 500) == WAIT_TIMEOUT) {
        if (progress->current != seen) {
            seen = progress->current;
            since = ::GetTickCount();
        } else if (::GetTickCount() - since > kHangMilliseconds) {
            ::TerminateProcess(process.get(), 1);
            ::WaitForSingleObject(process.get(), 5000);
            *why = "hang";
            return progress->current;
        }
    }
    DWORD code = 1;
    ::GetExitCodeProcess(process.get(), &code);
    if (code == 0 && progress->finished)
        return last;
    *why = code == kMemoryExitCode ? "memory" : "crash";
    return progress->current;
}

int Fuzz(const Options& options, const std::vector<std::string>& seeds)
{
    const ScopedKernelHandle mapping(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                          sizeof(Progress),
                                                          ProgressName(::GetCurrentProcessId()).c_str()));
    auto* progress =
        mapping ? static_cast<Progress*>(::MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, 0)) : nullptr;
    if (!progress)
        return 2;
    const ULONGLONG begin = ::GetTickCount64();
    const ULONGLONG budget = static_cast<ULONGLONG>(options.minutes * 60000);
    constexpr LONG kBatch = 2000; // cases one worker runs
    LONG next = 0, failures = 0;
    while (budget ? ::GetTickCount64() - begin < budget : next < options.cases) {
        const LONG last = budget ? next + kBatch : (next + kBatch < options.cases ? next + kBatch : options.cases);
        const char* why = "";
        const LONG stopped = Watch(options, progress, next, last, &why);
        if (stopped >= last) {
            next = last;
            continue;
        }
        ++failures;
        const uint32_t number = static_cast<uint32_t>(stopped);
        const std::wstring file =
            options.out + L"\\failure-" + std::to_wstring(options.seed) + L"-" + std::to_wstring(number) + L".http";
        WriteFile(file, fuzz::MutateAnswer(seeds[number % seeds.size()], options.seed, number));
        std::printf("case %ld: %s, written to %ls\n", static_cast<long>(stopped), why, file.c_str());
        std::fflush(stdout);
        next = stopped + 1;
    }
    const double seconds = static_cast<double>(::GetTickCount64() - begin) / 1000.0;
    std::printf("%ld cases of seed %u in %.1f s (%.0f a minute), %ld failed\n", static_cast<long>(next), options.seed,
                seconds, next / seconds * 60, static_cast<long>(failures));
    ::UnmapViewOfFile(progress);
    return failures ? 1 : 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: answer_fuzzer --corpus DIR [--seed N] [--cases N | --minutes M] [--out DIR]\n"
                             "       answer_fuzzer --replay FILE|DIR ...\n");
        return 2;
    }
    // Where a case crashes the worker, the fuzzer wants its exit code, not a debugger.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 2;
    int code = 0;
    if (!options.replay.empty()) {
        code = Replay(options.replay);
    } else {
        const std::vector<std::string> seeds = ReadCorpus(options.corpus);
        if (seeds.empty()) {
            std::fprintf(stderr, "no answers in %ls\n", options.corpus.c_str());
            code = 2;
        } else {
            code = options.worker ? Work(seeds, options.seed, options.first, options.last, options.fuzzerId)
                                  : Fuzz(options, seeds);
        }
    }
    ::CoUninitialize();
    return code;
}
