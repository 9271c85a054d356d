#include "station/schedule.h"

#include <algorithm>
#include <cstdio>

namespace spindle {

TScheduleDetails::TScheduleDetails() {
    Hours.reserve(24);
    for (int h = 0; h < 24; ++h) {
        Hours.push_back({ScheduleEntryText(h, 0, kDefaultRotationPlaceholder), nullptr});
    }
}

void TScheduleDetails::SortTimedSpots() {
    std::stable_sort(TimedSpots.begin(), TimedSpots.end(),
                     [](const TimedSpot& a, const TimedSpot& b) { return a.Text < b.Text; });
}

std::string ScheduleEntryText(int hour, int minute, const std::string& name) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d\t", hour, minute);
    return buf + name;
}

std::string ScheduleEntryName(const std::string& text) {
    const std::size_t tab = text.find('\t');
    return tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

}  // namespace spindle
