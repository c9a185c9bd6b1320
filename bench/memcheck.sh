#!/usr/bin/env bash
# The program under valgrind's memcheck: start-up on an exhibition, the first flight, a clean exit
# (SIGTERM, which ends the message loop like "Exit"). Prints the error summary and every
# definitely-lost block, with its stack, so leaks of our own code stand out from the libraries'.
#   memcheck.sh PROGRAM DATAFILE [SECONDS]   (default 150: valgrind and software GL are slow)
set -u
. "$(dirname "$0")/../scripts/own-display.sh"
program=$1 data=$2 seconds=${3:-150}
work=$(mktemp -d)
trap 'kill $xpid 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/run ALSOFT_DRIVERS=null
mkdir -p "$work/run" && chmod 700 "$work/run"
start_own_display "$work"

cp "$data" "$work/kddata.bin"
cd "$work"
valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite --num-callers=30 \
  --log-file="$work/memcheck.log" "$program" >/dev/null 2>&1 &
pid=$!
sleep "$seconds"
kill -TERM "$pid"
wait "$pid"
echo "exit status: $?"
grep -E "Invalid (read|write)|uninitialised|Invalid free|Mismatched" "$work/memcheck.log" | sort | uniq -c
grep -E "ERROR SUMMARY|definitely lost:" "$work/memcheck.log"
awk '/definitely lost in loss record/ { show = 1 } show { print } /^==[0-9]+== $/ { show = 0 }' "$work/memcheck.log"
