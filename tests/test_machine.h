// The fixture every host test starts from: a fresh emulated machine whose
// executable lives in a scratch folder of its own, emptied before each test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/dialogs.h"
#include "platform/host/host_machine.h"

// Registry values a test sets or reads.
extern const std::u16string kUserInfo;  // SOFTWARE\Microsoft\Windows NT\CurrentVersion

class MachineTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A state record as ProgramMain makes it, big enough to keep off the stack.
    AppState* NewState();

    // Extracts the string table for the emulated language, so lookups work.
    void ExtractTable(AppState* state);

    void SetOwner(const std::u16string& owner);
    void SetOrganization(const std::u16string& organization);
    std::u16string RegistryOwner();         // "<absent>" when missing
    std::u16string RegistryOrganization();  // "<absent>" when missing

  private:
    AppState* state_ = nullptr;
};

// A machine with the string table in place and a state record for the
// dialogs, as the program has them once the main dialog runs; the user is an
// administrator.
class DialogTest : public MachineTest {
  protected:
    AppState* state = nullptr;

    void SetUp() override;
    void TearDown() override;

    // Runs a dialog of the program modally while the script plays the user;
    // returns what the dialog ended with. Script errors fail the test.
    intptr_t RunDialog(uint16_t templateId, DialogProcedure procedure, std::vector<UserAction> script);
    intptr_t RunMainDialog(std::vector<UserAction> script);
};

// Little-endian UTF-16 bytes of text, as the program writes its side files.
std::string Utf16Bytes(const std::u16string& text);
std::u16string FromUtf8(const std::string& text);
std::string ToUtf8(const std::u16string& text);
