// The simulated operating system: version, rights, environment, mutexes, modules, processes.
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/system.h"

namespace sim {

enum class VersionQuery { Works, ExtendedFails, BothFail };
enum class Wow64 { FunctionMissing, CallFails, No, Yes };
// Which of KERNEL32's library search controls the system offers: SetDefaultDllDirectories
// (Windows 8, and 7 with its update), SetDllDirectoryW alone (XP SP1 to 7), or neither.
enum class DllSearchControls { DefaultDirectories, DllDirectoryOnly, None };

struct StartedProcess {
    std::u16string application;
    std::u16string commandLine;
    std::u16string currentDirectory;
    win::DWORD creationFlags = 0;
    bool imageFound = false;  // the program named is a file of the simulated file system
    std::string image;        // its bytes when the process started
    bool inheritsHandles = false;
    win::HANDLE standardInput = nullptr;  // given with STARTF_USESTDHANDLES
    win::HANDLE standardOutput = nullptr;
    bool standardHandlesGiven = false;    // STARTF_USESTDHANDLES: none of the parent's passed on
    int showWindow = -1;                  // given with STARTF_USESHOWWINDOW; -1: none given
    bool terminated = false;              // ended by TerminateProcess
};

struct SimLibrary {
    std::map<std::string, win::FARPROC> exports;
};

struct SystemState {
    VersionQuery versionQuery = VersionQuery::Works;
    win::DWORD majorVersion = 6;
    win::DWORD minorVersion = 1;
    win::DWORD buildNumber = 7601;
    bool family95 = false;  // GetVersionExW reports the 95 platform
    win::DWORD lastError = 0;

    std::u16string modulePath = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\Uninstall.exe";
    std::u16string tempPath = u"C:\\Users\\user\\AppData\\Local\\Temp\\";
    std::u16string windowsDirectory = u"C:\\windows";
    std::u16string systemDirectory = u"C:\\windows\\system32";
    std::map<std::u16string, std::u16string> environment{{u"COMSPEC", u"C:\\windows\\system32\\cmd.exe"}};

    std::set<std::u16string> existingMutexes;  // names another process already created
    bool mutexCreateFails = false;
    std::vector<std::u16string> mutexesCreated;
    int mutexReleases = 0;

    Wow64 wow64 = Wow64::No;
    bool process64Bit = false;  // the program under test plays a 32-bit build unless told otherwise
    DllSearchControls dllSearchControls = DllSearchControls::DefaultDirectories;
    bool imageResourceFlagUnknown = false;  // LoadLibraryExW refuses it, as before Vista
    std::map<std::u16string, SimLibrary> libraries;  // by lower-case file name or full path
    std::map<win::HMODULE, std::u16string> loadedModules;
    int librariesLoaded = 0;
    int librariesFreed = 0;

    bool createProcessFails = false;
    std::vector<StartedProcess> processes;
    std::deque<win::DWORD> exitCodes;  // handed to the processes waited for, in order
    int processWaits = 0;
    // The processes started never end: a wait on one with a time limit runs out.
    bool processesNeverEnd = false;
    std::vector<win::DWORD> waitTimeouts;  // each WaitForSingleObject's time limit

    bool finalPathMissing = false;  // GetFinalPathNameByHandleW missing, as before Vista
    bool elevated = true;           // the program runs with administrator rights
    // Executables mapped as running images, which cannot be deleted (the program's own, while
    // a test plays it running from there).
    std::vector<std::u16string> runningImages;
    bool failTempFileName = false;
    bool failShortPath = false;
    unsigned nextTempNumber = 0x1A2B;

    win::HRESULT oleInitializeResult = 0;
    int oleInitializeCalls = 0;
    int oleUninitializeCalls = 0;

    std::vector<std::u16string> debugOutput;
    std::vector<win::DWORD> sleeps;
    // GetTickCount's answer: Sleep moves it on, and so may a test. Its low 16 bits name the first
    // temporary copy tried ("orv1A2B.exe").
    win::DWORD tickCount = 0x1A2B;
    int openProcessHandles = 0;
    win::DWORD processId = 1000;
    win::DWORD parentProcessId = 4242;  // the installer (sim::kInstallerProcessId)
    win::HANDLE standardOutput = nullptr;  // what this process was given as its standard output
};

}  // namespace sim
