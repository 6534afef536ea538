#include "hearing.h"

#include <algorithm>
#include <cmath>

#include "resource.h"

// Analysis windows of 50 ms.
static const int WINDOW = RATE / 20;
static const int WINDOW_MS = 50;
static const int BUFFER_SAMPLES = RATE / 4;

bool StartRecording(Recording& recording)
{
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = RATE;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 2;
    format.nAvgBytesPerSec = RATE * 2;
    if (waveInOpen(&recording.device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR)
        return false;
    for (int i = 0; i < BUFFER_COUNT; ++i) {
        recording.buffers[i].assign(BUFFER_SAMPLES, 0);
        WAVEHDR& header = recording.headers[i];
        header.lpData = reinterpret_cast<LPSTR>(recording.buffers[i].data());
        header.dwBufferLength = BUFFER_SAMPLES * 2;
        waveInPrepareHeader(recording.device, &header, sizeof header);
        waveInAddBuffer(recording.device, &header, sizeof header);
    }
    return waveInStart(recording.device) == MMSYSERR_NOERROR;
}

void Collect(Recording& recording, bool requeue)
{
    for (;;) {
        WAVEHDR& header = recording.headers[recording.next];
        if ((header.dwFlags & WHDR_DONE) == 0)
            return;
        const short* data = reinterpret_cast<const short*>(header.lpData);
        recording.samples.insert(recording.samples.end(), data, data + header.dwBytesRecorded / 2);
        header.dwFlags &= ~WHDR_DONE;
        if (requeue)
            waveInAddBuffer(recording.device, &header, sizeof header);
        recording.next = (recording.next + 1) % BUFFER_COUNT;
    }
}

void StopRecording(Recording& recording)
{
    waveInStop(recording.device);
    waveInReset(recording.device);
    Collect(recording, false);
    for (WAVEHDR& header : recording.headers)
        waveInUnprepareHeader(recording.device, &header, sizeof header);
    waveInClose(recording.device);
    recording.device = NULL;
}

void RecordFor(Recording& recording, DWORD ms)
{
    RecordUntil(recording, [] { return false; }, ms);
}

bool WakeRecording(Recording& recording, const std::string& silence)
{
    PlaySoundA(silence.c_str(), NULL, SND_FILENAME | SND_SYNC | SND_NODEFAULT);
    return RecordUntil(recording, [&] { return !recording.samples.empty(); }, 5000);
}

int RecordedMs(const Recording& recording)
{
    return static_cast<int>(recording.samples.size() * 1000 / RATE);
}

double ToneAmplitude(const short* samples, int count, int hz)
{
    double coefficient = 2.0 * std::cos(2.0 * 3.14159265358979 * hz / RATE);
    double s1 = 0.0;
    double s2 = 0.0;
    for (int i = 0; i < count; ++i) {
        double s = samples[i] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return 2.0 * std::sqrt(std::max(power, 0.0)) / count;
}

double ToneAmplitudeBetween(const std::vector<short>& samples, int hz, int fromMs, int toMs)
{
    size_t from = static_cast<size_t>(fromMs) * RATE / 1000;
    size_t to = std::min(samples.size(), static_cast<size_t>(toMs) * RATE / 1000);
    if (to <= from)
        return 0.0;
    return ToneAmplitude(samples.data() + from, static_cast<int>(to - from), hz);
}

std::vector<ToneRun> FindTones(const std::vector<short>& samples, const std::vector<int>& pitches)
{
    std::vector<ToneRun> runs;
    for (size_t at = 0; at + WINDOW <= samples.size(); at += WINDOW) {
        const short* window = samples.data() + at;
        double energy = 0.0;
        for (int i = 0; i < WINDOW; ++i)
            energy += static_cast<double>(window[i]) * window[i];
        double peak = std::sqrt(2.0 * energy / WINDOW);  // a sine's amplitude from its mean square
        int hz = 0;
        if (peak > 1000.0) {
            for (int pitch : pitches)
                if (ToneAmplitude(window, WINDOW, pitch) > 0.7 * peak)
                    hz = pitch;
        }
        int startMs = static_cast<int>(at / WINDOW) * WINDOW_MS;
        if (!runs.empty() && runs.back().hz == hz)
            runs.back().endMs = startMs + WINDOW_MS;
        else
            runs.push_back(ToneRun{hz, startMs, startMs + WINDOW_MS});
    }
    // Short stretches of another pitch inside a tone are windows straddling a
    // change, and a dropout under load is no new start; a longer silence
    // splits two tones of one pitch.
    std::vector<ToneRun> tones;
    for (const ToneRun& run : runs) {
        if (run.hz == 0 || run.endMs - run.startMs < 150)
            continue;
        if (!tones.empty() && tones.back().hz == run.hz && run.startMs - tones.back().endMs < 500)
            tones.back().endMs = run.endMs;
        else
            tones.push_back(run);
    }
    return tones;
}

std::string Describe(const std::vector<ToneRun>& tones)
{
    std::string text;
    for (const ToneRun& run : tones)
        text += std::to_string(run.hz) + " Hz " + std::to_string(run.startMs) + "-" + std::to_string(run.endMs) +
                " ms; ";
    return text;
}

std::vector<int> Pitches(const std::vector<ToneRun>& tones)
{
    std::vector<int> pitches;
    for (const ToneRun& run : tones)
        pitches.push_back(run.hz);
    return pitches;
}

std::vector<int> Gaps(const std::vector<ToneRun>& tones)
{
    std::vector<int> gaps;
    for (size_t i = 1; i < tones.size(); ++i)
        gaps.push_back(tones[i].startMs - tones[i - 1].endMs);
    return gaps;
}

double SilenceAround(const std::vector<short>& samples, int fromMs, int toMs)
{
    size_t from = static_cast<size_t>(std::max(fromMs - 100, 0)) * RATE / 1000;
    size_t to = std::min(samples.size(), static_cast<size_t>(toMs + 100) * RATE / 1000);
    size_t longest = 0;
    size_t quiet = 0;
    for (size_t i = from; i < to; ++i) {
        quiet = std::abs(samples[i]) < 300 ? quiet + 1 : 0;
        longest = std::max(longest, quiet);
    }
    return 1000.0 * static_cast<double>(longest) / RATE;
}

std::string TextOf(HWND window, int id)
{
    char text[512] = "";
    DWORD_PTR result = 0;
    SendMessageTimeoutA(GetDlgItem(window, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, ANSWER_WAIT_MS, &result);
    text[sizeof text - 1] = '\0';
    return text;
}

int SelectedIndex(HWND window)
{
    DWORD_PTR result = static_cast<DWORD_PTR>(LB_ERR);
    SendMessageTimeoutA(GetDlgItem(window, IDC_PLAYLIST), LB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, ANSWER_WAIT_MS,
                        &result);
    return static_cast<int>(result);
}
