#include "cli/rules_command.h"

#include <map>
#include <optional>

#include "base/format.h"
#include "base/safe_file.h"
#include "base/text_file.h"
#include "base/translate.h"
#include "base/unattended_operator.h"
#include "cli/data_file_command.h"
#include "rules/rule_book.h"
#include "station/category_rules.h"
#include "station/station.h"
#include "stationdb/station_db.h"

namespace spindle {
namespace {

// The station's Categories, loaded as a run loads them but from the saved track lists
// only. Load messages are of no concern here.
struct LoadedStation {
    UnattendedOperator Op;
    Station Loaded;
    explicit LoadedStation(const std::filesystem::path& folder) : Loaded(folder, Op) {
        Loaded.Isolated = true;
        Loaded.LoadOptions();
        Loaded.LoadCategories();
    }
};

std::vector<std::string> CategoryNames(const std::filesystem::path& folder) {
    const LoadedStation loaded(folder);
    const Station& station = loaded.Loaded;
    std::vector<std::string> names;
    for (const auto& category : station.Categories) {
        names.push_back(category->Name);
    }
    return names;
}

// What the station database holds, or nothing when the folder has none (which a read
// never creates).
struct StoredRules {
    std::vector<AttributeDef> Attributes;
    RuleTexts Rules;
    std::string Problem;
};

StoredRules ReadStored(const std::filesystem::path& folder) {
    StationDb db(folder, StationDb::Mode::IfExists);
    if (!db.IsOpen()) {
        return {{}, {}, db.Problem()};
    }
    auto attributes = db.Attributes();
    auto rules = db.Rules();
    return {std::move(attributes.Value), std::move(rules.Value),
            !attributes ? attributes.Problem : rules.Problem};
}

int Fail(std::ostream& err, const std::string& problem) {
    err << "spindle-cli: " << problem << '\n';
    return 1;
}

int Export(const DataFileCommand& command, std::ostream& out, std::ostream& err) {
    const StoredRules stored = ReadStored(command.Folder);
    if (!stored.Problem.empty()) {
        return Fail(err, stored.Problem);
    }
    const RuleBookAssembled assembled =
        AssembleRuleBook(stored.Attributes, stored.Rules, CategoryNames(command.Folder));
    for (const std::string& problem : assembled.Problems) {
        err << "spindle-cli: " << problem << '\n';
    }
    if (!assembled.Problems.empty()) {
        return Fail(err, tr("Nothing was exported."));
    }
    for (const std::string& note : assembled.Notes) {
        err << "spindle-cli: " << note << '\n';
    }
    const std::string file = command.File.string();
    if (const SaveResult saved = ReplaceFile(file, RuleBookText(assembled.Book)); !saved) {
        return Fail(err, Format(tr("%0:s could not be written: %1:s"), file, saved.Detail));
    }
    if (!command.ToOutput) {
        out << Format(tr("Wrote %0:d attributes and the rules of %1:d sections to %2:s"),
                      static_cast<long long>(assembled.Book.Attributes.size()),
                      static_cast<long long>(assembled.Book.Scopes.size()), file)
            << '\n';
    }
    return 0;
}

int Store(const DataFileCommand& command, StationDb& db, const RuleBook& book, std::ostream& out,
          std::ostream& err) {
    const std::string file = command.File.string();
    if (const DbStatus done = db.ReplaceRuleBook(book.Attributes, BookRuleTexts(book)); !done) {
        return Fail(err, done.Problem + " " + tr("Nothing was imported."));
    }
    out << Format(tr("Imported %0:d attributes and the rules of %1:d sections from %2:s"),
                  static_cast<long long>(book.Attributes.size()),
                  static_cast<long long>(book.Scopes.size()), file)
        << '\n';
    // Kept as written (a sister station's file may name what this one has yet to get),
    // but every rule that can do nothing here is told.
    std::map<std::string, std::vector<RuleDef>> byScope;
    for (const RuleScope& scope : book.Scopes) {
        byScope[scope.Category] = scope.Rules;
    }
    // Judged by every attribute the station now has: a file may name one defined before.
    const DbRead<std::vector<AttributeDef>> attributes = db.Attributes();
    const LoadedStation loaded(command.Folder);
    const std::vector<std::string> idle =
        IdleRules(loaded.Loaded, byScope, attributes ? attributes.Value : book.Attributes);
    for (const std::string& line : idle) {
        err << "spindle-cli: " << line << '\n';
    }
    return idle.empty() ? 0 : 3;
}

// The whole file is checked first; one wrong entry and the station is left as it was.
int Import(const DataFileCommand& command, std::ostream& out, std::ostream& err) {
    const std::string file = command.File.string();
    const std::optional<std::string> text = ReadTextFile(file);
    if (!text) {
        return Fail(err, Format(tr("%0:s cannot be read"), file));
    }
    const StoredRules stored = ReadStored(command.Folder);
    if (!stored.Problem.empty()) {
        return Fail(err, stored.Problem);
    }
    RuleBookRead read = ReadRuleBook(*text, CategoryNames(command.Folder), stored.Attributes);
    if (read.Book) {
        StationDb db(command.Folder, StationDb::Mode::OrCreate);
        if (!db.IsOpen()) {
            return Fail(err, db.Problem());
        }
        KeepHandValues(read, db);
        if (read.Book) {
            return Store(command, db, *read.Book, out, err);
        }
    }
    for (const std::string& problem : read.Problems) {
        err << file << ": " << problem << '\n';
    }
    return Fail(err, tr("Nothing was imported."));
}

}  // namespace

int RulesCommand(const std::vector<std::string>& args, const std::filesystem::path& programPath,
                 std::ostream& out, std::ostream& err,
                 const std::function<int(const std::string&)>& usageError) {
    return RunDataFileCommand(
        "rules", args, programPath, out, err, usageError, [&](const DataFileCommand& command) {
            return command.Export ? Export(command, out, err) : Import(command, out, err);
        });
}

}  // namespace spindle
