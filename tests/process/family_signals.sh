#!/bin/bash
# glyphfamily interrupted as a user interrupts it: SIGINT, SIGTERM and SIGHUP
# sent while a converter runs (a bdftopcf that sleeps, first on PATH) and
# while the filters run (a large font, -f bdf), and a run killed outright
# whose stage the next run removes. Each interrupted run ends with 128 + the
# signal, its converter gone, and the output folder and its parent as they
# were. Usage: family_signals.sh BUILD_DIR SOURCE_DIR (77: skipped without
# the X font tools).
set -u
bin="$1/glyphfamily"
sample="$2/examples/sample-8x16.bdf"
for tool in bdftopcf mkfontdir gzip; do
    command -v "$tool" >/dev/null || { echo "no $tool: not run"; exit 77; }
done
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL (glyphfamily signals): $*" >&2
    exit 1
}

# What the parent of the output folder holds: every path and its bytes.
snapshot() {
    (cd "$work/home" && find . -printf '%p %y %l\n' | sort && find . -type f -exec md5sum {} + | sort)
}

# A font large enough that its faces take the filters a while: 64 by 64
# pixel glyphs.
awk 'BEGIN {
    n = 6000
    print "STARTFONT 2.1\nFONT -Test-Bigtest-Medium-R-Normal--64-640-75-75-C-640-ISO10646-1"
    print "SIZE 64 75 75\nFONTBOUNDINGBOX 64 64 0 -8\nSTARTPROPERTIES 4\nFAMILY_NAME \"Bigtest\""
    print "PIXEL_SIZE 64\nFONT_ASCENT 56\nFONT_DESCENT 8\nENDPROPERTIES\nCHARS " n
    split("0F F0 3C C3 18 81 7E E7", bytes, " ")
    for (i = 0; i < n; i++) {
        printf "STARTCHAR g%d\nENCODING %d\nSWIDTH 1000 0\nDWIDTH 64 0\nBBX 64 64 0 -8\nBITMAP\n", i, i + 32
        for (r = 0; r < 64; r++) {
            row = ""
            for (b = 0; b < 8; b++) row = row bytes[(i + r + b) % 8 + 1]
            print row
        }
        print "ENDCHAR"
    }
    print "ENDFONT"
}' >"$work/big.bdf"

mkdir -p "$work/home/out/bdf" "$work/bin"
echo "an earlier face" >"$work/home/out/bdf/sample-8x16.bdf"
# The converter notes its pid (that of the sleep it becomes) and hangs.
cat >"$work/bin/bdftopcf" <<EOF
#!/bin/sh
echo \$\$ > "$work/converter.pid"
exec sleep 60
EOF
chmod +x "$work/bin/bdftopcf"
before=$(snapshot)

# Waits up to 10 s for a file to exist.
await() {
    for _ in $(seq 1000); do
        compgen -G "$1" >/dev/null && return 0
        sleep 0.01
    done
    return 1
}

for where in converter filter; do
    for signal in INT TERM HUP; do
        case $signal in INT) want=130 ;; TERM) want=143 ;; HUP) want=129 ;; esac
        rm -f "$work/converter.pid"
        # A job of its own (set -m), so that SIGINT is not ignored in it as
        # in a script's background jobs.
        set -m
        if [ $where = converter ]; then
            PATH="$work/bin:$PATH" "$bin" -o "$work/home/out" "$sample" >"$work/out" 2>"$work/err" &
            pid=$!
            await "$work/converter.pid" || fail "$where $signal: the converter never started"
        else
            "$bin" -j 1 -f bdf -o "$work/home/out" "$work/big.bdf" >"$work/out" 2>"$work/err" &
            pid=$!
            await "$work/home/.out.part-*/bdf/big-bold.bdf" ||
                fail "$where $signal: the filters never started"
        fi
        set +m
        listing=$(ls -A "$work/home")
        kill -s $signal $pid
        wait $pid
        status=$?
        [ $status -eq $want ] ||
            fail "$where $signal: status $status, not $want: $(cat "$work/err")"
        grep -q "^glyphfamily: stopped by SIG$signal; .* is as it was$" "$work/err" ||
            fail "$where $signal: message '$(cat "$work/err")'"
        [ "$(snapshot)" = "$before" ] || fail "$where $signal: the folder changed"
        if [ -f "$work/converter.pid" ]; then
            converter=$(cat "$work/converter.pid")
            ! kill -0 "$converter" 2>/dev/null || fail "$where $signal: the converter still runs"
        fi
        echo "$where, SIG$signal: status $status; during the run: $(echo $listing); after: $(ls -A "$work/home")"
    done
done

# Killed outright, a run leaves its stage; the next run removes it and says so.
set -m
PATH="$work/bin:$PATH" "$bin" -o "$work/home/out" "$sample" >/dev/null 2>&1 &
pid=$!
await "$work/converter.pid" || fail "kill -9: the converter never started"
set +m
kill -KILL $pid
wait $pid 2>/dev/null
kill "$(cat "$work/converter.pid")" 2>/dev/null # its orphaned converter, not ours to keep
stage=$(cd "$work/home" && echo .out.part-*)
[ -d "$work/home/$stage" ] || fail "kill -9 left no stage"
"$bin" -f bdf -o "$work/home/out" "$sample" >"$work/out" 2>"$work/err" || fail "the run after kill -9: $(cat "$work/err")"
[ "$(cat "$work/err")" = "glyphfamily: removed what interrupted runs left: $work/home/$stage" ] ||
    fail "after kill -9: '$(cat "$work/err")'"
[ "$(ls -A "$work/home")" = out ] || fail "after kill -9: $(ls -A "$work/home")"
echo "after kill -9: $stage removed"
exit 0
