# The checks of a test script and their tally: each compares what the script saw with what it expected; sourced.

failures=0

# check WHAT EXPECTED ACTUAL: prints the outcome; fails when they differ.
check() {
    if [ "$2" == "$3" ]; then
        echo "ok   $1"
    else
        echo "FAIL $1: expected '$2', got '$3'"
        failures=$((failures + 1))
        return 1
    fi
}

# more_than LIMIT VALUE: "more than LIMIT" when VALUE is a number above LIMIT, else VALUE, for a check of a size.
more_than() { if [ "$2" -gt "$1" ] 2>/dev/null; then echo "more than $1"; else echo "$2"; fi; }

# finish: ends the script, with 0 when every check passed.
finish() {
    [ $failures -eq 0 ] && echo "all passed" || echo "$failures failed"
    exit $((failures > 0))
}
