#include "generator/selection.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "base/format.h"
#include "base/format_datetime.h"
#include "base/paths.h"
#include "base/translate.h"
#include "fileinfo/name_conventions.h"
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

// A play as far from the slot as the interval, on either side. A last use after the slot
// comes from a run of a later period, or of this one before the operator (or a restored
// Options.dat) moved the start back: it keeps its distance too, but it is not "recent"
// for every slot before it, which would leave nothing to choose from.
bool OutsideInterval(TDateTime played, TDateTime t, double days) {
    if (days == 0.0 || played == 0.0) {
        return true;
    }
    return played <= t ? t - days >= played : played - days >= t;
}

// How near its end an hour can still come when `left` seconds are left for the tracks
// after a pick, with `fit.SlotsAfter` rotation slots to come and the top-up after them,
// choosing among tracks of the given lengths (or the Category's, beyond them).
double EndMiss(double left, const Fit& fit, std::vector<double>& lengths) {
    if (fit.SlotsAfter == 0 && left <= fit.ToleranceSeconds) {
        return std::fabs(left);  // the hour ends here
    }
    std::sort(lengths.begin(), lengths.end());
    const std::size_t n = lengths.size();
    double best = std::numeric_limits<double>::infinity();
    double shortest = 0.0;  // the k shortest and longest together
    double longest = 0.0;
    for (std::size_t k = 1;; ++k) {
        shortest += k <= n ? lengths[k - 1] : fit.Shortest;
        longest += k <= n ? lengths[n - k] : fit.Longest;
        if (k < static_cast<std::size_t>(fit.SlotsAfter)) {
            continue;
        }
        double miss = left < shortest ? shortest - left : std::max(0.0, left - longest);
        if (k == 1 && n > 0) {
            const auto at = std::lower_bound(lengths.begin(), lengths.end(), left);
            miss = std::min(at == lengths.end() ? left - lengths.back() : *at - left,
                            at == lengths.begin() ? lengths.front() - left : left - *(at - 1));
        } else if (k == 2 && n > 1 && miss == 0.0) {
            // Two of them: the pair nearest, as two pointers walk the sorted lengths.
            miss = std::numeric_limits<double>::infinity();
            for (std::size_t i = 0, j = n - 1; i < j;) {
                const double sum = lengths[i] + lengths[j];
                miss = std::min(miss, std::fabs(left - sum));
                sum < left ? ++i : --j;
            }
        }
        best = std::min(best, miss);
        if (shortest >= left || best == 0.0 || fit.Shortest <= 0.0) {
            return best;  // more tracks only end it later
        }
    }
}

}  // namespace

bool TrackSelector::LookupArtist(const std::string& path) {
    if (const auto known = artistsOfPath_.find(path); known != artistsOfPath_.end()) {
        state_.CurrentArtists = known->second;
        return true;
    }
    state_.CurrentArtists.clear();
    bool allDirect = true;
    for (const std::string& artist : ArtistsOfFile(ExtractFileName(path), settings_.Names)) {
        const std::string& key = station_.Related.Key(artist);
        ArtistRec* record = station_.Artists.Find(key);
        if (record == nullptr) {
            allDirect = false;
            report_.Message(Format(tr("Error: Related Artist \"%0:s\" not found.  Using \"%1:s\"."),
                                   key, artist),
                            false);
            record = station_.Artists.Find(artist);
        }
        if (record == nullptr) {
            report_.Message(Format(tr("Error 02: \"%0:s\" not found."), artist), false);
            continue;
        }
        state_.CurrentArtists.push_back(record);
    }
    // Only a lookup that found its records at once is remembered: the others are
    // reported every time they happen.
    if (allDirect) {
        artistsOfPath_.emplace(path, state_.CurrentArtists);
    }
    return !state_.CurrentArtists.empty();
}

void TrackSelector::NoteUse(FileRec& entry, TDateTime newLastUsed) {
    if (entry.LastUsed == entry.SavedLastUsed) {
        ++state_.TracksUsed;
    }
    entry.LastUsed = newLastUsed;
    for (ArtistRec* r : state_.CurrentArtists) {
        if (r->LastPlayed == r->SavedLastPlayed) {
            ++state_.ArtistsUsed;
        }
        r->LastPlayed = entry.LastUsed;
    }
}

