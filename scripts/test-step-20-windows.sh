#!/usr/bin/env bash
# The Windows programs: cross-built with MinGW-w64, run under Wine on a
# virtual X display. Runs both unit suites, runs the builder from a working
# directory other than its own, from a drive's root, from a folder named in
# Greek and Chinese letters and from one nested past 260 characters, compares
# what it writes with the native build's files byte for byte, runs
# scenario_tool.exe in a non-Latin folder against the native tool (--version;
# compile, check and check --format json of the carried texts and of a copy
# with two problems; preview -o and preview --serve), packs COLLEVERDE with
# the native tool and with scenario_tool.exe and runs both builders, checks
# that the ZEROTEST scenario stops with the reserved-slot error, makes the
# release zip and leaves it and the screenshots in artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)

scripts/ensure-deps.sh build windows tools

toolchain="$root/cmake/mingw-w64-x86_64.cmake"
cross=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release)

fail() {
  echo "test-step-20-windows: $*" >&2
  exit 1
}

# --- Builds ------------------------------------------------------------------
echo "-- cross build (build/mingw)"
cmake -S . -B build/mingw "${cross[@]}" >/dev/null
cmake --build build/mingw -j"$jobs" --target scenario_builder scenario_tests scenario_tool scenario_tool_tests

echo "-- cross build that holds its window for a screenshot (build/mingw-hold)"
cmake -S . -B build/mingw-hold "${cross[@]}" -DSCENARIO_TESTS=OFF -DSCENARIO_TOOLS=OFF -DSCENARIO_HOLD_WINDOW_MS=4000 >/dev/null
cmake --build build/mingw-hold -j"$jobs" --target scenario_builder

echo "-- cross build of ZEROTEST (build/mingw-board_at_zero)"
cmake -S . -B build/mingw-board_at_zero "${cross[@]}" -DSCENARIO_TESTS=OFF -DSCENARIO_TOOLS=OFF -DSCENARIO=board_at_zero >/dev/null
cmake --build build/mingw-board_at_zero -j"$jobs" --target scenario_builder

# The reference files come from the native build; test-all.sh has normally
# built it already, and then this only checks that it is up to date.
echo "-- native builds for reference (build/native, build/native-board_at_zero)"
if [[ ! -f build/native/CMakeCache.txt ]]; then
  # Configured as test-all.sh configures it, so that its later run finds the
  # same tree.
  scripts/ensure-deps.sh tools
  cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build/native -j"$jobs" --target scenario_builder scenario_tool
cmake -S . -B build/native-board_at_zero -DCMAKE_BUILD_TYPE=Release -DSCENARIO=board_at_zero \
  -DSCENARIO_TESTS=OFF -DSCENARIO_TOOLS=OFF >/dev/null
cmake --build build/native-board_at_zero -j"$jobs" --target scenario_builder

