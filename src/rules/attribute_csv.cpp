#include "rules/attribute_csv.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "base/csv_reader.h"
#include "base/format.h"
#include "base/list_text.h"
#include "base/safe_file.h"
#include "base/text_case.h"
#include "base/text_file.h"
#include "base/translate.h"
#include "rules/track_facts.h"
#include "stationdb/attribute_source.h"
#include "stationdb/station_db.h"

namespace spindle {
namespace {

std::string NoAttributes() {
    return tr("The station defines no attributes yet; define them before importing values.");
}

std::string CsvLine(const std::vector<std::string>& cells) {
    std::string line;
    for (const std::string& cell : cells) {
        line += (line.empty() ? "" : ",") + CsvText(cell);
    }
    return line + "\r\n";
}

// The track's value of `attribute`; empty when it has none or the database lacks it.
std::string ValueIn(const TrackFactsByPath& facts, const std::string& path,
                    const std::string& attribute) {
    const auto fact = facts.find(path);
    if (fact == facts.end()) {
        return {};
    }
    const auto value = fact->second.Attributes.find(attribute);
    return value == fact->second.Attributes.end() ? std::string() : value->second;
}

// Reads the file and checks it as a whole; the rows are checked one by one afterwards.
class AttributeFile {
public:
    std::string Read(const std::filesystem::path& file, const std::vector<AttributeDef>& defs) {
        // A spreadsheet may save in Windows-1252; read as such, its accented paths match.
        const std::optional<std::string> bytes = ReadTextFile(file);
        if (!bytes) {
            const int error = errno;
            std::error_code ec;
            return Format(tr("Cannot open \"%0:s\": %1:s"), file.string(),
                          std::strerror(std::filesystem::is_directory(file, ec) ? EISDIR : error));
        }
        records_ = ReadCsv(*bytes, CsvDelimiterOf(*bytes));
        if (records_.empty()) {
            return Format(tr("\"%0:s\" is empty: it needs a header row naming its columns."),
                          file.string());
        }
        return ReadHeader(records_.front(), defs);
    }

    const std::vector<CsvRecord>& Records() const { return records_; }
    const std::vector<AttributeSource>& Columns() const { return columns_; }

private:
    std::string ReadHeader(const CsvRecord& header, const std::vector<AttributeDef>& defs) {
        if (!header.Problem.empty()) {
            return Format(tr("line %0:d: %1:s"), header.Line, header.Problem);
        }
        if (!SameText(header.Fields.front(), "path")) {
            return Format(tr("line %0:d: the first column must be \"path\", not \"%1:s\"."),
                          header.Line, header.Fields.front());
        }
        for (std::size_t i = 1; i < header.Fields.size(); ++i) {
            const std::string& name = header.Fields[i];
            const auto def = std::find_if(defs.begin(), defs.end(), [&](const AttributeDef& d) {
                return SameText(d.Name, name);
            });
            if (def == defs.end()) {
                return Format(tr("line %0:d: the station has no attribute \"%1:s\"."), header.Line,
                              name);
            }
            for (const AttributeSource& column : columns_) {
                if (column.Definition().Name == def->Name) {
                    return Format(tr("line %0:d: the attribute \"%1:s\" has two columns."),
                                  header.Line, def->Name);
                }
            }
            columns_.emplace_back(*def);
        }
        return {};
    }

    std::vector<CsvRecord> records_;
    std::vector<AttributeSource> columns_;
};

// Checks each row against the station and gathers the values to store.
class RowImport {
public:
    RowImport(const AttributeFile& file, std::vector<StoredTrack> tracks,
              const std::vector<std::string>& stationPaths)
        : file_(file),
          tracks_(std::move(tracks)),
          known_(stationPaths.begin(), stationPaths.end()) {
        for (const StoredTrack& track : tracks_) {
            known_.insert(track.Path);
            tagsOf_.emplace(track.Path, &track.Tags);
            handOf_.emplace(track.Path, &track.HandValues);
        }
    }

    void Run(AttributeImport& result) {
        for (std::size_t i = 1; i < file_.Records().size(); ++i) {
            const CsvRecord& row = file_.Records()[i];
            if (row.Fields.size() == 1 && row.Fields[0].empty() && row.Problem.empty()) {
                continue;  // a blank line
            }
            if (std::string problem = Apply(row); !problem.empty()) {
                result.Rows.push_back(std::move(problem));
            } else {
                ++result.Applied;
            }
        }
    }

    const AttributeValues& Values() const { return values_; }

private:
    std::string Apply(const CsvRecord& row) {
        const std::size_t columns = file_.Columns().size() + 1;
        if (!row.Problem.empty()) {
            return Format(tr("line %0:d: %1:s"), row.Line, row.Problem);
        }
        if (row.Fields.size() != columns) {
            return Format(tr("line %0:d: %1:d fields where the header has %2:d."), row.Line,
                          static_cast<long long>(row.Fields.size()),
                          static_cast<long long>(columns));
        }
        const std::string& path = row.Fields[0];
        if (std::string problem = PathProblem(row.Line, path); !problem.empty()) {
            return problem;
        }
        std::vector<std::string> values;
        for (std::size_t c = 0; c + 1 < columns; ++c) {
            const AttributeSource& column = file_.Columns()[c];
            const std::string& cell = row.Fields[c + 1];
            values.push_back(column.ValueNamed(cell));
            if (values.back().empty() && cell.find_first_not_of(" \t") != std::string::npos) {
                return Format(tr("line %0:d: \"%1:s\" is not a value of the attribute \"%2:s\" "
                                 "(%3:s)."),
                              row.Line, cell, column.Definition().Name,
                              JoinValues(column.Definition().Values));
            }
        }
        lineOf_.emplace(path, row.Line);
        for (std::size_t c = 0; c < values.size(); ++c) {
            Store(file_.Columns()[c], path, values[c]);
        }
        return {};
    }

