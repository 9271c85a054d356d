#include "reports/prints.h"

#include <algorithm>
#include <map>

#include "base/format.h"
#include "base/format_datetime.h"
#include "base/list_text.h"
#include "base/paths.h"
#include "base/text_case.h"
#include "base/text_file.h"
#include "base/translate.h"
#include "fileinfo/name_conventions.h"
#include "station/details.h"
#include "station/options.h"

namespace spindle {
namespace {

constexpr PrintFont kHourFont{14, true, true};
constexpr PrintFont kLengthFont{8, false, true};
constexpr PrintFont kBoldRow{10, true, false};

std::string Length(std::uint64_t seconds) {
    char text[32];
    if (seconds >= 3600) {
        std::snprintf(text, sizeof text, "%llu:%02llu:%02llu",
                      static_cast<unsigned long long>(seconds / 3600),
                      static_cast<unsigned long long>(seconds / 60 % 60),
                      static_cast<unsigned long long>(seconds % 60));
    } else {
        std::snprintf(text, sizeof text, "%llu:%02llu",
                      static_cast<unsigned long long>(seconds / 60),
                      static_cast<unsigned long long>(seconds % 60));
    }
    return text;
}

// Air time as a statement gives it: hours, minutes and seconds.
std::string AirTime(std::uint64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%llu:%02llu:%02llu",
                  static_cast<unsigned long long>(seconds / 3600),
                  static_cast<unsigned long long>(seconds / 60 % 60),
                  static_cast<unsigned long long>(seconds % 60));
    return text;
}

std::uint64_t Number(const std::string& text) {
    std::uint64_t n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return n;
        }
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return n;
}

// The name an audio item prints by: its file name, or its tags' artist and title (the
// file name's where a tag lacks one) when the station names it by them.
std::string PrintedName(const std::string& path, const NameRules& names) {
    std::string base = BaseNameNoExt(path);
    if (names.Tagged == nullptr || !names.Tagged->contains(path)) {
        return base;
    }
    const ArtistTitle shown = WithTaggedName(SplitBaseName(base, names), path, names);
    if (shown.Artist.empty()) {
        return shown.Title;
    }
    return names.ArtistFirst == 1 ? shown.Title + names.ArtistDelim + shown.Artist
                                  : shown.Artist + names.ArtistDelim + shown.Title;
}

}  // namespace

std::optional<std::string> SelectionProblem(const PrintSelection& s) {
    if (s.DayFrom > s.DayTo) {
        return tr("The first day to print comes after the last one.");
    }
    if (s.HourFrom > s.HourTo) {
        return tr("The first hour to print comes after the last one.");
    }
    return std::nullopt;
}

std::string PlaylistPrintTitle(const Options& options) {
    return options.HTMLTitle.empty() ? std::string(tr("Station Playlist")) : options.HTMLTitle;
}

std::string PlaylistPrintSubtitle(TDateTime created, TDateTime now,
                                  const FormatSettings& settings) {
    return "(" + std::string(tr("created")) + " " + FormatDateTime("ddddd, t", created, settings) +
           ", " + tr("printed") + " " + FormatDateTime("ddddd, t", now, settings) + ")";
}

void LayOutPlaylist(PageLayout& layout, const PlaylistDocument& document,
                    const PrintSelection& selection, const FormatSettings& settings,
                    double crossfade, bool crossfadeFromName, const NameRules& names) {
    const double lm = layout.LeftMargin();
    const double gap = layout.Gap();
    const double width = layout.PageWidth();
    // As wide as "00:00:00", or as the long time format's widest time ("10:58:58 PM").
    const double timeWidth = std::max(
        layout.TextWidth("00:00:00", kRowFont),
        layout.TextWidth(FormatDateTime("tt", 22 / 24.0 + 58 / 1440.0 + 58 / 86400.0, settings),
                         kRowFont));
    // The length sits on the name's baseline, a little after it.
    const double lengthDrop = layout.LineHeight(kRowFont) - layout.LineHeight(kLengthFont);
    const double nameX = lm + timeWidth + gap;
    const double nameWidth = 0.65 * (width - gap - timeWidth);
    const double ownerX = nameX + nameWidth + gap;
    const double ownerWidth = std::max(0.0, width - lm - ownerX);
    int count = 0;
    for (const HourLine& line : document.Hours()) {
        const LogHour hour = line.Hour;
        if (hour.Day < selection.DayFrom || hour.Day > selection.DayTo ||
            hour.Hour < selection.HourFrom || hour.Hour > selection.HourTo) {
            continue;
        }
        if (++count > 3) {
            layout.NewPage();
            count = 0;
        }
        const TDateTime start = document.StartDate() + hour.Day + hour.Hour / 24.0 + 1e-9;
        layout.NewLine(kRowFont);
        layout.Cell(lm, width - 2 * lm, FormatDateTime("dddddd, t", start, settings), kHourFont);
        layout.NewLine(kHourFont);
        for (const HourRow& row : document.ViewOf(hour, crossfade, crossfadeFromName).Rows) {
            if (row.Type == kItemHourMarker ||
                (!selection.IncludeSpots && row.Type != kItemTrack)) {
                continue;
            }
            const EditorItem& item = *document.Find(row.Id);
            layout.Cell(lm, timeWidth,
                        FormatDateTime("tt", start + row.StartOffset / 86400.0, settings),
                        kRowFont);
            // Notes and voice-track texts are not file names: "the 5.30 show" keeps its ".30".
            const bool text = item.Type == kItemBreakNote || item.Type == kItemVoiceTrack ||
                              item.Type == kItemContinuation;
            const std::string name = text ? item.Path : PrintedName(item.Path, names);
            // The length follows the name and always shows whole: a long name gives way.
            const std::string length = "(" + Length(item.Duration) + ")";
            const double lengthWidth = layout.TextWidth(length, kLengthFont);
            const double room = std::max(0.0, nameWidth - lengthWidth - gap / 3);
            layout.Cell(nameX, room, name, kRowFont);
            const double after = nameX + std::min(layout.TextWidth(name, kRowFont), room) + gap / 3;
            layout.Cell(after, lengthWidth, length, kLengthFont, CellAlign::Left, lengthDrop * 0.8);
            layout.Cell(ownerX, ownerWidth,
                        item.Type == kItemTrack ? item.GroupName : "{" + item.GroupName + "}",
                        kRowFont);
            layout.NewLine(kRowFont);
        }
    }
    layout.Finish();
}

