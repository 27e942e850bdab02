#pragma once
// The byte sink a request envelope is written into.
#include <windows.h>

class IWriteStream {
public:
    // Appends `length` bytes (a negative length: up to the terminating zero)
    // and stores the count in `written` when given.
    virtual HRESULT Write(const char* bytes, int length, DWORD* written) = 0;
    virtual HRESULT Flush() = 0;
    virtual ~IWriteStream() = default;
};
