# Shared helpers for the end-to-end tests (sourced, not run).
#
# A session is one virtual X screen (Xvfb, 1024x768x24) plus one throw-away
# Wine prefix, booted once. run_all.sh opens a session and exports it, so the
# test scripts it starts reuse it; a test script started on its own opens
# (and closes) its own. Every wait polls with a deadline: Wine's start-up
# time varies too much for fixed sleeps.

TW_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
: "${TW_EXE:=$TW_ROOT/build/win64/tunewhistle.exe}"
TW_MAIN_TITLE='Tunewhistle 3.10'
TW_MAIN_TITLE_RE='^Tunewhistle 3\.10$'
TW_NOTICE_TITLE_RE='^Tunewhistle$'

# Wine takes its ANSI code page (932 here) from the locale, which
# tools/deps.sh generates. Passed only to wine itself, so this shell never
# depends on it.
TW_WINE_LOCALE=ja_JP.UTF-8

tw_log() { printf '[e2e] %s\n' "$*" >&2; }

# tw_wait SECONDS COMMAND [ARG...]: runs COMMAND every 0.2 s until it
# succeeds; returns 1 when the deadline passes first.
tw_wait() {
    local limit=$1; shift
    local end=$((SECONDS + limit))
    while :; do
        "$@" && return 0
        ((SECONDS >= end)) && return 1
        sleep 0.2
    done
}

tw_display_ready() { timeout 5 xdpyinfo -display "$1" >/dev/null 2>&1; }

# tw_start_xvfb LOGFILE: starts Xvfb on the first free display from :90 on
# (from $TW_DISPLAY_FROM when set) and exports DISPLAY. Sets TW_XVFB_PID.
tw_start_xvfb() {
    local log=$1 n from=${TW_DISPLAY_FROM:-90}
    for ((n = from; n < from + 100; n++)); do
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >>"$log" 2>&1 &
        TW_XVFB_PID=$!
        if tw_wait 20 tw_display_ready ":$n"; then
            export DISPLAY=":$n"
            return 0
        fi
        # Lost a race for that display, or Xvfb failed: try the next one.
        kill "$TW_XVFB_PID" 2>/dev/null
        wait "$TW_XVFB_PID" 2>/dev/null
        TW_XVFB_PID=
    done
    tw_log "no free X display for Xvfb (see $log)"
    return 1
}

# tw_wine_env PREFIX HOME: the environment every Wine call of the tests uses.
# Mono and Gecko are switched off so a fresh prefix never stops to offer
# their installers, and the menu builder so nothing leaks into the host.
tw_wine_env() {
    export WINEPREFIX=$1
    export HOME=$2
    # TW_WINEARCH=win32 makes the prefix a 32-bit Windows, for the i686 exe.
    [[ -n "${TW_WINEARCH:-}" ]] && export WINEARCH=$TW_WINEARCH
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d'
    mkdir -p "$HOME"
    # Sound goes nowhere: Xvfb machines have no sound card.
    printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$HOME/.asoundrc"
}

tw_wine() { env LC_ALL="$TW_WINE_LOCALE" wine "$@"; }

# A fresh prefix lacks the .txt association every Windows has, without which
# the shell opens nothing for readme.txt. Point it at notepad like Windows.
tw_register_txt() {
    local out
    out=$(timeout 60 env LC_ALL="$TW_WINE_LOCALE" wine reg add "HKCR\\.txt" /ve /d txtfile /f 2>&1) && return 0
    tw_log "registering .txt failed: $(tail -n 3 <<<"$out" | tr '\n' ' ')"
    return 1
}

# Ends every Windows process of the prefix (the program, notepad, ...).
tw_wine_reset() {
    timeout 20 wineserver -k >/dev/null 2>&1
    timeout 20 wineserver -w >/dev/null 2>&1
    return 0
}

