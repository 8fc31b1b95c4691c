// What a removal came to travels as a value, from the call that failed to whoever decides on it
// and to the log's line, whatever runs in between and leaves another last error behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/files/directory_handle.h"
#include "engine/files/file.h"
#include "engine/outcome.h"
#include "engine/removal_report.h"
#include "platform/files.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"
#include "platform/system.h"

namespace {

// A listener whose own work fails a call for every line it hears, as writing the log's line or
// looking up a text may: it leaves "file not found" as the last error each time.
struct ListenerLeavingAnotherError : engine::RemovalListener {
    std::vector<std::string> lines;
    void Note(const std::u16string& line) override {
        lines.push_back(sim::Narrow(line));
        win::GetFileAttributesW(u"C:\\nowhere\\at all");
    }
};

bool HasLine(const std::vector<std::string>& lines, const std::string& start) {
    for (const std::string& line : lines)
        if (line.compare(0, start.size(), start) == 0) return true;
    return false;
}

const std::u16string kDriverFile = u"C:\\windows\\system32\\spool\\drivers\\x64\\3\\ozrvpr_drv.dll";

// A file another program holds: its deletion is refused for sharing, and the refusal decides that
// it goes at the restart, though the report's listener has left "not found" behind meanwhile.
TEST(RemovalOutcome, AHeldFileGoesAtTheRestartWhateverTheListenerLeftBehind) {
    sim::machine().files.AddFile(kDriverFile, "MZ");
    sim::machine().files.Find(kDriverFile)->inUse = true;
    ListenerLeavingAnotherError listener;
    engine::RemovalContext context(listener);

    EXPECT_FALSE(engine::files::DeleteNowOrAtRestart(context, kDriverFile));

    ASSERT_EQ(context.scheduledAtRestart.size(), 1u);
    EXPECT_EQ(sim::Narrow(context.scheduledAtRestart.front()), sim::Narrow(kDriverFile));
    EXPECT_TRUE(HasLine(listener.lines, "not removed: file " + sim::Narrow(kDriverFile) + " (Windows error 32"));
    EXPECT_TRUE(HasLine(listener.lines, "scheduled at restart: file " + sim::Narrow(kDriverFile)));
}

// Each deletion hands back the error it failed with, not the one the listener left after it.
TEST(RemovalOutcome, ADeletionHandsBackItsOwnErrorPastTheListener) {
    struct Case {
        const char* what;
        bool held;        // another program holds the file
        bool there;       // the file exists at all
        win::DWORD error; // what the deletion comes to
    };
    const Case cases[] = {
        {"held by another program", true, true, win::ERROR_SHARING_VIOLATION},
        {"deleted", false, true, win::ERROR_SUCCESS},
        {"not there", false, false, win::ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        const std::u16string path = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\Readme.txt";
        sim::machine().files.AddDirectory(u"C:\\Program Files\\Orvik Software\\Orvik Pendrel");
        if (c.there) sim::machine().files.AddFile(path, "text");
        if (c.held) sim::machine().files.Find(path)->inUse = true;
        ListenerLeavingAnotherError listener;
        engine::RemovalContext context(listener);

        const engine::Outcome deleted = engine::files::DeleteProductFile(context, path);

        EXPECT_EQ(deleted.error(), c.error);
        EXPECT_EQ(deleted.Succeeded(), c.error == win::ERROR_SUCCESS);
        ASSERT_EQ(listener.lines.size(), 1u);
        EXPECT_EQ(listener.lines.front(), sim::Narrow(engine::RemovalLine(u"file " + path, c.error)));
    }
}

// A call that fails without saying why is still a failure: it is never read as done.
TEST(RemovalOutcome, AFailureIsNeverReadAsSuccess) {
    struct Case {
        const char* what;
        engine::Outcome outcome;
        bool succeeded;
        win::DWORD error;
    };
    win::SetLastError(win::ERROR_SUCCESS);
    const engine::Outcome failedSilently = engine::Outcome::OfCall(false);
    win::SetLastError(win::ERROR_ACCESS_DENIED);
    const engine::Outcome failedDenied = engine::Outcome::OfCall(false);
    const engine::Outcome doneAfterAnError = engine::Outcome::OfCall(true);
    const Case cases[] = {
        {"done", engine::Outcome(), true, win::ERROR_SUCCESS},
        {"a failure naming no error", engine::Outcome::Failure(win::ERROR_SUCCESS), false, win::ERROR_GEN_FAILURE},
        {"a call failing with no last error", failedSilently, false, win::ERROR_GEN_FAILURE},
        {"a call failing with its last error", failedDenied, false, win::ERROR_ACCESS_DENIED},
        {"a call done while an old error lingers", doneAfterAnError, true, win::ERROR_SUCCESS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(static_cast<bool>(c.outcome), c.succeeded);
        EXPECT_EQ(c.outcome.error(), c.error);
    }
}

}  // namespace
