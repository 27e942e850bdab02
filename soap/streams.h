#pragma once
// The request body as bytes in memory, and the response body as a COM stream
// read straight from WinINet.
#include "soap/call_deadline.h"
#include "soap/xml_guard.h"
#include "soap/write_stream.h"

#include <objidl.h>
#include <wininet.h>

#include <string>

class CWriteStreamOnCString : public IWriteStream {
public:
    HRESULT Write(const char* bytes, int length, DWORD* written) override;
    HRESULT Flush() override { return S_OK; }

    void Empty() { m_data.clear(); }
    const std::string& Data() const { return m_data; }

private:
    std::string m_data;
};

// A stream that is only read, and lives inside its owner: AddRef and Release
// count nothing, and everything but Read is not implemented.
class CReadOnlyStream : public IStream {
public:
    virtual ~CReadOnlyStream() = default;
    HRESULT WINAPI QueryInterface(REFIID iid, void** object) override;
    ULONG WINAPI AddRef() override { return 1; }
    ULONG WINAPI Release() override { return 1; }
    HRESULT WINAPI Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT WINAPI Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    HRESULT WINAPI CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT WINAPI Commit(DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI Revert() override { return E_NOTIMPL; }
    HRESULT WINAPI LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI Clone(IStream**) override { return E_NOTIMPL; }
};

// A response body larger than the transport's byte limit: the read that
// passes the limit fails with this.
constexpr HRESULT kResponseTooLarge = HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);

// The response body, read from WinINet as it arrives.
class CReadStreamOnInet : public CReadOnlyStream {
public:
    // The request handle to read from (not owned), the call's deadline,
    // after which every read fails, and the most bytes the body may have.
    void Attach(HINTERNET request, const CCallDeadline* deadline, ULONGLONG byteLimit);
    void Detach();
    bool Attached() const { return m_request != nullptr; }

    HRESULT WINAPI Read(void* buffer, ULONG size, ULONG* read) override;

    // True once a read found the end of the body.
    bool AtEnd() const { return m_atEnd; }
    ULONGLONG BytesRead() const { return m_bytesRead; }

private:
    HINTERNET m_request = nullptr;             // not owned
    const CCallDeadline* m_deadline = nullptr; // not owned
    ULONGLONG m_byteLimit = 0;
    ULONGLONG m_bytesRead = 0;
    bool m_atEnd = false;
};

// A document that the guard in front of the reader refused (xml_guard.h):
// the read that would hand it on fails with this.
constexpr HRESULT kMarkupRefused = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

// What another stream reads, handed on only while the guard lets it pass:
// every document reaches the reader through one (ParseStream).
class CGuardedStream : public CReadOnlyStream {
public:
    explicit CGuardedStream(IStream* source) : m_source(source) {}

    HRESULT WINAPI Read(void* buffer, ULONG size, ULONG* read) override;

private:
    IStream* m_source; // not owned
    soap::XmlGuard m_guard;
};
