#!/usr/bin/env bash
# At 150 % and 200 % display scaling the window grows with the display:
# neither tiny nor cut. The prefix's DPI is set for the case and put back.
source "$(dirname "$0")/lib.sh"
tw_session_begin || exit 1

set_dpi() {
    local key
    for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
        if [[ -n "$1" ]]; then
            timeout 60 env LC_ALL="$TW_WINE_LOCALE" wine reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f
        else
            timeout 60 env LC_ALL="$TW_WINE_LOCALE" wine reg delete "$key" /v LogPixels /f
        fi
    done >/dev/null 2>&1
    tw_wine_reset  # read when the server starts
}

# at_scale DPI WIDTH PAD LINE: the window at a DPI is WIDTH wide with pads
# of PAD and status lines of LINE pixels, and as high as its lines need.
at_scale() {
    local dpi=$1 width=$2 pad=$3 line=$4 dir ok=0 base
    dir=$(tw_new_folder) || return 1
    tw_dat_with "$dir" left=200 top=150 autohide=0 || return 1
    set_dpi "$dpi"
    tw_start "$dir"
    if expect "no main window within 60 s" tw_wait 60 tw_main_viewable &&
        expect "no start banner within 30 s" tw_wait 30 tw_main_is line0 'Tunewhistle version 3.10'; then
        expect_eq "$(tw_main_value width)" "$width" "window width" || ok=1
        expect_eq "$(tw_main_value line0_rect | cut -d, -f4)" "$line" "status line height" || ok=1
        expect_eq "$(tw_main_value box_rect | cut -d, -f4)" "$((pad - dpi / 48))" "keyword box height" || ok=1
        # Lines and height from one look: the banner may end between two.
        base=$((pad + (13 * dpi + 48) / 96))
        tw_main_rect || ok=1
        expect_eq "$TW_H" "$((base + TW_LINES * line))" "height for $TW_LINES lines" || ok=1
        timeout 10 import -window root -crop $((width + 40))x$((width / 2 + 40))+180+130 \
            "$TW_SESSION/scale-$dpi.png" 2>/dev/null
    else
        ok=1
    fi
    set_dpi ""
    return $ok
}

at_150() { at_scale 144 270 27 20; }
at_200() { at_scale 192 360 36 26; }

tw_case "150 % scaling: 270 wide, 27-pixel pads, 20-pixel lines" at_150
tw_case "200 % scaling: 360 wide, 36-pixel pads, 26-pixel lines" at_200
tw_finish
