# SPDX-License-Identifier: GPL-3.0-or-later
# The shutter sound goes through libcanberra to the sound device: here the
# user's ALSA set-up sends the default device to a file, which then holds the
# sound's samples. With the desktop's event sounds switched off (XSETTINGS
# Net/EnableEventSounds 0, kept by xsettingsd), nothing is played.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"

command -v xsettingsd >/dev/null || { echo "SKIPPED: xsettingsd is not installed"; exit 0; }
raw=$VIS_TMP/sound.raw
mkdir -p "$VIS_TMP/home"
printf 'pcm.!default { type file; slave.pcm "null"; file "%s"; format "raw" }\n' "$raw" >"$VIS_TMP/home/.asoundrc"

# shutter: a whole-screen capture (button 1) with its flash and sound.
shutter() {
    start_app
    click_button 1
    wait_for_title "$MAIN_WIN" "$(count_title 1)" 15 || fail "no whole-screen capture"
    flash_gone
    sleep 0.5
    stop_app
}

shutter
[[ -s $raw ]] || fail "nothing reached the sound device"
# Samples, not silence: more than a handful of distinct byte values.
values=$(od -An -tu1 -v "$raw" | tr -s ' ' '\n' | sort -un | wc -l)
((values > 100)) || fail "the device got $(stat -c %s "$raw") bytes of near silence ($values values)"
played=$(stat -c %s "$raw")

rm -f "$raw"
printf 'Net/EnableEventSounds 0\n' >"$VIS_TMP/xsettings.conf"
xsettingsd -c "$VIS_TMP/xsettings.conf" >"$VIS_TMP/xsettingsd.log" 2>&1 &
xs=$!
trap 'stop_app; kill $xs 2>/dev/null; wait 2>/dev/null || true' EXIT
sleep 0.5
shutter
[[ ! -s $raw ]] || fail "event sounds are off, yet $(stat -c %s "$raw") bytes were played"
echo "ok: $played bytes of samples played; none with event sounds off"
