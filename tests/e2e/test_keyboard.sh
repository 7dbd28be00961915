#!/usr/bin/env bash
# The keyboard from outside the window: the summoning chord and the media
# keys while another program is in front, and search as you type.
source "$(dirname "$0")/lib.sh"
tw_session_begin || exit 1

# Another program in front: Wine's notepad, with the keyboard focus.
notepad_in_front() {
    (tw_wine notepad >/dev/null 2>&1 &)
    expect "notepad did not open" tw_wait 30 tw_has_window 'メモ帳|Notepad' || return 1
    local id
    id=$(tw_windows 'メモ帳|Notepad' | head -n 1)
    timeout 5 xdotool windowactivate --sync "$id" >/dev/null 2>&1
    tw_focus "$id"
    expect "notepad is not in front" tw_wait 10 eval '! tw_main_is foreground 1'
}

# A window that takes the foreground by itself gets the keyboard from X
# only through a window manager; the virtual screen has none of its own.
TW_WM_PID=
# Its own settings: a black desktop (the screen is black without it, and
# the root keeps the colour after it ends), and no tray of its own.
wm_start() {
    local rc=$TW_SESSION/jwmrc
    printf '%s\n' '<?xml version="1.0"?>' '<JWM>' \
        '<Desktops width="1" height="1"><Background type="solid">#000000</Background></Desktops>' \
        '</JWM>' >"$rc"
    jwm -f "$rc" >/dev/null 2>&1 &
    TW_WM_PID=$!
    sleep 1
}
wm_stop() { [[ -n "$TW_WM_PID" ]] && kill "$TW_WM_PID" 2>/dev/null; TW_WM_PID=; }

hotkey_from_another_program() {
    local dir
    dir=$(tw_new_folder) || return 1
    tw_music "$dir/music" || return 1
    tw_dat_with "$dir" left=830 top=680 keyword=before music="$dir/music" || return 1
    tw_start_shown "$dir" || return 1
    tw_main_menu || return 1
    tw_menu_pick $TW_MENU_HIDE
    expect "the window did not hide" tw_wait 20 eval '! tw_main_viewable' || return 1
    notepad_in_front || return 1
    timeout 5 xdotool key ctrl+alt+space
    expect "the chord did not bring the window up" tw_wait 10 tw_main_viewable || return 1
    expect "the window is not in front (foreground: $(tw_main_value foreground))" \
        tw_wait 10 tw_main_is foreground 1 || return 1
    expect "the focus is not in the box (focus: $(tw_main_value focus))" tw_wait 10 tw_main_is focus box || return 1
    timeout 10 xdotool type --delay 50 "loud"
    expect "typing did not replace the keyword (box: $(tw_main_value box))" tw_wait 10 tw_main_is box loud || return 1
    timeout 5 xdotool key Return
    expect "Enter did not play it (line0: $(tw_main_value line0))" tw_wait 20 tw_line0_matches '^再生中 No\.1 ' || return 1
    tw_exit_from_menu
}

with_window_manager() {
    local rc
    wm_start
    "$@"
    rc=$?
    wm_stop
    return $rc
}

media_keys_in_the_background() {
    local dir ok=0
    dir=$(tw_new_folder) || return 1
    # Where notepad does not cover it.
    tw_play_long_list "$dir" 830 680 || return 1
    notepad_in_front || return 1
    # Each key, and what the first line then shows. From the stop, play
    # starts the track again; had the pause been taken twice, it would
    # have played on instead of showing 停止中.
    local step key want what
    for step in 'XF86AudioPlay|^停止中 No\.1|play/pause did not pause' \
        'XF86AudioPlay|^再生中 No\.1 |play/pause did not play on' \
        'XF86AudioNext|^再生中 No\.2 |next did not go on' \
        'XF86AudioStop|^停止中 No\.2$|stop did not stop' \
        'XF86AudioPlay|^再生中 No\.2 |play did not start it'; do
        IFS='|' read -r key want what <<<"$step"
        timeout 5 xdotool key "$key"
        expect "$what (line0: $(tw_main_value line0))" tw_wait 10 tw_line0_matches "$want" || ok=1
    done
    tw_focus "$(tw_main_window)"  # the menu's keys go where X sends them
    tw_exit_from_menu || return 1
    return $ok
}

# The sixth page turns search as you type on; then a keyword shows its
# count before Enter, and Enter opens the menu of its hits.
search_as_you_type() {
    local dir ok=0
    dir=$(tw_new_folder) || return 1
    tw_music "$dir/music" || return 1
    tw_dat_with "$dir" left=300 top=300 autohide=0 music="$dir/music" || return 1
    tw_start_shown "$dir" || return 1
    tw_open_settings || return 1
    tw_open_tab $SET 5 4416 || return 1
    tw_click_ctrl $SET 4416  # 入力中に検索する
    expect "the box is not ticked" tw_wait 5 eval "tw_dialog $SET | grep -q '^ctrl=4416|.*|1|1|1|'" || ok=1
    tw_click_ctrl $SET 1  # OK
    expect "the dialog did not close" tw_wait 10 tw_dialog_closed $SET || return 1

    local main try
    main=$(tw_main_window) || return 1
    # The closing dialog hands the keyboard back a moment later: type
    # again if the keys went elsewhere.
    for try in 1 2 3; do
        sleep 0.5
        tw_focus "$main"
        timeout 10 xdotool key ctrl+a
        timeout 10 xdotool type --delay 60 "band"
        tw_wait 5 tw_main_is box band && break
    done
    expect "no count before Enter (status: $(tw_status), box: $(tw_main_value box))" \
        tw_wait 10 tw_status_is '2 個のファイルが見つかりましたloud.mp3quiet.mp3' || ok=1
    expect "a menu opened before Enter" tw_menu_closed || ok=1
    timeout 5 xdotool key Return
    expect "Enter did not open the hit menu (status: $(tw_status))" tw_wait 10 tw_menu_open || ok=1
    timeout 5 xdotool key Escape
    tw_wait 10 tw_menu_closed
    tw_exit_from_menu || return 1
    expect "the setting was not kept" grep -q '^search_as_you_type=1$' <<<"$("$TW_TOOLS/dump_dat" "$dir/dat")" || ok=1
    return $ok
}

hotkey_case() { with_window_manager hotkey_from_another_program; }

tw_case 'the chord brings the hidden window over notepad, typing replaces the keyword' hotkey_case
tw_case 'media keys pause, play, skip and stop while notepad is in front' media_keys_in_the_background
tw_case 'the sixth page turns on search as you type: the count before Enter, then the menu' search_as_you_type
tw_finish
