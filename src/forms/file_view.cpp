#include "forms/file_view.h"

#include <sys/stat.h>
#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>

#include "base/format.h"
#include "base/format_datetime.h"
#include "base/paths.h"
#include "base/text_case.h"
#include "base/translate.h"
#include "station/station.h"

namespace spindle {
namespace {

// A track whose last use is at most day 1 has never been used ("Clear Last Scheduled"
// sets day 1).
constexpr TDateTime kNeverUsed = 1.0;

// Sort keys of the file names in the order of the user's language, without regard to
// case; plain case folding when no collator is to be had.
std::vector<std::string> NameKeys(const std::vector<FileRec>& files) {
    std::vector<std::string> keys(files.size());
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(icu::Locale(), status));
    if (U_SUCCESS(status)) {
        collator->setStrength(icu::Collator::SECONDARY);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string name = ExtractFileName(files[i].FileName);
        if (!U_SUCCESS(status)) {
            keys[i] = FoldCase(name);
            continue;
        }
        const icu::UnicodeString text = icu::UnicodeString::fromUTF8(name);
        const int32_t size = collator->getSortKey(text, nullptr, 0);
        keys[i].resize(static_cast<std::size_t>(size));
        collator->getSortKey(text, reinterpret_cast<uint8_t*>(keys[i].data()), size);
    }
    return keys;
}

}  // namespace

FileViewRow FileViewRowOf(const FileRec& file, const FormatSettings& settings) {
    FileViewRow row;
    row.Position = std::to_string(static_cast<long long>(file.Index) + 1);
    row.Filename = ExtractFileName(file.FileName);
    row.Duration = FormatDateTime("hh:nn:ss", file.Duration / 86400.0, settings);
    row.LastUsed = file.LastUsed <= kNeverUsed
                       ? std::string("     ") + tr("Never")
                       : FormatDateTime("ddddd hh:nn", file.LastUsed, settings);
    row.Modified = FormatDateTime("ddddd hh:nn", file.FileDate, settings);
    return row;
}

std::vector<std::size_t> SortedFileOrder(const std::vector<FileRec>& files, int key,
                                         const FileAttributeColumns* attributes) {
    std::vector<std::size_t> order(files.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const int column = std::abs(key);
    const int attributeCount =
        attributes != nullptr ? static_cast<int>(attributes->Attributes.size()) : 0;
    if (column < kColPosition || column > kColModified + attributeCount) {
        return order;
    }
    std::vector<std::string> names;
    if (column == kColFilename) {
        names = NameKeys(files);
    }
    // -1, 0 or 1 for rows a and b by the column.
    auto compare = [&](std::size_t a, std::size_t b) -> int {
        const FileRec& x = files[a];
        const FileRec& y = files[b];
        if (column > kColModified) {
            const auto attribute = static_cast<std::size_t>(column - kColModified - 1);
            const int p = attributes->Place(a, attribute);
            const int q = attributes->Place(b, attribute);
            return (p > q) - (p < q);
        }
        switch (column) {
            case kColPosition:
                return (x.Index > y.Index) - (x.Index < y.Index);
            case kColFilename:
                return names[a].compare(names[b]) < 0 ? -1 : names[a] == names[b] ? 0 : 1;
            case kColDuration:
                return (x.Duration > y.Duration) - (x.Duration < y.Duration);
            case kColLastUsed:
                return (x.LastUsed > y.LastUsed) - (x.LastUsed < y.LastUsed);
            default: {
                // To the whole second: closer dates are alike.
                const double a1 = std::trunc(x.FileDate * 86400.0);
                const double b1 = std::trunc(y.FileDate * 86400.0);
                return (a1 > b1) - (a1 < b1);
            }
        }
    };
    const int sign = key < 0 ? -1 : 1;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return sign * compare(a, b) < 0; });
    return order;
}

const std::string& FileAttributeColumns::Text(std::size_t file, std::size_t attribute) const {
    static const std::string none;
    const int place = Place(file, attribute);
    return place < 0 ? none : Attributes[attribute].Values[static_cast<std::size_t>(place)];
}

