// What this process knows of itself, and how it starts the others it hands work to: the
// temporary copy and the command interpreter that deletes the installed file.
#pragma once
#include <string>

#include "platform/scoped.h"
#include "platform/types.h"

namespace app {

// This executable's full path, or empty when it does not fit MAX_PATH.
std::u16string ModulePath();

// The system directory with its trailing backslash, or empty.
std::u16string SystemDirectory();

// Whether two directories are one place, whatever the form of their names (short or long
// components, letter case, a trailing backslash).
bool IsSameDirectory(const std::u16string& a, const std::u16string& b);

// Starts a program without waiting for it. `program` may be null (then it is the command
// line's first word); a null `currentDirectory` keeps this process's. With a `standardInput`,
// that (inheritable) handle is the program's input, and the program inherits it. The process's
// handle goes to `started` when one is given.
bool StartProcess(const char16_t* program, std::u16string commandLine, const char16_t* currentDirectory,
                  win::DWORD flags = 0, win::HANDLE standardInput = nullptr, win::ScopedHandle* started = nullptr,
                  win::HANDLE standardOutput = nullptr);

}  // namespace app
