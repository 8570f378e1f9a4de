// What every fuzz target shares: an emulated machine whose executable lives in
// a scratch folder of its own, and small conversions between fuzzer bytes and
// UTF-16 text.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

// Resets the emulated machine (the scratch folder is made on the first call)
// with the system language "en" (code page 1252) or "ja" (code page 932).
void FuzzMachineReset(bool japanese);

// Replaces a file in the scratch folder with these bytes.
void FuzzWriteFile(const char* fileName, const uint8_t* data, size_t size);
std::string FuzzReadFile(const char* fileName);
// The full path of a file in the scratch folder, as the logic names it.
std::u16string FuzzPath(const char* fileName);

// Pairs of bytes as little-endian UTF-16 code units; an odd last byte is dropped.
std::u16string FuzzUtf16(const uint8_t* data, size_t size);

// Prints a message and aborts, so that libFuzzer keeps the input.
[[noreturn]] void FuzzFail(const char* what);
#define FUZZ_CHECK(condition) ((condition) ? (void)0 : FuzzFail(#condition))
