#!/usr/bin/python3
"""The playlists of a real run, read and played by Liquidsoap.

A station of real audio files with awkward names (quotes, commas, a colon, a backslash,
accents, a crossfade and an intro mark) is made on disk and spindle-cli generates it
with the "Liquidsoap" and the "Extended M3U" presets. Liquidsoap parses both lists and
must find every item of the Playlist Log in order, with its title, artist, length and
crossfade; and the example script, run headless, must start the first two tracks of the
hour in order.
"""
import argparse
import csv
import datetime
import os
import re
import select
import signal
import subprocess
import sys
import tempfile
import time
import unittest

ARGS = None
EPOCH = datetime.date(1899, 12, 30)
LIQUIDSOAP = "/usr/bin/liquidsoap"
# The tests run as root on CI, which Liquidsoap refuses unless told.
ALLOW_ROOT = "settings.init.allow_root.set(true)"

PRINT_ITEMS = r"""
list.iter(fun (x) -> begin
  let (meta, uri) = x
  r = request.create(uri)
  ok = request.resolve(r)
  m = list.append(meta, request.metadata(r))
  print("ITEM\t#{ok}\t#{request.filename(r)}\t#{m['title']}\t#{m['artist']}\t\
#{m['duration']}\t#{m['liq_cross_duration']}\t#{m['category']}\t#{m['extinf_duration']}")
end, playlist.parse(argv(1)))
shutdown()
"""


def make_station(root, preset, start, hours):
    station = os.path.join(root, preset.replace(" ", "-"))
    day = (start.date() - EPOCH).days
    subprocess.run([ARGS.make_station, station, str(day), str(start.hour), str(hours), preset],
                   check=True)
    data = os.path.join(station, "data")
    run = subprocess.run([ARGS.cli, "-r", "--data", data, "--seed", "3"], capture_output=True,
                         text=True)
    if run.returncode != 0:
        raise RuntimeError(run.stdout + run.stderr)
    return data


def log_items(data, start):
    """The items of the hour starting at `start`, from the Playlist Log, in order."""
    plg = os.path.join(data, "Logs", start.strftime("%b%d%H") + ".plg")
    items, hour = [], -1
    with open(plg, newline="", encoding="utf-8") as f:
        for row in csv.reader(f):
            if row[0] == "B":
                hour += 1
            elif hour == 0 and row[0] == "0":
                items.append({"path": row[3], "seconds": row[4], "category": row[5]})
    return items


def name_parts(path, clean):
    """Artist and title as the file name gives them; `clean` drops "~x" and "#nnnn"."""
    base = os.path.splitext(os.path.basename(path))[0]
    artist, _, title = base.partition(" - ")
    if clean:
        title = re.sub(r"~[0-9.]+$", "", title)
        title = re.sub(r"#[0-9]{4}$", "", title)
    return artist, title


def liquidsoap_items(playlist, tmp):
    script = os.path.join(tmp, "items.liq")
    with open(script, "w", encoding="utf-8") as f:
        f.write(PRINT_ITEMS)
    run = subprocess.run([LIQUIDSOAP, ALLOW_ROOT, script, "--", playlist], capture_output=True,
                         text=True, timeout=120)
    return [line.split("\t")[1:] for line in run.stdout.splitlines() if line.startswith("ITEM\t")]


