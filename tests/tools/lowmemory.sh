#!/usr/bin/env bash
# Every command of the catalogue tool ends in its message and status 1 when
# memory runs out, never in an abort: each runs on a large catalogue under a
# range of address-space limits. Needs a build without sanitizers.
# Usage: lowmemory.sh KAVINTO_CATALOGUE [METHODS]
set -u
tool=$(realpath "$1") methods=${2:-200000}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
awk -v n="$methods" 'BEGIN {
    printf "mod_id;mod_nev;mod_fajl"; for (k = 1; k <= 17; k++) printf ";mod_fun_%d", k; print ""
    for (i = 1; i <= n; i++) {
        printf "%d;Módszer %d %x;m%d.pdf", i, i * 7919 % 1000003, i * 2654435761 % 4294967296, i
        for (k = 1; k <= 17; k++) printf ";%d", (i + k) % 3 == 0; print ""
    }
}' >"$scratch/methods.csv"
printf 'fun_id;fun_nev\n' >"$scratch/functions.csv"
for k in $(seq 17); do printf '%d;Funkció %d\n' "$k" "$k" >>"$scratch/functions.csv"; done
"$tool" pack --methods "$scratch/methods.csv" --functions "$scratch/functions.csv" --out "$scratch/big" >/dev/null ||
    { echo "lowmemory: the large catalogue could not be packed"; exit 1; }

passed=0 failed=0
for limit in 60000 90000 130000 180000 250000 350000 500000; do
    for command in "check $scratch/big" "dump $scratch/big/data/kavinto_modszerek.cds" \
                   "pack --methods $scratch/methods.csv --functions $scratch/functions.csv --out $scratch/out" \
                   "unpack $scratch/big --out $scratch/csv --force"; do
        # shellcheck disable=SC2086
        (ulimit -v "$limit"; exec timeout 120 "$tool" $command) >/dev/null 2>"$scratch/err"
        status=$?
        lines=$(wc -l <"$scratch/err")
        if { [ "$status" -eq 0 ] || [ "$status" -eq 1 ]; } && [ "$lines" -le 1 ]; then
            passed=$((passed + 1))
        else
            failed=$((failed + 1))
            echo "FAIL ${command%% *} under ${limit} KiB: status $status, $lines lines: $(head -c 300 "$scratch/err")"
        fi
    done
done
echo "lowmemory: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
