#!/usr/bin/env bash
# Packaging scenarios: the MSI packages with Wine's own msiexec, in a Wine
# prefix of their own (never the suite's shared one), and the portable
# archives. Packages are built here from the current build with the same
# script as "make dist" (scripts/dist.sh), plus a higher-version package for
# the upgrade.
#   packaging.sh <x64 build dir> prepare|install|upgrade|uninstall|x86|archives|sizes|cleanup
# prepare and cleanup bracket the others (ctest fixtures). Prints what it
# checks; exits non-zero when a check failed.
set -uo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=$(cd "$1" && pwd)
scenario=$2
x86build="$(dirname "$build")/x86"
work="$build/packaging"
dist="$work/dist"
export WINEPREFIX="$work/prefix"
export WINEARCH=win64 WINEDEBUG=-all
# No menu entries or file associations in the real desktop for the shortcut.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
W=/usr/lib/wine/wine64
UPGRADE=$(sed -n 's/.*UpgradeCode="\([0-9A-Fa-f-]*\)".*/{\1}/p' "$root/packaging/vantrel.wxs" | head -1)
VERSION=$("$root/scripts/dist.sh" version)
# MSI compares three fields: the upgrade is one build number up.
IFS=. read -r vmaj vmin vbuild vrev <<<"$VERSION"
HIGHER="$vmaj.$vmin.$((vbuild + 1)).$vrev"

fails=0
ok()   { echo "ok: $*"; }
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
# check <what> <expected> <seen>
check() { if [ "$2" == "$3" ]; then ok "$1: $3"; else fail "$1: expected '$2', saw '$3'"; fi; }
finish() { echo "$fails failed check(s)"; [ "$fails" -eq 0 ]; exit $?; }

