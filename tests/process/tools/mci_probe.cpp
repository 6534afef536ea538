// Opens one element with the real media layer, by the command the player
// composes, and closes it again, for tests whose own process fakes that layer.
//   mci_probe PATH     the whole tail is the path; exit code: the open's
//                      error number, 0 when it opened
#include <windows.h>
#include <mmsystem.h>

#include "../../../app/request_text.h"
#include "../../../playback/playback_text.h"

int main()
{
    char open[COMMAND_CAPACITY];
    ComposeOpenCommand(open, sizeof open, CommandLineTail(GetCommandLineA()));
    MCIERROR result = mciSendStringA(open, NULL, 0, NULL);
    if (result == 0)
        mciSendStringA("close VireoMedia", NULL, 0, NULL);
    return static_cast<int>(result);
}
