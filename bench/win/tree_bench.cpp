// Times the program's registry and directory tree removal against the bare Win32 call sequence
// its walk makes (for directories also the walk by name it replaced) and against the system's
// own tree removal (RegDeleteTreeW, SHFileOperationW).
// Every round builds a fresh tree for each contender and removes it; the order of the
// contenders changes from round to round so that none always runs first or last.
//
//   tree_bench.exe [registry|files|all] [--rounds N]
#include "tree_bench.h"

#include <cstdio>
#include <cwchar>

#include "stopwatch.h"

namespace {

using bench::Contender;
using bench::TreeKind;

// The contenders' order in round `round`: every rotation, forwards and backwards, in turn.
std::vector<std::size_t> OrderOfRound(std::size_t count, int round) {
    std::vector<std::size_t> order;
    const std::size_t shift = static_cast<std::size_t>(round / 2) % count;
    for (std::size_t i = 0; i < count; ++i) order.push_back((i + shift) % count);
    if (round % 2) std::reverse(order.begin(), order.end());
    return order;
}

// Returns false when some contender left part of its tree behind.
bool Run(const TreeKind& kind, int rounds) {
    std::wprintf(L"%ls: %ls; %d rounds, order alternated\n", kind.title, kind.shape.c_str(), rounds);
    std::fflush(stdout);
    kind.clear();
    const std::size_t count = kind.contenders.size();
    std::vector<std::vector<double>> times(count);
    bool complete = true;
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t index : OrderOfRound(count, round)) {
            const Contender& contender = kind.contenders[index];
            const std::wstring tree = kind.place(static_cast<int>(index));
            kind.build(tree);
            bench::Stopwatch stopwatch;
            contender.remove(tree);
            times[index].push_back(stopwatch.Milliseconds());
            if (!kind.gone(tree)) {
                std::wprintf(L"  %ls left part of the tree behind in round %d\n", contender.name, round + 1);
                complete = false;
            }
        }
    }
    kind.clear();

    std::vector<double> medians;
    for (std::size_t i = 0; i < count; ++i) {
        medians.push_back(bench::Median(times[i]));
        std::wprintf(L"  %-22ls median %9.2f ms\n", kind.contenders[i].name, medians[i]);
    }
    // The machine's load drifts over a run; the ratio within each round, whose contenders ran
    // one after the other, is steadier than the ratio of the medians, so both are shown.
    for (std::size_t i = 1; i < count; ++i) {
        std::vector<double> ratios;
        for (int round = 0; round < rounds; ++round)
            if (times[i][round] > 0) ratios.push_back(times[0][round] / times[i][round]);
        std::wprintf(L"  ratio %ls / %ls: %.3f (of medians), %.3f (median of rounds)\n", kind.contenders[0].name,
                     kind.contenders[i].name, medians[i] > 0 ? medians[0] / medians[i] : 0.0, bench::Median(ratios));
    }
    std::fflush(stdout);
    return complete;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring which = L"all";
    int rounds = 12;
    for (int i = 1; i < argc; ++i) {
        if (!std::wcscmp(argv[i], L"--rounds") && i + 1 < argc) rounds = std::max(1, _wtoi(argv[++i]));
        else which = argv[i];
    }
    if (which != L"all" && which != L"registry" && which != L"files") {
        std::fwprintf(stderr, L"usage: tree_bench [registry|files|all] [--rounds N]\n");
        return 2;
    }
    bool complete = true;
    if (which != L"files") complete &= Run(bench::RegistryTrees(), rounds);
    if (which != L"registry") complete &= Run(bench::DirectoryTrees(), rounds);
    return complete ? 0 : 1;
}
