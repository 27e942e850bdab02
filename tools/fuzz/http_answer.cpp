#include "tools/fuzz/http_answer.h"

#include <cctype>
#include <cstdlib>

namespace fuzz {

namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    for (size_t i = 0; prefix[i]; ++i)
        if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

std::string Trim(const std::string& text)
{
    const size_t begin = text.find_first_not_of(" \t");
    const size_t end = text.find_last_not_of(" \t\r");
    return begin == std::string::npos ? std::string() : text.substr(begin, end - begin + 1);
}

struct Head {
    std::string statusLine;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string rest; // what follows the empty line
    bool ended = false;
};

Head ReadHead(const std::string& raw)
{
    Head head;
    size_t at = 0;
    bool first = true;
    while (at < raw.size()) {
        const size_t end = raw.find('\n', at);
        if (end == std::string::npos)
            return head; // the headers never end
        std::string line = raw.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        at = end + 1;
        if (first) {
            head.statusLine = line;
            first = false;
            continue;
        }
        if (line.empty()) {
            head.ended = true;
            head.rest = raw.substr(at);
            return head;
        }
        const size_t colon = line.find(':');
        if (colon != std::string::npos)
            head.headers.emplace_back(Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)));
    }
    return head;
}

} // namespace

HttpAnswer ReadHttpAnswer(const std::string& raw, unsigned split)
{
    HttpAnswer answer;
    // Without a status line WinINet reads the whole answer as the body.
    if (!StartsWithNoCase(raw, "http/")) {
        answer.received = true;
        answer.body = raw;
        return answer;
    }
    const Head head = ReadHead(raw);
    if (!head.ended)
        return answer; // the send waits for the rest of the headers, then fails
    answer.received = true;
    const size_t space = head.statusLine.find(' ');
    answer.status = space == std::string::npos
                        ? 0
                        : static_cast<int>(std::strtol(head.statusLine.c_str() + space + 1, nullptr, 10));
    Framing framing = Framing::Close;
    long long length = -1;
    for (const auto& header : head.headers) {
        if (StartsWithNoCase(header.first, "transfer-encoding") && StartsWithNoCase(header.second, "chunked"))
            framing = Framing::Chunked;
        else if (StartsWithNoCase(header.first, "content-length") && framing != Framing::Chunked) {
            framing = Framing::Length;
            length = std::strtoll(header.second.c_str(), nullptr, 10);
        }
    }
    const std::string& rest = head.rest;
    switch (framing) {
    case Framing::Length: answer.body = length < 0 ? std::string() : rest.substr(0, static_cast<size_t>(length)); break;
    case Framing::Close:
        answer.body = rest;
        // A close-delimited body arrives as the network delivers it.
        for (size_t total = 0, n = 0; total < rest.size(); ++n) {
            const size_t piece = 1 + (split + n * 7919) % 1460;
            answer.reads.push_back(piece);
            total += piece;
        }
        break;
    case Framing::Chunked: {
        size_t at = 0;
        for (;;) {
            const size_t lineEnd = rest.find("\r\n", at);
            char* end = nullptr;
            const std::string line = lineEnd == std::string::npos ? std::string() : rest.substr(at, lineEnd - at);
            const unsigned long size = std::strtoul(line.c_str(), &end, 16);
            if (lineEnd == std::string::npos || end == line.c_str()) {
                answer.breaksOff = true;
                break;
            }
            if (size == 0)
                break;
            at = lineEnd + 2;
            const std::string data = rest.substr(at, size);
            answer.body += data;
            answer.reads.push_back(data.size());
            if (data.size() < size) {
                answer.breaksOff = true;
                break;
            }
            at += size;
            if (rest.compare(at, 2, "\r\n") == 0)
                at += 2;
        }
        break;
    }
    }
    return answer;
}

AnswerParts SplitAnswer(const std::string& raw)
{
    AnswerParts parts;
    if (!StartsWithNoCase(raw, "http/")) {
        parts.noStatusLine = true;
        parts.body = raw;
        return parts;
    }
    const Head head = ReadHead(raw);
    parts.statusLine = head.statusLine;
    parts.framing = Framing::Close;
    for (const auto& header : head.headers) {
        if (StartsWithNoCase(header.first, "transfer-encoding"))
            parts.framing = Framing::Chunked;
        else if (StartsWithNoCase(header.first, "content-length"))
            parts.framing = parts.framing == Framing::Chunked ? Framing::Chunked : Framing::Length;
        else
            parts.headers.push_back(header);
    }
    parts.body = ReadHttpAnswer(raw, 0).body;
    return parts;
}

std::string AnswerParts::Bytes() const
{
    if (noStatusLine)
        return body;
    std::string out = statusLine + "\r\n";
    for (const auto& header : headers)
        out += header.first + ": " + header.second + "\r\n";
    if (framing == Framing::Length) {
        const long long length = static_cast<long long>(body.size()) + lengthError;
        out += "Content-Length: " + std::to_string(length < 0 ? 0 : length) + "\r\n";
    } else if (framing == Framing::Chunked) {
        out += "Transfer-Encoding: chunked\r\n";
    }
    out += "\r\n";
    if (framing != Framing::Chunked)
        return out + body;
    static const char kHex[] = "0123456789abcdef";
    const auto chunk = [&](size_t begin, size_t size) {
        std::string hex;
        for (size_t n = size; n; n /= 16)
            hex.insert(hex.begin(), kHex[n % 16]);
        out += (hex.empty() ? "0" : hex) + "\r\n" + body.substr(begin, size) + "\r\n";
    };
    size_t at = 0;
    for (const size_t size : chunks) {
        if (at >= body.size() || size == 0)
            break;
        const size_t taken = size < body.size() - at ? size : body.size() - at;
        chunk(at, taken);
        at += taken;
    }
    if (at < body.size())
        chunk(at, body.size() - at);
    return out + "0\r\n\r\n";
}

} // namespace fuzz
