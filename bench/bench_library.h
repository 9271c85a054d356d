#pragma once

// The large library the benchmarks load and run, and the floors they are measured against.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "station/station.h"

namespace spindle::bench {

constexpr int kFolders = 50;
constexpr int kCategories = 5;

double Seconds(const std::function<void()>& work);
double Median(std::vector<double> values);

std::string ArtistName(int a);

// 50 folders of music, each folder's tracks by their own artists, some shared; every file
// a tiny MP3 behind an ID3v2 tag (artist, title, album, tempo and a free text mood).
void MakeLibrary(const std::filesystem::path& music, int tracks);

// Calls `each` with the full path of every file of the library's folders.
void ForEachLibraryFile(const std::filesystem::path& music,
                        const std::function<void(const std::string&)>& each);

// What any loader must at least do to read every file's header: list, open, read.
double FirstLoadFloor(const std::filesystem::path& music);
// What any reload must at least do to know the files are still there: list and stat.
double ReloadFloor(const std::filesystem::path& music);

// The Categories (ten folders each), a spot group, the rotation, the schedule and the
// Related Artists of the benchmark station, saved into its data folder.
void DefineStation(Station& s, const std::filesystem::path& music,
                   const std::filesystem::path& spots);

}  // namespace spindle::bench
