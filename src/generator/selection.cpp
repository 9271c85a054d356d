#include "generator/selection.h"

#include <cmath>
#include <optional>

#include "base/format.h"
#include "base/format_datetime.h"
#include "base/paths.h"
#include "base/translate.h"
#include "library/group_ops.h"

namespace spindle {
namespace {

// A candidate as TakeNextTrack gave it, with where it stood in the list.
struct Candidate {
    FileRec Entry;
    std::size_t Position = 0;
};

bool Earlier(const std::optional<Candidate>& best, const Candidate& c) {
    return !best || c.Entry.LastUsed < best->Entry.LastUsed;
}

}  // namespace

bool TrackSelector::LookupArtist(const std::string& path) {
    if (const auto known = artistOfPath_.find(path); known != artistOfPath_.end()) {
        state_.CurrentArtist = known->second;
        return true;
    }
    const std::string artist = ArtistOfFile(ExtractFileName(path), settings_.Names);
    const std::string& key = station_.Related.Key(artist);
    ArtistRec* record = station_.Artists.Find(key);
    const bool direct = record != nullptr;
    if (!direct) {
        report_.Message(
            Format(tr("Error: Related Artist \"%0:s\" not found.  Using \"%1:s\"."), key, artist),
            false);
        record = station_.Artists.Find(artist);
    }
    state_.CurrentArtist = record;
    if (record == nullptr) {
        report_.Message(Format(tr("Error 02: \"%0:s\" not found."), artist), false);
        return false;
    }
    // Only a lookup that found its record at once is remembered: the others are
    // reported every time they happen.
    if (direct) {
        artistOfPath_.emplace(path, record);
    }
    return true;
}

void TrackSelector::NoteUse(FileRec& entry, TDateTime newLastUsed) {
    if (entry.LastUsed == entry.SavedLastUsed) {
        ++state_.TracksUsed;
    }
    entry.LastUsed = newLastUsed;
    if (ArtistRec* r = state_.CurrentArtist) {
        if (r->LastPlayed == r->SavedLastPlayed) {
            ++state_.ArtistsUsed;
        }
        r->LastPlayed = entry.LastUsed;
    }
}

Pick TrackSelector::SelectTrack(TCategoryDetails& c, TDateTime t) {
    if (c.Files.empty()) {
        return {};
    }
    const std::size_t n = c.Files.size();
    long bias = 0;
    if (settings_.NewerTracks > 0) {
        const double b = 2.0 * settings_.NewerTracks;
        const auto top =
            static_cast<long>(b + std::nearbyint(b * b * static_cast<double>(n - 1) / 10000.0));
        bias = static_cast<long>(station_.Random.Below(static_cast<std::uint32_t>(top + 1)));
    }
    const double songDays =
        (c.SongRepeatOption == kRepeatSpecify ? c.SongRepeatInterval : settings_.SongInterval) /
        kMinutesPerDay;
    const double artistDays = (c.ArtistRepeatOption == kRepeatSpecify ? c.ArtistRepeatInterval
                                                                      : settings_.ArtistInterval) /
                              kMinutesPerDay;

    const std::size_t limit = 2 * n;
    long artistBlocked = 0;
    long kept = 0;
    std::optional<Candidate> chosen;
    std::optional<Candidate> bestEligible;
    std::optional<Candidate> bestSongBlocked;
    std::optional<Candidate> bestArtistBlocked;
    Candidate last;
    for (std::size_t attempt = 0; attempt < limit; ++attempt) {
        auto taken = TakeNextTrack(c, station_.Random);
        last = Candidate{std::move(*taken), c.NextItem - 1};
        const Candidate& cand = last;

        bool artistPass = false;
        if (LookupArtist(cand.Entry.FileName)) {
            const TDateTime played = state_.CurrentArtist->LastPlayed;
            artistPass = artistDays == 0.0 || played == 0.0 || t - artistDays >= played;
            if (!artistPass) {
                ++artistBlocked;
            }
        }
        const bool songPass =
            songDays == 0.0 || cand.Entry.LastUsed == 0.0 || t - songDays >= cand.Entry.LastUsed;

        if (!artistPass) {
            if (Earlier(bestArtistBlocked, cand)) {
                bestArtistBlocked = cand;
            }
        } else if (!songPass) {
            if (Earlier(bestSongBlocked, cand)) {
                bestSongBlocked = cand;
            }
        } else if (bias < 2) {
            chosen = cand;
            break;
        } else {
            if (!bestEligible || cand.Entry.FileDate > bestEligible->Entry.FileDate) {
                bestEligible = cand;
            }
            if (kept == bias) {
                break;
            }
            ++kept;
        }
        if (report_.Stopped()) {
            return {};
        }
    }

    if (bestEligible) {
        chosen = bestEligible;
        LookupArtist(chosen->Entry.FileName);
    } else if (!chosen) {
        const std::string line = Format(tr("Selection error on Category \"%0:s\" for %1:s"), c.Name,
                                        FormatDateTime("dddd t", t, station_.Settings()));
        report_.Problem(line);
        if (!report_.Unattended() && state_.Warning != WarningAnswer::YesToAll) {
            const char* hint =
                artistBlocked <= static_cast<long>(limit / 2)
                    ? tr("Hint: The Song Repeat Protection interval may be too high.")
                    : tr("Hint: The Artist Repeat Protection interval may be too high.");
            const std::string text =
                line + "\r" + tr("Cannot select a file due to Repeat Interval constraints.") +
                "\r\r" + hint + "\r\r" + tr("Do you wish to Ignore the warning?");
            const Answer answer =
                report_.Op().Show(MessageKind::Warning, text, Buttons::YesCancelYesToAll);
            if (answer == Answer::Yes) {
                state_.Warning = WarningAnswer::Yes;
            } else if (answer == Answer::YesToAll) {
                state_.Warning = WarningAnswer::YesToAll;
            } else {
                state_.Warning = WarningAnswer::Cancel;
                return {};
            }
        }
        // Relaxing a rule relaxes it as little as possible: the song-blocked candidate
        // played longest ago, else the best artist-blocked one, whether the operator
        // said Yes or nobody is there to ask.
        chosen = bestSongBlocked ? bestSongBlocked : bestArtistBlocked;
        if (chosen) {
            LookupArtist(chosen->Entry.FileName);
        }
    }
    if (!chosen) {
        return {};
    }

    // The candidate's position still holds it unless a reshuffle moved it since.
    std::size_t index = chosen->Position;
    if (index >= c.Files.size() || c.Files[index].FileName != chosen->Entry.FileName) {
        const int found = FindFileIndex(c, chosen->Entry.FileName);
        if (found < 0) {
            report_.Message(tr("Internal Error 100"), true);
            return {};
        }
        index = static_cast<std::size_t>(found);
    }
    FileRec& entry = c.Files[index];
    NoteUse(entry, t + 0.000002);
    return {entry.FileName, entry.Duration != 0 ? entry.Duration : c.AverageTime,
            entry.Duration == 0};
}

}  // namespace spindle
