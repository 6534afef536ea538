// Window position, size, options and volume kept in the real registry between runs.
#include "scenario.h"

#include <commctrl.h>

#include <cstring>

namespace {

const char KEY[] = "Software\\Tallgrass\\Vireo";

void PutValue(const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, KEY, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                                             NULL, &key, NULL));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size));
    RegCloseKey(key);
}

void PutDword(const char* name, int32_t value)
{
    PutValue(name, REG_DWORD, &value, sizeof value);
}

struct Stored {
    bool found;
    DWORD type;
    DWORD size;
    int32_t value;
};

Stored ReadStored(const char* name)
{
    Stored stored = {false, 0, 0, 0};
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return stored;
    BYTE data[16] = {};
    stored.size = sizeof data;
    stored.found = RegQueryValueExA(key, name, NULL, &stored.type, data, &stored.size) == ERROR_SUCCESS;
    std::memcpy(&stored.value, data, sizeof stored.value);
    RegCloseKey(key);
    return stored;
}

// A value as the program writes it: REG_DWORD of 4 bytes.
void ExpectSaved(const char* name, int32_t value)
{
    Stored stored = ReadStored(name);
    ASSERT_TRUE(stored.found) << name;
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), stored.type) << name;
    EXPECT_EQ(4u, stored.size) << name;
    EXPECT_EQ(value, stored.value) << name;
}

}  // namespace

