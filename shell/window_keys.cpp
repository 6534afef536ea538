// The keys of the main loop's windows. The main window's shortcuts come
// first and are its own: translated for any other window, a J typed into the
// find box's query would open the box instead. The list's own type-ahead
// never sees a shortcut's letter, which is taken before it is translated
// into a character.
#include <windows.h>

#include "shell.h"
#include "../app/app.h"
#include "resource.h"

// Loaded at the first key; a guarded local static would bring in the
// thread library and its imports.
static HACCEL s_keys = NULL;

static bool IsMainWindowKey(HWND window, HWND target)
{
    return target == window || (target != NULL && GetParent(target) == window);
}

bool TranslateWindowKeys(HWND window, MSG* message)
{
    if (s_keys == NULL)
        s_keys = LoadAcceleratorsA(g_instance, MAKEINTRESOURCEA(IDR_MAIN_KEYS));
    if (s_keys != NULL && IsMainWindowKey(window, message->hwnd) && TranslateAcceleratorA(window, s_keys, message))
        return true;
    return IsFindBoxMessage(message) || IsDialogMessageA(window, message);
}
