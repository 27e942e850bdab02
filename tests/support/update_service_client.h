#pragma once
// Test-side control of the update service tool (tools/update_service): script
// its next answers and read what it received. It talks plain HTTP over
// Winsock, so it shares no state with the WinINet code under test.
#include <string>

namespace test {

// The port the service listens on for this test run: the build's
// UPDATE_TEST_SERVICE_PORT.
unsigned short UpdateServicePort();

// A loopback port that nobody listens on: one the system handed out and took
// back (the ports beside the service's serve the TLS and proxy tests).
unsigned short ClosedPort();

// "http://127.0.0.1:<port>/Service.asmx".
std::wstring UpdateServiceUrl(unsigned short port = UpdateServicePort());

// A JSON string literal (quotes included) for UTF-16 text.
std::string JsonString(const std::wstring& text);

// The answer of a newer build (1.1.1.1) with the download URL `url`; `more`
// adds answer fields (", \"encoding\": ...").
std::string NewerBuild(const std::wstring& url, const std::string& more = "");

class UpdateServiceControl {
public:
    explicit UpdateServiceControl(unsigned short port = UpdateServicePort());

    // Each returns false when the service did not accept the command.
    bool Reset();                                   // no scripted answers, no records, startup default
    bool Script(const std::string& answersJson);    // an answer object or an array of them, queued
    bool SetDefault(const std::string& answerJson); // the answer when the queue is empty

    int RequestCount();             // -1 when the service cannot be asked
    std::string Request(int index); // the exact bytes received, "" when none
    std::string LastRequest();
    std::string RequestsJson();

    // One HTTP exchange with the control endpoint; the reply body in `reply`.
    bool Exchange(const char* method, const std::string& path, const std::string& body, std::string* reply,
                  int* status = nullptr);

private:
    unsigned short m_port;
};

} // namespace test
