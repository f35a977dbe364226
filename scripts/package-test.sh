#!/usr/bin/env bash
# Makes the Debian package and tries it the way a bookkeeper's machine would:
#  1. its contents (dpkg-deb -c) and declared dependencies;
#  2. lintian, with no error; the desktop entries and the icons;
#  3. installed with dpkg into a fresh root (a dpkg database of its own);
#  4. under Xvfb, with HOME a new temporary folder: the menu's launcher makes
#     ~/VelaData, VelaRep /s lays the four databases in (its end message is
#     confirmed with Enter), and the VelaData window appears; VELADATA_DIR
#     chooses another folder; a second start goes straight to VelaData; VelaRep
#     started by its /usr/bin link in a terminal finds its templates;
#  5. removed from the fresh root, leaving nothing behind.
# Not a CTest test: .ci/run calls it after the tests.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

fail() {
    echo "package-test: FAILED: $*" >&2
    exit 1
}
say() { echo "package-test: $*"; }

# ---- step 4: the programs of ROOT on the X display $DISPLAY, files in WORK ----
gui_checks() {
    local root=$1 work=$2
    local launcher=$root/usr/bin/veladata
    local payables='Tartozunk \(Szállító\)'

    # Waits until a window whose title matches $1 is shown by process $2,
    # pressing Enter on VelaRep's end message on the way ($3: 1 when that
    # message must come, 0 when it must not).
    wait_for_window() {
        local title=$1 pid=$2 expect_rep=$3 log=$4
        local confirmed=0 id
        for _ in $(seq 1 240); do
            if ! kill -0 "$pid" 2>/dev/null; then
                cat "$log" >&2
                fail "the program ended before the window \"$title\" appeared"
            fi
            for id in $(xdotool search --onlyvisible --name '^VelaRep$' 2>/dev/null); do
                [ "$expect_rep" = 1 ] || fail "VelaRep ran on a folder that has its databases"
                xdotool windowfocus --sync "$id" key Return 2>/dev/null || true
                confirmed=1
            done
            if [ -n "$title" ] && xdotool search --onlyvisible --name "$title" >/dev/null 2>&1; then
                [ "$expect_rep" = 0 ] || [ "$confirmed" = 1 ] ||
                    fail "VelaData started before VelaRep's run"
                return 0
            fi
            sleep 0.25
        done
        cat "$log" >&2
        fail "no window \"$title\" within a minute"
    }

    # Waits until process $1 ends, confirming VelaRep's end message.
    wait_for_end() {
        local pid=$1 log=$2 id
        for _ in $(seq 1 240); do
            if ! kill -0 "$pid" 2>/dev/null; then
                wait "$pid" || { cat "$log" >&2; fail "the program ended with an error"; }
                return 0
            fi
            for id in $(xdotool search --onlyvisible --name '^VelaRep$' 2>/dev/null); do
                xdotool windowfocus --sync "$id" key Return 2>/dev/null || true
            done
            sleep 0.25
        done
        cat "$log" >&2
        fail "the program did not end within a minute"
    }

    # The four databases, made from the templates, and what else a new data
    # folder gets.
    check_new_folder() {
        local dir=$1 db
        for db in veladata.mdb betarol.kdb parameter.kdb LFakturo.mdb; do
            [ -f "$dir/$db" ] || fail "$dir/$db was not made"
            [ "$(head -c 15 "$dir/$db")" = "SQLite format 3" ] || fail "$dir/$db is no database"
        done
        [ "$(sqlite3 "$dir/veladata.mdb" 'SELECT count(*) FROM VelaData')" = 0 ] ||
            fail "the new veladata.mdb has no empty VelaData table"
        [ "$(sqlite3 "$dir/parameter.kdb" "SELECT count(*) FROM sqlite_master WHERE name = 'EmblemaPath'")" = 1 ] ||
            fail "the new parameter.kdb has no EmblemaPath table"
        for f in VelaDataStatTartozunk.xls VelaDataStatTartoznak.xls data/VelaDataStatTartozunk.xls \
            data/VelaDataStatTartoznak.xls Segedlet/AdatszolgaltatoFormX.rtf; do
            [ -f "$dir/$f" ] || fail "$dir/$f was not laid in"
        done
        # The user writes into them (the tests run as root, so -w says nothing).
        for f in veladata.mdb VelaDataStatTartozunk.xls data/VelaDataStatTartoznak.xls; do
            [ $((0$(stat -c %a "$dir/$f") & 0200)) != 0 ] || fail "$dir/$f is not writable by its owner"
        done
        if compgen -G "$dir/SAVE-*" >/dev/null; then
            fail "an empty backup folder was left in $dir"
        fi
    }

    stop() {
        kill "$1" 2>/dev/null || true
        wait "$1" 2>/dev/null || true
    }

    mkdir -p "$work/home" "$work/run"
    chmod 700 "$work/run"
    local base_env=(env -u QT_QPA_PLATFORM -u VELADATA_DIR HOME="$work/home"
        XDG_RUNTIME_DIR="$work/run" LANG=C.UTF-8)

    # A new ~/VelaData through the menu's launcher.
    "${base_env[@]}" "$launcher" >"$work/first.log" 2>&1 &
    local pid=$!
    wait_for_window "$payables" "$pid" 1 "$work/first.log"
    check_new_folder "$work/home/VelaData"
    say "launcher: ~/VelaData made with its four databases, VelaData's window shown"
    stop "$pid"

    # The folder named by VELADATA_DIR instead.
    "${base_env[@]}" VELADATA_DIR="$work/Konyveles 2026" "$launcher" >"$work/dir.log" 2>&1 &
    pid=$!
    wait_for_window "$payables" "$pid" 1 "$work/dir.log"
    check_new_folder "$work/Konyveles 2026"
    say "launcher: VELADATA_DIR honoured"
    stop "$pid"

    # A second start on ~/VelaData: no VelaRep, straight into VelaData.
    "${base_env[@]}" "$launcher" >"$work/second.log" 2>&1 &
    pid=$!
    wait_for_window "$payables" "$pid" 0 "$work/second.log"
    say "launcher: an existing data folder is opened as it is"
    stop "$pid"

    # From a terminal in a data folder, by the /usr/bin links.
    mkdir -p "$work/terminal"
    (cd "$work/terminal" && exec "${base_env[@]}" "$root/usr/bin/VelaRep" /s) >"$work/rep.log" 2>&1 &
    pid=$!
    wait_for_end "$pid" "$work/rep.log"
    for db in veladata.mdb betarol.kdb parameter.kdb LFakturo.mdb; do
        [ -f "$work/terminal/$db" ] || fail "VelaRep by its link did not lay $db in"
    done
    (cd "$work/terminal" && exec "${base_env[@]}" "$root/usr/bin/VelaData") >"$work/term.log" 2>&1 &
    pid=$!
    wait_for_window "$payables" "$pid" 0 "$work/term.log"
    say "terminal: VelaRep /s and VelaData run in the current folder through /usr/bin"
    stop "$pid"
}