wine_q() { "$W" "$@" 2>/dev/null | tr -d '\r'; }
probe() { wine_q "$build/bin/pkgprobe.exe" "$@"; }
STATE=""
read_state() { STATE=$(probe state "$UPGRADE"); }
# The first value of a key in the last state; "" if absent.
get() { sed -n "s/^$1=//p" <<<"$STATE" | head -1; }
# Path conversions without starting Wine: drive letters are links in the
# prefix, and Z: is the Unix root.
unix_path() { local p=${1//\\//}; echo "$WINEPREFIX/dosdevices/$(tr '[:upper:]' '[:lower:]' <<<"${p:0:2}")${p:2}"; }
winpath() { local p; p=$(realpath -m "$1"); echo "Z:${p//\//\\}"; }
# Registry changes in one go (each Wine process costs its start-up time):
# lines of a .reg file, "[-key]" deletes a key, "value"=- a value.
reg_apply() {
  local f="$work/apply-$scenario.reg"
  { echo 'REGEDIT4'; echo; printf '%s\n' "$@"; } >"$f"
  wine_q regedit /s "$(winpath "$f")" >/dev/null
}
# A string as .reg data: backslashes and quotes escaped.
reg_str() { local s=${1//\\/\\\\}; echo "\"${s//\"/\\\"}\""; }
RUN='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'
VERB='HKEY_CURRENT_USER\Software\Classes\Folder\shell\Add to Vantrel'

# msiexec <args...>: silent, logged into the work folder; echoes its exit code.
msiexec_qn() { msiexec_at /qn "$@"; }
# The same at another UI level (/qb: the basic progress window).
msiexec_at() {
  local level=$1 log="$work/msiexec-$scenario-$(date +%s%N).log"
  shift
  "$W" msiexec "$@" "$level" /l*v "$(winpath "$log")" >/dev/null 2>&1
  echo $?
}
package() { winpath "$dist/$1"; }

# A new Wine session: every process of the prefix ended (Wine's desktop
# process keeps a hook library loaded until it ends), then a restart, which
# carries out the file operations left for the next start.
restart_session() {
  wineserver -k >/dev/null 2>&1
  wineserver -w
  "$W" wineboot -r >/dev/null 2>&1
  # wineboot's server would ignore -p: end it, then start a persistent one.
  wineserver -k >/dev/null 2>&1
  wineserver -w
  # Nothing it starts may hold ctest's output open.
  wineserver -p </dev/null >/dev/null 2>&1
}

# A new session with no product of ours installed, whatever an earlier
# scenario left.
clean_slate() {
  restart_session
  read_state
  local code
  for code in $(get_all product); do msiexec_qn /x "$code" >/dev/null; done
  reg_apply '[-HKEY_CURRENT_USER\Software\Quorvane.]' "[$RUN]" '"Vantrel"=-' '"Other"=-' "[-$VERB]"
  read_state
  check "nothing installed before the scenario" 0 "$(get products)"
}
get_all() { sed -n "s/^$1=//p" <<<"$STATE"; }

# A folder list and options of a user who has run Vantrel before: two
# folders, no hot key (other tests may hold one on the same display).
seed_settings() {
  local k='HKEY_CURRENT_USER\Software\Quorvane.\Vantrel'
  reg_apply "[$k]" '"Already Run"=dword:00000001' '"Shortcut Type"=dword:00000000' \
    "[$k\\Entries]" '"Count"=dword:00000002' \
    '"Path0"="C:\\windows"' '"Title0"="Windows folder"' '"Path1"="C:\\users"' '"Title1"="Users"'
}
# Start with Windows and the Explorer verb naming <program> as the program
# writes them: the Run value quoted, the verb's command with "%L".
set_shell_entries() {  # <program> [unquoted]
  local run="\"$1\""
  [ "${2:-}" = unquoted ] && run=$1
  reg_apply "[$RUN]" "\"Vantrel\"=$(reg_str "$run")" "[$VERB\\command]" "@=$(reg_str "\"$1\" %L")"
}
# The program key as text, for before/after comparisons.
settings_dump() {
  local f="$work/settings-$scenario.reg"
  rm -f "$f"
  wine_q reg export 'HKCU\Software\Quorvane.\Vantrel' "$(winpath "$f")" >/dev/null
  iconv -f UTF-16 -t UTF-8 "$f" 2>/dev/null | tr -d '\r' | grep -v '^$'
}

# After an install: the installer has started the installed Vantrel for this
# user, and "Load with Windows" names it in quotation marks (as Setup writes it).
expect_started_by_installer() {  # <what>
  local seen
  seen=$(probe wait-instance 30000)
  check "$1: Vantrel runs after the install" 0 $?
  check "$1: the running Vantrel is the installed file" "$(get installdir)\\Vantrel.exe" \
    "$(sed -n 's/^instance.image=//p' <<<"$seen")"
  STARTED_PID=$(sed -n 's/^instance=//p' <<<"$seen")
  check "$1: Load with Windows names the installed program" "\"$(get installdir)\\Vantrel.exe\"" \
    "$(get run.Vantrel)"
}
# After an install with the opt-out properties: neither running nor starting
# with Windows. The start would be made before msiexec returns; its window
# would be there within seconds.
expect_neither() {  # <what>
  probe wait-instance 4000 >/dev/null
  check "$1: Vantrel not started" 1 $?
  check "$1: no Run value" "<missing>" "$(get run.Vantrel)"
}
quit_installed() {
  run_installed /quit
  probe wait-no-instance 15000 >/dev/null
  check "the installed Vantrel ends with /quit" 0 $?
}

run_installed() { wine_q "$(get installdir)\\Vantrel.exe" "$@" >/dev/null; }

check_installed_files() {  # <arch stage folder>
  local dir
  dir=$(unix_path "$(get installdir)")
  for f in Vantrel.exe VTHook.dll; do
    if cmp -s "$dir/$f" "$1/$f"; then ok "installed $f is the packaged file"
    else fail "installed $f differs from $1/$f (or is missing)"; fi
  done
  # Files renamed out of the way while held (*.removed) go at the next start.
  check "only the program files installed" "VTHook.dll Vantrel.exe" \
    "$(ls "$dir" | grep -v '\.removed$' | sort | tr '\n' ' ' | sed 's/ $//')"
}
check_entries() {  # <version>
  check "one installed product" 1 "$(get products)"
  check "product version" "$1" "$(get product.version)"
  check "one uninstall entry" 1 "$(get uninstall.count)"
  check "uninstall entry version" "$1" "$(get uninstall.version)"
  check "uninstall entry location" "$(get installdir)\\" "$(get uninstall.location)"
  check "uninstall entry publisher" "Quorvane." "$(get uninstall.publisher)"
  # Wine writes no DisplayIcon; the entry's icon is the product icon the
  # installer keeps for it (where Windows' DisplayIcon points too).
  local icon
  icon=$(get product.icon)
  if [ -n "$icon" ] && cmp -s "$(unix_path "$icon")" "$root/resources/images/vantrel.ico"; then
    ok "the entry's icon is Vantrel's icon ($icon)"
  else fail "the entry's icon '$icon' is not Vantrel's icon"; fi
  check "shortcut target" "$(get installdir)\\Vantrel.exe" "$(get shortcut.target)"
  check "shortcut working folder" "$(get installdir)\\" "$(get shortcut.workdir)"
}
check_removed() {  # [held]: the hook library was loaded into other programs
  check "Vantrel.exe removed" "<missing>" "$(get file.Vantrel.exe)"
  check "VTHook.dll removed" "<missing>" "$(get file.VTHook.dll)"
  if [ "${1:-}" = held ]; then
    # Still held by Wine's desktop process, the file was renamed and goes,
    # with the folder, at the next start.
    restart_session
    local before=$STATE
    read_state
    check "install folder removed at the next start" 0 "$(get installdir.exists)"
    STATE=$before
  else
    check "install folder removed" 0 "$(get installdir.exists)"
  fi
  check "shortcut removed" "<missing>" "$(get shortcut.file)"
  check "no installed product" 0 "$(get products)"
  check "no uninstall entry" 0 "$(get uninstall.count)"
}

case "$scenario" in
prepare)
  rm -rf "$work"
  mkdir -p "$dist"
  for arch in x64 x86; do
    b=$build; [ $arch = x86 ] && b=$x86build
    [ -f "$b/bin/VTMsiHelper.exe" ] || { fail "$b/bin has no build: run make build"; finish; }
    "$root/scripts/dist.sh" stage "$arch" "$b/bin" "$work/stage-$arch" "$work/symbols-$arch" \
      || fail "staging $arch"
    "$root/scripts/dist.sh" msi "$arch" "$VERSION" "$work/stage-$arch" "$dist/Vantrel-$VERSION-$arch.msi" \
      || fail "MSI $arch"
    "$root/scripts/dist.sh" zip "$arch" "$VERSION" "$work/stage-$arch" "$dist/Vantrel-$VERSION-$arch.zip" \
      || fail "archive $arch"
  done
  # The higher version carries a marked program file (bytes appended after
  # the image, which the loader ignores) of the same file version: only a
  # removal of the older product before the copy puts it in place.
  cp -r "$work/stage-x64" "$work/stage-higher"
  printf 'upgrade %s' "$HIGHER" >>"$work/stage-higher/Vantrel.exe"
  "$root/scripts/dist.sh" msi x64 "$HIGHER" "$work/stage-higher" "$dist/Vantrel-$HIGHER-x64.msi" \
    || fail "MSI $HIGHER"
  mkdir -p "$WINEPREFIX"
  "$W" wineboot -i >/dev/null 2>&1
  # A persistent server, so that each Wine process starts quickly (wineboot's
  # own would ignore -p, so it goes first).
  wineserver -k >/dev/null 2>&1
  wineserver -w
  # Nothing it starts may hold ctest's output open.
  wineserver -p </dev/null >/dev/null 2>&1
  check "fresh prefix works" ok "$(wine_q cmd /c echo ok)"
  finish
  ;;
cleanup)
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  rm -rf "$WINEPREFIX"
  exit 0
  ;;
install)
  clean_slate
  seed_settings
  check "msiexec /i /qn exit code" 0 "$(msiexec_qn /i "$(package "Vantrel-$VERSION-x64.msi")")"
  read_state
  check_installed_files "$work/stage-x64"
  check_entries "$VERSION"
  expect_started_by_installer "/qn"
  run_installed /pop
  probe wait-menu 15000 >/dev/null
  check "the installed Vantrel pops its menu with /pop" 0 $?
  probe close-menu 10000 >/dev/null
  check "menu closed" 0 $?
  quit_installed
  check "msiexec /x exit code" 0 "$(msiexec_qn /x "$(package "Vantrel-$VERSION-x64.msi")")"
  read_state
  check "uninstalling removes the Run value" "<missing>" "$(get run.Vantrel)"
  # Installed anew, with the basic progress window: the same again.
  check "msiexec /i /qb exit code" 0 "$(msiexec_at /qb /i "$(package "Vantrel-$VERSION-x64.msi")")"
  read_state
  check_installed_files "$work/stage-x64"
  expect_started_by_installer "/qb"
  quit_installed
  check "msiexec /x exit code" 0 "$(msiexec_qn /x "$(package "Vantrel-$VERSION-x64.msi")")"
  finish
  ;;
