#!/usr/bin/env bash
# First start in an empty folder: defaults are written to "dat" at once, the
# readme is opened through the shell, the one-time notice says where the
# program goes when it hides, and the main window comes up.
source "$(dirname "$0")/lib.sh"
tw_session_begin || exit 1

TW_NOTICE_TEXT='Tunewhistle はタスクバーの中に格納されました。\r\nタスクバーの中の音符のアイコンをクリックすることにより再度表示されます。'

tw_first_run_notice() {
    local out
    out=$(tw_probe boxes) || return 1
    grep -qxF "box=$TW_MAIN_TITLE" <<<"$out" && grep -qxF "text=$TW_NOTICE_TEXT" <<<"$out"
}

first_start_in_empty_folder() {
    local dir ok=0
    dir=$(tw_new_folder) || return 1
    tw_start "$dir"

    expect "no 119-byte dat within 60 s of the start (size now: $(tw_size "$dir/dat" 2>/dev/null || echo none))" \
        tw_wait 60 tw_dat_has_size "$dir/dat" 119 || return 1
    expect_eq "$(tw_hex -N 6 "$dir/dat")" "04 00 33 2e 31 30" "version text at bytes 0-5" || ok=1
    # 90 % of 1024x768 less the window's 180x80.
    expect_eq "$(tw_u16le "$dir/dat" 6)" 742 "WindowLeft at bytes 6-7" || ok=1
    expect_eq "$(tw_u16le "$dir/dat" 8)" 611 "WindowTop at bytes 8-9" || ok=1

    expect "readme.txt was not opened (no window named readme within 60 s)" \
        tw_wait 60 tw_has_window readme || ok=1
    # A fresh start begins hidden, and that first hiding is explained once.
    expect "no first-run notice within 60 s" tw_wait 60 tw_first_run_notice || ok=1
    tw_dismiss_box "$TW_MAIN_TITLE_RE" || ok=1
    # Then it fades in and hides only after some seconds of rest.
    expect "no borderless window \"$TW_MAIN_TITLE\" shown within 60 s" \
        tw_wait 60 tw_main_viewable || ok=1
    expect "the notice came again" eval "! tw_wait 3 tw_first_run_notice" || ok=1
    expect "the program ended by itself" tw_alive "$TW_PID" || ok=1

    # The write goes through a temporary file; none may be left behind.
    expect_eq "$(cd "$dir" && ls -A | tr '\n' ' ')" "dat readme.txt tunewhistle.exe version.txt " \
        "files in the program folder" || ok=1

    ((ok == 0)) && cp "$dir/dat" "$TW_SESSION/valid.dat"
    return $ok
}

tw_case "first start writes a 119-byte dat, opens the readme, shows the window" first_start_in_empty_folder
tw_finish