std::optional<SummaryFile> ReadSummaryFile(const std::string& path) {
    const auto lines = ReadTextLines(path);
    if (!lines || lines->empty()) {
        return std::nullopt;
    }
    SummaryFile file;
    const std::vector<std::string> title = DecodeListText((*lines)[0]);
    file.Title = title.empty() ? std::string() : title[0];
    file.Subtitle = title.size() > 1 ? title[1] : std::string();
    for (std::size_t i = 1; i < lines->size(); ++i) {
        if (!(*lines)[i].empty()) {
            file.Rows.push_back(DecodeListText((*lines)[i]));
        }
    }
    return file;
}

std::string SummaryPrintSubtitle(const SummaryFile& file, TDateTime now,
                                 const FormatSettings& settings) {
    return Format(tr("(%0:s.  Printed "), file.Subtitle) +
           FormatDateTime("ddddd, t)", now, settings);
}

void LayOutTrackSummary(PageLayout& layout, const SummaryFile& file) {
    const double lm = layout.LeftMargin();
    const double gap = layout.Gap();
    const double width = layout.PageWidth();
    const double half = (width - 2 * gap) / 2;
    const std::string countHeading = tr("Used Count");
    const double countWidth = layout.TextWidth(countHeading, kBoldRow) + gap;
    const double countX = width - lm - countWidth;
    const double titleWidth = std::max(0.0, countX - gap - half);
    // The artist ends a gap before the title column: a long artist is cut, not overprinted.
    const double artistWidth = std::max(0.0, half - gap - lm);
    layout.SetPageHeading(
        {PrintCell{lm, 0, artistWidth, 0, tr("Artist"), kBoldRow},
         PrintCell{half, 0, titleWidth, 0, tr("Title"), kBoldRow},
         PrintCell{countX, 0, countWidth, 0, countHeading, kBoldRow, CellAlign::Right}});
    for (const auto& row : file.Rows) {
        layout.Cell(lm, artistWidth, row.empty() ? "" : row[0], kRowFont);
        layout.Cell(half, titleWidth, row.size() > 1 ? row[1] : "", kRowFont);
        layout.Cell(countX, countWidth, row.size() > 2 ? row[2] : "", kRowFont, CellAlign::Right);
        layout.NewLine(kRowFont);
    }
    layout.Finish();
}

