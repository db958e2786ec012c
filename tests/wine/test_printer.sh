# INSTALLFAXPRINTER under Wine: the port "FAX:" in WIN.INI with an empty value, the driver
# "Korvane Faxdesk" for "Windows 4.0", twice in a row with exit code 0.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/gui_lib.sh"
start_xvfb

# The driver file lies outside this program; the installation expects it in place.
mkdir -p "$WINEPREFIX/drive_c/windows/system"
printf 'driver' >"$WINEPREFIX/drive_c/windows/system/kvfxprnt.drv"

start_host "run INSTALLFAXPRINTER" "profile Ports FAX:" "drivers Windows 4.0" \
    "run installfaxprinter:again,with,text" "profile Ports FAX:" "drivers Windows 4.0"
finish_host 120
[ "$(log_count '^exit 0$')" = 2 ] || fail "not both runs ended with exit code 0: $(cat "$WORK/host.log")"
[ "$(log_count '^profile FAX: \[\]$')" = 2 ] || fail "no empty FAX: entry in [Ports]: $(grep profile "$WORK/host.log")"
[ "$(log_count '^driver Korvane Faxdesk$')" = 2 ] || fail "the driver is not listed: $(grep driver "$WORK/host.log")"
passed
