// Between the find box's dialog and its list of matches.
#ifndef VIREO_FIND_PARTS_H
#define VIREO_FIND_PARTS_H

#include <windows.h>

#include "../playback/playback.h"

// The queue of the main window indexed for the box, each entry as it stands now.
void IndexQueueForBox(HWND window);
// The rows of the entries that hold the box's query, the entry kept chosen
// where it still matches, else the first; false when kept is no longer there.
bool ShowMatches(HWND box, const void* kept);
// The entries that wait indexed, the chosen entry kept (as above; false
// too when none was chosen).
bool RefreshMatches(HWND box);
// A change of the queue followed: a removal, a move or the clearing in the
// index at once and the rows shown again (true); an append left for the
// next refresh (false), which indexes the entries added since.
bool FollowQueueChange(HWND box, QueueChange change, int index, int toIndex);
// Whether entries wait to be indexed.
bool MatchesStale();
// Titles have been read: the whole queue is indexed again at the next refresh.
void IndexAgainForTitles();
// The list index of the chosen row's entry, -1 for none.
int ChosenEntryIndex(HWND box);
void ReleaseMatches();

void MeasureMatch(HWND box, MEASUREITEMSTRUCT* item);
void DrawMatch(const DRAWITEMSTRUCT* item);

#endif
