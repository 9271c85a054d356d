#pragma once

#include <string>

#include "editor/playlist_document.h"
#include "generator/run_report.h"

namespace spindle {

class Station;

// "Save & Create Playlist": writes the document to `baseName` + ".plg" (the previous
// log kept as ".bak") through the engine's log writer, every hour line with its
// new-file mark as it was read; records in the library when the changed and removed
// items' files are now scheduled (the track lists are to be saved); then makes the
// playlists, pages and summaries of the log again. An unmodified document is not
// written, only its outputs made again. Items are numbered as the run numbers them; an
// hour without edits is written as it was read. False when the log could not be
// written, or was refused: a document whose SaveRefusal() says why, or one whose log
// changed on disk since it was read (ChangedOnDisk()) unless `overwriteChanged`; the
// document stays as it was, modified, and the log and its backup are untouched.
bool SaveDocument(PlaylistDocument& document, Station& station, const std::string& baseName,
                  RunReport& report, bool overwriteChanged = false);

}  // namespace spindle
