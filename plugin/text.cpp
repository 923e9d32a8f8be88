// Bounded text copies for the interface's caller-supplied buffers.
#include "plugin/text.h"

#include <cstring>

void copyText(char* text, const char* source, std::int32_t maxLen)
{
    if (!text || maxLen < 0) return;
    const std::size_t limit = static_cast<std::size_t>(maxLen);
    const std::size_t length = source ? strnlen(source, limit) : 0;
    std::memcpy(text, source ? source : "", length);
    std::memset(text + length, 0, limit - length + 1);
}

void appendText(char* text, const char* source, std::int32_t maxLen)
{
    if (!text || !source || maxLen < 0) return;
    const std::size_t limit = static_cast<std::size_t>(maxLen);
    const std::size_t used = strnlen(text, limit);
    const std::size_t length = strnlen(source, limit - used);
    std::memcpy(text + used, source, length);
    text[used + length] = 0;
    text[limit] = 0;
}