    std::string PathProblem(int line, const std::string& path) const {
        if (const auto earlier = lineOf_.find(path); earlier != lineOf_.end()) {
            return Format(tr("line %0:d: the track \"%1:s\" was given already on line %2:d."), line,
                          path, earlier->second);
        }
        if (known_.contains(path)) {
            return {};
        }
        if (!std::filesystem::path(path).is_absolute()) {
            return Format(tr("line %0:d: \"%1:s\" is not a full path; give each track's full "
                             "path, as the export writes it."),
                          line, path);
        }
        return Format(tr("line %0:d: the station has no track \"%1:s\"."), line, path);
    }

    // A value the tags give already is left to them, so it follows a change of the tags;
    // unless the operator set it by hand, which an export and import never undo.
    void Store(const AttributeSource& column, const std::string& path, const std::string& value) {
        const std::string& name = column.Definition().Name;
        const auto hand = handOf_.find(path);
        if (hand != handOf_.end() && !value.empty()) {
            if (const auto set = hand->second->find(name);
                set != hand->second->end() && set->second == value) {
                return;
            }
        }
        const auto tags = tagsOf_.find(path);
        const bool fromTags = tags != tagsOf_.end() && column.ValueOf(*tags->second) == value;
        values_[name].emplace_back(path, fromTags ? std::string() : value);
    }

    static std::string JoinValues(const std::vector<std::string>& values) {
        std::string list;
        for (const std::string& value : values) {
            list += (list.empty() ? "" : ", ") + value;
        }
        return list;
    }

    const AttributeFile& file_;
    std::vector<StoredTrack> tracks_;
    std::unordered_set<std::string> known_;
    std::unordered_map<std::string, const TrackTags*> tagsOf_;
    std::unordered_map<std::string, const std::map<std::string, std::string>*> handOf_;
    std::unordered_map<std::string, int> lineOf_;
    AttributeValues values_;
};

}  // namespace

AttributeExport ExportAttributes(const std::filesystem::path& dataFolder,
                                 const std::vector<std::string>& stationPaths,
                                 const std::filesystem::path& file) {
    AttributeExport result;
    DbRead<std::vector<AttributeDef>> defs;
    DbRead<TrackFactsByPath> facts;
    StationDb db(dataFolder, StationDb::Mode::IfExists);
    // A folder without its database has no attributes yet; its tracks are listed still.
    if (db.IsOpen() || !db.Problem().empty()) {
        defs = db.Attributes();
        if (defs) {
            facts = LoadTrackFacts(db);
        }
        if (!defs || !facts) {
            result.Problem = defs ? facts.Problem : defs.Problem;
            return result;
        }
    }
    std::set<std::string> paths(stationPaths.begin(), stationPaths.end());
    for (const auto& [path, fact] : facts.Value) {
        paths.insert(path);
    }
    std::vector<std::string> cells{"path"};
    for (const AttributeDef& def : defs.Value) {
        cells.push_back(def.Name);
    }
    std::string text = CsvLine(cells);
    for (const std::string& path : paths) {
        cells.assign(1, path);
        for (const AttributeDef& def : defs.Value) {
            cells.push_back(ValueIn(facts.Value, path, def.Name));
        }
        text += CsvLine(cells);
    }
    if (const SaveResult saved = ReplaceFile(file, text); !saved) {
        result.Problem = Format(tr("Cannot write \"%0:s\": %1:s"), file.string(), saved.Detail);
        return result;
    }
    result.Tracks = static_cast<long long>(paths.size());
    result.Attributes = static_cast<long long>(defs.Value.size());
    return result;
}

AttributeImport ImportAttributes(const std::filesystem::path& dataFolder,
                                 const std::vector<std::string>& stationPaths,
                                 const std::filesystem::path& file) {
    AttributeImport result;
    StationDb db(dataFolder, StationDb::Mode::IfExists);
    if (!db.IsOpen()) {
        result.Problem = db.Problem().empty() ? NoAttributes() : db.Problem();
        return result;
    }
    const auto defs = db.Attributes();
    if (!defs || defs.Value.empty()) {
        result.Problem = defs ? NoAttributes() : defs.Problem;
        return result;
    }
    AttributeFile csv;
    if (result.Problem = csv.Read(file, defs.Value); !result.Problem.empty()) {
        return result;
    }
    std::vector<std::string> extraKeys;
    for (const AttributeSource& column : csv.Columns()) {
        if (!column.ExtraKey().empty()) {
            extraKeys.push_back(column.ExtraKey());
        }
    }
    auto tracks = db.StoredTracks(extraKeys);
    if (!tracks) {
        result.Problem = tracks.Problem;
        return result;
    }
    RowImport rows(csv, std::move(tracks.Value), stationPaths);
    rows.Run(result);
    if (const DbStatus stored = db.SetAttributes(rows.Values()); !stored) {
        result.Problem = stored.Problem;
        result.Applied = 0;
    }
    return result;
}

}  // namespace spindle
