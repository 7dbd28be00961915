#!/usr/bin/env bash
# The settings and version dialogs, opened from the main menu and used with
# the mouse and keys as a person would, read through the probe.
source "$(dirname "$0")/lib.sh"
tw_session_begin || exit 1

VER=Tunewhistle.Version
TW_MENU_VERSION=7

# page_shows INDEX EXPECTED...: after a click on tab INDEX, exactly these
# "ID|caption" controls of the pages are visible (OK, Cancel and the strip
# are always there).
page_shows() {
    local index=$1; shift
    local got want
    want=$(printf '%s\n' "$@" | sort)
    # The first expected control shows once the page has switched.
    tw_open_tab $SET "$index" "${1%%|*}" || return 1
    got=$(tw_visible_ctrls $SET | grep -v -E '^(1|2|4600)\|' | sort)
    [[ "$got" == "$want" ]] && return 0
    printf '  page %s shows:\n%s\n  expected:\n%s\n' "$index" "$got" "$want" >&2
    return 1
}

settings_pages_hold_their_controls() {
    local dir ok=0 out
    dir=$(tw_new_folder) || return 1
    tw_dat_with "$dir" left=20 top=20 autohide=0 || return 1
    tw_start_shown "$dir" || return 1
    tw_open_settings || return 1
    out=$(tw_dialog $SET)
    expect_eq "$(sed -n 's/^dialog=//p' <<<"$out")" "Tunewhistle 3.10" "dialog title" || ok=1
    expect_eq "$(grep '^tab=' <<<"$out" | cut -d'|' -f4 | tr '\n' ' ')" \
        "mp3フォルダ 配色 内部プレイヤー 検索 その他 拡張 " "tab captions" || ok=1
    expect_eq "$(grep '^ctrl=1|\|^ctrl=2|' <<<"$out" | cut -d'|' -f7 | tr '\n' ' ')" "OK キャンセル " "buttons" || ok=1
    expect_eq "$(grep '^columns=' <<<"$out")" "columns=4100|フォルダ,子フォルダ" "folder list columns" || ok=1
    # "フォルダ" 65 % and "子フォルダ" 20 % of the list's width, rounded.
    local lw
    lw=$(grep '^ctrl=4100|' <<<"$out" | cut -d'|' -f3 | cut -d, -f3)
    expect_eq "$lw" 353 "folder list width (5295 twips)" || ok=1
    expect_eq "$(sed -n 's/^column_widths=4100|//p' <<<"$out")" \
        "$(((lw * 65 + 50) / 100)),$(((lw * 20 + 50) / 100))" "folder list column widths" || ok=1

    page_shows 0 '4000|検索対象にしたいmp3が格納されているフォルダを設定します。' '4100|' '4200|追加' \
        '4201|削除' || ok=1
    page_shows 1 '4202|背景色の変更' '4300|' '4001|ウインドウ内の背景の色を設定します。' '4203|線の色の変更' \
        '4301|' '4002|ウインドウに描写する線の色を設定します。' || ok=1
    page_shows 2 '4400|内部プレイヤーを使用する' '4401|全曲をループする' \
        '4402|再生リスト登録時に曲順をシャッフルする' '4003|ホイール 上方向' '4004|ホイール 下方向' \
        '4005|第３ボタン' '4006|第４ボタン' '4007|第５ボタン' '4500|前の曲' '4501|次の曲' \
        '4502|再生/一時停止' '4503|早送り' '4504|巻戻し' '4204|デフォルト' || ok=1
    page_shows 3 '4408|ファイル名を検索対称にする' '4409|パス名を検索対称にする' \
        '4410|ファイルのタグ情報を検索対称に使う' '4411|トラック名を検索対称にする' \
        '4412|アーティスト名を検索対称にする' '4413|アルバム名を検索対称にする' \
        '4414|コメントを検索対称にする' || ok=1
    page_shows 4 '4403|自動的にウィンドウ隠す' '4404|常に手前に表示する' '4405|外部プレイヤーで一括再生しない' \
        '4406|テキスト部分を隠す' '4407|ウィンドウの透明処理を無効にする' || ok=1
    page_shows 5 '4008|ウィンドウを呼び出すホットキー' '4700|' '4415|メディアキーで内部プレイヤーを操作する' \
        '4416|入力中に検索する' '4417|タグは ID3v2 を ID3v1 より優先する' \
        '4418|フォルダを監視して変更を自動で登録する' '4419|前回停止した位置から再生を再開する' || ok=1
    out=$(tw_dialog $SET)
    expect_eq "$(grep -E '^ctrl=441(5|6|7|8|9)\|' <<<"$out" | cut -d'|' -f6 | tr -d '\n')" "10111" \
        "media keys on, search as you type off, ID3v2 first, watching and resuming on" || ok=1
    expect_eq "$(sed -n 's/^hotkey=//p' <<<"$out")" "4700|1568" "the hotkey control holds Ctrl+Alt+Space" || ok=1
    # The check boxes show the settings (translucency on: "disable" clear).
    out=$(tw_dialog $SET)
    expect_eq "$(grep -E '^ctrl=44(03|04|07)\|' <<<"$out" | cut -d'|' -f6 | tr -d '\n')" "010" \
        "auto-hide (off in this dat), on top, no translucency" || ok=1

    # Cancel, then open it again: the mapping lists still hold ten names.
    tw_click_ctrl $SET 2
    expect "Cancel did not close the dialog" tw_wait 10 tw_dialog_closed $SET || return 1
    tw_open_settings || return 1
    local n
    for n in 4500 4501 4502 4503 4504; do
        expect_eq "$(tw_dialog $SET | sed -n "s/^items=$n|//p" | tr ',' '\n' | wc -l)" 10 "items of $n" || ok=1
    done
    expect_eq "$(tw_dialog $SET | sed -n 's/^items=4500|//p')" \
        "停止ボタン,再生/一時停止,再生,再生中の曲,早送り,巻戻し,次の曲,前の曲,次の曲/早送り,前の曲/巻戻し" \
        "the command names" || ok=1
    tw_click_ctrl $SET 2
    return $ok
}