"$here/scripts/install-deps.sh"
build="${BUILD_DIR:-$here/build}"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
rm -f "$build"/veladata_*.deb
cmake --build "$build" -j "$(nproc)" --target package >/dev/null
debs=("$build"/veladata_*.deb)
[ -f "${debs[0]}" ] || fail "no package was made in $build"
deb=${debs[0]}
say "made $(basename "$deb")"

work="$(mktemp -d)"
xvfb_pid=""
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# ---- 1. contents and dependencies ----
dpkg-deb -c "$deb" | awk '{print $6}' >"$work/contents"
for path in ./usr/bin/veladata ./usr/bin/VelaData ./usr/bin/VelaRep \
    ./usr/lib/veladata/VelaData ./usr/lib/veladata/VelaRep ./usr/lib/veladata/vela-jetreader \
    ./usr/lib/veladata/Data \
    ./usr/share/veladata/Data/veladata.mdb ./usr/share/veladata/Data/betarol.kdb \
    ./usr/share/veladata/Data/parameter.kdb ./usr/share/veladata/Data/LFakturo.mdb \
    ./usr/share/veladata/DataFolder/VelaDataStatTartozunk.xls \
    ./usr/share/veladata/DataFolder/VelaDataStatTartoznak.xls \
    ./usr/share/veladata/DataFolder/data/VelaDataStatTartozunk.xls \
    ./usr/share/veladata/DataFolder/data/VelaDataStatTartoznak.xls \
    ./usr/share/veladata/DataFolder/Segedlet/AdatszolgaltatoFormX.rtf \
    ./usr/share/applications/veladata.desktop ./usr/share/applications/velarep.desktop \
    ./usr/share/icons/hicolor/scalable/apps/veladata.svg \
    ./usr/share/icons/hicolor/scalable/apps/velarep.svg \
    ./usr/share/doc/veladata/copyright ./usr/share/doc/veladata/changelog.gz; do
    grep -qxF "$path" "$work/contents" || fail "the package lacks $path"
