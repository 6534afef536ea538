// The outside world of the scenario tests: the media layer, modal dialogs and
// the shell, replaced at link time (fake_import.h). Everything else is real.
#ifndef VIREO_FAKE_WORLD_H
#define VIREO_FAKE_WORLD_H

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <string>
#include <vector>

// ---- Media layer -------------------------------------------------------
// Error numbers the real layer gives (measured under Wine).
const int FAKE_MCI_NOT_OPEN = 263;
const int FAKE_MCI_NO_CD = 266;
const int FAKE_MCI_UNRECOGNIZED = 261;
const int FAKE_MCI_FILE_NOT_FOUND = 275;
const int FAKE_MCI_BAD_KEYWORD = 281;
const int FAKE_MCI_ALIAS_IN_USE = 289;
const int FAKE_MCI_PLAY_FAILED = 346;

void FakeMediaReset();
// A file the layer can open, lasting lengthMs; playFails: it opens but will not play.
void FakeMediaAddFile(const std::string& path, int lengthMs, bool playFails = false);
// An audio CD in the default drive, with tracks given by start and length.
void FakeMediaInsertCd(const std::vector<std::pair<int, int>>& tracks);
// Moves the clock on; plays that reach their end post MCI_NOTIFY_SUCCESSFUL.
void FakeMediaAdvance(int ms);
// Every command string received, in order.
const std::vector<std::string>& FakeMediaCommands();
void FakeMediaClearCommands();
// What is open under an alias ("" when nothing), and whether it plays.
std::string FakeMediaElement(const std::string& alias);
bool FakeMediaPlaying(const std::string& alias);
int FakeMediaPosition(const std::string& alias);
// The volume an open device of its own was given (0 to 1000), -1 for none:
// an MP3's device takes one, a wave file's does not.
int FakeMediaVolume(const std::string& alias);
// A status query with a scripted failure: the next position queries fail.
void FakeMediaFailPositionQueries(bool fail);
// No sound output: file plays are taken, then post MCI_NOTIFY_FAILURE at once.
void FakeMediaRemoveOutput(bool removed);
// As Wine's MPEG device: a play that ends posts its notice while the device
// still says it plays, until the clock next moves on.
void FakeMediaEndsBeforeStopping(bool before);

// ---- Media Foundation ----------------------------------------------------
// Loaded at run time: LoadLibraryA of its DLLs hands out this program, whose
// exports stand in for their functions (fake_foundation.cpp). Its sessions
// play under the media layer's clock: FakeMediaAdvance moves them on too,
// and returns once their thread has taken the events. Reset by FakeMediaReset.
struct FakeFoundationFile {
    int statedMs = 10000;  // the length its header states; -1: none
    int playsMs = 10000;   // when its session ends
    int failsAtMs = -1;    // when its session fails instead (a cut or corrupt file, or one removed)
    bool opens = true;     // false: no source opens it (both ways refuse it)
    bool hangs = false;    // its source is never resolved (until the next reset)
    bool decodes = true;   // false: no decoder for its kind (its topology fails)
    bool closes = true;    // false: its session never says it has closed
};
void FakeFoundationReset();
// A file the media control interface cannot open (error 281, as Wine says
// for kinds it lacks) and Media Foundation opens as described.
void FakeFoundationAddFile(const std::string& path, const FakeFoundationFile& file = FakeFoundationFile());
// Its DLLs cannot be loaded (before Windows 7).
void FakeFoundationMissing(bool missing);
// MFStartup fails (an "N" edition without its media pack).
void FakeFoundationStartFails(bool fails);
bool FakeFoundationKnows(const std::string& path);
// LoadLibraryA calls for its DLLs so far.
int FakeFoundationLoads();
// Sessions made and not yet shut down, and sources likewise.
int FakeFoundationLiveSessions();
int FakeFoundationLiveSources();
// What the newest live session plays ("" when none), whether it plays, its
// position and its renderer's volume (-1 when it has none).
std::string FakeFoundationPath();
bool FakeFoundationPlaying();
int FakeFoundationPositionMs();
float FakeFoundationVolume();
void FakeFoundationAdvance(int ms);
// The newest session's file is removed: it fails now, paused or not.
void FakeFoundationBreak();

