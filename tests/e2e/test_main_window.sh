#!/usr/bin/env bash
# The main window as a person meets it: where it appears and how it looks,
# a search typed into it, dragging it, leaving it alone until it hides, and
# files dropped on it. Read through tw_probe.exe, driven with xdotool and
# xdnd_drop.
source "$(dirname "$0")/lib.sh"
tw_session_begin || exit 1

window_is_placed_shaped_and_outlined() {
    local dir ok=0
    dir=$(tw_new_folder) || return 1
    tw_music "$dir/music" || return 1
    tw_dat_with "$dir" left=200 top=150 autohide=0 music="$dir/music" || return 1
    tw_start_shown "$dir" || return 1
    # First, while the banner's 2.5 s last (each probe takes a while).
    expect "the file count is not on the second line: $(tw_main_value line1)" \
        tw_main_matches line1 '^6 個のファイルから検索が出来' || ok=1

    # The size, the lines and the region from one look: the banner may end
    # between two.
    tw_main_rect || return 1
    expect_eq "$TW_L,$TW_T,$TW_W" "200,150,180" "left, top, width" || ok=1
    expect_eq "$TW_H" $((31 + 13 * TW_LINES)) "height for $TW_LINES lines" || ok=1
    expect_eq "$(tw_main_value topmost)" 1 "top-most" || ok=1
    # Rounded corners: none of the four corner pixels is the window's.
    expect_eq "$TW_IN_REGION" "0,0,0,0,1,1,1,0" "corners, edges and middle in the region" || ok=1
    # On the screen: the outline in the line colour, the background inside.
    # Waited for: the window may still be fading in.
    tw_wait 5 outline_quietly 0,0,255 || { tw_outline_is 0,0,255; ok=1; }
    expect_eq "$(tw_pixel 280 155)" "0,0,255" "frame round the keyword box" || ok=1
    expect_eq "$(tw_pixel 203 $((150 + 28)))" "200,200,255" "background" || ok=1
    # Xvfb's bare root window is black.
    expect_eq "$(tw_pixel 200 150)" "0,0,0" "top left corner (cut off)" || ok=1
    return $ok
}

# outline_at LINES COLOUR WHEN: the window is sized for LINES status lines
# (for those it shows, when LINES is empty) and its outline has all four
# edges in COLOUR. Lines and height from one look.
outline_at() {
    tw_main_rect || return 1
    local n=${1:-$TW_LINES}
    expect_eq "$TW_LINES,$TW_H" "$n,$((31 + 13 * n))" "lines and height $3" || return 1
    tw_wait 5 outline_quietly "$2" || { tw_outline_is "$2"; echo "  ($3)" >&2; return 1; }
}

outline_quietly() { tw_outline_is "$1" 2>/dev/null; }

# wait_lines N: the status comes to show N lines.
wait_lines() { tw_wait "${2:-15}" eval '[[ "$(tw_lines_shown)" == '"$1"' ]]'; }