internal_player_off_empties_the_play_list() {
    local dir ok=0 dump
    dir=$(tw_new_folder) || return 1
    tw_music "$dir/music" || return 1
    tw_dat_with "$dir" left=20 top=20 autohide=0 music="$dir/music" || return 1
    tw_start_shown "$dir" || return 1
    tw_focus "$(tw_main_window)"
    timeout 10 xdotool type --delay 50 night
    timeout 5 xdotool key Return
    expect "the hit is not playing" tw_wait 20 tw_main_matches line0 '^再生中 No\.1 ' || return 1

    tw_open_settings || return 1
    tw_open_tab $SET 2 4400 || return 1
    tw_click_ctrl $SET 4400  # 内部プレイヤーを使用する
    expect "the player options were not greyed" \
        tw_wait 5 eval "tw_dialog $SET | grep -q '^ctrl=4401|.*|1|0|'" || ok=1
    tw_click_ctrl $SET 1  # OK
    expect "OK did not close the dialog" tw_wait 10 tw_dialog_closed $SET || return 1
    # The external player's resting text; the player and its list are gone.
    expect "no resting text of the external player (status: $(tw_status))" \
        tw_wait 10 tw_status_is '検索する語句を入力してください' || ok=1
    tw_exit_from_menu || return 1
    dump=$("$TW_TOOLS/dump_dat" "$dir/dat") || return 1
    expect_eq "$(grep '^play_count=' <<<"$dump")" play_count=0 "play list in dat" || ok=1
    expect_eq "$(grep '^internal_player=' <<<"$dump")" internal_player=0 "internal player in dat" || ok=1
    return $ok
}

# browse_to PATH: in the open folder browser, from the computer through
# Z: and each folder of PATH (a Unix path), chosen with the keys.
browse_to() {
    local out cx cy x y w h part
    tw_wait 10 tw_dialog_open '#32770' || return 1
    out=$(tw_dialog '#32770')
    IFS=, read -r cx cy <<<"$(sed -n 's/^client=//p' <<<"$out")"
    IFS=, read -r x y w h <<<"$(grep '|SysTreeView32|' <<<"$out" | cut -d'|' -f3)"
    # A click on the first row gives the tree the keys; then down to Z:.
    timeout 5 xdotool mousemove $((cx + x + 40)) $((cy + y + 9)) click 1
    sleep 0.3
    timeout 5 xdotool key Home Down Down  # the computer, (C:), (Z:)
    IFS=/ read -r -a parts <<<"${1#/}"
    for part in "${parts[@]}"; do
        sleep 0.5
        timeout 5 xdotool key Right
        sleep 0.5
        timeout 10 xdotool type --delay 120 "$part"
    done
    sleep 0.5
    timeout 5 xdotool key Return
}

