// What the kept queue's own files share: the writing thread, and the
// store's state that a restore sets.
#ifndef VIREO_KEPT_QUEUE_PARTS_H
#define VIREO_KEPT_QUEUE_PARTS_H

#include <windows.h>

#include "kept_queue.h"

// Started once; the window is told of failures.
void StartQueueWriter(HWND window);
// A whole queue (malloc'd, the writer frees it) and a place record, either
// or both; a newer queue takes the place of one still waiting. Written into
// the given files.
void HandToWriter(const KeptQueueFiles* files, char* text, size_t size, const KeptPlace* place);
// A write that could not even be handed over counts as failed.
void NoteQueueOutcome(bool written);
// Whether the last queue handed over was written.
bool LastQueueWritten();

// The check of the queue the files now hold: place records name it.
void SetKeptQueueCheck(uint32_t check);
// A queue is there that cannot be read: nothing is kept in its place this
// run, and the user is told once.
void HoldKeptQueue(HWND window);

#endif
