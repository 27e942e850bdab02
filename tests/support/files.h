#pragma once
// Reading what a test's programs wrote, and the text conversions for it.
#include <optional>
#include <string>

namespace test {

// The whole content of a file; nothing when it cannot be opened.
std::optional<std::string> ReadWholeFile(const std::wstring& path);

// UTF-8 bytes as UTF-16 text and back; programs under test write UTF-8.
std::wstring FromUtf8(const std::string& bytes);
std::string ToUtf8(const std::wstring& text);

} // namespace test
