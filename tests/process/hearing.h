// Hearing what vireo.exe plays: the default recording source is the monitor
// of the sink it plays into, so what is recorded is what a listener hears;
// and reading the player's window from outside.
#ifndef VIREO_HEARING_H
#define VIREO_HEARING_H

#include <windows.h>
#include <mmsystem.h>

#include <iterator>
#include <string>
#include <vector>

const int RATE = 22050;
// The pitches the analysis tells apart.
const int KNOWN_PITCHES[] = {440, 660, 880, 1320};
const int BUFFER_COUNT = 8;

struct Recording {
    HWAVEIN device = NULL;
    WAVEHDR headers[BUFFER_COUNT] = {};
    std::vector<short> buffers[BUFFER_COUNT];
    std::vector<short> samples;
    int next = 0;
};

bool StartRecording(Recording& recording);
// Takes the filled buffers in the order the driver fills them, which is the
// order they were queued in, and hands them back.
void Collect(Recording& recording, bool requeue);
void StopRecording(Recording& recording);

// Records while waiting for check() to hold; false when the time is up.
template <typename Check>
bool RecordUntil(Recording& recording, Check check, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        Collect(recording, true);
        if (check())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(20);
    }
}

void RecordFor(Recording& recording, DWORD ms);
// The sound server hands the recorder nothing until something plays, and
// the start of the first sound is lost on the way: a silent sound first, so
// that the first entry is heard from its start.
bool WakeRecording(Recording& recording, const std::string& silence);
// Milliseconds recorded so far.
int RecordedMs(const Recording& recording);

double ToneAmplitude(const short* samples, int count, int hz);
// The amplitude of a tone of the given pitch between two moments of the recording.
double ToneAmplitudeBetween(const std::vector<short>& samples, int hz, int fromMs, int toMs);

// One stretch of the recording with a single dominant pitch (0: silence).
struct ToneRun {
    int hz;
    int startMs;
    int endMs;
};
// The pitch of each 50 ms window, gathered into runs of one of the pitches.
std::vector<ToneRun> FindTones(const std::vector<short>& samples,
                               const std::vector<int>& pitches = std::vector<int>(std::begin(KNOWN_PITCHES),
                                                                                  std::end(KNOWN_PITCHES)));
std::string Describe(const std::vector<ToneRun>& tones);
std::vector<int> Pitches(const std::vector<ToneRun>& tones);
std::vector<int> Gaps(const std::vector<ToneRun>& tones);
// The longest stretch of near-silent samples around a change of tone, in
// milliseconds: finer than the analysis windows. A sine stays this quiet
// only for a few samples at each zero crossing.
double SilenceAround(const std::vector<short>& samples, int fromMs, int toMs);

// A player that crashed sits in the debugger and answers nothing: every
// question to it gives up after a second rather than hang the test.
const UINT ANSWER_WAIT_MS = 1000;
std::string TextOf(HWND window, int id);
int SelectedIndex(HWND window);

#endif
