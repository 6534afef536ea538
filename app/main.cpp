// Vireo: a media queue player that lives in the notification area.
#include <windows.h>

#include "app.h"
#include "request_text.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return RunVireo(instance, CommandLineTail(GetCommandLineA()));
}
