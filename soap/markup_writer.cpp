#include "soap/markup_writer.h"

#include <cstring>

CMarkupWriter& CMarkupWriter::Text(const char* text, int length)
{
    if (Ok()) {
        if (length < 0)
            length = static_cast<int>(std::strlen(text));
        m_result = m_stream->Write(text, length, nullptr);
    }
    return *this;
}

CMarkupWriter& CMarkupWriter::Quoted(const char* text, int length)
{
    Text("\"", 1);
    if (text)
        Text(text, length);
    return Text("\"", 1);
}

void CMarkupWriter::Fail(HRESULT hr)
{
    if (Ok())
        m_result = hr;
}
