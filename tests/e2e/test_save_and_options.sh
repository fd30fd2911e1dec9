# SPDX-License-Identifier: GPL-3.0-or-later
# Saving one capture through the dialog, and the options dialog: its folder
# box, Parcourir and the record its OK button writes. Each case runs on a
# program of its own.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"

# Places in the options dialog's client area (twips / 15): the folder box,
# Parcourir and OK.
FOLDER_BOX=(100 41)
PARCOURIR=(624 40)
OK_BUTTON=(608 168)

open_options() {
    local options
    menu_entry "$MAIN_WIN" alt+o p || fail "the Outils menu is out of reach"
    # A loaded machine (four scripts side by side) may take its time.
    options=$(wait_for_window '^Options utilisateur$' 30) || fail "Outils > Options showed no dialog"
    # Filled once shown: a user reads before typing.
    sleep 0.5
    echo "$options"
}

# wait_for_file FILE: the file exists within a few seconds.
wait_for_file() {
    local deadline=$((SECONDS + 5))
    until [[ -s $1 ]]; do
        ((SECONDS <= deadline)) || return 1
        sleep 0.1
    done
    sleep 0.2
}

# Button 4 proposes Capture01 in the settings' folder, then the next number.
save_with_proposal() {
    start_app
    capture_region 1
    local list name dialog
    list=$(wait_for_window '^Collection$' 10) || fail "no collection window"
    for name in Capture01 Capture02; do
        click_button 4
        dialog=$(wait_for_new_active "$MAIN_WIN" "$list") || fail "button 4 opened no dialog"
        sleep 0.5
        xdotool key --clearmodifiers Return
        wait_until_gone "$dialog" 5 || fail "the save dialog did not take its proposal $name"
        wait_for_file "$OUT_DIR/$name.jpg" || fail "no $name.jpg in $OUT_DIR: $(ls "$OUT_DIR")"
        [[ $(jpeg_size "$OUT_DIR/$name.jpg") == "240 160" ]] ||
            fail "$name.jpg is $(jpeg_size "$OUT_DIR/$name.jpg"), not the 240 x 160 region"
    done
    [[ $(ls "$OUT_DIR" | tr '\n' ' ') == "Capture01.jpg Capture02.jpg " ]] || fail "in $OUT_DIR: $(ls "$OUT_DIR")"
}

# parcourir OPTIONS FOLDER: Parcourir, then the folder typed into the name
# box (nothing typed when FOLDER is empty) and the preset name accepted.
parcourir() {
    local options=$1 folder=$2 dialog
    xdotool mousemove --window "$options" "${PARCOURIR[@]}" click 1
    dialog=$(wait_for_new_active "$options") || fail "Parcourir opened no dialog"
    sleep 0.5
    if [[ -n $folder ]]; then
        xdotool key --clearmodifiers ctrl+a
        xdotool type "$folder"
        xdotool key Return
        sleep 0.5
    fi
    if is_viewable "$dialog"; then
        xdotool key --clearmodifiers ctrl+a
        xdotool type Capture
        xdotool key Return
    fi
    wait_until_gone "$dialog" 3 || fail "the dialog of Parcourir refused the preset name in ${folder:-its first folder}"
}

# Parcourir starts in the settings' folder and takes any folder, an empty
# one too; the folder box then shows the folder chosen.
parcourir_empty_folder() {
    start_app
    local options box empty=$VIS_TMP/vide
    mkdir -p "$empty"
    options=$(open_options)
    parcourir "$options" ""
    box=$(read_box "$options" "${FOLDER_BOX[@]}")
    [[ $box == "$OUT_DIR" ]] || fail "after Parcourir accepted at once the folder box shows '$box', not '$OUT_DIR'"
    parcourir "$options" "$empty"
    box=$(read_box "$options" "${FOLDER_BOX[@]}")
    [[ $box == "$empty" ]] || fail "after Parcourir into an empty folder the folder box shows '$box'"
}

# OK writes the record: the folder typed, blank-padded to 100, then every
# other setting as loaded, 120 characters and CR LF. The box shows the folder
# again without the padding.
options_ok_record() {
    local settings="0000151005Capt9 0" folder=$VIS_TMP/autre options box
    start_app "$settings"
    mkdir -p "$folder"
    options=$(open_options)
    xdotool mousemove --window "$options" "${FOLDER_BOX[@]}" click 1
    xdotool key --clearmodifiers ctrl+a
    xdotool type "$folder"
    xdotool mousemove --window "$options" "${OK_BUTTON[@]}" click 1
    wait_until_gone "$options" 5 || fail "OK did not close the options dialog"
    printf '%-100s%-20s\r\n' "$folder" "$settings" >"$VIS_TMP/expected.txt"
    cmp "$VIS_TMP/expected.txt" "$APP_DIR/param.txt" ||
        fail "param.txt is '$(cat -A "$APP_DIR/param.txt")', not '$(cat -A "$VIS_TMP/expected.txt")'"
    options=$(open_options)
    box=$(read_box "$options" "${FOLDER_BOX[@]}")
    [[ $box == "$folder" ]] || fail "the folder box shows '$box', not '$folder'"
}

run_case save_with_proposal
run_case parcourir_empty_folder
run_case options_ok_record
end_cases