void LayOutSpotSummary(PageLayout& layout, const SummaryFile& file, SpotReport report) {
    // The airings by Spot Group and file, as the summary lists them.
    struct Spot {
        std::uint64_t Duration = 0;
        std::vector<std::string> Times;
    };
    std::map<std::string, std::map<std::string, Spot>> groups;
    const std::string totalFor = tr("Total for ");
    const std::string grand = tr("Grand Total");
    for (const auto& row : file.Rows) {
        if (row.size() < 4 || row[1] == grand || row[1].rfind(totalFor, 0) == 0) {
            continue;
        }
        Spot& spot = groups[row[1]][row[0]];
        spot.Duration = Number(row[2]);
        spot.Times.push_back(row[3]);
    }

    const double lm = layout.LeftMargin();
    const double gap = layout.Gap();
    const double width = layout.PageWidth();
    const double airWidth = layout.TextWidth("000:00:00", kBoldRow) + gap;
    const double airX = width - lm - airWidth;
    const std::string timesHeading = tr("Times");
    const double timesWidth = layout.TextWidth(timesHeading, kBoldRow) + 2 * gap;
    const double timesX = airX - timesWidth;
    const double lengthWidth = layout.TextWidth(tr("Duration"), kBoldRow) + 2 * gap;
    const double lengthX = timesX - lengthWidth;
    const double indent = lm + 2 * gap;
    const double nameWidth = std::max(0.0, lengthX - gap - indent);
    const bool files = report != SpotReport::Groups;
    const std::string first = files ? std::string(tr("Spot Group")) + " / " + tr("Filename")
                                    : std::string(tr("Spot Group"));
    layout.SetPageHeading(
        {PrintCell{lm, 0, lengthX - lm, 0, first, kBoldRow},
         PrintCell{lengthX, 0, lengthWidth, 0, files ? tr("Duration") : "", kBoldRow,
                   CellAlign::Right},
         PrintCell{timesX, 0, timesWidth, 0, timesHeading, kBoldRow, CellAlign::Right},
         PrintCell{airX, 0, airWidth, 0, tr("Air time"), kBoldRow, CellAlign::Right}});
    auto totals = [&](double x, const std::string& label, std::uint64_t times,
                      std::uint64_t seconds, const PrintFont& font) {
        layout.Cell(x, lengthX - x, label, font);
        layout.Cell(timesX, timesWidth, std::to_string(times), font, CellAlign::Right);
        layout.Cell(airX, airWidth, AirTime(seconds), font, CellAlign::Right);
        layout.NewLine(font);
    };
    std::uint64_t allTimes = 0;
    std::uint64_t allSeconds = 0;
    for (const auto& [group, spots] : groups) {
        std::uint64_t groupTimes = 0;
        std::uint64_t groupSeconds = 0;
        for (const auto& [name, spot] : spots) {
            groupTimes += spot.Times.size();
            groupSeconds += spot.Duration * spot.Times.size();
        }
        allTimes += groupTimes;
        allSeconds += groupSeconds;
        if (!files) {
            totals(lm, group, groupTimes, groupSeconds, kRowFont);
            continue;
        }
        layout.Cell(lm, lengthX - lm, group, kBoldRow);
        layout.NewLine(kBoldRow);
        for (const auto& [name, spot] : spots) {
            layout.Cell(indent, nameWidth, name, kRowFont);
            layout.Cell(lengthX, lengthWidth, Length(spot.Duration), kRowFont, CellAlign::Right);
            layout.Cell(timesX, timesWidth, std::to_string(spot.Times.size()), kRowFont,
                        CellAlign::Right);
            layout.Cell(airX, airWidth, AirTime(spot.Duration * spot.Times.size()), kRowFont,
                        CellAlign::Right);
            layout.NewLine(kRowFont);
            if (report == SpotReport::Detailed) {
                for (const std::string& when : spot.Times) {
                    layout.Cell(indent + 2 * gap, nameWidth - 2 * gap, when, kRowFont);
                    layout.NewLine(kRowFont);
                }
            }
        }
        totals(indent, totalFor + group, groupTimes, groupSeconds, kBoldRow);
        layout.NewLine(kRowFont);
    }
    totals(lm, grand, allTimes, allSeconds, kBoldRow);
    layout.Finish();
}

std::vector<std::string> MissingIntros(const TCategoryDetails& category, const TSpotDetails& group,
                                       IntroMatch match, const NameRules& rules,
                                       const std::function<void(std::size_t)>& progress) {
    std::vector<std::string> intros;
    for (const FileRec& f : group.Files) {
        intros.push_back(FoldCase(CleanTitle(f.FileName)));
    }
    std::vector<std::string> missing;
    std::size_t done = 0;
    for (const FileRec& track : category.Files) {
        const std::string title = FoldCase(CleanTitle(track.FileName));
        bool matched = false;
        if (match != IntroMatch::ArtistsOnly) {
            matched = std::any_of(intros.begin(), intros.end(), [&](const std::string& intro) {
                return intro.find(title) != std::string::npos;
            });
        }
        if (!matched && match != IntroMatch::SongsOnly) {
            const std::string artist = SplitArtistTitle(title, rules).Artist;
            matched = std::find(intros.begin(), intros.end(), artist) != intros.end();
        }
        if (!matched) {
            missing.push_back(ExtractFileName(track.FileName));
        }
        if (progress) {
            progress(++done);
        }
    }
    if (missing.empty()) {
        missing.push_back(tr("All category files have intros!"));
    }
    return missing;
}

std::string MissingIntrosText(const std::string& category, const std::string& group,
                              const std::vector<std::string>& lines) {
    std::string text = "\n" + std::string(tr("Category  : ")) + category + "\n" +
                       tr("Spot Group: ") + group + "\n\n";
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

void LayOutTextLines(PageLayout& layout, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        layout.Cell(layout.LeftMargin(), layout.PageWidth() - 2 * layout.LeftMargin(), line,
                    kRowFont);
        layout.NewLine(kRowFont);
    }
    layout.Finish();
}

}  // namespace spindle