# The folder's name has a letter code page 932 lacks: it must come back
# whole after a restart, not as a look-alike that does not exist.
a_folder_added_in_the_dialog_is_registered_and_kept() {
    local dir ok=0 dump music
    dir=$(tw_new_folder) || return 1
    music="$dir/Sigur Rós"
    tw_music "$music" || return 1
    tw_dat_with "$dir" left=20 top=20 autohide=0 || return 1
    tw_start_shown "$dir" || return 1
    tw_open_settings || return 1
    tw_click_ctrl $SET 4200 || return 1  # 追加
    browse_to "$music" || return 1
    # "子フォルダも読み込みますか？": Yes.
    expect "no question about the sub-folders" \
        tw_wait 10 eval "tw_probe boxes | grep -qxF 'text=子フォルダも読み込みますか？'" || return 1
    tw_dismiss_box '^Tunewhistle 3\.10$'
    expect "the folder is not in the list" \
        tw_wait 10 eval "tw_dialog $SET | grep -qi '^row=4100|0|.*sigur rós.*|読み込む$'" || return 1
    tw_click_ctrl $SET 1
    expect "no registration after OK (status: $(tw_status))" \
        tw_wait 30 tw_status_is '登録完了6個のファイルを登録し、タグ情報を読み込みました' || ok=1
    tw_exit_from_menu || return 1
    dump=$("$TW_TOOLS/dump_dat" "$dir/dat") || return 1
    local want
    want="folder=$(tr 'A-Z/' 'a-z\\' <<<"z:$music")\\|sub"
    expect_eq "$(grep '^folder=' <<<"$dump")" "$want" "folder in dat" || ok=1
    grep -qx 'registered=6' <<<"$dump" || { echo "  $(grep registered= <<<"$dump")" >&2; ok=1; }

    # After a restart the folder is still there and registers again.
    tw_start_shown "$dir" || return 1
    tw_main_menu || return 1
    tw_menu_pick 4  # mp3再登録
    expect "no registration after the restart (status: $(tw_status))" \
        tw_wait 30 tw_status_is '登録完了6個のファイルを登録し、タグ情報を読み込みました' || ok=1
    tw_exit_from_menu || return 1
    return $ok
}

cancel_after_a_colour_preview_restores_the_window() {
    local dir ok=0
    dir=$(tw_new_folder) || return 1
    tw_dat_with "$dir" left=20 top=20 autohide=0 || return 1
    tw_start_shown "$dir" || return 1
    expect_eq "$(tw_pixel 23 48)" "200,200,255" "background before" || return 1
    tw_open_settings || return 1
    tw_open_tab $SET 1 4202 || return 1
    tw_click_ctrl $SET 4202  # 背景色の変更
    tw_pick_red || return 1
    expect "the colour is not previewed on the window (pixel $(tw_pixel 23 48))" \
        tw_wait 10 eval '[[ "$(tw_pixel 23 48)" == 255,0,0 ]]' || ok=1
    tw_click_ctrl $SET 2  # キャンセル
    expect "Cancel did not put the colour back (pixel $(tw_pixel 23 48))" \
        tw_wait 10 eval '[[ "$(tw_pixel 23 48)" == 200,200,255 ]]' || ok=1
    return $ok
}

# Colours of a link label's pixels, the most frequent first.
link_colors() {
    local out cx cy x y w h
    out=$(tw_dialog $VER)
    IFS=, read -r cx cy <<<"$(sed -n 's/^client=//p' <<<"$out")"
    IFS=, read -r x y w h <<<"$(grep "^ctrl=$1|" <<<"$out" | cut -d'|' -f3)"
    timeout 10 import -window root "$TW_SESSION/v.png" 2>/dev/null
    convert "$TW_SESSION/v.png" -crop "${w}x${h}+$((cx + x))+$((cy + y))" +repage -format %c histogram:info:
}
link_is() { link_colors "$1" | grep -q "($2)"; }

version_dialog_links_light_up_and_open() {
    local dir ok=0 at
    dir=$(tw_new_folder) || return 1
    tw_dat_with "$dir" left=20 top=20 autohide=0 || return 1
    tw_start_shown "$dir" || return 1
    tw_main_menu || return 1
    tw_menu_pick $TW_MENU_VERSION
    expect "the version dialog did not open" tw_wait 10 tw_dialog_open $VER || return 1
    expect_eq "$(tw_dialog $VER | grep '^ctrl=5000|' | cut -d'|' -f7)" "Tunewhistle  version 3.10" "label 0" || ok=1
    expect "the home page link is not in the plain colour" link_is 5002 '0,0,255' || ok=1

    at=$(tw_ctrl_center $VER 5002)
    timeout 5 xdotool mousemove $at sleep 0.1 mousemove_relative 2 0
    expect "the link did not light up under the pointer" tw_wait 3 link_is 5002 '0,192,192' || ok=1
    # Straight out of the dialog: plain again within the 200 ms watch.
    timeout 5 xdotool mousemove 1000 740
    sleep 0.4
    expect "the link is still lit after the pointer left" link_is 5002 '0,0,255' || ok=1

    tw_click_ctrl $VER 5005  # readme.txt を読む
    expect "readme.txt was not opened" tw_wait 30 tw_has_window readme || ok=1
    # Back to the dialog (the readme is in front now); Enter is 閉じる.
    tw_dismiss_box '^Tunewhistle 3\.10$'
    expect "the dialog did not close" tw_wait 10 tw_dialog_closed $VER || ok=1
    return $ok
}

tw_case "settings: every page's controls, ten names in each mapping list" settings_pages_hold_their_controls
tw_case "settings: the internal player off empties the play list" internal_player_off_empties_the_play_list
tw_case "settings: a folder added is registered and kept as c:\\...\\" a_folder_added_in_the_dialog_is_registered_and_kept
tw_case "settings: Cancel after a colour preview restores the window" cancel_after_a_colour_preview_restores_the_window
tw_case "version: 3.10, links light up and go plain, readme opens" version_dialog_links_light_up_and_open
tw_finish
