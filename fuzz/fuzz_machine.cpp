#include "fuzz/fuzz_machine.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/host/host_machine.h"

namespace {

// /dev/shm keeps the many small file writes off the disk where it exists.
const std::string& ScratchFolder() {
    static std::string folder = [] {
        struct stat info;
        std::string pattern = stat("/dev/shm", &info) == 0 ? "/dev/shm/kestrawn-fuzz-XXXXXX" : "/tmp/kestrawn-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) FuzzFail("no scratch folder");
        return pattern;
    }();
    // libFuzzer ends with exit(); the folder goes with the process.
    static bool cleanupRegistered = [] {
        atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(ScratchFolder(), ignored);
        });
        return true;
    }();
    (void)cleanupRegistered;
    return folder;
}

}  // namespace

void FuzzMachineReset(bool japanese) {
    HostReset(ScratchFolder());
    HostSetLanguageName(japanese ? u"ja" : u"en");
}

void FuzzWriteFile(const char* fileName, const uint8_t* data, size_t size) {
    std::ofstream(HostPath(fileName), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

std::string FuzzReadFile(const char* fileName) {
    std::ifstream file(HostPath(fileName), std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::u16string FuzzPath(const char* fileName) {
    std::string path = HostPath(fileName);  // the scratch folder's name is ASCII
    return std::u16string(path.begin(), path.end());
}

std::u16string FuzzUtf16(const uint8_t* data, size_t size) {
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    return text;
}

void FuzzFail(const char* what) {
    fprintf(stderr, "fuzz check failed: %s\n", what);
    abort();
}