# --- Wine prefix and X display, for the whole step ----------------------------
work=$(mktemp -d "${TMPDIR:-/tmp}/scenario-windows.XXXXXX")
xvfb_pid=""
serve_pids=()
cleanup() {
  # A command that stopped the step through set -e says which it was
  # (fail has said why already).
  local status=$1 command=$2
  if [[ $status -ne 0 && $command != exit* ]]; then
    echo "test-step-20-windows: stopped by \"$command\" (status $status)" >&2
  fi
  # Only what this step started: its own Wine server and its own X server.
  local pid
  for pid in "${serve_pids[@]}"; do stop_server "$pid"; done
  if [[ -d "${WINEPREFIX:-}" ]]; then timeout 30 wineserver -k >/dev/null 2>&1 || true; fi
  if [[ -n "$xvfb_pid" ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap 'cleanup $? "$BASH_COMMAND"' EXIT

# -displayfd lets the server pick a free display and tell us which.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [[ -s "$work/display" ]] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; fail "Xvfb did not start"; }
  sleep 0.1
done
[[ -s "$work/display" ]] || fail "Xvfb gave no display number"
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
echo "-- X display $DISPLAY"

export WINEPREFIX="$work/prefix"
export WINEDEBUG=-all
# No .NET or HTML engine: their installers would wait for a click.
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
mkdir -p "$WINEPREFIX"
# One server for the whole step instead of one per program started; it must
# be the first, as a second server for the same prefix refuses to start.
wineserver -p || fail "wineserver did not start"
timeout 300 wineboot -i >/dev/null 2>&1 || fail "wineboot could not create the prefix"
# Without a window manager Wine draws the frames itself, so that the
# screenshots show the title bar as Windows would.
timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 ||
  fail "cannot set the Wine display options"

# --- Unit suite ------------------------------------------------------------------
echo "-- unit suite under Wine"
(cd build/mingw && timeout 600 wine ./scenario_tests.exe --gtest_brief=1) || fail "unit suite failed under Wine"
# SCENARIO_BUILDER stays unset: the comparison with a run of the builder
# starts it through a POSIX shell command line, and it skips itself; the
# runs below compare the two programs instead.
(cd build/mingw && env -u SCENARIO_BUILDER timeout 600 wine ./scenario_tool_tests.exe --gtest_brief=1) ||
  fail "scenario_tool suite failed under Wine"

# --- End to end ---------------------------------------------------------------------
outputs=(
  LORVENA_KQ3390_note.txt
  LORVENA_KQ3390_rallentamenti.txt
  LORVENA_KQ3390_scheda_treno.txt
  LORVENA_linea.dat
  LORVENA_KQ3390.sim
  LORVENA_KQ3390.dat
)
sources=(LORVENA_linea.txt LORVENA_KQ3390-.txt)

# Native reference run, in a folder of its own.
mkdir -p "$work/native"
cp build/native/scenario_builder "$work/native/"
(cd "$work/native" && timeout 120 ./scenario_builder 2>/dev/null) || fail "native builder failed"

# The folder must hold the program and exactly the six files of the run.
check_run() {
  local dir=$1 what=$2 name
  for name in "${outputs[@]}"; do
    [[ -f "$dir/$name" ]] || fail "$what: $name was not written next to the program"
    cmp -s "$dir/$name" "$work/native/$name" || fail "$what: $name differs from the native build's"
  done
  for name in "${sources[@]}"; do
    [[ ! -e "$dir/$name" ]] || fail "$what: $name was left behind"
  done
  local count
  count=$(find "$dir" -maxdepth 1 -type f ! -name scenario_builder.exe | wc -l)
  [[ "$count" -eq ${#outputs[@]} ]] || fail "$what: $count files next to the program, expected ${#outputs[@]}"
}

echo "-- builder run from another working directory"
mkdir -p "$work/program" "$work/elsewhere"
cp build/mingw/scenario_builder.exe "$work/program/"
status=0
(cd "$work/elsewhere" && timeout 120 wine "$work/program/scenario_builder.exe") || status=$?
[[ $status -eq 0 ]] || fail "builder ended with status $status"
check_run "$work/program" "run from another directory"
[[ -z "$(ls -A "$work/elsewhere")" ]] || fail "the builder wrote into its working directory"

echo "-- builder run from a drive's root"
mkdir -p "$work/drive"
cp build/mingw/scenario_builder.exe "$work/drive/"
ln -s "$work/drive" "$WINEPREFIX/dosdevices/q:"
status=0
(cd "$work/elsewhere" && timeout 120 wine 'q:\scenario_builder.exe') || status=$?
[[ $status -eq 0 ]] || fail "builder at q:\\ ended with status $status"
check_run "$work/drive" "run from q:\\"

# Folders whose names Windows' narrow functions cannot spell: the builder
# must find its own folder and write there all the same.
unicode_name="Σενάριο 中文"
echo "-- builder run from a folder named \"$unicode_name\""
mkdir -p "$work/$unicode_name"
cp build/mingw/scenario_builder.exe "$work/$unicode_name/"
status=0
(cd "$work/elsewhere" && timeout 120 wine "$work/$unicode_name/scenario_builder.exe") || status=$?
[[ $status -eq 0 ]] || fail "builder in \"$unicode_name\" ended with status $status"
check_run "$work/$unicode_name" "run from \"$unicode_name\""

echo "-- builder run from a folder nested past 260 characters"
deep="$work/deep"
# Counted in characters, as Windows counts its limit, on the Windows form of
# the path: Wine shows the Unix root as drive Z:.
windows_length() { printf 'Z:%s' "$1" | LC_ALL=C.UTF-8 wc -m; }
for _ in $(seq 20); do
  [[ $(windows_length "$deep") -gt 300 ]] && break
  deep="$deep/$unicode_name cartella lunga"
done
[[ $(windows_length "$deep") -gt 300 ]] || fail "cannot make a folder path past 300 characters"
mkdir -p "$deep"
cp build/mingw/scenario_builder.exe "$deep/"
status=0
(cd "$work/elsewhere" && timeout 120 wine "$deep/scenario_builder.exe") || status=$?
[[ $status -eq 0 ]] || fail "builder in the deep folder ended with status $status"
check_run "$deep" "run from a folder nested past 260 characters"

# --- scenario_tool.exe on the carried texts --------------------------------------------
# The same texts compiled by the native tool and by the Windows tool in a
# folder with a non-Latin name, reached by a drive-letter path: the binary
# files must be the same bytes, the reports the same text once separators and
# line ends are made alike.
echo "-- scenario_tool.exe in \"$unicode_name\" against the native tool"
compile_args=(--scenario LORVENA --train KQ3390 --out out)
mkdir -p "$work/tool-native"
build/native/scenario_tool export-carried "$work/tool-native/src" >/dev/null || fail "native export-carried failed"
native_status=0
(cd "$work/tool-native" && build_tool="$root/build/native/scenario_tool" &&
  "$build_tool" compile src/LORVENA_linea.txt src/LORVENA_KQ3390-.txt "${compile_args[@]}" \
    >"$work/tool-native.out" 2>"$work/tool-native.err") || native_status=$?

tool_dir="$work/tool $unicode_name"
mkdir -p "$tool_dir"
cp build/mingw/scenario_tool.exe "$tool_dir/"
windows_src=$(winepath -w "$tool_dir/src")
(cd "$work/elsewhere" && timeout 120 wine "$tool_dir/scenario_tool.exe" export-carried "$windows_src" >/dev/null) ||
  fail "scenario_tool.exe export-carried into \"$windows_src\" failed"
windows_status=0
(cd "$tool_dir" && timeout 120 wine ./scenario_tool.exe compile 'src\LORVENA_linea.txt' 'src\LORVENA_KQ3390-.txt' \
  "${compile_args[@]}" >"$work/tool-windows.out" 2>"$work/tool-windows.err") || windows_status=$?
[[ $windows_status -eq $native_status ]] ||
  fail "scenario_tool.exe compile ended with status $windows_status, the native tool with $native_status"
for name in src/LORVENA_linea.txt src/LORVENA_KQ3390-.txt out/LORVENA_linea.dat out/LORVENA_KQ3390.sim out/LORVENA_KQ3390.dat; do
  cmp -s "$tool_dir/$name" "$work/tool-native/$name" || fail "scenario_tool.exe: $name differs from the native tool's"
done
normalise() { tr '\\' '/' <"$1" | tr -d '\r'; }
for stream in out err; do
  diff <(normalise "$work/tool-native.$stream") <(normalise "$work/tool-windows.$stream") >&2 ||
    fail "scenario_tool.exe compile: standard $stream differs from the native tool's"
done

# Runs one subcommand with the native tool in $work/tool-native and with
# scenario_tool.exe in "$tool_dir", from the same relative paths (written
# with '/', given to the Windows tool with '\'): the statuses must be equal
# and both streams the same text once separators and line ends are made
# alike. JSON doubles its backslashes, hence the second rule.
normalise_json() { tr -d '\r' <"$1" | sed 's#\\\\#/#g'; }
compare_tools() {
  local what=$1 normaliser=$2 arg stream
  shift 2
  local windows_args=()
  for arg in "$@"; do windows_args+=("${arg//\//\\}"); done
  native_status=0
  (cd "$work/tool-native" && "$root/build/native/scenario_tool" "$@" >"$work/both-native.out" \
    2>"$work/both-native.err") || native_status=$?
  windows_status=0
  (cd "$tool_dir" && timeout 120 wine ./scenario_tool.exe "${windows_args[@]}" >"$work/both-windows.out" \
    2>"$work/both-windows.err") || windows_status=$?
  [[ $windows_status -eq $native_status ]] ||
    fail "scenario_tool.exe $what ended with status $windows_status, the native tool with $native_status"
  for stream in out err; do
    diff <("$normaliser" "$work/both-native.$stream") <("$normaliser" "$work/both-windows.$stream") >&2 ||
      fail "scenario_tool.exe $what: standard $stream differs from the native tool's"
  done
}

echo "-- scenario_tool.exe --version against the native tool"
native_version=$(build/native/scenario_tool --version) || fail "native scenario_tool --version failed"
windows_version=$(cd "$work/elsewhere" && timeout 60 wine "$tool_dir/scenario_tool.exe" --version | tr -d '\r') ||
  fail "scenario_tool.exe --version failed"
[[ -n "$native_version" && "$windows_version" == "$native_version" ]] ||
  fail "scenario_tool.exe --version printed '$windows_version', the native tool '$native_version'"

# A copy of the carried texts with two problems: a decimal number where only
# whole numbers go (an error) and a misspelt key word (a warning).
echo "-- scenario_tool.exe check in \"$unicode_name\" against the native tool"
mkdir -p "$work/tool-native/bad" "$tool_dir/bad"
cp "$work/tool-native/src/LORVENA_linea.txt" "$work/tool-native/src/LORVENA_KQ3390-.txt" "$work/tool-native/bad/"
sed -i 's/^sabbia,\( *\)300\(\r\{0,1\}\)$/sabbia,\1300.5\2/; s/^numero vetture,/numero vetturre,/' \
  "$work/tool-native/bad/LORVENA_KQ3390-.txt"
cp "$work/tool-native/bad/"*.txt "$tool_dir/bad/"
good_texts=(src/LORVENA_linea.txt src/LORVENA_KQ3390-.txt)
bad_texts=(bad/LORVENA_linea.txt bad/LORVENA_KQ3390-.txt)
compare_tools "check of the carried texts" normalise check "${good_texts[@]}"
[[ $native_status -eq 0 ]] || fail "native check of the carried texts ended with status $native_status"
compare_tools "check --format json of the carried texts" normalise_json check --format json "${good_texts[@]}"
compare_tools "check of the texts with two problems" normalise check "${bad_texts[@]}"
[[ $native_status -eq 1 ]] || fail "native check of the texts with two problems ended with status $native_status"
for rule in not-whole-number unknown-key; do
  grep -q "\[$rule\]" "$work/both-windows.out" "$work/both-windows.err" ||
    fail "scenario_tool.exe check did not report the $rule problem"
done
compare_tools "check --format json of the texts with two problems" normalise_json check --format json "${bad_texts[@]}"
grep -q '"rule": "not-whole-number"' "$work/both-windows.out" ||
  fail "scenario_tool.exe check --format json did not report the decimal number"

# The page holds the texts' paths as given, in JSON, so the Windows page
# equals the native one once its doubled backslashes are made '/'.
echo "-- scenario_tool.exe preview in \"$unicode_name\" against the native tool"
compare_tools "preview -o" normalise preview "${good_texts[@]}" -o page.html
[[ $native_status -eq 0 ]] || fail "native preview ended with status $native_status"
[[ -s "$tool_dir/page.html" ]] || fail "scenario_tool.exe preview wrote no page"
diff -q <(normalise_json "$work/tool-native/page.html") <(normalise_json "$tool_dir/page.html") >&2 ||
  fail "scenario_tool.exe preview: the page differs from the native tool's beyond its paths"

# --serve under Wine: the live page at /, 404 elsewhere, and nothing left
# running once it is stopped. The live page is compared with the native
# server's, as it differs from the written one.
stop_server() {
  local pid=$1 child _
  local children
  children=$(ps -o pid= --ppid "$pid" 2>/dev/null || true)
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  for child in $children "$pid"; do kill -KILL "$child" 2>/dev/null || true; done
  wait "$pid" 2>/dev/null || true
}
free_port() {
  local port _
  for _ in $(seq 50); do
    port=$((20000 + RANDOM % 20000))
    curl -s -o /dev/null --max-time 2 "http://127.0.0.1:$port/" || {
      echo "$port"
      return 0
    }
  done
  fail "no free port for the preview server"
}
# Fetches / into $2 from the server on port $1 started as $3, waiting until it answers.
fetch_page() {
  local port=$1 into=$2 pid=$3 _
  for _ in $(seq 600); do
    curl -sf --max-time 10 -o "$into" "http://127.0.0.1:$port/" && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}
echo "-- scenario_tool.exe preview --serve under Wine"
native_port=$(free_port)
(cd "$work/tool-native" && exec timeout 300 "$root/build/native/scenario_tool" preview "${good_texts[@]}" --serve \
  --port "$native_port" >"$work/serve-native.out" 2>&1) &
serve_pids+=($!)
fetch_page "$native_port" "$work/served-native.html" "${serve_pids[-1]}" ||
  fail "the native preview server did not answer: $(cat "$work/serve-native.out")"
stop_server "${serve_pids[-1]}"
serve_pids=()
windows_port=$(free_port)
(cd "$tool_dir" && exec timeout 300 wine ./scenario_tool.exe preview 'src\LORVENA_linea.txt' 'src\LORVENA_KQ3390-.txt' \
  --serve --port "$windows_port" >"$work/serve-windows.out" 2>&1) &
windows_server=$!
serve_pids+=("$windows_server")
fetch_page "$windows_port" "$work/served-windows.html" "$windows_server" ||
  fail "scenario_tool.exe preview --serve did not answer: $(cat "$work/serve-windows.out")"
diff -q <(normalise_json "$work/served-native.html") <(normalise_json "$work/served-windows.html") >&2 ||
  fail "scenario_tool.exe preview --serve: the page differs from the native server's beyond its paths"
code=$(curl -s --max-time 10 -o /dev/null -w '%{http_code}' "http://127.0.0.1:$windows_port/no-such-page") || true
[[ $code == 404 ]] || fail "scenario_tool.exe preview --serve answered $code for another path, expected 404"
stop_server "$windows_server"
serve_pids=()
! curl -s -o /dev/null --max-time 5 "http://127.0.0.1:$windows_port/" ||
  fail "scenario_tool.exe preview --serve still answers after it was stopped"

# --- ZEROTEST: the reserved-slot error ---------------------------------------------
echo "-- ZEROTEST natively: message and exit status"
mkdir -p "$work/zero-native"
cp build/native-board_at_zero/scenario_builder "$work/zero-native/"
status=0
(cd "$work/zero-native" && timeout 120 ./scenario_builder 2>"$work/zero-native.err") || status=$?
[[ $status -eq 2 ]] || fail "ZEROTEST natively ended with status $status, expected 2"
grep -Fxq " Errore n. 1250" "$work/zero-native.err" || fail "ZEROTEST natively did not report ' Errore n. 1250'"
if compgen -G "$work/zero-native/*.dat" >/dev/null || compgen -G "$work/zero-native/*.sim" >/dev/null; then
  fail "ZEROTEST natively wrote a binary file"
fi

# --- Screenshots ----------------------------------------------------------------------
mkdir -p artifacts

# Waits until a top-level window whose title is exactly $1 is on the display:
# up to 90 s, since Wine on a busy machine may take long to show a first box.
# grep reads the whole listing (no -q): under pipefail, a grep that stops at
# its first match lets xwininfo die of SIGPIPE on a long listing, and the
# window would count as absent.
# With a process id as $2 it stops waiting when that process has ended. When
# no such window comes, it lists the named windows there are.
wait_for_window() {
  local title=$1 pid=${2:-} _
  for _ in $(seq 900); do
    if xwininfo -root -tree 2>/dev/null | grep -F "\"$title\": (" >/dev/null; then return 0; fi
    if [[ -n $pid ]] && ! kill -0 "$pid" 2>/dev/null; then
      echo "test-step-20-windows: the program ended before a window \"$title\" appeared" >&2
      break
    fi
    sleep 0.1
  done
  echo "test-step-20-windows: the named windows on the display:" >&2
  xwininfo -root -tree 2>/dev/null | grep -o '^ *0x[0-9a-f]* "[^"]*": ([^)]*)' >&2 || true
  return 1
}

# Presses OK (the default button: Return) on the message box titled $1 until
# process $2 has ended: the box gets the input focus, then Return goes in as
# a real key stroke (XTEST), press and release. A key sent to the window
# itself (XSendEvent) loses its release when the box closes on the press,
# and Wine then closes the next program's box at once with that stale key.
# One stroke, then up to 5 s for the program to end, before another.
dismiss_boxes() {
  local title=$1 pid=$2 _ box
  for _ in $(seq 10); do
    kill -0 "$pid" 2>/dev/null || return 0
    box=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -1) || true
    if [[ -n $box ]]; then
      xdotool windowfocus --sync "$box" >/dev/null 2>&1 || true
      xdotool key Return >/dev/null 2>&1 || true
    fi
    for _ in $(seq 50); do
      kill -0 "$pid" 2>/dev/null || return 0
      sleep 0.1
    done
  done
}

echo "-- screenshot of the waiting window"
mkdir -p "$work/hold"
cp build/mingw-hold/scenario_builder.exe "$work/hold/"
(cd "$work/elsewhere" && exec timeout 120 wine "$work/hold/scenario_builder.exe") &
hold_pid=$!
wait_for_window LORVENA "$hold_pid" || fail "the waiting window did not appear"
sleep 1
import -window root artifacts/windows-attendere.png
status=0
wait "$hold_pid" || status=$?
[[ $status -eq 0 ]] || fail "held builder ended with status $status"

echo "-- ZEROTEST under Wine: the message box"
mkdir -p "$work/zero"
# The box's title is the program's file name without its extension.
cp build/mingw-board_at_zero/scenario_builder.exe "$work/zero/"
(cd "$work/elsewhere" && exec timeout 120 wine "$work/zero/scenario_builder.exe") &
zero_pid=$!
wait_for_window scenario_builder "$zero_pid" || fail "the message box did not appear"
sleep 1
import -window root artifacts/windows-errore-1250.png
dismiss_boxes scenario_builder "$zero_pid"
status=0
wait "$zero_pid" || status=$?
[[ $status -eq 2 ]] || fail "ZEROTEST under Wine ended with status $status, expected 2"
for name in ZEROTEST_linea.dat ZEROTEST_KQ3390.sim ZEROTEST_KQ3390.dat; do
  [[ ! -e "$work/zero/$name" ]] || fail "ZEROTEST under Wine wrote $name"
done

# --- Packed builder: a scenario appended to the .exe, no compiler involved -------
# COLLEVERDE (tests/data/pack/colleverde, written by hand) packed into the
# cross-built builder by the native scenario_tool: started under Wine from
# another directory it must write what `scenario_tool compile` writes, and the
# three documents as the texts with CR LF. A damaged payload must be refused
# with exit status 3 before anything is written.
pack_step() {
  local tool=build/native/scenario_tool texts=tests/data/pack/colleverde name status
  local binaries=(COLLEVERDE_linea.dat COLLEVERDE_R2231.sim COLLEVERDE_R2231.dat)
  cmake --build build/native -j"$jobs" --target scenario_tool scenario_builder
  mkdir -p "$work/pack-compiled" "$work/pack-player" "$work/pack-hold" "$work/pack-damaged" \
    "$work/pack-native-damaged"
  "$tool" compile "$texts/line.txt" "$texts/train.txt" --scenario COLLEVERDE --train R2231 \
    --out "$work/pack-compiled" >/dev/null || fail "compile of COLLEVERDE recorded a code"

  echo "-- pack: COLLEVERDE into the Windows builder, run from another directory"
  "$tool" pack "$texts" --scenario COLLEVERDE --train R2231 --template build/mingw/scenario_builder.exe \
    -o "$work/pack-player/colleverde.exe" >/dev/null || fail "pack into the .exe failed"
  status=0
  (cd "$work/elsewhere" && timeout 120 wine "$work/pack-player/colleverde.exe") || status=$?
  [[ $status -eq 0 ]] || fail "packed builder ended with status $status"
  [[ -z "$(ls -A "$work/elsewhere")" ]] || fail "the packed builder wrote into its working directory"
  for name in "${binaries[@]}"; do
    cmp -s "$work/pack-player/$name" "$work/pack-compiled/$name" ||
      fail "packed builder: $name differs from what scenario_tool compile writes"
  done
  for name in note:notes rallentamenti:slowdown_order scheda_treno:timetable_sheet; do
    sed 's/$/\r/' "$texts/${name#*:}.txt" | cmp -s - "$work/pack-player/COLLEVERDE_R2231_${name%%:*}.txt" ||
      fail "packed builder: COLLEVERDE_R2231_${name%%:*}.txt is not ${name#*:}.txt with CR LF"
  done
  [[ $(find "$work/pack-player" -maxdepth 1 -type f | wc -l) -eq 7 ]] ||
    fail "packed builder: expected the program and six files in its folder"

  # The same pack made by scenario_tool.exe under Wine in a folder with a
  # non-Latin name, with the builder beside it as its default template and
  # Windows paths throughout: the result must be the native tool's bytes, and
  # run the same.
  echo "-- pack: scenario_tool.exe under Wine against the native tool"
  local exe_dir="$work/pack $unicode_name"
  mkdir -p "$exe_dir/player" "$work/pack-exe-run"
  cp build/mingw/scenario_tool.exe build/mingw/scenario_builder.exe "$exe_dir/"
  cp -r "$texts" "$exe_dir/colleverde"
  status=0
  (cd "$work/elsewhere" && timeout 120 wine "$exe_dir/scenario_tool.exe" pack "$(winepath -w "$exe_dir/colleverde")" \
    --scenario COLLEVERDE --train R2231 -o "$(winepath -w "$exe_dir/player")\\colleverde.exe" \
    >"$work/pack-exe.out" 2>"$work/pack-exe.err") || status=$?
  [[ $status -eq 0 ]] || fail "scenario_tool.exe pack ended with status $status: $(cat "$work/pack-exe.err")"
  cmp "$exe_dir/player/colleverde.exe" "$work/pack-player/colleverde.exe" >&2 ||
    fail "scenario_tool.exe pack: the builder differs from the native tool's"
  [[ $(ls -A "$exe_dir/player") == colleverde.exe ]] || fail "scenario_tool.exe pack left more than the builder"
  cp "$exe_dir/player/colleverde.exe" "$work/pack-exe-run/"
  status=0
  (cd "$work/elsewhere" && timeout 120 wine "$work/pack-exe-run/colleverde.exe") || status=$?
  [[ $status -eq 0 ]] || fail "the builder packed by scenario_tool.exe ended with status $status"
  for name in "${binaries[@]}" COLLEVERDE_R2231_note.txt COLLEVERDE_R2231_rallentamenti.txt \
    COLLEVERDE_R2231_scheda_treno.txt; do
    cmp -s "$work/pack-exe-run/$name" "$work/pack-player/$name" ||
      fail "the builder packed by scenario_tool.exe: $name differs from the native tool's builder's"
  done
  [[ $(find "$work/pack-exe-run" -maxdepth 1 -type f | wc -l) -eq 7 ]] ||
    fail "the builder packed by scenario_tool.exe: expected the program and six files in its folder"

  echo "-- pack: the window is titled with the packed scenario's name"
  "$tool" pack "$texts" --scenario COLLEVERDE --train R2231 \
    --template build/mingw-hold/scenario_builder.exe -o "$work/pack-hold/colleverde.exe" >/dev/null ||
    fail "pack into the holding .exe failed"
  (cd "$work/elsewhere" && exec timeout 120 wine "$work/pack-hold/colleverde.exe") &
  local hold=$!
  wait_for_window COLLEVERDE "$hold" || fail "the packed builder's window COLLEVERDE did not appear"
  sleep 1
  import -window root artifacts/windows-packed-colleverde.png
  status=0
  wait "$hold" || status=$?
  [[ $status -eq 0 ]] || fail "held packed builder ended with status $status"

  # One byte of the last text changed: the checksum no longer matches.
  damage() {
    local size
    size=$(stat -c %s "$1")
    printf 'Z' | dd of="$1" bs=1 seek=$((size - 50)) conv=notrunc status=none
  }

  echo "-- pack: a damaged payload natively: message, exit status 3, nothing written"
  "$tool" pack "$texts" --scenario COLLEVERDE --train R2231 --template build/native/scenario_builder \
    -o "$work/pack-native-damaged/damaged" >/dev/null || fail "native pack failed"
  damage "$work/pack-native-damaged/damaged"
  status=0
  (cd "$work/elsewhere" && timeout 120 "$work/pack-native-damaged/damaged" 2>"$work/pack-damaged.err") ||
    status=$?
  [[ $status -eq 3 ]] || fail "damaged payload natively ended with status $status, expected 3"
  grep -Fxq "Scenario data damaged: checksum mismatch" "$work/pack-damaged.err" ||
    fail "damaged payload natively: $(cat "$work/pack-damaged.err")"
  [[ $(ls -A "$work/pack-native-damaged") == damaged ]] || fail "damaged payload natively wrote a file"

  echo "-- pack: a damaged payload under Wine: the message box, exit status 3, nothing written"
  cp "$work/pack-player/colleverde.exe" "$work/pack-damaged/damaged.exe"
  damage "$work/pack-damaged/damaged.exe"
  (cd "$work/elsewhere" && exec timeout 120 wine "$work/pack-damaged/damaged.exe") &
  local damaged_pid=$!
  wait_for_window damaged "$damaged_pid" || fail "the damaged-payload message box did not appear"
  sleep 1
  import -window root artifacts/windows-scenario-damaged.png
  dismiss_boxes damaged "$damaged_pid"
  status=0
  wait "$damaged_pid" || status=$?
  [[ $status -eq 3 ]] || fail "damaged payload under Wine ended with status $status, expected 3"
  [[ $(ls -A "$work/pack-damaged") == damaged.exe ]] || fail "damaged payload under Wine wrote a file"
}
pack_step

# --- The release ----------------------------------------------------------------------
echo "-- release zip"
version=$(sed -n 's/^project([a-z_]* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[[ -n "$version" ]] || fail "no version in CMakeLists.txt"
zip_name="scenario-builder-$version-win64.zip"
rm -f "build/mingw/$zip_name"
cmake --build build/mingw --target package >/dev/null || fail "the package target failed"
[[ -f "build/mingw/$zip_name" ]] || fail "the package target made no $zip_name"
mkdir -p "$work/release"
(cd "$work/release" && cmake -E tar xf "$root/build/mingw/$zip_name") || fail "$zip_name cannot be unpacked"
top="$work/release/scenario-builder-$version-win64"
for name in scenario_builder.exe scenario_tool.exe README.md docs/description-format.md; do
  [[ -f "$top/$name" ]] || fail "$zip_name holds no $name"
done
# Every file the README links or shows: a picture left out shows broken.
mapfile -t readme_links < <(grep -oE '\]\(docs/[^)]+\)' README.md | sed 's/^](//; s/)$//; s/#.*//' | sort -u)
[[ ${#readme_links[@]} -gt 0 ]] || fail "README.md links no file of docs/"
for name in "${readme_links[@]}"; do
  [[ -f "$top/$name" ]] || fail "$zip_name holds no $name, which README.md links or shows"
done
for exe in scenario_builder.exe scenario_tool.exe; do
  if x86_64-w64-mingw32-objdump -h "$top/$exe" | grep '\.debug_' >/dev/null; then
    fail "$exe in $zip_name is not stripped"
  fi
done
# The shipped builder, unpacked anywhere, is the program tested above.
(cd "$work/elsewhere" && timeout 120 wine "$top/scenario_builder.exe") || fail "the released builder failed"
check_run_release() {
  local name
  for name in "${outputs[@]}"; do
    cmp -s "$top/$name" "$work/native/$name" || fail "released builder: $name differs from the native build's"
  done
}
check_run_release
cp "build/mingw/$zip_name" artifacts/

echo "-- artifacts: $zip_name windows-attendere.png windows-errore-1250.png"
echo "windows step passed"