# tw_session_begin: Xvfb, prefix and wineboot, unless run_all.sh already
# exported a session. Installs the clean-up trap for sessions it opens.
tw_session_begin() {
    if [[ -n "${TW_SESSION:-}" && -d "$TW_SESSION" ]]; then
        tw_wine_env "$WINEPREFIX" "$HOME"
        return 0
    fi
    TW_SESSION=$(mktemp -d "${TMPDIR:-/tmp}/tw-e2e.XXXXXX") || return 1
    TW_SESSION_OWNER=$$
    trap tw_session_end EXIT
    trap 'exit 130' INT TERM
    tw_start_xvfb "$TW_SESSION/xvfb.log" || return 1
    mkdir -p "$TW_SESSION/prefix"
    tw_wine_env "$TW_SESSION/prefix" "$TW_SESSION/home"
    tw_log "booting a fresh Wine prefix on $DISPLAY"
    if ! timeout 240 env LC_ALL="$TW_WINE_LOCALE" wineboot -i >"$TW_SESSION/wineboot.log" 2>&1; then
        tw_log "wineboot failed:"; tail -n 20 "$TW_SESSION/wineboot.log" >&2
        return 1
    fi
    # Once more after the boot has settled: a busy machine has seen the
    # first try fail.
    tw_register_txt || { tw_wine_reset; tw_register_txt; } || return 1
    tw_wine_reset
    export TW_SESSION DISPLAY TW_EXE
}

tw_session_end() {
    [[ "${TW_SESSION_OWNER:-}" == "$$" ]] || return 0
    TW_SESSION_OWNER=
    [[ -n "${WINEPREFIX:-}" ]] && tw_wine_reset
    if [[ -n "${TW_XVFB_PID:-}" ]]; then
        kill "$TW_XVFB_PID" 2>/dev/null
        wait "$TW_XVFB_PID" 2>/dev/null
    fi
    [[ -n "${TW_SESSION:-}" ]] && rm -rf "$TW_SESSION"
    return 0
}

# tw_new_folder: a fresh empty program folder holding the exe and its two
# texts. Prints its path.
tw_new_folder() {
    local dir
    dir=$(mktemp -d "$TW_SESSION/app.XXXXXX") || return 1
    cp "$TW_EXE" "$dir/" || return 1
    local txt
    for txt in readme.txt version.txt; do
        if [[ -f "$(dirname "$TW_EXE")/$txt" ]]; then
            cp "$(dirname "$TW_EXE")/$txt" "$dir/"
        else
            cp "$TW_ROOT/data/$txt" "$dir/"
        fi
    done
    printf '%s\n' "$dir"
}

# tw_start DIR: starts the program of DIR in the background; sets TW_PID
# (the Windows process itself: the wine script execs into it).
tw_start() {
    local dir=$1
    # Output goes beside the folder, not into it: the tests list its files.
    (cd "$dir" && exec env LC_ALL="$TW_WINE_LOCALE" wine "$dir/tunewhistle.exe") \
        >>"$dir.log" 2>&1 &
    TW_PID=$!
}

# tw_start_shown DIR: starts the program in DIR with the pointer out of the
# way, and waits for its window and the start banner. When no window comes,
# says what the program printed and which windows there are; when there are
# none at all (Wine did not come up), starts it once more.
tw_start_shown() {
    local attempt windows
    for attempt in 1 2; do
        timeout 5 xdotool mousemove 0 0
        tw_start "$1"
        tw_wait 60 tw_main_viewable && break
        windows=$(timeout 10 xdotool search --name . getwindowname %@ 2>/dev/null | tr '\n' '|')
        echo "  no main window within 60 s (start $attempt); the program's output:" >&2
        tail -n 20 "$1.log" | sed 's/^/    /' >&2
        echo "  windows: $windows" >&2
        # No window of any Windows program, Wine's own desktop included:
        # Wine itself did not come up. Once, it is started afresh.
        [[ $attempt == 1 && -z "$windows" ]] || return 1
        kill "$TW_PID" 2>/dev/null
        tw_wine_reset
    done
    expect "no start banner within 30 s (line0: $(tw_main_value line0))" \
        tw_wait 30 tw_main_is line0 'Tunewhistle version 3.10'
}

# Window queries. Ids are printed one a line; status 1 when none.
tw_windows() { timeout 10 xdotool search --name "$1" 2>/dev/null; }
tw_has_window() { [[ -n "$(tw_windows "$1")" ]]; }
tw_wait_window() { tw_wait "${2:-60}" tw_has_window "$1"; }
tw_window_gone() { ! tw_has_window "$1"; }
# tw_absent_for SECONDS REGEX: no such window shows up within SECONDS.
tw_absent_for() { ! tw_wait "$1" tw_has_window "$2"; }