done
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libqt6printsupport6 libqt6sql6-sqlite qt6-qpa-plugins libmdb3 \
    libsqlite3-0 qt6-translations-l10n fonts-dejavu-core fonts-liberation fonts-liberation2; do
    grep -qE "(^|, )$dep( |,|$)" <<<"$depends" || fail "the package does not depend on $dep"
done
say "contents and dependencies as they should be"

# ---- 2. lintian, desktop entries, icons ----
lintian "$deb" 2>&1 |
    grep -v 'running with root privileges' | tee "$work/lintian" || true
grep -q '^E:' "$work/lintian" && fail "lintian reports errors"
dpkg-deb -x "$deb" "$work/unpacked"
desktop-file-validate "$work"/unpacked/usr/share/applications/*.desktop ||
    fail "a desktop entry is not valid"
for icon in "$work"/unpacked/usr/share/icons/hicolor/scalable/apps/*.svg; do
    rsvg-convert -w 48 -h 48 "$icon" -o "$work/icon.png" || fail "$icon does not render"
done
say "lintian: no errors; desktop entries valid; icons render"

# ---- 3. installed into a fresh root ----
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/log"
: >"$root/var/lib/dpkg/status"
: >"$root/var/lib/dpkg/available"
# The libraries are the host's; the fresh root has only this package.
dpkg --root="$root" --force-depends --force-script-chrootless -i "$deb" >"$work/dpkg.log" 2>&1 ||
    { cat "$work/dpkg.log" >&2; fail "dpkg could not install the package"; }
[ -x "$root/usr/bin/veladata" ] || fail "the launcher is not installed"
[ "$("$root/usr/bin/VelaData" --version)" = "VelaData 2.5" ] || fail "VelaData --version"
say "installed with dpkg into a fresh root"

# ---- 4. the installed programs under Xvfb ----
# Xvfb picks a free display number itself (-displayfd), so runs of other
# engineers at the same time cannot take the same one; -noreset keeps it
# answering between one program's end and the next one's start.
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 1 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; fail "Xvfb did not start"; }
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb gave no display number"
export DISPLAY=":$(head -n 1 "$work/display")"
unset XAUTHORITY
( gui_checks "$root" "$work" )

# ---- 5. removed cleanly ----
dpkg --root="$root" --force-script-chrootless --purge veladata >"$work/dpkg.log" 2>&1 ||
    { cat "$work/dpkg.log" >&2; fail "dpkg could not remove the package"; }
left=$(cd "$root" && find . -mindepth 1 -not -path './var' -not -path './var/*')
[ -z "$left" ] || fail "left behind after removal: $left"
say "removed: nothing left behind"
say "all checks passed"
