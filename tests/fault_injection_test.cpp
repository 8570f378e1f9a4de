// Every platform operation made to fail in turn, at each of its calls, in each
// of the program's main flows, run whole through ProgramMain. A clean run of
// the flow counts the calls; then every (operation, nth call) pair gets a run
// of its own in which exactly that call fails, and the outcome is held to the
// failure rules: exit code 0, the cautious default, the right message or none,
// no partial or temporary file, no earlier backup lost, no registry value that
// the user did not confirm, no key or file left open.
//
// Each run happens in a child process of its own, as a fresh start of the
// program would: the logic keeps paths, texts and dialog pointers in static
// storage for the run, and a crash in one case must not hide the others.
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/program_main.h"
#include "platform/dialogs.h"
#include "platform/operations.h"
#include "resources/resource.h"
#include "tests/test_machine.h"

namespace {

const std::u16string kAbsent = u"<absent>";
const std::u16string kEarlierOwner = u"Earlier Owner";
const std::u16string kEarlierOrganization = u"Earlier Ltd";

std::string Bom() { return std::string("\xFF\xFE", 2); }

std::string BackupBytes(const std::u16string& owner, const std::u16string& organization) {
    return Bom() + Utf16Bytes(u"[RESTORE_INFO]\r\nRegisteredOwner = \"" + owner + u"\"\r\nRegisteredOrganization = \"" +
                              organization + u"\"\r\n");
}

std::string ScriptBytes(const std::u16string& owner, const std::u16string& organization) {
    return Bom() + Utf16Bytes(u"Windows Registry Editor Version 5.00\r\n\r\n"
                              u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\r\n"
                              u"\"RegisteredOwner\"=\"" +
                              owner + u"\"\r\n\"RegisteredOrganization\"=\"" + organization + u"\"\r\n");
}

// The English texts by key, "\n" already turned into CR LF, read from the
// string table the program carries.
const std::map<std::string, std::u16string>& EnglishTexts() {
    static const std::map<std::string, std::u16string> texts = [] {
        std::map<std::string, std::u16string> result;
        std::ifstream file(std::string(KESTRAWN_RESOURCE_DIR) + "/en.lang", std::ios::binary);
        std::string line;
        while (std::getline(file, line)) {
            size_t equals = line.find('=');
            if (line.compare(0, 2, "S_") != 0 || equals == std::string::npos) continue;
            std::string key = line.substr(0, line.find_first_of(" \t="));
            size_t begin = line.find_first_not_of(" \t", equals + 1);
            size_t end = line.find_last_not_of(" \t\r");
            std::string value = begin == std::string::npos ? "" : line.substr(begin, end + 1 - begin);
            for (size_t at = value.find("\\n"); at != std::string::npos; at = value.find("\\n", at)) {
                value.replace(at, 2, "\r\n");
            }
            result[key] = FromUtf8(value);
        }
        return result;
    }();
    return texts;
}

// The key whose text (or whose own name, when the lookup failed) a box shows.
std::string MessageKey(const std::u16string& shown) {
    for (const auto& entry : EnglishTexts()) {
        if (entry.second == shown || FromUtf8(entry.first) == shown) return entry.first;
    }
    return "<unknown text: " + ToUtf8(shown) + ">";
}

struct Flow {
    const char* name;
    void (*prepare)();  // on top of the sound machine of the fixture
    std::vector<UserAction> (*script)();
    // What a restoration in this flow writes, when the flow restores at all.
    bool restores;
    std::u16string newOwner;
    std::u16string newOrganization;
    // A backup of earlier values lies beside the program before the run, and
    // whether the flow may rightfully delete it.
    bool earlierBackup;
    bool backupMayBeGone;
    // The clean run: its messages (keys, in order), its backup ("" for none)
    // and whether it leaves the manual script.
    std::vector<std::string> messages;
    std::string finalBackup;
    bool leavesScript;
};

void NoPreparation() {}

void DamagedOwner() { HostRegDeleteValue(kUserInfo, u"RegisteredOwner"); }

void CustomFile() {
    HostWriteFile("Kestrawn.ini", "[CUSTOM_RESTORE_INFO]\r\nRegisteredOwner = Custom Owner\r\n"
                                  "RegisteredOrganization = \"Custom Ltd\"\r\n");
}

void DamagedOwnerAndWritesDenied() {
    HostRegDeleteValue(kUserInfo, u"RegisteredOwner");
    HostRegDenyWrites(true);
}

std::vector<UserAction> QuitAtOnce() { return {Click(kIdCancel)}; }

std::vector<UserAction> RefreshThenQuit() { return {ThemeChanged(), Click(kIdCancel)}; }

std::vector<UserAction> RefreshThenCloseConfirmed() { return {ThemeChanged(), CloseFromCaption(), Answer(kIdYes)}; }

std::vector<UserAction> RestoreThroughInput() {
    return {Click(kIdOk),          Type(IDC_OWNER, u"New Owner"), Type(IDC_ORGANIZATION, u"New Ltd"),
            Click(kIdOk),          Answer(kIdOk),                 Click(kIdCancel)};
}

std::vector<UserAction> RestoreFromCustomFile() { return {Click(kIdOk), Answer(kIdOk), Click(kIdCancel)}; }

std::vector<UserAction> RestoreThroughInputAndFail() {
    return {Click(kIdOk), Type(IDC_OWNER, u"New Owner"), Type(IDC_ORGANIZATION, u"New Ltd"), Click(kIdOk),
            Answer(kIdOk)};
}

const std::string kEarlierBackup = BackupBytes(kEarlierOwner, kEarlierOrganization);

const Flow kFlows[] = {
    {"StartUpAndQuit", NoPreparation, QuitAtOnce, false, u"", u"", false, true, {}, "", false},
    {"SoundRefreshDeletesTheBackup", NoPreparation, RefreshThenQuit, false, u"", u"", true, true, {}, "", false},
    // The owner is gone: the organization is saved, the owner kept from the earlier backup.
    {"DamagedRefreshSavesTheBackup", DamagedOwner, RefreshThenCloseConfirmed, false, u"", u"", true, false,
     {"S_CONFIRM_MESSAGE"}, BackupBytes(kEarlierOwner, u"Example Ltd"), false},
    {"RestoreThroughTheInputDialog", DamagedOwner, RestoreThroughInput, true, u"New Owner", u"New Ltd", false, true,
     {"S_ERR_OPERATION_SUCCEED"}, "", false},
    {"RestoreFromTheCustomFile", CustomFile, RestoreFromCustomFile, true, u"Custom Owner", u"Custom Ltd", false, true,
     {"S_ERR_OPERATION_SUCCEED"}, "", false},
    {"FailedRegistryWriteLeavesTheScript", DamagedOwnerAndWritesDenied, RestoreThroughInputAndFail, true,
     u"New Owner", u"New Ltd", false, false, {"S_ERR_OPERATION_FAILED"}, BackupBytes(u"", u"Example Ltd"), true},
};

void PrintTo(const Flow& flow, std::ostream* out) { *out << flow.name; }

// No fault: the run that every faulted run is compared with.
const PlatformOperation kNoFault = kPlatformOperationCount;

struct Case {
    const Flow* flow;
    PlatformOperation operation;  // kNoFault for the clean run
    int nth;
    std::u16string ownerBefore;
    std::u16string organizationBefore;
};

bool FaultIs(const Case& c, PlatformOperation operation) { return c.operation == operation; }

std::string ReadOr(const std::string& fileName, const std::string& missing) {
    std::string bytes;
    return HostReadFile(fileName, &bytes) ? bytes : missing;
}

std::u16string Registry(const char16_t* name) {
    std::u16string value;
    return HostRegGetString(kUserInfo, name, &value) ? value : kAbsent;
}

// The failure rules, as problems found in the state the run left behind.
class OutcomeCheck {
  public:
    OutcomeCheck(const Case& c, int exitCode) : c_(c), flow_(*c.flow) {
        if (exitCode != 0) Problem("exit code " + std::to_string(exitCode));
        for (const HostMessageBox& box : HostMessageBoxes()) shown_.push_back(MessageKey(box.text));
        owner_ = Registry(u"RegisteredOwner");
        organization_ = Registry(u"RegisteredOrganization");
    }

