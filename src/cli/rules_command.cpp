#include "cli/rules_command.h"

#include <cstdlib>
#include <optional>

#include "base/format.h"
#include "base/safe_file.h"
#include "base/text_file.h"
#include "base/translate.h"
#include "base/unattended_operator.h"
#include "library/data_lock.h"
#include "library/rule_book.h"
#include "library/station.h"
#include "library/station_db.h"

namespace spindle {
namespace {

// The station's Category names, loaded as a run loads them but from the saved track
// lists only: the names are all the rules need. Load messages are of no concern here.
std::vector<std::string> CategoryNames(const std::filesystem::path& folder) {
    UnattendedOperator op;
    Station station(folder, op);
    station.Isolated = true;
    station.LoadOptions();
    station.LoadCategories();
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

// "-" writes the rules to the standard output.
int Export(const std::filesystem::path& folder, const std::string& file, std::ostream& out,
           std::ostream& err) {
    const StoredRules stored = ReadStored(folder);
    if (!stored.Problem.empty()) {
        return Fail(err, stored.Problem);
    }
    const RuleBookAssembled assembled =
        AssembleRuleBook(stored.Attributes, stored.Rules, CategoryNames(folder));
    for (const std::string& problem : assembled.Problems) {
        err << "spindle-cli: " << problem << '\n';
    }
    if (!assembled.Problems.empty()) {
        return Fail(err, tr("Nothing was exported."));
    }
    for (const std::string& note : assembled.Notes) {
        err << "spindle-cli: " << note << '\n';
    }
    const std::string text = RuleBookText(assembled.Book);
    if (file == "-") {
        out << text;
        return 0;
    }
    if (const SaveResult saved = ReplaceFile(file, text); !saved) {
        return Fail(err, Format(tr("%0:s could not be written: %1:s"), file, saved.Detail));
    }
    out << Format(tr("Wrote %0:d attributes and the rules of %1:d sections to %2:s"),
                  static_cast<long long>(assembled.Book.Attributes.size()),
                  static_cast<long long>(assembled.Book.Scopes.size()), file)
        << '\n';
    return 0;
}

// The whole file is checked first; one wrong entry and the station is left as it was.
int Import(const std::filesystem::path& folder, const std::string& file, std::ostream& out,
           std::ostream& err) {
    const std::optional<std::string> text = ReadTextFile(file);
    if (!text) {
        return Fail(err, Format(tr("%0:s cannot be read"), file));
    }
    const StoredRules stored = ReadStored(folder);
    if (!stored.Problem.empty()) {
        return Fail(err, stored.Problem);
    }
    const RuleBookRead read = ReadRuleBook(*text, CategoryNames(folder), stored.Attributes);
    if (!read.Book) {
        for (const std::string& problem : read.Problems) {
            err << file << ": " << problem << '\n';
        }
        return Fail(err, tr("Nothing was imported."));
    }
    StationDb db(folder, StationDb::Mode::OrCreate);
    if (!db.IsOpen()) {
        return Fail(err, db.Problem());
    }
    if (const DbStatus done = db.ReplaceRuleBook(read.Book->Attributes, BookRuleTexts(*read.Book));
        !done) {
        return Fail(err, done.Problem + " " + tr("Nothing was imported."));
    }
    out << Format(tr("Imported %0:d attributes and the rules of %1:d sections from %2:s"),
                  static_cast<long long>(read.Book->Attributes.size()),
                  static_cast<long long>(read.Book->Scopes.size()), file)
        << '\n';
    return 0;
}

}  // namespace

int RulesCommand(const std::vector<std::string>& args, const std::filesystem::path& programPath,
                 std::ostream& out, std::ostream& err,
                 const std::function<int(const std::string&)>& usageError) {
    std::optional<std::string> data;
    std::vector<std::string> words;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--data" && i + 1 < args.size()) {
            data = args[++i];
        } else if (a.starts_with("--data=") && a.size() > 7) {
            data = a.substr(7);
        } else if (a == "--data" || a == "--data=") {
            return usageError(Format(tr("%0:s needs a value"), "--data"));
        } else if (a.starts_with("-") && a != "-") {
            return usageError(Format(tr("unknown argument \"%0:s\""), a));
        } else {
            words.push_back(a);
        }
    }
    if (words.size() != 2 || (words[0] != "export" && words[0] != "import")) {
        return usageError(tr("rules takes export or import and one file"));
    }
    const std::filesystem::path folder =
        ResolveDataFolder(data, std::getenv("SPINDLE_DATA"), programPath);
    if (!HoldsStation(folder)) {
        return Fail(err, Format(tr("%0:s holds no station"), folder.string()));
    }
    const DataFolderLock lock(folder, "spindle-cli rules " + words[0]);
    if (!lock.Held()) {
        return Fail(err, lock.Problem());
    }
    return words[0] == "export" ? Export(folder, words[1], out, err)
                                : Import(folder, words[1], out, err);
}

}  // namespace spindle
