#!/bin/sh
# Installs the build tree into a temporary prefix and checks the installed tree: the
# programs, the launcher entry and AppStream metadata (validated), the icons, the manual
# pages, the help, and that the installed command line runs from there.
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
id=org.spindle_radio.Spindle
for f in bin/spindle bin/spindle-cli bin/spindle-record \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$id.svg share/icons/hicolor/48x48/apps/$id.png \
         share/icons/hicolor/256x256/apps/$id.png \
         share/man/man1/spindle-cli.1.gz share/man/man1/spindle.1.gz \
         share/spindle/help/index.html share/spindle/help/data-files.html \
         share/doc/spindle/copyright share/doc/spindle/changelog.gz; do
  if [ ! -e "$prefix/$f" ]; then
    echo "missing from the installed tree: $f" >&2
    exit 1
  fi
done
for lang in "$build"/share/locale/*/; do
  [ -d "$lang" ] || continue
  l=$(basename "$lang")
  test -f "$prefix/share/locale/$l/LC_MESSAGES/spindle.mo" || { echo "no $l catalogue" >&2; exit 1; }
done
desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
  appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"
zcat "$prefix/share/man/man1/spindle-cli.1.gz" | grep -q "EXIT STATUS"
# The installed program runs from its prefix and makes a station there.
"$prefix/bin/spindle-cli" make-demo "$prefix/demo" >/dev/null
"$prefix/bin/spindle-cli" -r -i --data "$prefix/demo/data" >/dev/null || [ $? -eq 3 ]
ls "$prefix/demo/data/Logs/"*.plg >/dev/null
# The package's long description: one space before each line, as the control format wants
# (two make preformatted text).
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$prefix/package" >/dev/null
if dpkg-deb -f "$prefix"/package/spindle_*.deb Description | grep -q '^  '; then
  echo "the package's long description has lines indented by two spaces" >&2
  exit 1
fi
