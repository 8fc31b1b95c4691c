// Annotations of the accessibility services: a role a window's class does not tell (a static
// text that works as a link). The services are a COM object of the system's, made for each use.
#include "platform/window.h"

#include "platform/scoped.h"

#include <windows.h>
#include <oleacc.h>

#include "platform/win32/interop.h"
#include "platform/win32/system_library.h"

using win32::H;

namespace win {

namespace {

// Spelt out here: the SDK's definitions come from an import library the executable does not take.
constexpr ::GUID kAccPropServicesClass{0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr ::GUID kAccPropServicesInterface{
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr ::GUID kRoleProperty{0xcb905ff2, 0x7bd1, 0x4c05, {0xb3, 0xc8, 0xe6, 0xc2, 0x41, 0x36, 0x4d, 0x70}};
constexpr DWORD kClientObject = static_cast<DWORD>(OBJID_CLIENT);

template <typename Use>
bool WithAnnotationServices(Use use) {
    const ScopedOle ole;
    if (!ole) return false;
    ::IAccPropServices* services = nullptr;
    const HRESULT made = CALL_SYSTEM_FUNCTION(Ole32, CoCreateInstance, E_NOTIMPL, kAccPropServicesClass, nullptr,
                                              CLSCTX_INPROC_SERVER, kAccPropServicesInterface,
                                              reinterpret_cast<void**>(&services));
    if (FAILED(made) || !services) return false;
    const bool done = use(*services);
    services->Release();
    return done;
}

}  // namespace

bool SetAccessibleRole(HWND window, LONG role) {
    return WithAnnotationServices([&](::IAccPropServices& services) {
        ::VARIANT value{};
        value.vt = VT_I4;
        value.lVal = role;
        return SUCCEEDED(services.SetHwndProp(H<::HWND>(window), kClientObject, CHILDID_SELF, kRoleProperty, value));
    });
}

void ClearAccessibleRole(HWND window) {
    WithAnnotationServices([&](::IAccPropServices& services) {
        return SUCCEEDED(services.ClearHwndProps(H<::HWND>(window), kClientObject, CHILDID_SELF, &kRoleProperty, 1));
    });
}

}  // namespace win
