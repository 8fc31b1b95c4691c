// The whole simulated machine as one map from place to state: every file and directory, every
// registry key and value, every printer, driver and port, every deletion pending restart. Two
// images taken before and after a run tell everything the run changed.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/sim/machine.h"
#include "platform/sim/text.h"

namespace testing_support {

using Image = std::map<std::string, std::string>;

inline std::string Hex(const std::vector<win::BYTE>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (win::BYTE b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

inline void AddFiles(Image& image, const sim::FileNode& node) {
    for (const auto& child : node.children) {
        std::string state = child->directory ? "directory" : "file " + child->content;
        state += " attributes=" + std::to_string(child->attributes);
        if (child->reparse) state += " link->" + sim::Narrow(child->linkTarget);
        image["file " + sim::Narrow(sim::FullPath(child.get()))] = state;
        if (!child->reparse) AddFiles(image, *child);
    }
}

inline void AddKeys(Image& image, const sim::RegKey& key) {
    const std::string name = sim::RegistryState::FullName(key);
    image["key " + name] = key.IsLink() ? "link->" + sim::Narrow(key.linkPath) : "";
    for (const auto& value : key.values)
        image["value " + name + " [" + sim::Narrow(value.name) + "]"] =
            std::to_string(value.type) + ":" + Hex(value.data);
    for (const auto& subkey : key.subkeys) AddKeys(image, *subkey);
}

inline Image TakeImage() {
    sim::Machine& m = sim::machine();
    // The spooler's records, as the run would read them.
    sim::WriteSpoolerRecords();
    Image image;
    for (const auto& [letter, root] : m.files.drives) AddFiles(image, *root);
    AddKeys(image, m.registry.machine);
    AddKeys(image, m.registry.user);
    for (const auto& p : m.spooler.printers)
        image["printer " + sim::Narrow(p.name)] = sim::Narrow(p.driver) + " on " + sim::Narrow(p.port);
    for (const auto& d : m.spooler.drivers) image["driver " + sim::Narrow(d.environment + u"|" + d.name)] = "";
    for (const auto& port : m.spooler.ports) image["port " + sim::Narrow(port)] = "";
    for (const auto& path : m.files.pendingDeletes) image["pending deletion " + sim::Narrow(path)] = "";
    return image;
}

// What a run changed that it had no business changing. `before` is the machine without the
// product, `laidDown` the machine with it, `after` the machine after the run. The product's
// footprint is what laying down added or changed; outside it nothing may appear, vanish or
// change, except places `allowed` accepts. Inside it anything goes.
inline std::vector<std::string> ChangesOutsideFootprint(const Image& before, const Image& laidDown, const Image& after,
                                                        const std::function<bool(const std::string&)>& allowed) {
    std::vector<std::string> changes;
    for (const auto& [place, state] : after) {
        auto was = laidDown.find(place);
        if (was == laidDown.end()) {
            if (!allowed(place)) changes.push_back("appeared: " + place + " = " + state);
            continue;
        }
        auto original = before.find(place);
        const bool foreign = original != before.end() && original->second == was->second;
        if (state != was->second && foreign && !allowed(place))
            changes.push_back("changed: " + place + " = " + state + " (was " + was->second + ")");
    }
    for (const auto& [place, state] : laidDown) {
        if (after.count(place)) continue;
        auto original = before.find(place);
        const bool foreign = original != before.end() && original->second == state;
        if (foreign && !allowed(place)) changes.push_back("vanished: " + place);
    }
    return changes;
}

// The places of `earlier` that `later` no longer has.
inline std::vector<std::string> Removed(const Image& earlier, const Image& later) {
    std::vector<std::string> out;
    for (const auto& [place, state] : earlier)
        if (!later.count(place)) out.push_back(place);
    return out;
}

}  // namespace testing_support