upgrade)
  clean_slate
  seed_settings
  check "msiexec /i $VERSION exit code" 0 "$(msiexec_qn /i "$(package "Vantrel-$VERSION-x64.msi")")"
  read_state
  first_product=$(get product)
  program="$(get installdir)\\Vantrel.exe"
  expect_started_by_installer "first install"
  old_pid=$STARTED_PID
  # The user's own options, which an upgrade keeps: the path stays the same.
  # "Load with Windows" was turned off in Setup since the install: an upgrade
  # leaves it off.
  set_shell_entries "$program"
  reg_apply "[$RUN]" '"Vantrel"=-'
  before=$(settings_dump)
  check "msiexec /i $HIGHER (Vantrel running) exit code" 0 \
    "$(msiexec_qn /i "$(package "Vantrel-$HIGHER-x64.msi")")"
  read_state
  probe wait-gone 20000 "$old_pid" >/dev/null
  check "the older Vantrel was ended" 0 $?
  seen=$(probe wait-instance 30000)
  check "a Vantrel runs after the upgrade" 0 $?
  check "the running Vantrel is the installed file" "$program" "$(sed -n 's/^instance.image=//p' <<<"$seen")"
  [ "$(sed -n 's/^instance=//p' <<<"$seen")" != "$old_pid" ] && ok "it is a new process" \
    || fail "the older process still runs"
  check_installed_files "$work/stage-higher"
  check_entries "$HIGHER"
  [ "$(get product)" != "$first_product" ] && ok "the older product is gone" \
    || fail "the older product $first_product is still the installed one"
  check "folder list and options unchanged" "$before" "$(settings_dump)"
  check "Load with Windows left off" "<missing>" "$(get run.Vantrel)"
  check "Explorer verb kept" "\"$program\" %L" "$(get verb.command)"
  quit_installed
  # The older package refuses to replace the newer one.
  rc=$(msiexec_qn /i "$(package "Vantrel-$VERSION-x64.msi")")
  [ "$rc" != 0 ] && ok "older package refused (exit code $rc)" || fail "older package installed over newer"
  read_state
  check "still one product after the refused downgrade" 1 "$(get products)"
  check "still the newer version" "$HIGHER" "$(get product.version)"
  check "msiexec /x exit code" 0 "$(msiexec_qn /x "$(get product)")"
  finish
  ;;
