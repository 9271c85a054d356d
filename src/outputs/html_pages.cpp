#include "outputs/html_pages.h"

#include <cmath>
#include <system_error>

#include "base/format.h"
#include "base/format_datetime.h"
#include "base/paths.h"
#include "base/text_case.h"
#include "base/translate.h"
#include "fileinfo/name_conventions.h"

namespace spindle {
namespace {

std::string JoinCrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            text += "\r\n";
        }
        text += lines[i];
    }
    return text;
}

// Marks the option whose value is `value` as chosen, after taking the mark off the
// option that had it.
void Select(std::string& options, const std::string& value) {
    if (const auto at = options.find("SELECTED"); at != std::string::npos) {
        options.erase(at, 8);
    }
    const std::string target = "value=\"" + value + "\"";
    if (const auto at = options.find(target); at != std::string::npos) {
        options.insert(at, "SELECTED ");
    }
}

const char* kHourLabels[24] = {
    "12 midnight", "1am", "2am", "3am", "4am", "5am", "6am", "7am", "8am", "9am", "10am", "11am",
    "12 noon",     "1pm", "2pm", "3pm", "4pm", "5pm", "6pm", "7pm", "8pm", "9pm", "10pm", "11pm"};

}  // namespace

std::string HtmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

std::optional<std::string> HeaderColour(const std::string& header, const std::string& name) {
    const std::string key = " " + name + "=\"";
    const std::size_t at = header.find(key);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t start = at + key.size();
    const std::size_t end = header.find('"', start);
    return header.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

void DefaultHtmlCode(Options& options, const std::string& stationName, const std::string& address) {
    if (stationName.empty()) {
        return;
    }
    options.HTMLTitle = Format(tr("%0:s Playlist"), stationName);
    std::string header =
        "<body text=\"#00CC00\" link=\"#FF5500\" vlink=\"#808080\" alink=\"#FF5500\" "
        "bgcolor=\"#333333\"><font face=\"Helvetica, Arial, sans-serif\"><font size=\"6\"><b>{SN}"
        "<br><font color=\"#FF5500\"><i>STATION PLAYLIST</i></b></font></font><hr>";
    header.replace(header.find("{SN}"), 4, HtmlText(UpperCase(stationName)));
    std::string footer =
        "<A HREF={URL}><font size=\"1\" color=\"FF5500\">Return to {SN} Homepage</font></A>"
        "</font><hr>";
    footer.replace(footer.find("{SN}"), 4, HtmlText(stationName));
    if (!address.empty()) {
        footer.replace(footer.find("{URL}"), 5, address);
    }
    options.HTMLUserHeader = {header};
    options.HTMLUserFooter = {footer};
}

HtmlPages::~HtmlPages() = default;

std::string HtmlPages::Pattern(const char* pattern, TDateTime value) const {
    return FormatDateTime(pattern, value, station_.Settings());
}

bool HtmlPages::Begin(const RunFacts& facts, RunReport& report) {
    const Options& o = station_.Opt;
    header_ = JoinCrLf(o.HTMLUserHeader);
    footer_ = JoinCrLf(o.HTMLUserFooter);
    for (auto [name, colour] : {std::pair{"text", &textColour_}, std::pair{"alink", &alinkColour_},
                                std::pair{"vlink", &vlinkColour_}}) {
        if (auto found = HeaderColour(header_, name)) {
            *colour = *found;
        } else {
            report.Message(Format(tr("No %0:s color found in HTML Header"), name), false);
            *colour = "#000000";
        }
    }
    firstHour_ = facts.Start;
    lastHour_ = facts.LastHour;
    dayOptions_.clear();
    const std::int64_t firstDay = DateOf(facts.Start);
    // The log's own start: the Options' start has moved on once the run was saved.
    const long startHour = std::lround((facts.Start - static_cast<double>(firstDay)) * 24.0);
    const long days = (startHour + facts.Hours - 1) / 24;
    for (long i = 0; i <= days && facts.Hours > 0; ++i) {
        const TDateTime day = static_cast<double>(firstDay + i);
        dayOptions_ += "<option value=\"" + Pattern("mmmdd", day) + "\">" +
                       HtmlText(Pattern("ddd ddddd", day)) + "</option>";
    }
    hourSelector_ = "</select>&nbsp;<select name=\"H\">";
    for (int h = 0; h < 24; ++h) {
        char value[16];
        std::snprintf(value, sizeof value, "%02d", h);
        hourSelector_ +=
            "<option value=\"" + std::string(value) + "\">" + kHourLabels[h] + "</option>";
    }
    hourSelector_ +=
        "</select>&nbsp;<input type=\"button\" value=\"GO\" "
        "onclick=\"l2(this.form.D,this.form.H)\">";
    std::error_code ec;
    std::filesystem::create_directories(IncludeTrailingDelimiter(o.HTMLFolder), ec);
    return true;
}

std::string HtmlPages::NavButtons(TDateTime hour) const {
    const bool first = std::fabs(hour - firstHour_) < 0.0001;
    const bool last = std::fabs(hour - lastHour_) < 0.0001;
    return "<br><input type=\"button\" " + std::string(first ? "disabled" : "") +
           " value=\"<<Prev Hour\" onclick=\"l1('" + Pattern("mmmddhh", hour - 1.0 / 24.0) +
           "')\">&nbsp;&nbsp;<input type=\"button\" " + std::string(last ? "disabled" : "") +
           " value=\"Next Hour>>\" onclick=\"l1('" + Pattern("mmmddhh", hour + 1.0 / 24.0) +
           "')\">";
}

void HtmlPages::ClosePage(RunReport& report) {
    if (!page_) {
        return;
    }
    page_->Write(footer_ + "<font face=\"Helvetica, Arial, sans-serif\" size=\"1\" color=\"" +
                 textColour_ + "\">Playlist generated by " + kMakerName +
                 "</small></font></form></body></html>\r\n");
    const SaveResult result = page_->Commit();
    page_.reset();
    // A page that cannot be put in place is that page missing; the run goes on.
    if (!result) {
        report.Message(Format(tr("Unable to delete HTML Playlist file \"%0:s\"."), pagePath_),
                       false);
    }
}

bool HtmlPages::Hour(TDateTime hour, RunReport& report) {
    ClosePage(report);
    pagePath_ = IncludeTrailingDelimiter(station_.Opt.HTMLFolder) + Pattern("mmmdd", hour) +
                Pattern("hh", hour) + ".html";
    page_ = std::make_unique<SafeFileWriter>(pagePath_, std::filesystem::path(),
                                             SafeFileWriter::Durability::WholeOnly);
    if (!page_->IsOpen()) {
        page_.reset();
        report.Message(Format(tr("Unable to create HTML Playlist file \"%0:s\"."), pagePath_),
                       false);
        return true;  // the hour goes without a page; the run goes on
    }
    Select(dayOptions_, Pattern("mmmdd", hour));
    Select(hourSelector_, Pattern("hh", hour));
    // The selector ends with the GO button; this page's buttons and caption follow it.
    const std::size_t go = hourSelector_.find("form.H");
    if (go != std::string::npos) {
        hourSelector_.resize(std::min(hourSelector_.size(), go + 6 + 3));
    }
    hourSelector_ += NavButtons(hour) + "<hr><font size=\"1\" color=\"" + alinkColour_ +
                     "\">Scheduled for " + HtmlText(Pattern("dddddd ham/pm", hour)) +
                     "</font><br><small>";
    page_->Write(std::string("<html><head><meta http-equiv=\"Content-Type\" "
                             "content=\"text/html; charset=utf-8\"><meta name=\"Generator\" "
                             "content=\"") +
                 kMakerName + "\"><title>" + HtmlText(station_.Opt.HTMLTitle) +
                 "</title><script language=\"JavaScript\"><!--\r"
                 "function l1(P) {location.href=P+\".html\"} function l2(D,H) "
                 "{l1(D.options[D.selectedIndex].value+H.options[H.selectedIndex].value)}\r"
                 "//--></script></head><form>" +
                 header_ +
                 "<font size=\"2\" color=\"#FFFFCC\">Select the day and start hour then click GO "
                 "to view the playlist.</font><br><select name=\"D\">" +
                 dayOptions_ + hourSelector_ + "\r\n");
    return true;
}

std::string HtmlPages::ItemLine(const LogLine& item, TDateTime clock) const {
    const Options& o = station_.Opt;
    std::string start;
    if (o.HTMLStartTime) {
        start = " <font size=\"1\" color=\"" + vlinkColour_ + "\">" +
                Pattern("nn:ss", clock + 0.000002) + "</font>";
    }
    const TDateTime length = item.Duration / kSecondsPerDay;
    const std::string l =
        item.Duration >= 3600 ? Pattern("hh:nn:ss", length).substr(1) : Pattern("nn:ss", length);
    std::string text;
    if (o.HTMLCategoryNames) {
        text = HtmlText(item.Owner);
    } else {
        const NameRules names = station_.Names();
        const ArtistTitle split =
            WithTaggedName(SplitBaseName(BaseNameNoExt(item.Text), names), item.Text, names);
        text = HtmlText(split.Artist + " - " + split.Title);
        if (o.HTMLVT && split.IntroTime != 0) {
            text += " #" + std::to_string(split.IntroTime);
        }
    }
    if (IsSpotItem(item.Type)) {
        text = "<font color=\"#FF3333\">" + text + "</font>";
    }
    return start + " " + text + " <font size=\"1\" color=\"" + vlinkColour_ + "\"> (" + l +
           ")</font><br>\r\n";
}

void HtmlPages::Item(const LogLine& item, TDateTime clock, RunReport&) {
    const Options& o = station_.Opt;
    if (!page_ || item.Type == kItemHourMarker || item.Type == kItemBreakNote) {
        return;
    }
    const bool shown = item.Type == kItemTrack ||
                       (o.HTMLSpots && item.Duration >= o.HTMLSpotsOverSeconds()) ||
                       (item.Type == kItemVoiceTrack && o.HTMLVT);
    if (shown) {
        page_->Write(ItemLine(item, clock));
    }
}

bool HtmlPages::Finish(RunReport& report, bool) {
    ClosePage(report);
    return true;
}

}  // namespace spindle