    std::vector<std::string> Run() {
        if (c_.operation == kNoFault) {
            CleanRun();
        } else {
            NothingLeftOpen();
            NoTemporaryFiles();
            OnlyConfirmedValuesWritten();
            MessagesTellTheTruth();
            BackupIntact();
            ScriptOnlyAfterFailure();
            CautiousDefaults();
        }
        return problems_;
    }

  private:
    void Problem(const std::string& text) { problems_.push_back(text); }

    bool Shown(const std::string& key) const {
        for (const std::string& each : shown_) {
            if (each == key) return true;
        }
        return false;
    }

    // GetDlgItemTextW and GetPrivateProfileStringW answer a failure exactly as
    // they answer an empty edit or a missing key: the logic cannot tell the
    // two apart, so a failed read of the organization passes for an empty one.
    bool LostReadPassesAsEmpty(const std::u16string& organization) const {
        return (FaultIs(c_, kOpGetDlgItemText) || FaultIs(c_, kOpReadProfileString)) && organization.empty();
    }
    bool ConfirmedOrganization(const std::u16string& organization) const {
        return organization == flow_.newOrganization || LostReadPassesAsEmpty(organization);
    }
    bool Confirmed() const { return owner_ == flow_.newOwner && ConfirmedOrganization(organization_); }
    bool Untouched() const { return owner_ == c_.ownerBefore && organization_ == c_.organizationBefore; }

