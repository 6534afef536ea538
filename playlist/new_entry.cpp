// The records behind the list's items: a file entry as the disk knows it, a
// CD track as the drive tells its place.
#include <windows.h>

#include <cstring>

#include "playlist.h"
#include "../playback/playback.h"

void QueryCdTrack(int32_t track, int32_t* startMs, int32_t* lengthMs)
{
    char command[COMMAND_CAPACITY];
    char startReply[CD_REPLY_CAPACITY];
    char lengthReply[CD_REPLY_CAPACITY];
    // The CD already open for playback answers for itself; otherwise the drive
    // is opened under an alias of its own, so that the playing entry is neither
    // closed nor asked in the CD's place.
    const char* alias = MEDIA_ALIAS;
    bool ownDevice = !MediaHoldsCd();
    *startMs = 0;
    *lengthMs = 0;
    if (ownDevice) {
        alias = CD_QUERY_ALIAS;
        if (SendMediaCommand("open cdaudio alias VireoCdQuery wait", NULL, 0, NULL) != 0)
            return;
        SendMediaCommand("set VireoCdQuery time format ms wait", NULL, 0, NULL);
    }
    ComposeCdTrackQuery(command, sizeof command, alias, "position", track);
    SendMediaCommand(command, startReply, CD_REPLY_CAPACITY, NULL);
    ComposeCdTrackQuery(command, sizeof command, alias, "length", track);
    SendMediaCommand(command, lengthReply, CD_REPLY_CAPACITY, NULL);
    if (ownDevice)
        SendMediaCommand("close VireoCdQuery", NULL, 0, NULL);
    *startMs = ParseReplyInteger(startReply);
    *lengthMs = ParseReplyInteger(lengthReply);
}

// A path with wildcards names no one file, whatever a search would match.
static bool HasWildcard(const char* text)
{
    return std::strpbrk(text, "*?") != NULL;
}

void GetAnsiLeadBytes(LeadBytes* leads)
{
    CPINFO info;
    if (GetCPInfo(CP_ACP, &info))
        FillLeadBytes(leads, info.LeadByte, MAX_LEADBYTES);
    else
        FillLeadBytes(leads, NULL, 0);
}

void LookUpFile(char* text, char* display)
{
    WIN32_FIND_DATAA found;
    HANDLE search = HasWildcard(text) ? INVALID_HANDLE_VALUE : FindFirstFileA(text, &found);
    if (search == INVALID_HANDLE_VALUE) {
        LeadBytes leads;
        GetAnsiLeadBytes(&leads);
        CopyBounded(display, TEXT_CAPACITY, NameAfterLastBackslash(text, leads));
        return;
    }
    char shortPath[MAILBOX_CAPACITY];
    DWORD length = GetShortPathNameA(text, shortPath, MAILBOX_CAPACITY);
    // Without a short form the path is kept as handed in.
    if (length > 0 && length < MAILBOX_CAPACITY)
        CopyBounded(text, MAILBOX_CAPACITY, shortPath);
    CopyBounded(display, TEXT_CAPACITY, found.cFileName);
    FindClose(search);
}

PlaylistEntry* NewFileEntry(EntryKind kind, const char* path)
{
    HANDLE heap = GetProcessHeap();
    PlaylistEntry* entry = static_cast<PlaylistEntry*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(PlaylistEntry)));
    if (entry == NULL)
        return NULL;
    size_t size = std::strlen(path) + 1;
    char* copy = static_cast<char*>(HeapAlloc(heap, 0, size));
    if (copy == NULL) {
        HeapFree(heap, 0, entry);
        return NULL;
    }
    std::memcpy(copy, path, size);
    entry->kind = kind;
    entry->path = copy;
    return entry;
}

PlaylistEntry* NewCdEntry(int32_t startMs, int32_t lengthMs)
{
    PlaylistEntry* entry =
        static_cast<PlaylistEntry*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(PlaylistEntry)));
    if (entry == NULL)
        return NULL;
    entry->kind = ENTRY_CD_TRACK;
    entry->startMs = startMs;
    entry->lengthMs = lengthMs;
    return entry;
}
