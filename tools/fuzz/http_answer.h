#pragma once
// An HTTP answer as the transport receives it, read from its raw bytes the
// way WinINet hands it on: whether it came at all, its status, and its body
// as the reads of the response stream deliver it.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace fuzz {

enum class Framing { Length, Chunked, Close };

struct HttpAnswer {
    bool received = false;     // a status line (or none at all) and the end of the headers came
    int status = 0;            // 0 when the answer has no status line
    std::string body;          // without its framing
    std::vector<size_t> reads; // the most bytes each read hands on, in order; later reads take any size
    bool breaksOff = false;    // the body ends with a failing read (a chunk cut off or unreadable)
};

// Reads `raw` (status line, header lines, empty line, body). `split` varies
// how a close-delimited body arrives.
HttpAnswer ReadHttpAnswer(const std::string& raw, unsigned split);

// The parts of an answer that the fuzzer changes, and their bytes again.
struct AnswerParts {
    std::string statusLine = "HTTP/1.1 200 OK";
    std::vector<std::pair<std::string, std::string>> headers; // without the framing's own
    std::string body;
    Framing framing = Framing::Length;
    std::vector<size_t> chunks; // chunk sizes for Chunked; the rest goes in one chunk
    long lengthError = 0;       // added to the true Content-Length
    bool noStatusLine = false;  // only the body is sent

    std::string Bytes() const;
};

AnswerParts SplitAnswer(const std::string& raw);

} // namespace fuzz
