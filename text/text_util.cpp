#include "text/text_util.h"

uint32_t TextLength(const char16_t* text, uint32_t capacity) {
    uint32_t length = 0;
    while (length < capacity && text[length] != 0) length++;
    return length;
}

bool TextEquals(const char16_t* a, const char16_t* b) {
    while (*a != 0 && *a == *b) {
        a++;
        b++;
    }
    return *a == *b;
}

void TextCopy(char16_t* destination, uint32_t capacity, const char16_t* source) {
    if (capacity == 0) return;
    uint32_t i = 0;
    for (; i + 1 < capacity && source[i] != 0; i++) destination[i] = source[i];
    destination[i] = 0;
}

void TextAppend(char16_t* destination, uint32_t capacity, const char16_t* source) {
    uint32_t length = TextLength(destination, capacity);
    if (length >= capacity) return;
    TextCopy(destination + length, capacity - length, source);
}

void ZeroFill(TextBuffer* buffer) {
    for (uint32_t i = 0; i < kTextBufferLength; i++) buffer->text[i] = 0;
}
