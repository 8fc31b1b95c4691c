// The tree removal benchmark: one kind of tree (registry or directories) and the ways of
// removing it that are timed side by side.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace bench {

struct Contender {
    const wchar_t* name;
    void (*remove)(const std::wstring& tree);
};

struct TreeKind {
    const wchar_t* title;
    std::wstring shape;                      // what one tree holds, for the report
    std::wstring (*place)(int slot);         // where tree number `slot` is built
    void (*build)(const std::wstring& tree);
    bool (*gone)(const std::wstring& tree);
    void (*clear)();                         // removes what a failed run may have left
    std::vector<Contender> contenders;       // the first one is ours, the second its bare calls
};

TreeKind RegistryTrees();
TreeKind DirectoryTrees();

}  // namespace bench
