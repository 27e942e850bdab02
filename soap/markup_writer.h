#pragma once
// Writes a request envelope piece by piece into an IWriteStream. The first
// piece that fails ends the writing: every later piece is skipped, and that
// failure is the result, so writers need no check after each piece.
#include "soap/write_stream.h"

class CMarkupWriter {
public:
    explicit CMarkupWriter(IWriteStream* stream) : m_stream(stream) {}
    CMarkupWriter(const CMarkupWriter&) = delete;
    CMarkupWriter& operator=(const CMarkupWriter&) = delete;

    // `length` bytes, or the whole zero-terminated text when length < 0.
    CMarkupWriter& Text(const char* text, int length = -1);
    // `text` between double quotes; a null text writes the quotes alone.
    CMarkupWriter& Quoted(const char* text, int length = -1);
    // Records a failure that arose outside the stream (no memory, a value
    // that cannot be written); the first one recorded stays.
    void Fail(HRESULT hr);

    bool Ok() const { return SUCCEEDED(m_result); }
    HRESULT Result() const { return m_result; }

private:
    IWriteStream* m_stream; // not owned
    HRESULT m_result = S_OK;
};
