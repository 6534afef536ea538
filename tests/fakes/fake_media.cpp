// A media layer that understands exactly the command strings Vireo sends,
// with devices under a clock the test moves, posting MM_MCINOTIFY the way
// the real layer does: at the end of a play, and also (aborted) when a play
// with notify is halted by stop or close.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "fake_import.h"
#include "fake_world.h"

namespace {

struct FakeFile {
    int lengthMs;
    bool playFails;
};

struct FakeDevice {
    std::string element;
    bool cd = false;
    bool playing = false;
    int positionMs = 0;
    int endMs = 0;
    int lengthMs = 0;
    bool playFails = false;
    HWND notifyWindow = NULL;
    UINT id = 0;
    // Ended and notified, still saying it plays until the clock moves on.
    bool stopping = false;
    // Its own volume, 0 to 1000, where it has one; -1 until set.
    int volume = -1;
};

std::map<std::string, FakeFile> g_files;
std::vector<std::pair<int, int>> g_cdTracks;
bool g_cdPresent = false;
std::map<std::string, FakeDevice> g_devices;
std::vector<std::string> g_commands;
UINT g_nextDeviceId = 1;
bool g_failPositions = false;
bool g_noOutput = false;
bool g_endsBeforeStopping = false;

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

void Reply(LPSTR reply, UINT capacity, const std::string& text)
{
    if (reply == NULL || capacity == 0)
        return;
    lstrcpynA(reply, text.c_str(), static_cast<int>(capacity));
}

void Notify(FakeDevice& device, WPARAM flags)
{
    if (device.notifyWindow != NULL)
        PostMessageA(device.notifyWindow, MM_MCINOTIFY, flags, device.id);
    device.notifyWindow = NULL;
}

void Halt(FakeDevice& device)
{
    if (device.playing)
        Notify(device, MCI_NOTIFY_ABORTED);
    device.playing = false;
}

int CdDiscLength()
{
    int end = 0;
    for (auto& track : g_cdTracks)
        end = std::max(end, track.first + track.second);
    return end;
}

MCIERROR Open(const std::vector<std::string>& words)
{
    // open <element> alias <alias> [wait] [shareable]
    if (words.size() < 4 || Lower(words[2]) != "alias")
        return FAKE_MCI_BAD_KEYWORD;
    for (size_t i = 4; i < words.size(); ++i)
        if (Lower(words[i]) != "wait")
            return FAKE_MCI_BAD_KEYWORD;
    std::string alias = Lower(words[3]);
    if (g_devices.count(alias) != 0)
        return FAKE_MCI_ALIAS_IN_USE;
    FakeDevice device;
    device.element = words[1];
    if (Lower(words[1]) == "cdaudio") {
        if (!g_cdPresent)
            return FAKE_MCI_NO_CD;
        for (auto& other : g_devices)
            if (other.second.cd)
                return FAKE_MCI_ALIAS_IN_USE;  // the drive is not opened twice
        device.cd = true;
        device.lengthMs = CdDiscLength();
    } else {
        auto file = g_files.find(Lower(words[1]));
        if (file == g_files.end())
            return FakeFoundationKnows(words[1]) ? FAKE_MCI_BAD_KEYWORD : FAKE_MCI_FILE_NOT_FOUND;
        device.lengthMs = file->second.lengthMs;
        device.playFails = file->second.playFails;
    }
    device.id = g_nextDeviceId++;
    g_devices[alias] = device;
    return 0;
}

MCIERROR Play(FakeDevice& device, const std::vector<std::string>& words, HWND notify)
{
    int from = -1;
    int to = -1;
    bool wantNotify = false;
    for (size_t i = 2; i < words.size(); ++i) {
        std::string word = Lower(words[i]);
        if (word == "from" && i + 1 < words.size())
            from = std::atoi(words[++i].c_str());
        else if (word == "to" && i + 1 < words.size())
            to = std::atoi(words[++i].c_str());
        else if (word == "notify")
            wantNotify = true;
        else if (word != "wait")
            return FAKE_MCI_BAD_KEYWORD;
    }
    if (device.playFails)
        return FAKE_MCI_PLAY_FAILED;
    if (device.playing && device.notifyWindow != NULL)
        Notify(device, MCI_NOTIFY_SUPERSEDED);
    // Without an output device the play is taken and fails at once.
    if (g_noOutput && !device.cd) {
        device.notifyWindow = wantNotify ? notify : NULL;
        Notify(device, MCI_NOTIFY_FAILURE);
        return 0;
    }
    if (from >= 0)
        device.positionMs = from;
    device.endMs = to >= 0 ? to : device.lengthMs;
    device.playing = true;
    device.notifyWindow = wantNotify ? notify : NULL;
    return 0;
}

// Like the MPEG device, an MP3's takes a volume of its own; the wave
// audio device knows no such command.
MCIERROR SetAudio(FakeDevice& device, const std::vector<std::string>& words)
{
    std::string element = Lower(device.element);
    if (element.size() < 4 || element.compare(element.size() - 4, 4, ".mp3") != 0)
        return FAKE_MCI_UNRECOGNIZED;
    // setaudio <alias> volume to N [wait]
    if (words.size() < 5 || Lower(words[2]) != "volume" || Lower(words[3]) != "to")
        return FAKE_MCI_BAD_KEYWORD;
    device.volume = std::atoi(words[4].c_str());
    return 0;
}

MCIERROR Status(FakeDevice& device, const std::vector<std::string>& words, LPSTR reply, UINT capacity)
{
    // status <alias> position|length [track N] wait
    if (words.size() < 3)
        return FAKE_MCI_BAD_KEYWORD;
    std::string what = Lower(words[2]);
    int track = -1;
    if (words.size() >= 5 && Lower(words[3]) == "track")
        track = std::atoi(words[4].c_str());
    if (track >= 0) {
        if (!device.cd || track < 1 || track > static_cast<int>(g_cdTracks.size()))
            return FAKE_MCI_BAD_KEYWORD;
        auto& entry = g_cdTracks[static_cast<size_t>(track - 1)];
        Reply(reply, capacity, std::to_string(what == "position" ? entry.first : entry.second));
        return 0;
    }
    if (what == "position") {
        if (g_failPositions)
            return FAKE_MCI_BAD_KEYWORD;
        Reply(reply, capacity, std::to_string(device.positionMs));
        return 0;
    }
    if (what == "length") {
        Reply(reply, capacity, std::to_string(device.lengthMs));
        return 0;
    }
    if (what == "mode") {
        Reply(reply, capacity, device.playing ? "playing" : "stopped");
        return 0;
    }
    return FAKE_MCI_BAD_KEYWORD;
}

// Blank-separated words; a word in double quotes may hold blanks.
std::vector<std::string> Words(const char* command)
{
    std::vector<std::string> words;
    const char* p = command;
    for (;;) {
        while (*p == ' ')
            ++p;
        if (*p == '\0')
            return words;
        std::string word;
        if (*p == '"') {
            for (++p; *p != '\0' && *p != '"'; ++p)
                word += *p;
            if (*p == '"')
                ++p;
        } else {
            for (; *p != '\0' && *p != ' '; ++p)
                word += *p;
        }
        words.push_back(word);
    }
}

MCIERROR WINAPI FakeMciSendStringA(LPCSTR command, LPSTR reply, UINT capacity, HWND notify)
{
    g_commands.push_back(command);
    if (reply != NULL && capacity > 0)
        reply[0] = '\0';
    std::vector<std::string> words = Words(command);
    if (words.size() < 2)
        return FAKE_MCI_BAD_KEYWORD;
    std::string verb = Lower(words[0]);
    if (verb == "open")
        return Open(words);
    auto found = g_devices.find(Lower(words[1]));
    if (found == g_devices.end())
        return FAKE_MCI_NOT_OPEN;
    FakeDevice& device = found->second;
    if (verb == "close") {
        Halt(device);
        g_devices.erase(found);
        return 0;
    }
    // The halted play's aborted notice comes at the pause here, at the stop
    // that follows on the real layer: the sequencer takes neither for an end.
    if (verb == "stop" || verb == "pause") {
        Halt(device);
        return 0;
    }
    if (verb == "set")
        return 0;
    if (verb == "play")
        return Play(device, words, notify);
    if (verb == "status")
        return Status(device, words, reply, capacity);
    if (verb == "setaudio")
        return SetAudio(device, words);
    return FAKE_MCI_BAD_KEYWORD;
}

}  // namespace