outline_keeps_its_four_edges() {
    local dir ok=0 line=160,32,96 deep
    dir=$(tw_new_folder) || return 1
    tw_music "$dir/music" || return 1
    # Deep enough that its play status fills every line.
    deep="$dir/music/$(printf 'a%.0s' {1..60})/$(printf 'b%.0s' {1..60})"
    mkdir -p "$deep" "$dir/m" && cp "$dir/music/rock/loud.mp3" "$deep/deep.mp3" || return 1
    cp "$dir/music/rock/loud.mp3" "$dir/m/x.mp3" || return 1
    tw_dat_with "$dir" left=20 top=20 autohide=0 music="$dir/music" textcolor=$line backcolor=255,240,200 ||
        return 1
    tw_start_shown "$dir" || return 1
    outline_at "" $line "with the start banner" || ok=1
    # The banner gives way to the one-line idle text: the window shrinks.
    expect "no idle text within 10 s" tw_wait 10 tw_status_is '停止  待機しています' ||
        { echo "  status: $(tw_status)" >&2; return 1; }
    outline_at 1 $line "shrunk to the idle text" || ok=1
    tw_shot outline-1-line

    expect "the drop was not taken" timeout 30 "$TW_TOOLS/xdnd_drop" 120 50 "$deep/deep.mp3" || return 1
    expect "no six-line play status" wait_lines 6 || { echo "  status: $(tw_status)" >&2; return 1; }
    outline_at 6 $line "six lines" || ok=1
    tw_shot outline-6-lines
    expect "the drop was not taken" timeout 30 "$TW_TOOLS/xdnd_drop" 120 50 "$dir/m/x.mp3" || return 1
    expect "no three-line play status" wait_lines 3 || { echo "  status: $(tw_status)" >&2; return 1; }
    outline_at 3 $line "shrunk from six to three lines" || ok=1
    tw_shot outline-3-lines

    # Covered by the menu, then uncovered.
    tw_main_menu || return 1
    timeout 5 xdotool key Escape Escape
    tw_wait 10 tw_menu_closed || return 1
    sleep 0.3
    outline_at 3 $line "after the menu closed over it" || ok=1

    # A new line colour previewed from the settings, then cancelled.
    tw_open_settings || return 1
    tw_open_tab $SET 1 4203 || return 1
    tw_click_ctrl $SET 4203  # 線の色の変更
    tw_pick_red || return 1
    expect "the line colour is not previewed" tw_wait 10 outline_quietly 255,0,0 || { tw_outline_is 255,0,0; ok=1; }
    tw_shot outline-preview
    tw_click_ctrl $SET 2  # キャンセル
    expect "the dialog did not close" tw_wait 10 tw_dialog_closed $SET || return 1
    expect "Cancel did not bring the line colour back" tw_wait 10 outline_quietly $line || ok=1
    outline_at 3 $line "after the cancel" || ok=1
    return $ok
}

typed_keyword_finds_and_plays_the_single_hit() {
    local dir ok=0 main
    dir=$(tw_new_folder) || return 1
    tw_music "$dir/music" || return 1
    tw_dat_with "$dir" autohide=0 keyword=mp3 music="$dir/music" || return 1
    tw_start_shown "$dir" || return 1
    expect_eq "$(tw_main_value box)" mp3 "keyword from dat" || ok=1

    main=$(tw_main_window) || return 1
    tw_focus "$main"
    # The old keyword is selected: typing replaces it.
    timeout 10 xdotool type --delay 50 night
    timeout 5 xdotool key Return
    expect "the hit is not playing within 20 s (line0: $(tw_main_value line0))" \
        tw_wait 20 tw_main_matches line0 '^再生中 No\.1 [0-9][0-9]:[0-9][0-9]  -' || return 1
    expect_eq "$(tw_main_value line1)" 'blue night.mp3 ( ジャズ\\ )' "file line" || ok=1
    expect_eq "$(tw_main_value box)" night "keyword box" || ok=1
    return $ok
}

drag_moves_esc_cancels_and_the_place_is_saved() {
    local dir ok=0 main x y
    dir=$(tw_new_folder) || return 1
    tw_dat_with "$dir" left=300 top=300 autohide=0 || return 1
    tw_start_shown "$dir" || return 1
    main=$(tw_main_window) || return 1
    tw_focus "$main"

    # Grab it by the status line and move it 50 to the right and down.
    x=400 y=328
    timeout 5 xdotool mousemove $x $y mousedown 1
    timeout 5 xdotool mousemove $((x + 20)) $((y + 20)) sleep 0.2 mousemove $((x + 50)) $((y + 50))
    expect "the window did not follow the pointer: $(tw_main_value left),$(tw_main_value top)" \
        tw_wait 5 tw_main_is left 350 || ok=1
    timeout 5 xdotool mouseup 1
    tw_main_rect
    expect_eq "$TW_L,$TW_T" "350,350" "after the drag" || ok=1

    # A second drag, cancelled with Esc: back where it began.
    x=450 y=378
    timeout 5 xdotool mousemove $x $y mousedown 1 sleep 0.2 mousemove $((x + 80)) $((y + 20))
    tw_wait 5 tw_main_is left 430 || ok=1
    timeout 5 xdotool key Escape
    expect "Esc did not put the window back: $(tw_main_value left)" tw_wait 5 tw_main_is left 350 || ok=1
    timeout 5 xdotool mousemove $((x + 120)) $((y + 40)) sleep 0.3 mouseup 1
    tw_main_rect
    expect_eq "$TW_L,$TW_T" "350,350" "after the cancelled drag and its release" || ok=1

    # Closed as a person closes a window: the exit saves the place.
    tw_probe close
    expect "the program did not end within 20 s of the close" tw_probe wait-gone 20 || return 1
    expect_eq "$(tw_u16le "$dir/dat" 6),$(tw_u16le "$dir/dat" 8)" "350,350" "WindowLeft, WindowTop in dat" || ok=1
    return $ok
}

