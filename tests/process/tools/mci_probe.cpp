// Opens one element with the real media layer and closes it again, for tests
// whose own process fakes that layer.
//   mci_probe PATH     exit code: the open's error number, 0 when it opened
#include <windows.h>
#include <mmsystem.h>

#include <string>

int main(int argc, char** argv)
{
    if (argc < 2)
        return -1;
    std::string open = std::string("open ") + argv[1] + " alias VireoProbe wait";
    MCIERROR result = mciSendStringA(open.c_str(), NULL, 0, NULL);
    if (result == 0)
        mciSendStringA("close VireoProbe", NULL, 0, NULL);
    return static_cast<int>(result);
}
