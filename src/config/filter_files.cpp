#include "config/filter_files.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <optional>
#include <string>

#include "config/filter_file.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"

namespace config {
namespace {

// The file usbFileSel of the list under /mnt; nothing when the selection is
// outside the list or the file cannot be read.
std::optional<std::string> selectedUsbFile(core::Works& works) {
    const int selected = works.usbFileSel;
    if (selected < 0 || selected >= works.usbFileCount || selected >= core::kUsbFiles) return std::nullopt;
    const std::string name =
        works.usbFileList.with([selected](const auto& list) { return list[static_cast<size_t>(selected)]; });
    return works.platform->files().read(std::string(kUsbFolder) + "/" + name);
}

// 0 passed, 2 at the first line that fails.
int checkLines(const std::vector<FilterLine>& lines) {
    for (size_t index = 0; index < lines.size(); ++index) {
        const core::FilterRow& row = lines[index].row;
        const bool passes = filterLinePasses(lines[index]);
        platform::trace(passes ? "USB Filter %i %ld,%ld,%x\n" : "!ERR USB Filter %i %ld,%ld,%x\n",
                        static_cast<int>(index), static_cast<long>(row.Fstart), static_cast<long>(row.Fstop),
                        row.enabled);
        if (!passes) return 2;
    }
    return 0;
}

bool isRegularFile(const std::string& folder, const dirent& entry) {
    if (entry.d_type != DT_UNKNOWN) return entry.d_type == DT_REG;
    struct stat status {};
    return ::stat((folder + "/" + entry.d_name).c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace

void LoadTabFiltri(core::AmpRecord& works) {
    works.filterTable.with([](core::FilterRows& rows) {
        for (core::FilterRow& row : rows) row.enabled = 0;
    });
    const std::optional<std::string> text = works.platform->files().read(kFilterPath);
    if (!text) {
        platform::trace("Filter File not FOUND!!\n");
        return;
    }
    const core::FilterRows rows = filterRowsOf(*text);
    for (size_t index = 0; index < rows.size(); ++index)
        platform::trace("Filter %i %ld,%ld,%x\n", static_cast<int>(index),
                        static_cast<long>(rows[index].Fstart), static_cast<long>(rows[index].Fstop),
                        rows[index].enabled);
    works.filterTable.with([&rows](core::FilterRows& table) { table = rows; });
}

void SaveTabFiltri(core::AmpRecord& works) {
    platform::trace("SaveTabFiltri \n");
    const core::FilterRows rows = works.filterTable.with([](const core::FilterRows& table) { return table; });
    if (!works.platform->files().save(kFilterPath, filterFileText(rows)))
        platform::logError("can't save %s", kFilterPath);
}

int ListFile_Filter(core::Works& works) {
    works.usbLoadState = 0;
    const std::string folder = works.platform->root().resolve(kUsbFolder);
    const std::unique_ptr<DIR, int (*)(DIR*)> directory(::opendir(folder.c_str()), ::closedir);
    if (!directory) return 1;
    platform::trace("---------------READ FILE... %i\n", 4);
    works.usbFileCount = 0;
    int count = 0;
    while (count < core::kUsbFiles) {
        const dirent* entry = ::readdir(directory.get());
        if (entry == nullptr) break;
        const std::string name = entry->d_name;
        if (!name.ends_with(".txt") || !isRegularFile(folder, *entry)) continue;
        works.usbFileList.with([count, &name](auto& list) { list[static_cast<size_t>(count)] = name; });
        platform::trace("- %s \n", name.c_str());
        works.usbFileCount = ++count;
    }
    return 0;
}

int VeryfyFilterFileUSB(core::Works& works) {
    const std::optional<std::string> text = selectedUsbFile(works);
    if (!text) {
        platform::trace("Filter File not FOUND!!\n");
        return 1;
    }
    return checkLines(filterLinesOf(*text));
}

bool LoadFilterFileUSB(core::Works& works) {
    const std::optional<std::string> text = selectedUsbFile(works);
    if (!text || checkLines(filterLinesOf(*text)) != 0) {
        platform::logError("filter file from /mnt not loaded");
        return false;
    }
    const core::FilterRows rows = filterRowsOf(*text);
    works.filterTable.with([&rows](core::FilterRows& table) { table = rows; });
    SaveTabFiltri(works);
    return true;
}

}  // namespace config