FAKE_IMPORT(mciSendStringA, 16, FakeMciSendStringA)

void FakeMediaReset()
{
    g_files.clear();
    g_cdTracks.clear();
    g_cdPresent = false;
    g_devices.clear();
    g_commands.clear();
    g_failPositions = false;
    g_noOutput = false;
    g_endsBeforeStopping = false;
    FakeVolumeWithoutShortNames(false);
    FakeFoundationReset();
}

void FakeMediaAddFile(const std::string& path, int lengthMs, bool playFails)
{
    g_files[Lower(path)] = FakeFile{lengthMs, playFails};
}

void FakeMediaInsertCd(const std::vector<std::pair<int, int>>& tracks)
{
    g_cdTracks = tracks;
    g_cdPresent = true;
}

void FakeMediaAdvance(int ms)
{
    FakeFoundationAdvance(ms);
    for (auto& entry : g_devices) {
        FakeDevice& device = entry.second;
        if (!device.playing)
            continue;
        if (device.stopping) {
            device.stopping = false;
            device.playing = false;
            continue;
        }
        device.positionMs += ms;
        if (device.positionMs >= device.endMs) {
            device.positionMs = device.endMs;
            device.playing = g_endsBeforeStopping;
            device.stopping = g_endsBeforeStopping;
            Notify(device, MCI_NOTIFY_SUCCESSFUL);
        }
    }
}

const std::vector<std::string>& FakeMediaCommands()
{
    return g_commands;
}

void FakeMediaClearCommands()
{
    g_commands.clear();
}

std::string FakeMediaElement(const std::string& alias)
{
    auto found = g_devices.find(Lower(alias));
    return found == g_devices.end() ? std::string() : found->second.element;
}

bool FakeMediaPlaying(const std::string& alias)
{
    auto found = g_devices.find(Lower(alias));
    return found != g_devices.end() && found->second.playing;
}

int FakeMediaVolume(const std::string& alias)
{
    auto found = g_devices.find(Lower(alias));
    return found == g_devices.end() ? -1 : found->second.volume;
}

int FakeMediaPosition(const std::string& alias)
{
    auto found = g_devices.find(Lower(alias));
    return found == g_devices.end() ? -1 : found->second.positionMs;
}

void FakeMediaFailPositionQueries(bool fail)
{
    g_failPositions = fail;
}

void FakeMediaRemoveOutput(bool removed)
{
    g_noOutput = removed;
}

void FakeMediaEndsBeforeStopping(bool before)
{
    g_endsBeforeStopping = before;
}