# tw_borderless ID: the window asks for no frame (_MOTIF_WM_HINTS holds
# flags, functions, decorations, ...; decorations 0).
tw_borderless() {
    [[ "$(timeout 5 xprop -id "$1" _MOTIF_WM_HINTS 2>/dev/null)" =~ =\ *[^,]+,\ *[^,]+,\ *0x0(,|$) ]]
}

# The main window: the borderless one titled "Tunewhistle 3.10". The first-run
# notice carries the same caption, but as a message box it has a frame.
tw_main_window() {
    local id
    for id in $(tw_windows "$TW_MAIN_TITLE_RE"); do
        tw_borderless "$id" || continue
        printf '%s\n' "$id"
        return 0
    done
    return 1
}
tw_has_main_window() { tw_main_window >/dev/null; }

# tw_window_x ID: the window's left edge on the screen.
tw_window_x() {
    timeout 5 xwininfo -id "$1" 2>/dev/null | sed -n 's/^ *Absolute upper-left X: *//p'
}
tw_window_y() {
    timeout 5 xwininfo -id "$1" 2>/dev/null | sed -n 's/^ *Absolute upper-left Y: *//p'
}
# tw_viewable ID: the window is mapped and on screen.
tw_viewable() { timeout 5 xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
tw_main_viewable() { local id; id=$(tw_main_window) && tw_viewable "$id"; }

tw_alive() { kill -0 "$1" 2>/dev/null; }
tw_dead() { ! tw_alive "$1"; }

# tw_press_return ID: gives the window the keyboard focus and presses Return.
tw_press_return() {
    timeout 5 xdotool windowfocus --sync "$1" >/dev/null 2>&1 ||
        timeout 5 xdotool windowfocus "$1" >/dev/null 2>&1
    timeout 5 xdotool key Return
}

# Bytes of a file as space-separated two-digit hex, e.g. "04 00 33".
tw_hex() { od -An -tx1 -v "$@" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }
tw_size() { stat -c %s "$1"; }
tw_mtime() { stat -c %y "$1"; }
tw_u16le() { od -An -tu2 --endian=little -j "$2" -N 2 "$1" | tr -d ' '; }

# A data file's size stops changing once the program has written it: the
# write goes to a temporary file that replaces "dat" only when complete.
tw_dat_has_size() { [[ -f "$1" && "$(tw_size "$1")" == "$2" ]]; }

# --- results ---------------------------------------------------------------

# expect_eq ACTUAL EXPECTED WHAT: prints why and returns 1 on a mismatch.
expect_eq() {
    [[ "$1" == "$2" ]] && return 0
    printf '  %s: got "%s", expected "%s"\n' "$3" "$1" "$2" >&2
    return 1
}

# expect WHAT COMMAND...: COMMAND must succeed.
expect() {
    local what=$1; shift
    "$@" && return 0
    printf '  %s\n' "$what" >&2
    return 1
}

TW_PASSED=0
TW_FAILED=0

# tw_case NAME FUNCTION: runs one case in a subshell with its own results
# and prints PASS or FAIL with the reasons. Leftover Windows processes are
# ended after each case, so the next one starts on an empty desktop.
tw_case() {
    local name=$1 fn=$2 out rc start=$SECONDS
    out=$(mktemp "$TW_SESSION/case.XXXXXX")
    ("$fn") 2>"$out"
    rc=$?
    tw_wine_reset
    if ((rc == 0)); then
        printf 'PASS %s (%ds)\n' "$name" $((SECONDS - start))
        TW_PASSED=$((TW_PASSED + 1))
    else
        printf 'FAIL %s (%ds)\n' "$name" $((SECONDS - start))
        sed 's/^/     /' "$out"
        TW_FAILED=$((TW_FAILED + 1))
    fi
    rm -f "$out"
}

# tw_finish: exit status of a test script: 0 when every case passed.
tw_finish() { ((TW_FAILED == 0 && TW_PASSED > 0)); }

# tw_valid_dat: prints the path of a data file the program wrote at a first
# start on this screen (the first-start test leaves one in the session; made
# here when that test did not run).
tw_valid_dat() {
    local keep=$TW_SESSION/valid.dat dir
    if [[ ! -f "$keep" ]]; then
        dir=$(tw_new_folder) || return 1
        tw_start "$dir"
        if ! tw_wait 60 tw_dat_has_size "$dir/dat" 119; then
            tw_log "no 119-byte dat from a first start"
            tw_wine_reset
            return 1
        fi
        cp "$dir/dat" "$keep"
        tw_wine_reset
    fi
    printf '%s\n' "$keep"
}

tw_window_at_x() { [[ "$(tw_window_x "$1")" == "$2" ]]; }
tw_window_at_y() { [[ "$(tw_window_y "$1")" == "$2" ]]; }

tw_main_windows_count() {
    local id n=0
    for id in $(tw_windows "$TW_MAIN_TITLE_RE"); do
        tw_borderless "$id" && n=$((n + 1))
    done
    printf '%s\n' "$n"
}

# --- reading and driving the window ------------------------------------------

# The probe (built beside the exe with the Win32 tests) and the host-side
# tools: make_dat (data files with a library) and xdnd_drop (file drops).
: "${TW_PROBE:=$(dirname "$TW_EXE")/tw_probe.exe}"
: "${TW_TOOLS:=$TW_ROOT/build/host/e2e-tools}"

# tw_probe ARGS...: what the probe prints about the running program.
tw_probe() { timeout 30 env LC_ALL="$TW_WINE_LOCALE" wine "$TW_PROBE" "$@" 2>/dev/null; }

# tw_main_value KEY: one value of "tw_probe main" (texts keep the probe's
# escapes: \r, \n and \\).
tw_main_value() { tw_probe main | sed -n "s/^$1=//p" | head -n 1; }
tw_main_is() { [[ "$(tw_main_value "$1")" == "$2" ]]; }
tw_main_matches() { [[ "$(tw_main_value "$1")" =~ $2 ]]; }

# tw_dat_with DIR [key=value...]: a data file in DIR made by make_dat.
tw_dat_with() {
    local dir=$1; shift
    "$TW_TOOLS/make_dat" "$dir/dat" "$@" >/dev/null
}

# tw_id3v1 FILE TITLE ARTIST ALBUM: appends an ID3v1 tag with the texts in
# code page 932, as Japanese taggers write them.
tw_id3v1() {
    local file=$1
    field() {
        local bytes
        bytes=$(printf '%s' "$1" | iconv -f UTF-8 -t CP932 | head -c "$2" | od -An -tx1 -v | tr -d ' \n')
        printf "$(printf '%s' "$bytes" | sed 's/../\\x&/g')"
        head -c $(($2 - ${#bytes} / 2)) /dev/zero
    }
    {
        printf 'TAG'
        field "$2" 30
        field "$3" 30
        field "$4" 30
        printf '2026'
        field '' 30
        printf '\377'
    } >>"$file"
}

# tw_id3v2_front FILE TITLE ARTIST: puts an ID3v2.3 tag (UTF-16 texts with a
# byte-order mark) in front of FILE, which has no ID3v1 block.
tw_id3v2_front() {
    local file=$1 frames
    hex() { od -An -tx1 -v | tr -d ' \n'; }
    frame() {
        local body size
        body="01fffe$(printf '%s' "$2" | iconv -f UTF-8 -t UTF-16LE | hex)"
        size=$((${#body} / 2))
        printf '%s%08x0000%s' "$(printf '%s' "$1" | hex)" "$size" "$body"
    }
    frames="$(frame TIT2 "$2")$(frame TPE1 "$3")$(printf '%0512d' 0)"
    local n=$((${#frames} / 2))
    {
        printf 'ID3\003\000\000'
        printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((n >> 21 & 127)) $((n >> 14 & 127)) $((n >> 7 & 127)) $((n & 127)))"
        printf "$(printf '%s' "$frames" | sed 's/../\\x&/g')"
        cat "$file"
    } >"$file.tagged" && mv "$file.tagged" "$file"
}

# tw_music DIR: a small library of 3-second MP3 files with ID3v1 tags under
# DIR: two in rock/, one in a Japanese-named folder, one in a hidden folder
# and one in a folder that is itself named like an MP3 file. Made once a
# session, then copied.
tw_music() {
    local cache=$TW_SESSION/music.cache m
    if [[ ! -d "$cache" ]]; then
        m=$cache.tmp
        mkdir -p "$m/ジャズ" "$m/rock" "$m/.hidden" "$m/x.mp3" || return 1
        sox -q -n -r 22050 -c 1 -b 16 "$m/tone.wav" synth 3 sine 440 || return 1
        lame --quiet -b 32 "$m/tone.wav" "$m/tone.mp3" || return 1
        cp "$m/tone.mp3" "$m/ジャズ/blue night.mp3"
        tw_id3v1 "$m/ジャズ/blue night.mp3" "Blue Night" "小野 トリオ" "夜の曲"
        cp "$m/tone.mp3" "$m/rock/loud.mp3"
        tw_id3v1 "$m/rock/loud.mp3" "Loud" "Band" "Rock"
        cp "$m/tone.mp3" "$m/rock/quiet.mp3"
        tw_id3v1 "$m/rock/quiet.mp3" "Quiet" "Band" "Rock"
        cp "$m/tone.mp3" "$m/.hidden/secret.mp3"
        tw_id3v1 "$m/.hidden/secret.mp3" "Secret" "Nobody" ""
        cp "$m/tone.mp3" "$m/x.mp3/inner.mp3"
        tw_id3v1 "$m/x.mp3/inner.mp3" "Inner" "Nobody" ""
        rm -f "$m/tone.wav" "$m/tone.mp3"
        mv "$m" "$cache"
    fi
    cp -r "$cache" "$1"
}

# tw_long_tracks DIR: two tracks of two minutes, first.mp3 and second.mp3,
# long enough that the player is where the test left it.
tw_long_tracks() {
    mkdir -p "$1" || return 1
    sox -q -n -r 22050 -c 1 -b 16 "$1/long.wav" synth 120 sine 330 || return 1
    lame --quiet -b 32 "$1/long.wav" "$1/first.mp3" || return 1
    cp "$1/first.mp3" "$1/second.mp3" && rm -f "$1/long.wav"
}

# tw_line0_matches REGEX: the first status line matches.
tw_line0_matches() { tw_main_matches line0 "$1"; }

# tw_play_long_list DIR LEFT TOP: the two long tracks in DIR/music, the
# program started at LEFT, TOP, both found and played with 一括再生.
tw_play_long_list() {
    tw_long_tracks "$1/music" || return 1
    tw_dat_with "$1" left="$2" top="$3" autohide=0 music="$1/music" || return 1
    tw_start_shown "$1" || return 1
    tw_search 'mp3'
    expect "the hit menu did not open (status: $(tw_status))" tw_wait 20 tw_menu_open || return 1
    timeout 5 xdotool key Escape
    tw_wait 10 tw_menu_closed
    tw_main_menu || return 1
    tw_menu_pick $TW_MENU_PLAY_ALL
    expect "the list does not play (line0: $(tw_main_value line0))" tw_wait 20 tw_line0_matches '^再生中 No\.1 '
}

# tw_focus ID: gives the window the keyboard focus, as a click on it would.
tw_focus() {
    timeout 5 xdotool windowfocus --sync "$1" >/dev/null 2>&1 ||
        timeout 5 xdotool windowfocus "$1" >/dev/null 2>&1
}

# tw_pixel X Y: the colour of a screen pixel as "r,g,b".
tw_pixel() {
    local shot=$TW_SESSION/pixel.png
    timeout 10 import -window root "$shot" 2>/dev/null || return 1
    convert "$shot" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:
}

# tw_pixels X Y [X Y...]: the colours of several screen pixels from one
# screenshot, as "r,g,b" separated by blanks.
tw_pixels() {
    local shot=$TW_SESSION/pixels.png fx=
    timeout 10 import -window root "$shot" 2>/dev/null || return 1
    while (($# >= 2)); do
        fx+="%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)] "
        shift 2
    done
    convert "$shot" -format "${fx% }" info:
}

# tw_outline_is RGB: the main window's outline shows in that colour at the
# middle of each of its four edges: top, bottom (row H - 2), left and right
# (column W - 2). Prints what it found when not.
tw_outline_is() {
    local got want
    tw_main_rect || return 1
    got=$(tw_pixels $((TW_L + TW_W / 2)) "$TW_T" $((TW_L + TW_W / 2)) $((TW_T + TW_H - 2)) \
        "$TW_L" $((TW_T + TW_H / 2)) $((TW_L + TW_W - 2)) $((TW_T + TW_H / 2)))
    want="$1 $1 $1 $1"
    [[ "$got" == "$want" ]] && return 0
    printf '  outline of %sx%s (top bottom left right): %s, expected %s\n' "$TW_W" "$TW_H" "$got" "$1" >&2
    return 1
}

# The main window's rectangle from the probe: sets TW_L TW_T TW_W TW_H.
tw_main_rect() {
    local out
    out=$(tw_probe main) || return 1
    TW_L=$(sed -n 's/^left=//p' <<<"$out")
    TW_T=$(sed -n 's/^top=//p' <<<"$out")
    TW_W=$(sed -n 's/^width=//p' <<<"$out")
    TW_H=$(sed -n 's/^height=//p' <<<"$out")
    # Read in the same look, so they belong to the same size.
    TW_LINES=$(tw_lines_in "$out")
    TW_IN_REGION=$(sed -n 's/^in_region=//p' <<<"$out")
    [[ -n "$TW_L" && -n "$TW_H" ]]
}

# tw_dismiss_box: presses Return on the program's message box.
tw_dismiss_box() {
    local id
    id=$(tw_windows "$1" | while read -r w; do tw_borderless "$w" || echo "$w"; done | head -n 1)
    [[ -n "$id" ]] || return 1
    tw_press_return "$id"
}

# The number of status lines shown: up to the last one with text (of the
# probe's report OUT, for tw_lines_in).
tw_lines_in() {
    local n=0 i
    for i in 0 1 2 3 4 5; do
        [[ -n "$(sed -n "s/^line$i=//p" <<<"$1")" ]] && n=$((i + 1))
    done
    echo "$n"
}
tw_lines_shown() { tw_lines_in "$(tw_probe main)"; }

# --- menus -------------------------------------------------------------------

# tw_status: the status lines joined without their breaks (the window wraps
# a long line where its font says).
tw_status() {
    tw_probe main | sed -n 's/^line[0-5]=//p' | tr -d '\n'
}
tw_status_is() { [[ "$(tw_status)" == "$1" ]]; }
tw_status_matches() { [[ "$(tw_status)" =~ $1 ]]; }

# tw_search TEXT [DELAY]: types TEXT into the keyword box, DELAY ms (50)
# between keys, and presses Return.
tw_search() {
    local main
    main=$(tw_main_window) || return 1
    tw_focus "$main"
    timeout 10 xdotool key ctrl+a
    timeout 30 xdotool type --delay "${2:-50}" "$1"
    timeout 5 xdotool key Return
}

tw_menu_open() { tw_probe menu >/dev/null; }
tw_menu_closed() { ! tw_menu_open; }

# tw_main_menu: a right click on the window's first status line, and the
# main menu open.
tw_main_menu() {
    local out l t
    out=$(tw_probe main) || return 1
    l=$(sed -n 's/^left=//p' <<<"$out") t=$(sed -n 's/^top=//p' <<<"$out")
    timeout 5 xdotool mousemove $((l + 100)) $((t + 28)) click 3
    tw_wait 10 tw_menu_open
}

# tw_menu_pick DOWNS [RIGHT]: chooses an item of the open menu with the
# keyboard, as the arrow keys reach it: DOWNS presses of Down (separators are
# passed over), then Right into a sub-menu when asked, then Return.
tw_menu_pick() {
    local keys=() i
    for ((i = 0; i < $1; i++)); do keys+=(Down); done
    [[ -n "${2:-}" ]] && keys+=(Right)
    timeout 10 xdotool key --delay 80 "${keys[@]}" Return
    tw_wait 10 tw_menu_closed
}

# tw_exit_from_menu: 終了 from the main menu (the same item with or without
# the player column); the program saves and ends.
tw_exit_from_menu() {
    tw_main_menu || return 1
    tw_menu_pick $TW_MENU_EXIT
    expect "the program did not end within 30 s of 終了" tw_probe wait-gone 30 || return 1
    expect "the program process is still there" tw_wait 10 tw_dead "$TW_PID"
}

# Downs to each item of the main menu (with the player column).
TW_MENU_PLAY_ALL=2 TW_MENU_REGISTER=4 TW_MENU_HIDE=6 TW_MENU_EXIT=8
TW_MENU_SHUFFLE=10 TW_MENU_STOP=12 TW_MENU_FILE_OPS=13

# tw_shot NAME: a screenshot of the main window together with the open
# menus, three times its size, in build/e2e-shots/NAME.png, to look at.
tw_shot() {
    local shots=$TW_ROOT/build/e2e-shots l t r b x y w h
    mkdir -p "$shots"
    tw_main_rect || return 1
    l=$TW_L t=$TW_T r=$((TW_L + TW_W)) b=$((TW_T + TW_H))
    while IFS=, read -r x y w h; do
        ((x < l)) && l=$x
        ((y < t)) && t=$y
        ((x + w > r)) && r=$((x + w))
        ((y + h > b)) && b=$((y + h))
    done < <(tw_probe menu | sed -n 's/^menu_rect=//p')
    timeout 10 import -window root "$TW_SESSION/shot.png" 2>/dev/null || return 1
    convert "$TW_SESSION/shot.png" -crop "$((r - l + 16))x$((b - t + 16))+$((l - 8))+$((t - 8))" +repage \
        -filter point -resize 300% "$shots/$1.png"
}

# --- dialogs -------------------------------------------------------------------

# tw_dialog CLASS: what the probe reads of one of the program's dialogs.
tw_dialog() { tw_probe dialog "$1"; }
tw_dialog_open() { tw_dialog "$1" >/dev/null; }
tw_dialog_closed() { ! tw_dialog_open "$1"; }

# tw_ctrl_center CLASS ID: the screen point in the middle of a control.
tw_ctrl_center() {
    local out cx cy r x y w h
    out=$(tw_dialog "$1") || return 1
    IFS=, read -r cx cy <<<"$(sed -n 's/^client=//p' <<<"$out")"
    r=$(grep "^ctrl=$2|" <<<"$out" | head -n 1 | cut -d'|' -f3)
    [[ -n "$r" ]] || return 1
    IFS=, read -r x y w h <<<"$r"
    echo "$((cx + x + w / 2)) $((cy + y + h / 2))"
}

# tw_click_ctrl CLASS ID: a click in the middle of a dialog's control.
tw_click_ctrl() {
    local at
    at=$(tw_ctrl_center "$1" "$2") || return 1
    timeout 5 xdotool mousemove $at click 1
}

# tw_click_tab CLASS INDEX: a click on a tab of the dialog's tab strip.
tw_click_tab() {
    local out cx cy r x y w h
    out=$(tw_dialog "$1") || return 1
    IFS=, read -r cx cy <<<"$(sed -n 's/^client=//p' <<<"$out")"
    r=$(grep "^tab=[0-9]*|$2|" <<<"$out" | cut -d'|' -f5)
    [[ -n "$r" ]] || return 1
    IFS=, read -r x y w h <<<"$r"
    timeout 5 xdotool mousemove $((cx + x + w / 2)) $((cy + y + h / 2)) click 1
}

# tw_ctrl_visible CLASS ID: the dialog's control is shown.
tw_ctrl_visible() { tw_visible_ctrls "$1" | grep -q "^$2|"; }

# tw_open_tab CLASS INDEX ID: a click on a tab, until the control ID of its
# page shows (on a busy machine a click can land before the strip takes it).
tw_open_tab() {
    local attempt
    for attempt in 1 2 3; do
        tw_click_tab "$1" "$2" || return 1
        tw_wait 3 tw_ctrl_visible "$1" "$3" && return 0
    done
    echo "  page $2 of $1 did not show control $3" >&2
    return 1
}

SET=Tunewhistle.Settings
TW_MENU_SETTINGS=5

# tw_open_settings: 設定 from the main menu, and the dialog open.
tw_open_settings() {
    tw_main_menu || return 1
    tw_menu_pick $TW_MENU_SETTINGS
    expect "the settings dialog did not open" tw_wait 10 tw_dialog_open $SET
}

# tw_pick_red: in the colour dialog that is opening, the first colour of the
# second row of the basic colours (red), then OK.
tw_pick_red() {
    local out cx cy x y w h
    tw_wait 10 tw_dialog_open '#32770' || return 1
    out=$(tw_dialog '#32770')
    IFS=, read -r cx cy <<<"$(sed -n 's/^client=//p' <<<"$out")"
    IFS=, read -r x y w h <<<"$(grep '^ctrl=1088|' <<<"$out" | cut -d'|' -f3)"  # 基本色 label
    timeout 5 xdotool mousemove $((cx + x + 9)) $((cy + y + h + 32)) click 1
    sleep 0.3
    tw_click_ctrl '#32770' 1
}

# tw_visible_ctrls CLASS: "ID|TEXT" of the visible controls, one a line.
tw_visible_ctrls() {
    tw_dialog "$1" | grep '^ctrl=' | awk -F'|' '$4 == 1 { sub(/^ctrl=/, "", $1); print $1 "|" $7 }'
}
