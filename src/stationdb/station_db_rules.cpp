#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <SQLiteCpp/VariadicBind.h>

#include "stationdb/station_db.h"
#include "stationdb/station_db_guard.h"

// Settings beyond Options.dat, and the rules as the operator ordered them.

namespace spindle {
namespace {

void WriteRules(SQLite::Database& db, const std::string& scope,
                const std::vector<std::string>& rules) {
    SQLite::Statement clear(db, "DELETE FROM rules WHERE scope = ?");
    clear.bind(1, scope);
    clear.exec();
    SQLite::Statement add(db, "INSERT INTO rules VALUES (?, ?, ?)");
    for (std::size_t i = 0; i < rules.size(); ++i) {
        add.reset();
        SQLite::bind(add, scope, static_cast<int>(i), rules[i]);
        add.exec();
    }
}

}  // namespace

DbRead<std::string> StationDb::Setting(const std::string& key) {
    return Guarded<std::string>([&](SQLite::Database& db) {
        SQLite::Statement query(db, "SELECT value FROM settings WHERE key = ?");
        query.bind(1, key);
        return query.executeStep() ? query.getColumn(0).getString() : std::string();
    });
}

DbStatus StationDb::SetSetting(const std::string& key, const std::string& value) {
    return Guarded<bool>([&](SQLite::Database& db) {
        SQLite::Statement set(db,
                              "INSERT INTO settings VALUES (?, ?) ON CONFLICT DO UPDATE SET "
                              "value = excluded.value");
        SQLite::bind(set, key, value);
        set.exec();
        return true;
    });
}

DbRead<RuleTexts> StationDb::Rules() {
    return Guarded<RuleTexts>([&](SQLite::Database& db) {
        RuleTexts rules;
        SQLite::Statement query(db, "SELECT scope, rule FROM rules ORDER BY scope, position");
        while (query.executeStep()) {
            rules[query.getColumn(0).getString()].push_back(query.getColumn(1).getString());
        }
        return rules;
    });
}

DbStatus StationDb::SetRules(const std::string& scope, const std::vector<std::string>& rules) {
    return Guarded<bool>([&](SQLite::Database& db) {
        SQLite::Transaction transaction(db, SQLite::TransactionBehavior::IMMEDIATE);
        WriteRules(db, scope, rules);
        transaction.commit();
        return true;
    });
}

DbStatus StationDb::ReplaceRuleBook(const std::vector<AttributeDef>& attributes,
                                    const RuleTexts& rules) {
    return Guarded<bool>([&](SQLite::Database& db) {
        SQLite::Transaction transaction(db, SQLite::TransactionBehavior::IMMEDIATE);
        for (const AttributeDef& attribute : attributes) {
            Define(db, attribute);
        }
        db.exec("DELETE FROM rules");
        for (const auto& [scope, list] : rules) {
            WriteRules(db, scope, list);
        }
        transaction.commit();
        return true;
    });
}

namespace {

// Adds to `found` what SQLite's quick check finds wrong with one table and its indexes.
void Check(SQLite::Database& db, const std::string& name, std::string& found) {
    SQLite::Statement check(db, "PRAGMA quick_check(\"" + name + "\")");
    while (check.executeStep()) {
        const std::string line = check.getColumn(0).getString();
        if (line == "ok") {
            continue;
        }
        std::string table, column;
        if (line.starts_with("NULL value in ") && line.find('.') != std::string::npos &&
            line.find(' ', 14) == std::string::npos) {
            table = line.substr(14, line.find('.') - 14);
            column = line.substr(line.find('.') + 1);
        }
        const bool sound = !table.empty() && db.execAndGet("SELECT count(*) FROM \"" + table +
                                                           "\" WHERE \"" + column + "\" IS NULL")
                                                     .getInt64() == 0;
        if (!sound && found.find(line) == std::string::npos) {
            found += (found.empty() ? "" : "; ") + line;
        }
    }
}

}  // namespace

// What SQLite's quick check finds wrong with the database, less what it reports of a sound
// one: SQLite 3.40 reports a NULL in a WITHOUT ROWID table's NOT NULL column that holds
// none, so such a report is believed only when the column really holds one.
std::string DatabaseDamage(SQLite::Database& db) {
    // Every table but the airings, which grow for years: checking them would cost a read of
    // the whole file at each save, and a write that meets a damaged page of theirs fails.
    std::vector<std::string> tables;
    SQLite::Statement names(db,
                            "SELECT name FROM sqlite_schema WHERE type = 'table' AND name <> "
                            "'airings'");
    while (names.executeStep()) {
        tables.push_back(names.getColumn(0).getString());
    }
    std::string found;
    for (const std::string& name : tables) {
        Check(db, name, found);
    }
    return found;
}

}  // namespace spindle
