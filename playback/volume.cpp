// The volume of what Vireo plays.
//
// From Windows Vista on, the volume controls of the legacy mixer are the
// calling program's own audio session: they change Vireo's loudness and no
// other program's ("Audio Mixers in Windows Vista"). The media layer's MPEG
// device (MP3 and the like) has a volume of its own ("setaudio ... volume");
// while it plays, the session stays at full so that its sound is turned down
// once, not twice. Earlier systems have no sessions: there the sound card's
// wave and MIDI output levels, which every program shares, are set.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>

#include "playback.h"
#include "foundation.h"
#include "../app/system_functions.h"

static int s_percent = FULL_VOLUME;

static const int DEVICE_VOLUME_PER_PERCENT = 10;       // "setaudio" counts to 1000
static const DWORD LEVEL_MAXIMUM = 0xFFFF;             // waveOut and midiOut levels

// Windows Vista brought the audio sessions, and with them GetTickCount64;
// looked up rather than imported, as the older loaders require.
static bool HasAudioSessions()
{
    ULONGLONG(WINAPI * tickCount64)() = NULL;
    return FindSystemFunction("kernel32.dll", "GetTickCount64", &tickCount64);
}

// The one volume control of each playback line of each mixer.
static void SetMixerVolumes(int percent)
{
    UINT mixers = mixerGetNumDevs();
    for (UINT mixer = 0; mixer < mixers; ++mixer) {
        HMIXEROBJ object = reinterpret_cast<HMIXEROBJ>(static_cast<UINT_PTR>(mixer));
        MIXERCAPSA caps;
        if (mixerGetDevCapsA(mixer, &caps, sizeof caps) != MMSYSERR_NOERROR)
            continue;
        for (DWORD destination = 0; destination < caps.cDestinations; ++destination) {
            MIXERLINEA line;
            ZeroMemory(&line, sizeof line);
            line.cbStruct = sizeof line;
            line.dwDestination = destination;
            if (mixerGetLineInfoA(object, &line, MIXER_OBJECTF_MIXER | MIXER_GETLINEINFOF_DESTINATION) !=
                    MMSYSERR_NOERROR ||
                line.dwComponentType == MIXERLINE_COMPONENTTYPE_DST_WAVEIN ||
                line.dwComponentType == MIXERLINE_COMPONENTTYPE_DST_VOICEIN)
                continue;
            MIXERCONTROLA control;
            ZeroMemory(&control, sizeof control);
            control.cbStruct = sizeof control;
            MIXERLINECONTROLSA controls;
            ZeroMemory(&controls, sizeof controls);
            controls.cbStruct = sizeof controls;
            controls.dwLineID = line.dwLineID;
            controls.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
            controls.cControls = 1;
            controls.cbmxctrl = sizeof control;
            controls.pamxctrl = &control;
            if (mixerGetLineControlsA(object, &controls, MIXER_OBJECTF_MIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) !=
                MMSYSERR_NOERROR)
                continue;
            MIXERCONTROLDETAILS_UNSIGNED value;
            DWORD span = control.Bounds.dwMaximum - control.Bounds.dwMinimum;
            value.dwValue = control.Bounds.dwMinimum + static_cast<DWORD>(static_cast<ULONGLONG>(span) * percent / FULL_VOLUME);
            MIXERCONTROLDETAILS details;
            ZeroMemory(&details, sizeof details);
            details.cbStruct = sizeof details;
            details.dwControlID = control.dwControlID;
            details.cChannels = 1;  // every channel alike
            details.cbDetails = sizeof value;
            details.paDetails = &value;
            mixerSetControlDetails(object, &details, MIXER_OBJECTF_MIXER | MIXER_SETCONTROLDETAILSF_VALUE);
        }
    }
}

// Left in the low word, right in the high word.
static DWORD BothChannels(int percent)
{
    DWORD level = LEVEL_MAXIMUM * static_cast<DWORD>(percent) / FULL_VOLUME;
    return level | (level << 16);
}

static void SetDeviceLevels(int percent)
{
    DWORD level = BothChannels(percent);
    UINT waves = waveOutGetNumDevs();
    for (UINT device = 0; device < waves; ++device)
        waveOutSetVolume(reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(device)), level);
    UINT synths = midiOutGetNumDevs();
    for (UINT device = 0; device < synths; ++device)
        midiOutSetVolume(reinterpret_cast<HMIDIOUT>(static_cast<UINT_PTR>(device)), level);
}

// The MPEG device's own volume; false where the device has none.
static bool SetDeviceVolume(int percent)
{
    char command[COMMAND_CAPACITY];
    std::snprintf(command, sizeof command, "setaudio %s volume to %d wait", MEDIA_ALIAS,
                  percent * DEVICE_VOLUME_PER_PERCENT);
    return SendMediaCommand(command, NULL, 0, NULL) == 0;
}

void ApplyMediaVolume()
{
    // A Media Foundation entry has a volume of its own, as the MPEG device does.
    SetFoundationVolume(s_percent);
    bool ownVolume = FoundationHoldsMedia() || SetDeviceVolume(s_percent);
    if (HasAudioSessions())
        SetMixerVolumes(ownVolume ? FULL_VOLUME : s_percent);
    else if (!ownVolume)
        SetDeviceLevels(s_percent);
}

void KeepMediaVolume(int percent)
{
    if (percent < 0)
        percent = 0;
    if (percent > FULL_VOLUME)
        percent = FULL_VOLUME;
    s_percent = percent;
}

void SetMediaVolume(int percent)
{
    KeepMediaVolume(percent);
    ApplyMediaVolume();
}

int MediaVolume()
{
    return s_percent;
}
