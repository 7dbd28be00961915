#!/usr/bin/env bash
# The notification icon. Xvfb has no system tray, so the program runs in
# Wine's own desktop with its taskbar, where the icon sits at the right end
# and a person can click it.
source "$(dirname "$0")/lib.sh"
tw_session_begin || exit 1

# use_desktop on|off: every program of the prefix (the probe too, which
# must see the same windows) runs in a 1024x768 Wine desktop, or not.
use_desktop() {
    local wine=(timeout 60 env LC_ALL="$TW_WINE_LOCALE" wine reg)
    if [[ $1 == on ]]; then
        "${wine[@]}" add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f
        "${wine[@]}" add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f
    else
        "${wine[@]}" delete 'HKCU\Software\Wine\Explorer' /v Desktop /f
    fi >/dev/null 2>&1
    tw_wine_reset
}

# start_in_desktop DIR: the program inside the Wine desktop.
start_in_desktop() {
    timeout 5 xdotool mousemove 0 0
    tw_start "$1"
    expect "no main window within 60 s" tw_wait 60 tw_main_is visible 1 || return 1
    expect "no start banner within 30 s" tw_wait 30 tw_main_is line0 'Tunewhistle version 3.10'
}

# The note icon's blue in the right end of the taskbar: prints the middle of
# its pixels as "x y", or fails when there is none.
icon_position() {
    local shot=$TW_SESSION/tray.png box
    timeout 10 import -window root "$shot" 2>/dev/null || return 1
    box=$(convert "$shot" -crop 160x18+864+750 +repage -fx 'b > 0.6 && r < 0.5 && g < 0.7' \
        -trim -format '%w %h %X %Y' info: 2>/dev/null) || return 1
    read -r w h x y <<<"$box"
    ((w > 2 && w < 40 && h > 2)) || return 1
    echo "$((864 + ${x#+} + w / 2)) $((750 + ${y#+} + h / 2))"
}
icon_shown() { icon_position >/dev/null; }
icon_gone() { ! icon_shown; }

in_the_desktop() {
    local rc
    use_desktop on
    the_icon_brings_the_hidden_window_back_and_its_menu
    rc=$?
    use_desktop off
    return $rc
}

the_icon_brings_the_hidden_window_back_and_its_menu() {
    local dir ok=0 at
    dir=$(tw_new_folder) || return 1
    tw_dat_with "$dir" left=400 top=300 autohide=0 || return 1
    start_in_desktop "$dir" || return 1
    expect "no note icon in the taskbar within 20 s" tw_wait 20 icon_shown || return 1
    at=$(icon_position)
    mkdir -p "$TW_ROOT/build/e2e-shots"
    cp "$TW_SESSION/tray.png" "$TW_ROOT/build/e2e-shots/tray.png" 2>/dev/null

    # Hidden with the menu's ウインドウを隠す, back with a left click.
    tw_main_menu || return 1
    tw_menu_pick $TW_MENU_HIDE
    expect "the window did not hide" tw_wait 10 tw_main_is visible 0 || return 1
    timeout 5 xdotool mousemove $at click 1
    expect "a left click on the icon did not bring the window back" tw_wait 10 tw_main_is visible 1 || ok=1
    expect "it did not fade in fully" tw_wait 10 tw_main_is layered 0 || ok=1

    # Hidden again; a right click brings it back with the main menu open.
    tw_main_menu || return 1
    tw_menu_pick $TW_MENU_HIDE
    tw_wait 10 tw_main_is visible 0 || return 1
    timeout 5 xdotool mousemove $at click 3
    expect "a right click on the icon did not bring the window back" tw_wait 10 tw_main_is visible 1 || ok=1
    expect "no main menu after a right click on the icon" tw_wait 10 tw_menu_open || ok=1
    timeout 5 xdotool key Escape
    tw_wait 10 tw_menu_closed

    # The shell lost its icons and came back: the icon is added again.
    expect "the icon could not be taken away" tw_probe tray-delete || return 1
    expect "the icon is still shown" tw_wait 10 icon_gone || ok=1
    tw_probe taskbar-created
    expect "the icon did not come back after TaskbarCreated" tw_wait 10 icon_shown || ok=1
    return $ok
}

tw_case "the tray icon: left click shows, right click shows with the menu, back after TaskbarCreated" \
    in_the_desktop
tw_finish