    void CleanRun() {
        for (const std::string& error : HostScriptErrors()) Problem("script: " + error);
        if (shown_ != flow_.messages) {
            std::string list;
            for (const std::string& key : shown_) list += key + " ";
            Problem("messages shown: " + list);
        }
        bool writes = flow_.restores && !flow_.leavesScript;
        if (writes ? !Confirmed() : !Untouched()) Problem("registry holds " + ToUtf8(owner_) + " / " + ToUtf8(organization_));
        if (ReadOr("Kestrawn.dat", "") != flow_.finalBackup) Problem("unexpected backup at the end");
        std::string script = ReadOr("Kestrawn.reg", "");
        if (flow_.leavesScript && script != ScriptBytes(flow_.newOwner, flow_.newOrganization)) {
            Problem("the manual script is missing or wrong");
        }
        if (!flow_.leavesScript && !script.empty()) Problem("a manual script was left");
        if (HostDialogsOpened(IDD_MAIN) != 1) Problem("the main dialog did not open once");
    }

    void NothingLeftOpen() {
        if (HostOpenRegistryKeys() != 0 && !FaultIs(c_, kOpRegCloseKey)) Problem("a registry key was left open");
        if (HostOpenFiles() != 0 && !FaultIs(c_, kOpCloseFile)) Problem("a file was left open");
    }

    // Only a failed deletion, or a handle that would not close and so keeps
    // the file from being deleted, may leave a file of the program's own behind.
    void NoTemporaryFiles() {
        if (FaultIs(c_, kOpDeleteFile) || FaultIs(c_, kOpCloseFile)) return;
        for (const char* name : {"StringTable.dat", "Kestrawn.dat.tmp", "current/StringTable.dat",
                                 "current/Kestrawn.dat.tmp"}) {
            if (HostFileExists(name)) Problem(std::string(name) + " was left behind");
        }
    }

    // Each value is what it was or what the user confirmed, and the
    // organization changes only after the owner has been written.
    void OnlyConfirmedValuesWritten() {
        bool ownerKnown = owner_ == c_.ownerBefore || (flow_.restores && owner_ == flow_.newOwner);
        bool organizationKnown =
            organization_ == c_.organizationBefore || (flow_.restores && ConfirmedOrganization(organization_));
        if (!ownerKnown) Problem("RegisteredOwner became \"" + ToUtf8(owner_) + "\"");
        if (!organizationKnown) Problem("RegisteredOrganization became \"" + ToUtf8(organization_) + "\"");
        if (organization_ != c_.organizationBefore && owner_ != flow_.newOwner) {
            Problem("the organization was written although the owner was not");
        }
    }

