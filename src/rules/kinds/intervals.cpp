#include "base/translate.h"
#include "rules/kinds/kind_parts.h"

// The repeat intervals: their values are the Category's and the station's settings, and the
// run judges them by the last uses it keeps; a list only places them.

namespace spindle::kinds {
namespace {

std::string SongSentence(const RuleDef&, const FormatSettings&) {
    return tr("Song repeat interval (set on the Category page)");
}

std::string ArtistSentence(const RuleDef&, const FormatSettings&) {
    return tr("Artist repeat interval (set on the Category page)");
}

}  // namespace

constinit const KindDescriptor kSong{RuleKind::Song,
                                     "song",
                                     N_("Song repeat interval"),
                                     {},
                                     Plain,
                                     ReadNothing,
                                     WriteNothing,
                                     SongSentence,
                                     NoLimit,
                                     DayLookBack,
                                     nullptr,
                                     InMinutes,
                                     nullptr};

constinit const KindDescriptor kArtist{RuleKind::Artist,
                                       "artist",
                                       N_("Artist repeat interval"),
                                       {},
                                       Plain,
                                       ReadNothing,
                                       WriteNothing,
                                       ArtistSentence,
                                       NoLimit,
                                       DayLookBack,
                                       nullptr,
                                       InMinutes,
                                       nullptr};

}  // namespace spindle::kinds
