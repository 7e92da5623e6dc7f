#!/bin/sh
# Stands in front of the real 7za for tests that must stop the program at an exact step.
#
# A call matches when its first argument (the archiver's command letter) equals
# $OMBRIX_WRAP_OP and its last argument (the archive or the source file) matches the shell
# pattern $OMBRIX_WRAP_LAST. Matching calls are counted in $OMBRIX_WRAP_DIR/count.
#
#  - the calls whose numbers $OMBRIX_WRAP_PAUSE_AT lists (separated by spaces) write their
#    process id and arguments to $OMBRIX_WRAP_DIR/paused-N (and paused) and wait until
#    $OMBRIX_WRAP_DIR/release-N or $OMBRIX_WRAP_DIR/release exists (a test kills the program
#    meanwhile, or changes something and lets it go on);
#  - from the call number $OMBRIX_WRAP_FAIL_FROM on, matching calls do nothing and end with
#    exit code 2, as an archiver does that cannot write or read.
#
# Every other call runs the real archiver with the same arguments.
dir=$OMBRIX_WRAP_DIR
command_letter=$1
last=
for argument in "$@"; do last=$argument; done

matched=0
if [ -n "$dir" ] && [ "$command_letter" = "$OMBRIX_WRAP_OP" ]; then
    # shellcheck disable=SC2254 # the pattern comes from the test on purpose
    case $last in
    $OMBRIX_WRAP_LAST) matched=1 ;;
    esac
fi

if [ $matched = 1 ]; then
    exec 9>>"$dir/lock"
    flock 9
    number=$(($(cat "$dir/count" 2>/dev/null || echo 0) + 1))
    echo "$number" >"$dir/count"
    flock -u 9
    exec 9>&-
    if [ -n "$OMBRIX_WRAP_FAIL_FROM" ] && [ "$number" -ge "$OMBRIX_WRAP_FAIL_FROM" ]; then
        exit 2
    fi
    case " $OMBRIX_WRAP_PAUSE_AT " in
    *" $number "*)
        { echo "$$"; printf '%s\n' "$@"; } >"$dir/paused.part"
        cp "$dir/paused.part" "$dir/paused-$number"
        mv "$dir/paused.part" "$dir/paused"
        while [ ! -e "$dir/release" ] && [ ! -e "$dir/release-$number" ]; do sleep 0.05; done
        ;;
    esac
fi
exec "${OMBRIX_WRAP_REAL:-7za}" "$@"
