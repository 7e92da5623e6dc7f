#!/usr/bin/env bash
# The main job, end to end: installs what is needed, builds, and backs up the bundled sample
# folder with the real program. With a display the window is shown and the backup starts and
# ends by itself (AUTOSTART_BACKUP); without one, the program runs hidden as a scheduled run
# (ombrix -start). It ends by printing where the new archive set lies.
#
# Everything lives below the build folder:
#   sample-home/    the program folder (OMBRIX_HOME): config.ini, sources.txt, log.txt
#   sample-data/    a copy of sample/; every run appends a line to one file there, so every run
#                   after the first makes an incremental set
#   sample-backup/  the destination folder with the OMX_* archive sets
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${OMBRIX_BUILD_DIR:-$top/build}

"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"

home=$build/sample-home
data=$build/sample-data
backup=$build/sample-backup
mkdir -p "$home" "$backup"
if [ ! -d "$data" ]; then
    cp -R "$top/sample" "$data"
fi
echo "run at $(date '+%Y-%m-%d %H:%M:%S')" >>"$data/readme.txt"

# First run only: a configuration with the destination and the auto-start option. Later runs
# keep the file the program maintains (the last set, the progress of an interrupted run).
if [ ! -f "$home/config.ini" ]; then
    printf '%s\r\n' \
        '[SYSTEM]' \
        'LAST_ARCHIV_NAME= ' \
        'LAST_BACKUP_LIST_INDEX=0' \
        'LAST_BACKUP_DONE=1' \
        'BACKUP_DESTINATION=DIR' \
        "BACKUP_DIR=$backup" \
        'TAB_INDEX=3' \
        'RECOVERY_DONE=1' \
        'SUM_DONE=1' \
        '' \
        '[OPTIONS]' \
        'LANGUAGE=SYSTEM' \
        'AUTOSTART_BACKUP=1' \
        >"$home/config.ini"
fi
# sources.txt: UTF-8 with a byte-order mark, CR LF; one entry, the sample folder.
printf '\xEF\xBB\xBF%s\r\n' "$data" >"$home/sources.txt"

export OMBRIX_HOME=$home
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Showing the window; the backup starts after 5 s and the program ends 10 s after it."
    "$build/bin/ombrix"
else
    echo "No display: running hidden (ombrix -start)."
    OMBRIX_AUTOSTART_DELAY_MS=${OMBRIX_AUTOSTART_DELAY_MS:-500} \
        OMBRIX_EXIT_DELAY_MS=${OMBRIX_EXIT_DELAY_MS:-500} \
        "$build/bin/ombrix" -start
fi

newest=$(find "$backup" -mindepth 1 -maxdepth 1 -type d -name 'OMX_*' | sort | tail -n 1)
if [ -z "$newest" ]; then
    echo "No archive set was written (see $home/log.txt)." >&2
    exit 1
fi
if grep -q '^LAST_BACKUP_DONE=1' "$home/config.ini"; then
    echo "Run completed."
else
    echo "Run not completed; the next run continues it."
fi
echo "Backup set: $newest"
