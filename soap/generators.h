#pragma once
// The framing of a request body, one class per SOAP style. They hold no data.
#include "soap/descriptor.h"
#include "soap/markup_writer.h"

class CResponseGenerator {
public:
    virtual void OpenBody(CMarkupWriter& out) = 0;
    virtual void OpenWrapper(CMarkupWriter& out, const Descriptor* descriptor, bool clientMode) = 0;
    virtual void CloseWrapper(CMarkupWriter& out, const Descriptor* descriptor, bool clientMode) = 0;
    // Writes "<", the name and its namespace declarations, but not the ">".
    virtual void OpenEntry(CMarkupWriter& out, const Descriptor* descriptor, const DescriptorEntry* entry);
    virtual ~CResponseGenerator() = default;

    void OpenHeader(CMarkupWriter& out, const Descriptor* descriptor);
    void CloseEntry(CMarkupWriter& out, const Descriptor* descriptor, const DescriptorEntry* entry);
};

class CDocLiteralGenerator : public CResponseGenerator {
public:
    void OpenBody(CMarkupWriter& out) override;
    void OpenWrapper(CMarkupWriter& out, const Descriptor* descriptor, bool clientMode) override;
    void CloseWrapper(CMarkupWriter& out, const Descriptor* descriptor, bool clientMode) override;
};

// Parameters inside a wrapper element.
class CPIDGenerator : public CDocLiteralGenerator {};

// Parameters written as the document itself.
class CPADGenerator : public CDocLiteralGenerator {
public:
    void OpenEntry(CMarkupWriter& out, const Descriptor* descriptor, const DescriptorEntry* entry) override;
};

class CRpcEncodedGenerator : public CResponseGenerator {
public:
    void OpenBody(CMarkupWriter& out) override;
    void OpenWrapper(CMarkupWriter& out, const Descriptor* descriptor, bool clientMode) override;
    void CloseWrapper(CMarkupWriter& out, const Descriptor* descriptor, bool clientMode) override;
};