uninstall)
  clean_slate
  seed_settings
  check "msiexec /i exit code" 0 "$(msiexec_qn /i "$(package "Vantrel-$VERSION-x64.msi")")"
  read_state
  program="$(get installdir)\\Vantrel.exe"
  # Start with Windows as the program writes it (quoted; unquoted is
  # understood too), the Explorer verb, and a Run value of another program.
  expect_started_by_installer "install"
  set_shell_entries "$program"
  reg_apply "[$RUN]" '"Other"="C:\\Tools\\Other.exe /min"'
  before=$(settings_dump)
  check "msiexec /x (Vantrel running) exit code" 0 "$(msiexec_qn /x "$(package "Vantrel-$VERSION-x64.msi")")"
  read_state
  check "the running Vantrel was ended" none "$(get instance)"
  probe wait-gone 20000 "$STARTED_PID" >/dev/null
  check "Vantrel's process ended" 0 $?
  check_removed held
  check "Run value naming the program removed" "<missing>" "$(get run.Vantrel)"
  check "Explorer verb naming the program removed" "<missing>" "$(get verb.command)"
  check "another program's Run value left" 'C:\Tools\Other.exe /min' "$(get run.Other)"
  check "folder list and options kept" "$before" "$(settings_dump)"

  # A "Vantrel" Run value and verb of another copy (a portable one) are
  # that copy's: uninstalling this one leaves them. (Not started, so that no
  # program holds the hook library this time.)
  check "msiexec /i again exit code" 0 \
    "$(msiexec_qn /i "$(package "Vantrel-$VERSION-x64.msi")" VANTREL_START=0)"
  other='C:\Tools\Vantrel\Vantrel.exe'
  set_shell_entries "$other" unquoted
  check "msiexec /x exit code" 0 "$(msiexec_qn /x "$(package "Vantrel-$VERSION-x64.msi")")"
  read_state
  check_removed
  check "another copy's Run value left" "$other" "$(get run.Vantrel)"
  check "another copy's Explorer verb left" "\"$other\" %L" "$(get verb.command)"
  finish
  ;;
