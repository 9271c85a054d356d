// Every real fixture's duration against what an independent reader (ffprobe) says.
#include <gtest/gtest.h>

#include <cmath>

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
};

class IndependentReader : public ::testing::TestWithParam<Fixture> {};

TEST_P(IndependentReader, AgreesWithinTheReadersPrecision) {
    const Fixture& f = GetParam();
    const std::string path = test::DataPath(std::string("audio/") + f.Name).string();
    const test::ProcessResult probe =
        test::RunProcess({"/usr/bin/ffprobe", "-v", "error", "-show_entries", "format=duration",
                          "-of", "default=nw=1:nk=1", path});
    ASSERT_EQ(probe.ExitCode, 0) << probe.Err;
    const double expected = std::stod(probe.Out);
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
        Fixture{"video.mpg", 2, 1, "start of the last group of pictures"}));

}  // namespace
}  // namespace spindle
