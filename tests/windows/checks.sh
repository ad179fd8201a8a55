# Checks and their tally for the end-to-end scripts that compare what they saw with what they expected; sourced.

failures=0

check() { # check WHAT EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then
        echo "ok   $1"
    else
        echo "FAIL $1: expected '$2', got '$3'"
        failures=$((failures + 1))
    fi
}

# The script's exit status: 0 when every check passed.
finish() {
    [ $failures -eq 0 ] && echo "all passed" || echo "$failures failed"
    [ $failures -eq 0 ]
}

# A Linux path as a Windows program sees it (Wine's drive Z: is the root).
windows_path() {
    local path
    path=$(realpath -m "$1")
    printf 'Z:%s' "${path//\//\\}"
}
