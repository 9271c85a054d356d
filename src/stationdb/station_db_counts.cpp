#include <SQLiteCpp/Statement.h>

#include "stationdb/station_db.h"
#include "stationdb/station_db_guard.h"

// Counts the station database answers without reading every track.

namespace spindle {

DbRead<HandValueCounts> StationDb::HandValuesHeld() {
    return Guarded<HandValueCounts>([](SQLite::Database& db) {
        HandValueCounts counts;
        SQLite::Statement query(db,
                                "SELECT a.name, t.value, COUNT(*) FROM track_attributes t "
                                "JOIN attributes a ON a.id = t.attribute_id "
                                "GROUP BY t.attribute_id, t.value");
        while (query.executeStep()) {
            counts[query.getColumn(0).getString()][query.getColumn(1).getString()] =
                query.getColumn(2).getInt64();
        }
        return counts;
    });
}

}  // namespace spindle
