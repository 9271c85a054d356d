#pragma once

// What the station database's source files share: how a call turns the database's own
// errors into a message for the operator.

#include <SQLiteCpp/Database.h>
#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "base/format.h"
#include "base/translate.h"
#include "stationdb/station_db.h"

namespace spindle {

// A request the database cannot honour, its message already written for the operator.
struct DbRefusal : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What SQLite's quick check finds wrong with the database; empty when it is sound.
std::string DatabaseDamage(SQLite::Database& db);

template <typename T, typename F>
DbRead<T> StationDb::Guarded(F&& work) {
    DbRead<T> result;
    try {
        if (!db_) {
            throw DbRefusal(problem_.empty() ? Format(tr("Cannot open \"%0:s\": %1:s"),
                                                      file_.string(), std::strerror(ENOENT))
                                             : problem_);
        }
        result.Value = work(*db_);
    } catch (const DbRefusal& e) {
        result.Problem = e.what();
    } catch (const SQLite::Exception& e) {
        // Another program's write outlasted the wait: a message that says so, not SQLite's.
        result.Problem =
            e.getErrorCode() == SQLITE_BUSY
                ? Format(tr("Another program is writing to \"%0:s\"; nothing was changed. Try "
                            "again when it has finished."),
                         file_.string())
                : Format(tr("Cannot use the station database \"%0:s\": %1:s"), file_.string(),
                         e.what());
    } catch (const std::exception& e) {
        result.Problem =
            Format(tr("Cannot use the station database \"%0:s\": %1:s"), file_.string(), e.what());
    }
    return result;
}

}  // namespace spindle
