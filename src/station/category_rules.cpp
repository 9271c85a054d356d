#include "station/category_rules.h"

#include <algorithm>
#include <unordered_set>

#include "base/format.h"
#include "base/translate.h"
#include "rules/rule_kind.h"
#include "rules/rule_sentence.h"
#include "station/station.h"

// Where each Category's rules are kept: the station database, under the name the saved
// Categories give it, carried along as the Categories are renamed and deleted.

namespace spindle {
namespace {

// The rule's list in the form the selection uses, for telling whether two lists mean the
// same: empty for the station's.
std::vector<RuleDef> Meaning(const std::vector<RuleDef>& own) {
    return own.empty() ? own : EffectiveRules(own, {});
}

struct ParsedList {
    std::vector<RuleDef> Rules;
    std::string Problem;
};

ParsedList Parse(const RuleTexts& texts, const std::string& scope) {
    ParsedList list;
    const auto found = texts.find(scope);
    if (found == texts.end()) {
        return list;
    }
    for (const std::string& text : found->second) {
        ParsedRule parsed = ParseRule(text);
        if (!parsed.Rule) {
            list.Problem = Format(tr("The rule \"%0:s\" of \"%1:s\" cannot be read: %2:s"), text,
                                  scope.empty() ? tr("the station") : scope, parsed.Problem);
            return list;
        }
        list.Rules.push_back(std::move(*parsed.Rule));
    }
    return list;
}

}  // namespace

CategoryRules ReadCategoryRules(const std::filesystem::path& dataFolder,
                                const std::string& category) {
    CategoryRules read;
    read.Station = EffectiveRules({}, {});
    StationDb db(dataFolder, StationDb::Mode::IfExists);
    if (!db.IsOpen()) {
        read.Problem = db.Problem();
        return read;
    }
    const DbRead<RuleTexts> texts = db.Rules();
    DbRead<std::vector<AttributeDef>> attributes = db.Attributes();
    if (!texts || !attributes) {
        read.Problem = !texts ? texts.Problem : attributes.Problem;
        return read;
    }
    read.Attributes = std::move(attributes.Value);
    const ParsedList station = Parse(texts.Value, "");
    const ParsedList own = category.empty() ? ParsedList{} : Parse(texts.Value, category);
    read.Problem = !station.Problem.empty() ? station.Problem : own.Problem;
    read.Station = EffectiveRules(station.Rules, {});
    read.Own = Meaning(own.Rules);
    return read;
}

DbStatus SaveCategoryRules(const std::filesystem::path& dataFolder, const std::string& category,
                           const std::vector<RuleDef>& own) {
    {
        StationDb kept(dataFolder, StationDb::Mode::IfExists);
        if (!kept.IsOpen() && !kept.Problem().empty()) {
            return {kept.Problem()};
        }
        if (!kept.IsOpen() && EffectiveRules(own, {}) == EffectiveRules({}, {})) {
            return {};
        }
        if (kept.IsOpen()) {
            const DbRead<RuleTexts> texts = kept.Rules();
            if (!texts) {
                return {texts.Problem};
            }
            const ParsedList stored = Parse(texts.Value, category);
            if (stored.Problem.empty() && Meaning(stored.Rules) == Meaning(own)) {
                return {};
            }
        }
    }
    std::vector<std::string> lines;
    for (const RuleDef& rule : own) {
        lines.push_back(RuleText(rule));
    }
    StationDb db(dataFolder, StationDb::Mode::OrCreate);
    if (!db.IsOpen()) {
        return {db.Problem()};
    }
    return db.SetRules(category, lines);
}

DbStatus RenameCategoryRules(const std::filesystem::path& dataFolder, const std::string& from,
                             const std::string& to) {
    StationDb db(dataFolder, StationDb::Mode::IfExists);
    if (!db.IsOpen()) {
        return {db.Problem()};
    }
    DbRead<RuleTexts> texts = db.Rules();
    if (!texts) {
        return {texts.Problem};
    }
    RuleTexts& rules = texts.Value;
    const auto moved = rules.find(from);
    if (moved == rules.end() && !rules.contains(to)) {
        return {};
    }
    // Rules left under the new name by a Category removed earlier do not pass to this one.
    std::vector<std::string> list =
        moved == rules.end() ? std::vector<std::string>{} : std::move(moved->second);
    rules.erase(from);
    rules[to] = std::move(list);
    return db.ReplaceRuleBook({}, rules);
}

DbRead<std::optional<RuleTexts>> CarryCategoryRules(const Station& station) {
    DbRead<std::optional<RuleTexts>> carried;
    const auto renamed = [](const auto& c) {
        return !c->SavedName.empty() && c->SavedName != c->Name;
    };
    const auto& categories = station.Categories;
    if (station.DeletedCategories.empty() &&
        std::none_of(categories.begin(), categories.end(), renamed)) {
        return carried;
    }
    StationDb db(station.DataFolder(), StationDb::Mode::IfExists);
    if (!db.IsOpen()) {
        carried.Problem = db.Problem();  // none without a database: nothing to carry
        return carried;
    }
    DbRead<RuleTexts> before = db.Rules();
    if (!before) {
        carried.Problem = before.Problem;
        return carried;
    }
    RuleTexts after = before.Value;
    for (const std::string& name : station.DeletedCategories) {
        // A Category since given that name has put its own rules there.
        if (!KeepsRulesUnder(station, name)) {
            after.erase(name);
        }
    }
    for (const auto& c : categories) {
        if (renamed(c)) {
            after.erase(c->SavedName);
        }
    }
    // Read before any is written, so Categories that swap names swap rules.
    for (const auto& c : categories) {
        if (!renamed(c)) {
            continue;
        }
        if (const auto list = before.Value.find(c->SavedName); list != before.Value.end()) {
            after[c->Name] = list->second;
        } else {
            after.erase(c->Name);  // what a deleted Category left there does not pass on
        }
    }
    if (after != before.Value) {
        if (const DbStatus moved = db.ReplaceRuleBook({}, after); !moved) {
            carried.Problem = moved.Problem;
            return carried;
        }
        carried.Value = std::move(before.Value);
    }
    return carried;
}

bool KeepsRulesUnder(const Station& station, const std::string& scope) {
    return scope.empty() || std::any_of(station.Categories.begin(), station.Categories.end(),
                                        [&](const auto& c) { return c->ListName() == scope; });
}

std::vector<std::string> IdleRules(const Station& station,
                                   const std::map<std::string, std::vector<RuleDef>>& byScope,
                                   const std::vector<AttributeDef>& attributes) {
    std::vector<std::string> idle;
    std::unordered_set<std::string_view> tracks;
    for (const auto& c : station.Categories) {
        for (const auto* files : {&c->Files, &c->Absent}) {  // a share away still holds them
            for (const FileRec& f : *files) {
                tracks.insert(f.FileName);
            }
        }
    }
    const auto defines = [&](const AttributeMatch& match) {
        return std::any_of(attributes.begin(), attributes.end(), [&](const AttributeDef& a) {
            return a.Name == match.Attribute &&
                   std::find(a.Values.begin(), a.Values.end(), match.Value) != a.Values.end();
        });
    };
    for (const auto& [scope, rules] : byScope) {
        const std::string where = scope.empty() ? tr("the station") : Format("\"%0:s\"", scope);
        if (!KeepsRulesUnder(station, scope)) {
            idle.push_back(Format(tr("The rules kept for \"%0:s\" belong to no Category of the "
                                     "station and are left out."),
                                  scope));
            continue;
        }
        for (const RuleDef& rule : rules) {
            const RuleForm& form = DescriptorOf(rule.Kind).Form;
            if (form.TrackOrMatch && !rule.Track.empty() && !tracks.contains(rule.Track)) {
                idle.push_back(Format(tr("The rule \"%0:s\" (%1:s) of %2:s names a track no "
                                         "Category holds; it keeps nothing from playing."),
                                      RuleSentence(rule, station.Settings()), RuleText(rule),
                                      where));
            }
            if ((UsesMatch(rule) && !defines(rule.Match)) || (form.Next && !defines(rule.Next))) {
                idle.push_back(Format(tr("The rule \"%0:s\" (%1:s) of %2:s names an attribute "
                                         "value the station does not define; no track has it."),
                                      RuleSentence(rule, station.Settings()), RuleText(rule),
                                      where));
            }
        }
    }
    return idle;
}

}  // namespace spindle
