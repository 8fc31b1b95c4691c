// The run's log for administrators: UTF-8 text, one line per event, written only when asked for
// ("/log FILE", quiet mode's default in the temporary directory, or the place a removal that left
// something names). Lines are kept until the log begins with its start line, so that the file
// holds the whole run whenever it is made, and a process that hands the run over to another
// writes nothing. The program runs elevated and the log's place may be one the user can write:
// the file is created new, relative to its directory judged through its own handle to lie where
// it was asked for, and never opened when something is at its name already (a link, or a file
// planted there).
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "platform/scoped.h"

namespace app {

class RunLog {
public:
    // Where the log goes, relative paths taken from the current directory; nothing is created
    // before it begins.
    void SetPath(const std::u16string& path);
    bool IsWanted() const { return !m_path.empty(); }
    const std::u16string& Path() const { return m_path; }
    // The file written, once a line has been: `path`, or "path.N" when that name was taken.
    const std::u16string& WrittenPath() const { return m_written; }
    // Creates the file now, before anything is written to it: the installed copy does, and hands
    // the open file to its temporary copy as that copy's standard output, so that the caller's
    // path never travels on a command line. False when no file could be made.
    bool CreateNow();
    // The open file, made inheritable, for the temporary copy; null when there is none.
    win::HANDLE HandOut();
    // The copy has the log: what this process kept is not written (the copy tells it again);
    // a line this process adds once the copy has ended goes after the copy's.
    void HandedOver() {
        m_tried = true;
        m_kept.clear();
        m_linesAfterHandOver = 0;
        m_handedOver = true;
    }
    // Lines this process wrote after its copy's.
    std::size_t LinesAfterHandOver() const { return m_linesAfterHandOver; }
    void Close() { m_file.reset(); }
    // Takes `file`, a log the installed copy created, as this run's log.
    void Adopt(win::HANDLE file);
    // Creates the file (once; not when no path is set) and writes `start` and every line kept.
    void Begin(const std::u16string& start);
    bool HasBegun() const { return m_tried; }
    // A line: written when the log has begun, kept until it does otherwise.
    void Line(const std::u16string& text);

private:
    bool Create();
    void Write(const std::u16string& text);

    std::u16string m_path;
    std::u16string m_written;
    bool m_tried = false;
    bool m_handedOver = false;
    std::size_t m_linesAfterHandOver = 0;
    std::vector<std::u16string> m_kept;
    win::ScopedFile m_file;
};

// UTF-8 of UTF-16 text (empty when the system cannot convert it). Not std::string: the run-time
// library's compiled part of it would add some thirty kilobytes to the executable.
std::vector<char> ToUtf8(const std::u16string& text);

}  // namespace app
