#!/usr/bin/env bash
# A second copy tells the user the program already runs, ends once the notice
# is dismissed, and leaves the first copy alone.
source "$(dirname "$0")/lib.sh"
tw_session_begin || exit 1

second_start_is_refused() {
    local dir first second box ok=0
    dir=$(tw_new_folder) || return 1
    tw_start "$dir"; first=$TW_PID
    expect "first copy: no main window within 60 s" tw_wait 60 tw_has_main_window || return 1
    expect "first copy: no dat within 60 s" tw_wait 60 tw_dat_has_size "$dir/dat" 119 || return 1
    cp -p "$dir/dat" "$dir.before"

    tw_start "$dir"; second=$TW_PID
    expect "second copy: no message box titled \"Tunewhistle\" within 30 s" \
        tw_wait 30 tw_has_window "$TW_NOTICE_TITLE_RE" || return 1
    # The notice waits for the user.
    expect "second copy ended before its notice was dismissed" tw_alive "$second" || ok=1

    box=$(tw_windows "$TW_NOTICE_TITLE_RE" | head -n 1)
    tw_press_return "$box"
    expect "second copy still running 20 s after Return on its notice" tw_wait 20 tw_dead "$second" || ok=1
    expect "the notice is still shown" tw_wait 10 tw_window_gone "$TW_NOTICE_TITLE_RE" || ok=1

    expect "first copy ended" tw_alive "$first" || ok=1
    expect "first copy lost its main window" tw_has_main_window || ok=1
    expect_eq "$(tw_main_windows_count)" 1 "main windows on screen" || ok=1
    expect "the second copy rewrote dat" cmp -s "$dir/dat" "$dir.before" || ok=1
    expect_eq "$(tw_mtime "$dir/dat")" "$(tw_mtime "$dir.before")" "dat modification time" || ok=1
    return $ok
}

tw_case "second start shows the notice, ends on Return, first keeps running" second_start_is_refused
tw_finish
