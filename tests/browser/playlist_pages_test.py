#!/usr/bin/python3
"""A listener's walk through the pages of a real run, in headless Chromium.

A station is made on disk, spindle-cli generates three hours over midnight, and the
pages are opened from disk: choose a day and an hour and press GO, press the next and
previous buttons, find them disabled on the first and last hour, read the item lines.
"""
import argparse
import datetime
import os
import subprocess
import sys
import tempfile
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select

ARGS = None
EPOCH = datetime.date(1899, 12, 30)


def page_name(moment):
    return moment.strftime("%b%d%H")


class PlaylistPages(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory(prefix="spindle-browser-")
        station = os.path.join(cls.tmp.name, "station")
        tomorrow = datetime.date.today() + datetime.timedelta(days=1)
        cls.start = datetime.datetime.combine(tomorrow, datetime.time(23))
        day_number = (tomorrow - EPOCH).days
        subprocess.run([ARGS.make_station, station, str(day_number), "23", "3"], check=True)
        run = subprocess.run([ARGS.cli, "-r", "--data", os.path.join(station, "data"), "--seed", "5"],
                             capture_output=True, text=True)
        if run.returncode != 0:
            raise AssertionError("spindle-cli failed:\n" + run.stdout + run.stderr)
        cls.pages = os.path.join(station, "data", "HTMLPlaylist")

        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                     "--disable-quic", "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--window-size=1000,900",
                     "--user-data-dir=" + os.path.join(cls.tmp.name, "profile")):
            options.add_argument(flag)
        cls.browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        cls.tmp.cleanup()

    def open(self, moment):
        self.browser.get("file://" + os.path.join(self.pages, page_name(moment) + ".html"))

    def current_page(self):
        return os.path.basename(self.browser.current_url)

    def button(self, label):
        return self.browser.find_element(By.CSS_SELECTOR, 'input[value="%s"]' % label)

    def test_next_and_previous_walk_the_hours(self):
        hours = [self.start + datetime.timedelta(hours=h) for h in range(3)]
        self.open(hours[0])
        self.assertFalse(self.button("<<Prev Hour").is_enabled())
        self.button("Next Hour>>").click()
        self.assertEqual(self.current_page(), page_name(hours[1]) + ".html")
        self.assertTrue(self.button("<<Prev Hour").is_enabled())
        self.button("Next Hour>>").click()
        self.assertEqual(self.current_page(), page_name(hours[2]) + ".html")
        self.assertFalse(self.button("Next Hour>>").is_enabled())
        self.button("<<Prev Hour").click()
        self.assertEqual(self.current_page(), page_name(hours[1]) + ".html")

    def test_choosing_a_day_and_an_hour_and_go(self):
        self.open(self.start)
        day = Select(self.browser.find_element(By.NAME, "D"))
        self.assertEqual([o.get_attribute("value") for o in day.options],
                         [self.start.strftime("%b%d"),
                          (self.start + datetime.timedelta(days=1)).strftime("%b%d")])
        self.assertEqual(day.first_selected_option.get_attribute("value"), self.start.strftime("%b%d"))
        hour = Select(self.browser.find_element(By.NAME, "H"))
        self.assertEqual(hour.first_selected_option.text, "11pm")
        target = self.start + datetime.timedelta(hours=2)
        day.select_by_value(target.strftime("%b%d"))
        hour.select_by_value("01")
        self.button("GO").click()
        self.assertEqual(self.current_page(), page_name(target) + ".html")
        self.assertEqual(Select(self.browser.find_element(By.NAME, "H")).first_selected_option.text,
                         "1am")

    def test_item_lines_show_their_lengths(self):
        self.open(self.start + datetime.timedelta(hours=1))
        text = self.browser.find_element(By.TAG_NAME, "body").text
        self.assertIn("Scheduled for", text)
        self.assertEqual(text.count("(03:35)"), 2)   # two songs of 215 seconds
        self.assertIn("Bakery - Fresh Bread (01:30)", text)
        self.assertNotIn("Weather", text)             # notes get no line
        red = self.browser.find_elements(By.CSS_SELECTOR, 'font[color="#FF3333"]')
        self.assertEqual([r.text for r in red], ["Bakery - Fresh Bread"])
        os.makedirs(ARGS.screenshots, exist_ok=True)
        self.browser.save_screenshot(os.path.join(ARGS.screenshots, "playlist-page.png"))


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--make-station", required=True)
    parser.add_argument("--screenshots", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
