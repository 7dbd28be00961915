#!/usr/bin/env bash
# A valid data file is used as it is: no readme, no rewrite, and the window
# goes where the file says.
source "$(dirname "$0")/lib.sh"
tw_session_begin || exit 1

valid_dat_is_used_and_kept() {
    local valid dir ok=0 main
    valid=$(tw_valid_dat) || return 1
    dir=$(tw_new_folder) || return 1
    # WindowLeft (bytes 6-7) = 100, WindowTop (bytes 8-9) = 200.
    {
        head -c 6 "$valid"
        printf '\x64\x00\xc8\x00'
        tail -c +11 "$valid"
    } >"$dir/dat"
    touch -d '2001-02-03 04:05:06' "$dir/dat"
    cp -p "$dir/dat" "$dir.before"
    tw_start "$dir"

    expect "no main window within 60 s" tw_wait 60 tw_has_main_window || return 1
    main=$(tw_main_window)
    tw_wait 10 tw_window_at_x "$main" 100 ||
        { expect_eq "$(tw_window_x "$main")" 100 "main window x"; ok=1; }
    expect_eq "$(tw_window_y "$main")" 200 "main window y" || ok=1
    # The readme would be opened before the window is shown; give notepad a
    # moment to come up before deciding it did not.
    expect "readme.txt was opened although dat is valid" \
        tw_absent_for 5 readme || ok=1
    expect "dat was rewritten: its bytes changed" cmp -s "$dir/dat" "$dir.before" || ok=1
    expect_eq "$(tw_mtime "$dir/dat")" "$(tw_mtime "$dir.before")" "dat modification time" || ok=1
    expect "the program ended by itself" tw_alive "$TW_PID" || ok=1
    return $ok
}

tw_case "valid dat is kept, no readme, window placed at (100, 200)" valid_dat_is_used_and_kept
tw_finish
