// Every real fixture's duration against what an independent reader (ffprobe) says.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <ostream>
#include <sstream>
#include <string>

#include "fileinfo/file_duration.h"
#include "support/process.h"
#include "support/scripted_operator.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

struct Fixture {
    const char* Name;
    double Below;  // how far our reading may fall short of ffprobe's, in seconds
    double Above;  // how far it may exceed it
    const char* Why;
    // ffprobe's own figure for a file without a length in its header is an estimate
    // too; then the lengths of all its packets are summed instead.
    bool SumPackets = false;
};

double ProbedDuration(const std::string& path, bool sumPackets) {
    const test::ProcessResult probe =
        sumPackets
            ? test::RunProcess({"/usr/bin/ffprobe", "-v", "error", "-select_streams", "a:0",
                                "-show_entries", "packet=duration_time", "-of", "csv=p=0", path})
            : test::RunProcess({"/usr/bin/ffprobe", "-v", "error", "-show_entries",
                                "format=duration", "-of", "default=nw=1:nk=1", path});
    EXPECT_EQ(probe.ExitCode, 0) << probe.Err;
    double total = 0;
    std::istringstream lines(probe.Out);
    for (std::string line; std::getline(lines, line);) {
        total += line.empty() ? 0.0 : std::stod(line);
    }
    return total;
}

// The fixture's file name, in the test's output and its name: "vbr_xing_mono_mp3".
void PrintTo(const Fixture& f, std::ostream* out) {
    *out << f.Name;
}
std::string NameOf(const ::testing::TestParamInfo<Fixture>& info) {
    std::string name = info.param.Name;
    for (char& c : name) {
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    }
    return name;
}

class IndependentReader : public ::testing::TestWithParam<Fixture> {};

TEST_P(IndependentReader, AgreesWithinTheReadersPrecision) {
    const Fixture& f = GetParam();
    const std::string path = test::DataPath(std::string("audio/") + f.Name).string();
    const double expected = ProbedDuration(path, f.SumPackets);
    ASSERT_GT(expected, 0);
    test::ScriptedOperator op;
    const double ours = FileDuration(path, false, op);
    EXPECT_TRUE(op.Messages.empty());
    EXPECT_GE(ours, expected - f.Below) << f.Why;
    EXPECT_LE(ours, expected + f.Above) << f.Why;
}

// Whole seconds truncate or round, so exact arithmetic agrees within one second.
INSTANTIATE_TEST_SUITE_P(
    Fixtures, IndependentReader,
    ::testing::Values(
        Fixture{"cbr-128k-stereo.mp3", 1, 1, "size over bitrate"},
        // The estimate counts the 16 KiB tag as audio: 16394 bytes at 64 kbit/s is 2 s more.
        Fixture{"cbr-64k-id3v2.mp3", 1, 1 + 16394 * 8 / 64000.0, "tag bytes counted as audio"},
        Fixture{"vbr-xing-stereo.mp3", 1, 1, "Xing frame count"},
        Fixture{"vbr-xing-mono.mp3", 1, 1, "Xing frame count"},
        Fixture{"vbr-xing-mpeg2.mp3", 1, 1, "Xing frame count"},
        Fixture{"plain.wav", 1, 1, "data over bytes per second"},
        Fixture{"list-first.wav", 1, 1, "the LIST chunk's bytes count as data, far below a second"},
        Fixture{"plain.aiff", 1, 1, "frames over rate"},
        Fixture{"plain.aifc", 1, 1, "frames over rate"},
        Fixture{"vorbis.ogg", 1, 1, "last granule over rate"},
        Fixture{"aac.m4a", 1, 1, "movie header"},
        Fixture{"mdat-first.mp4", 1, 1, "movie header after the media data"},
        Fixture{"audio.wma", 1, 1, "play duration less preroll"},
        Fixture{"video.avi", 1, 1, "frames times frame time"},
        // The time code is that of the last group of pictures' start: up to one group
        // (25 frames, one second here) short of the end.
        Fixture{"video.mpg", 2, 1, "start of the last group of pictures"},
        // Layouts real recorders and encoders write.
        Fixture{"junk-first.wav", 1, 1, "an odd-sized chunk before the format"},
        Fixture{"streaming.wav", 1, 1, "sizes left unknown: the bytes the file holds"},
        Fixture{"cut-short.wav", 1, 1, "never more audio than the file holds"},
        Fixture{"sox.aiff", 1, 1, "a comment chunk before COMM"},
        Fixture{"current.ape", 1, 1, "descriptor and header of current encoders"},
        Fixture{"vbr-noheader.mp3", 1, 1, "variable bitrate without a header: frames counted",
                true},
        Fixture{"video-1h.mpg", 2, 1, "time codes from 01:00:00: first to last group"}),
    NameOf);

}  // namespace
}  // namespace spindle
