// Scoped holders for what the program opens and must close, or selects and must restore: one
// spelling for all of them (get(), put(), reset(), and a test in an if). Each traits type names
// the handle, the value that means "none", and the call that gives it back.
#pragma once
#include "platform/files.h"
#include "platform/gdi.h"
#include "platform/registry.h"
#include "platform/spooler.h"
#include "platform/system.h"

namespace win {

template <class Traits>
class Scoped {
public:
    using Handle = typename Traits::Handle;

    Scoped() = default;
    explicit Scoped(Handle handle) : m_handle(handle) {}
    ~Scoped() { reset(); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    Scoped(Scoped&& other) noexcept : m_handle(other.release()) {}
    Scoped& operator=(Scoped&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Handle get() const { return m_handle; }
    explicit operator bool() const { return Traits::IsValid(m_handle); }
    // Gives back the handle held and holds `handle` instead.
    void reset(Handle handle = Traits::kNone) {
        if (Traits::IsValid(m_handle)) Traits::Close(m_handle);
        m_handle = handle;
    }
    // Hands the handle over to the caller, who gives it back from now on.
    Handle release() {
        const Handle handle = m_handle;
        m_handle = Traits::kNone;
        return handle;
    }
    // Where an opening call writes its new handle; the one held is given back first.
    Handle* put() {
        reset();
        return &m_handle;
    }

private:
    Handle m_handle = Traits::kNone;
};

// Handles whose "none" is null.
template <class H, auto CloseFunction>
struct NullIsNone {
    using Handle = H;
    static constexpr Handle kNone = nullptr;
    static bool IsValid(Handle handle) { return handle != nullptr; }
    static void Close(Handle handle) { CloseFunction(handle); }
};

// Handles of the file functions, which answer INVALID_HANDLE_VALUE for none.
template <auto CloseFunction>
struct InvalidIsNone {
    using Handle = HANDLE;
    static constexpr Handle kNone = nullptr;
    static bool IsValid(Handle handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { CloseFunction(handle); }
};

using ScopedKey = Scoped<NullIsNone<HKEY, RegCloseKey>>;
using ScopedHandle = Scoped<NullIsNone<HANDLE, CloseHandle>>;      // processes, threads, mutexes
using ScopedFile = Scoped<InvalidIsNone<CloseHandle>>;             // CreateFileW
using ScopedSearch = Scoped<InvalidIsNone<FindClose>>;             // FindFirstFileW
using ScopedModule = Scoped<NullIsNone<HMODULE, FreeLibrary>>;
using ScopedPrinter = Scoped<NullIsNone<HANDLE, ClosePrinter>>;    // printers and port monitors
using ScopedMemoryDc = Scoped<NullIsNone<HDC, DeleteDC>>;          // CreateCompatibleDC

// An object selected into a device context for the scope; the object that was selected before
// comes back at its end. A null object selects nothing, and nothing is restored then.
class ScopedSelection {
public:
    ScopedSelection(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(object ? SelectObject(dc, object) : nullptr) {}
    ~ScopedSelection() {
        if (m_previous) SelectObject(m_dc, m_previous);
    }
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;

    // Selects another object; the end of the scope still restores the first one's predecessor.
    void Select(HGDIOBJ object) { SelectObject(m_dc, object); }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// OLE for the scope of one use; uninitialised at its end only when it was initialised.
class ScopedOle {
public:
    ScopedOle() : m_initialised(SUCCEEDED(OleInitialize(nullptr))) {}
    ~ScopedOle() {
        if (m_initialised) OleUninitialize();
    }
    ScopedOle(const ScopedOle&) = delete;
    ScopedOle& operator=(const ScopedOle&) = delete;
    explicit operator bool() const { return m_initialised; }

private:
    bool m_initialised;
};

}  // namespace win
