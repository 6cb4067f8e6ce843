#!/usr/bin/env bash
# A catalogue file swapped for a named pipe and back while the tool opens it:
# every dump ends (it opens first and checks what it opened), none blocks.
# Usage: race.sh KAVINTO_CATALOGUE [TRIES]
set -u
tool=$(realpath "$1") tries=${2:-300}
scratch=$(mktemp -d)
swapper=""
trap '[ -n "$swapper" ] && kill "$swapper" 2>/dev/null; wait 2>/dev/null; rm -rf "$scratch"' EXIT
cd "$scratch"
printf 'fun_id;fun_nev\n1;Ráhangolódás\n' >f.csv
printf 'mod_id;mod_nev;mod_fajl' >m.csv
for k in $(seq 17); do printf ';mod_fun_%d' "$k" >>m.csv; done
printf '\n1;Vita;vita.pdf;1;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0\n' >>m.csv
"$tool" pack --methods m.csv --functions f.csv --out . >/dev/null || exit 1
cp data/kavinto_funkciok.cds good.cds
(while :; do
    cp good.cds file.new && mv -f file.new x.cds
    rm -f pipe.new && mkfifo pipe.new && mv -f pipe.new x.cds
done) &
swapper=$!
blocked=0
for _ in $(seq "$tries"); do
    timeout 5 "$tool" dump x.cds >/dev/null 2>&1
    [ $? -eq 124 ] && blocked=$((blocked + 1))
done
echo "race: $((tries - blocked)) passed, $blocked failed"
[ "$blocked" -eq 0 ]
