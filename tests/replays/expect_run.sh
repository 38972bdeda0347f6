#!/bin/sh
# SPDX-License-Identifier: MIT
# expect_run.sh program status message: runs the program and passes when it
# exits with `status` having said `message` (a grep pattern) on stderr.
err="$(mktemp)"
"$1" 2> "$err"
status=$?
cat "$err" >&2
grep -q "$3" "$err"
found=$?
rm -f "$err"
[ "$status" -eq "$2" ] && [ "$found" -eq 0 ]
