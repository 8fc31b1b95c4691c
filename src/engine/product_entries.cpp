#include "engine/product_entries.h"

#include "engine/addons/add_on_remover.h"
#include "engine/files/file.h"
#include "engine/files/path.h"
#include "engine/files/shortcuts.h"
#include "engine/printer/printer_remover.h"
#include "engine/product.h"

namespace engine {
namespace {

using Operation = addons::AddOnRemover::Operation;

// One thing a step deletes, below the install directory: a directory ("\Plugins"), the files of a
// directory that fit a pattern ("\Stamps\Sign Here", "*.pdf"; a name is a pattern too), or a whole
// tree ("*.*").
struct Rule {
    enum class Kind { Directory, Files, Tree } kind;
    std::u16string directory;  // "" for the install directory itself, else "\a\b"
    std::u16string pattern;    // for Files
};

void Split(const std::u16string& path, std::u16string& directory, std::u16string& name) {
    const std::size_t cut = path.find_last_of(u'\\');
    directory = path.substr(0, cut);
    name = path.substr(cut + 1);
}

std::vector<Rule> ProductRules() {
    std::vector<Rule> rules;
    rules.push_back({Rule::Kind::Files, u"", product::kExecutableName});
    rules.push_back({Rule::Kind::Files, u"", printer::kWordAddinName});
    for (const std::u16string& name : files::ProgramFileNames()) rules.push_back({Rule::Kind::Files, u"", name});
    for (const std::u16string& directory : files::ProgramDirectories()) rules.push_back({Rule::Kind::Directory, directory, u""});
    for (const addons::AddOnRemover::Removal& removal : addons::AddOnRemover::Removals()) {
        std::u16string directory, name;
        Split(removal.path, directory, name);
        switch (removal.operation) {
            case Operation::DeleteFile: rules.push_back({Rule::Kind::Files, directory, name}); break;
            case Operation::RemoveDirectory: rules.push_back({Rule::Kind::Directory, removal.path, u""}); break;
            case Operation::RemoveTree:
                // "dir\*.*" takes the directory's whole tree; "dir\*.pdf" its PDF files.
                if (name == u"*.*" || name == u"*") rules.push_back({Rule::Kind::Tree, directory, u""});
                else rules.push_back({Rule::Kind::Files, directory, name});
                break;
        }
    }
    return rules;
}

class Look {
public:
    explicit Look(InstallDirectoryLook& result) : m_rules(ProductRules()), m_result(result) {}

    // Sorts the entries of `path` (ending in a backslash), which is `relative` below the install
    // directory; true when it holds anything kept.
    bool Into(const std::u16string& path, const std::u16string& relative) {
        std::vector<files::ListedEntry> entries;
        files::ListDirectory(path, entries);
        bool holdsKept = false;
        for (const files::ListedEntry& entry : entries) {
            const std::u16string full = path + entry.name;
            const std::u16string below = relative + u"\\" + entry.name;
            if (relative.empty() && files::EqualNoCaseAscii(entry.name, product::kUninstallerName)) continue;
            if (!entry.directory) {
                if (Fits(Rule::Kind::Files, relative, entry.name)) m_result.left.push_back(u"file " + full);
                else Keep(u"file " + full, holdsKept);
            } else if (Fits(Rule::Kind::Tree, below, u"")) {
                m_result.left.push_back(u"directory " + full);
            } else if (!Fits(Rule::Kind::Directory, below, u"")) {
                Keep(u"directory " + full, holdsKept);
            } else if (Into(files::WithTrailingBackslash(full), below)) {
                holdsKept = true;  // the product's directory stays for what it holds of the user's
            } else {
                m_result.left.push_back(u"directory " + full);
            }
        }
        return holdsKept;
    }

private:
    bool Fits(Rule::Kind kind, const std::u16string& directory, const std::u16string& name) const {
        for (const Rule& rule : m_rules)
            if (rule.kind == kind && files::EqualNoCaseAscii(rule.directory, directory) &&
                (kind != Rule::Kind::Files || files::NameFitsPattern(name, rule.pattern)))
                return true;
        return false;
    }

    void Keep(const std::u16string& what, bool& holdsKept) {
        m_result.kept.push_back(what);
        holdsKept = true;
    }

    std::vector<Rule> m_rules;
    InstallDirectoryLook& m_result;
};

}  // namespace

InstallDirectoryLook LookAtInstallDirectory(const std::u16string& directory) {
    InstallDirectoryLook result;
    Look(result).Into(files::WithTrailingBackslash(directory), u"");
    return result;
}

}  // namespace engine
