// Shows one message box and reports the identifier that ended it, so a
// person or a test can look at any message.
//
//   message_box.exe [--caption TEXT] [--text TEXT] [--type N]
//                   [--button ID[=LABEL]]... [--out FILE]
//
// --text may hold markup ({hl}text{hl=http://...}); "\n" in it is a line
// break. --type: 1 error, 2 warning, 3 information, 4 question, other none.
// --button ID alone gives the standard label of ID (1, 2, 6, 7, 8), with
// =LABEL the label given; buttons appear in the order given. The result is
// written to standard output when there is one and to FILE with --out (a GUI
// program under Wine has no console). Exit code: 0, or 2 for bad arguments.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

#include "framework/scoped_handle.h"
#include "message/message_box.h"

namespace {
std::wstring Unescape(const std::wstring& text)
{
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\\' && i + 1 < text.size() && text[i + 1] == L'n') {
            out += L'\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

void Report(const std::wstring& outFile, int result)
{
    const std::string line = std::to_string(result) + "\n";
    DWORD written = 0;
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (out && out != INVALID_HANDLE_VALUE)
        ::WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    if (outFile.empty())
        return;
    HANDLE file =
        ::CreateFileW(outFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const ScopedKernelHandle owned(file);
    ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// Holds CommandLineToArgvW's array for the life of the object.
class Arguments {
public:
    Arguments() : m_argv(::CommandLineToArgvW(::GetCommandLineW(), &m_argc)) {}
    ~Arguments() { ::LocalFree(m_argv); }
    Arguments(const Arguments&) = delete;
    Arguments& operator=(const Arguments&) = delete;
    int Count() const { return m_argv ? m_argc : 0; }
    const wchar_t* operator[](int i) const { return m_argv[i]; }

private:
    int m_argc = 0;
    LPWSTR* m_argv;
};
} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    const Arguments args;
    std::wstring caption, text, outFile;
    unsigned type = 0;
    Message::ButtonSpecs buttons;
    for (int i = 1; i < args.Count(); ++i) {
        const std::wstring option = args[i];
        if (i + 1 >= args.Count())
            return 2;
        const std::wstring value = args[++i];
        if (option == L"--caption") {
            caption = value;
        } else if (option == L"--text") {
            text = Unescape(value);
        } else if (option == L"--type") {
            type = static_cast<unsigned>(std::wcstoul(value.c_str(), nullptr, 10));
        } else if (option == L"--out") {
            outFile = value;
        } else if (option == L"--button") {
            const size_t equals = value.find(L'=');
            const int id = static_cast<int>(std::wcstol(value.substr(0, equals).c_str(), nullptr, 10));
            if (equals == std::wstring::npos)
                Message::AddStandardButton(buttons, id);
            else
                Message::AddButton(buttons, Message::ButtonSpec{value.substr(equals + 1), id});
        } else {
            return 2;
        }
    }

    ::CoInitialize(nullptr); // the shell opens links
    const int result = Message::Show(caption, text, static_cast<Message::Type>(type), buttons);
    ::CoUninitialize();
    Report(outFile, result);
    return 0;
}
