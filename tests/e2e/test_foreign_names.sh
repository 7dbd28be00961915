#!/usr/bin/env bash
# Names the ANSI code page cannot hold, as a person meets them: registered
# from the menu, found, played, kept over 終了 and the next start.
source "$(dirname "$0")/lib.sh"
tw_session_begin || exit 1

# plays WORD FILE: a search for WORD has one hit, FILE, and it plays.
plays() {
    local playing="tw_main_matches line0 '^再生中 No\\.1 ' && tw_main_matches line1 '^$2 '"
    tw_search "$1"
    tw_wait 20 eval "$playing" && return 0
    # xdotool types a character outside the keyboard map by remapping a key
    # for the moment; on a busy machine Wine can read the key before the new
    # map (the box then shows the last search's character). Once more,
    # slowly.
    echo "  \"$1\": nothing played within 20 s (box: $(tw_main_value box)); typed again" >&2
    tw_search "$1" 400
    expect "\"$1\" does not play $2 within 20 s (line0: $(tw_main_value line0), line1: $(tw_main_value line1))" \
        tw_wait 20 eval "$playing"
}

# names_survive CODE-PAGE NAME1 WORD1 NAME2 TITLE: a folder of three MP3s,
# NAME1 (found by WORD1), NAME2 and "tagged.mp3" whose ID3v2 title is TITLE,
# in the locale of TW_WINE_LOCALE; the record must hold TW_ANSI_BYTES.
names_survive() {
    local cp=$1 name1=$2 word1=$3 name2=$4 title=$5 dir ok=0 dump
    dir=$(tw_new_folder) || return 1
    tw_music "$dir/cache" || return 1
    mkdir -p "$dir/music" || return 1
    local bare=$dir/cache/bare.mp3
    head -c -128 "$dir/cache/rock/loud.mp3" >"$bare" || return 1
    cp "$bare" "$dir/music/$name1" && cp "$bare" "$dir/music/$name2" && cp "$bare" "$dir/music/tagged.mp3" || return 1
    tw_id3v2_front "$dir/music/tagged.mp3" "$title" 'Hangul Duo' || return 1
    rm -rf "$dir/cache"
    tw_dat_with "$dir" left=300 top=300 autohide=0 watch="$dir/music" || return 1
    tw_start_shown "$dir" || return 1

    tw_main_menu || return 1
    tw_menu_pick $TW_MENU_REGISTER
    expect "no registration report within 30 s (status: $(tw_status))" \
        tw_wait 30 tw_status_is '登録完了3個のファイルを登録し、タグ情報を読み込みました' || return 1
    plays "$word1" "${name1//./\\.}" || ok=1
    plays "$title" 'tagged\.mp3' || ok=1
    # Both names hold " - ": the play list of both.
    tw_search ' - '
    expect "the hit menu did not open within 20 s (status: $(tw_status))" tw_wait 20 tw_menu_open || return 1
    timeout 5 xdotool key Escape
    tw_wait 10 tw_menu_closed
    tw_main_menu || return 1
    tw_menu_pick $TW_MENU_PLAY_ALL
    expect "play all did not start (status: $(tw_status))" \
        tw_wait 10 tw_status_matches '^一括再生します  \( 2 曲 \)' || ok=1
    tw_exit_from_menu || return 1

    dump=$("$TW_TOOLS/dump_dat" "$dir/dat" "CP$cp") || return 1
    local want
    for want in "|$name1||" "|$name2||" "|tagged.mp3|$title|Hangul Duo"; do
        grep -q "^track=.*|${want//|/\\|}\$" <<<"$dump" || { echo "  no track ending $want in dat" >&2; ok=1; }
    done
    expect_eq "$(grep -c '^play=' <<<"$dump")" 2 "play list entries in dat" || ok=1
    # The record holds what the code page gives (a check that the program
    # ran in it); the whole names came from the block after it.
    if [[ -n "${TW_ANSI_BYTES:-}" ]]; then
        expect "the record lacks the code page's bytes $TW_ANSI_BYTES" \
            grep -qaF "$(printf "$TW_ANSI_BYTES")" "$dir/dat" || ok=1
    fi

    # The next start: the play list plays from the menu, and the same
    # searches find and play the same files.
    tw_start_shown "$dir" || return 1
    tw_main_menu || return 1
    tw_menu_pick $TW_MENU_PLAY
    expect "the play list does not play after the restart (line0: $(tw_main_value line0), line1: $(tw_main_value line1))" \
        tw_wait 20 eval "tw_main_matches line0 '^再生中 No\\.1 ' &&
            tw_main_matches line1 '^(${name1//./\\.}|${name2//./\\.}) '" || ok=1
    plays "$word1" "${name1//./\\.}" || ok=1
    plays "$title" 'tagged\.mp3' || ok=1
    tw_exit_from_menu || return 1
    return $ok
}

TW_MENU_PLAY=11

japanese_locale() {
    names_survive 932 'Björk - Jóga.mp3' 'jóga' '소녀시대 - Gee.mp3' '사랑해요'
}

western_locale() {
    local TW_WINE_LOCALE=en_US.UTF-8 TW_ANSI_BYTES='Bj\xf6rk - J\xf3ga' took=$SECONDS
    # The first Wine process in another locale rewrites the prefix's locale
    # settings and starts the desktop anew; let that finish before the
    # program's own start is timed.
    timeout 120 env LC_ALL="$TW_WINE_LOCALE" wine cmd /c exit >/dev/null 2>&1
    echo "  the first process in $TW_WINE_LOCALE took $((SECONDS - took)) s" >&2
    names_survive 1252 'さくら - 春.mp3' 'さくら' 'Björk - Jóga.mp3' '사랑해요'
}

tw_case 'code page 932: Latin and Hangul names registered, played, kept over a restart' japanese_locale
tw_case 'code page 1252: a Japanese name registered, played, kept over a restart' western_locale
tw_finish
