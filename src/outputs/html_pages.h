#pragma once

#include <memory>
#include <optional>
#include <string>

#include "base/safe_file.h"
#include "outputs/output_pass.h"

namespace spindle {

// The maker named in every page: the Generator meta element and the credit line. The
// project has no web address yet, so the credit links nowhere.
inline constexpr const char* kMakerName = "Spindle";

// Text from file and group names as HTML text: "<", ">", "&" and quotes escaped.
std::string HtmlText(std::string_view text);

// The colour of attribute `name` ("text", "alink", "vlink") in the operator's header:
// the value after ` name="`; nullopt when the header has none.
std::optional<std::string> HeaderColour(const std::string& header, const std::string& name);

// The Default button: title, header and footer for a station name and home page.
void DefaultHtmlCode(Options& options, const std::string& stationName, const std::string& address);

// The listeners' pages of a run: one page per hour with day and hour selectors,
// previous and next buttons, and a line per track (and, as the Options say, spots
// and voice-track placeholders).
class HtmlPages final : public LogConsumer {
public:
    explicit HtmlPages(const Station& station) : station_(station) {}
    ~HtmlPages() override;

    bool Begin(const RunFacts& facts, RunReport& report) override;
    bool Hour(TDateTime hourStart, RunReport& report) override;
    void Item(const LogLine& item, TDateTime clock, RunReport& report) override;
    bool Finish(RunReport& report, bool completed) override;

    // The "<<Prev Hour" and "Next Hour>>" buttons of the page of `hour`.
    std::string NavButtons(TDateTime hour) const;
    // The line of one item.
    std::string ItemLine(const LogLine& item, TDateTime clock) const;

private:
    void ClosePage(RunReport& report);
    std::string Pattern(const char* pattern, TDateTime value) const;

    const Station& station_;
    std::string header_;
    std::string footer_;
    std::string textColour_ = "#000000";
    std::string alinkColour_ = "#000000";
    std::string vlinkColour_ = "#000000";
    std::string dayOptions_;
    std::string hourSelector_;
    TDateTime firstHour_ = 0.0;
    TDateTime lastHour_ = 0.0;
    std::unique_ptr<SafeFileWriter> page_;
    std::string pagePath_;
};

}  // namespace spindle
