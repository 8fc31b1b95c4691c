// Simulated pipes and the calls on handles they need: the installer's named pipe (waiting for
// it, writing to it with or without an overlapped record, its server's process id), anonymous
// pipes, events, handle types and inheritance. WriteFile writes to an open file as well.
#include "platform/files.h"
#include "platform/sim/faults.h"
#include "platform/sim/files_internal.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"
#include "platform/system.h"

namespace sim {
namespace {

void SetEvent(win::HANDLE event, bool signalled) {
    auto it = OpenFiles().find(event);
    if (it != OpenFiles().end() && it->second.event) it->second.signalled = signalled;
}

}  // namespace

bool InstallerPipeOpen() {
    for (const auto& [handle, open] : OpenFiles())
        if (open.pipe && !open.squatter) return true;
    return false;
}

std::vector<win::HANDLE> OpenAnonymousPipeEnds() {
    std::vector<win::HANDLE> ends;
    for (const auto& [handle, open] : OpenFiles())
        if (open.anonymousPipe) ends.push_back(handle);
    return ends;
}

std::size_t UninheritedPipeEndCount() {
    std::size_t count = 0;
    for (const auto& [handle, open] : OpenFiles())
        if (open.anonymousPipe && !open.inheritable) ++count;
    return count;
}

}  // namespace sim

namespace win {

using sim::machine;

BOOL WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* written, void* overlappedRecord) {
    auto it = sim::OpenFiles().find(file);
    std::string bytes(static_cast<const char*>(buffer), size);
    // The log keeps every report the program tried to make, also one that fails.
    const bool pipe = it != sim::OpenFiles().end() && it->second.pipe;
    if (pipe) machine().Log("WriteFile", "pipe " + bytes);
    if (sim::FaultPoint("WriteFile")) {
        if (written) *written = 0;
        return sim::Failure(BOOL{FALSE}, pipe ? sim::kErrorNoData : sim::kErrorDiskFull);
    }
    if (it == sim::OpenFiles().end()) return sim::Fail(ERROR_INVALID_HANDLE);
    auto* overlapped = static_cast<OVERLAPPED*>(overlappedRecord);
    sim::PipeState& state = machine().files.pipe;
    if (it->second.pipe && it->second.squatter) {
        state.squatterWrites.push_back(bytes);
    } else if (it->second.pipe && state.neverReads) {
        if (written) *written = 0;
        // Without an overlapped record the writer would wait for ever.
        if (!overlapped) {
            ++state.writesBlockedForever;
            return sim::Fail(ERROR_IO_PENDING);
        }
        sim::SetEvent(overlapped->hEvent, false);
        sim::PendingWrites()[overlapped] = sim::PendingWrite{file, false};
        return sim::Fail(ERROR_IO_PENDING);
    } else if (it->second.pipe) {
        state.writes.push_back(bytes);
    } else if (it->second.node && sim::Writes(it->second.access)) {
        it->second.node->content += bytes;
    } else {
        return sim::Fail(ERROR_ACCESS_DENIED);
    }
    if (written) *written = size;
    if (overlapped) {
        overlapped->Internal = 0;
        overlapped->InternalHigh = size;
        sim::SetEvent(overlapped->hEvent, true);
    }
    return TRUE;
}

BOOL GetOverlappedResult(HANDLE, OVERLAPPED* overlapped, DWORD* transferred, BOOL wait) {
    if (sim::FaultPoint("GetOverlappedResult")) return sim::Failure(BOOL{FALSE}, ERROR_INVALID_HANDLE);
    auto pending = sim::PendingWrites().find(overlapped);
    if (pending == sim::PendingWrites().end()) {
        if (transferred) *transferred = static_cast<DWORD>(overlapped->InternalHigh);
        return TRUE;
    }
    if (transferred) *transferred = 0;
    if (pending->second.cancelled) {
        sim::PendingWrites().erase(pending);
        return sim::Fail(ERROR_OPERATION_ABORTED);
    }
    // Waiting for a write nobody will ever read never ends.
    if (wait) ++machine().files.pipe.writesBlockedForever;
    return sim::Fail(996);  // ERROR_IO_INCOMPLETE
}

