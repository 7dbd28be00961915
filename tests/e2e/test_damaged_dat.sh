#!/usr/bin/env bash
# A data file that cannot be read is kept aside as dat.broken, not thrown
# away; every save keeps the previous generation as dat.bak.
source "$(dirname "$0")/lib.sh"
tw_session_begin || exit 1

NOTICE='dat を読み込めなかったため、dat.broken として残しました'

# library_dat DIR [key=value...]: a dat of a registered library in DIR.
library_dat() {
    local dir=$1; shift
    tw_music "$dir/music" || return 1
    tw_dat_with "$dir" left=300 top=300 autohide=0 music="$dir/music" "$@"
}

# flip_length DAT: a high byte of the length of one file name's text.
flip_length() {
    local at
    at=$(grep -boa 'loud.mp3' "$1" | head -n 1 | cut -d: -f1)
    printf '\x7f' | dd of="$1" bs=1 seek=$((at - 1)) conv=notrunc status=none
}

# zero_half DAT: its second half zeroed.
zero_half() {
    local n
    n=$(tw_size "$1")
    head -c $((n - n / 2)) /dev/zero | dd of="$1" bs=1 seek=$((n / 2)) conv=notrunc status=none
}

# kept_aside DAMAGE [key=value...]: the damaged dat is moved to dat.broken
# byte for byte, the program starts with the defaults and says so.
kept_aside() {
    local damage=$1 dir valid ok=0; shift
    dir=$(tw_new_folder) || return 1
    library_dat "$dir" "$@" || return 1
    $damage "$dir/dat" || return 1
    cp "$dir/dat" "$dir.damaged"
    valid=$(tw_valid_dat) || return 1
    tw_start "$dir"
    expect "dat not rewritten to the defaults within 60 s (size now: $(tw_size "$dir/dat"))" \
        tw_wait 60 eval "cmp -s '$dir/dat' '$valid'" || return 1
    expect "dat.broken is not the damaged file" cmp -s "$dir/dat.broken" "$dir.damaged" || ok=1
    expect "the start notice is missing (status: $(tw_status))" \
        tw_wait 30 tw_status_matches "$NOTICE\$" || ok=1
    return $ok
}

flipped_length() { kept_aside flip_length; }
flipped_length_with_block() { kept_aside flip_length keyword=소녀시대; }
zeroed_half() { kept_aside zero_half; }
zeroed_half_with_block() { kept_aside zero_half keyword=소녀시대; }

# The previous dat is the backup after 終了, byte for byte.
previous_generation_is_kept() {
    local dir ok=0
    dir=$(tw_new_folder) || return 1
    library_dat "$dir" keyword=소녀시대 || return 1
    cp "$dir/dat" "$dir.before"
    tw_start "$dir"
    expect "no main window within 60 s" tw_wait 60 tw_main_viewable || return 1
    expect "no start banner within 30 s" tw_wait 30 tw_main_is line0 'Tunewhistle version 3.10' || return 1
    expect "a notice although dat was whole (status: $(tw_status))" \
        eval "! tw_status_matches '$NOTICE'" || ok=1
    tw_exit_from_menu || return 1
    expect "dat.bak is not the previous dat" cmp -s "$dir/dat.bak" "$dir.before" || ok=1
    expect "dat is not whole after 終了" eval "'$TW_TOOLS/dump_dat' '$dir/dat' | grep -qx 'keyword=소녀시대'" || ok=1
    [[ ! -e "$dir/dat.broken" ]] || { echo "  dat.broken although dat was whole" >&2; ok=1; }
    return $ok
}

tw_case 'a flipped length: kept as dat.broken, defaults, notice' flipped_length
tw_case 'a flipped length under a block: kept as dat.broken, defaults, notice' flipped_length_with_block
tw_case 'the second half zeroed: kept as dat.broken, defaults, notice' zeroed_half
tw_case 'the second half zeroed with a block: kept as dat.broken, defaults, notice' zeroed_half_with_block
tw_case '終了 keeps the previous dat as dat.bak byte for byte' previous_generation_is_kept
tw_finish
