// The volume reaches what is open at once and every entry opened later: the
// program's own level in the mixer (real under Wine, as on Windows Vista and
// later), or an MP3's own volume with that level left at full.
#include "playback_scenario.h"

#include <commctrl.h>
#include <mmsystem.h>

namespace {

// The playback volume the mixer shows for this program, in percent; -1 when
// it has none.
int MixerPercent()
{
    MIXERLINEA line = {};
    line.cbStruct = sizeof line;
    line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
    HMIXEROBJ mixer = reinterpret_cast<HMIXEROBJ>(static_cast<UINT_PTR>(0));
    if (mixerGetLineInfoA(mixer, &line, MIXER_OBJECTF_MIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) != 0)
        return -1;
    MIXERCONTROLA control = {};
    control.cbStruct = sizeof control;
    MIXERLINECONTROLSA controls = {};
    controls.cbStruct = sizeof controls;
    controls.dwLineID = line.dwLineID;
    controls.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
    controls.cControls = 1;
    controls.cbmxctrl = sizeof control;
    controls.pamxctrl = &control;
    if (mixerGetLineControlsA(mixer, &controls, MIXER_OBJECTF_MIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) != 0)
        return -1;
    MIXERCONTROLDETAILS_UNSIGNED value = {};
    MIXERCONTROLDETAILS details = {};
    details.cbStruct = sizeof details;
    details.dwControlID = control.dwControlID;
    details.cChannels = 1;
    details.cbDetails = sizeof value;
    details.paDetails = &value;
    if (mixerGetControlDetailsA(mixer, &details, MIXER_OBJECTF_MIXER | MIXER_GETCONTROLDETAILSF_VALUE) != 0)
        return -1;
    DWORD span = control.Bounds.dwMaximum - control.Bounds.dwMinimum;
    return static_cast<int>(((value.dwValue - control.Bounds.dwMinimum) * 100 + span / 2) / span);
}

}  // namespace

TEST_F(PlaybackScenario, TheVolumeReachesWhatIsOpenAndEveryLaterEntry)
{
    OpenRecording();
    AddFile("tone.wav");
    AddFile("song.mp3");
    HWND slider = GetDlgItem(window, IDC_VOLUME);
    ASSERT_NE(-1, MixerPercent()) << "a mixer to read back";

    // The user drags the slider to the middle.
    SendMessageA(slider, TBM_SETPOS, TRUE, 50);
    SendMessageA(window, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 50), reinterpret_cast<LPARAM>(slider));
    EXPECT_EQ(50, MediaVolume());
    EXPECT_EQ(50, MixerPercent());

    Command(IDM_START);
    Pump();
    EXPECT_EQ(50, MixerPercent()) << "the wave file plays at the program's level";
    EXPECT_EQ(-1, FakeMediaVolume("VireoMedia")) << "its device has no volume of its own";

    // The MP3 is turned down by its own device, once.
    Play(LENGTH_MS);
    ASSERT_EQ("song.mp3", CurrentName());
    EXPECT_EQ(500, FakeMediaVolume("VireoMedia"));
    EXPECT_EQ(100, MixerPercent());

    // The tray's steps, at once, within 0 and 100.
    Command(IDM_VOLUME_UP);
    EXPECT_EQ(600, FakeMediaVolume("VireoMedia"));
    EXPECT_EQ(60, SendMessageA(slider, TBM_GETPOS, 0, 0));
    for (int i = 0; i < 8; ++i)
        Command(IDM_VOLUME_DOWN);
    EXPECT_EQ(0, FakeMediaVolume("VireoMedia"));
    EXPECT_EQ(0, SendMessageA(slider, TBM_GETPOS, 0, 0));
    for (int i = 0; i < 12; ++i)
        Command(IDM_VOLUME_UP);
    EXPECT_EQ(1000, FakeMediaVolume("VireoMedia"));
    EXPECT_EQ(100, MediaVolume());
    Command(IDM_STOP);
}

// A start leaves the mixer alone (its drivers are slow to load): the volume
// kept from the last run is what the first entry opened plays at.
TEST_F(PlaybackScenario, TheKeptVolumeWaitsForTheFirstEntryOpened)
{
    SetMediaVolume(100);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, NULL, REG_OPTION_NON_VOLATILE,
                                             KEY_WRITE, NULL, &key, NULL));
    DWORD kept = 40;
    RegSetValueExA(key, "volume", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&kept), sizeof kept);
    RegCloseKey(key);
    OpenRecording();
    EXPECT_EQ(40, SendDlgItemMessageA(window, IDC_VOLUME, TBM_GETPOS, 0, 0));
    EXPECT_EQ(100, MixerPercent()) << "nothing applied before anything is opened";

    AddFile("tone.wav");
    Command(IDM_START);
    Pump();
    EXPECT_EQ(40, MixerPercent());
    Command(IDM_STOP);
}
