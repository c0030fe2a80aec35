#!/usr/bin/env bash
# Soak test (not part of CI): prints one long job and watches lucentra while it
# runs. Passes when resident memory after the first pages never grows by more
# than 5 % and no file descriptor is left open that was not open then.
#
#   scripts/soak.sh [PAGES] [PRINTER]        defaults: 1000 pages, "PDF"
#
# Needs a build (scripts/build.sh; BUILD_DIR picks another folder). Each page is
# a 1700 x 2200 gray scan (Letter at 200 dpi); the job prints every page to one
# document in a scratch folder, which is removed afterwards. Figures go to
# stdout: pages, seconds, resident memory at the first pages and at its peak,
# open descriptors.
set -euo pipefail
cd "$(dirname "$0")/.."
pages=${1:-1000}
printer=${2:-PDF}
bin=${BUILD_DIR:-build}/bin
[ -x "$bin/lucentra" ] || { echo "soak: build first (scripts/build.sh)" >&2; exit 2; }

scratch=$(mktemp -d /tmp/pw-soak-XXXXXX)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; wait 2>/dev/null; rm -rf "$scratch"' EXIT
mkdir -p "$scratch/config"

# One scan, named on the command line once per page: every page is decoded,
# laid out and drawn afresh, as in a job of that many different scans.
python3 - "$scratch/scan.pgm" <<'PY'
import sys
w, h = 1700, 2200
row = bytes((x * 7 + (x // 97) * 31) & 0xFF for x in range(w))
with open(sys.argv[1], "wb") as f:
    f.write(b"P5\n# soak scan\n%d %d\n255\n" % (w, h))
    for y in range(h):
        f.write(row[y % 13:] + row[:y % 13])
PY
args=()
for ((i = 0; i < pages; i++)); do args+=("$scratch/scan.pgm"); done

XDG_CONFIG_HOME="$scratch/config" "$bin/lucentra" print "${args[@]}" --printer "$printer" --dpi 200 \
  --output "$scratch/soak.out" >"$scratch/out.txt" 2>"$scratch/err.txt" &
pid=$!
start=$(date +%s.%N)

# Samples of resident memory and open descriptors. The first tenth of the job
# warms up (the allocator settles on its pools); the largest resident size while
# the second tenth prints is the baseline, the largest after it the peak.
# Descriptors come and go within a page (each page reopens its scan), so a leak
# shows as a rising floor: the fewest open ones are compared.
first_page=$(( pages / 10 > 5 ? pages / 10 : 5 ))
base_rss=0 base_fds=1000000 peak_rss=0 peak_fds=1000000 last_page=0
while kill -0 "$pid" 2>/dev/null; do
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)
  fds=$(ls "/proc/$pid/fd" 2>/dev/null | wc -l)
  page=$( (grep -o 'page [0-9]* of' "$scratch/err.txt" 2>/dev/null || true) | tail -n 1 | awk '{print $2}')
  page=${page:-0} rss=${rss:-0}
  if [ "$rss" -gt 0 ] && [ "$page" -ge "$first_page" ]; then
    if [ "$page" -lt $(( 2 * first_page )) ]; then
      [ "$rss" -gt "$base_rss" ] && base_rss=$rss
      [ "$fds" -lt "$base_fds" ] && base_fds=$fds
    else
      [ "$rss" -gt "$peak_rss" ] && peak_rss=$rss
      # The last sample may catch the program closing down: only pages count.
      [ "$fds" -gt 0 ] && [ "$fds" -lt "$peak_fds" ] && peak_fds=$fds
      last_page=$page
    fi
  fi
  sleep 0.2
done
status=0
wait "$pid" || status=$?
end=$(date +%s.%N)
seconds=$(python3 -c "print(round($end - $start, 1))")

echo "pages:            $pages on \"$printer\" (exit status $status)"
echo "time:             $seconds s"
echo "resident memory:  $base_rss kB at most over pages $first_page to $(( 2 * first_page - 1 )), peak $peak_rss kB from then to page $last_page"
echo "open descriptors: $base_fds at the fewest over pages $first_page to $(( 2 * first_page - 1 )), $peak_fds at the fewest afterwards"
echo "lucentra said:    $(tail -n 1 "$scratch/out.txt")"

fail=0
[ "$status" -eq 0 ] || { echo "soak: lucentra failed: $(tail -n 1 "$scratch/err.txt")" >&2; fail=1; }
if [ "$status" -eq 0 ] && [ "$printer" = PDF ] && command -v qpdf >/dev/null; then
  got=$(qpdf --show-npages "$scratch/soak.out")
  echo "document:         $got pages, $(stat -c %s "$scratch/soak.out") bytes"
  [ "$got" -eq "$pages" ] || { echo "soak: the document has $got pages" >&2; fail=1; }
fi
[ "$base_rss" -gt 0 ] && [ "$peak_rss" -gt 0 ] || { echo "soak: too few pages were seen to judge" >&2; fail=1; }
if [ "$base_rss" -gt 0 ] && [ $(( peak_rss * 100 )) -gt $(( base_rss * 105 )) ]; then
  echo "soak: resident memory grew by more than 5 %" >&2; fail=1
fi
if [ "$peak_fds" -lt 1000000 ] && [ "$peak_fds" -gt "$base_fds" ]; then
  echo "soak: descriptors were left open" >&2; fail=1
fi
[ $fail -eq 0 ] && echo "soak: passed"
exit $fail
