// The networks users have: the service over HTTPS, and a proxy set in the
// system's Internet settings. Through the real launcher (for HTTPS the one
// built for https://localhost, tests/e2e/CMakeLists.txt), the service on
// loopback with certificates that scripts/test.sh made, and Debian's
// tinyproxy (tools/test_proxy).
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/installation.h"
#include "tests/support/update_service_client.h"
#include "tools/driver/process_driver.h"

namespace {

const std::vector<std::wstring> kQuestionBox = {L"Download", L"No"};
const std::vector<std::wstring> kErrorBox = {L"Close"};
constexpr char kNewerBuild[] = R"({"version": "1.1.1.1", "url": "http://x.test/"})";

struct Outcome {
    std::vector<std::wstring> labels; // of the box the launcher showed
    int visibleWindows = 0;           // of the launcher while it showed it
    bool productStarted = false;
};

int VisibleWindowsOf(DWORD processId)
{
    struct Count {
        DWORD processId;
        int windows;
    } count = {processId, 0};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* c = reinterpret_cast<Count*>(param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == c->processId && ::IsWindowVisible(window))
                ++c->windows;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.windows;
}

// Starts the installed launcher, which must show a box; answers it with its
// last button ("No", "Close") and waits for the end and the product.
Outcome RunToBox(const std::wstring& folder, const std::wstring& scratch)
{
    Outcome outcome;
    const e2e::RecordFile record(scratch);
    driver::RunningProcess launcher(folder + L"launcher.exe", L"launcher.exe");
    const HWND dialog = driver::WaitForDialog(launcher.Id(), 30000);
    if (!dialog) {
        ADD_FAILURE() << "no box";
        return outcome;
    }
    // A prompt of the platform's (a certificate warning, a password box)
    // would be the box found here, or a window beside it.
    ::Sleep(500);
    outcome.visibleWindows = VisibleWindowsOf(launcher.Id());
    const std::vector<driver::Button> buttons = driver::Buttons(dialog);
    for (const driver::Button& b : buttons)
        outcome.labels.push_back(b.text);
    if (!buttons.empty())
        driver::Press(buttons.back());
    EXPECT_TRUE(launcher.Wait(30000)) << "the launcher did not end";
    outcome.productStarted = record.Wait(10000).has_value();
    return outcome;
}

// Sets the system's proxy (the current user's Internet settings) while it
// lives, then puts the earlier values back.
class ScopedSystemProxy {
public:
    explicit ScopedSystemProxy(const std::wstring& server)
    {
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &m_key,
                          nullptr);
        m_enable = Read(L"ProxyEnable");
        m_server = Read(L"ProxyServer");
        const DWORD on = 1;
        ::RegSetValueExW(m_key, L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on);
        ::RegSetValueExW(m_key, L"ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                         static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
    }
    ~ScopedSystemProxy()
    {
        Restore(L"ProxyEnable", m_enable);
        Restore(L"ProxyServer", m_server);
        ::RegCloseKey(m_key);
    }
    ScopedSystemProxy(const ScopedSystemProxy&) = delete;
    ScopedSystemProxy& operator=(const ScopedSystemProxy&) = delete;

private:
    struct Value {
        DWORD type;
        std::vector<BYTE> data;
    };
    static constexpr wchar_t kKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

    std::optional<Value> Read(const wchar_t* name) const
    {
        Value value = {};
        DWORD size = 0;
        if (::RegQueryValueExW(m_key, name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        value.data.resize(size);
        if (::RegQueryValueExW(m_key, name, nullptr, &value.type, value.data.data(), &size) != ERROR_SUCCESS)
            return std::nullopt;
        return value;
    }
    void Restore(const wchar_t* name, const std::optional<Value>& value) const
    {
        if (value)
            ::RegSetValueExW(m_key, name, 0, value->type, value->data.data(), static_cast<DWORD>(value->data.size()));
        else
            ::RegDeleteValueW(m_key, name);
    }

    HKEY m_key = nullptr;
    std::optional<Value> m_enable;
    std::optional<Value> m_server;
};

class Networks : public testing::Test {
protected:
    test::TempFolder m_temp;
    test::UpdateServiceControl m_service;
};

} // namespace

TEST_F(Networks, HttpsEndpointTrustsOnlyAValidCertificateForItsHost)
{
    const std::wstring folder = m_temp.MakeFolder(L"Velto Backup");
    e2e::Install(folder);
    test::CopyFileOrFail(test::WindowsPath(HTTPS_LAUNCHER_EXE), folder + L"launcher.exe");
    const struct Case {
        const char* certificate; // tools/update_service: <name>.pem of the test certificates
        bool trusted;
    } cases[] = {
        {"trusted", true},         // for localhost, from the CA the machine trusts
        {"unknown-issuer", false}, // from a CA that nobody trusts
        {"expired", false},
        {"wrong-host", false}, // for 127.0.0.1, asked as localhost
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.certificate);
        ASSERT_TRUE(m_service.Reset()) << "the update service does not answer";
        ASSERT_TRUE(m_service.Exchange("POST", "/control/certificate", c.certificate, nullptr))
            << "the service has no test certificates: scripts/test.sh makes them";
        ASSERT_TRUE(m_service.SetDefault(kNewerBuild));
        const Outcome outcome = RunToBox(folder, m_temp.Path());
        EXPECT_EQ(c.trusted ? kQuestionBox : kErrorBox, outcome.labels);
        EXPECT_EQ(1, outcome.visibleWindows) << "something prompted";
        EXPECT_TRUE(outcome.productStarted);
        if (c.trusted) {
            EXPECT_EQ(1, m_service.RequestCount());
            EXPECT_NE(std::string::npos, m_service.RequestsJson().find("\"tls\": true")) << "not over TLS";
        } else {
            EXPECT_EQ(0, m_service.RequestCount()) << "the request went out over an untrusted connection";
        }
    }
}

TEST_F(Networks, SystemProxyCarriesTheRequest)
{
    const std::wstring folder = m_temp.MakeFolder(L"Velto Backup");
    e2e::Install(folder);
    const struct Case {
        int port;
        bool open; // else it demands credentials, which the launcher has none of
    } cases[] = {{TEST_PROXY_PORT, true}, {TEST_AUTH_PROXY_PORT, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port);
        ASSERT_TRUE(m_service.Reset()) << "the update service does not answer";
        ASSERT_TRUE(m_service.SetDefault(kNewerBuild));
        const ScopedSystemProxy proxy(L"127.0.0.1:" + std::to_wstring(c.port));
        const Outcome outcome = RunToBox(folder, m_temp.Path());
        EXPECT_EQ(c.open ? kQuestionBox : kErrorBox, outcome.labels);
        EXPECT_EQ(1, outcome.visibleWindows) << "something prompted";
        EXPECT_TRUE(outcome.productStarted);
        if (c.open) {
            ASSERT_EQ(1, m_service.RequestCount());
            // tinyproxy's mark: "Via: 1.0 <host> (tinyproxy/<version>)".
            EXPECT_NE(std::string::npos, m_service.LastRequest().find("(tinyproxy/")) << "not through the proxy:\n"
                                                                                      << m_service.LastRequest();
        } else {
            EXPECT_EQ(0, m_service.RequestCount());
        }
    }
}