    void MessagesTellTheTruth() {
        for (const std::string& key : shown_) {
            if (key.compare(0, 2, "S_") != 0) Problem("message box with " + key);
        }
        if (Shown("S_ERR_OPERATION_SUCCEED") && !Confirmed()) Problem("success reported, but the registry disagrees");
        if (Shown("S_ERR_OPERATION_FAILED") && Confirmed()) Problem("failure reported after both values were written");
        if (!Untouched() && !Shown("S_ERR_OPERATION_SUCCEED") && !Shown("S_ERR_OPERATION_FAILED") &&
            !FaultIs(c_, kOpMessageBox)) {
            Problem("the registry changed without a word to the user");
        }
        if (Shown("S_ERR_UNSUPPORTED_OS") && !FaultIs(c_, kOpGetVersionEx)) Problem("a supported system refused");
        if (Shown("S_ERR_FILEREAD_FAILED") && !FaultIs(c_, kOpReadProfileString)) {
            Problem("the custom file rejected although it was read");
        }
    }

    // What a saved backup may hold for one value: what the registry held
    // before, what a restoration wrote, and what the earlier backup held, or
    // nothing where there was no earlier backup or it was rightfully deleted.
    std::vector<std::u16string> SavedValues(const std::u16string& before, const std::u16string& written,
                                            const std::u16string& earlier, bool hadEarlier) const {
        std::vector<std::u16string> values;
        if (hadEarlier) values.push_back(earlier);
        if (!hadEarlier || flow_.backupMayBeGone) values.push_back(u"");
        if (before != kAbsent) values.push_back(before);
        if (flow_.restores) values.push_back(written);
        return values;
    }

    // The backup beside the program (or in the current directory, where the
    // program's own folder could not be learned) is the earlier one untouched
    // or a whole one made of rightful values; it is gone only where the flow
    // allows it.
    void BackupIntact() {
        for (const std::string folder : {"", "current/"}) {
            bool hadEarlier = flow_.earlierBackup && folder.empty();
            std::string bytes;
            if (!HostReadFile(folder + "Kestrawn.dat", &bytes)) {
                if (hadEarlier && !flow_.backupMayBeGone) Problem("the earlier backup was lost");
                continue;
            }
            if (hadEarlier && bytes == kEarlierBackup) continue;
            bool rightful = false;
            for (const std::u16string& owner : SavedValues(c_.ownerBefore, flow_.newOwner, kEarlierOwner, hadEarlier)) {
                for (const std::u16string& organization : SavedValues(c_.organizationBefore, flow_.newOrganization,
                                                                      kEarlierOrganization, hadEarlier)) {
                    rightful = rightful || bytes == BackupBytes(owner, organization);
                }
            }
            if (!rightful) Problem(folder + "Kestrawn.dat holds values that are neither current nor kept");
        }
    }

    void ScriptOnlyAfterFailure() {
        for (const char* name : {"Kestrawn.reg", "current/Kestrawn.reg"}) {
            std::string bytes;
            if (!HostReadFile(name, &bytes)) continue;
            if (!Shown("S_ERR_OPERATION_FAILED") && !FaultIs(c_, kOpMessageBox)) {
                Problem(std::string(name) + " written without a failure");
            }
            // A failed write goes unnoticed and may leave the script cut short.
            bool confirmed = bytes == ScriptBytes(flow_.newOwner, flow_.newOrganization) ||
                             (LostReadPassesAsEmpty(u"") && bytes == ScriptBytes(flow_.newOwner, u""));
            if (!FaultIs(c_, kOpWriteFile) && !confirmed) {
                Problem(std::string(name) + " does not set the two values the user confirmed");
            }
        }
    }