BOOL CancelIo(HANDLE file) {
    if (sim::FaultPoint("CancelIo")) return sim::Failure(BOOL{FALSE}, ERROR_INVALID_HANDLE);
    machine().Log("CancelIo", "");
    for (auto& [overlapped, pending] : sim::PendingWrites())
        if (pending.file == file) {
            pending.cancelled = true;
            sim::SetEvent(overlapped->hEvent, true);
        }
    return TRUE;
}

BOOL GetNamedPipeServerProcessId(HANDLE pipe, ULONG* serverProcessId) {
    if (sim::FaultPoint("GetNamedPipeServerProcessId")) return sim::Failure(BOOL{FALSE}, ERROR_INVALID_HANDLE);
    const sim::PipeState& state = machine().files.pipe;
    if (state.serverIdUnknown) return sim::Fail(ERROR_CALL_NOT_IMPLEMENTED);
    auto it = sim::OpenFiles().find(pipe);
    if (it == sim::OpenFiles().end() || !it->second.pipe) return sim::Fail(ERROR_INVALID_HANDLE);
    *serverProcessId = it->second.squatter ? sim::kSquatterProcessId : state.serverProcessId;
    return TRUE;
}

BOOL CreatePipe(HANDLE* readEnd, HANDLE* writeEnd, SECURITY_ATTRIBUTES* security, DWORD) {
    if (sim::FaultPoint("CreatePipe")) return sim::Failure(BOOL{FALSE}, ERROR_NOT_ENOUGH_MEMORY);
    for (HANDLE* end : {readEnd, writeEnd}) {
        *end = sim::NextHandle();
        sim::OpenFile open;
        open.anonymousPipe = true;
        open.inheritable = security && security->bInheritHandle;
        sim::OpenFiles()[*end] = open;
    }
    return TRUE;
}

DWORD GetFileType(HANDLE file) {
    sim::CountPoint("GetFileType");
    auto it = sim::OpenFiles().find(file);
    if (it == sim::OpenFiles().end() || it->second.event) return 0;  // FILE_TYPE_UNKNOWN
    return it->second.pipe || it->second.anonymousPipe ? 3 : FILE_TYPE_DISK;  // FILE_TYPE_PIPE
}

BOOL SetHandleInformation(HANDLE handle, DWORD mask, DWORD flags) {
    if (sim::FaultPoint("SetHandleInformation")) return sim::Failure(BOOL{FALSE}, ERROR_INVALID_HANDLE);
    auto it = sim::OpenFiles().find(handle);
    if (it == sim::OpenFiles().end()) return sim::Fail(ERROR_INVALID_HANDLE);
    if (mask & HANDLE_FLAG_INHERIT) it->second.inheritable = (flags & HANDLE_FLAG_INHERIT) != 0;
    return TRUE;
}

HANDLE CreateEventW(void*, BOOL, BOOL initialState, LPCWSTR) {
    if (sim::FaultPoint("CreateEventW")) return sim::Failure(HANDLE{}, ERROR_NOT_ENOUGH_MEMORY);
    const HANDLE handle = sim::NextHandle();
    sim::OpenFile event;
    event.event = true;
    event.signalled = initialState != FALSE;
    sim::OpenFiles()[handle] = event;
    return handle;
}

BOOL WaitNamedPipeW(LPCWSTR name, DWORD timeout) {
    if (sim::FaultPoint("WaitNamedPipeW")) return sim::Failure(BOOL{FALSE}, ERROR_SEM_TIMEOUT);
    machine().Log("WaitNamedPipeW", sim::Narrow(sim::FromPtr(name)));
    sim::PipeState& pipe = machine().files.pipe;
    pipe.waitTimeouts.push_back(timeout);
    if (!pipe.exists || !sim::EqualNoCase(sim::FromPtr(name), pipe.name)) return sim::Fail(ERROR_FILE_NOT_FOUND);
    if (pipe.busyWaits > 0) {
        --pipe.busyWaits;
        return sim::Fail(ERROR_SEM_TIMEOUT);
    }
    return TRUE;
}

}  // namespace win
