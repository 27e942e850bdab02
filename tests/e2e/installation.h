#pragma once
// An installation of the real launcher beside the recording product, and
// what a test reads back: the product's record and the shell's log.
#include <optional>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/record.h"
#include "tests/support/shell_log.h"

namespace e2e {

// Copies launcher.exe and (unless told not to) the recording product as
// orlix.bim into `folder`.
void Install(const std::wstring& folder, bool withProduct = true);

// Where the product of a launcher started while this object lives writes
// its record: a file in `folder`, named through ORLIX_RECORD_FILE.
class RecordFile {
public:
    explicit RecordFile(const std::wstring& folder);
    const std::wstring& Path() const { return m_path; }
    std::optional<test::ProductRecord> Wait(DWORD timeoutMilliseconds) const;

private:
    std::wstring m_path;
    test::ScopedEnvironment m_environment;
};

struct Launch {
    test::RunResult run;
    std::optional<test::ProductRecord> record;
};

// Runs the installed launcher with `commandLine` to its end, then waits for
// the product's record.
Launch RunLauncher(const std::wstring& folder, const std::wstring& commandLine, const std::wstring& scratch,
                   DWORD recordTimeout = 10000);

} // namespace e2e
