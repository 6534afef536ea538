// The kinds Media Foundation opens, offered by Add and taken from a dropped
// folder. Windows registers them under ByteStreamHandlers, one key per
// extension and one per MIME type (each holding its handler's class, which
// Vireo does not read); Wine 8 registers none there, so the keys are set
// here as Windows names them (a part of Windows 10's).
#include "scenario.h"

#include <string>
#include <vector>

namespace {

const char KINDS_KEY[] = "SOFTWARE\\Microsoft\\Windows Media Foundation\\ByteStreamHandlers";
const char* const WINDOWS_KINDS[] = {".3gp", ".aac", ".adts", ".flac", ".m4a", ".mp3", ".mp4",
                                     ".wma", "audio/mp4", "audio/x-m4a", "video/mp4"};

class FoundationKindsScenario : public Scenario {
protected:
    void SetUp() override
    {
        Scenario::SetUp();
        HKEY probe;
        hadKindsKey = RegOpenKeyExA(HKEY_LOCAL_MACHINE, KINDS_KEY, 0, KEY_READ, &probe) == ERROR_SUCCESS;
        if (hadKindsKey)
            RegCloseKey(probe);
        for (const char* kind : WINDOWS_KINDS) {
            std::string path = std::string(KINDS_KEY) + "\\" + kind;
            HKEY key;
            ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0, KEY_WRITE, NULL,
                                                     &key, NULL)) << kind;
            RegCloseKey(key);
        }
    }

    void TearDown() override
    {
        for (const char* kind : WINDOWS_KINDS)
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(KINDS_KEY) + "\\" + kind).c_str());
        if (!hadKindsKey)
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, KINDS_KEY);
        Scenario::TearDown();
    }

    bool hadKindsKey = false;
};

}  // namespace

TEST_F(FoundationKindsScenario, AddAndADroppedFolderTakeTheKindsMediaFoundationOpens)
{
    Open();
    FakeChooseFile("");
    Command(IDC_ADD);
    ASSERT_EQ(1u, FakeChoosers().size());
    // The patterns with a ';' after each, the last one's too.
    std::string filter = FakeChoosers()[0].filter + "|";
    for (char& c : filter)
        c = c == '|' ? ';' : c;
    for (const char* kind : {"*.flac;", "*.m4a;", "*.aac;", "*.adts;", "*.3gp;", "*.mp4;"})
        EXPECT_NE(std::string::npos, filter.find(kind)) << kind;
    EXPECT_EQ(std::string::npos, filter.find("audio/")) << "a MIME type is no extension";
    EXPECT_EQ(filter.find("*.mp3"), filter.rfind("*.mp3")) << "a kind both layers know is offered once";

    const std::string folder = ScratchFolder("vireo-drop-kinds");
    for (const char* name : {"b.m4a", "a.flac", "notes.txt", "c.opus", "d.mp4"})
        WriteBytes(folder + "\\" + name, "");
    SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({folder})), 0);
    Pump();
    EXPECT_EQ((std::vector<std::string>{"a.flac", "b.m4a", "d.mp4"}), Items())
        << "Opus is no kind until the system registers it";
}
