// An unelevated process of the same user beside a whole silent run: at each registry call of
// the run it swaps the key of HKEY_CURRENT_USER that the call is about to reach (its own, so it
// may) for a link to the machine's key of the same path below "Software\Victim", a copy of the
// user's tree that no process of the user can write. Whichever key it swaps, and when, the
// machine's keys and values all survive and the run comes to its end.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/sim/machine.h"
#include "support/full_footprint.h"
#include "support/machine_image.h"
#include "support/watched_run.h"

namespace {

using testing_support::Image;

const win::HKEY LM = win::HKEY_LOCAL_MACHINE;
const win::HKEY CU = win::HKEY_CURRENT_USER;
const std::string kUserSoftware = "HKCU\\Software\\";
const std::u16string kVictim = u"Software\\Victim\\";

bool StartsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

// Every key below the user's "Software", copied to the machine's "Software\Victim" with a value
// of its own: whatever the attacker links to exists, with the names the removal looks for.
void PlantVictims(const sim::RegKey& key, const std::u16string& path) {
    for (const auto& subkey : key.subkeys) {
        const std::u16string child = path.empty() ? subkey->name : path + u"\\" + subkey->name;
        sim::machine().registry.SetString(LM, kVictim + child, u"victim", u"keep");
        PlantVictims(*subkey, child);
    }
}

void Arrange() {
    sim::Reset();
    testing_support::LayDownForeignItems();
    testing_support::LayDownProduct();
    testing_support::PlaceTemporaryCopy();
    PlantVictims(*sim::machine().registry.user.Child(u"Software"), u"");
}

Image VictimImage() {
    Image victims;
    for (const auto& [place, state] : testing_support::TakeImage())
        if (place.find("HKLM\\Software\\Victim") != std::string::npos) victims[place] = state;
    return victims;
}

// The registry calls a run makes that name a key: their positions in the call log.
bool NamesAKey(const std::string& function) {
    return function == "RegOpenKeyExW" || function == "RegCreateKeyExW" || function == "RegDeleteKeyW" ||
           function == "RegDeleteValueW" || function == "NtDeleteKey";
}

struct Attack {
    std::size_t calls = 0;    // registry calls seen so far
    std::size_t at = 0;       // the one to swap before (0: never)
    std::string swapped;      // the key swapped, once done
};

struct RunResult {
    bool runaway = false;
    std::vector<std::string> codes;
    std::size_t registryCalls = 0;
    std::string swapped;
    Image victims;
};

RunResult RunWithSwapAt(std::size_t swapAt) {
    Arrange();
    sim::Machine& m = sim::machine();
    Attack attack;
    attack.at = swapAt;
    const auto run = testing_support::RunSilentCopyWatched([&](const std::string& function, const std::string& argument) {
        if (!NamesAKey(function)) return;
        if (++attack.calls != attack.at) return;
        // The key named, without the value name a value call appends.
        std::string key = argument.substr(0, argument.find(" ["));
        if (!StartsWith(key, kUserSoftware)) return;
        const std::u16string path = sim::Widen(key.substr(5));
        // Its path below the user's "Software", for the victim of the same name.
        const std::u16string below = sim::Widen(key.substr(kUserSoftware.size()));
        if (m.registry.SwapForLink(CU, path, LM, kVictim + below)) attack.swapped = key;
    });
    RunResult result;
    result.runaway = run.runaway;
    result.codes = run.codes;
    result.registryCalls = attack.calls;
    result.swapped = attack.swapped;
    result.victims = VictimImage();
    return result;
}

TEST(RegistryAttack, AKeySwappedForALinkAtAnyRegistryCallLeavesTheMachinesKeysAlone) {
    Arrange();
    const Image victims = VictimImage();
    ASSERT_GT(victims.size(), 20u);
    const RunResult sound = RunWithSwapAt(0);
    ASSERT_FALSE(sound.runaway);
    ASSERT_EQ(sound.codes, (std::vector<std::string>{"1", "2", "4", "6", "7", "8", "9", "10"}));
    ASSERT_EQ(sound.victims, victims);

    std::size_t swaps = 0;
    std::vector<std::string> failures;
    for (std::size_t at = 1; at <= sound.registryCalls; ++at) {
        const RunResult run = RunWithSwapAt(at);
        if (run.swapped.empty()) continue;
        ++swaps;
        const std::string where = "call " + std::to_string(at) + " (" + run.swapped + "): ";
        if (run.runaway) failures.push_back(where + "the run did not end");
        if (run.codes.empty() || run.codes.back() != "10") failures.push_back(where + "the run stopped early");
        for (const auto& [place, state] : victims) {
            auto now = run.victims.find(place);
            if (now == run.victims.end()) failures.push_back(where + "removed " + place);
            else if (now->second != state) failures.push_back(where + "changed " + place);
        }
        for (const auto& [place, state] : run.victims)
            if (!victims.count(place)) failures.push_back(where + "created " + place);
    }
    std::printf("registry attack: %zu of %zu registry calls had a key of the user's to swap, %s\n", swaps,
                sound.registryCalls, failures.empty() ? "all passing" : "FAILING");
    EXPECT_GT(swaps, 50u);
    for (std::size_t i = 0; i < failures.size() && i < 40; ++i) ADD_FAILURE() << failures[i];
    EXPECT_TRUE(failures.empty()) << failures.size() << " problems";
}

}  // namespace