Pick TrackSelector::SelectTrack(TCategoryDetails& c, TDateTime t, const Fit* fit) {
    if (c.Files.empty()) {
        return {};
    }
    auto playedSeconds = [&](const FileRec& f) {
        const unsigned seconds = f.Duration != 0 ? f.Duration : c.AverageTime;
        return seconds -
               ItemCrossfade(f.FileName, seconds, fit->Crossfade, fit->CrossfadeFromName).Seconds;
    };
    if (fit != nullptr && fit->MayLeaveOut &&
        (fit->LeftSeconds <= 0.0 || fit->Shortest > 2.0 * fit->LeftSeconds)) {
        // Past the end, or too near it for even the shortest track: the slot is left out
        // before any track loses its turn.
        Pick none;
        none.LeftOut = true;
        return none;
    }
    std::vector<Candidate> fitting;
    constexpr std::size_t kFitCandidates = 36;
    // A miss this small counts as on time: the first such track in line plays.
    constexpr double kFitSlack = 10.0;
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
    // Where a fitted slot's draw began in the play order: what it draws and does not
    // play goes back there.
    std::size_t drawStart = c.NextItem;
    bool carried = false;
    for (std::size_t attempt = 0; attempt < limit; ++attempt) {
        if (fit != nullptr && c.NextItem >= n) {
            if (carried) {
                break;
            }
            drawStart = 0;
            if (!fitting.empty()) {
                // The play order ends with few drawn: the next one starts with the tracks
                // drawn, in their order, so that they keep their turn, and the draw goes on.
                ShuffleFiles(c, station_.Random);
                for (std::size_t k = 0; k < fitting.size(); ++k) {
                    const auto at = static_cast<std::size_t>(
                        std::max(0, FindFileIndex(c, fitting[k].Entry.FileName)));
                    std::rotate(c.Files.begin() + static_cast<std::ptrdiff_t>(k),
                                c.Files.begin() + static_cast<std::ptrdiff_t>(at),
                                c.Files.begin() + static_cast<std::ptrdiff_t>(at) + 1);
                    fitting[k].Position = k;
                }
                for (std::size_t k = 0; k < n; ++k) {
                    c.Files[k].Index = static_cast<std::int32_t>(k);  // as a shuffle leaves them
                }
                c.NextItem = static_cast<std::uint32_t>(fitting.size());
                carried = true;
            }
        }
        auto taken = TakeNextTrack(c, station_.Random);
        last = Candidate{std::move(*taken), c.NextItem - 1};
        const Candidate& cand = last;

        bool artistPass = false;
        if (LookupArtist(cand.Entry.FileName)) {
            // Blocked when any of its artists is.
            artistPass = true;
            for (const ArtistRec* r : state_.CurrentArtists) {
                artistPass = artistPass && OutsideInterval(r->LastPlayed, t, artistDays);
            }
            if (!artistPass) {
                ++artistBlocked;
            }
        }
        const bool songPass = OutsideInterval(cand.Entry.LastUsed, t, songDays);

        if (!artistPass) {
            if (Earlier(bestArtistBlocked, cand)) {
                bestArtistBlocked = cand;
            }
        } else if (!songPass) {
            if (Earlier(bestSongBlocked, cand)) {
                bestSongBlocked = cand;
            }
        } else if (fit != nullptr) {
            fitting.push_back(cand);
            if (fitting.size() == kFitCandidates) {
                break;
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

    if (!fitting.empty()) {
        // The first track in line after which the hour can still end on time with the
        // tracks drawn, else the one that ends it nearest; leaving the slot out when that
        // is nearer still.
        std::vector<double> lengths;
        std::vector<std::vector<ArtistRec*>> artists;
        for (const Candidate& cand : fitting) {
            lengths.push_back(playedSeconds(cand.Entry));
            LookupArtist(cand.Entry.FileName);
            artists.push_back(state_.CurrentArtists);
        }
        const Candidate* best = nullptr;
        double bestMiss = std::numeric_limits<double>::infinity();
        std::vector<double> pool;
        for (std::size_t k = 0; k < fitting.size() && bestMiss > kFitSlack; ++k) {
            // The next slots choose among the others drawn, bar those of its artists.
            pool.clear();
            for (std::size_t o = 0; o < fitting.size(); ++o) {
                if (o != k && std::none_of(artists[o].begin(), artists[o].end(), [&](auto* a) {
                        return std::find(artists[k].begin(), artists[k].end(), a) !=
                               artists[k].end();
                    })) {
                    pool.push_back(lengths[o]);
                }
            }
            const double miss = EndMiss(fit->LeftSeconds - lengths[k], *fit, pool);
            if (best == nullptr || miss < bestMiss) {
                best = &fitting[k];
                bestMiss = miss;
            }
        }
        if (fit->MayLeaveOut && std::fabs(fit->LeftSeconds) <= bestMiss) {
            c.NextItem = static_cast<std::uint32_t>(drawStart);  // nothing drawn loses its turn
            Pick none;
            none.LeftOut = true;
            return none;
        }
        // The pick plays in the first eligible track's turn; that track and the others
        // drawn after it keep their order and stand next in line.
        const std::size_t first = fitting.front().Position;
        chosen = *best;
        auto files = c.Files.begin();
        std::vector<std::int32_t> indexes;
        for (std::size_t k = first; k <= chosen->Position; ++k) {
            indexes.push_back(c.Files[k].Index);
        }
        std::rotate(files + static_cast<std::ptrdiff_t>(first),
                    files + static_cast<std::ptrdiff_t>(chosen->Position),
                    files + static_cast<std::ptrdiff_t>(chosen->Position) + 1);
        for (std::size_t k = 0; k < indexes.size(); ++k) {
            c.Files[first + k].Index = indexes[k];  // positions keep their numbers
        }
        chosen->Position = first;
        c.NextItem = static_cast<std::uint32_t>(first + 1);
        LookupArtist(chosen->Entry.FileName);
    } else if (bestEligible) {
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
            // Every rule the pick breaks, and by how much: the play nearest the slot is
            // the one that broke it.
            auto record = [&](bool song, TDateTime previous, double days) {
                RelaxedRule relaxed;
                relaxed.Slot = t;
                relaxed.Category = c.Name;
                relaxed.Song = song;
                relaxed.Track = chosen->Entry.FileName;
                relaxed.PreviousPlay = previous;
                relaxed.MinutesInside = (days - std::fabs(t - previous)) * kMinutesPerDay;
                state_.Relaxed.push_back(std::move(relaxed));
            };
            if (!OutsideInterval(chosen->Entry.LastUsed, t, songDays)) {
                record(true, chosen->Entry.LastUsed, songDays);
            }
            std::optional<TDateTime> nearest;
            for (const ArtistRec* r : state_.CurrentArtists) {
                if (!OutsideInterval(r->LastPlayed, t, artistDays) &&
                    (!nearest || std::fabs(t - r->LastPlayed) < std::fabs(t - *nearest))) {
                    nearest = r->LastPlayed;
                }
            }
            if (nearest) {
                record(false, *nearest, artistDays);
            }
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