x86)
  # The 32-bit program (and the package's 32-bit helper) cannot run on this
  # kernel: files and entries only.
  clean_slate
  # A deployment script's install: neither started nor starting with Windows.
  check "msiexec /i x64 (opted out) exit code" 0 "$(msiexec_qn /i \
    "$(package "Vantrel-$VERSION-x64.msi")" VANTREL_START=0 VANTREL_LOAD_WITH_WINDOWS=0)"
  read_state
  expect_neither "opted out"
  check "msiexec /i x86 exit code" 0 "$(msiexec_qn /i "$(package "Vantrel-$VERSION-x86.msi")")"
  read_state
  # Same version, other architecture: it replaces the x64 product.
  check_installed_files "$work/stage-x86"
  check_entries "$VERSION"
  check "msiexec /x x86 exit code" 0 "$(msiexec_qn /x "$(package "Vantrel-$VERSION-x86.msi")")"
  read_state
  check_removed
  finish
  ;;
archives)
  for arch in x64 x86; do
    zip="$dist/Vantrel-$VERSION-$arch.zip"
    check "$arch archive entries" "ReadMe.txt VTHook.dll Vantrel.exe" \
      "$(unzip -Z1 "$zip" | sort | tr '\n' ' ' | sed 's/ $//')"
    x="$work/unzipped-$arch"
    rm -rf "$x"; mkdir -p "$x"
    unzip -q "$zip" -d "$x"
    b=$build; [ $arch = x86 ] && b=$x86build
    t=$([ $arch = x64 ] && echo x86_64 || echo i686)-w64-mingw32
    for f in Vantrel.exe VTHook.dll; do
      # The built file without its symbols: every loaded section the same.
      secs=$("$t-objdump" -h "$b/bin/$f" | awk '$2 ~ /^\./ && $2 !~ /^\.debug/ {print $2}')
      same=1
      for s in $secs; do
        "$t-objcopy" -O binary --only-section="$s" "$b/bin/$f" "$x/built$s" 2>/dev/null
        "$t-objcopy" -O binary --only-section="$s" "$x/$f" "$x/zipped$s" 2>/dev/null
        cmp -s "$x/built$s" "$x/zipped$s" || { same=0; echo "  section $s of $f differs"; }
      done
      check "$arch $f holds the built $f ($(echo $secs | wc -w) sections)" 1 "$same"
      check "$arch $f carries no debug sections" 0 "$("$t-objdump" -h "$x/$f" | grep -c ' \.debug')"
    done
    grep -q 'Vantrel.exe /quit' "$x/ReadMe.txt" && ok "$arch ReadMe tells how to end Vantrel" \
      || fail "$arch ReadMe lacks /quit"
    grep -q "Vantrel $VERSION" "$x/ReadMe.txt" && ok "$arch ReadMe names version $VERSION" \
      || fail "$arch ReadMe lacks the version"
    check "$arch ReadMe has Windows line ends" "$(wc -l <"$x/ReadMe.txt")" "$(grep -c $'\r$' "$x/ReadMe.txt")"
  done
  finish
  ;;
