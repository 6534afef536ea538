// Reading the execute strings that Explorer sends for a selected item. No
// platform calls.
#ifndef VIREO_DDE_TEXT_H
#define VIREO_DDE_TEXT_H

#include <cstddef>

// The conversation's names, as the installer writes them beside each verb.
extern const char DDE_SERVICE_NAME[];   // "Vireo"
extern const char DDE_TOPIC_NAME[];     // "Playlist"

enum ExecuteForm {
    EXECUTE_REFUSED,   // not ours, or a path that does not fit
    EXECUTE_NOTHING,   // "[]": the item came on the command line that started us
    EXECUTE_REQUEST    // [add("path")], [play("path")] or [load("path")]
};

// The most an execute may hold: a command around the longest path.
const size_t EXECUTE_CAPACITY = 512;
// Room for the request an execute becomes: "/play " and the quoted path.
const size_t EXECUTE_REQUEST_CAPACITY = 272;

// An execute of at most size bytes (it need not end in a zero) becomes the
// request a command line makes for the same verb: add gives "\"path\"",
// play and load "/play \"path\"" and "/load \"path\"". The command name is
// matched without regard to case; blanks may surround its parts.
ExecuteForm ReadExecute(const char* execute, size_t size, char* request, size_t capacity);

#endif
