#!/usr/bin/env bash
# A data file whose version text is not exactly "3.10" is someone else's:
# the program starts as on a first start and replaces it with its defaults.
source "$(dirname "$0")/lib.sh"
tw_session_begin || exit 1

# start_with_version HEADER_HEX: a valid dat with its 6 version bytes
# replaced by HEADER_HEX.
start_with_version() {
    local header=$1 valid dir ok=0
    valid=$(tw_valid_dat) || return 1
    dir=$(tw_new_folder) || return 1
    {
        printf "$(printf '\\x%s' $header)"
        tail -c +7 "$valid"
    } >"$dir/dat"
    touch -d '2001-02-03 04:05:06' "$dir/dat"
    tw_start "$dir"

    expect "dat not rewritten to 119 bytes within 60 s (size now: $(tw_size "$dir/dat"))" \
        tw_wait 60 tw_dat_has_size "$dir/dat" 119 || return 1
    # Defaults on the same screen give the very bytes of a first start.
    expect "rewritten dat differs from a first start's: $(tw_hex -N 16 "$dir/dat") ..." \
        cmp -s "$dir/dat" "$valid" || ok=1
    expect "readme.txt was not opened (no window named readme within 60 s)" \
        tw_wait 60 tw_has_window readme || ok=1
    expect "no main window within 60 s" tw_wait 60 tw_has_main_window || ok=1
    return $ok
}

version_3_1() { start_with_version "03 00 33 2e 31"; }
version_3_10_blank() { start_with_version "05 00 33 2e 31 30 20"; }

tw_case 'dat of version "3.1" is replaced by the defaults' version_3_1
tw_case 'dat of version "3.10 " is replaced by the defaults' version_3_10_blank
tw_finish