// ---- The volume ----------------------------------------------------------
// A volume with no 8.3 names: GetShortPathNameA hands back the long path.
// Reset by FakeMediaReset.
void FakeVolumeWithoutShortNames(bool without);

// ---- Files -------------------------------------------------------------
void FakeFilesReset();
// Writes, moves and deletes in the folder are refused, as Windows refuses
// them where the folder's permissions deny writing; "" for none.
void FakeReadOnlyFolder(const std::string& folder);
// A system without ReplaceFile (95, 98, ME, NT 4.0).
void FakeWithoutReplaceFile(bool without);
// The process taken to stop after this many changes of files (opened for
// writing, written, flushed, moved, deleted, replaced): every later one
// fails, and a write the stop falls on writes half its bytes. -1: never.
void FakeStopFileChangesAfter(int changes);
// The changes tried since the last FakeStopFileChangesAfter.
int FakeFileChanges();
// RegisterApplicationRestart of Vista and later, recorded; or a system without it.
struct FakeRestartRegistration {
    std::wstring commandLine;
    DWORD flags;
};
std::vector<FakeRestartRegistration>& FakeRestartRegistrations();
void FakeWithoutRestart(bool without);
// CharLowerBuffW as 95, 98 and ME have it: a stub that lowers nothing.
void FakeAnsiOnlyLowering(bool ansiOnly);

// ---- Message boxes -----------------------------------------------------
struct FakeMessageBox {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
void FakeDialogsReset();
std::vector<FakeMessageBox>& FakeMessageBoxes();
// Answers for the coming boxes, in order; IDOK once they run out.
void FakeAnswerMessageBoxes(const std::vector<int>& answers);

// ---- File choosers -----------------------------------------------------
struct FakeChooser {
    bool preview;              // GetOpenFileNamePreviewA rather than GetOpenFileNameA
    HWND owner;
    std::string filter;        // the pairs joined with '|'
    std::string title;
    DWORD flags;
    DWORD maxFile;
    std::string initialFile;
    DWORD structSize;
    bool save;                 // GetSaveFileNameA
    std::string defaultExtension;
};
std::vector<FakeChooser>& FakeChoosers();
// The next chooser returns this path, with the chosen kind (counted from 1)
// unless it is 0; an empty path cancels.
void FakeChooseFile(const std::string& path, DWORD filterIndex = 0);
// The next chooser returns a folder and names, as an Explorer-style chooser
// with several files allowed writes them.
void FakeChooseFiles(const std::string& folder, const std::vector<std::string>& names);
// The next chooser fails with this extended error.
void FakeChooserFails(DWORD error);

// ---- Tray popup menu ---------------------------------------------------
struct FakePopup {
    HMENU menu;
    UINT flags;
    int x;
    int y;
    HWND owner;
};
std::vector<FakePopup>& FakePopups();
// The next popup menu posts WM_COMMAND with this id to its owner; 0 chooses nothing.
void FakeChooseMenuItem(int id);

// ---- Shell -------------------------------------------------------------
struct FakeShellOpen {
    HWND owner;
    std::string verb;
    std::string file;
    int show;
};
std::vector<FakeShellOpen>& FakeShellOpens();
void FakeShellResult(INT_PTR result);

struct FakeTrayCall {
    DWORD action;
    DWORD size;
    HWND window;
    UINT id;
    UINT flags;
    UINT callback;
    HICON icon;
    std::string tip;
    bool tipTerminatedAt63;
};
std::vector<FakeTrayCall>& FakeTrayCalls();

#endif
