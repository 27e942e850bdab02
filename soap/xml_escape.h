#pragma once
// Escaping of UTF-16 text into ASCII XML character data.

// Writes the escaped form of `text` into `buffer` (when given) and returns its
// length; returns 0 when the buffer is too small. Without a buffer, returns
// the length needed. Attribute mode also escapes quotes and apostrophes.
int EscapeXmlText(const wchar_t* text, int length, char* buffer, int bufferSize, bool attributeMode);
