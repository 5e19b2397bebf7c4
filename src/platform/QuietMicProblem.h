#pragma once

#include <QString>

// What went wrong with the quiet microphone, as the backend saw it: a code
// and the facts that go with it. The core words it for the user.
struct QuietMicProblem {
    enum class Code {
        None,
        NoServer,        // no audio server is running
        ServerLost,      // the server went away while the quiet microphone was being added
        ModuleRefused,   // the server refused one of its modules; detail: the server's reason
        FileNotRead,     // path; detail: the system's reason
        FileNotWritten,  // path; detail: the system's reason
        FileNotRemoved,  // path
        NoStartupScript, // path: the server, started without a startup script to keep it in
        FolderUnknown,   // path: the server, whose configuration folder is not known
    };

    Code code = Code::None;
    QString path;
    QString detail;

    bool failed() const { return code != Code::None; }
    friend bool operator==(const QuietMicProblem &, const QuietMicProblem &) = default;
};
