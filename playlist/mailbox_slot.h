// The add mailbox's slot, shared by its senders and its receiver.
#pragma once

#include <windows.h>

HANDLE OpenAddSemaphore();
// The process id of the sender of ours that holds the slot; 0 once read.
void RecordSlotHolder(DWORD pid);
