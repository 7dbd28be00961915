#!/usr/bin/env bash
# The library keeps up with its folders by itself, and the player keeps
# its place over a restart.
source "$(dirname "$0")/lib.sh"
tw_session_begin || exit 1

# refreshed: the status reports an update; kept in TW_REFRESHED, as the
# message may be gone by the time it is looked at again.
refreshed() {
    TW_REFRESHED=$(tw_status)
    [[ "$TW_REFRESHED" =~ ^フォルダの変更を反映しました ]]
}

# tw_found WORD N: a search for WORD reports N hits (N >= 2 opens the menu,
# which is closed again).
found() {
    tw_search "$1"
    tw_wait 10 tw_status_matches "^検索(完了|中止)$2 個のファイルが見つかりました" || return 1
    if (($2 >= 2)); then
        tw_wait 10 tw_menu_open && timeout 5 xdotool key Escape && tw_wait 10 tw_menu_closed
    fi
}

follows_its_folders() {
    local dir start ok=0
    dir=$(tw_new_folder) || return 1
    tw_music "$dir/music" || return 1
    # A link back to the top, as some trees have: walked once.
    ln -s .. "$dir/music/rock/loop"
    tw_dat_with "$dir" left=300 top=300 autohide=0 music="$dir/music" || return 1
    tw_start_shown "$dir" || return 1
    expect "the banner does not count 6 files (status: $(tw_status))" \
        tw_wait 10 tw_status_matches '6 個のファイルから検索が出来ます' || return 1
    sleep 3  # past the banner

    start=$SECONDS
    cp "$dir/music/rock/loud.mp3" "$dir/music/rock/fresh one.mp3"
    cp "$dir/music/rock/loud.mp3" "$dir/music/fresh two.mp3"
    rm "$dir/music/rock/quiet.mp3"
    expect "no update within 10 s (status: $(tw_status))" tw_wait 10 refreshed || return 1
    tw_shot watch-refreshed
    expect "the update took $((SECONDS - start)) s" test $((SECONDS - start)) -le 10 || ok=1
    expect "the update does not say 2 new, 1 gone, 7 in all (status: $TW_REFRESHED)" \
        eval '[[ "$TW_REFRESHED" =~ 追加\ 2\ 個・削除\ 1\ 個\ \ 全\ 7\ 個Z: ]]' || ok=1
    sleep 3
    expect "the new files are not found (status: $(tw_status))" found fresh 2 || ok=1
    expect "the deleted file is still found (status: $(tw_status))" found quiet 0 || ok=1

    # A folder renamed: its files are found under the new name.
    mv "$dir/music/rock" "$dir/music/metal"
    expect "no update after the rename (status: $(tw_status))" tw_wait 10 refreshed || return 1
    sleep 3
    tw_search 'fresh one'
    expect "fresh one.mp3 is not in metal\\ (status: $(tw_status))" \
        tw_wait 10 tw_status_matches 'fresh one\.mp3 \( metal\\\\ \)' || ok=1
    tw_shot watch-followed
    tw_exit_from_menu || return 1
    return $ok
}

not_watched() {
    local dir ok=0
    dir=$(tw_new_folder) || return 1
    tw_music "$dir/music" || return 1
    tw_dat_with "$dir" left=300 top=300 autohide=0 watching=0 music="$dir/music" || return 1
    tw_start_shown "$dir" || return 1
    sleep 3
    cp "$dir/music/rock/loud.mp3" "$dir/music/fresh.mp3"
    sleep 6
    expect "a file was registered without watching (status: $(tw_status))" found fresh 0 || ok=1
    tw_main_menu || return 1
    tw_menu_pick $TW_MENU_REGISTER
    expect "mp3再登録 did not finish (status: $(tw_status))" tw_wait 20 tw_status_matches '^登録完了' || return 1
    sleep 3
    tw_search fresh
    expect "mp3再登録 did not find the new file (status: $(tw_status))" \
        tw_wait 10 tw_status_matches 'fresh\.mp3' || ok=1
    tw_exit_from_menu || return 1
    return $ok
}

keeps_its_place() {
    local dir ok=0
    dir=$(tw_new_folder) || return 1
    tw_play_long_list "$dir" 300 300 || return 1
    timeout 5 xdotool key XF86AudioNext
    expect "next did not go on" tw_wait 10 tw_line0_matches '^再生中 No\.2 00:0[0-2]' || return 1
    tw_wait 10 tw_line0_matches '^再生中 No\.2 00:05' || return 1
    timeout 5 xdotool key XF86AudioPlay
    expect "play/pause did not pause (line0: $(tw_main_value line0))" \
        tw_wait 10 tw_line0_matches '^停止中 No\.2' || return 1
    tw_focus "$(tw_main_window)"
    tw_exit_from_menu || return 1

    tw_start_shown "$dir" || return 1
    # Paused, the time shows half of every second.
    expect "the second entry is not waiting at 0:05 (line0: $(tw_main_value line0))" \
        tw_wait 10 tw_line0_matches '^停止中 No\.2 00:0[5-6]  -01:5' || ok=1
    # Wine hears a key only while one of its windows has the X focus.
    tw_focus "$(tw_main_window)"
    timeout 5 xdotool key XF86AudioPlay
    expect "play/pause did not go on from 0:05 (line0: $(tw_main_value line0))" \
        tw_wait 10 tw_line0_matches '^再生中 No\.2 00:0[5-9]' || ok=1
    tw_shot watch-resumed
    tw_focus "$(tw_main_window)"
    tw_exit_from_menu || return 1
    return $ok
}

tw_case "new, deleted and renamed files are followed; a link loop is walked once" follows_its_folders
tw_case "with watching off nothing changes until mp3再登録" not_watched
tw_case "the player goes on where it was left" keeps_its_place
tw_session_end
tw_finish
