# Shared by e2e/run, e2e/demo, bench/run and bench/tree_removal: a private X display,
# Wine prefixes under the build directory, and the fixture programs. Source it; it
# defines functions only.
# Everything started here is stopped by its own id (Xvfb) or through its own prefix
# (wineserver -k); nothing is ended by name.

e2e_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian's Wine loaders, named by path: the `wine` wrapper takes the 32-bit loader
# whenever it is installed, even on a machine that cannot run it, and 64-bit programs
# would then fail as well.
e2e_wine32_loader=/usr/lib/wine/wine
e2e_wine64_loader=/usr/lib/wine/wine64
e2e_wine_fonts=/usr/share/wine/fonts  # Debian's fonts-wine

# Why Wine cannot run 32-bit programs here, or nothing when it can.
e2e_wine32_missing() {
  if [ ! -x "$e2e_wine32_loader" ]; then
    echo "Wine's 32-bit loader (wine32) is not installed"
  elif ! "$e2e_wine32_loader" --version >/dev/null 2>&1; then
    echo "this machine does not run 32-bit x86 programs, so neither does Wine's 32-bit loader"
  fi
}

# The Windows build to test: the first argument, else $TVUNINST_WIN_BUILD, else
# build-win32, the program Windows NT runs (build-win64 on a machine where Wine cannot
# run 32-bit programs); configured for the MinGW-w64 toolchain when it is not there yet
# (the 64-bit one for a directory whose name ends in 64), and brought up to date, quietly
# (the build's output is shown only when it fails). Chooses the Wine prefix
# architecture and loader that match the program: its prefixes, the fixtures and Wine's
# own tools then all see the registry the program sees.
e2e_use_build() {
  e2e_build=${1:-${TVUNINST_WIN_BUILD:-}}
  if [ -z "$e2e_build" ]; then
    e2e_build=$e2e_root/build-win32
    local missing
    missing=$(e2e_wine32_missing)
    if [ -n "$missing" ]; then
      echo "NOTE: $missing: the 64-bit build runs in place of the 32-bit one that Windows NT runs."
      e2e_build=$e2e_root/build-win64
    fi
  fi
  case $e2e_build in /*) ;; *) e2e_build=$PWD/$e2e_build ;; esac
  if [ ! -f "$e2e_build/CMakeCache.txt" ]; then
    local arch=i686
    case $e2e_build in *64) arch=x86_64 ;; esac
    echo "Building the Windows programs in $e2e_build (the first time takes a few minutes)..."
    cmake -S "$e2e_root" -B "$e2e_build" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$e2e_root/cmake/mingw-w64-$arch.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  if ! cmake --build "$e2e_build" -j2 >"$e2e_build/build.log" 2>&1; then
    tail -n 40 "$e2e_build/build.log" >&2
    echo "building the Windows programs in $e2e_build failed (see $e2e_build/build.log)" >&2
    exit 2
  fi
  e2e_use_wine "$e2e_build/src/tvuninst.exe"
  e2e_fixtures=$e2e_build/e2e/fixtures
  e2e_work=$e2e_build/e2e-wine
  mkdir -p "$e2e_work"
  # The distribution the installer copies from: the programs and the sample content.
  e2e_dist=$e2e_work/dist
  mkdir -p "$e2e_dist"
  cp "$e2e_build/src/tvuninst.exe" "$e2e_fixtures/uninst.exe" "$e2e_fixtures/vduninst.exe" "$e2e_dist/"
  cp "$e2e_fixtures/e2e_snmp_service.exe" "$e2e_dist/"  # the SNMP variant's service
  echo "Varden Anti-Virus sample file" >"$e2e_dist/sample.dat"
}

# Sets WINEARCH and the loader for the program $1: a win32 prefix for an x86 program (no
# WoW64 in it, so HKLM\Software is the key itself, as on Windows NT), a win64 prefix
# for an x64 one.
e2e_use_wine() {
  local header machine
  header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  machine=$(od -An -tx2 -j$((header + 4)) -N2 "$1" | tr -d ' ')
  case $machine in
    014c)
      export WINEARCH=win32
      e2e_objdump=i686-w64-mingw32-objdump
      e2e_loader=$e2e_wine32_loader
      local missing
      missing=$(e2e_wine32_missing)
      [ -z "$missing" ] || { echo "$1 is a 32-bit program, but $missing" >&2; exit 2; } ;;
    8664)
      export WINEARCH=win64
      e2e_objdump=x86_64-w64-mingw32-objdump
      e2e_loader=$e2e_wine64_loader ;;
    *) echo "$1: not an x86 or x64 program (machine $machine)" >&2; exit 2 ;;
  esac
  [ -x "$e2e_loader" ] || e2e_loader=$(type -P wine)  # a Wine installed another way
  export WINELOADER=$e2e_loader  # what Wine starts the programs' own children with
}

# The names of Windows' C runtime DLLs, without ".dll", as an extended regular expression.
e2e_c_runtime_names='(crtdll|msvcr[a-z0-9]*|ucrtbase|api-ms-win-crt-[a-z0-9-]*)'

# The C runtime DLLs that the program $1 imports, in lower case, one a line.
e2e_c_runtimes() {
  "$e2e_objdump" -p "$1" | awk '/^\tDLL Name: / { print tolower($3) }' |
    grep -E "^$e2e_c_runtime_names\\.dll$" || true
}

# Why the C runtime $1 cannot be checked with the programs of this build (they are
# linked with another), or nothing when it can.
e2e_c_runtime_not_here() {
  local linked
  linked=$(e2e_c_runtimes "$e2e_build/src/tvuninst.exe" | tr '\n' ' ')
  [ "${linked% }" != "$1" ] || return 0
  local why
  why=$(e2e_wine32_missing)
  echo "the programs of $(basename "$e2e_build") are linked with ${linked% }; those linked with" \
    "$1 are the 32-bit build, and ${why:-this run is not of it}"
}

# What goes against $1 being the only C runtime that tvuninst.exe and tvtrace.exe load
# themselves, one finding a line: another runtime that they import or name (a load at run
# time needs its name), or no load of $1 in the Wine loader's log $2 (+loaddll) of
# their run. Wine's own DLLs load msvcrt.dll for themselves, so only these two programs'
# images tell what the programs load; no Wine DLL loads crtdll.dll.
e2e_c_runtime_findings() {
  local runtime=$1 log=$2 program other
  for program in "$e2e_build/src/tvuninst.exe" "$e2e_build/src/tvtrace.exe"; do
    other=$(e2e_c_runtimes "$program" | grep -vxF "$runtime" | tr '\n' ' ')
    [ -z "$other" ] || echo "$(basename "$program") imports ${other% }"
    other=$({ strings -a "$program"; strings -a -el "$program"; } |
      grep -oiE "$e2e_c_runtime_names(\\.dll)?" |
      grep -viE "^${runtime%.dll}(\.dll)?$" | sort -u | tr '\n' ' ')
    [ -z "$other" ] || echo "$(basename "$program") names ${other% }"
  done
  grep -qiE "loaddll.*Loaded .*\\\\${runtime//./\\.}\"" "$log" ||
    echo "no load of $runtime in the run (see uninstall.err)"
}

# `wine` and `wineboot` in these scripts run the chosen loader. (A program meant to be
# stopped by its process id is started with "$e2e_loader" itself, not through these.)
wine() { "$e2e_loader" "$@"; }
wineboot() { "$e2e_loader" wineboot "$@"; }

# A Unix path as Wine's Z: drive shows it.
e2e_winpath() { printf 'Z:%s' "${1//\//\\}"; }

e2e_need() {
  local tool
  for tool in "$@"; do
    type -P "$tool" >/dev/null || { echo "missing: $tool (scripts/setup installs it)" >&2; exit 2; }
  done
}

# Starts Xvfb on the first free display from :90 on.
e2e_start_display() {
  local display
  for display in $(seq 90 140); do
    [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ] && continue
    Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$e2e_work/xvfb.log" 2>&1 &
    e2e_xvfb_pid=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$display" ] && { export DISPLAY=":$display"; return 0; }
      kill -0 "$e2e_xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$e2e_xvfb_pid" 2>/dev/null || true
    e2e_xvfb_pid=
  done
  echo "no free X display for Xvfb" >&2
  exit 2
}

e2e_stop_prefix() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
  fi
}

e2e_cleanup() {
  e2e_stop_prefix
  if [ -n "${e2e_base:-}" ] && [ -d "$e2e_base" ]; then
    WINEPREFIX=$e2e_base wineserver -k 2>/dev/null || true  # when stopped while booting
  fi
  if [ -n "${e2e_xvfb_pid:-}" ]; then
    kill "$e2e_xvfb_pid" 2>/dev/null || true
    wait "$e2e_xvfb_pid" 2>/dev/null || true
  fi
}

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko prompts while booting

# What a booted prefix depends on: the Wine version and packages (a prefix booted before
# the 32-bit loader was installed fails with "could not load kernel32.dll" after it), its
# fonts (Marlett, which draws the caption buttons, among them) and the prefix
# architecture.
e2e_wine_install() {
  wine --version
  echo "WINEARCH=$WINEARCH"
  if command -v dpkg-query >/dev/null; then
    # (a name it does not know makes dpkg-query fail, but it lists the others)
    { dpkg-query -W -f='${Package}:${Architecture} ${Version}\n' 'wine*' 'libwine*' fonts-wine 2>/dev/null ||
        true; } | sort
  fi
}

# A freshly booted prefix, made once per build directory and Wine install, then cloned
# for each run.
e2e_base_prefix() {
  e2e_base=$e2e_work/base-prefix
  local install
  install=$(e2e_wine_install)
  if [ "$(cat "$e2e_base/.booted" 2>/dev/null)" != "$install" ]; then
    rm -rf "$e2e_base"
    echo "Booting a fresh $WINEARCH Wine prefix (wineboot -i)..."
    WINEPREFIX=$e2e_base wineboot -i >"$e2e_work/wineboot.log" 2>&1
    # One virtual desktop for all windows: without a window manager on the display,
    # Wine would wait two seconds for each closing message box to be withdrawn.
    WINEPREFIX=$e2e_base wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f \
      >>"$e2e_work/wineboot.log" 2>&1
    WINEPREFIX=$e2e_base wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f \
      >>"$e2e_work/wineboot.log" 2>&1
    # Wine's own fonts (fonts-wine), Marlett among them, with which Wine draws the glyphs
    # of caption buttons, go into the Windows fonts folder: Debian's Wine 8 looks for them
    # in a path it cannot open ("\usr\share\wine\../fonts", a forward slash in an NT
    # path), and a message box's close button would show Marlett's letter "r" instead.
    [ ! -d "$e2e_wine_fonts" ] || cp "$e2e_wine_fonts"/* "$e2e_base/drive_c/windows/Fonts/"
    WINEPREFIX=$e2e_base wineserver -k
    WINEPREFIX=$e2e_base wineserver -w
    echo "$install" >"$e2e_base/.booted"
  fi
}

# Makes $1 a fresh prefix: a copy of the booted one in which the program modules and
# fonts, which Wine never writes to, are shared as hard links and everything else is
# copied.
# Its wineserver logs to wineserver.log beside it.
#
# Whatever a Wine program starts in the background (services.exe and the services,
# the desktop's explorer.exe, winedevice, rpcss) keeps that program's standard error
# and writes to it when the prefix restarts or stops ("wine client error: ... Bad file
# descriptor"): the first Wine programs in a prefix therefore write their standard error
# to a log of their own, never to a report.
e2e_new_prefix() {
  local prefix=$1 file
  rm -rf "$prefix"
  cp -al "$e2e_base" "$prefix"
  (cd "$e2e_base" && find . -type f ! \( -iname '*.dll' -o -iname '*.exe' -o -iname '*.drv' \
      -o -iname '*.sys' -o -iname '*.ocx' -o -iname '*.cpl' -o -iname '*.acm' -o -iname '*.tlb' \
      -o -iname '*.nls' -o -iname '*.ttf' -o -iname '*.fon' -o -iname '*.ds' -o -iname '*.msstyles' \) -print0) |
    while IFS= read -r -d '' file; do cp -p --remove-destination "$e2e_base/$file" "$prefix/$file"; done
  export WINEPREFIX=$prefix
  # A warm server: each program starts in milliseconds.
  wineserver -p 2>>"$(dirname "$prefix")/wineserver.log"
}

# Runs a Windows program of the fixtures or the build under the current prefix.
e2e_wine() { timeout 300 "$e2e_loader" "$@"; }

# Installs the sample product ($2: its variant) into the current prefix set to the
# Windows version $1; a third argument, when not empty, is the App Paths entry's "Path"
# as it is to be spelled, where %WINDIR% stands for the Windows directory.
e2e_install() {
  local windir=%WINDIR% path=${3:-}
  e2e_wine reg add 'HKCU\Software\Wine' /v Version /d "$1" /f >/dev/null
  e2e_wine "$e2e_fixtures/e2e_install.exe" "$(e2e_winpath "$e2e_dist")" "$2" \
    ${path:+"${path//"$windir"/'C:\windows'}"}
}

# Starts what the scenario $1 says runs before the uninstaller (its "setup" lines): a
# device is a link to /dev/null among the prefix's DOS devices, which makes "\\.\NAME"
# open; a drive "X:\file" is a link "x:" there to a folder drive_x of the prefix that
# holds the file; a file "X:\folder\name" of the user's is made with its folders; the
# stub services and programs are e2e_setup.exe's to start, and the registry values of
# "setup value" lines its to write.
e2e_setup() {
  local scenario=$1 device file letter
  grep -q '^setup ' "$scenario" || return 0
  for device in $(sed -n 's/^setup device //p' "$scenario"); do
    ln -sfn /dev/null "$WINEPREFIX/dosdevices/${device,,}"
  done
  while IFS= read -r file; do
    letter=${file:0:1}
    letter=${letter,,}
    mkdir -p "$WINEPREFIX/drive_$letter"
    echo "A file of the drive's own" >"$WINEPREFIX/drive_$letter/${file:3}"
    ln -sfn "../drive_$letter" "$WINEPREFIX/dosdevices/$letter:"
  done < <(sed -n 's/^setup drive //p' "$scenario" | sed 's/\r$//')
  while IFS= read -r file; do
    letter=${file:0:1}
    file=$WINEPREFIX/dosdevices/${letter,,}:/${file:3}
    mkdir -p "$(dirname "${file//\\//}")"
    echo "A file of the user's" >"${file//\\//}"
  done < <(sed -n 's/^setup file //p' "$scenario" | sed 's/\r$//')
  e2e_wine "$e2e_fixtures/e2e_setup.exe" "$(e2e_winpath "$scenario")" "$(e2e_winpath "$e2e_fixtures")"
}

# Runs tvuninst.exe under tvtrace (extra tvtrace options first), answering its boxes
# as the scenario $1 says: the boxes go to $2, the trace to $3. When $e2e_shots names a
# folder, the answerer announces each box there before it presses (see e2e_answer.exe).
# A first argument /cut-run makes it the first run of a scenario with a power cut.
e2e_uninstall() {
  local options=()
  [ "$1" != /cut-run ] || { options=(/cut-run); shift; }
  local scenario=$1 boxes=$2 trace=$3
  shift 3
  [ -z "${e2e_shots:-}" ] || options+=(/shots "$(e2e_winpath "$e2e_shots")")
  e2e_wine "$e2e_fixtures/e2e_answer.exe" "${options[@]}" "$(e2e_winpath "$scenario")" "$(e2e_winpath "$boxes")" \
    "$(e2e_winpath "$e2e_build/src/tvtrace.exe")" "$@" "$(e2e_winpath "$trace")" 'C:\windows\tvuninst.exe'
}

# The first run of the scenario $1 when it has a "power-cut" line, its boxes and trace in
# the folder $2 (cut-run-boxes.log, cut-run-trace.log); nothing when it has none. The
# answerer asks the Install Shield uninstaller's stand-in for the cut, and the stand-in
# marks its record (uninst.rec) when the moment has come and waits. Then the power of the
# prefix fails: its wineserver is killed, which ends every program of the prefix at once
# and nothing else (the registry as it stands is kept), and the machine starts again, under
# a persistent server as before (wineboot -r carries out the delete-at-restart list).
e2e_power_cut_run() {
  [ -n "$(e2e_scenario_line "$1" power-cut)" ] || return 0
  local record=$WINEPREFIX/drive_c/windows/uninst.rec run
  e2e_uninstall /cut-run "$1" "$2/cut-run-boxes.log" "$2/cut-run-trace.log" /pieces >&2 &
  run=$!
  until grep -q '^Cut=now' "$record" 2>/dev/null; do
    if ! kill -0 "$run" 2>/dev/null; then
      echo "the first run ended before its power cut (see cut-run-boxes.log)"
      return 1
    fi
    sleep 0.1
  done
  wineserver -k
  wineserver -w
  wait "$run" || true  # ended with the prefix
  wineserver -p 2>>"$(dirname "$WINEPREFIX")/wineserver.log"
  wineboot -r >&2
}

# A line of the scenario file $1 that starts with the word $2 (without the word).
e2e_scenario_line() { sed -n "s/^$2 //p" "$1" | head -n1; }

# Has e2e_hold.exe hold the files of the scenario $1's "hold" lines open, with its
# signal file and its output (hold.log) in the folder $2; returns once they are held.
# Nothing when there are none.
e2e_hold_files() {
  local paths=()
  mapfile -t paths < <(sed -n 's/^hold //p' "$1" | sed 's/\r$//')
  [ ${#paths[@]} -gt 0 ] || return 0
  e2e_hold_signal=$2/held
  rm -f "$e2e_hold_signal"
  "$e2e_loader" "$e2e_fixtures/e2e_hold.exe" "$(e2e_winpath "$e2e_hold_signal")" "${paths[@]}" \
    >"$2/hold.log" 2>&1 &
  e2e_hold_pid=$!
  for _ in $(seq 200); do
    [ -e "$e2e_hold_signal" ] && return 0
    kill -0 "$e2e_hold_pid" 2>/dev/null || break
    sleep 0.05
  done
  echo "e2e_hold.exe did not take hold of ${paths[*]} (see hold.log)"
  return 1
}

# Lets the files held by e2e_hold_files go, and waits for the holder to end.
e2e_release_files() {
  [ -n "${e2e_hold_pid:-}" ] || return 0
  rm -f "$e2e_hold_signal"
  wait "$e2e_hold_pid" || echo "e2e_hold.exe ended with status $? (see hold.log)"
  e2e_hold_pid=
}

# One machine for check_batch in e2e/run, and runs of tools/remove-varden.cmd on it: a
# fresh prefix under the folder $1, the sample product installed as variant $2 (nothing
# when empty), the profile with the unattended settings and LogFile=$3 put in a share
# folder named with blanks, "(", ")" and "&" beside the batch file, which a batch file of
# the caller's (wrapper.cmd) then runs (call remove-varden.cmd "<share>") under cmd /c.
# $4 is empty, a scenario setup line for e2e_setup.exe ("setup program ignores ..."), or
# "windows <folder>": SystemRoot pointed at that folder, holding e2e_talker.exe as
# tvuninst.exe, which ends with the code the wrapper's first argument names; the wrapper
# then hands over to the batch file without CALL, so that cmd /c ends with the ERRORLEVEL
# the batch file leaves. Each further argument is one run: the exit code expected, then
# the wrapper's arguments, that is the stand-in's code (with "windows") and the batch
# file's option, if any ("1603 4 /deploycodes"). cmd /c runs under tvtrace, which reports
# the exit code whole, as the tool that starts the batch file sees it (Wine's own status
# keeps its low byte only). Run n's output goes to run<n>.txt, a wrong exit code to
# case-report.txt.
e2e_batch_case() {
  local dir=$1 variant=$2 log=$3 extra=$4 share windir= profile
  shift 4
  mkdir -p "$dir"
  share="$dir/share (x) & y"
  mkdir -p "$share"
  : >"$dir/case-report.txt"
  e2e_new_prefix "$dir/prefix" 2>>"$dir/wine.log"
  local logunix=$WINEPREFIX/drive_c/${log:3}
  logunix=${logunix//\\//}
  mkdir -p "$(dirname "$logunix")"
  if [ -n "$variant" ]; then
    e2e_install nt40 "$variant" >>"$dir/wine.log" 2>&1 ||
      echo "$(basename "$dir"): the sample product did not install (see wine.log)" >>"$dir/case-report.txt"
    profile=$WINEPREFIX/drive_c/windows/tvuninst.ini
  else
    profile=$dir/empty.ini
    printf '[Settings]\r\n' >"$profile"
  fi
  local sedlog=${log//\\/\\\\}
  sedlog=${sedlog//&/\\&}
  sed 's/^\[Settings\]\(\r\?\)$/[Settings]\1\nUnattended=1\1\nUnattendedStopFailure=Abort\1\nLogFile='"$sedlog"'\1/' \
    "$profile" >"$share/tvuninst.ini"
  cp "$e2e_root/tools/remove-varden.cmd" "$share/"
  case $extra in
    setup\ *)
      printf '%s\n' "$extra" >"$dir/setup.txt"
      e2e_setup "$dir/setup.txt" >>"$dir/wine.log" 2>&1 ||
        echo "$(basename "$dir"): e2e_setup.exe failed (see wine.log)" >>"$dir/case-report.txt" ;;
    windows\ *)
      windir=${extra#windows }
      local winunix=$WINEPREFIX/drive_c/${windir:3}
      mkdir -p "$winunix"
      cp "$e2e_fixtures/e2e_talker.exe" "$winunix/tvuninst.exe"
      printf '@set SystemRoot=%s\r\n@set E2E_TALKER_EXIT=%%1\r\n@"%s" "%s" %%2\r\n' "${windir//&/^&}" \
        "$(e2e_winpath "$share/remove-varden.cmd")" "$(e2e_winpath "$share")" >"$dir/wrapper.cmd" ;;
  esac
  [ -n "$windir" ] || printf '@call "%s" "%s" %%1\r\n' "$(e2e_winpath "$share/remove-varden.cmd")" \
    "$(e2e_winpath "$share")" >"$dir/wrapper.cmd"
  local run n=0 code args got
  for run in "$@"; do
    n=$((n + 1))
    read -r code args <<<"$run"
    e2e_wine "$e2e_build/src/tvtrace.exe" "$(e2e_winpath "$dir/cmd-debug.log")" \
      cmd /c "$(e2e_winpath "$dir/wrapper.cmd")" $args >"$dir/run$n.crlf" 2>"$dir/run$n.err" || true
    tr -d '\r' <"$dir/run$n.crlf" >"$dir/run$n.txt"
    got=$(sed -n 's/^tvtrace: .*; the program ended with exit code \(-\?[0-9]*\) .*/\1/p' "$dir/run$n.err")
    [ "$got" = "$code" ] ||
      echo "$(basename "$dir"), run $n ($run): exit code: expected $code, got ${got:-none (see run$n.err)}" \
        >>"$dir/case-report.txt"
  done
  e2e_stop_prefix
}
