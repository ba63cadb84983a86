#!/bin/bash
# Eight kova-cli importar of eight different declarations with errors, all at once into one program folder,
# round after round. Each process must either print exactly the rows a solo run of its file prints, or be
# refused (exit 2) with the folder-in-use message; no declaration may be sealed (no .DEC under GERADA).
#
#   bench/concurrent_imports.sh [BUILD_BIN_FOLDER] [ROUNDS] [RECORDS_STEP]
# The declarations have RECORDS_STEP, twice as many, ... eight times as many records (default 150); large ones
# outlast the 5 s a process waits for the folder, and the later ones are refused.
set -u
bin=${1:-build/bin}
rounds=${2:-20}
step=${3:-150}
cli="$bin/kova-cli"
maker="$bin/kova-gerar-exemplo"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/entrada" "$work/solo"

# Eight declarations, each with its own size and so its own rows.
for i in 1 2 3 4 5 6 7 8; do
    "$maker" grande-com-erros $((step * i)) "$work/entrada/d$i.txt" >/dev/null || exit 1
done

# The rows each one prints alone.
"$cli" iniciar --pasta "$work/solo" >/dev/null || exit 1
for i in 1 2 3 4 5 6 7 8; do
    "$cli" importar "$work/entrada/d$i.txt" --pasta "$work/solo" --json >"$work/solo/d$i.json" 2>/dev/null
    [ $? -eq 1 ] || { echo "the solo import of d$i did not end with errors"; exit 1; }
    [ -s "$work/solo/d$i.json" ] || { echo "the solo import of d$i printed no rows"; exit 1; }
done

folder="$work/pasta"
"$cli" iniciar --pasta "$folder" >/dev/null || exit 1
own=0 refused=0 wrong=0
for round in $(seq 1 "$rounds"); do
    pids=()
    for i in 1 2 3 4 5 6 7 8; do
        "$cli" importar "$work/entrada/d$i.txt" --pasta "$folder" --json >"$work/r$i.out" 2>"$work/r$i.err" &
        pids[$i]=$!
    done
    for i in 1 2 3 4 5 6 7 8; do
        wait "${pids[$i]}"
        status=$?
        if [ $status -eq 1 ] && cmp -s "$work/r$i.out" "$work/solo/d$i.json"; then
            own=$((own + 1))
        elif [ $status -eq 2 ] && [ ! -s "$work/r$i.out" ] && grep -q "está em uso por outro processo" "$work/r$i.err"; then
            refused=$((refused + 1))
        else
            wrong=$((wrong + 1))
            echo "round $round, d$i: exit $status, $(wc -l <"$work/r$i.out") rows (alone: $(wc -l <"$work/solo/d$i.json"))"
            head -c 300 "$work/r$i.err"; echo
        fi
    done
done
sealed=$(find "$folder/GERADA" -name '*.DEC' 2>/dev/null | wc -l)
echo "rounds: $rounds, processes: $((rounds * 8)), own rows: $own, refused in use: $refused, wrong: $wrong, sealed: $sealed"
[ "$wrong" -eq 0 ] && [ "$sealed" -eq 0 ]
