#!/bin/sh
# The built tool fed through a pipe, its output put into a profile, and the
# sensor itself reading that profile: it must get past every password and
# parameter check. A damaged form must be caught, so the check has teeth.
# Usage: password_tool_pipe_test.sh PASSWORD_TOOL SENSOR
set -u
tool=$1
sensor=$2
dir=$(mktemp -d) || exit 1
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1

form=$(printf 'Secret12\n' | "$tool") || { echo "tool failed"; exit 1; }
if [ ${#form} -ne 24 ]; then echo "form has ${#form} characters: [$form]"; exit 1; fi

write_profile() {
  {
    printf 'Extcompany.:             Tessarin AG\n'
    printf 'Destination:             PRD\n'
    printf 'Client.....:             100\n'
    printf 'User.......:             RFCMON\n'
    printf 'Password...:             %s\n' "$1"
    printf 'Language...:             E\n'
    printf 'Mode.......:             ASHOST\n'
    printf 'Hostname...:             sapprd01\n'
    printf 'Sysnr......:             00\n'
    printf 'Gwhost.....:             sapgw01\n'
    printf 'Gwservice..:             sapgw00\n'
  } > "$dir/prd.P00"
}

write_profile "$form"
output=$("$sensor" "$dir/prd" @ 2>&1)
case $output in
  *"Error 100"[34567]*) echo "sensor refused the tool's form [$form]: $output"; exit 1 ;;
esac

write_profile "X$(printf '%s' "$form" | cut -c2-)Y"
output=$("$sensor" "$dir/prd" @ 2>&1)
case $output in
  *"Error 1004: Invalid Password in Profile prd.P00 found..."*) ;;
  *) echo "sensor took a damaged form: $output"; exit 1 ;;
esac

printf 'Secret12\n' | "$tool" "$dir/prd.P00" > /dev/null || { echo "rewrite failed"; exit 1; }
output=$("$sensor" "$dir/prd" @ 2>&1)
case $output in
  *"Error 100"[34567]*) echo "sensor refused the rewritten profile: $output"; exit 1 ;;
esac
echo "ok: $form"
