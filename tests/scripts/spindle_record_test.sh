#!/bin/sh
# spindle-record with stand-ins for the recorder and the Stop window: the recording
# reaches the file, and a recorder that cannot record is said, not waited for.
set -eu
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
cat > "$work/bin/arecord" <<'STUB'
#!/bin/sh
for f; do :; done
trap 'printf "RIFF-recorded" > "$f"; exit 0' INT TERM
while :; do sleep 0.05; done
STUB
printf '#!/bin/sh\nsleep 0.2\n' > "$work/bin/zenity"
chmod +x "$work/bin/arecord" "$work/bin/zenity"
PATH="$work/bin:/usr/bin:/bin" "$script" --quiet "$work/Dec0714-01.wav" < /dev/null
test "$(cat "$work/Dec0714-01.wav")" = "RIFF-recorded"

printf '#!/bin/sh\nexit 1\n' > "$work/bin/arecord"
if PATH="$work/bin:/usr/bin:/bin" "$script" "$work/none.wav" < /dev/null 2> "$work/err"; then
  echo "a recorder that stops at once must fail" >&2
  exit 1
fi
grep -q "stopped at once" "$work/err"