class Liquidsoap(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory(prefix="spindle-playout-")
        # The hour that is on now, and the next in case the clock passes the hour.
        cls.start = datetime.datetime.now().replace(minute=0, second=0, microsecond=0)
        cls.liq = make_station(cls.tmp.name, "Liquidsoap", cls.start, 2)
        cls.m3u = make_station(cls.tmp.name, "Extended M3U", cls.start, 1)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def playlist(self, data, extension):
        return os.path.join(data, "Playlist", self.start.strftime("%Y-%m-%d-%H") + extension)

    def test_the_annotated_list_carries_every_item_in_order(self):
        expected = log_items(self.liq, self.start)
        self.assertEqual(len(expected), 4)
        got = liquidsoap_items(self.playlist(self.liq, ".m3u"), self.tmp.name)
        self.assertEqual(len(got), len(expected))
        for item, (ok, path, title, artist, seconds, crossfade, category, _) in zip(expected, got):
            self.assertEqual(ok, "true")
            self.assertEqual(path, item["path"])
            self.assertEqual((artist, title), name_parts(item["path"], clean=True))
            self.assertEqual(seconds, item["seconds"])
            self.assertEqual(category, "Playout")
            self.assertEqual(float(crossfade), 1.5 if "~1.5" in path else 0.5)

    def test_the_extended_m3u_carries_every_item_with_its_title_and_length(self):
        expected = log_items(self.m3u, self.start)
        playlist = self.playlist(self.m3u, ".m3u8")
        with open(playlist, encoding="utf-8") as f:
            self.assertEqual(f.readline().rstrip("\r\n"), "#EXTM3U")
        got = liquidsoap_items(playlist, self.tmp.name)
        self.assertEqual([g[1] for g in got], [i["path"] for i in expected])
        for g, item in zip(got, expected):
            self.assertEqual((g[3], g[2]), name_parts(item["path"], clean=False))
            self.assertEqual(g[7], item["seconds"])

    def test_the_example_script_plays_the_hour_in_order_and_logs_what_aired(self):
        as_run = os.path.join(self.tmp.name, "as-run.log")
        env = dict(os.environ, SPINDLE_PLAYLISTS=os.path.join(self.liq, "Playlist"),
                   SPINDLE_AS_RUN=as_run)
        player = subprocess.Popen([LIQUIDSOAP, ALLOW_ROOT, ARGS.script], env=env,
                                  stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                  start_new_session=True)
        hour_file, started = None, []
        deadline = time.monotonic() + 60
        try:
            while len(started) < 2 and time.monotonic() < deadline:
                ready, _, _ = select.select([player.stdout], [], [], 1)
                if not ready:
                    continue
                line = player.stdout.readline()
                if not line:
                    break
                loaded = re.search(r"\[spindle:3\] (/\S.*\.m3u): \d+ items", line)
                if loaded and hour_file is None:
                    hour_file = loaded.group(1)
                playing = re.search(r"Now playing: (.*) \(Playout, scheduled ", line)
                if playing:
                    started.append(playing.group(1))
        finally:
            os.killpg(player.pid, signal.SIGKILL)
            player.wait()
            player.stdout.close()
        self.assertIsNotNone(hour_file)
        hour = datetime.datetime.strptime(os.path.basename(hour_file), "%Y-%m-%d-%H.m3u")
        expected = [" - ".join(name_parts(i["path"], clean=True))
                    for i in log_items(self.liq, hour)[:2]]
        self.assertEqual(started, expected)
        self.check_as_run(as_run, hour)

    def check_as_run(self, as_run, hour):
        """The as-run log names the tracks started; read back, they are the scheduled
        airings of the hour (the script starts the hour's list from its top whenever it
        starts, hence the window of an hour), and the census counts them when they aired."""
        with open(as_run, encoding="utf-8") as f:
            lines = [line.rstrip("\n").split("\t") for line in f]
        self.assertEqual([l[1] for l in lines[:2]], [i["path"] for i in log_items(self.liq, hour)[:2]])
        read = subprocess.run([ARGS.cli, "history", "as-run", as_run, "--window", "3600", "--data",
                               self.liq], capture_output=True, text=True)
        self.assertEqual(read.returncode, 0, read.stderr)
        self.assertTrue(read.stdout.startswith("%d aired as scheduled, 0 not scheduled" % len(lines)),
                        read.stdout)
        day = hour.strftime("%Y-%m-%d")
        census = subprocess.run([ARGS.cli, "report", "--data", self.liq, "--from", day, "--to", day,
                                 "--format", "webcasting-census"], capture_output=True, text=True)
        self.assertEqual(census.returncode, 0, census.stderr)
        self.assertIn("Counted from the as-run log", census.stderr)
        aired = [(row[11] + " " + row[12]) for row in csv.reader(census.stdout.splitlines()[1:],
                                                                 delimiter="\t")]
        for stamp, _ in lines:
            self.assertIn(stamp, aired)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--make-station", required=True)
    parser.add_argument("--script", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
