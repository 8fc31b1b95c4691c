// The simulated resource section: the same string table the resource script compiles, the icon
// and banner bitmap the tests declare present, and cursors of other modules.
#include "platform/resources.h"

#include <algorithm>
#include <string>

#include "platform/sim/faults.h"
#include "platform/sim/machine.h"
#include "resources/resource_ids.h"

namespace sim {
const win::HCURSOR kSystemHandCursor = reinterpret_cast<win::HCURSOR>(static_cast<win::ULONG_PTR>(0xC1000));
}  // namespace sim

namespace win {

namespace {
struct Entry {
    UINT id;
    const char16_t* text;
};
#define MESSAGE(id, text) {id, u##text},
const Entry kStrings[] = {
#include "resources/messages.inc"
};
#undef MESSAGE
}  // namespace

int LoadStringW(HINSTANCE, UINT id, LPWSTR buffer, int size) {
    if (sim::FaultPoint("LoadStringW")) {
        if (buffer && size > 0) buffer[0] = 0;
        return sim::Failure(0, ERROR_NOT_ENOUGH_MEMORY);
    }
    for (const Entry& e : kStrings) {
        if (e.id != id) continue;
        if (size <= 0) return 0;
        std::u16string text = e.text;
        int n = std::min<int>(static_cast<int>(text.size()), size - 1);
        std::copy(text.begin(), text.begin() + n, buffer);
        buffer[n] = 0;
        return n;
    }
    if (size > 0) buffer[0] = 0;
    return 0;
}

namespace {
UINT ResourceId(LPCWSTR name) { return static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name) & 0xFFFF); }
std::u16string Lower(std::u16string s) {
    for (auto& c : s)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    return s;
}
}  // namespace

HICON LoadIconW(HINSTANCE, LPCWSTR name) {
    if (sim::FaultPoint("LoadIconW")) return sim::Failure(HICON{}, ERROR_NOT_ENOUGH_MEMORY);
    auto& icons = sim::machine().gdi.iconResources;
    if (std::find(icons.begin(), icons.end(), ResourceId(name)) == icons.end()) return nullptr;
    return reinterpret_cast<HICON>(static_cast<ULONG_PTR>(0xC000 + ResourceId(name)));
}

HCURSOR LoadCursorW(HINSTANCE module, LPCWSTR name) {
    if (sim::FaultPoint("LoadCursorW")) return sim::Failure(HCURSOR{}, ERROR_NOT_ENOUGH_MEMORY);
    if (!module) return name == IDC_HAND ? sim::kSystemHandCursor : nullptr;
    auto& modules = sim::machine().system.loadedModules;
    auto it = modules.find(module);
    if (it == modules.end()) return nullptr;
    if (!sim::machine().windows.moduleCursors.count({Lower(it->second), ResourceId(name)})) return nullptr;
    return reinterpret_cast<HCURSOR>(static_cast<ULONG_PTR>(0xC2000 + ResourceId(name)));
}

HBITMAP LoadBitmapW(HINSTANCE, LPCWSTR name) {
    if (sim::FaultPoint("LoadBitmapW")) return sim::Failure(HBITMAP{}, ERROR_NOT_ENOUGH_MEMORY);
    auto& gdi = sim::machine().gdi;
    auto it = gdi.bitmapResources.find(ResourceId(name));
    if (it == gdi.bitmapResources.end()) return nullptr;
    sim::GdiObject bitmap{sim::GdiKind::Bitmap};
    bitmap.width = it->second.first;
    bitmap.height = it->second.second;
    return static_cast<HBITMAP>(gdi.Add(bitmap));
}

}  // namespace win