FileAttributeColumns AttributeColumnsOf(const std::vector<FileRec>& files,
                                        std::vector<AttributeDef> attributes,
                                        const TrackFactsByPath& facts) {
    FileAttributeColumns columns;
    columns.Attributes = std::move(attributes);
    const std::size_t width = columns.Attributes.size();
    columns.Places.assign(files.size() * width, -1);
    for (std::size_t f = 0; f < files.size(); ++f) {
        const auto found = facts.find(files[f].FileName);
        if (found == facts.end()) {
            continue;
        }
        for (std::size_t a = 0; a < width; ++a) {
            const auto value = found->second.Attributes.find(columns.Attributes[a].Name);
            if (value == found->second.Attributes.end()) {
                continue;
            }
            const std::vector<std::string>& listed = columns.Attributes[a].Values;
            const auto at = std::find(listed.begin(), listed.end(), value->second);
            if (at != listed.end()) {
                columns.Places[f * width + a] = static_cast<int>(at - listed.begin());
            }
        }
    }
    return columns;
}

DbRead<FileAttributeColumns> LoadAttributeColumns(const std::filesystem::path& dataFolder,
                                                  const std::vector<FileRec>& files) {
    DbRead<FileAttributeColumns> columns;
    StationDb db(dataFolder, StationDb::Mode::IfExists);
    if (!db.IsOpen()) {
        columns.Problem = db.Problem();
        return columns;
    }
    DbRead<std::vector<AttributeDef>> attributes = db.Attributes();
    if (!attributes) {
        columns.Problem = attributes.Problem;
        return columns;
    }
    if (attributes.Value.empty()) {
        return columns;
    }
    const DbRead<TrackFactsByPath> facts = LoadTrackFacts(db);
    if (!facts) {
        columns.Problem = facts.Problem;
        return columns;
    }
    columns.Value = AttributeColumnsOf(files, std::move(attributes.Value), facts.Value);
    return columns;
}

DbStatus SetAttributeOf(const std::filesystem::path& dataFolder, const std::string& attribute,
                        const std::vector<const FileRec*>& files, const std::string& value) {
    std::vector<std::pair<std::string, std::string>> values;
    values.reserve(files.size());
    for (const FileRec* file : files) {
        values.emplace_back(file->FileName, value);
    }
    return StationDb(dataFolder, StationDb::Mode::IfExists).SetAttribute(attribute, values);
}

FileProperties PropertiesOf(const TCustomDetails& group, const FileRec& file,
                            const FormatSettings& settings) {
    FileProperties p;
    p.Filename = ExtractFileName(file.FileName);
    p.Caption = p.Filename + " " + tr("Properties");
    p.Folder = ExtractFilePath(file.FileName);
    const bool category = group.Kind() == GroupKind::Category;
    p.GroupLabel = std::string(category ? tr("Category Name") : tr("Spot Group")) + ":";
    p.Group = group.Name;
    p.Modified = FormatDateTime("dddddd tt", file.FileDate, settings);
    struct stat st {};
    const double size =
        ::stat(file.FileName.c_str(), &st) == 0 ? static_cast<double>(st.st_size) : 0;
    p.Size = FormatIn(settings, tr("%.0n bytes"), size);
    if (file.LastUsed >= kNeverUsed) {
        p.LastDate = std::floor(file.LastUsed);
        p.LastTime = file.LastUsed - p.LastDate;
    }
    p.Duration = file.Duration;
    const std::string ext = LowerCase(ExtractFileExt(file.FileName));
    p.DurationEditable =
        category || (!ext.empty() && std::string("?.exe?.bat?.m3u?.pls?").find("?" + ext + "?") !=
                                         std::string::npos);
    return p;
}

void ApplyFileProperties(Station& station, FileRec& file, TDateTime lastDate, TDateTime lastTime,
                         std::uint32_t durationSeconds) {
    // The dialog shows whole seconds, and "never" as day 1: only a last use the operator
    // changed is taken, and it becomes the one a run starts from and returns to.
    const TDateTime lastUsed = lastDate + lastTime;
    const TDateTime shown = std::max(file.LastUsed, kNeverUsed);
    if (std::llround(lastUsed * 86400.0) != std::llround(shown * 86400.0)) {
        file.LastUsed = lastUsed;
        file.SavedLastUsed = lastUsed;
    }
    file.Duration = static_cast<std::uint16_t>(std::min(durationSeconds, kMaxDurationSeconds));
    station.Changed.FileLists = true;
}

}  // namespace spindle
