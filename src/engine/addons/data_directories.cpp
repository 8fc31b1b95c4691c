// The stamp, language and OCR data below the install directory. These have no add-on record.
#include "engine/addons/add_on_remover.h"

namespace engine::addons {
namespace {

using Op = AddOnRemover::Operation;
using Row = AddOnRemover::Row;

// Stamps go by pattern, not by name: a stamp of the user's own that is not a PDF file keeps
// its directory, and so "\Stamps" and the install directory.
constexpr Row kStampRows[] = {
    {Op::RemoveTree, u"\\Stamps\\Standard Stamps\\*.pdf", nullptr},
    {Op::RemoveTree, u"\\Stamps\\Sign Here\\*.pdf", nullptr},
    {Op::RemoveDirectory, u"\\Stamps\\Standard Stamps", u"Delete stamps default directory failed!"},
    {Op::RemoveDirectory, u"\\Stamps\\Sign Here", u"Delete stamps default directory failed!"},
    {Op::RemoveDirectory, u"\\Stamps", u"Delete stamps directory failed!"},
};

// The OnDemandCM plug-in's XML files go here, after the OnDemandCM add-on's own removal has
// already tried its directory; that directory is not tried again.
constexpr Row kLanguageRows[] = {
    {Op::RemoveTree, u"\\lang\\*.xml", nullptr},
    {Op::RemoveTree, u"\\plugins\\OnDemandCM\\*.xml", nullptr},
    {Op::RemoveDirectory, u"\\lang", u"Delete language directory failed!"},
};

constexpr Row kOcrRows[] = {
    {Op::RemoveTree, u"\\plugins\\OCR\\KV_Abbyy_OCR\\*.*", nullptr},
    {Op::RemoveDirectory, u"\\plugins\\OCR\\KV_Abbyy_OCR", u"Delete OCR directory failed!"},
    {Op::DeleteFile, u"\\plugins\\OCR\\KV_Abbyy_OCR.Dll", u"Delete KV_Abbyy_OCR.Dll directory failed!"},
    {Op::DeleteFile, u"\\UpdaterInfo.xml", u"Delete UpdaterInfo.xml failed!"},
    {Op::RemoveDirectory, u"\\plugins\\OCR", u"Delete OCR directory failed!"},
};

}  // namespace

void AddOnRemover::AddDataRemovals(std::vector<Removal>& removals) {
    AddRows(removals, kStampRows);
    AddRows(removals, kLanguageRows);
    AddRows(removals, kOcrRows);
}

void AddOnRemover::RemoveStamps() {
    if (!BaseDirectory().empty()) RunRows(kStampRows, u"Stamps");
}

void AddOnRemover::RemoveLanguageFiles() {
    if (!BaseDirectory().empty()) RunRows(kLanguageRows, u"language");
}

void AddOnRemover::RemoveOcrPlugin() {
    if (!BaseDirectory().empty()) RunRows(kOcrRows, u"OCR");
}

}  // namespace engine::addons
