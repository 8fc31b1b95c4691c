// What start-up and the removal steps need to know about the system they run on. Every test of
// the Windows version goes through QueryWindowsVersion.
#pragma once
#include "platform/system.h"

namespace engine {

// The version record: the extended one, or the plain one where the extended query fails.
// False when neither can be had.
bool QueryWindowsVersion(win::OSVERSIONINFOEXW& version);

// Whether this is Windows 95, 98 or Me, whose registry deletes a key with its subkeys; false
// when the version cannot be had.
bool IsWindows95Family();

// Whether the machine-wide "Software" key opens for all access: the administrator test.
bool CanWriteMachineSoftwareKey();

// Whether this 32-bit process runs on 64-bit Windows; false when that cannot be told
// ("IsWow64Process" is missing before Windows XP SP2, or the call fails).
bool IsRunningUnderWow64();

}  // namespace engine
