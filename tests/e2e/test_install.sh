# SPDX-License-Identifier: GPL-3.0-or-later
# The installed tree: cmake --install gives the program's folder, a bin/ link,
# a valid menu entry and the theme icons. Started through the link from a
# read-only copy of that tree, the program finds its data files there and
# keeps its settings under XDG_CONFIG_HOME, writing nothing into the tree.
set -u
source "$VIS_E2E_LIB"

build=${VIS_BUILD_DIR:?VIS_BUILD_DIR names the build folder}
prefix=$VIS_TMP/prefix
cmake --install "$build" --prefix "$prefix" >"$VIS_TMP/install.log" 2>&1 ||
    { cat "$VIS_TMP/install.log" >&2; fail "cmake --install failed"; }

lib=$prefix/lib/vistrelle
[[ -x $lib/vistrelle && -f $lib/camera.bmp && -f $lib/camera.wav && -f $lib/vistrelle.png ]] ||
    fail "the program's folder lacks the executable or its data files: $(ls "$lib")"
[[ ! -e $lib/param.txt ]] || fail "a settings file was installed"
link=$(readlink "$prefix/bin/vistrelle")
[[ $link == ../lib/vistrelle/vistrelle ]] || fail "bin/vistrelle links to '$link'"

entry=$prefix/share/applications/vistrelle.desktop
report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $report"
# Hints are advice (two main categories are meant); warnings are not accepted.
! grep -Eq ': (warning|error):' <<<"$report" || fail "desktop-file-validate: $report"
for line in 'Exec=vistrelle' 'Icon=vistrelle' 'Categories=Graphics;Utility;' 'Actions=region;screen;window;repeat;' \
    'Exec=vistrelle --region' 'Exec=vistrelle --screen' 'Exec=vistrelle --window' 'Exec=vistrelle --repeat'; do
    grep -qxF "$line" "$entry" || fail "no '$line' in the desktop entry"
done

# Each theme icon is a PNG of its folder's size (width and height from IHDR).
for n in 16 22 24 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${n}x$n/apps/vistrelle.png
    [[ $(head -c 8 "$icon" 2>/dev/null | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] || fail "$icon is not a PNG"
    ihdr=$(od -An -tx1 -j16 -N8 "$icon" | tr -d ' \n')
    size="$((16#${ihdr:0:8}))x$((16#${ihdr:8:8}))"
    [[ $size == "${n}x$n" ]] || fail "$icon is $size"
done

# A moved, read-only copy. chmod does not stop root: there, a read-only bind
# mount in a private mount namespace does.
ro=$VIS_TMP/ro
cp -a "$prefix" "$ro"
chmod -R a-w "$ro"
wrap=()
if (($(id -u) == 0)); then
    wrap=(unshare --mount sh -c 'mount --bind -o ro "$1" "$1" && shift && exec "$@"' sh "$ro")
fi
! "${wrap[@]}" touch "$ro/lib/vistrelle/probe" 2>/dev/null || fail "the copy of the tree can be written"
find "$ro" -printf '%p %s %T@\n' | sort >"$VIS_TMP/tree.before"

export HOME=$VIS_TMP/home XDG_CONFIG_HOME=$VIS_TMP/config
mkdir -p "$HOME"
cd "$VIS_TMP" || exit 1
pid=
trap '[[ -n $pid ]] && kill $pid 2>/dev/null; wait 2>/dev/null' EXIT

# First start: no settings anywhere, so it offers to write the defaults
# ("Oui" is the default button), confirms, and ends.
"${wrap[@]}" "$ro/bin/vistrelle" >"$VIS_TMP/app.log" 2>&1 &
pid=$!
wait_for_window '^Vistrelle \.\.\.$' 20 >/dev/null || fail "no main window on the first start"
answered=0
deadline=$((SECONDS + 30))
while kill -0 "$pid" 2>/dev/null; do
    ((SECONDS <= deadline)) || fail "the program did not end after the settings question ($answered answers)"
    box=$(xdotool search --onlyvisible --name '^Vistrelle$' 2>/dev/null | head -n 1)
    if [[ -n $box ]]; then
        xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box" 2>/dev/null
        xdotool key --clearmodifiers Return
        answered=$((answered + 1))
    fi
    sleep 0.2
done
wait "$pid"
status=$?
pid=
((status == 0)) || fail "the first start ended with status $status"
param=$XDG_CONFIG_HOME/vistrelle/param.txt
[[ -s $param ]] || fail "no settings written under $XDG_CONFIG_HOME/vistrelle: $(ls -R "$XDG_CONFIG_HOME" 2>&1)"

# settings_found PROGRAM MESSAGE: starts it and fails with MESSAGE if, once
# its main window is up and its settings read (first tick of the start hint),
# it asks about them.
settings_found() {
    "${wrap[@]}" "$1" >"$VIS_TMP/app.log" 2>&1 &
    pid=$!
    wait_for_window '^Vistrelle \.\.\.$' 20 >/dev/null || fail "no main window"
    sleep 1
    [[ -z $(xdotool search --onlyvisible --name '^Vistrelle$' 2>/dev/null) ]] || fail "$2"
    kill "$pid"
    wait "$pid" 2>/dev/null
    pid=
}

# Second start: the settings are read back from there.
settings_found "$ro/bin/vistrelle" "the settings under XDG_CONFIG_HOME were not read back"
find "$ro" -printf '%p %s %T@\n' | sort >"$VIS_TMP/tree.after"
diff "$VIS_TMP/tree.before" "$VIS_TMP/tree.after" >&2 || fail "the program changed its installed tree"

# Through the link, the program's folder is lib/vistrelle: a param.txt there
# (writable tree, no user settings) is the one it reads.
cp "$param" "$lib/param.txt"
export XDG_CONFIG_HOME=$VIS_TMP/config2
wrap=()
settings_found "$prefix/bin/vistrelle" "started through bin/vistrelle, it did not read lib/vistrelle/param.txt"
echo "ok: settings in $param ($(wc -c <"$param") bytes), installed tree untouched"