left_alone_it_dims_hides_and_a_key_brings_it_back() {
    local dir ok=0 main
    dir=$(tw_new_folder) || return 1
    tw_dat_with "$dir" left=300 top=300 || return 1
    tw_start_shown "$dir" || return 1
    main=$(tw_main_window) || return 1

    expect "not dimmed to 40 % within 12 s (alpha $(tw_main_value alpha))" \
        tw_wait 12 tw_main_is alpha 102 || return 1
    tw_focus "$main"
    timeout 5 xdotool key Right
    expect "a key did not bring the dimmed window back within 3 s (alpha $(tw_main_value alpha))" \
        tw_wait 3 tw_main_is layered 0 || ok=1
    local since=$SECONDS
    expect "not hidden within 15 s" tw_wait 15 tw_main_is visible 0 || return 1
    ((SECONDS - since >= 6)) || { echo "  hidden after $((SECONDS - since)) s, not 6.7" >&2; ok=1; }
    expect_eq "$(tw_main_value alpha)" 0 "alpha when hidden" || ok=1
    # A hidden window takes no keys: it stays hidden.
    timeout 5 xdotool key Right
    sleep 1
    expect_eq "$(tw_main_value visible)" 0 "visible after a key while hidden" || ok=1
    return $ok
}

dropped_file_and_folder_become_the_play_list() {
    local dir ok=0
    dir=$(tw_new_folder) || return 1
    tw_music "$dir/music" || return 1
    tw_dat_with "$dir" left=300 top=300 autohide=0 || return 1
    tw_start_shown "$dir" || return 1

    expect "the drop was not taken" \
        timeout 30 "$TW_TOOLS/xdnd_drop" 360 340 "$dir/music/rock/loud.mp3" "$dir/music/ジャズ" || return 1
    expect "no play-list message within 10 s (line0: $(tw_main_value line0))" \
        tw_wait 10 tw_main_is line0 '一括再生します  ( 2 曲 )' || ok=1
    expect "the dropped list is not playing within 20 s (line0: $(tw_main_value line0))" \
        tw_wait 20 tw_main_matches line0 '^再生中 No\.1 ' || ok=1
    expect "first entry: $(tw_main_value line1)" tw_wait 5 tw_main_matches line1 '^loud\.mp3 \( Z:\\\\' || ok=1
    return $ok
}

tw_case "window at its place, 180 x (31 + 13 n), rounded, outlined" window_is_placed_shaped_and_outlined
tw_case "the outline's four edges at 1, 3 and 6 lines and around a colour preview" outline_keeps_its_four_edges
tw_case "a typed keyword and Enter play the single hit" typed_keyword_finds_and_plays_the_single_hit
tw_case "drag moves, Esc cancels, the place is saved at exit" drag_moves_esc_cancels_and_the_place_is_saved
tw_case "left alone it dims and hides; a key brings it back" left_alone_it_dims_hides_and_a_key_brings_it_back
tw_case "a dropped file and folder become the play list" dropped_file_and_folder_become_the_play_list
tw_finish
