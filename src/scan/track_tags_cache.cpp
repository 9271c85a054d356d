#include "scan/track_tags_cache.h"

#include <sys/stat.h>

#include <algorithm>
#include <unordered_set>

#include "base/format.h"
#include "base/text_case.h"
#include "base/translate.h"
#include "fileinfo/byte_source.h"
#include "rules/rule_def.h"
#include "scan/group_scan_parts.h"

namespace spindle {
namespace {

constexpr const char* kSourceKey = "artist_title_source";
constexpr const char* kFromName = "name";
constexpr const char* kFromTags = "tags";

// A list of the repeat intervals alone is scheduled from the file names; a line that
// cannot be read is left out of runs, so it needs nothing either.
bool NeedsTags(const std::vector<std::string>& texts) {
    std::vector<RuleDef> rules;
    for (const std::string& text : texts) {
        if (ParsedRule parsed = ParseRule(text); parsed.Rule) {
            rules.push_back(std::move(*parsed.Rule));
        }
    }
    return BeyondIntervals(rules);
}

}  // namespace

DbRead<ArtistTitleSource> ReadArtistTitleSource(StationDb& db) {
    DbRead<ArtistTitleSource> source;
    const DbRead<std::string> value = db.Setting(kSourceKey);
    if (!value) {
        source.Problem = value.Problem;
    } else if (value.Value == kFromTags) {
        source.Value = ArtistTitleSource::Tags;
    } else if (!value.Value.empty() && value.Value != kFromName) {
        source.Problem = Format(tr("The station database names \"%0:s\" as where artist and title "
                                   "come from; this version knows \"%1:s\" and \"%2:s\"."),
                                value.Value, kFromName, kFromTags);
    }
    return source;
}

DbRead<ArtistTitleSource> ReadArtistTitleSource(const std::filesystem::path& dataFolder) {
    StationDb db(dataFolder, StationDb::Mode::IfExists);
    if (!db.IsOpen()) {
        DbRead<ArtistTitleSource> none;
        none.Problem = db.Problem();
        return none;
    }
    return ReadArtistTitleSource(db);
}

DbStatus SetArtistTitleSource(const std::filesystem::path& dataFolder, ArtistTitleSource source) {
    const bool tags = source == ArtistTitleSource::Tags;
    StationDb db(dataFolder, tags ? StationDb::Mode::OrCreate : StationDb::Mode::IfExists);
    if (!db.IsOpen()) {
        return {db.Problem()};
    }
    return db.SetSetting(kSourceKey, tags ? kFromTags : kFromName);
}

TagScan::TagScan(StationDb& db, std::unordered_map<std::string, KeptTrack> kept,
                 std::vector<std::string> roots, TaggedNames* names)
    : db_(db), kept_(std::move(kept)), roots_(std::move(roots)), names_(names) {}

TagReading TagScan::Read(const std::string& path, const FileByteSource* file) const {
    TagReading reading;
    if (file != nullptr && !file->IsOpen()) {
        file = nullptr;
    }
    const std::optional<TrackStamp> stamp =
        file != nullptr
            ? TrackStamp{static_cast<std::int64_t>(file->Size()), file->MTime(), file->CTime()}
            : FileStamp(path);
    if (!stamp) {
        return reading;
    }
    reading.Stamped = true;
    reading.Stamp = *stamp;
    // A track set by hand before any scan has no stamp, and is read.
    if (const auto kept = kept_.find(path); kept != kept_.end() && kept->second.Stamp.Size >= 0 &&
                                            kept->second.Stamp == reading.Stamp) {
        return reading;
    }
    reading.Read = true;
    // The file is opened once, for its head and, when that does not hold the tag, TagLib.
    std::optional<FileByteSource> own;
    reading.Tags = ReadTags(path, file != nullptr ? *file : own.emplace(path));
    return reading;
}

void TagScan::Take(const std::string& path, TagReading reading) {
    if (!reading.Stamped) {
        return;  // out of reach: what is kept stays as it was
    }
    if (!reading.Read) {
        if (const auto kept = kept_.find(path); kept != kept_.end()) {
            Name(path, kept->second.Artist, kept->second.Title);
        }
        return;
    }
    const TrackRecord& record = read_.emplace_back(
        TrackRecord{path, reading.Stamp, std::move(reading.Tags).value_or(TrackTags{})});
    Name(path, record.Tags.Artist, record.Tags.Title);
}

void TagScan::Name(const std::string& path, const std::string& artist, const std::string& title) {
    if (names_ == nullptr) {
        return;
    }
    if (artist.empty() && title.empty()) {
        names_->erase(path);
    } else {
        (*names_)[path] = {artist, title};
    }
}

DbStatus TagScan::Finish(const std::unordered_set<std::string_view>& present,
                         const std::function<bool(std::string_view)>& outOfReach) {
    std::vector<std::string> gone;
    for (const auto& entry : kept_) {
        const std::string& path = entry.first;
        if (present.contains(path) || outOfReach(path) ||
            std::none_of(roots_.begin(), roots_.end(),
                         [&](const std::string& root) { return IsBelow(path, root); })) {
            continue;
        }
        // Another Category may hold a file still there; one that cannot be looked at
        // may be back.
        std::error_code error;
        if (!std::filesystem::exists(path, error) && !error) {
            gone.push_back(path);
        }
    }
    if (read_.empty() && gone.empty()) {
        return {};
    }
    return db_.UpdateTracks(read_, gone);
}

TrackTagsCache::Start TrackTagsCache::Begin(const std::filesystem::path& dataFolder,
                                            const std::vector<std::string>& roots) {
    Start start;
    if (troubled_) {
        return start;
    }
    if (db_ == nullptr) {
        db_ = std::make_unique<StationDb>(dataFolder, StationDb::Mode::IfExists);
    }
    if (!db_->IsOpen()) {
        if (!db_->Problem().empty()) {
            start.Problem = Trouble(db_->Problem());
        } else {
            source_ = ArtistTitleSource::FileName;
        }
        db_.reset();
        return start;
    }
    const DbRead<ArtistTitleSource> source = ReadArtistTitleSource(*db_);
    const DbRead<std::vector<AttributeDef>> attributes = db_->Attributes();
    const DbRead<RuleTexts> rules = db_->Rules();
    for (const DbStatus* status :
         {static_cast<const DbStatus*>(&source), static_cast<const DbStatus*>(&attributes),
          static_cast<const DbStatus*>(&rules)}) {
        if (!*status) {
            start.Problem = Trouble(status->Problem);
            return start;
        }
    }
    if (source.Value != source_) {
        source_ = source.Value;
        names_.clear();
    }
    const bool needed =
        source_ == ArtistTitleSource::Tags ||
        std::any_of(attributes.Value.begin(), attributes.Value.end(),
                    [](const AttributeDef& a) { return !SameText(a.Source, "hand"); }) ||
        std::any_of(rules.Value.begin(), rules.Value.end(),
                    [](const auto& scope) { return NeedsTags(scope.second); });
    if (!needed) {
        return start;
    }
    DbRead<std::unordered_map<std::string, KeptTrack>> kept = db_->KeptTracks(roots);
    if (!kept) {
        start.Problem = Trouble(kept.Problem);
        return start;
    }
    start.Scan = std::make_unique<TagScan>(*db_, std::move(kept.Value), roots,
                                           source_ == ArtistTitleSource::Tags ? &names_ : nullptr);
    return start;
}

std::string TrackTagsCache::Finish(TagScan& scan,
                                   const std::unordered_set<std::string_view>& present,
                                   const std::function<bool(std::string_view)>& outOfReach) {
    const DbStatus kept = scan.Finish(present, outOfReach);
    return kept ? std::string() : Trouble(kept.Problem);
}

void TrackTagsCache::NewScan(bool allGroups) {
    EndScan();
    troubled_ = false;
    told_ = false;
    if (allGroups) {
        names_.clear();
    }
}

std::string TrackTagsCache::Trouble(std::string problem) {
    troubled_ = true;
    EndScan();
    if (told_) {
        return {};
    }
    told_ = true;
    return problem;
}

}  // namespace spindle