    // What a fault in one of the start-up questions must come to.
    void CautiousDefaults() {
        switch (c_.operation) {
        case kOpGetVersionEx:
            if (HostDialogsOpened(IDD_MAIN) != 0 || shown_ != std::vector<std::string>{"S_ERR_UNSUPPORTED_OS"}) {
                Problem("an unknown version must be refused with its message");
            }
            break;
        case kOpLoadLibrary:
        case kOpGetProcAddressByOrdinal:
        case kOpCallIsUserAnAdmin:
            if (HostRegValueWrites() != 0 || HostControlEnabled(IDD_MAIN, kIdOk)) {
                Problem("an unanswered administrator question must disable restoring");
            }
            break;
        case kOpFindResource:
        case kOpSizeofResource:
        case kOpLoadResourceBytes:
        case kOpOpenFileShareRead:
            if (HostDialogsOpened(IDD_MAIN) != 0 || !shown_.empty()) {
                Problem("without the string table the program must end silently");
            }
            break;
        default:
            break;
        }
    }

    const Case& c_;
    const Flow& flow_;
    std::vector<std::string> shown_;
    std::u16string owner_;
    std::u16string organization_;
    std::vector<std::string> problems_;
};

// Runs one case in a child process; returns the child's report, one line
// each: "count <operation> <calls>" after a clean run, else problems.
std::vector<std::string> RunInChild(const Case& c) {
    int channel[2];
    if (pipe(channel) != 0) return {"pipe failed"};
    fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        if (c.flow->earlierBackup) HostWriteFile("Kestrawn.dat", kEarlierBackup);
        c.flow->prepare();
        Case run = c;
        run.ownerBefore = Registry(u"RegisteredOwner");
        run.organizationBefore = Registry(u"RegisteredOrganization");
        HostSetScript(c.flow->script());
        if (c.operation != kNoFault) HostFailOperation(c.operation, c.nth);
        int exitCode = ProgramMain(nullptr, nullptr, u"", 1);
        std::string report;
        for (const std::string& problem : OutcomeCheck(run, exitCode).Run()) report += problem + "\n";
        if (c.operation == kNoFault) {
            for (int op = 0; op < kPlatformOperationCount; op++) {
                report += "count " + std::to_string(op) + " " +
                          std::to_string(HostCallCount(static_cast<PlatformOperation>(op))) + "\n";
            }
        }
        for (size_t done = 0; done < report.size();) {
            ssize_t wrote = write(channel[1], report.data() + done, report.size() - done);
            if (wrote <= 0) break;
            done += static_cast<size_t>(wrote);
        }
        _exit(0);  // no exit handlers: they belong to the test process
    }
    close(channel[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) report.append(buffer, static_cast<size_t>(got));
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    std::vector<std::string> lines;
    std::istringstream stream(report);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        lines.push_back("the run crashed (wait status " + std::to_string(status) + ")");
    }
    return lines;
}

class FaultInjectionTest : public MachineTest, public ::testing::WithParamInterface<Flow> {};

TEST_P(FaultInjectionTest, EveryFailingCallEndsByTheFailureRules) {
    const Flow& flow = GetParam();
    Case clean = {&flow, kNoFault, 0, u"", u""};
    int counts[kPlatformOperationCount] = {};
    for (const std::string& line : RunInChild(clean)) {
        int op = 0;
        int calls = 0;
        if (sscanf(line.c_str(), "count %d %d", &op, &calls) == 2 && op >= 0 && op < kPlatformOperationCount) {
            counts[op] = calls;
        } else {
            ADD_FAILURE() << "clean run: " << line;
        }
    }
    int runs = 0;
    for (int op = 0; op < kPlatformOperationCount; op++) {
        for (int nth = 1; nth <= counts[op]; nth++) {
            SetUp();  // a fresh machine and folder for every run
            Case c = {&flow, static_cast<PlatformOperation>(op), nth, u"", u""};
            for (const std::string& problem : RunInChild(c)) {
                ADD_FAILURE() << PlatformOperationName(c.operation) << " call " << nth << " of " << counts[op]
                              << " failing: " << problem;
            }
            runs++;
        }
    }
    EXPECT_GT(runs, 0) << "the clean run made no platform call";
}

INSTANTIATE_TEST_SUITE_P(Flows, FaultInjectionTest, ::testing::ValuesIn(kFlows),
                         [](const ::testing::TestParamInfo<Flow>& info) { return std::string(info.param.name); });

}  // namespace