class Settings : public Scenario {
protected:
    bool Checked(int id)
    {
        HMENU options = GetSubMenu(GetMenu(window), 1);
        return (GetMenuState(options, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
    }
    POINT Place()
    {
        RECT rect;
        GetWindowRect(window, &rect);
        return POINT{rect.left, rect.top};
    }
    void Exit()
    {
        Command(IDC_EXIT);
        Pump();
        ASSERT_FALSE(IsWindow(window));
        window = NULL;
    }
};

TEST_F(Settings, FirstRunStartsClearAtTheTemplatePlaceAndExitStoresEveryValue)
{
    Open();
    for (int id : {IDM_CUE_MODE, IDM_REPEAT, IDM_SHUFFLE})
        EXPECT_FALSE(Checked(id)) << id;
    EXPECT_TRUE(Enabled(IDC_AUTO_EXIT));
    EXPECT_EQ(0, Place().x);
    EXPECT_EQ(0, Place().y);
    EXPECT_TRUE(FakeMessageBoxes().empty());

    SetWindowPos(window, NULL, 123, 45, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    Command(IDM_CUE_MODE);
    EXPECT_TRUE(Checked(IDM_CUE_MODE));
    EXPECT_FALSE(ReadStored("cue mode").found) << "a toggle does not save";
    Exit();
    ExpectSaved("x", 123);
    ExpectSaved("y", 45);
    ExpectSaved("cue mode", 1);
    ExpectSaved("repeat", 0);
    ExpectSaved("random", 0);
    ExpectSaved("volume", 100);
    EXPECT_TRUE(ReadStored("width").found && ReadStored("height").found);
}

TEST_F(Settings, StoredFlagsShowAndAreSavedBackAsHeldUntilToggled)
{
    // Four bytes of text: only its type tells it from a number.
    PutValue("cue mode", REG_SZ, "yes", 4);
    PutDword("repeat", 1);
    PutDword("random", 7);
    Open("C:\\nowhere\\clip.wav");  // a start with a request ticks auto exit
    EXPECT_FALSE(Checked(IDM_CUE_MODE));
    EXPECT_TRUE(Checked(IDM_REPEAT));
    EXPECT_TRUE(Checked(IDM_SHUFFLE));
    EXPECT_EQ(7, g_playOptions.random);
    EXPECT_FALSE(Enabled(IDC_AUTO_EXIT));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(window, IDC_AUTO_EXIT)) << "disabling keeps the tick";
    Exit();
    ExpectSaved("cue mode", 0);
    ExpectSaved("repeat", 1);
    ExpectSaved("random", 7);

    Open();
    EXPECT_TRUE(Checked(IDM_SHUFFLE));
    Command(IDM_SHUFFLE);
    EXPECT_FALSE(Checked(IDM_SHUFFLE));
    EXPECT_EQ(0, g_playOptions.random);
    Command(IDM_SHUFFLE);
    EXPECT_TRUE(Checked(IDM_SHUFFLE));
    EXPECT_EQ(1, g_playOptions.random);
    // Repeat switches auto exit off and on again each time, its tick untouched.
    CheckDlgButton(window, IDC_AUTO_EXIT, BST_CHECKED);
    for (int round = 0; round < 2; ++round) {
        Command(IDM_REPEAT);
        EXPECT_FALSE(Checked(IDM_REPEAT)) << round;
        EXPECT_TRUE(Enabled(IDC_AUTO_EXIT)) << round;
        Command(IDM_REPEAT);
        EXPECT_TRUE(Checked(IDM_REPEAT)) << round;
        EXPECT_FALSE(Enabled(IDC_AUTO_EXIT)) << round;
        EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(window, IDC_AUTO_EXIT)) << round;
    }
    Exit();
    ExpectSaved("random", 1);
    ExpectSaved("repeat", 1);
}

TEST_F(Settings, FlagsOfAnotherTypeOrSizeCountAsOff)
{
    struct Case {
        const char* what;
        DWORD type;
        std::string bytes;
    };
    const Case cases[] = {
        {"eight bytes", REG_BINARY, std::string("\1\0\0\0\0\0\0\0", 8)},
        {"two bytes", REG_DWORD, std::string("\1\0", 2)},
        {"binary of four", REG_BINARY, std::string("\1\0\0\0", 4)},
        {"empty", REG_DWORD, std::string()},
    };
    for (const Case& c : cases) {
        DeleteSettingsKey();
        for (const char* name : {"cue mode", "repeat", "random"})
            PutValue(name, c.type, c.bytes.data(), static_cast<DWORD>(c.bytes.size()));
        Open();
        for (int id : {IDM_CUE_MODE, IDM_REPEAT, IDM_SHUFFLE})
            EXPECT_FALSE(Checked(id)) << c.what << " " << id;
        EXPECT_TRUE(Enabled(IDC_AUTO_EXIT)) << c.what;
        Exit();
        ExpectSaved("repeat", 0);
    }
}

TEST_F(Settings, PositionNeedsAUsableXAndFallsBackToTheTopForY)
{
    struct Case {
        const char* what;
        const char* xBytes;  // NULL: no "x"
        DWORD xSize;
        DWORD xType;
        const char* yBytes;  // NULL: no "y"
        DWORD ySize;
        POINT expected;
    };
    const int32_t minus300 = -300;
    const int32_t fifty = 50;
    const int32_t twoHundred = 200;
    const char* m300 = reinterpret_cast<const char*>(&minus300);
    const char* y50 = reinterpret_cast<const char*>(&fifty);
    const char* x200 = reinterpret_cast<const char*>(&twoHundred);
    const Case cases[] = {
        {"off screen to the left", m300, 4, REG_DWORD, y50, 4, {-300, 50}},
        {"no x", NULL, 0, REG_DWORD, y50, 4, {0, 0}},
        {"x without y", x200, 4, REG_DWORD, NULL, 0, {200, 0}},
        {"y of two bytes", x200, 4, REG_DWORD, y50, 2, {200, 0}},
        {"x of two bytes", x200, 2, REG_DWORD, y50, 4, {0, 0}},
        // The position's type is not looked at: four bytes are a coordinate.
        {"x as four binary bytes", x200, 4, REG_BINARY, y50, 4, {200, 50}},
    };
    for (const Case& c : cases) {
        DeleteSettingsKey();
        if (c.xBytes != NULL)
            PutValue("x", c.xType, c.xBytes, c.xSize);
        if (c.yBytes != NULL)
            PutValue("y", REG_DWORD, c.yBytes, c.ySize);
        PutDword("repeat", 0);  // the key exists in every case
        Open();
        EXPECT_EQ(c.expected.x, Place().x) << c.what;
        EXPECT_EQ(c.expected.y, Place().y) << c.what;
        Exit();
        ExpectSaved("x", c.expected.x);
        ExpectSaved("y", c.expected.y);
    }
}

TEST_F(Settings, RepeatToggledDuringPlaybackIsReadAtTheListsEnd)
{
    FakeMediaAddFile("C:\\a.wav", 1000);
    Open();
    Add("C:\\a.wav");
    Pump();
    Command(IDM_START);
    Pump();
    ASSERT_EQ(PLAY_PLAYING, g_playState);
    Command(IDM_REPEAT);
    Play(1000);
    EXPECT_EQ(PLAY_PLAYING, g_playState) << "repeat starts the list again";
    EXPECT_EQ(2u, Opened().size());
    Command(IDM_REPEAT);
    Play(1000);
    EXPECT_EQ(PLAY_STOPPED, g_playState);
    EXPECT_EQ("Done with playlist.", Status());
}

// The window's size and the volume are kept beside the position; a size or
// volume nobody could have set gives the template's size and full volume.
TEST_F(Settings, SizeAndVolumeAreKeptAndUnreasonableOnesGiveTheDefaults)
{
    auto size = [&] {
        RECT rect;
        GetWindowRect(window, &rect);
        return SIZE{rect.right - rect.left, rect.bottom - rect.top};
    };
    auto slider = [&] { return static_cast<int>(SendDlgItemMessageA(window, IDC_VOLUME, TBM_GETPOS, 0, 0)); };
    Open();
    const SIZE smallest = size();
    EXPECT_EQ(100, slider());
    SetWindowPos(window, NULL, 0, 0, smallest.cx + 100, smallest.cy + 50, SWP_NOMOVE | SWP_NOZORDER);
    SetWindowPos(window, NULL, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    for (int i = 0; i < 3; ++i)
        Command(IDM_VOLUME_DOWN);
    // Maximised at the end: the size it goes back to is kept.
    ShowWindow(window, SW_MAXIMIZE);
    ASSERT_TRUE(IsZoomed(window));
    Exit();
    ExpectSaved("x", 40);
    ExpectSaved("y", 30);
    ExpectSaved("width", smallest.cx + 100);
    ExpectSaved("height", smallest.cy + 50);
    ExpectSaved("volume", 70);

    Open();
    EXPECT_EQ(smallest.cx + 100, size().cx);
    EXPECT_EQ(smallest.cy + 50, size().cy);
    EXPECT_EQ(70, slider());
    EXPECT_EQ(70, MediaVolume());
    Exit();

    struct Case {
        const char* what;
        int32_t width;
        int32_t height;
        int32_t volume;
    };
    const Case cases[] = {
        {"smaller than the template", 40, 30, 101},
        {"larger than every screen", 100000, smallest.cy + 50, -5},
        {"no height", smallest.cx + 100, 0, 100000},
    };
    for (const Case& c : cases) {
        DeleteSettingsKey();
        PutDword("width", c.width);
        if (c.height != 0)
            PutDword("height", c.height);
        PutDword("volume", c.volume);
        Open();
        EXPECT_EQ(smallest.cx, size().cx) << c.what;
        EXPECT_EQ(smallest.cy, size().cy) << c.what;
        EXPECT_EQ(100, slider()) << c.what;
        Exit();
    }
}
