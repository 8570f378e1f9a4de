// Small helpers for NUL-terminated UTF-16 text in fixed buffers.
#pragma once

#include <stdint.h>

#include "app/app_state.h"

// Code units before the first NUL, but never more than capacity.
uint32_t TextLength(const char16_t* text, uint32_t capacity = kTextBufferLength);

bool TextEquals(const char16_t* a, const char16_t* b);

// Copies source into destination, cut to capacity - 1 code units, NUL-terminated.
void TextCopy(char16_t* destination, uint32_t capacity, const char16_t* source);

// Appends source after the text in destination, stopping at the buffer's end.
void TextAppend(char16_t* destination, uint32_t capacity, const char16_t* source);

// Sets every code unit of the buffer to 0, not just the first.
void ZeroFill(TextBuffer* buffer);
