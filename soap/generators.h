#pragma once
// The framing of a request body, one class per SOAP style. They hold no data.
#include "soap/descriptor.h"
#include "soap/write_stream.h"

class CResponseGenerator {
public:
    virtual HRESULT OpenBody(IWriteStream* stream) = 0;
    virtual HRESULT OpenWrapper(IWriteStream* stream, const Descriptor* descriptor, bool clientMode) = 0;
    virtual HRESULT CloseWrapper(IWriteStream* stream, const Descriptor* descriptor, bool clientMode) = 0;
    // Writes "<", the name and its namespace declarations, but not the ">".
    virtual HRESULT OpenEntry(IWriteStream* stream, const Descriptor* descriptor, const DescriptorEntry* entry);
    virtual ~CResponseGenerator() = default;

    HRESULT OpenHeader(IWriteStream* stream, const Descriptor* descriptor);
    HRESULT CloseEntry(IWriteStream* stream, const Descriptor* descriptor, const DescriptorEntry* entry);
};

class CDocLiteralGenerator : public CResponseGenerator {
public:
    HRESULT OpenBody(IWriteStream* stream) override;
    HRESULT OpenWrapper(IWriteStream* stream, const Descriptor* descriptor, bool clientMode) override;
    HRESULT CloseWrapper(IWriteStream* stream, const Descriptor* descriptor, bool clientMode) override;
};

// Parameters inside a wrapper element.
class CPIDGenerator : public CDocLiteralGenerator {};

// Parameters written as the document itself.
class CPADGenerator : public CDocLiteralGenerator {
public:
    HRESULT OpenEntry(IWriteStream* stream, const Descriptor* descriptor, const DescriptorEntry* entry) override;
};

class CRpcEncodedGenerator : public CResponseGenerator {
public:
    HRESULT OpenBody(IWriteStream* stream) override;
    HRESULT OpenWrapper(IWriteStream* stream, const Descriptor* descriptor, bool clientMode) override;
    HRESULT CloseWrapper(IWriteStream* stream, const Descriptor* descriptor, bool clientMode) override;
};

// Writes `length` bytes, or the whole zero-terminated text when length < 0.
HRESULT WriteText(IWriteStream* stream, const char* text, int length = -1);
