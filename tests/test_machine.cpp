#include "tests/test_machine.h"

#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include "platform/host/host_internal.h"
#include "resources/resource.h"
#include "text/string_table.h"
#include "ui/main_dialog.h"

const std::u16string kUserInfo = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

namespace {

void RemoveTree(const std::string& path) {
    DIR* directory = opendir(path.c_str());
    if (directory == nullptr) {
        unlink(path.c_str());
        return;
    }
    while (dirent* entry = readdir(directory)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") RemoveTree(path + "/" + name);
    }
    closedir(directory);
    rmdir(path.c_str());
}

// One scratch folder per test process; the side-file paths the program keeps
// for the run stay right across tests because the folder stays the same.
const std::string& ScratchFolder() {
    // Kept in plain storage so that the exit handler can still read it.
    static char folder[64] = "/tmp/kestrawn-unit-XXXXXX";
    static std::string made = [] {
        mkdtemp(folder);
        atexit([] { RemoveTree(folder); });
        return std::string(folder);
    }();
    return made;
}

}  // namespace

void MachineTest::SetUp() {
    const std::string& folder = ScratchFolder();
    DIR* directory = opendir(folder.c_str());
    while (dirent* entry = directory ? readdir(directory) : nullptr) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") RemoveTree(folder + "/" + name);
    }
    if (directory) closedir(directory);
    HostReset(folder);
    // A sound machine: both values present.
    SetOwner(u"Alice Example");
    SetOrganization(u"Example Ltd");
}

void MachineTest::TearDown() {
    EXPECT_EQ(HostOpenRegistryKeys(), 0) << "a registry key was left open";
    delete state_;
    HostReset(ScratchFolder());
}

AppState* MachineTest::NewState() {
    delete state_;
    state_ = new AppState();
    return state_;
}

void MachineTest::ExtractTable(AppState* state) {
    ExtractStringTable(state);
    ASSERT_EQ(state->operationFailed, 0);
}

void MachineTest::SetOwner(const std::u16string& owner) { HostRegSetString(kUserInfo, u"RegisteredOwner", owner); }

void MachineTest::SetOrganization(const std::u16string& organization) {
    HostRegSetString(kUserInfo, u"RegisteredOrganization", organization);
}

std::u16string MachineTest::RegistryOwner() {
    std::u16string value;
    return HostRegGetString(kUserInfo, u"RegisteredOwner", &value) ? value : u"<absent>";
}

std::u16string MachineTest::RegistryOrganization() {
    std::u16string value;
    return HostRegGetString(kUserInfo, u"RegisteredOrganization", &value) ? value : u"<absent>";
}

std::string Utf16Bytes(const std::u16string& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

std::u16string FromUtf8(const std::string& text) { return Utf8ToUtf16(text); }
std::string ToUtf8(const std::u16string& text) { return Utf16ToUtf8(text); }

void DialogTest::SetUp() {
    MachineTest::SetUp();
    state = NewState();
    ExtractTable(state);
    state->isAdmin = 1;
}

void DialogTest::TearDown() {
    RemoveStringTable(state);
    MachineTest::TearDown();
}

intptr_t DialogTest::RunDialog(uint16_t templateId, DialogProcedure procedure, std::vector<UserAction> script) {
    HostSetScript(std::move(script));
    intptr_t result = OsDialogBox(nullptr, templateId, nullptr, procedure, reinterpret_cast<intptr_t>(state));
    for (const std::string& error : HostScriptErrors()) ADD_FAILURE() << error;
    return result;
}

intptr_t DialogTest::RunMainDialog(std::vector<UserAction> script) {
    return RunDialog(IDD_MAIN, MainDialogProc, std::move(script));
}
