#!/usr/bin/env bash
# Dependencies run one way: the pages never include the application, and the core never includes Qt
# nor the GUI folders.
set -u
src="$1/src"
status=0
if up=$(grep -l '#include "app/' "$src"/pages/* 2>/dev/null); then
    echo "pages including app/:"; echo "$up"; status=1
fi
if qt=$(grep -l -E '#include <Q[A-Za-z]' "$src"/model/* "$src"/protocol/* "$src"/serial/* "$src"/autoeq/* 2>/dev/null); then
    echo "core files including Qt:"; echo "$qt"; status=1
fi
if gui=$(grep -l -E '#include "(app|pages|controls|platform)/|#include "eq/CFStatic' \
    "$src"/model/* "$src"/protocol/* "$src"/serial/* "$src"/autoeq/* 2>/dev/null); then
    echo "core files including GUI headers:"; echo "$gui"; status=1
fi
exit $status