sizes)
  # Release files without debug information, each within its budget in bytes.
  # The hook library is mapped into every program on the desktop: its budget
  # is tight. The program is built for size; the 32-bit file is the larger
  # (its exceptions unwind through tables of their own). A debug or unstripped
  # build is several times the size.
  for arch in x64 x86; do
    b=$build; [ $arch = x86 ] && b=$x86build
    t=$([ $arch = x64 ] && echo x86_64 || echo i686)-w64-mingw32
    exe_budget=500000; [ $arch = x86 ] && exe_budget=600000
    for f in Vantrel.exe:$exe_budget VTHook.dll:16384; do
      name=${f%%:*}; budget=${f##*:}
      shipped=$(stat -c %s "$work/stage-$arch/$name")
      built=$(stat -c %s "$b/bin/$name")
      echo "  $arch $name: $shipped bytes shipped, $built bytes built"
      [ "$shipped" -le "$budget" ] && ok "$arch $name within $budget bytes" \
        || fail "$arch $name is $shipped bytes, over its budget of $budget"
      [ "$shipped" -lt "$built" ] && ok "$arch $name smaller than the built file" \
        || fail "$arch $name not stripped ($shipped >= $built)"
      check "$arch $name has no symbol table" 0 \
        "$("$t-objdump" -t "$work/stage-$arch/$name" 2>/dev/null | grep -c '^\[')"
      symbols=$("$t-objdump" -t "$work/symbols-$arch/$name.debug" 2>/dev/null | grep -c '^\[')
      # gdb finds the symbols by the name and CRC in .gnu_debuglink.
      dbg="$work/symbols-$arch/$name.debug"
      "$t-objcopy" --dump-section .gnu_debuglink="$work/link" "$work/stage-$arch/$name" "$work/dumped" 2>/dev/null
      link=$(python3 - "$work/link" "$dbg" <<'PY'
import sys, zlib, struct
data = open(sys.argv[1], 'rb').read()
name = data.split(b'\0', 1)[0].decode()
crc = struct.unpack('<I', data[-4:])[0]
dbg = open(sys.argv[2], 'rb').read()
print(name, 'crc-ok' if crc == zlib.crc32(dbg) & 0xffffffff else 'crc-bad')
PY
)
      check "$arch $name links its symbols" "$name.debug crc-ok" "$link"
      [ "$symbols" -gt 100 ] && ok "$arch $name.debug holds $symbols symbols" \
        || fail "$arch $name.debug holds $symbols symbols"
    done
  done
  finish
  ;;
*)
  echo "unknown scenario $scenario" >&2
  exit 2
  ;;
esac
