// Windows' media controls as the scenarios give them: GetModuleHandleA of
// combase.dll hands out this test program, whose exports stand in for
// combase's functions (fake_media_controls.cpp). Untouched, the program
// meets the real platform's (Wine's, where the class is not registered).
#ifndef VIREO_FAKE_MEDIA_CONTROLS_H
#define VIREO_FAKE_MEDIA_CONTROLS_H

#include <string>

enum FakeControlsKind {
    FAKE_CONTROLS_REAL,           // the platform's own
    FAKE_CONTROLS_WORKING,
    FAKE_CONTROLS_CLASS_MISSING,  // activation answers "class not registered"
    FAKE_CONTROLS_NONE_FOR_WINDOW,  // GetForWindow: S_FALSE and nothing, as early Windows 10
    FAKE_CONTROLS_NO_EVENTS,      // add_ButtonPressed fails, as under Wine 10
    FAKE_CONTROLS_SETTERS_FAIL    // every setter and Update fails
};

// What the controls were told, the display as its last Update left it.
struct FakeControls {
    int made = 0;          // GetForWindow calls that handed the controls out
    int references = 0;    // held by the program now, of every object
    bool handlerHeld = false;
    bool enabled = false;
    int status = -1;
    bool play = false;
    bool pause = false;
    bool stop = false;
    bool previous = false;
    bool next = false;
    std::string title;     // UTF-8
    std::string artist;
    int liveStrings = 0;   // HSTRINGs made and not deleted
};

void FakeControlsUse(FakeControlsKind kind);
const FakeControls& FakeControlsNow();
// The button pressed, reported on a thread of its own as the system does;
// returns once that thread has ended.
void FakeControlsPress(int button);

#endif
