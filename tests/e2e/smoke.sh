#!/usr/bin/env bash
# A short run of an exe as a person uses it: the first start in an empty
# folder, then a library searched, its hit played and 終了. Not one of
# run_all.sh's tests: tools/test.sh runs it against the i686 exe in a 32-bit
# prefix (TW_EXE=build/win32/tunewhistle.exe TW_WINEARCH=win32).
source "$(dirname "$0")/lib.sh"
tw_session_begin || exit 1

first_start_writes_the_defaults() {
    local dir ok=0
    dir=$(tw_new_folder) || return 1
    tw_start "$dir"
    expect "no 119-byte dat within 60 s of the start (size now: $(tw_size "$dir/dat" 2>/dev/null || echo none))" \
        tw_wait 60 tw_dat_has_size "$dir/dat" 119 || return 1
    # The defaults for this 1024x768 screen, as the host writes them.
    "$TW_TOOLS/make_dat" "$TW_SESSION/defaults.dat" >/dev/null || return 1
    expect_eq "$(tw_hex "$dir/dat")" "$(tw_hex "$TW_SESSION/defaults.dat")" "the first dat" || ok=1
    # The one-time notice: a framed box of the program's title.
    expect "no first-run notice within 60 s" tw_wait 60 tw_dismiss_box "$TW_MAIN_TITLE_RE" || ok=1
    expect "the main window did not show within 60 s" tw_wait 60 tw_main_viewable || ok=1
    return $ok
}

a_hit_plays_and_exit_keeps_the_search() {
    local dir ok=0
    dir=$(tw_new_folder) || return 1
    tw_music "$dir/music" || return 1
    tw_dat_with "$dir" left=300 top=300 autohide=0 music="$dir/music" || return 1
    tw_start_shown "$dir" || return 1
    tw_search loud  # one hit: it plays at once
    expect "the hit is not playing within 20 s (line0: $(tw_main_value line0))" \
        tw_wait 20 tw_line0_matches '^再生中 No\.1 [0-9][0-9]:[0-9][0-9]  -' || ok=1
    expect_eq "$(tw_main_value line1)" 'loud.mp3 ( rock\\ )' "the file playing" || ok=1
    tw_shot smoke-playing
    tw_exit_from_menu || return 1
    expect "dat does not keep the keyword" \
        eval "'$TW_TOOLS/dump_dat' '$dir/dat' | grep -qx 'keyword=loud'" || ok=1
    return $ok
}

tw_case "first start writes the 119-byte defaults and shows the window" first_start_writes_the_defaults
tw_case "a hit found by its name plays; 終了 saves and ends" a_hit_plays_and_exit_keeps_the_search
tw_finish
