# SPDX-License-Identifier: GPL-3.0-or-later
# The installed tree: cmake --install gives bin/vistrelle, the data files in
# share/vistrelle, a valid menu entry, metainfo, manual pages and the theme
# icons, all named by the program's id. Started from a read-only copy of that
# tree, the program finds its data files there and keeps its settings under
# XDG_CONFIG_HOME; started from a tree it could write (root's case), it still
# writes nothing into it.
set -u
source "$VIS_E2E_LIB"

id=org.vistrelle.Vistrelle
build=${VIS_BUILD_DIR:?VIS_BUILD_DIR names the build folder}
prefix=$VIS_TMP/prefix
cmake --install "$build" --prefix "$prefix" >"$VIS_TMP/install.log" 2>&1 ||
    { cat "$VIS_TMP/install.log" >&2; fail "cmake --install failed"; }

data=$prefix/share/vistrelle
[[ -x $prefix/bin/vistrelle && -f $data/camera.bmp && -f $data/camera.wav && -f $data/vistrelle.png ]] ||
    fail "bin/vistrelle or the data files are missing: $(ls "$prefix/bin" "$data")"
[[ ! -e $data/param.txt ]] || fail "a settings file was installed"
[[ ! -e $prefix/lib ]] || fail "something went under lib/: $(find "$prefix/lib")"
for f in share/metainfo/$id.metainfo.xml share/man/man1/vistrelle.1.gz share/man/fr/man1/vistrelle.1.gz \
    share/icons/hicolor/scalable/apps/$id.svg; do
    [[ -s $prefix/$f ]] || fail "no $f"
done

entry=$prefix/share/applications/$id.desktop
report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $report"
# Hints are advice (two main categories are meant); warnings are not accepted.
! grep -Eq ': (warning|error):' <<<"$report" || fail "desktop-file-validate: $report"
for line in 'Exec=vistrelle' "Icon=$id" 'Categories=Graphics;Utility;' 'Actions=region;screen;window;repeat;' \
    'Exec=vistrelle --region' 'Exec=vistrelle --screen' 'Exec=vistrelle --window' 'Exec=vistrelle --repeat'; do
    grep -qxF "$line" "$entry" || fail "no '$line' in the desktop entry"
done

# Each theme icon is a PNG of its folder's size (width and height from IHDR).
for n in 16 22 24 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${n}x$n/apps/$id.png
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
! "${wrap[@]}" touch "$ro/share/vistrelle/probe" 2>/dev/null || fail "the copy of the tree can be written"
find "$ro" -printf '%p %s %T@\n' | sort >"$VIS_TMP/tree.before"

export HOME=$VIS_TMP/home XDG_CONFIG_HOME=$VIS_TMP/config
mkdir -p "$HOME"
cd "$VIS_TMP" || exit 1
pid=
trap '[[ -n $pid ]] && kill $pid 2>/dev/null; wait 2>/dev/null' EXIT

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

# First start: no settings anywhere, so the defaults are written there
# without a question, and the program goes on.
settings_found "$ro/bin/vistrelle" "the first start asked about its settings"
param=$XDG_CONFIG_HOME/vistrelle/param.txt
[[ -s $param ]] || fail "no settings written under $XDG_CONFIG_HOME/vistrelle: $(ls -R "$XDG_CONFIG_HOME" 2>&1)"

# Second start: the settings are read back from there.
settings_found "$ro/bin/vistrelle" "the settings under XDG_CONFIG_HOME were not read back"
find "$ro" -printf '%p %s %T@\n' | sort >"$VIS_TMP/tree.after"
diff "$VIS_TMP/tree.before" "$VIS_TMP/tree.after" >&2 || fail "the program changed its installed tree"

# A tree the program could write, as root can /usr: its settings still go
# to the user's folder, and the tree stays as installed.
export XDG_CONFIG_HOME=$VIS_TMP/config2
wrap=()
find "$prefix" -printf '%p %s\n' | sort >"$VIS_TMP/tree.before"
settings_found "$prefix/bin/vistrelle" "the first start from the writable tree asked about its settings"
[[ -s $XDG_CONFIG_HOME/vistrelle/param.txt ]] || fail "the settings did not go to $XDG_CONFIG_HOME/vistrelle"
find "$prefix" -printf '%p %s\n' | sort >"$VIS_TMP/tree.after"
diff "$VIS_TMP/tree.before" "$VIS_TMP/tree.after" >&2 || fail "the program wrote into its writable installed tree"
echo "ok: settings in $param ($(wc -c <"$param") bytes), installed trees untouched, read-only or not"
