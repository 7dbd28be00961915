#!/usr/bin/env bash
# The popup menus as a person uses them: a right click, the arrow keys and
# Return, an access key of a hit. What the commands did is read off the
# status lines, the disk and the data file the program leaves at 終了.
source "$(dirname "$0")/lib.sh"
tw_session_begin || exit 1

registration_from_the_menu_reports_and_keeps_the_tree() {
    local dir ok=0 dump
    dir=$(tw_new_folder) || return 1
    tw_music "$dir/music" || return 1
    # A file tagged only at its front, as most recent taggers leave them.
    mkdir -p "$dir/music/front" || return 1
    head -c -128 "$dir/music/rock/loud.mp3" >"$dir/music/front/only v2.mp3" || return 1
    tw_id3v2_front "$dir/music/front/only v2.mp3" '前だけの歌' 'Frontline Duo' || return 1
    tw_dat_with "$dir" left=300 top=300 autohide=0 watch="$dir/music" || return 1
    tw_start_shown "$dir" || return 1

    expect "no main menu on a right click" tw_main_menu || return 1
    tw_shot main-menu
    tw_menu_pick $TW_MENU_REGISTER
    # A hidden folder's file counts, and so does the folder named x.mp3.
    expect "no registration report within 30 s (status: $(tw_status))" \
        tw_wait 30 tw_status_is '登録完了7個のファイルを登録し、タグ情報を読み込みました' || ok=1

    # Found by the artist its front tag names, and played: the only hit.
    tw_search frontline
    expect "the front-tagged file is not playing within 20 s (line0: $(tw_main_value line0))" \
        tw_wait 20 tw_main_matches line0 '^再生中 No\.1 ' || ok=1
    expect_eq "$(tw_main_value line1)" 'only v2.mp3 ( front\\ )' "the file playing" || ok=1

    tw_exit_from_menu || return 1
    dump=$("$TW_TOOLS/dump_dat" "$dir/dat") || return 1
    grep -qx 'registered=7' <<<"$dump" || { echo "  registered: $(grep registered= <<<"$dump")" >&2; ok=1; }
    grep -qx 'tags_read=7' <<<"$dump" || { echo "  tags read: $(grep tags_read= <<<"$dump")" >&2; ok=1; }
    local root track
    root=$(grep -m1 '^track=' <<<"$dump" | cut -d= -f2 | cut -d'|' -f1)
    for track in 'ジャズ\|blue night.mp3|Blue Night|小野 トリオ' '.hidden\|secret.mp3|Secret|Nobody' \
        'x.mp3\|inner.mp3|Inner|Nobody' '|x.mp3||' 'rock\|loud.mp3|Loud|Band' \
        'front\|only v2.mp3|前だけの歌|Frontline Duo'; do
        grep -qxF "track=$root|$track" <<<"$dump" || { echo "  no track $track in dat" >&2; ok=1; }
    done
    [[ "$root" == Z:*'\music\' ]] || { echo "  root stored as $root" >&2; ok=1; }
    return $ok
}

several_hits_open_the_hit_menu_and_its_key_plays() {
    local dir ok=0 playing dump
    dir=$(tw_new_folder) || return 1
    tw_music "$dir/music" || return 1
    tw_dat_with "$dir" left=300 top=300 autohide=0 music="$dir/music" || return 1
    tw_start_shown "$dir" || return 1

    # The menu opens where the pointer is: put there before the search,
    # which may open the menu before another command of ours runs.
    timeout 5 xdotool mousemove 420 335
    tw_search band
    expect "the hit menu did not open by itself within 20 s" tw_wait 20 tw_menu_open || return 1
    expect_eq "$(tw_probe menu | sed -n 's/^menu_rect=\([0-9]*,[0-9]*\),.*/\1/p' | head -n 1)" 420,335 \
        "the hit menu's corner" || ok=1
    expect_eq "$(tw_status)" '検索完了2 個のファイルが見つかりました' "status with the menu open" || ok=1
    tw_shot hit-menu
    timeout 5 xdotool key 2  # the access key of the second hit
    expect "the second hit is not playing within 20 s (status: $(tw_status))" \
        tw_wait 20 tw_main_matches line0 '^再生中 No\.1 ' || return 1
    playing=$(tw_main_value line1)

    tw_exit_from_menu || return 1
    dump=$("$TW_TOOLS/dump_dat" "$dir/dat") || return 1
    local second
    second=$(grep '^hit=' <<<"$dump" | sed -n 2p | cut -d'|' -f3)
    expect_eq "$playing" "$second ( rock\\\\ )" "the file playing is the second hit" || ok=1
    return $ok
}

play_all_shuffle_rename_and_exit_saves_it_all() {
    local dir ok=0 old dump
    dir=$(tw_new_folder) || return 1
    tw_music "$dir/music" || return 1
    tw_dat_with "$dir" left=300 top=300 autohide=0 keyword=mp3 music="$dir/music" || return 1
    tw_start_shown "$dir" || return 1

    tw_search band
    tw_wait 20 tw_menu_open || return 1
    timeout 5 xdotool key Escape
    tw_wait 10 tw_menu_closed
    # 一括再生 from the main menu: the hits become the play list.
    tw_main_menu || return 1
    tw_menu_pick $TW_MENU_PLAY_ALL
    expect "play all did not start (status: $(tw_status))" \
        tw_wait 10 tw_status_is '一括再生します  ( 2 曲 )' || ok=1
    tw_main_menu || return 1
    tw_menu_pick $TW_MENU_SHUFFLE
    expect "shuffle did not report (status: $(tw_status))" \
        tw_wait 10 tw_status_matches '^曲順をシャッフルしました' || ok=1

    # ファイル名変更 from the file operations: the box asks for the name.
    tw_main_menu || return 1
    tw_menu_pick $TW_MENU_FILE_OPS right
    expect "no rename prompt (status: $(tw_status))" \
        tw_wait 10 tw_status_matches '^ファイル名を変更します' || return 1
    old=$(tw_main_value box)
    [[ "$old" == loud.mp3 || "$old" == quiet.mp3 ]] || { echo "  box holds $old" >&2; return 1; }
    timeout 10 xdotool type --delay 50 renamed.mp3
    timeout 5 xdotool key Return
    expect "no rename report (status: $(tw_status))" tw_wait 10 tw_status_is "変更しました$old" || ok=1
    expect "$old was not renamed on disk" test -f "$dir/music/rock/renamed.mp3" || ok=1
    expect "$old is still on disk" test ! -e "$dir/music/rock/$old" || ok=1
    expect_eq "$(tw_main_value box)" band "keyword back in the box" || ok=1

    tw_exit_from_menu || return 1
    dump=$("$TW_TOOLS/dump_dat" "$dir/dat") || return 1
    expect_eq "$(grep '^keyword=' <<<"$dump")" keyword=band "keyword in dat" || ok=1
    expect_eq "$(grep -c '^hit=.*|rock\\|' <<<"$dump")" 2 "hits in dat" || ok=1
    expect_eq "$(grep '^play_count=' <<<"$dump")" play_count=2 "play list length in dat" || ok=1
    grep -q '^play=.*|rock\\|renamed.mp3$' <<<"$dump" || { echo "  the play list lacks the new name" >&2; ok=1; }
    grep -q '^hit=.*|rock\\|renamed.mp3$' <<<"$dump" || { echo "  the hits lack the new name" >&2; ok=1; }
    grep -q '^track=.*|rock\\|renamed.mp3|' <<<"$dump" || { echo "  the library lacks the new name" >&2; ok=1; }
    grep -qx 'registered=6' <<<"$dump" || { echo "  library not kept" >&2; ok=1; }
    return $ok
}

tw_case "main menu: mp3再登録 registers the tree; 終了 keeps it in dat" registration_from_the_menu_reports_and_keeps_the_tree
tw_case "several hits open the hit menu; its access key plays the hit" several_hits_open_the_hit_menu_and_its_key_plays
tw_case "一括再生, 曲順シャッフル, ファイル名変更; 終了 saves it all" play_all_shuffle_rename_and_exit_saves_it_all
tw_finish
