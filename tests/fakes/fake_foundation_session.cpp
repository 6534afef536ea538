// The fake media session: events queued as the real one queues them, read
// by a blocking GetEvent from the program's own thread, and a clock that
// the test moves on. An advance returns once that thread has taken every
// event and waits again, so whatever it posted is in the window's queue.
#include "fake_foundation.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

namespace {

const auto TAKEN_WAIT = std::chrono::seconds(5);

class FakeSession;
// The program shuts its sessions down on their own threads.
std::mutex g_liveGuard;
std::vector<FakeSession*> g_liveSessions;

struct QueuedEvent {
    MediaEventType type;
    HRESULT status;
    UINT32 topologyStatus;
};

class FakeSession : public FakeUnknown<IMFMediaSession> {
public:
    std::string path;
    FakeFoundationFile file;
    bool playing = false;
    bool ended = false;
    FakeClock* clock = new FakeClock;
    FakeVolume* volume = NULL;

    FakeSession()
    {
        std::lock_guard<std::mutex> lock(g_liveGuard);
        g_liveSessions.push_back(this);
    }
    ~FakeSession() override
    {
        Forget();
        clock->Release();
        if (volume != NULL)
            volume->Release();
    }

    void Queue(MediaEventType type, HRESULT status = S_OK, UINT32 topologyStatus = 0)
    {
        std::lock_guard<std::mutex> lock(mutex);
        events.push_back(QueuedEvent{type, status, topologyStatus});
        changed.notify_all();
    }

    // Until the reader has taken every event and waits for the next.
    bool AwaitTaken()
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, TAKEN_WAIT, [this] { return shutDown || (events.empty() && waiting); });
    }

    void Advance(int ms)
    {
        if (playing && !ended) {
            int reached = clock->positionMs + ms;
            if (file.failsAtMs >= 0 && reached >= file.failsAtMs) {
                clock->positionMs = file.failsAtMs;
                Finish();
                Queue(MEError, E_FAIL);
            } else if (reached >= file.playsMs) {
                clock->positionMs = file.playsMs;
                Finish();
                Queue(MEEndOfPresentation);
                Queue(MESessionEnded);
            } else {
                clock->positionMs = reached;
            }
        }
        AwaitTaken();
    }

    // The file went away under it: the session fails whatever its state.
    void Break()
    {
        Finish();
        Queue(MEError, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
        AwaitTaken();
    }

    HRESULT STDMETHODCALLTYPE GetEvent(DWORD flags, IMFMediaEvent** event) override
    {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            if (shutDown) {
                readerGone = true;
                changed.notify_all();
                return MF_E_SHUTDOWN;
            }
            if (!events.empty())
                break;
            if (flags == MF_EVENT_FLAG_NO_WAIT)
                return MF_E_NO_EVENTS_AVAILABLE;
            waiting = true;
            changed.notify_all();
            changed.wait(lock);
            waiting = false;
        }
        QueuedEvent next = events.front();
        events.pop_front();
        FakeEvent* made = new FakeEvent;
        made->type = next.type;
        made->status = next.status;
        if (next.type == MESessionTopologyStatus)
            made->numbers[MF_EVENT_TOPOLOGY_STATUS] = next.topologyStatus;
        *event = made;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE SetTopology(DWORD, IMFTopology* topology) override
    {
        const FakeSourceState* source = FakeTopologySource(topology);
        if (source == NULL)
            return E_INVALIDARG;
        path = source->path;
        file = source->file;
        Queue(MESessionTopologySet);
        if (file.decodes) {
            volume = new FakeVolume;
            Queue(MESessionTopologyStatus, S_OK, MF_TOPOSTATUS_READY);
        } else {
            Queue(MESessionTopologyStatus, MF_E_TOPO_CODEC_NOT_FOUND, MF_TOPOSTATUS_INVALID);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Start(const GUID*, const PROPVARIANT* position) override
    {
        if (shutDown)
            return MF_E_SHUTDOWN;
        // VT_EMPTY: from where it stands; VT_I8: from that many 100 ns units in.
        if (position->vt == VT_I8)
            clock->positionMs = static_cast<int>(position->hVal.QuadPart / FAKE_TICKS_PER_MS);
        else if (position->vt != VT_EMPTY)
            return E_INVALIDARG;
        playing = true;
        Queue(MESessionStarted);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Pause() override
    {
        playing = false;
        Queue(MESessionPaused);
        return S_OK;
    }
    // As the real one, it only queues its last event; it then waits until
    // the program's thread, having shut everything down, has gone, so that
    // a test sees the close done.
    HRESULT STDMETHODCALLTYPE Close() override
    {
        playing = false;
        if (!file.closes)
            return S_OK;
        Queue(MESessionClosed);
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait_for(lock, TAKEN_WAIT, [this] { return readerGone; });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Shutdown() override
    {
        std::lock_guard<std::mutex> lock(mutex);
        shutDown = true;
        changed.notify_all();
        Forget();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetClock(IMFClock** given) override
    {
        clock->AddRef();
        *given = clock;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ClearTopologies() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stop() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSessionCapabilities(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFullTopology(DWORD, TOPOID, IMFTopology**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BeginGetEvent(IMFAsyncCallback*, IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EndGetEvent(IMFAsyncResult*, IMFMediaEvent**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueueEvent(MediaEventType, REFGUID, HRESULT, const PROPVARIANT*) override { return E_NOTIMPL; }

private:
    void Finish()
    {
        playing = false;
        ended = true;
    }
    void Forget()
    {
        std::lock_guard<std::mutex> lock(g_liveGuard);
        for (auto at = g_liveSessions.begin(); at != g_liveSessions.end(); ++at)
            if (*at == this) {
                g_liveSessions.erase(at);
                return;
            }
    }
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<QueuedEvent> events;
    bool waiting = false;
    bool shutDown = false;
    bool readerGone = false;
};

FakeSession* Newest()
{
    std::lock_guard<std::mutex> lock(g_liveGuard);
    return g_liveSessions.empty() ? NULL : g_liveSessions.back();
}

}  // namespace

IMFMediaSession* NewFakeSession()
{
    return new FakeSession;
}

HRESULT FakeSessionService(IUnknown* object, REFGUID service, REFIID iid, void** out)
{
    *out = NULL;
    FakeSession* session = dynamic_cast<FakeSession*>(static_cast<IMFMediaSession*>(object));
    if (session == NULL || session->volume == NULL || !IsEqualGUID(service, MR_STREAM_VOLUME_SERVICE))
        return MF_E_UNSUPPORTED_SERVICE;
    return session->volume->QueryInterface(iid, out);
}

void FakeFoundationSessionsReset()
{
    std::lock_guard<std::mutex> lock(g_liveGuard);
    g_liveSessions.clear();
}

int FakeFoundationLiveSessions()
{
    std::lock_guard<std::mutex> lock(g_liveGuard);
    return static_cast<int>(g_liveSessions.size());
}

std::string FakeFoundationPath()
{
    return Newest() == NULL ? std::string() : Newest()->path;
}

bool FakeFoundationPlaying()
{
    return Newest() != NULL && Newest()->playing;
}

int FakeFoundationPositionMs()
{
    return Newest() == NULL ? -1 : Newest()->clock->positionMs.load();
}

float FakeFoundationVolume()
{
    return Newest() == NULL || Newest()->volume == NULL ? -1.0f : Newest()->volume->levels[0];
}

void FakeFoundationBreak()
{
    if (Newest() != NULL)
        Newest()->Break();
}

void FakeFoundationAdvance(int ms)
{
    if (Newest() != NULL)
        Newest()->Advance(ms);
}
