// Bounded text copies for the interface's caller-supplied buffers: at most maxLen
// characters, and the terminator always at text[maxLen].
#pragma once

#include <cstdint>

/// Copies source into text (maxLen + 1 bytes), zero-filling the rest; a null text
/// or a negative maxLen writes nothing, a null source writes an empty text.
void copyText(char* text, const char* source, std::int32_t maxLen);

/// Appends source to the text already in text while the whole stays within maxLen.
void appendText(char* text, const char* source, std::int32_t maxLen);
