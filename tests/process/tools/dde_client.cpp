// A DDE client of ours for the process tests: talks to the running player as
// Explorer does, and as a careless or hostile program might.
//   dde_client TEXT...                 execute each text in turn, each answered before the next
//   dde_client --topic NAME TEXT...    the same on another topic
//   dde_client --unterminated N        one execute of N letters without an ending zero
//   dde_client --flood N TEXT          N executes of TEXT, each sent as soon as the last is answered
//   dde_client --break-off TEXT        an execute sent without waiting, then the process ends at once
// Exit code: how many executes were acknowledged; 100 when no conversation was had.
#include <windows.h>
#include <ddeml.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "../../../app/dde_text.h"

static const int NO_CONVERSATION = 100;
static const DWORD ANSWER_WAIT_MS = 10000;

static HDDEDATA CALLBACK OnClientTransaction(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return NULL;
}

static HCONV Connect(DWORD instance, const char* topic)
{
    HSZ service = DdeCreateStringHandleA(instance, DDE_SERVICE_NAME, CP_WINANSI);
    HSZ topicName = DdeCreateStringHandleA(instance, topic, CP_WINANSI);
    HCONV conversation = DdeConnect(instance, service, topicName, NULL);
    DdeFreeStringHandle(instance, service);
    DdeFreeStringHandle(instance, topicName);
    return conversation;
}

static bool Execute(HCONV conversation, const std::string& bytes, DWORD timeout)
{
    DWORD result = 0;
    HDDEDATA data = DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char*>(bytes.data())),
                                         static_cast<DWORD>(bytes.size()), conversation, NULL, 0, XTYP_EXECUTE,
                                         timeout, &result);
    return data != NULL;
}

static std::string Terminated(const char* text)
{
    return std::string(text, std::strlen(text) + 1);
}

int main(int argc, char** argv)
{
    DWORD instance = 0;
    if (DdeInitializeA(&instance, OnClientTransaction, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
        return NO_CONVERSATION;
    int first = 1;
    const char* topic = DDE_TOPIC_NAME;
    if (argc >= 3 && std::strcmp(argv[1], "--topic") == 0) {
        topic = argv[2];
        first = 3;
    }
    HCONV conversation = Connect(instance, topic);
    if (conversation == NULL)
        return NO_CONVERSATION;
    int acknowledged = 0;
    if (argc >= 3 && std::strcmp(argv[1], "--unterminated") == 0) {
        acknowledged = Execute(conversation, std::string(std::atoi(argv[2]), 'A'), ANSWER_WAIT_MS) ? 1 : 0;
    } else if (argc >= 4 && std::strcmp(argv[1], "--flood") == 0) {
        int count = std::atoi(argv[2]);
        for (int i = 0; i < count; ++i)
            if (Execute(conversation, Terminated(argv[3]), ANSWER_WAIT_MS))
                ++acknowledged;
    } else if (argc >= 3 && std::strcmp(argv[1], "--break-off") == 0) {
        Execute(conversation, Terminated(argv[2]), TIMEOUT_ASYNC);
        ExitProcess(0);
    } else {
        for (int i = first; i < argc; ++i)
            if (Execute(conversation, Terminated(argv[i]), ANSWER_WAIT_MS))
                ++acknowledged;
    }
    DdeDisconnect(conversation);
    DdeUninitialize(instance);
    return acknowledged;
}
